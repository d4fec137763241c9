#include "register/dialogs/reminder_entry.h"

#include "register/rules/messages.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// Characters per line that fit the message window's width.
constexpr qsizetype kMessageLineLength = 46;

// Greedy line breaking: a line ends after the last blank or "/" that still
// fits, so folder names break between their parts; a part longer than a whole
// line is cut where the line is full.
QStringList wrapped(const QString &text, qsizetype length)
{
    QStringList lines;
    QString rest = text.trimmed();
    while (rest.size() > length) {
        qsizetype cut = -1;
        for (qsizetype i = length; i > 0; --i) {
            if (rest[i - 1] == u' ' || rest[i - 1] == u'/') {
                cut = i;
                break;
            }
        }
        if (cut <= 0)
            cut = length;
        lines.append(rest.left(cut).trimmed());
        rest = rest.mid(cut).trimmed();
    }
    if (!rest.isEmpty())
        lines.append(rest);
    return lines;
}

} // namespace

shell::AutostartEntry reminderEntry(const QString &appPath, const QString &game,
                                    const QString &argumentText)
{
    shell::AutostartEntry entry;
    if (!game.isEmpty()) {
        entry.name = game + QStringLiteral(" registration reminder");
        entry.comment = QStringLiteral("Asks once more to register ") + game;
    }
    entry.program = appPath + QStringLiteral("/schedule");
    entry.argumentText = argumentText;
    entry.workingDir = appPath;
    entry.tryExec = entry.program;
    return entry;
}

bool writeReminder(const QString &appPath, const QString &game, const QString &argumentText,
                   QString *entryPath, QString *error)
{
    const shell::AutostartEntry entry = reminderEntry(appPath, game, argumentText);
    *entryPath = shell::autostartEntryPath(game);
    if (!shell::writeAutostartEntry(*entryPath, entry, error))
        return false;
    const QString legacy = shell::legacyAutostartEntryPath();
    if (legacy != *entryPath && shell::entryBelongsTo(legacy, entry.program))
        shell::removeAutostartEntry(legacy);
    return true;
}

QString reminderFailureMessage(const QString &entryPath, const QString &reason,
                               const QString &language)
{
    const QFileInfo entry(entryPath);
    // The folder has lines of its own, so the reason leaves the paths out:
    // the system's words after the file's path ("...: Permission denied"),
    // or the rest without the folder ("cannot create the folder"). Three
    // lines is what the message window holds above its button.
    const QString afterPath = entryPath + QStringLiteral(": ");
    const qsizetype at = reason.indexOf(afterPath);
    QString why =
        at >= 0 ? reason.mid(at + afterPath.size()) : QString(reason).remove(entry.absolutePath());
    why = why.simplified();
    QStringList lines{messageText(Message::ReminderNotSaved, language)};
    lines += wrapped(entry.absolutePath(), kMessageLineLength);
    lines += wrapped(QStringLiteral("(%1).").arg(why), kMessageLineLength);
    return lines.join(QStringLiteral("\r\n"));
}
