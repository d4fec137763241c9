#pragma once

// A loopback HTTP server for tests that answers with exactly the bytes it is
// given: broken framing, lies, pauses, connections that stay open. It runs on
// its own threads with plain sockets, so it answers while the test's thread
// is blocked or runs an event loop of its own.

#include <QByteArray>
#include <QList>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace testsupport {

// What the server does with one request: each part after its pause, then it
// closes the connection unless keepOpen (then it waits for the next request
// on the same connection).
struct Script {
    struct Part {
        int pauseMs = 0;
        QByteArray bytes;
    };
    QList<Part> parts;
    bool keepOpen = false;
};

inline Script replyAndClose(const QByteArray &bytes)
{
    return Script{{{0, bytes}}, false};
}

inline Script replyKeepOpen(const QByteArray &bytes)
{
    return Script{{{0, bytes}}, true};
}

// The head at once, then the body in `pieces` pieces, `pauseMs` apart.
inline Script drip(const QByteArray &head, const QByteArray &body, int pieces, int pauseMs)
{
    Script script{{{0, head}}, false};
    const qsizetype step = (body.size() + pieces - 1) / pieces;
    for (qsizetype at = 0; at < body.size(); at += step)
        script.parts.append({pauseMs, body.mid(at, step)});
    return script;
}

class HostileServer {
  public:
    // The i-th request (counted over all connections) gets answers[i]; the
    // last answer serves every request after it.
    explicit HostileServer(QList<Script> answers) : m_answers(std::move(answers))
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(m_listen, 16) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptConnections(); });
    }

    ~HostileServer()
    {
        m_stop = true;
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (std::thread &connection : m_connections)
            connection.join();
        if (m_listen >= 0)
            ::close(m_listen);
    }

    HostileServer(const HostileServer &) = delete;
    HostileServer &operator=(const HostileServer &) = delete;

    // Zero when the server could not listen.
    quint16 port() const { return m_port; }
    QString url(const QString &pathAndQuery) const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + pathAndQuery;
    }
    // The request line of every request received, in order.
    QList<QByteArray> requestLines() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requestLines;
    }

  private:
    // Waits until fd can be read; false when the server is stopping.
    bool waitReadable(int fd) const
    {
        pollfd p{fd, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&p, 1, 20) > 0)
                return true;
        }
        return false;
    }

    void pause(int ms) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!m_stop && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    void acceptConnections()
    {
        while (waitReadable(m_listen)) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd >= 0)
                m_connections.emplace_back([this, fd] {
                    serve(fd);
                    ::close(fd);
                });
        }
    }

    void serve(int fd)
    {
        QByteArray pending;
        for (;;) {
            while (!pending.contains("\r\n\r\n")) {
                char buffer[4096];
                if (!waitReadable(fd))
                    return;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0)
                    return;
                pending.append(buffer, n);
            }
            const qsizetype end = pending.indexOf("\r\n\r\n");
            const QByteArray line = pending.left(pending.indexOf("\r\n"));
            pending.remove(0, end + 4);
            qsizetype index = 0;
            {
                const std::lock_guard lock(m_mutex);
                index = m_requestLines.size();
                m_requestLines.append(line);
            }
            const Script &script = m_answers[std::min(index, m_answers.size() - 1)];
            for (const Script::Part &part : script.parts) {
                pause(part.pauseMs);
                for (qsizetype sent = 0; sent < part.bytes.size();) {
                    const ssize_t n = ::send(fd, part.bytes.constData() + sent,
                                             size_t(part.bytes.size() - sent), MSG_NOSIGNAL);
                    if (n <= 0)
                        return; // the client gave up
                    sent += n;
                }
            }
            if (!script.keepOpen) {
                ::shutdown(fd, SHUT_WR);
                return;
            }
        }
    }

    QList<Script> m_answers;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    std::vector<std::thread> m_connections; // touched by the acceptor only
    mutable std::mutex m_mutex;
    QList<QByteArray> m_requestLines;
};

// Puts an environment variable in place for a scope (a null value removes
// it) and restores it.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_saved(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_saved.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_saved);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    const char *m_name;
    QByteArray m_saved;
};

} // namespace testsupport
