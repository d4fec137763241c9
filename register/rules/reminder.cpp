#include "register/rules/reminder.h"

#include "platform/forms/conversions.h"

#include <cstdio>

QDateTime dueMoment(const QDateTime &now, bool laterSelected, const QString &daysText)
{
    if (laterSelected) {
        // A count beyond the 16-bit range (say 99999) is treated like a count
        // that is no number: the reminder falls back to tomorrow rather than
        // overflowing into some unrelated number of days.
        if (const std::optional<std::int16_t> days = forms::toInt16(daysText))
            return now.addDays(*days);
    }
    return now.addDays(1);
}

std::optional<QString> carriedSetting(const QString &value)
{
    // The entry points cut and report long settings; a value that arrived
    // another way (a country of the configured list, a product named on a
    // page) is cut here too, so the entry can always be launched.
    QString carried = value;
    if (carried.size() > kMaxSettingLength) {
        const bool splitsACharacter = carried[kMaxSettingLength - 1].isHighSurrogate();
        carried.truncate(kMaxSettingLength - (splitsACharacter ? 1 : 0));
    }
    // No escape survives the command line: a blank followed by "/" always
    // opens a new argument there. Cut, the value would end early and the
    // rest would turn into settings of their own.
    if (carried.contains(QLatin1String(" /")))
        return std::nullopt;
    return carried;
}

QString reminderArgumentText(const QString &dueText, const QString &game, const QString &language,
                             const QString &country, const QString &url)
{
    QString text = u'/' + dueText;
    const struct {
        const char *key;
        const char *what;
        const QString &value;
    } settings[] = {{"game", "game name", game},
                    {"language", "language", language},
                    {"country", "country", country},
                    {"url", "registration URL", url}};
    for (const auto &setting : settings) {
        const std::optional<QString> value = carriedSetting(setting.value);
        if (!value) {
            std::fprintf(stderr,
                         "register: the reminder leaves out the %s \"%s\": the relaunch's "
                         "command line would end it at \" /\"; the relaunched wizard takes it "
                         "from config.xml\n",
                         setting.what, setting.value.toLocal8Bit().constData());
            continue;
        }
        text += QStringLiteral(" /%1=").arg(QLatin1String(setting.key)) + *value;
    }
    return text;
}
