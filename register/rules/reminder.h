#pragma once

// The reminder that the register-later dialog leaves behind: when it is due,
// and the argument text that hands the due moment and the four settings to
// schedule.

#include <QDateTime>
#include <QString>

#include <optional>

// A game, language, country or url longer than this is cut where it enters
// (command line or configuration) and reported there. A reminder hands the
// four to schedule inside one process argument, which Linux limits to
// 128 KiB; four settings of this many characters (at most three bytes each in
// UTF-8) always fit, with room to spare.
inline constexpr qsizetype kMaxSettingLength = 4096;

// The due moment of a confirmed reminder. "Later" with a numeric day count is
// now plus that many days (rounded to a whole number, ties to even; zero and
// negative counts are kept, so the reminder fires at the next logon); the time
// of day is kept. Everything else, "tomorrow" and a non-numeric count alike,
// is now plus one day.
QDateTime dueMoment(const QDateTime &now, bool laterSelected, const QString &daysText);

// "/" due " /game=" game " /language=" language " /country=" country " /url=" url.
// The settings are inserted as they stand, each cut at kMaxSettingLength
// characters; schedule splits the text with GetCommandLine, where only a "/"
// after a blank opens a new argument. A setting that holds a blank followed
// by "/" cannot travel that way: it is left out, with a line on standard
// error, and the relaunched wizard takes it from its configuration as on the
// first run (where such a value comes from: the command line could not have
// carried it either).
QString reminderArgumentText(const QString &dueText, const QString &game, const QString &language,
                             const QString &country, const QString &url);

// A setting as the reminder's argument text carries it: cut at
// kMaxSettingLength characters, or nothing when it holds a blank followed by
// "/". schedule knows the game only by what it is handed, so the reminder's
// entry is named after this value of the game (an empty name when nothing).
std::optional<QString> carriedSetting(const QString &value);
