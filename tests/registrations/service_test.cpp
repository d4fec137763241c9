#include "tests/registrations/service_process.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using testsupport::get;
using testsupport::runRegistrations;
using testsupport::ServiceProcess;

// The wizard's request for the worked example: a text box, an option and a
// check box on the first question page, a name, an e-mail address with a
// full stop (escaped by both layers), a birth date, the game and language.
const QByteArray kExample =
    "/register.asp?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG&FirstName=Ann&LastName=Lee"
    "&Email=ann%40example%252Eorg&dob=1990/5/17&pname=Demo%20Game&lang=English";

class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_service = std::make_unique<ServiceProcess>(db());
        ASSERT_NE(m_service->port(), 0) << m_service->errors().toStdString();
    }
    QString db() const { return m_dir.filePath(QStringLiteral("registrations.db")); }
    QByteArray exportCsv()
    {
        const auto result =
            runRegistrations({QStringLiteral("export"), QStringLiteral("--db"), db()});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return result.out;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ServiceProcess> m_service;
};

TEST_F(ServiceTest, AnswersWithTheNumberAndExportsTheRow)
{
    const auto reply = get(m_service->port(), kExample);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, "ok`|`1");
    EXPECT_EQ(m_service->stop(), 0);

    const QList<QByteArray> lines = exportCsv().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "FirstName,LastName,dob,Email,question 2,question 5,question 7,"
                        "received,game,language,number\r");
    EXPECT_TRUE(lines[1].startsWith("Ann,Lee,1990/5/17,ann@example.org,Fred's Garage,Yes,RPG,"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",Demo Game,English,1\r")) << lines[1].toStdString();

    // The log names the request by its number, never by what the player typed.
    const QString log = m_service->errors();
    EXPECT_TRUE(log.contains(QStringLiteral(" 200 #1 "))) << log.toStdString();
    // One line: UTC time to the millisecond, address, status, number, bytes.
    static const QRegularExpression line(
        QStringLiteral(
            R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z 127\.0\.0\.1 200 #1 in=\d+ out=6$)"),
        QRegularExpression::MultilineOption);
    EXPECT_TRUE(line.match(log).hasMatch()) << log.toStdString();
    for (const char *personal : {"Ann", "Lee", "example", "1990", "Garage"})
        EXPECT_FALSE(log.contains(QLatin1String(personal))) << personal;
}

TEST_F(ServiceTest, ARetryOfTheSameRequestGetsTheSameNumberAndOneRow)
{
    const auto first = get(m_service->port(), kExample);
    const auto second = get(m_service->port(), kExample);
    const auto other = get(m_service->port(), kExample + "%20");
    ASSERT_TRUE(first && second && other);
    EXPECT_EQ(first->body, "ok`|`1");
    EXPECT_EQ(second->body, "ok`|`1");
    EXPECT_EQ(other->body, "ok`|`2");
    m_service->stop();
    EXPECT_EQ(exportCsv().count('\n'), 1 + 2);
}

TEST_F(ServiceTest, ErasesAPlayerAndPurgesOldRegistrations)
{
    ASSERT_EQ(get(m_service->port(), kExample)->body, "ok`|`1");
    ASSERT_EQ(get(m_service->port(), "/r?ans=&Email=bob%40example%252Eorg&lang=English")->body,
              "ok`|`2");
    m_service->stop();

    auto erased = runRegistrations({QStringLiteral("erase"), QStringLiteral("--db"), db(),
                                    QStringLiteral("--email"), QStringLiteral("ANN@example.org")});
    EXPECT_EQ(erased.exitCode, 0) << erased.err.toStdString();
    EXPECT_EQ(erased.out, "1 registrations removed\n");
    EXPECT_FALSE(exportCsv().contains("Ann"));
    // Erased means gone from the files too, not only from the export.
    for (const QString &file : {db(), db() + QStringLiteral("-wal")})
        EXPECT_FALSE(testsupport::readFile(file).contains(QStringLiteral("ann@")))
            << file.toStdString();
    EXPECT_TRUE(testsupport::readFile(db()).contains(QStringLiteral("bob@")));

    auto kept = runRegistrations({QStringLiteral("purge"), QStringLiteral("--db"), db(),
                                  QStringLiteral("--before"), QStringLiteral("2000-01-01")});
    EXPECT_EQ(kept.out, "0 registrations removed\n");
    auto purged = runRegistrations({QStringLiteral("purge"), QStringLiteral("--db"), db(),
                                    QStringLiteral("--before"), QStringLiteral("2999-01-01")});
    EXPECT_EQ(purged.exitCode, 0) << purged.err.toStdString();
    EXPECT_EQ(purged.out, "1 registrations removed\n");
    EXPECT_EQ(exportCsv().count('\n'), 1);
}

TEST(ServiceWithConfig, TakesOnlyItsPathAndExportsAColumnPerQuestion)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("registrations.db"));
    const QString config = testsupport::sourceDir() + QStringLiteral("/register/sample/config.xml");
    ServiceProcess service(db, {QStringLiteral("--config"), config});
    ASSERT_NE(service.port(), 0) << service.errors().toStdString();
    // Every question of the sample's three pages, ids restarting on each page;
    // the purchase date's lists stand day, month, year.
    const QByteArray query =
        "?ans=1%60Ember%20Reach%7C2%60A%20friend%7C3%60Every%20day%7C4%60Chess%7C1%60Action"
        "%7C1%60Puzzle%7C2%60Laptop%7C1%6017%7C1%605%7C1%602019%7C2%60Yes,%20please%7C3%60Hi"
        "&FirstName=Ann&LastName=Lee&Email=ann%40x%252Eorg&dob=1990/5/17&pname=Ember%20Reach"
        "&lang=english";
    const auto elsewhere = get(service.port(), "/other.asp" + query);
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(elsewhere->status, 404);
    const auto reply = get(service.port(), "/register.asp" + query);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, "ok`|`1");
    EXPECT_EQ(service.stop(), 0);

    const auto exported = runRegistrations(
        {QStringLiteral("export"), QStringLiteral("--db"), db, QStringLiteral("--config"), config});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QList<QByteArray> lines = exported.out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "FirstName,LastName,dob,Address1,Address2,City,State,Zip,Country,Phone,"
                        "Email,Login,Product,Where did you hear about Ember Reach?,"
                        "How often do you play games?,Your favourite game of all time,"
                        "Which kinds of games do you enjoy? (tick at least one),"
                        "\"Which devices do you play on? (click to select, click again to clear)\","
                        "When did you buy Ember Reach? (day / month / year),"
                        "Would you like to receive news about Velmora games?,"
                        "Anything you would like to tell us?,received,game,language,number\r");
    EXPECT_TRUE(lines[1].startsWith("Ann,Lee,1990/5/17,,,,,,,,ann@x.org,,Ember Reach,A friend,"
                                    "Every day,Chess,Action; Puzzle,Laptop,2019/5/17,"
                                    "\"Yes, please\",Hi,"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",Ember Reach,english,1\r")) << lines[1].toStdString();
}

} // namespace
