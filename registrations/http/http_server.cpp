#include "registrations/http/http_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <ctime>
#include <microhttpd.h>
#include <mutex>
#include <netdb.h>
#include <optional>
#include <sys/socket.h>

namespace registrations::http {

namespace {

// One request from its first line to the end of its answer.
struct Exchange {
    Server::Private *server = nullptr;
    MHD_Connection *connection = nullptr;
    QByteArray target;
    const char *lineTarget = nullptr; // where the target stands in the library's request line
    bool headRead = false;
    bool handed = false;
    std::mutex mutex;
    bool suspended = false;
    std::optional<Reply> reply;
    // For the log line.
    int status = 0;
    qsizetype bytesIn = 0;
    qsizetype bytesOut = 0;
    QString note;
    QString client; // the client's address, once it has been looked up
};

QString addressText(const sockaddr *address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (!address)
        return QStringLiteral("-");
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text,
                  sizeof text);
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text,
                  sizeof text);
    } else {
        return QStringLiteral("-");
    }
    return QString::fromLatin1(text);
}

QString clientAddress(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return addressText(info ? info->client_addr : nullptr);
}

enum MHD_Result countHeader(void *cls, enum MHD_ValueKind, const char *key, const char *value)
{
    // Each line "key: value" and its line end.
    *static_cast<qsizetype *>(cls) += qsizetype(qstrlen(key)) + qsizetype(qstrlen(value)) + 4;
    return MHD_YES;
}

