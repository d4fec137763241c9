#include "tests/support/test_support.h"
#include "tests/tools/registration-server/server_process.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using testsupport::RegistrationServerProcess;

const QByteArray kRegistration = "GET /register.asp?ans=1%60x&FirstName=Ann HTTP/1.1\r\n"
                                 "Host: 127.0.0.1\r\n\r\n";

// Sends raw request bytes and reads until the server closes the connection.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(10000))
        return "(no connection)";
    socket.write(request);
    QByteArray response;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
        response += socket.readAll();
    return response + socket.readAll();
}

QByteArray statusLine(const QByteArray &response)
{
    return response.left(response.indexOf("\r\n"));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct RequestCase {
    const char *name;
    QByteArray request;
    QByteArray expectedStatusLine;
};

void PrintTo(const RequestCase &row, std::ostream *os)
{
    *os << row.name;
}

class Requests : public ::testing::TestWithParam<RequestCase> {};

// Each kind of request gets its status, and the server keeps serving after it.
TEST_P(Requests, AnswerWithTheRightStatusAndKeepServing)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);

    EXPECT_EQ(statusLine(exchange(server.port(), GetParam().request)),
              GetParam().expectedStatusLine);
    const QByteArray next = exchange(server.port(), kRegistration);
    EXPECT_EQ(statusLine(next), "HTTP/1.1 200 OK");
    EXPECT_TRUE(
        next.endsWith("\r\n\r\nok`|`VLM-00000" +
                      QByteArray(GetParam().expectedStatusLine.contains(" 200 ") ? "2" : "1")))
        << next.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Requests,
    ::testing::Values(
        RequestCase{"registration", kRegistration, "HTTP/1.1 200 OK"},
        RequestCase{"http10", "GET /register.asp?ans= HTTP/1.0\r\n\r\n", "HTTP/1.0 200 OK"},
        RequestCase{"bareLineFeeds", "GET /register.asp?ans= HTTP/1.1\n\n", "HTTP/1.1 200 OK"},
        RequestCase{"absoluteForm", "GET http://127.0.0.1/register.asp?ans= HTTP/1.1\r\n\r\n",
                    "HTTP/1.1 200 OK"},
        RequestCase{"pathLetterCase", "GET /Register.ASP?ans= HTTP/1.1\r\n\r\n", "HTTP/1.1 200 OK"},
        RequestCase{"otherPath", "GET /admin HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found"},
        RequestCase{"pathPrefix", "GET /register.aspx HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found"},
        RequestCase{"post", "POST /register.asp HTTP/1.1\r\nContent-Length: 0\r\n\r\n",
                    "HTTP/1.1 405 Method Not Allowed"},
        RequestCase{"garbage", "hello there\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        RequestCase{"noVersion", "GET /register.asp\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        RequestCase{"relativeTarget", "GET register.asp HTTP/1.1\r\n\r\n",
                    "HTTP/1.1 400 Bad Request"},
        RequestCase{"hugeHead",
                    "GET /register.asp HTTP/1.1\r\nX-Filler: " + QByteArray(200000, 'a') +
                        "\r\n\r\n",
                    "HTTP/1.1 431 Request Header Fields Too Large"}),
    testsupport::RowName());

TEST(RegistrationServer, AnnouncesTheRequestedPort)
{
    const quint16 port = freePort();
    RegistrationServerProcess server({QStringLiteral("--port"), QString::number(port)});
    EXPECT_EQ(server.firstLine(), QStringLiteral("listening on 127.0.0.1:%1").arg(port));
}

TEST(RegistrationServer, NumbersRegistrationsAndPrintsThemOnStdout)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);

    EXPECT_TRUE(exchange(server.port(), kRegistration).endsWith("ok`|`VLM-000001"));
    EXPECT_TRUE(exchange(server.port(), kRegistration).endsWith("ok`|`VLM-000002"));

    const auto block = [](int number) {
        return QStringLiteral("--- registration #%1\n"
                              "answer 1: x\n"
                              "FirstName: Ann\n"
                              "request: /register.asp?ans=1%60x&FirstName=Ann\n")
            .arg(number);
    };
    const QString expected = block(1) + block(2);
    EXPECT_EQ(server.log(), expected);

    QProcess &process = server.process();
    QByteArray printed = process.readAllStandardOutput();
    while (printed.size() < expected.toUtf8().size() && process.waitForReadyRead(10000))
        printed += process.readAllStandardOutput();
    EXPECT_EQ(QString::fromUtf8(printed), expected);
}

