#include "registrations/commands.h"

#include "registrations/dashboard/dashboard.h"
#include "registrations/export/export.h"
#include "registrations/http/http_server.h"
#include "registrations/mapping/questionnaire.h"
#include "registrations/receive/service.h"
#include "registrations/storage/group_committer.h"
#include "registrations/storage/postgresql_storage.h"
#include "registrations/storage/storage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <QTimeZone>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace registrations {

namespace {

struct Option {
    const char *name;  // without the leading "--"
    const char *value; // the value's placeholder in the help
    const char *help;
};

void printText(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// "--name value" and "--name=value"; --help prints the usage. Nothing when the
// command should end, with *status set.
std::optional<QHash<QString, QString>> parseOptions(const QStringList &arguments, const char *usage,
                                                    std::initializer_list<Option> options,
                                                    int *status)
{
    QString help = QString::fromUtf8(usage) + QStringLiteral("\n\nOptions:\n");
    for (const Option &o : options)
        help += QStringLiteral("  --%1 %2\n      %3\n")
                    .arg(QLatin1String(o.name), QLatin1String(o.value), QString::fromUtf8(o.help));
    help += QStringLiteral("  --help\n      this text\n");

    QHash<QString, QString> values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            printText(stdout, help);
            *status = 0;
            return std::nullopt;
        }
        QString value;
        bool inlineValue = false;
        if (const qsizetype equals = argument.indexOf(u'='); equals > 0) {
            value = argument.mid(equals + 1);
            argument = argument.left(equals);
            inlineValue = true;
        }
        const Option *known = nullptr;
        for (const Option &o : options) {
            if (argument == QLatin1String("--") + QLatin1String(o.name))
                known = &o;
        }
        if (!known) {
            printText(stderr, QStringLiteral("registrations: unknown option \"%1\"\n\n%2")
                                  .arg(arguments[i], help));
            *status = 2;
            return std::nullopt;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                printText(stderr,
                          QStringLiteral("registrations: %1 needs a value\n").arg(argument));
                *status = 2;
                return std::nullopt;
            }
            value = arguments[++i];
        }
        values.insert(QString::fromLatin1(known->name), value);
    }
    return values;
}

int fail(const QString &message)
{
    printText(stderr, QStringLiteral("registrations: %1\n").arg(message));
    return 1;
}

// "2026-12-01" (midnight UTC) or a full ISO 8601 moment; a moment without an
// offset is UTC.
std::optional<QDateTime> parseMoment(const QString &text)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0), QTimeZone::utc());
    QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!moment.isValid())
        return std::nullopt;
    if (moment.timeSpec() == Qt::LocalTime)
        moment.setTimeZone(QTimeZone::utc());
    return moment.toUTC();
}

// Commands other than serve work on a database that must already exist.
std::unique_ptr<storage::Storage> openExisting(const QHash<QString, QString> &options,
                                               QString *error)
{
    const QString db = options.value(QStringLiteral("db"));
    if (db.isEmpty()) {
        *error = QStringLiteral("--db FILE|URI is required");
        return nullptr;
    }
    if (!storage::isPostgresqlUri(db) && !QFileInfo::exists(db)) {
        *error = QStringLiteral("no database at %1").arg(db);
        return nullptr;
    }
    return storage::openStorage(db, error);
}

std::optional<mapping::Questionnaire> readConfig(const QHash<QString, QString> &options,
                                                 QString *error, bool *given)
{
    const QString path = options.value(QStringLiteral("config"));
    *given = !path.isEmpty();
    if (path.isEmpty())
        return mapping::Questionnaire();
    return mapping::readQuestionnaire(path, error);
}

// HOST:PORT, [IPv6]:PORT or PORT alone.
bool parseListen(const QString &text, http::ServerOptions *options)
{
    QString host = options->host;
    QString port = text;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return false;
        host = text.mid(1, close - 1);
        port = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(u':'); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535 || host.isEmpty())
        return false;
    options->host = host;
    options->port = quint16(number);
    return true;
}

bool readFile(const QString &path, QByteArray *contents, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *contents = file.readAll();
    return true;
}

