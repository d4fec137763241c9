#pragma once

// The "general date" text: how a moment is written into the reminder entry by
// register and read back by schedule at a later logon, in the user's locale.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace dates {

// The locale's short date with a four-digit year, a blank, and the locale's
// long time without any time-zone name. At exactly midnight (to the second)
// the time is left out.
QString generalDateText(const QDateTime &moment, const QLocale &locale);

// Reads back what generalDateText wrote in the same locale; blanks around the
// text are ignored and a date alone means midnight. Anything else gives no value.
std::optional<QDateTime> parseGeneralDateText(const QString &text, const QLocale &locale);

// The two formats used above: the short date format with widenYears, the
// long time format with dropTimeZone.
QString generalDateFormat(const QLocale &locale);
QString generalTimeFormat(const QLocale &locale);

// Every year field of a Qt date format written with four digits: Qt reads a
// two-digit year back as 19xx. Quoted text is literal and left alone, and a
// field that already has four digits keeps them.
QString widenYears(QStringView format);

// A Qt time format without its time-zone field ("t") and the blank beside it,
// trimmed. A zone name would be read back silently as UTC; the moment is local
// time on both sides.
QString dropTimeZone(QStringView format);

} // namespace dates
