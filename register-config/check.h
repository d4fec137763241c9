#pragma once

// register-config check: every configuration problem the wizard's readers
// find, over every language section and country variant, every page and both
// dialogs, one located line each.

#include <QString>

class QTextStream;

namespace regconfig {

// Prints every problem on out. 0 when there is no error (and, with strict, no
// warning either), 1 otherwise, 2 when the file cannot be read (said on err,
// or on out as a located line when it is not well-formed XML).
int check(const QString &configPath, bool strict, QTextStream &out, QTextStream &err);

} // namespace regconfig
