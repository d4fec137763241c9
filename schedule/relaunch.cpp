#include "schedule/relaunch.h"

#include "platform/clock/general_date.h"
#include "platform/cmdline/command_line.h"
#include "platform/shell/autostart.h"

#include <QDir>

namespace relaunch {

namespace {

// The due moment and the four settings game, language, country and url.
constexpr int maxArguments = 5;

} // namespace

QStringList registerArguments(const QStringList &commandArgs)
{
    QStringList args{QStringLiteral("/default=1")};
    // Entry 0 is always empty and entry 1 is the due moment, which register
    // does not need.
    for (qsizetype i = 2; i < commandArgs.size(); ++i)
        args.append(u'/' + commandArgs[i]);
    return args;
}

QString gameArgument(const QStringList &commandArgs)
{
    QString game;
    for (qsizetype i = 2; i < commandArgs.size(); ++i) {
        const qsizetype equals = commandArgs[i].indexOf(u'=');
        if (equals < 0 || QStringView(commandArgs[i]).left(equals) != u"game")
            continue;
        QStringView value = QStringView(commandArgs[i]).mid(equals + 1);
        while (value.startsWith(u' '))
            value = value.mid(1);
        while (value.endsWith(u' '))
            value.chop(1);
        game = value.toString();
    }
    return game;
}

Outcome relaunchIfDue(const QString &rawArguments, const Environment &env)
{
    const QStringList args = GetCommandLine(rawArguments, maxArguments);
    if (args.size() < 2)
        return Outcome::NoDueArgument;

    const std::optional<QDateTime> due = dates::parseGeneralDateText(args[1], env.locale);
    // The due text holds whole seconds; now is cut to whole seconds too, so
    // "strictly earlier" is judged at the precision the moment was written in.
    if (due && due->toSecsSinceEpoch() >= env.clock->now().toSecsSinceEpoch())
        return Outcome::NotDue;

    const QString program = QDir(env.programDir).filePath(QStringLiteral("register"));
    if (!env.start(program, registerArguments(args), env.programDir))
        return Outcome::StartFailed;
    // A missing or undeletable entry changes nothing about the relaunch.
    const QDir entries(env.autostartDir);
    shell::removeAutostartEntry(entries.filePath(shell::reminderEntryFileName(gameArgument(args))));
    const QString legacy = entries.filePath(shell::legacyAutostartEntryFileName.toString());
    if (shell::entryBelongsTo(legacy, QDir(env.programDir).filePath(QStringLiteral("schedule"))))
        shell::removeAutostartEntry(legacy);
    return Outcome::Relaunched;
}

int exitStatus(Outcome outcome)
{
    switch (outcome) {
    case Outcome::NotDue:
    case Outcome::Relaunched:
        return 0;
    case Outcome::StartFailed:
        return 1;
    case Outcome::NoDueArgument:
        return 2;
    }
    return 1;
}

} // namespace relaunch
