#include "tools/registration-server/registration_server.h"

#include "register/rules/query_decoding.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace registration {

namespace {

// Request line and headers together; a GET of the wizard needs a few
// kilobytes, anything far beyond is a broken or hostile client.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;
// A client that connects and sends nothing must not hold a socket forever.
constexpr int kIdleMs = 30000;
// Large bodies are queued a chunk at a time as the client reads them.
constexpr qint64 kChunkBytes = 64 * 1024;
// How long a client may keep the connection open after its answer.
constexpr int kLingerMs = 5000;
// Printed lines held for a standard output nobody reads, before newer ones
// are dropped.
constexpr qsizetype kMaxPendingBytes = 1024 * 1024;

const QByteArray kSeparator = QByteArrayLiteral("`|`");

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Unknown";
    }
}

// End of the request head (after the blank line), or -1. Bare line feeds are
// accepted as well, as many servers do.
qsizetype headEnd(const QByteArray &buffer)
{
    const qsizetype crlf = buffer.indexOf("\r\n\r\n");
    const qsizetype lf = buffer.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf + 2 <= lf))
        return crlf + 4;
    if (lf >= 0)
        return lf + 2;
    return -1;
}

} // namespace

// One client connection: reads one request head, answers it, closes.
class Connection : public QObject {
  public:
    Connection(QTcpSocket *socket, RegistrationServer *server)
        : QObject(socket), m_socket(socket), m_server(server)
    {
        connect(socket, &QTcpSocket::readyRead, this, &Connection::readHead);
        connect(socket, &QTcpSocket::bytesWritten, this, [this] {
            if (!m_sending)
                return;
            // While answering, the idle limit applies to a client that stops reading.
            m_timer.start(kIdleMs);
            writeMore();
        });
        connect(socket, &QTcpSocket::disconnected, this, &Connection::finish);
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_socket->abort();
            finish();
        });
        m_timer.start(kIdleMs);
    }

  private:
    void readHead()
    {
        if (m_headRead) {
            // A body or a pipelined request is not used; it is drained so that
            // closing the socket does not reset the connection under the answer.
            m_socket->readAll();
            return;
        }
        m_buffer += m_socket->read(kMaxHeadBytes + 1 - m_buffer.size());
        const qsizetype end = headEnd(m_buffer);
        if (end < 0 && m_buffer.size() <= kMaxHeadBytes)
            return;
        m_headRead = true;
        m_timer.stop();
        m_server->countAnswered();
        m_answered = true;
        RegistrationServer::Response response;
        if (end < 0 || end > kMaxHeadBytes) {
            response.status = 431;
            response.body = "Request header too large";
            m_server->report(
                {QStringLiteral("--- not a registration: 431 (request head over %1 bytes)")
                     .arg(kMaxHeadBytes)});
        } else {
            response = m_server->respond(m_buffer.left(end), *m_socket);
        }
        m_buffer.clear();
        m_socket->readAll();
        const int delay =
            response.status == 431 || response.status == 400 ? 0 : m_server->m_options.delayMs;
        if (delay > 0)
            QTimer::singleShot(delay, this, [this, response] { send(response); });
        else
            send(response);
    }

    void send(const RegistrationServer::Response &response)
    {
        const qint64 bodyBytes = response.bodyBytes > 0 ? response.bodyBytes : response.body.size();
        QByteArray head = (response.version.isEmpty() ? QByteArray("HTTP/1.1") : response.version) +
                          ' ' + QByteArray::number(response.status) + ' ' +
                          reasonPhrase(response.status) + "\r\n";
        head += "Content-Type: text/plain; charset=utf-8\r\n";
        head += "Content-Length: " + QByteArray::number(bodyBytes) + "\r\n";
        if (!response.location.isEmpty())
            head += "Location: " + response.location + "\r\n";
        head += "Connection: close\r\n\r\n";
        const QByteArray start = response.body.left(bodyBytes);
        m_socket->write(head + start);
        m_padding = bodyBytes - start.size();
        m_sending = true;
        writeMore();
    }

    void writeMore()
    {
        while (m_padding > 0 && m_socket->bytesToWrite() < 4 * kChunkBytes) {
            const qint64 chunk = std::min(m_padding, kChunkBytes);
            m_socket->write(QByteArray(chunk, 'x'));
            m_padding -= chunk;
        }
        if (m_padding == 0 && m_socket->bytesToWrite() == 0) {
            m_sending = false;
            // Lingering close: only our direction is shut, and whatever the
            // client still sends is drained until it closes. Closing both
            // directions while request bytes are unread makes the kernel reset
            // the connection, and the client can lose the answer with it.
            ::shutdown(m_socket->socketDescriptor(), SHUT_WR);
            m_timer.start(kLingerMs);
        }
    }

    // Runs once per connection, however it ended.
    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_timer.stop();
        if (m_answered)
            m_server->connectionClosed();
        m_socket->deleteLater();
    }

    QTcpSocket *m_socket;
    RegistrationServer *m_server;
    QTimer m_timer;
    QByteArray m_buffer;
    bool m_headRead = false;
    bool m_answered = false;
    bool m_sending = false;
    bool m_finished = false;
    qint64 m_padding = 0;
};

