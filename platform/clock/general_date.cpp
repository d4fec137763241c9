#include "platform/clock/general_date.h"

namespace dates {

namespace {

// Only the seconds are written, so a moment counts as midnight when its
// written part is 00:00:00.
bool isMidnight(QTime time)
{
    return time.hour() == 0 && time.minute() == 0 && time.second() == 0;
}

bool isZoneSeparator(QChar c)
{
    return c.isSpace() || c == u',' || c == u'(' || c == u')' || c == u'[' || c == u']';
}

QTime wholeSeconds(QTime time)
{
    return QTime(time.hour(), time.minute(), time.second());
}

constexpr QStringView isoDateFormat = u"yyyy-MM-dd";
constexpr QStringView isoTimeFormat = u"HH:mm:ss";

QString localeText(const QDateTime &moment, const QLocale &locale, const QString &dateFormat,
                   const QString &timeFormat)
{
    QString text = locale.toString(moment.date(), dateFormat);
    if (!isMidnight(moment.time()))
        text += u' ' + locale.toString(moment.time(), timeFormat);
    return text;
}

QString localeText(const QDateTime &moment, const QLocale &locale)
{
    return localeText(moment, locale, generalDateFormat(locale), generalTimeFormat(locale));
}

// Whether the time format shows the day period (AM/PM), outside quoted text.
bool showsDayPeriod(QStringView format)
{
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == u'a' || c == u'A'))
            return true;
    }
    return false;
}

// Qt's parser reads past the end of its buffer when the two day-period words
// of a locale differ in length (in any case), so such texts are never handed
// to it; the moment is then written and read in the ISO form.
bool qtReadsSafely(const QLocale &locale, const QString &timeFormat)
{
    if (!showsDayPeriod(timeFormat))
        return true;
    const QString am = locale.amText();
    const QString pm = locale.pmText();
    return am.size() == pm.size() && am.toUpper().size() == pm.toUpper().size() &&
           am.toLower().size() == pm.toLower().size();
}

// A date with a time, or a date alone meaning midnight.
std::optional<QDateTime> parseLocaleText(const QString &text, const QLocale &locale,
                                         const QString &dateFormat, const QString &timeFormat)
{
    if (!qtReadsSafely(locale, timeFormat))
        return std::nullopt;
    const QDateTime moment = locale.toDateTime(text, dateFormat + u' ' + timeFormat);
    if (moment.isValid())
        return moment;
    const QDate date = locale.toDate(text, dateFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

std::optional<QDateTime> parseLocaleText(const QString &text, const QLocale &locale)
{
    return parseLocaleText(text, locale, generalDateFormat(locale), generalTimeFormat(locale));
}

} // namespace

QString widenYears(QStringView format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out.append(c);
            ++i;
            continue;
        }
        if (quoted || c != u'y') {
            out.append(c);
            ++i;
            continue;
        }
        qsizetype run = 0;
        while (i + run < format.size() && format[i + run] == u'y')
            ++run;
        out.append(run < 4 ? QStringLiteral("yyyy") : format.mid(i, run).toString());
        i += run;
    }
    return out;
}

QString dropTimeZone(QStringView format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            out.append(c);
            ++i;
            continue;
        }
        // The zone goes together with what only served to set it apart: the
        // blanks, comma or brackets between it and the rest of the time.
        qsizetype next = i;
        while (next < format.size() && format[next] == u't')
            ++next;
        while (next < format.size() && isZoneSeparator(format[next]))
            ++next;
        qsizetype keep = out.size();
        while (keep > 0 && isZoneSeparator(out[keep - 1]))
            --keep;
        out.truncate(keep);
        if (keep > 0 && next < format.size())
            out.append(u' '); // a zone between two fields: keep them apart
        i = next;
    }
    return out.trimmed();
}

QString generalDateFormat(const QLocale &locale)
{
    return widenYears(locale.dateFormat(QLocale::ShortFormat));
}

QString generalTimeFormat(const QLocale &locale)
{
    return dropTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString generalDateText(const QDateTime &moment, const QLocale &locale)
{
    const QString text = localeText(moment, locale);
    // Qt cannot read back every locale's own text (some digit systems and
    // some day-period words); a reminder written that way could never be read
    // at logon, so such a moment is written in the ISO form instead.
    const std::optional<QDateTime> readBack = parseLocaleText(text, locale);
    if (readBack && readBack->date() == moment.date() &&
        readBack->time() == wholeSeconds(moment.time()))
        return text;
    return localeText(moment, QLocale::c(), isoDateFormat.toString(), isoTimeFormat.toString());
}

std::optional<QDateTime> parseGeneralDateText(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (std::optional<QDateTime> moment = parseLocaleText(trimmed, locale))
        return moment;
    return parseLocaleText(trimmed, QLocale::c(), isoDateFormat.toString(),
                           isoTimeFormat.toString());
}

} // namespace dates
