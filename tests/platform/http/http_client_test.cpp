#include "platform/http/http_client.h"

#include "tests/tools/registration-server/server_process.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QNetworkProxyFactory>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

using testsupport::RegistrationServerProcess;

const QString kPath = QStringLiteral("/register.asp?ans=2%60Fred%27s%20Garage&FirstName=Ann");

struct ReplyCase {
    const char *name;
    QStringList arguments;
    QString expected;
};

void PrintTo(const ReplyCase &row, std::ostream *os)
{
    *os << row.name;
}

class ServerReply : public ::testing::TestWithParam<ReplyCase> {};

// The body comes back exactly as sent when the request succeeded; a failed
// request (status 500, even with a body that reads like an acceptance) gives
// nothing. Every row checks that the server did receive the registration, so
// an empty result cannot come from a request that never arrived.
TEST_P(ServerReply, returnsBodyOfSuccessfulReplyOnly)
{
    RegistrationServerProcess server(GetParam().arguments);
    ASSERT_NE(server.port(), 0) << server.firstLine().toStdString();

    EXPECT_EQ(http::get(server.url(kPath)), GetParam().expected);
    EXPECT_TRUE(server.log().contains(QStringLiteral("--- registration #1\n")));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ServerReply,
    ::testing::Values(
        ReplyCase{"accepted", {}, QStringLiteral("ok`|`VLM-000001")},
        ReplyCase{"refused", {"--reply", "error"}, QStringLiteral("error`|`Registration refused")},
        ReplyCase{"wrongForm", {"--reply", "wrong-form"}, QStringLiteral("ok")},
        ReplyCase{"emptyBody", {"--reply", "empty"}, QString()},
        ReplyCase{"status500", {"--reply", "status500"}, QString()}),
    [](const auto &info) { return std::string(info.param.name); });

// Each escape reaches the server as the caller wrote it, escapes of
// unreserved characters ("%2D", "%5F", "%7e") included.
TEST(HttpGet, sendsTheCallersEscapesOnTheRequestLine)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);

    const QString query =
        QStringLiteral("?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG"
                       "&FirstName=Ann&LastName=Lee&Email=ann%40mail%252Eexample%252Ecom"
                       "&dob=1990/5/17&City=Caf%E9&State=a%2526b%253Dc&Login=x%2Dy%5Fz%7e"
                       "&pname=Demo%20Game&lang=English");
    ASSERT_EQ(http::get(server.url(QStringLiteral("/register.asp") + query)),
              QStringLiteral("ok`|`VLM-000001"));

    const QString expectedTarget =
        QStringLiteral("/register.asp?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG"
                       "&FirstName=Ann&LastName=Lee&Email=ann%40mail%252Eexample%252Ecom"
                       "&dob=1990/5/17&City=Caf%E9&State=a%2526b%253Dc&Login=x%2Dy%5Fz%7e"
                       "&pname=Demo%20Game&lang=English");
    const QString expectedLog = QStringLiteral("--- registration #1\n"
                                               "answer 2: Fred's Garage\n"
                                               "answer 5: Yes\n"
                                               "answer 7: RPG\n"
                                               "FirstName: Ann\n"
                                               "LastName: Lee\n"
                                               "Email: ann@mail.example.com\n"
                                               "dob: 1990/5/17\n"
                                               "City: Caf\u00e9\n"
                                               "State: a&b=c\n"
                                               "Login: x-y_z~\n"
                                               "pname: Demo Game\n"
                                               "lang: English\n"
                                               "request: ") +
                                expectedTarget + QStringLiteral("\n");
    EXPECT_EQ(server.log(), expectedLog);
}

TEST(HttpGet, followsRedirectsWithinTheLimit)
{
    RegistrationServerProcess server({QStringLiteral("--redirect")});
    ASSERT_NE(server.port(), 0);

    EXPECT_EQ(http::get(server.url(kPath)), QStringLiteral("ok`|`VLM-000001"));
    const QString log = server.log();
    EXPECT_TRUE(log.startsWith(QStringLiteral("--- redirect to ")));
    EXPECT_TRUE(log.contains(QStringLiteral("\nredirected: 1\n")));
}

TEST(HttpGet, failsWhenRedirectsExceedTheLimit)
{
    RegistrationServerProcess server({QStringLiteral("--redirect")});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.maxRedirects = 0;
    EXPECT_EQ(http::get(server.url(kPath), options), QString());
    EXPECT_FALSE(server.log().contains(QStringLiteral("--- registration")));
}

TEST(HttpGet, failsPromptlyWhenNothingListens)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(http::get(QStringLiteral("http://127.0.0.1:%1/register.asp?ans=").arg(port)),
              QString());
    EXPECT_LT(elapsed.elapsed(), 5000);
}