MHD_Result queueReply(Exchange &exchange, const Reply &reply)
{
    MHD_Response *response = MHD_create_response_from_buffer(
        size_t(reply.body.size()), const_cast<char *>(reply.body.constData()),
        MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain; charset=utf-8");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    exchange.status = reply.status;
    exchange.bytesOut = reply.body.size();
    exchange.note = reply.note;
    const MHD_Result result =
        MHD_queue_response(exchange.connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return result;
}

} // namespace

struct Server::Private {
    ServerOptions options;
    Handler handler;
    MHD_Daemon *daemon = nullptr;
    quint16 port = 0;
    std::mutex logMutex;

    void log(const Exchange &exchange, const QString &client)
    {
        if (!options.logRequests)
            return;
        // Written with the C library rather than QString's argument chain:
        // it runs once per request, on the threads that serve them.
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        tm utc{};
        gmtime_r(&now.tv_sec, &utc);
        char status[16] = "-";
        if (exchange.status)
            std::snprintf(status, sizeof status, "%d", exchange.status);
        const QByteArray address = client.toUtf8();
        const QByteArray note = exchange.note.isEmpty() ? QByteArray("-") : exchange.note.toUtf8();
        // Never the query: it carries the player's personal data.
        char line[512];
        const int length = std::snprintf(
            line, sizeof line, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ %s %s %s in=%lld out=%lld\n",
            utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
            int(now.tv_nsec / 1000000), address.constData(), status, note.constData(),
            static_cast<long long>(exchange.bytesIn), static_cast<long long>(exchange.bytesOut));
        if (length <= 0)
            return;
        std::lock_guard lock(logMutex);
        std::fwrite(line, 1, std::min(size_t(length), sizeof line - 1), stderr);
        std::fflush(stderr);
    }

    static void *begin(void *cls, const char *uri, MHD_Connection *connection)
    {
        auto *exchange = new Exchange;
        exchange->server = static_cast<Private *>(cls);
        exchange->connection = connection;
        exchange->target = QByteArray(uri);
        exchange->lineTarget = uri;
        return exchange;
    }

    static void completed(void *cls, MHD_Connection *connection, void **context,
                          enum MHD_RequestTerminationCode)
    {
        auto *exchange = static_cast<Exchange *>(*context);
        if (!exchange)
            return;
        static_cast<Private *>(cls)->log(
            *exchange, exchange->client.isEmpty() ? clientAddress(connection) : exchange->client);
        delete exchange;
        *context = nullptr;
    }

    // The library hands the target over as a C string: a NUL byte sent inside
    // it would cut it short unseen. In the request line the version follows
    // the target and one blank; anything else between them means the target
    // held a NUL (or was not one token).
    static bool wholeTarget(const Exchange &exchange, const char *version)
    {
        const char *end = exchange.lineTarget + exchange.target.size();
        return version == end + 1;
    }

    static MHD_Result access(void *cls, MHD_Connection *connection, const char *,
                             const char *method, const char *version, const char *,
                             size_t *uploadSize, void **context)
    {
        auto *self = static_cast<Private *>(cls);
        auto *exchange = static_cast<Exchange *>(*context);
        if (!exchange)
            return MHD_NO;
        // A GET is answered once it has been read whole, so the connection
        // can carry the next request; anything else is refused at once.
        if (!exchange->headRead) {
            exchange->headRead = true;
            if (qstrcmp(method, MHD_HTTP_METHOD_GET) == 0)
                return MHD_YES;
        }
        if (*uploadSize != 0) {
            *uploadSize = 0; // a body is dropped: no request of ours has one
            return MHD_YES;
        }
        if (exchange->handed) {
            std::lock_guard lock(exchange->mutex);
            if (!exchange->reply)
                return MHD_YES;
            return queueReply(*exchange, *exchange->reply);
        }
        exchange->handed = true;
        qsizetype headerBytes = 0;
        MHD_get_connection_values(connection, MHD_HEADER_KIND, countHeader, &headerBytes);
        exchange->bytesIn = exchange->target.size() + headerBytes;
        if (exchange->target.size() > self->options.maxTargetBytes)
            return queueReply(*exchange, {414, "error`|`Request target too long", {}});
        if (headerBytes > self->options.maxHeaderBytes)
            return queueReply(*exchange, {431, "error`|`Request headers too large", {}});
        if (!wholeTarget(*exchange, version))
            return queueReply(*exchange, {400, "error`|`Malformed request line", {}});

        exchange->client = clientAddress(connection);
        Request request{QByteArray(method), exchange->target, exchange->client};
        self->handler(request, [exchange](Reply reply) {
            std::lock_guard lock(exchange->mutex);
            exchange->reply = std::move(reply);
            if (exchange->suspended) {
                exchange->suspended = false;
                MHD_resume_connection(exchange->connection);
            }
        });
        std::lock_guard lock(exchange->mutex);
        if (exchange->reply)
            return queueReply(*exchange, *exchange->reply);
        // The answer comes later: the connection waits without holding a thread.
        exchange->suspended = true;
        MHD_suspend_connection(connection);
        return MHD_YES;
    }

    static void logLibrary(void *, const char *format, va_list arguments)
    {
        std::fputs("registrations: http: ", stderr);
        std::vfprintf(stderr, format, arguments);
    }
};

Server::Server(ServerOptions options, Handler handler) : d(std::make_unique<Private>())
{
    d->options = std::move(options);
    d->handler = std::move(handler);
}

Server::~Server()
{
    stop();
}

bool Server::start(QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray host = d->options.host.toUtf8();
    const QByteArray port = QByteArray::number(d->options.port);
    if (const int status = getaddrinfo(host.constData(), port.constData(), &hints, &found))
        return fail(QStringLiteral("cannot listen on %1: %2")
                        .arg(d->options.host, QString::fromUtf8(gai_strerror(status))));
    sockaddr_storage address{};
    memcpy(&address, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);

    const bool tls = !d->options.tlsCertificate.isEmpty();
    if (tls && MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES)
        return fail(QStringLiteral("this build of libmicrohttpd cannot serve TLS"));
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME |
                     MHD_USE_ITC | MHD_USE_ERROR_LOG;
    if (address.ss_family == AF_INET6)
        flags |= MHD_USE_IPv6;
    if (tls)
        flags |= MHD_USE_TLS;
    // Room for a request line and header block at their limits, and more:
    // what is longer still is refused by the library itself.
    const size_t memoryLimit =
        size_t(d->options.maxTargetBytes + d->options.maxHeaderBytes) + 32 * 1024;
    const QByteArray certificate = d->options.tlsCertificate + '\0';
    const QByteArray key = d->options.tlsKey + '\0';
    MHD_OptionItem tlsOptions[] = {
        {tls ? MHD_OPTION_HTTPS_MEM_CERT : MHD_OPTION_END, 0,
         const_cast<char *>(certificate.constData())},
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char *>(key.constData())},
        {MHD_OPTION_END, 0, nullptr},
    };
    d->daemon = MHD_start_daemon(
        flags, d->options.port, nullptr, nullptr, &Private::access, d.get(),
        MHD_OPTION_EXTERNAL_LOGGER, &Private::logLibrary, nullptr, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<sockaddr *>(&address), MHD_OPTION_THREAD_POOL_SIZE, d->options.threads,
        MHD_OPTION_CONNECTION_LIMIT, d->options.connectionLimit, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        d->options.perAddressLimit, MHD_OPTION_CONNECTION_TIMEOUT, d->options.timeoutSeconds,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, memoryLimit, MHD_OPTION_URI_LOG_CALLBACK,
        &Private::begin, d.get(), MHD_OPTION_NOTIFY_COMPLETED, &Private::completed, d.get(),
        MHD_OPTION_ARRAY, tlsOptions, MHD_OPTION_END);
    if (!d->daemon)
        return fail(tls ? QStringLiteral("cannot listen on %1:%2 (is the address free, and do "
                                         "the certificate and key match?)")
                              .arg(d->options.host)
                              .arg(d->options.port)
                        : QStringLiteral("cannot listen on %1:%2 (is the address free?)")
                              .arg(d->options.host)
                              .arg(d->options.port));
    const MHD_DaemonInfo *info = MHD_get_daemon_info(d->daemon, MHD_DAEMON_INFO_BIND_PORT);
    d->port = info ? info->port : d->options.port;
    return true;
}

QString Server::listenAddress() const
{
    const QString host =
        d->options.host.contains(u':') ? u'[' + d->options.host + u']' : d->options.host;
    return QStringLiteral("%1:%2").arg(host).arg(d->port);
}

void Server::quiesce()
{
    if (d->daemon)
        MHD_quiesce_daemon(d->daemon);
}

void Server::stop()
{
    if (d->daemon) {
        MHD_stop_daemon(d->daemon);
        d->daemon = nullptr;
    }
}

} // namespace registrations::http
