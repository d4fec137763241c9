#include "register/rules/patterns.h"

#include "platform/forms/conversions.h"

#include <QList>
#include <QLocale>

namespace {

// The first year of the calendar the dates are counted in; earlier years are
// refused as birth dates.
constexpr int firstAcceptedYear = 1753;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "A" to "z" by character code, which takes in the six signs between "Z" and "a".
bool isLetterRange(QChar c)
{
    return c.unicode() >= 65 && c.unicode() <= 122;
}

std::optional<int> wholeNumber(QStringView part)
{
    part = part.trimmed();
    if (part.isEmpty())
        return std::nullopt;
    for (QChar c : part) {
        if (!isDigit(c))
            return std::nullopt;
    }
    bool ok = false;
    const int value = part.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool isMailAddress(const QString &answer)
{
    if (answer.size() < 5 || answer.contains(u' '))
        return false;
    // Positions counted from 1; 0 means "not found".
    const qsizetype at = answer.indexOf(u'@') + 1;
    if (at <= 1)
        return false;
    const qsizetype lastDot = answer.lastIndexOf(u'.') + 1;
    return lastDot >= at + 2;
}

bool isPhoneNumber(const QString &answer)
{
    if (answer.size() < 6 || answer.size() > 40)
        return false;
    for (QChar c : answer) {
        if (!isDigit(c) && !QStringView(u"+()*-/ ").contains(c))
            return false;
    }
    return true;
}

bool isPostalCode(QString answer)
{
    if (answer.size() == 7) {
        if (answer[3] != u' ')
            return false;
        answer.remove(3, 1);
    }
    if (answer.size() != 6)
        return false;
    for (qsizetype i = 0; i < 6; i += 2) {
        if (!isLetterRange(answer[i]) || !isDigit(answer[i + 1]))
            return false;
    }
    return true;
}

// The rules of pattern "d": a real date, from 1753 on, not after today.
std::optional<QDate> pastDate(const QString &answer, QDate today)
{
    const std::optional<QDate> date = parseYmdDate(answer);
    if (!date || date->year() < firstAcceptedYear || *date > today)
        return std::nullopt;
    return date;
}

// A numeric pattern is a minimum age. Compared as a number so that a holder
// such as "13.0" or " 13" means what it says.
std::optional<double> minimumAge(const QString &pattern)
{
    if (!forms::isNumeric(pattern))
        return std::nullopt;
    return QLocale::c().toDouble(pattern.trimmed());
}

} // namespace

std::optional<QDate> parseYmdDate(QStringView text)
{
    const QList<QStringView> parts = text.split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    const std::optional<int> year = wholeNumber(parts[0]);
    const std::optional<int> month = wholeNumber(parts[1]);
    const std::optional<int> day = wholeNumber(parts[2]);
    if (!year || !month || !day)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

bool isImpossibleDate(const QString &year, const QString &month, const QString &day)
{
    const std::optional<int> y = wholeNumber(year);
    const std::optional<int> m = wholeNumber(month);
    const std::optional<int> d = wholeNumber(day);
    return y && m && d && !QDate(*y, *m, *d).isValid();
}

int ageInYears(QDate birth, QDate today)
{
    return today.year() - birth.year();
}

PatternResult checkPattern(const QString &pattern, const QString &answer, QDate today)
{
    const auto verdict = [](bool ok) { return ok ? PatternResult::Pass : PatternResult::Fail; };

    if (pattern == u"n") {
        for (QChar c : answer) {
            if (!isDigit(c))
                return PatternResult::Fail;
        }
        return PatternResult::Pass;
    }
    if (pattern == u"a") {
        // Characters beyond 7-bit ASCII (accented letters and the like) pass.
        for (QChar c : answer) {
            if (c.unicode() < 128 && !isLetterRange(c))
                return PatternResult::Fail;
        }
        return PatternResult::Pass;
    }
    if (pattern == u"u")
        return verdict(!answer.isEmpty() && isLetterRange(answer[0]));
    if (pattern == u"m")
        return verdict(isMailAddress(answer));
    if (pattern == u"p")
        return verdict(isPhoneNumber(answer));
    if (pattern == u"z")
        return verdict(isPostalCode(answer));
    if (pattern == u"d")
        return verdict(pastDate(answer, today).has_value());
    if (const std::optional<double> age = minimumAge(pattern)) {
        const std::optional<QDate> birth = pastDate(answer, today);
        if (!birth)
            return PatternResult::Fail;
        return ageInYears(*birth, today) < *age ? PatternResult::TooYoung : PatternResult::Pass;
    }
    // "@", "" and unknown patterns carry no check.
    return PatternResult::Pass;
}

PatternResult checkDateAnswer(const QString &year, const QString &month, const QString &day,
                              const QString &patternHolder, const QString &optionalHolder,
                              QDate today, bool dateOfBirth)
{
    const QString answer = (year + u'/' + month + u'/' + day).trimmed();
    const std::optional<QDate> date = parseYmdDate(answer);
    if (!date) {
        // An empty or half-filled date is accepted unless the date is required.
        return optionalHolder.trimmed() == u"0" ? PatternResult::Fail : PatternResult::Pass;
    }
    if (date->year() < firstAcceptedYear)
        return PatternResult::Fail;
    // A date that carries a minimum age is a date of birth too. Born after
    // today is wrong data, never a question of age to be confirmed.
    if ((dateOfBirth || minimumAge(patternHolder)) && *date > today)
        return PatternResult::Fail;
    if (const std::optional<double> age = minimumAge(patternHolder)) {
        if (ageInYears(*date, today) < *age)
            return PatternResult::TooYoung;
    }
    return PatternResult::Pass;
}
