#include "register/dialogs/reminder.h"

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
    return QStringLiteral("/%1 /game=%2 /language=%3 /country=%4 /url=%5")
        .arg(dueText, game, language, country, url);
}
