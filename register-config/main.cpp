// register-config: checks a config.xml and previews every screen of every
// language section, on the wizard's own reader, renderers and layouts.
#include "register-config/check.h"
#include "register-config/preview.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: register-config check [--strict] [CONFIG]\n"
    "       register-config preview [CONFIG] --out DIR [--language ID] [--country NAME] "
    "[--watch]\n";

const char kHelp[] = "Usage: register-config COMMAND [OPTION]... [CONFIG]\n"
                     "Check a registration wizard configuration and preview its screens.\n"
                     "CONFIG is config.xml in the current folder when not given.\n"
                     "\n"
                     "Commands:\n"
                     "  check     print every problem of CONFIG, one per line\n"
                     "  preview   draw every screen of every language section into a folder\n"
                     "\n"
                     "  -h, --help     display this help and exit\n"
                     "      --version  output version information and exit\n"
                     "\n"
                     "'register-config COMMAND --help' describes each command.\n";

const char kCheckHelp[] =
    "Usage: register-config check [--strict] [CONFIG]\n"
    "Read CONFIG (default: config.xml) as the wizard reads it: the start-up\n"
    "settings, the country list and age limits, every language section and\n"
    "country variant, every page and both dialogs. Print each problem as\n"
    "  config.xml:LINE:COLUMN: <element attr=\"value\">: what is wrong; what the wizard does "
    "instead\n"
    "on standard output. A warning (a choice that may be intended) ends with\n"
    "its name in brackets, as in \"... [no-pictures]\"; the comment\n"
    "  <!-- register-config: accept NAME -->\n"
    "on the line before the element (or before the root element, for every\n"
    "element) leaves it out for good. Every element and attribute is described\n"
    "in docs/config-reference.md.\n"
    "\n"
    "      --strict  warnings count as errors\n"
    "  -h, --help    display this help and exit\n"
    "\n"
    "Exit status:\n"
    " 0  no error (warnings may have been printed)\n"
    " 1  errors were printed (with --strict: errors or warnings)\n"
    " 2  CONFIG cannot be read (missing, unreadable or not well-formed XML: the\n"
    "    place is printed like a problem), or the command line is wrong\n";

const char kPreviewHelp[] =
    "Usage: register-config preview [CONFIG] --out DIR [--language ID] [--country NAME]\n"
    "                               [--watch]\n"
    "Draw every screen of every language section of CONFIG (default: config.xml)\n"
    "as the player sees it: region and language, welcome, the age prompt, the\n"
    "register-later dialog, personal information, the data-error message, each\n"
    "question page, method, thanks (online and printed), the printed form's\n"
    "first page, and both error texts.\n"
    "Nothing is sent, printed or written outside DIR. Each screen becomes\n"
    "DIR/SECTION-SCREEN.png (for example french-canada-welcome.png), and\n"
    "DIR/index.html shows them with one row per section and the section's\n"
    "problems beside it.\n"
    "\n"
    "      --out DIR        write the pictures and index.html into DIR (required)\n"
    "      --language ID    only the sections of the language ID (english, french, ...)\n"
    "      --country NAME   for each language, the section a player from NAME sees,\n"
    "                       with that country's age limit\n"
    "      --watch          keep running: after each save of CONFIG or of a file in\n"
    "                       the pictures folder beside it, draw again the sections\n"
    "                       that changed; an open index.html reloads itself\n"
    "  -h, --help           display this help and exit\n"
    "\n"
    "Exit status:\n"
    " 0  the pictures and index.html were written\n"
    " 2  CONFIG cannot be read, DIR cannot be written, no section matches,\n"
    "    or the command line is wrong\n";

int usageError(QTextStream &err, const QString &message)
{
    err << "register-config: " << message << Qt::endl
        << kUsage << "Try 'register-config --help' for more information." << Qt::endl;
    return 2;
}

// Qt's own warnings (the offscreen platform's, a missing runtime folder) are
// noise to a publisher's CI, which reads this program's output as problems.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "register-config: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    // The screens are drawn without a display, whatever the session has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError(err, QStringLiteral("missing command"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        out << kHelp;
        return 0;
    }
    if (command == QLatin1String("--version")) {
        out << "register-config " << QStringLiteral(PROJECT_VERSION) << Qt::endl;
        return 0;
    }
    const bool isCheck = command == QLatin1String("check");
    if (!isCheck && command != QLatin1String("preview"))
        return usageError(err, QStringLiteral("unknown command '%1'").arg(command));

    QString config;
    regconfig::PreviewOptions options;
    bool optionsEnded = false;
    bool strict = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!optionsEnded && arg.startsWith(u'-') && arg.size() > 1) {
            if (arg == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
                out << (isCheck ? kCheckHelp : kPreviewHelp);
                return 0;
            }
            if (isCheck && arg == QLatin1String("--strict")) {
                strict = true;
                continue;
            }
            if (!isCheck && arg == QLatin1String("--watch")) {
                options.watch = true;
                continue;
            }
            // --name VALUE or --name=VALUE, for preview only.
            const QString name = arg.section(u'=', 0, 0);
            QString *target = nullptr;
            if (!isCheck && name == QLatin1String("--out"))
                target = &options.outDir;
            else if (!isCheck && name == QLatin1String("--language"))
                target = &options.language;
            else if (!isCheck && name == QLatin1String("--country"))
                target = &options.country;
            if (!target)
                return usageError(err, QStringLiteral("unrecognized option '%1'").arg(arg));
            if (arg.contains(u'=')) {
                *target = arg.section(u'=', 1);
            } else if (i + 1 < args.size()) {
                *target = args[++i];
            } else {
                return usageError(err, QStringLiteral("option '%1' requires an argument").arg(arg));
            }
            continue;
        }
        if (!config.isEmpty())
            return usageError(err, QStringLiteral("extra operand '%1'").arg(arg));
        config = arg;
    }
    if (config.isEmpty())
        config = QStringLiteral("config.xml");

    if (isCheck)
        return regconfig::check(config, strict, out, err);
    if (options.outDir.isEmpty())
        return usageError(err, QStringLiteral("preview needs --out DIR"));
    options.configPath = config;
    return regconfig::preview(options, out, err);
}
