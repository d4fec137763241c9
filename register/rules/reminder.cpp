#include "register/rules/reminder.h"

#include "platform/forms/conversions.h"

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

QString reminderArgumentText(const QString &dueText, const QString &game, const QString &language,
                             const QString &country, const QString &url)
{
    // The entry points cut and report long settings; a value that arrived
    // another way (a country of the configured list, a product named on a
    // page) is cut here too, so the entry can always be launched.
    const auto capped = [](const QString &value) {
        if (value.size() <= kMaxSettingLength)
            return value;
        const bool splitsACharacter = value[kMaxSettingLength - 1].isHighSurrogate();
        return value.left(kMaxSettingLength - (splitsACharacter ? 1 : 0));
    };
    return QStringLiteral("/%1 /game=%2 /language=%3 /country=%4 /url=%5")
        .arg(dueText, capped(game), capped(language), capped(country), capped(url));
}
