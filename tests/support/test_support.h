#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Writes text (UTF-8) to dir/name, creating folders; returns the full path.
QString writeFile(const QString &dir, const QString &name, const QString &text);

// Reads a whole file as UTF-8; empty when missing.
QString readFile(const QString &path);

// Folder of the built programs (register, schedule, registration-server).
QString binDir();

// Folder of the source tree.
QString sourceDir();

} // namespace testsupport
