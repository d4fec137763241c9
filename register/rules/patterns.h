#pragma once

// The answer patterns that the configuration attaches to fields, as pure
// functions of the pattern text, the answer and today's date. The walk over
// the page's controls (isDataValid) decides which answer meets which pattern
// and which message a failure shows; these functions only judge.

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

enum class PatternResult {
    Pass,
    Fail,     // wrong data: the general wrong-data message applies
    TooYoung, // a valid date below the minimum age: the age-limit message applies
};

// A date written year/month/day with whole-number parts, as a player types it
// ("1990/5/17", "1990/05/17"); blanks around the parts are allowed. Only real
// calendar dates count: "2023/2/29" is none, and a day-first text such as
// "17/5/1990" is read year-first and so is no date either.
std::optional<QDate> parseYmdDate(QStringView text);

// Age in whole years counted as calendar-year boundaries only: the year of
// today minus the year of birth, whatever the month and day.
int ageInYears(QDate birth, QDate today);

// Applies a text field's pattern to its trimmed answer. Patterns are compared
// exactly (case matters):
//   "n"  digits only             "a"  letters A..z (codes 65..122) or non-ASCII
//   "u"  first character A..z    "m"  mail address      "p" telephone number
//   "z"  postal code A9A 9A9     "d"  a past date from 1753 on, year/month/day
//   "@", "" and anything else: no check
//   a number N: the rules of "d", then an age below N gives TooYoung.
PatternResult checkPattern(const QString &pattern, const QString &answer, QDate today);

// The check of a date object built from its three boxes. The date is composed
// year/month/day; the pattern holder may carry a minimum age, the optional
// holder decides whether an empty or partial date is accepted (only the
// trimmed text "0" makes the date required). A date of birth (dateOfBirth,
// or a holder that names a minimum age) after today fails; any other date
// may lie in the future.
PatternResult checkDateAnswer(const QString &year, const QString &month, const QString &day,
                              const QString &patternHolder, const QString &optionalHolder,
                              QDate today, bool dateOfBirth = false);

// Three whole numbers that make no calendar date (31 February): a date the
// player completed, but wrongly, rather than one left empty or half-chosen.
bool isImpossibleDate(const QString &year, const QString &month, const QString &day);
