#pragma once

// Personal data as the dashboard may show it: enough to recognise a
// registration one is looking for, not enough to read who registered.

#include <QString>

namespace registrations::dashboard {

// "jane.doe@example.org" -> "j…@example.org"; without an "@": the first letter
// and an ellipsis; empty stays empty.
QString maskEmail(const QString &address);

// "Jane" -> "J."; empty stays empty.
QString maskName(const QString &name);

} // namespace registrations::dashboard