RegistrationServer::RegistrationServer(const ServerOptions &options, QObject *parent)
    : QObject(parent), m_options(options)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RegistrationServer::acceptConnections);
}

bool RegistrationServer::listen(QString *error)
{
    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = QStringLiteral("cannot open log %1: %2")
                         .arg(m_options.logPath, m_log.errorString());
            return false;
        }
    }
    if (!m_server.listen(QHostAddress::LocalHost, m_options.port)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

void RegistrationServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection())
        new Connection(socket, this); // owned by the socket
}

RegistrationServer::Response RegistrationServer::respond(const QByteArray &head,
                                                         const QTcpSocket &socket)
{
    Response response;
    const qsizetype lineEnd = head.indexOf('\n');
    QByteArray requestLine = head.left(lineEnd);
    if (requestLine.endsWith('\r'))
        requestLine.chop(1);
    const QList<QByteArray> parts = requestLine.split(' ');
    const bool wellFormed = parts.size() == 3 && !parts[0].isEmpty() && !parts[1].isEmpty() &&
                            parts[2].startsWith("HTTP/1.");
    if (!wellFormed) {
        response.status = 400;
        response.body = "Bad request";
        report({QStringLiteral("--- not a registration: 400 %1").arg(printableBytes(requestLine))});
        return response;
    }
    response.version = parts[2] == "HTTP/1.0" ? QByteArray("HTTP/1.0") : QByteArray("HTTP/1.1");

    QByteArray target = parts[1];
    // A request through a proxy carries the absolute form "http://host/path".
    if (target.startsWith("http://") || target.startsWith("https://")) {
        const qsizetype slash = target.indexOf('/', target.indexOf("//") + 2);
        target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);

    if (parts[0] != "GET") {
        response.status = 405;
        response.body = "Only GET is served";
    } else if (!target.startsWith('/')) {
        response.status = 400;
        response.body = "Bad request";
    } else if (path.compare("/register.asp", Qt::CaseInsensitive) != 0) {
        response.status = 404;
        response.body = "Not found";
    }
    if (response.status != 200) {
        report({QStringLiteral("--- not a registration: %1 %2")
                    .arg(response.status)
                    .arg(printableBytes(requestLine))});
        return response;
    }

    if (m_options.redirect && !m_redirectDone) {
        m_redirectDone = true;
        response.status = 302;
        response.body = "Moved";
        response.location = "http://" + socket.localAddress().toString().toLatin1() + ':' +
                            QByteArray::number(socket.localPort()) + target +
                            (target.contains('?') ? "&redirected=1" : "?redirected=1");
        report({QStringLiteral("--- redirect to %1").arg(printableBytes(response.location))});
        return response;
    }

    ++m_registrations;
    if (!report(describeRegistration(m_registrations, target))) {
        // Not written is not received: the client must not take it for an
        // acceptance, and may try again.
        std::fprintf(stderr,
                     "registration-server: registration #%d could not be written to the log: "
                     "%s\n",
                     m_registrations, qPrintable(m_log.errorString()));
        response.status = 503;
        response.body = "error" + kSeparator + "The registration could not be stored";
        return response;
    }
    const QByteArray number = "VLM-" + QByteArray::number(m_registrations).rightJustified(6, '0');
    switch (m_options.reply) {
    case ReplyKind::Accepted:
        response.body = "ok" + kSeparator + number;
        break;
    case ReplyKind::Error:
        response.body = "error" + kSeparator + "Registration refused";
        break;
    case ReplyKind::WrongForm:
        response.body = "ok";
        break;
    case ReplyKind::Empty:
        break;
    case ReplyKind::Status500:
        // Looks like an acceptance, so a client that reads the body of a
        // failed request instead of its status is caught.
        response.status = 500;
        response.body = "ok" + kSeparator + number;
        break;
    }
    if (m_options.largeBodyBytes >= 0) {
        response.body.truncate(m_options.largeBodyBytes);
        response.bodyBytes = m_options.largeBodyBytes;
    }
    return response;
}

