#pragma once

// The subcommands of registrations; each takes its own arguments (without the
// program and command names) and returns the exit status.

#include <QStringList>

namespace registrations {

int serveCommand(const QStringList &arguments);
int exportCommand(const QStringList &arguments);
int eraseCommand(const QStringList &arguments);
int purgeCommand(const QStringList &arguments);

} // namespace registrations
