#include "tests/registrations/service_process.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

using testsupport::exchange;
using testsupport::ServiceProcess;

struct HostileCase {
    const char *name;
    QByteArray request;      // the whole request head as sent
    int status;              // 0: the connection is closed without an answer
    QByteArray body;         // the start of the expected body
    bool configured = false; // the service reads kConfig
};

// Registrations on /r; the first page's text box takes 8 characters.
const QString kConfig = QStringLiteral(R"(<register>
  <default_url>https://register.example/r</default_url>
  <language id="english" country="else">
    <page>
      <object type="label" id="1" src="Where?" x="1" y="1"/>
      <object type="text" id="1" src="" x="1" y="1" width="9" height="9" maxlength="8" patten="" password="" optional="1"/>
    </page>
  </language>
</register>)");

void PrintTo(const HostileCase &row, std::ostream *os)
{
    *os << row.name;
}

QByteArray getRequest(const QByteArray &target, const QByteArray &headers = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers +
           "Connection: close\r\n\r\n";
}

const HostileCase kCases[] = {
    {"targetOver64KiB", getRequest("/r?ans=1%60" + QByteArray(70000, 'a')), 414, "error`|`"},
    {"targetFarOver64KiB", getRequest("/r?ans=1%60" + QByteArray(300000, 'a')), 414, ""},
    {"headersOver64KiB", getRequest("/r?ans=", "X-Pad: " + QByteArray(70000, 'a') + "\r\n"), 431,
     "error`|`"},
    {"headersFarOver64KiB", getRequest("/r?ans=", "X-Pad: " + QByteArray(300000, 'a') + "\r\n"),
     431, ""},
    {"valueOverItsLimit", getRequest("/r?ans=1%60" + QByteArray(40000, 'a')), 400, "error`|`"},
    {"valueOverItsBoxsLimit", getRequest("/r?ans=1%60" + QByteArray(9, 'a') + "&lang=English"), 400,
     "error`|`A value is longer than its box allows", true},
    {"strayPercent", getRequest("/r?ans=1%60100%&lang=English"), 400, "error`|`Malformed"},
    {"badHexDigits", getRequest("/r?ans=1%60a%ZZ"), 400, "error`|`Malformed"},
    {"noAnswers", getRequest("/r?FirstName=Ann&lang=English"), 400, "error`|`No answers"},
    {"noQuery", getRequest("/register.asp"), 400, "error`|`No answers"},
    {"sqlInKey", getRequest("/r?%27%3B%20DROP%20TABLE%20registrations%3B--"), 400, "error`|`"},
    {"repeatedAnswers", getRequest("/r?ans=1%60a&ans=1%60b"), 400, "error`|`A field is repeated"},
    {"escapedNul", getRequest("/r?ans=1%60a%00b"), 400, "error`|`"},
    {"rawNulInTarget", getRequest(QByteArray("/r?ans=1%60a\0b", 14)), 400, "error`|`Malformed"},
    {"post", "POST /r?ans= HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc", 405, "error`|`"},
    {"notHttp", "HELLO\r\n\r\n", 0, ""},
};

class Hostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, IsRefusedStoresNothingAndLeavesTheServiceServing)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("registrations.db"));
    QStringList arguments;
    if (GetParam().configured)
        arguments << QStringLiteral("--config")
                  << testsupport::writeFile(dir.path(), QStringLiteral("config.xml"), kConfig);
    ServiceProcess service(db, arguments);
    ASSERT_NE(service.port(), 0) << service.errors().toStdString();

    const auto reply = exchange(service.port(), GetParam().request);
    if (GetParam().status == 0) {
        EXPECT_FALSE(reply) << reply->status;
    } else {
        ASSERT_TRUE(reply) << "no answer";
        EXPECT_EQ(reply->status, GetParam().status);
        EXPECT_TRUE(reply->body.startsWith(GetParam().body)) << reply->body.left(200).toStdString();
    }

    // The numbers start at 1: had anything been stored, this would be later.
    const auto normal = testsupport::get(service.port(), "/r?ans=1%60a&lang=English");
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->body, "ok`|`1");
    EXPECT_EQ(service.stop(), 0);
    const auto exported =
        testsupport::runRegistrations({QStringLiteral("export"), QStringLiteral("--db"), db,
                                       QStringLiteral("--format"), QStringLiteral("jsonl")});
    EXPECT_EQ(exported.out.count('\n'), 1) << exported.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, Hostile, ::testing::ValuesIn(kCases), testsupport::RowName());

TEST(HostileClients, AThousandSlowConnectionsDoNotKeepAnotherAddressOut)
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 1200) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 4096);
        setrlimit(RLIMIT_NOFILE, &files);
    }
    QTemporaryDir dir;
    ServiceProcess service(dir.filePath(QStringLiteral("registrations.db")));
    ASSERT_NE(service.port(), 0) << service.errors().toStdString();

    // Each opens a request and never finishes it.
    std::vector<int> slow;
    for (int i = 0; i < 1000; ++i) {
        const int fd = testsupport::connectLoopback(service.port());
        if (fd < 0)
            continue; // turned away at the door: as good as held open for this test
        ::send(fd, "GET /r?ans=1%60", 15, MSG_NOSIGNAL);
        slow.push_back(fd);
    }
    const auto reply = testsupport::get(service.port(), "/r?ans=1%60a&lang=English", "127.0.0.2");
    for (const int fd : slow)
        ::close(fd);
    ASSERT_TRUE(reply) << "the other address got no answer";
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, "ok`|`1");
    EXPECT_EQ(service.stop(), 0);
}

} // namespace
