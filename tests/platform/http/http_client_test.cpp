#include "platform/http/http_client.h"
#include "tests/support/test_support.h"

#include "tests/platform/http/hostile_replies.h"
#include "tests/tools/registration-server/server_process.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

namespace {

using testsupport::HostileReply;
using testsupport::HostileServer;
using testsupport::RegistrationServerProcess;
using testsupport::ScopedEnv;

const QString kPath = QStringLiteral("/register.asp?ans=2%60Fred%27s%20Garage&FirstName=Ann");

struct ReplyCase {
    const char *name;
    QStringList arguments;
    QString expected;
    bool accepted = true;
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
TEST_P(ServerReply, ReturnsBodyOfSuccessfulReplyOnly)
{
    RegistrationServerProcess server(GetParam().arguments);
    ASSERT_NE(server.port(), 0) << server.firstLine().toStdString();

    const http::GetResult result = http::get(server.url(kPath));
    EXPECT_EQ(result.body, GetParam().expected);
    EXPECT_EQ(result.ok, GetParam().accepted);
    EXPECT_TRUE(server.log().contains(QStringLiteral("--- registration #1\n")));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ServerReply,
    ::testing::Values(
        ReplyCase{"accepted", {}, QStringLiteral("ok`|`VLM-000001")},
        ReplyCase{"refused", {"--reply", "error"}, QStringLiteral("error`|`Registration refused")},
        ReplyCase{"wrongForm", {"--reply", "wrong-form"}, QStringLiteral("ok")},
        ReplyCase{"emptyBody", {"--reply", "empty"}, QString()},
        ReplyCase{"status500", {"--reply", "status500"}, QString(), false}),
    testsupport::RowName());

// Each escape reaches the server as the caller wrote it, escapes of
// unreserved characters ("%2D", "%5F", "%7e") included.
TEST(HttpGet, SendsTheCallersEscapesOnTheRequestLine)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);

    const QString query =
        QStringLiteral("?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG"
                       "&FirstName=Ann&LastName=Lee&Email=ann%40mail%252Eexample%252Ecom"
                       "&dob=1990/5/17&City=Caf%E9&State=a%2526b%253Dc&Login=x%2Dy%5Fz%7e"
                       "&pname=Demo%20Game&lang=English");
    ASSERT_EQ(http::get(server.url(QStringLiteral("/register.asp") + query)).body,
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

TEST(HttpGet, FollowsRedirectsWithinTheLimit)
{
    RegistrationServerProcess server({QStringLiteral("--redirect")});
    ASSERT_NE(server.port(), 0);

    EXPECT_EQ(http::get(server.url(kPath)).body, QStringLiteral("ok`|`VLM-000001"));
    const QString log = server.log();
    EXPECT_TRUE(log.startsWith(QStringLiteral("--- redirect to ")));
    EXPECT_TRUE(log.contains(QStringLiteral("\nredirected: 1\n")));
}

TEST(HttpGet, FailsWhenRedirectsExceedTheLimit)
{
    RegistrationServerProcess server({QStringLiteral("--redirect")});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.maxRedirects = 0;
    EXPECT_FALSE(http::get(server.url(kPath), options).ok);
    EXPECT_FALSE(server.log().contains(QStringLiteral("--- registration")));
}

TEST(HttpGet, FailsPromptlyWhenNothingListens)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QElapsedTimer elapsed;
    elapsed.start();
    const http::GetResult result =
        http::get(QStringLiteral("http://127.0.0.1:%1/register.asp?ans=2%60Ann").arg(port));
    EXPECT_FALSE(result.ok);
    // The diagnosis names the host and libcurl's reason, never the answers.
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("127.0.0.1: ")))
        << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << result.error.toStdString();
    EXPECT_FALSE(result.error.contains(QStringLiteral("ans="))) << result.error.toStdString();
    EXPECT_LT(elapsed.elapsed(), 5000);
}

// A connection that fails at once (port 0 is no port to connect to) ends the
// request at once, also without any time-out.
TEST(HttpGet, FailsPromptlyWhenTheConnectionCannotStart)
{
    http::GetOptions options;
    options.timeoutMs = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(http::get(QStringLiteral("http://127.0.0.1:0/register.asp?ans="), options).ok);
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST(HttpGet, GivesUpAtTheTimeOutOfTheWholeRequest)
{
    RegistrationServerProcess server({QStringLiteral("--delay-ms"), QStringLiteral("30000")});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.timeoutMs = 300;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(http::get(server.url(kPath), options).ok);
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
TEST_P(BodyLimit, RejectsBodiesOverTheLimit)
{
    const BodyLimitCase &row = GetParam();
    RegistrationServerProcess server(
        {QStringLiteral("--large-body"), QString::number(row.bodyBytes)});
    ASSERT_NE(server.port(), 0);

    http::GetOptions options;
    options.maxBodyBytes = row.limit;
    const QString body = http::get(server.url(kPath), options).body;
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
                         testsupport::RowName());

// A proxy named in the environment must not capture requests to this
// machine (a local test or staging server).
TEST(HttpGet, ReachesLoopbackDespiteAnEnvironmentProxy)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        deadPort = probe.serverPort();
    }
    const QByteArray deadProxy = "http://127.0.0.1:" + QByteArray::number(deadPort);
    const ScopedEnv lower("http_proxy", deadProxy);
    const ScopedEnv upper("HTTP_PROXY", deadProxy);
    const ScopedEnv all("all_proxy", deadProxy);

    EXPECT_EQ(http::get(server.url(kPath)).body, QStringLiteral("ok`|`VLM-000001"));
}

