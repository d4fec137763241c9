#pragma once

// Starting programs and testing for files.

#include <QString>
#include <QStringList>

namespace shell {

// Starts the program with exactly these arguments (no shell in between) in
// the given working folder, without waiting for it. False when it could not
// be started (missing, not executable). A window style such as "minimised"
// has no counterpart here: on Linux the started program decides how its
// windows open, so none is passed.
bool startDetached(const QString &program, const QStringList &args, const QString &workingDir);

// True when path names an existing file (a folder of that name does not count;
// any failure to look counts as absent).
bool fileExists(const QString &path);

} // namespace shell
