#pragma once

// Starting programs.

#include <QString>
#include <QStringList>

namespace shell {

// Starts the program with exactly these arguments (no shell in between) in
// the given working folder, without waiting for it. False when it could not
// be started (missing, not executable). A window style such as "minimised"
// has no counterpart here: on Linux the started program decides how its
// windows open, so none is passed.
bool startDetached(const QString &program, const QStringList &args, const QString &workingDir);

} // namespace shell