bool RegistrationServer::report(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + '\n';
    // Written before the answer goes out, so a client that has its answer
    // finds the registration in the log.
    bool logged = true;
    if (m_log.isOpen()) {
        m_log.unsetError();
        logged = m_log.write(text) == text.size() && m_log.flush();
    }
    // Standard output only shows what arrives; a reader that stops reading
    // must not stop the server, so the lines wait here, up to a limit.
    if (m_pending.size() + text.size() <= kMaxPendingBytes)
        m_pending += text;
    else
        m_droppedLines += lines.size();
    writePending();
    return logged;
}

void RegistrationServer::writePending()
{
    if (m_pending.isEmpty() && m_droppedLines > 0) {
        m_pending = QByteArrayLiteral("--- ") + QByteArray::number(m_droppedLines) +
                    " lines not printed: standard output was not read\n";
        m_droppedLines = 0;
    }
    while (!m_pending.isEmpty()) {
        // Only as much as a pipe takes at once without blocking, and only
        // when it can take it.
        pollfd ready = {STDOUT_FILENO, POLLOUT, 0};
        if (::poll(&ready, 1, 0) != 1 || !(ready.revents & POLLOUT)) {
            if (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                m_pending.clear(); // nobody will ever read it
                return;
            }
            break;
        }
        const ssize_t written = ::write(STDOUT_FILENO, m_pending.constData(),
                                        size_t(std::min<qsizetype>(m_pending.size(), PIPE_BUF)));
        if (written < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (written <= 0) {
            m_pending.clear();
            return;
        }
        m_pending.remove(0, written);
    }
    if (m_pending.isEmpty()) {
        if (m_stdoutReady)
            m_stdoutReady->setEnabled(false);
        return;
    }
    if (!m_stdoutReady) {
        m_stdoutReady = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Write, this);
        connect(m_stdoutReady, &QSocketNotifier::activated, this,
                &RegistrationServer::writePending);
    }
    m_stdoutReady->setEnabled(true);
}

void RegistrationServer::countAnswered()
{
    ++m_answered;
    ++m_openAnswers;
    if (m_options.maxRequests > 0 && m_answered >= m_options.maxRequests)
        m_server.close();
}

void RegistrationServer::connectionClosed()
{
    --m_openAnswers;
    if (m_options.maxRequests > 0 && m_answered >= m_options.maxRequests && m_openAnswers == 0)
        emit finished();
}

} // namespace registration
