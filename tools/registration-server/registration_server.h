#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QSocketNotifier;
class QTcpSocket;

namespace registration {

enum class ReplyKind {
    Accepted,  // "ok`|`" and the registration number
    Error,     // "error`|`Registration refused"
    WrongForm, // "ok" without the separator
    Empty,     // status 200, empty body
    Status500, // status 500 with a body that looks like an acceptance
};

struct ServerOptions {
    quint16 port = 0;
    ReplyKind reply = ReplyKind::Accepted;
    int delayMs = 0;
    qint64 largeBodyBytes = -1; // below zero: the reply's own length
    bool redirect = false;
    int maxRequests = 0; // zero: no limit
    QString logPath;
};

// A loopback HTTP/1.0 and 1.1 server that answers GET /register.asp the way a
// registration server does and prints each registration it receives.
class RegistrationServer : public QObject {
    Q_OBJECT
  public:
    explicit RegistrationServer(const ServerOptions &options, QObject *parent = nullptr);

    // Listens on 127.0.0.1; on failure returns false with the reason.
    bool listen(QString *error);
    quint16 port() const { return m_server.serverPort(); }

  signals:
    // The request limit was reached and every answer has been delivered.
    void finished();

  private:
    friend class Connection;

    struct Response {
        int status = 200;
        QByteArray version;
        QByteArray body;
        qint64 bodyBytes = 0; // the body is padded with "x" up to this length
        QByteArray location;
    };

    void acceptConnections();
    // Decides the answer to one complete request head; also prints it.
    Response respond(const QByteArray &head, const QTcpSocket &socket);
    // Appends to the log, flushed, before the answer leaves, and prints on
    // stdout without waiting for a reader; false when the log could not be
    // written.
    bool report(const QStringList &lines);
    // Writes what stdout takes now; the rest waits for it to take more.
    void writePending();
    // A connection has a request to answer; it reports back once it is closed,
    // which is when the request limit can end the server.
    void countAnswered();
    void connectionClosed();

    ServerOptions m_options;
    QTcpServer m_server;
    QFile m_log;
    // Printed lines stdout has not taken yet, and how many were dropped
    // because nobody read them.
    QByteArray m_pending;
    qint64 m_droppedLines = 0;
    QSocketNotifier *m_stdoutReady = nullptr;
    int m_registrations = 0;
    int m_answered = 0;
    int m_openAnswers = 0;
    bool m_redirectDone = false;
};

} // namespace registration
