// registration-server: a loopback stand-in for the registration server, for
// trying the wizard and for tests. See README.md for the switches.
#include "tools/registration-server/registration_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

bool installTerminationHandlers()
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A reader of stdout that goes away must not kill the server mid-answer.
    std::signal(SIGPIPE, SIG_IGN);
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

std::optional<qint64> parseNumber(const QString &text, qint64 minimum, qint64 maximum)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

int usageError(const QString &message)
{
    std::fprintf(stderr, "registration-server: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("registration-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers GET /register.asp on 127.0.0.1 and prints each registration."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (0: any free port)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption replyOption(
        QStringLiteral("reply"),
        QStringLiteral("Answer: ok, error, wrong-form, empty or status500."),
        QStringLiteral("KIND"), QStringLiteral("ok"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                         QStringLiteral("Answer after N milliseconds."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption largeBodyOption(
        QStringLiteral("large-body"),
        QStringLiteral("Make each answer body exactly BYTES long (padded with x)."),
        QStringLiteral("BYTES"));
    const QCommandLineOption redirectOption(
        QStringLiteral("redirect"),
        QStringLiteral("Answer the first registration with a redirect to itself."));
    const QCommandLineOption maxRequestsOption(QStringLiteral("max-requests"),
                                               QStringLiteral("Exit after answering N requests."),
                                               QStringLiteral("N"));
    const QCommandLineOption stdinOption(QStringLiteral("exit-on-stdin-eof"),
                                         QStringLiteral("Exit when standard input ends."));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Also append the printed lines to FILE."),
                                       QStringLiteral("FILE"));
    parser.addOptions({portOption, replyOption, delayOption, largeBodyOption, redirectOption,
                       maxRequestsOption, stdinOption, logOption});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument %1")
                              .arg(parser.positionalArguments().constFirst()));

    registration::ServerOptions options;
    if (const auto port = parseNumber(parser.value(portOption), 0, 65535))
        options.port = static_cast<quint16>(*port);
    else
        return usageError(QStringLiteral("--port needs a number from 0 to 65535"));

    const QString reply = parser.value(replyOption);
    if (reply == QLatin1String("ok"))
        options.reply = registration::ReplyKind::Accepted;
    else if (reply == QLatin1String("error"))
        options.reply = registration::ReplyKind::Error;
    else if (reply == QLatin1String("wrong-form"))
        options.reply = registration::ReplyKind::WrongForm;
    else if (reply == QLatin1String("empty"))
        options.reply = registration::ReplyKind::Empty;
    else if (reply == QLatin1String("status500"))
        options.reply = registration::ReplyKind::Status500;
    else
        return usageError(
            QStringLiteral("--reply must be ok, error, wrong-form, empty or status500"));

    if (const auto delay = parseNumber(parser.value(delayOption), 0, 3600 * 1000))
        options.delayMs = static_cast<int>(*delay);
    else
        return usageError(QStringLiteral("--delay-ms needs a number from 0 to 3600000"));

    if (parser.isSet(largeBodyOption)) {
        const auto bytes =
            parseNumber(parser.value(largeBodyOption), 0, std::numeric_limits<qint64>::max());
        if (!bytes)
            return usageError(QStringLiteral("--large-body needs a number of bytes"));
        options.largeBodyBytes = *bytes;
    }
    if (parser.isSet(maxRequestsOption)) {
        const auto count =
            parseNumber(parser.value(maxRequestsOption), 1, std::numeric_limits<int>::max());
        if (!count)
            return usageError(QStringLiteral("--max-requests needs a number from 1 up"));
        options.maxRequests = static_cast<int>(*count);
    }
    options.redirect = parser.isSet(redirectOption);
    options.logPath = parser.value(logOption);

    if (!installTerminationHandlers())
        return usageError(QStringLiteral("cannot install signal handlers"));
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::exit(0); });

    std::optional<QSocketNotifier> stdinNotifier;
    if (parser.isSet(stdinOption)) {
        stdinNotifier.emplace(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&*stdinNotifier, &QSocketNotifier::activated, &app, [&stdinNotifier] {
            char buffer[4096];
            const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
                stdinNotifier->setEnabled(false);
                QCoreApplication::exit(0);
            }
        });
    }

    registration::RegistrationServer server(options);
    QString error;
    if (!server.listen(&error)) {
        std::fprintf(stderr, "registration-server: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&server, &registration::RegistrationServer::finished, &app,
                     [] { QCoreApplication::exit(0); });

    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