// Many slow clients each hold a descriptor: allow as many as the system does.
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int serveCommand(const QStringList &arguments)
{
    int status = 0;
    const auto options = parseOptions(
        arguments,
        "Usage: registrations serve --db FILE|URI [--config config.xml] [--listen HOST:PORT]\n"
        "                           [--tls-cert PEM --tls-key PEM]\n"
        "                           [--admin-token-file FILE [--admin-listen HOST:PORT]]\n"
        "\n"
        "Receives registrations and answers ok`|`<number> once each is stored for good.\n"
        "The first line on standard output is \"listening on HOST:PORT\"; then one line per\n"
        "request goes to standard error (never the personal data). Stops on SIGTERM or SIGINT.",
        {{"db", "FILE|URI",
          "the SQLite database file, created (private to its owner) when missing, or a\n"
          "      PostgreSQL database, postgresql://[USER@]HOST[:PORT]/NAME[?...], which\n"
          "      several instances may share (the password from ~/.pgpass or PGPASSWORD)"},
         {"config", "config.xml",
          "the configuration the wizard ships: registrations are taken only on its\n"
          "      address's path, answers are matched to its questions, and a value longer\n"
          "      than every section's maxlength for its text box is refused"},
         {"listen", "HOST:PORT",
          "where to listen (default 127.0.0.1:8080; port 0 takes a free one)"},
         {"tls-cert", "PEM", "serve HTTPS with this certificate (chain)"},
         {"tls-key", "PEM", "the certificate's private key"},
         {"per-address-limit", "N",
          "open connections one client address may hold (default 32); behind a proxy\n"
          "      every request comes from the proxy's address: raise it there"},
         {"admin-token-file", "FILE",
          "serve the dashboard (/admin/) and its API, guarded by the token on the\n"
          "      file's first line (at least 16 characters); without it the dashboard is off"},
         {"admin-listen", "HOST:PORT",
          "where the dashboard listens, never the registrations' address\n"
          "      (default 127.0.0.1:8081; port 0 takes a free one); the second line on\n"
          "      standard output is then \"admin on HOST:PORT\""}},
        &status);
    if (!options)
        return status;
    http::ServerOptions serverOptions;
    if (options->contains(QStringLiteral("listen")) &&
        !parseListen(options->value(QStringLiteral("listen")), &serverOptions))
        return fail(QStringLiteral("--listen wants HOST:PORT, for example 127.0.0.1:8080"));
    if (options->contains(QStringLiteral("per-address-limit"))) {
        bool ok = false;
        const uint limit = options->value(QStringLiteral("per-address-limit")).toUInt(&ok);
        if (!ok || limit == 0 || limit > serverOptions.connectionLimit)
            return fail(QStringLiteral("--per-address-limit wants a number from 1 to %1")
                            .arg(serverOptions.connectionLimit));
        serverOptions.perAddressLimit = limit;
    }
    const QString certPath = options->value(QStringLiteral("tls-cert"));
    const QString keyPath = options->value(QStringLiteral("tls-key"));
    if (certPath.isEmpty() != keyPath.isEmpty())
        return fail(QStringLiteral("--tls-cert and --tls-key go together"));
    QString error;
    if (!certPath.isEmpty() && (!readFile(certPath, &serverOptions.tlsCertificate, &error) ||
                                !readFile(keyPath, &serverOptions.tlsKey, &error)))
        return fail(error);
    // The dashboard is off unless a token file is given; its address is
    // checked before anything starts.
    dashboard::DashboardOptions adminOptions;
    adminOptions.tokenFile = options->value(QStringLiteral("admin-token-file"));
    if (options->contains(QStringLiteral("admin-listen"))) {
        http::ServerOptions admin;
        if (!parseListen(options->value(QStringLiteral("admin-listen")), &admin))
            return fail(
                QStringLiteral("--admin-listen wants HOST:PORT, for example 127.0.0.1:8081"));
        if (adminOptions.tokenFile.isEmpty())
            return fail(QStringLiteral("--admin-listen needs --admin-token-file"));
        adminOptions.host = admin.host;
        adminOptions.port = admin.port;
    }
    bool configGiven = false;
    const std::optional<mapping::Questionnaire> questionnaire =
        readConfig(*options, &error, &configGiven);
    if (!questionnaire)
        return fail(error);

    // Files the service makes are its own alone.
    umask(077);
    raiseDescriptorLimit();
    const QString db = options->value(QStringLiteral("db"));
    if (db.isEmpty())
        return fail(QStringLiteral("--db FILE|URI is required"));
    std::unique_ptr<storage::Storage> store = storage::openStorage(db, &error);
    if (!store)
        return fail(error);
    adminOptions.database = db;

    // The stop signals are taken by sigwait below: every thread started from
    // here on inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    serverOptions.threads = std::max(2u, unsigned(QThread::idealThreadCount()));
    auto committer = std::make_unique<storage::GroupCommitter>(*store);
    receive::MapAnswers map;
    if (configGiven) {
        map = [q = *questionnaire](storage::Registration &registration) {
            q.map(registration);
            return q.overLimit(registration);
        };
    }
    receive::Service service(*committer, questionnaire->path, map);
    http::Server server(serverOptions,
                        [&service](const http::Request &request, http::Respond respond) {
                            service.handle(request, std::move(respond));
                        });
    if (!server.start(&error))
        return fail(error);
    std::unique_ptr<dashboard::Dashboard> board;
    if (!adminOptions.tokenFile.isEmpty()) {
        board = dashboard::Dashboard::start(
            adminOptions, dashboard::readSurvey(options->value(QStringLiteral("config"))),
            configGiven ? &*questionnaire : nullptr, &error);
        if (!board)
            return fail(error);
    }
    printText(stdout, QStringLiteral("listening on %1\n").arg(server.listenAddress()));
    if (board)
        printText(stdout, QStringLiteral("admin on %1\n").arg(board->address()));
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    // No new connections; the registrations handed in are committed and
    // answered before the connections close.
    server.quiesce();
    committer.reset();
    server.stop();
    return 0;
}

