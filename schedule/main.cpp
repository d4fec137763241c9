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
#include <cstring>

namespace {

const char kHelp[] =
    "Usage: schedule \"/DUE [/game=NAME] [/language=ID] [/country=NAME] [/url=URL]\"\n"
    "Start register, beside this program, once the moment DUE (written in the\n"
    "session locale's date and time format) has passed, with the settings\n"
    "given, and remove the game's reminder entry from the autostart folder.\n"
    "Before that moment nothing is started and the entry stays. The reminder\n"
    "entry the wizard writes runs this at every logon.\n"
    "\n"
    "  -h, --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Exit status: 0 not yet due or register started, 1 register could not be\n"
    "started (the entry stays), 2 no due moment given.\n";

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
    // Only a first argument that is exactly one of these words asks for help:
    // a due moment always opens with its own first character ("/").
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("schedule %s\n", PROJECT_VERSION);
        return 0;
    }

    QStringList processArgs;
    for (int i = 0; i < argc; ++i)
        processArgs.append(QString::fromLocal8Bit(argv[i]));

    const dates::SystemClock clock;
    relaunch::Environment env;
    env.programDir = programFolder(argc > 0 ? argv[0] : "");
    env.autostartDir = shell::autostartDir();
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
