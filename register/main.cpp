// The registration wizard: reads config.xml beside the program and walks the
// player through region, welcome, personal and question pages to an online
// registration or a printed form.
#include "register/wizard/main_form.h"

#include <QApplication>
#include <QScreen>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] =
    "Usage: register [/game=NAME] [/url=URL] [/language=ID] [/country=NAME] [/default=1]\n"
    "Open the registration wizard described by config.xml beside this program.\n"
    "\n"
    "  /game=NAME       the product name sent with the registration\n"
    "  /url=URL         the registration server's address\n"
    "  /language=ID     the language section to start in (english, french, ...)\n"
    "  /country=NAME    the player's country\n"
    "  /default=1       preselect the language and the country\n"
    "\n"
    "Values may contain blanks; a \"/\" after a blank opens the next setting.\n"
    "The command line wins over config.xml, which wins over the built-in values.\n"
    "\n"
    "  -h, --help     display this help and exit\n"
    "      --version  output version information and exit\n";

// Help and the version are answered before any window system is asked for:
// they must work in a terminal without a display. Only a first argument that
// is exactly one of these words counts, so no "/key=value" text (which opens
// with its own first character) is ever taken for one.
int answerInformationRequest(int argc, char *argv[])
{
    if (argc < 2)
        return -1;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("register %s\n", PROJECT_VERSION);
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = answerInformationRequest(argc, argv); status >= 0)
        return status;

    // A file-size limit (ulimit -f) would otherwise end the program at the
    // write that crosses it, answers and all. Ignored, the write fails with
    // EFBIG and the failure is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora Register"));

    MainForm window(QCoreApplication::applicationDirPath(), app.arguments().mid(1));
    window.Form_Load();

    // The window starts centred on the screen.
    if (const QScreen *screen = window.screen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }
    window.show();
    return app.exec();
}