int exportCommand(const QStringList &arguments)
{
    int status = 0;
    const auto options = parseOptions(
        arguments,
        "Usage: registrations export --db FILE|URI [--config config.xml] [--format csv|jsonl]\n"
        "                            [--since ISO-DATE]\n"
        "\n"
        "Writes the stored registrations to standard output: CSV (one header row, one row\n"
        "per registration) or JSON Lines (one object per registration).",
        {{"db", "FILE|URI", "the database the service writes (a file or a postgresql:// URI)"},
         {"config", "config.xml",
          "name the question columns by the texts of this configuration's first language"},
         {"format", "csv|jsonl", "the output format (default csv)"},
         {"since", "ISO-DATE", "only registrations received at or after this date (UTC)"}},
        &status);
    if (!options)
        return status;
    const QString formatName = options->value(QStringLiteral("format"), QStringLiteral("csv"));
    if (formatName != QLatin1String("csv") && formatName != QLatin1String("jsonl"))
        return fail(QStringLiteral("--format is csv or jsonl"));
    std::optional<QDateTime> since;
    if (options->contains(QStringLiteral("since"))) {
        since = parseMoment(options->value(QStringLiteral("since")));
        if (!since)
            return fail(QStringLiteral("--since wants an ISO 8601 date, for example 2026-12-01"));
    }
    QString error;
    bool configGiven = false;
    const std::optional<mapping::Questionnaire> questionnaire =
        readConfig(*options, &error, &configGiven);
    if (!questionnaire)
        return fail(error);
    std::unique_ptr<storage::Storage> store = openExisting(*options, &error);
    if (!store)
        return fail(error);
    if (!exporting::writeExport(*store, since,
                                formatName == QLatin1String("csv") ? exporting::Format::Csv
                                                                   : exporting::Format::Jsonl,
                                configGiven ? &*questionnaire : nullptr, stdout, &error))
        return fail(error);
    return 0;
}

int eraseCommand(const QStringList &arguments)
{
    int status = 0;
    const auto options = parseOptions(
        arguments,
        "Usage: registrations erase --db FILE|URI --email ADDRESS\n"
        "\n"
        "Deletes every registration sent with this e-mail address (letter case aside),\n"
        "the raw request included, and prints how many were removed.",
        {{"db", "FILE|URI", "the database the service writes (a file or a postgresql:// URI)"},
         {"email", "ADDRESS", "the player's e-mail address"}},
        &status);
    if (!options)
        return status;
    const QString address = options->value(QStringLiteral("email")).trimmed();
    if (address.isEmpty())
        return fail(QStringLiteral("--email ADDRESS is required"));
    QString error;
    std::unique_ptr<storage::Storage> store = openExisting(*options, &error);
    if (!store)
        return fail(error);
    const std::optional<qint64> removed = store->eraseEmail(address, &error);
    if (!removed)
        return fail(error);
    std::printf("%lld registrations removed\n", static_cast<long long>(*removed));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int purgeCommand(const QStringList &arguments)
{
    int status = 0;
    const auto options = parseOptions(
        arguments,
        "Usage: registrations purge --db FILE|URI --before ISO-DATE\n"
        "\n"
        "Deletes every registration received before the date (UTC) and prints how many\n"
        "were removed.",
        {{"db", "FILE|URI", "the database the service writes (a file or a postgresql:// URI)"},
         {"before", "ISO-DATE", "keep what was received at or after this date"}},
        &status);
    if (!options)
        return status;
    const std::optional<QDateTime> before = parseMoment(options->value(QStringLiteral("before")));
    if (!before)
        return fail(QStringLiteral("--before wants an ISO 8601 date, for example 2026-01-01"));
    QString error;
    std::unique_ptr<storage::Storage> store = openExisting(*options, &error);
    if (!store)
        return fail(error);
    const std::optional<qint64> removed = store->purgeBefore(*before, &error);
    if (!removed)
        return fail(error);
    std::printf("%lld registrations removed\n", static_cast<long long>(*removed));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace registrations