// A connection that fails at once (port 0 is no port to connect to) ends the
// request at once, also without any time-out.
TEST(HttpGet, failsPromptlyWhenTheConnectionCannotStart)
{
    http::GetOptions options;
    options.timeoutMs = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(http::get(QStringLiteral("http://127.0.0.1:0/register.asp?ans="), options),
              QString());
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST(HttpGet, givesUpAtTheTimeOutOfTheWholeRequest)
{
    RegistrationServerProcess server({QStringLiteral("--delay-ms"), QStringLiteral("30000")});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.timeoutMs = 300;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(http::get(server.url(kPath), options), QString());
    EXPECT_GE(elapsed.elapsed(), 250);
    EXPECT_LT(elapsed.elapsed(), 10000);
}

struct BodyLimitCase {
    const char *name;
    qint64 bodyBytes;
    qint64 limit;
    bool accepted;
};

void PrintTo(const BodyLimitCase &row, std::ostream *os)
{
    *os << row.name;
}

class BodyLimit : public ::testing::TestWithParam<BodyLimitCase> {};

// A body up to the limit is returned whole; one byte more fails the request.
TEST_P(BodyLimit, rejectsBodiesOverTheLimit)
{
    const BodyLimitCase &row = GetParam();
    RegistrationServerProcess server(
        {QStringLiteral("--large-body"), QString::number(row.bodyBytes)});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.maxBodyBytes = row.limit;
    const QString body = http::get(server.url(kPath), options);
    if (row.accepted) {
        EXPECT_EQ(body.size(), row.bodyBytes);
        EXPECT_TRUE(body.startsWith(QStringLiteral("ok`|`VLM-000001xxx")));
    } else {
        EXPECT_EQ(body, QString());
    }
}

INSTANTIATE_TEST_SUITE_P(Bodies, BodyLimit,
                         ::testing::Values(BodyLimitCase{"exactlyAtLimit", 300000, 300000, true},
                                           BodyLimitCase{"oneByteOver", 300001, 300000, false},
                                           BodyLimitCase{"farOverDefaultLimit", 50 << 20,
                                                         http::GetOptions().maxBodyBytes, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// A proxy named in the environment, with the platform's proxy settings in
// use, must not capture requests to this machine.
TEST(HttpGet, reachesLoopbackDespiteAnEnvironmentProxy)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        deadPort = probe.serverPort();
    }
    const QByteArray saved = qgetenv("http_proxy");
    qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(deadPort));
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    const QString body = http::get(server.url(kPath));
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    if (saved.isNull())
        qunsetenv("http_proxy");
    else
        qputenv("http_proxy", saved);

    EXPECT_EQ(body, QStringLiteral("ok`|`VLM-000001"));
}

// A server in this process that answers every request with the given bytes
// and closes; it keeps the request head it read.
class CannedServer : public QObject {
  public:
    explicit CannedServer(QByteArray answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_head += socket->readAll();
                if (!m_head.contains("\r\n\r\n"))
                    return;
                socket->write(m_answer);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        });
    }
    QString url(const QString &pathAndQuery) const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()) + pathAndQuery;
    }
    QByteArray requestLine() const { return m_head.left(m_head.indexOf("\r\n")); }

  private:
    QTcpServer m_server;
    QByteArray m_answer;
    QByteArray m_head;
};

// Escapes of unreserved characters (a hyphen in a telephone number) reach the
// server as escapes, exactly as the query was encoded.
TEST(HttpGet, requestLineKeepsEscapesOfUnreservedCharacters)
{
    CannedServer server(
        "HTTP/1.1 200 OK\r\nContent-Length: 8\r\nConnection: close\r\n\r\nok`|`abc");
    EXPECT_EQ(http::get(server.url(QStringLiteral("/r.asp?ans=&Phone=555%2D1234%5F%7E%252E"))),
              QStringLiteral("ok`|`abc"));
    EXPECT_EQ(server.requestLine(),
              QByteArray("GET /r.asp?ans=&Phone=555%2D1234%5F%7E%252E HTTP/1.1"));
}

TEST(HttpGet, readsAChunkedBody)
{
    CannedServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                        "5\r\nok`|`\r\n3;x=y\r\nabc\r\n0\r\n\r\n");
    EXPECT_EQ(http::get(server.url(QStringLiteral("/r.asp?ans="))), QStringLiteral("ok`|`abc"));
}

TEST(HttpGet, failsOnABodyCutShort)
{
    CannedServer server("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nok`|`abc");
    EXPECT_EQ(http::get(server.url(QStringLiteral("/r.asp?ans="))), QString());
}

TEST(HttpGet, rejectsWhatIsNotAnHttpUrl)
{
    for (const QString &url :
         {QString(), QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1/register.asp"),
          QStringLiteral("file:///etc/hostname")}) {
        SCOPED_TRACE(url.toStdString());
        EXPECT_EQ(http::get(url), QString());
    }
}

} // namespace
