// schedule: started by the reminder's autostart entry at every logon; starts
// register once the due moment has passed. No window, no event loop.

#include "platform/clock/clock.h"
#include "platform/cmdline/command_line.h"
#include "platform/shell/autostart.h"
#include "platform/shell/processes.h"
#include "schedule/relaunch.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <cstdio>

namespace {

// The folder of the running program, from the kernel's link to our own
// executable (what QCoreApplication::applicationDirPath reads too); argv[0]
// only as a fallback. No application object is built: this program runs at
// every logon and has nothing for one to do.
QString programFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.canonicalFilePath();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList processArgs;
    for (int i = 0; i < argc; ++i)
        processArgs.append(QString::fromLocal8Bit(argv[i]));

    const dates::SystemClock clock;
    relaunch::Environment env;
    env.programDir = programFolder(argc > 0 ? argv[0] : "");
    env.entryPath = shell::autostartEntryPath();
    env.locale = QLocale::system();
    env.clock = &clock;
    env.start = shell::startDetached;

    const relaunch::Outcome outcome = relaunch::relaunchIfDue(rawArgumentText(processArgs), env);
    switch (outcome) {
    case relaunch::Outcome::NoDueArgument:
        std::fputs("usage: schedule /<due date and time> [/game=...] [/language=...] "
                   "[/country=...] [/url=...]\n",
                   stderr);
        break;
    case relaunch::Outcome::StartFailed:
        std::fprintf(stderr, "schedule: cannot start %s; the reminder is kept\n",
                     qUtf8Printable(env.programDir + QStringLiteral("/register")));
        break;
    case relaunch::Outcome::NotDue:
    case relaunch::Outcome::Relaunched:
        break;
    }
    return relaunch::exitStatus(outcome);
}
