#pragma once

// register-config check: every configuration problem the wizard's readers
// find, over every language section and country variant, every page and both
// dialogs, one located line each.

#include <QString>

class QTextStream;

namespace regconfig {

// 0 when there is no problem, 1 when problems were printed on out, 2 when the
// file cannot be read (said on err).
int check(const QString &configPath, QTextStream &out, QTextStream &err);

} // namespace regconfig
