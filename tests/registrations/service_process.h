#pragma once

// Runs the built registrations program for a test: `serve` on a free loopback
// port with a database in a private folder, stopped when the test ends; the
// other commands run to completion; a plain blocking HTTP/1.1 client that
// sends exactly the bytes it is given.

#include "tests/support/test_support.h"

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace testsupport {

struct CommandResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline CommandResult
runRegistrations(const QStringList &arguments,
                 const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(binDir() + QStringLiteral("/registrations"), arguments);
    CommandResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

class ServiceProcess {
  public:
    explicit ServiceProcess(const QString &db, const QStringList &extra = {})
    {
        m_process.setProgram(binDir() + QStringLiteral("/registrations"));
        m_process.setArguments(QStringList{QStringLiteral("serve"), QStringLiteral("--db"), db,
                                           QStringLiteral("--listen"),
                                           QStringLiteral("127.0.0.1:0")} +
                               extra);
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.txt")));
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_firstLine = QString::fromUtf8(m_process.readLine()).trimmed();
        const auto match =
            QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)$"))
                .match(m_firstLine);
        if (match.hasMatch())
            m_port = match.captured(1).toUShort();
    }
    ~ServiceProcess() { stop(); }
    ServiceProcess(const ServiceProcess &) = delete;
    ServiceProcess &operator=(const ServiceProcess &) = delete;

    // Zero when the service did not start.
    quint16 port() const { return m_port; }
    QString firstLine() const { return m_firstLine; }
    QString errors() const { return readFile(m_dir.filePath(QStringLiteral("stderr.txt"))); }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    // SIGTERM, and the exit code (-1 when it had to be killed).
    int stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitCode();
        m_process.terminate();
        if (!m_process.waitForFinished(20000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

  private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_firstLine;
    quint16 m_port = 0;
};

// A certificate authority made for one test, and a certificate it signed for
// 127.0.0.1: dir/ca.pem, dir/server.pem, dir/server.key. False when openssl
// failed.
inline bool makeTestCertificates(const QString &dir)
{
    const auto openssl = [&](const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(dir);
        process.start(QStringLiteral("openssl"), arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    };
    writeFile(dir, QStringLiteral("server.ext"),
              QStringLiteral("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"));
    return openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out",
                    "ca.pem", "-days", "2", "-subj", "/CN=Velmora test CA"}) &&
           openssl({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out",
                    "server.csr", "-subj", "/CN=127.0.0.1"}) &&
           openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                    "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile",
                    "server.ext"});
}

struct HttpResponse {
    int status = 0;
    QByteArray body;
};

// Connects to 127.0.0.1:port (from sourceAddress when given, another loopback
// address counts as another client), no waiting longer than 20 s for anything.
inline int connectLoopback(quint16 port, const char *sourceAddress = nullptr)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    timeval timeout{20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (sourceAddress) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, sourceAddress, &source.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof source) != 0) {
            ::close(fd);
            return -1;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends the request head as given and reads the whole answer (the server
// closes or says how long the body is). Nothing when no answer came.
inline std::optional<HttpResponse> exchange(quint16 port, const QByteArray &request,
                                            const char *sourceAddress = nullptr)
{
    const int fd = connectLoopback(port, sourceAddress);
    if (fd < 0)
        return std::nullopt;
    qsizetype sent = 0;
    while (sent < request.size()) {
        const ssize_t n =
            ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    QByteArray answer;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, n);
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (end < 0)
            continue;
        const auto length = QRegularExpression(QStringLiteral("(?i)\r\ncontent-length: *(\\d+)"))
                                .match(QString::fromLatin1(answer.left(end + 2)));
        if (length.hasMatch() && answer.size() >= end + 4 + length.captured(1).toLongLong())
            break;
    }
    ::close(fd);
    const qsizetype end = answer.indexOf("\r\n\r\n");
    if (!answer.startsWith("HTTP/1.") || end < 0)
        return std::nullopt;
    HttpResponse response;
    response.status = answer.mid(9, 3).toInt();
    response.body = answer.mid(end + 4);
    return response;
}

inline std::optional<HttpResponse> get(quint16 port, const QByteArray &target,
                                       const char *sourceAddress = nullptr)
{
    return exchange(port,
                    "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
                    sourceAddress);
}

} // namespace testsupport
