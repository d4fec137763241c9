#pragma once

// The relauncher's one decision: has the reminder's due moment passed? If so,
// start register again with the remembered settings and remove the autostart
// entry, so the reminder fires once.

#include "platform/clock/clock.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>

namespace relaunch {

// Starts a program without waiting: program, arguments, working folder.
using Starter =
    std::function<bool(const QString &program, const QStringList &args, const QString &workingDir)>;

struct Environment {
    QString programDir;   // schedule's own folder, where register lies too
    QString autostartDir; // where the game's reminder entry lies
    QLocale locale;       // the locale the due moment was written in
    const dates::Clock *clock = nullptr;
    Starter start;
};

enum class Outcome {
    NoDueArgument, // nothing was given to decide on; nothing is touched
    NotDue,        // the moment has not passed; the entry stays
    Relaunched,    // register started, the game's entry removed (or already gone)
    StartFailed,   // register could not be started; the entry stays for the next logon
};

// register's argument list for the arguments given to schedule (entry 0 empty,
// entry 1 the due moment, the rest "key=value" pieces as split by
// GetCommandLine). register joins its arguments with single blanks, so the
// list is "/default=1" followed by "/" + each passed piece unchanged: joined,
// it is exactly the command text "/default=1 /game=X  /language=Y ..." with
// the trailing blank each piece kept from the split.
QStringList registerArguments(const QStringList &commandArgs);

// The game named by the last "game=" piece (split at its first "=", blanks
// trimmed as register trims them); empty when there is none.
QString gameArgument(const QStringList &commandArgs);

// The whole run on the raw argument text (the process arguments joined with
// single blanks).
//
// Once register is started, the entry of the game named in the arguments is
// removed, and so is an entry an earlier version wrote under its one shared
// name when it runs this very schedule (the entry that started us before the
// update); any other game's entry stays.
//
// A due text the locale cannot read counts as due: a reminder that could
// never fire would run at every logon forever. A due moment equal to now to
// the second is not yet due.
Outcome relaunchIfDue(const QString &rawArguments, const Environment &env);

// The process exit status for an outcome: 0 not due or relaunched, 1 start
// failed, 2 usage.
int exitStatus(Outcome outcome);

} // namespace relaunch