// Both letter cases of each variable name a proxy, as players set them.
TEST(HttpGet, TakesTheProxyFromEitherLetterCase)
{
    for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        SCOPED_TRACE(name);
        HostileServer proxy({testsupport::replyAndClose(testsupport::withLength("ok`|`x"))});
        ASSERT_NE(proxy.port(), 0);
        const QByteArray address = "http://127.0.0.1:" + QByteArray::number(proxy.port());
        const ScopedEnv names[] = {{"http_proxy", {}}, {"HTTP_PROXY", {}}, {"all_proxy", {}},
                                   {"ALL_PROXY", {}},  {"no_proxy", {}},   {"NO_PROXY", {}}};
        const ScopedEnv chosen(name, address);
        EXPECT_EQ(http::get(QStringLiteral("http://registration.example/r.asp?a=%2D")).body,
                  QStringLiteral("ok`|`x"));
        EXPECT_EQ(proxy.requestLines(),
                  QList<QByteArray>{"GET http://registration.example/r.asp?a=%2D HTTP/1.1"});
    }
}

class HostileReplies : public ::testing::TestWithParam<HostileReply> {};

// Every reply of the table ends in its verdict, in time, and the request
// target reaches the server (or the proxy) byte for byte.
TEST_P(HostileReplies, EndInTheirVerdict)
{
    const HostileReply &row = GetParam();
    HostileServer server(row.answers);
    ASSERT_NE(server.port(), 0);
    const QString path =
        QStringLiteral("/site/register.asp?ans=2%60Fred%27s&Phone=555%2D1234%5F%7E%252E");
    const QString host = row.viaProxy ? QStringLiteral("registration.example")
                                      : QStringLiteral("127.0.0.1:%1").arg(server.port());
    const QByteArray proxy =
        row.viaProxy ? "http://127.0.0.1:" + QByteArray::number(server.port()) : QByteArray();
    const ScopedEnv lower("http_proxy", proxy);
    const ScopedEnv upper("HTTP_PROXY", {});
    const ScopedEnv all("all_proxy", {});
    const ScopedEnv noProxy("no_proxy", {});

    http::GetOptions options;
    options.timeoutMs = row.timeoutMs;
    QElapsedTimer elapsed;
    elapsed.start();
    const http::GetResult result = http::get(QStringLiteral("http://") + host + path, options);
    const qint64 took = elapsed.elapsed();

    EXPECT_EQ(result.ok, row.ok) << result.error.toStdString();
    if (row.ok) {
        EXPECT_EQ(result.body.size(), row.bodyBytes);
        EXPECT_TRUE(result.body.startsWith(QString::fromLatin1(testsupport::kAccepted)));
        EXPECT_EQ(result.error, QString());
    } else {
        EXPECT_EQ(result.body, QString());
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("127.0.0.1: ")))
            << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QLatin1String(row.reason))) << result.error.toStdString();
        EXPECT_FALSE(result.error.contains(QStringLiteral("Phone"))) << result.error.toStdString();
    }
    EXPECT_GE(took, row.minElapsedMs);
    EXPECT_LT(took, row.maxElapsedMs);

    const QList<QByteArray> lines = server.requestLines();
    ASSERT_EQ(lines.size(), row.requests);
    const QByteArray target =
        (row.viaProxy ? "http://" + host.toLatin1() : QByteArray()) + path.toLatin1();
    EXPECT_EQ(lines.first(), "GET " + target + " HTTP/1.1");
    if (row.requests > 1) {
        EXPECT_EQ(lines[1], "GET " + row.secondTarget + " HTTP/1.1");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HostileReplies, ::testing::ValuesIn(testsupport::hostileReplies()),
                         testsupport::RowName());

TEST(HttpGet, RejectsWhatIsNotAnHttpUrl)
{
    for (const QString &url :
         {QString(), QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1/register.asp"),
          QStringLiteral("file:///etc/hostname")}) {
        SCOPED_TRACE(url.toStdString());
        EXPECT_FALSE(http::get(url).ok);
    }
}

} // namespace
