#include "registrations/dashboard/admin_server.h"

#include "registrations/dashboard/admin_api.h"

#include <QHash>

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace registrations::dashboard {

namespace {

// The admin routes are few and their clients are a browser or two: a small
// single-threaded server, with limits so that nobody can hold it open.
constexpr unsigned kConnectionLimit = 64;
constexpr unsigned kConnectionsPerAddress = 16;
// Long enough for the first bytes of an export of every registration, which
// may need a pass over all of them before its header row.
constexpr unsigned kConnectionTimeoutSeconds = 300;
constexpr size_t kConnectionMemory = 64 * 1024; // request line and headers

// The page loads only its own files and talks only to its own API.
constexpr const char *kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data: blob:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

MHD_Result collectArgument(void *cls, MHD_ValueKind, const char *key, const char *value)
{
    auto *arguments = static_cast<QHash<QString, QString> *>(cls);
    if (key)
        arguments->insert(QString::fromUtf8(key), value ? QString::fromUtf8(value) : QString());
    return MHD_YES;
}

// A download written by a thread of its own into a pipe while the server
// sends what has arrived. Closing the pipe's reading end (the client went
// away, or the answer is done) makes the writer's next write fail, so the
// writer always ends.
struct Download {
    int fd = -1;
    std::atomic<bool> complete{false};
    std::thread writer;
};

ssize_t readDownload(void *cls, uint64_t, char *buffer, size_t max)
{
    auto *download = static_cast<Download *>(cls);
    ssize_t n;
    do {
        n = ::read(download->fd, buffer, max);
    } while (n < 0 && errno == EINTR);
    if (n > 0)
        return n;
    // A download that failed half-way must not look complete: the answer is
    // broken off instead of ended.
    if (n == 0 && download->complete.load(std::memory_order_acquire))
        return MHD_CONTENT_READER_END_OF_STREAM;
    return MHD_CONTENT_READER_END_WITH_ERROR;
}

void endDownload(void *cls)
{
    auto *download = static_cast<Download *>(cls);
    ::close(download->fd);
    if (download->writer.joinable())
        download->writer.join();
    delete download;
}

MHD_Response *streamedResponse(const Writer &stream)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return nullptr;
    auto *download = new Download;
    download->fd = fds[0];
    MHD_Response *response = MHD_create_response_from_callback(
        MHD_SIZE_UNKNOWN, 64 * 1024, &readDownload, download, &endDownload);
    if (!response) {
        ::close(fds[1]);
        endDownload(download);
        return nullptr;
    }
    download->writer = std::thread([stream, fd = fds[1], download] {
        std::FILE *out = fdopen(fd, "w");
        if (!out) {
            ::close(fd);
            return;
        }
        QString error;
        const bool written = stream(out, &error);
        const bool flushed = std::fflush(out) == 0;
        if (written && flushed)
            download->complete.store(true, std::memory_order_release);
        else if (!error.isEmpty())
            std::fprintf(stderr, "admin: download failed: %s\n", qPrintable(error));
        std::fclose(out);
    });
    return response;
}

MHD_Result send(MHD_Connection *connection, const Reply &reply)
{
    MHD_Response *response =
        reply.stream ? streamedResponse(reply.stream)
                     : MHD_create_response_from_buffer(size_t(reply.body.size()),
                                                       const_cast<char *>(reply.body.constData()),
                                                       MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.constData());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, "Content-Security-Policy", kContentSecurityPolicy);
    if (reply.status == MHD_HTTP_UNAUTHORIZED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_WWW_AUTHENTICATE, "Bearer");
    if (!reply.contentDisposition.isEmpty())
        MHD_add_response_header(response, "Content-Disposition",
                                reply.contentDisposition.constData());
    if (!reply.location.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_LOCATION, reply.location.constData());
    const MHD_Result result = MHD_queue_response(connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result handle(void *cls, MHD_Connection *connection, const char *url, const char *method,
                  const char *, const char *, size_t *uploadSize, void **state)
{
    // The first call only announces the request; a body, which no admin
    // route takes, is read and dropped before the answer.
    static int seen;
    if (*state == nullptr) {
        *state = &seen;
        return MHD_YES;
    }
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    const auto &api = *static_cast<const AdminApi *>(cls);
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0)
        return send(connection, {405, "text/plain; charset=utf-8", "GET only\n", {}, {}, {}});
    QHash<QString, QString> arguments;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collectArgument, &arguments);
    const char *authorization =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
    return send(connection, api.get(QString::fromUtf8(url), arguments,
                                    authorization ? QByteArray(authorization) : QByteArray()));
}

} // namespace

AdminServer::AdminServer(const AdminApi &api) : m_api(api) {}

AdminServer::~AdminServer()
{
    stop();
}

bool AdminServer::start(const QString &host, quint16 port, QString *error)
{
    stop();
    const QString numeric = host == u"localhost" ? QStringLiteral("127.0.0.1") : host;
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr *address = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO;
    const QByteArray text = numeric.toLatin1();
    if (inet_pton(AF_INET, text.constData(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        address = reinterpret_cast<const sockaddr *>(&v4);
    } else if (inet_pton(AF_INET6, text.constData(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        address = reinterpret_cast<const sockaddr *>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        *error = QStringLiteral("admin address %1 is not a numeric IP address").arg(host);
        return false;
    }
    m_daemon = MHD_start_daemon(
        flags, port, nullptr, nullptr, &handle, const_cast<AdminApi *>(&m_api),
        MHD_OPTION_SOCK_ADDR, address, MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, kConnectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT,
        kConnectionTimeoutSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
        MHD_OPTION_END);
    if (!m_daemon) {
        *error = QStringLiteral("cannot listen on %1:%2 for the dashboard").arg(host).arg(port);
        return false;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
    m_host = numeric;
    return true;
}

void AdminServer::stop()
{
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}

QString AdminServer::address() const
{
    const QString host = m_host.contains(u':') ? u'[' + m_host + u']' : m_host;
    return host + u':' + QString::number(m_port);
}

} // namespace registrations::dashboard
