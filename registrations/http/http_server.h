#pragma once

// The service's HTTP side over libmicrohttpd: a bounded pool of threads each
// polling its connections with epoll, connection time-outs, a limit per
// client address and in all, TLS when given a certificate. A request is
// handed over with its raw target; the handler answers it later, from any
// thread (the connection waits suspended meanwhile and holds no thread).

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace registrations::http {

struct ServerOptions {
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 8080;
    QByteArray tlsCertificate; // PEM; both empty: plain HTTP
    QByteArray tlsKey;
    unsigned threads = 4;
    unsigned connectionLimit = 4000;
    unsigned perAddressLimit = 32;
    unsigned timeoutSeconds = 15;
    // A request target or a header block longer than this is refused with
    // 414 or 431 and never reaches the handler.
    qsizetype maxTargetBytes = 64 * 1024;
    qsizetype maxHeaderBytes = 64 * 1024;
    // Writes one line per finished request to standard error.
    bool logRequests = true;
};

struct Request {
    QByteArray method;
    QByteArray target; // path and query exactly as they arrived
    QString clientAddress;
};

struct Reply {
    int status = 200;
    QByteArray body;
    // Shown in the request's log line (the registration number); never personal data.
    QString note;
};

// Answers one request, once, from any thread.
using Respond = std::function<void(Reply)>;
using Handler = std::function<void(const Request &, Respond)>;

class Server {
  public:
    Server(ServerOptions options, Handler handler);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Starts listening; false with the reason when it cannot.
    bool start(QString *error);
    // The address and the port taken (the real one when 0 was asked for).
    QString listenAddress() const;
    // Stops taking connections. Requests still waiting for their answer are
    // answered when the handler responds; call stop() after that.
    void quiesce();
    void stop();

    struct Private;

  private:
    std::unique_ptr<Private> d;
};

} // namespace registrations::http
