// registrations: receives the wizard's registrations, stores them, exports
// them for the publisher, erases and purges them.

#include "registrations/commands.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: registrations COMMAND [OPTIONS]\n"
    "\n"
    "Receives the registrations the wizard sends and keeps them for the publisher.\n"
    "\n"
    "Commands:\n"
    "  serve    receive registrations over HTTP or HTTPS and store them\n"
    "  export   write every stored registration as CSV or JSON Lines\n"
    "  erase    delete a player's registrations, found by e-mail address\n"
    "  purge    delete the registrations received before a date\n"
    "\n"
    "registrations COMMAND --help describes a command.\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h")) {
        std::fputs(kUsage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("serve"))
        return registrations::serveCommand(arguments);
    if (command == QLatin1String("export"))
        return registrations::exportCommand(arguments);
    if (command == QLatin1String("erase"))
        return registrations::eraseCommand(arguments);
    if (command == QLatin1String("purge"))
        return registrations::purgeCommand(arguments);
    std::fprintf(stderr, "registrations: unknown command \"%s\"\n\n%s",
                 command.toLocal8Bit().constData(), kUsage);
    return 2;
}