// A client that leaves half-way, or before a delayed answer, costs nothing.
TEST(RegistrationServer, SurvivesClientsThatLeaveEarly)
{
    RegistrationServerProcess server({QStringLiteral("--delay-ms"), QStringLiteral("200")});
    ASSERT_NE(server.port(), 0);
    QProcess &process = server.process();
    for (const QByteArray &partial : {QByteArray("GET /regis"), kRegistration}) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.port());
        ASSERT_TRUE(socket.waitForConnected(10000));
        socket.write(partial);
        ASSERT_TRUE(socket.waitForBytesWritten(10000));
        if (partial == kRegistration) {
            // Leave only once the server has the request and is delaying its answer.
            QByteArray printed;
            while (!printed.contains("#1") && process.waitForReadyRead(10000))
                printed += process.readAllStandardOutput();
            ASSERT_TRUE(printed.contains("--- registration #1"));
        }
        socket.abort();
    }
    EXPECT_TRUE(exchange(server.port(), kRegistration).endsWith("ok`|`VLM-000002"));
}

// A registration the log did not take is not acknowledged.
TEST(RegistrationServer, AFailedLogWriteIsAnsweredAsAFailure)
{
    RegistrationServerProcess server({QStringLiteral("--log"), QStringLiteral("/dev/full")});
    ASSERT_NE(server.port(), 0);
    const QByteArray answer = exchange(server.port(), kRegistration);
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 503 Service Unavailable");
    EXPECT_TRUE(answer.endsWith("\r\n\r\nerror`|`The registration could not be stored"))
        << answer.toStdString();
    QProcess &process = server.process();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_TRUE(process.readAllStandardError().contains("could not be written to the log"));
}

// Standard output into a pipe nobody reads: the server goes on answering and
// still ends on SIGTERM.
TEST(RegistrationServer, AnUnreadStandardOutputBlocksNothing)
{
    int unread[2];
    ASSERT_EQ(::pipe2(unread, O_CLOEXEC), 0);
    const quint16 port = freePort();
    QProcess process;
    process.setProgram(testsupport::binDir() + QStringLiteral("/registration-server"));
    process.setArguments({QStringLiteral("--port"), QString::number(port)});
    process.setChildProcessModifier([&] { ::dup2(unread[1], STDOUT_FILENO); });
    process.start();
    ASSERT_TRUE(process.waitForStarted(10000));
    ::close(unread[1]);
    // The first line says the server listens; nothing is read after it.
    char first[64] = {};
    pollfd readable = {unread[0], POLLIN, 0};
    ASSERT_EQ(::poll(&readable, 1, 10000), 1);
    ASSERT_GT(::read(unread[0], first, sizeof first - 1), 0);
    ASSERT_TRUE(QByteArray(first).startsWith("listening on")) << first;

    // Each registration prints some 40 KiB: a few fill the pipe.
    const QByteArray big =
        "GET /register.asp?ans=1%60" + QByteArray(40000, 'x') + " HTTP/1.1\r\n\r\n";
    for (int i = 1; i <= 40; ++i) {
        const QByteArray answer = exchange(port, big);
        ASSERT_TRUE(answer.endsWith("ok`|`VLM-" + QByteArray::number(i).rightJustified(6, '0')))
            << i << ": " << answer.left(200).toStdString();
    }
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
    }
    ::close(unread[0]);
}

TEST(RegistrationServer, ExitsAfterTheRequestLimit)
{
    RegistrationServerProcess server({QStringLiteral("--max-requests"), QStringLiteral("2")});
    ASSERT_NE(server.port(), 0);

    EXPECT_EQ(statusLine(exchange(server.port(), "GET /other HTTP/1.1\r\n\r\n")),
              "HTTP/1.1 404 Not Found");
    EXPECT_TRUE(exchange(server.port(), kRegistration).endsWith("ok`|`VLM-000001"));
    QProcess &process = server.process();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(RegistrationServer, ExitsCleanlyOnTermination)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);
    QProcess &process = server.process();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(RegistrationServer, ExitsAtTheEndOfStandardInputWhenAsked)
{
    RegistrationServerProcess server({QStringLiteral("--exit-on-stdin-eof")});
    ASSERT_NE(server.port(), 0);
    QProcess &process = server.process();
    process.write("anything\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(RegistrationServer, RefusesBadArguments)
{
    const QStringList rows[] = {{QStringLiteral("--port"), QStringLiteral("70000")},
                                {QStringLiteral("--port"), QStringLiteral("x")},
                                {QStringLiteral("--reply"), QStringLiteral("maybe")},
                                {QStringLiteral("--delay-ms"), QStringLiteral("-1")},
                                {QStringLiteral("--large-body"), QStringLiteral("many")},
                                {QStringLiteral("--max-requests"), QStringLiteral("0")},
                                {QStringLiteral("stray")}};
    for (const QStringList &arguments : rows) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        QProcess process;
        process.start(testsupport::binDir() + QStringLiteral("/registration-server"), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    }
}

} // namespace
