// The dashboard as the service runs it: on its own listener, beside the
// registrations' one, and drawn by a real headless Chromium from a database
// of known registrations.
#include "registrations/storage/storage.h"
#include "tests/registrations/dashboard/dashboard_service.h"
#include "tests/registrations/dashboard/generated_registrations.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testsupport::DashboardService;
using testsupport::httpGet;

const QByteArray kToken = "0123456789abcdef-test-token";

class DashboardServiceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_db = m_dir.filePath("r.db");
        m_tokenFile = testsupport::writeFile(m_dir.path(), "token", kToken + "\n");
    }

    QStringList arguments() const
    {
        return {"--db",
                m_db,
                "--listen",
                "127.0.0.1:0",
                "--admin-token-file",
                m_tokenFile,
                "--admin-listen",
                "127.0.0.1:0"};
    }

    QTemporaryDir m_dir;
    QString m_db;
    QString m_tokenFile;
};

TEST_F(DashboardServiceTest, TheAdminRoutesAnswerOnTheirOwnAddressOnly)
{
    DashboardService service(arguments(), 2);
    ASSERT_EQ(service.lines().size(), 2) << service.process().readAllStandardError().toStdString();
    const QString publicBase = service.base("listening on ");
    const QString adminBase = service.base("admin on ");
    ASSERT_TRUE(service.lines()[1].startsWith("admin on 127.0.0.1:"));
    ASSERT_NE(publicBase, adminBase);

    // A registration on the public address is counted on the admin one.
    const auto stored = httpGet(publicBase + "/register.asp?ans=2%60A%20friend&Country=Iceland"
                                             "&pname=Demo&lang=English");
    ASSERT_EQ(stored.status, 200);
    ASSERT_TRUE(stored.body.startsWith("ok`|`")) << stored.body.toStdString();
    const auto summary = httpGet(adminBase + "/admin/api/summary", "Bearer " + kToken);
    ASSERT_EQ(summary.status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(summary.body).object()["total"].toInt(), 1);
    const auto countries = httpGet(adminBase + "/admin/api/countries", "Bearer " + kToken);
    EXPECT_TRUE(countries.body.contains("Iceland"));
    // The download of a period is the service's export, written while it is sent.
    const auto csv =
        httpGet(adminBase + "/admin/api/export.csv?from=2000-01-01", "Bearer " + kToken);
    EXPECT_EQ(csv.status, 200);
    const QList<QByteArray> lines = csv.body.split('\n');
    ASSERT_EQ(lines.size(), 3) << csv.body.toStdString(); // header, the row, the last line's end
    EXPECT_TRUE(lines[0].startsWith("FirstName,") || lines[0].contains("Country"));
    EXPECT_TRUE(lines[1].contains("Iceland"));
    EXPECT_TRUE(httpGet(adminBase + "/admin/api/export.csv?to=2000-01-01", "Bearer " + kToken)
                    .body.split('\n')
                    .size() == 2); // the header alone

    // The public address knows nothing of the dashboard, token or not; the
    // admin address takes no registrations.
    for (const char *path : {"/admin/", "/admin/api/summary", "/admin/api/latest"}) {
        const auto answer = httpGet(publicBase + path, "Bearer " + kToken);
        EXPECT_FALSE(answer.body.contains("\"total\"")) << path;
        EXPECT_FALSE(answer.body.contains("Registrations")) << path;
    }
    EXPECT_EQ(httpGet(adminBase + "/register.asp?ans=1%60x&lang=English").status, 404);
    EXPECT_EQ(httpGet(adminBase + "/admin/api/latest").status, 401);
}

struct StartRow {
    const char *name;
    QStringList arguments; // besides --db and --listen
    const char *message;   // a part of what the service says on standard error
};

class DashboardStartTest : public DashboardServiceTest,
                           public ::testing::WithParamInterface<StartRow> {};

TEST_P(DashboardStartTest, RefusesToStartWithAnUnsafeOrIncompleteDashboard)
{
    QStringList args = {"--db", m_db, "--listen", "127.0.0.1:0"};
    for (QString a : GetParam().arguments)
        args.append(a.replace("TOKENDIR", m_dir.path()));
    testsupport::writeFile(m_dir.path(), "short", "abc\n");
    DashboardService service(args, 0);
    ASSERT_TRUE(service.process().waitForFinished(20000));
    EXPECT_NE(service.process().exitCode(), 0);
    EXPECT_TRUE(service.process().readAllStandardError().contains(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Start, DashboardStartTest,
    ::testing::Values(
        StartRow{"admin address without a token",
                 {"--admin-listen", "127.0.0.1:0"},
                 "--admin-token-file"},
        StartRow{"token too short", {"--admin-token-file", "TOKENDIR/short"}, "shorter than"},
        StartRow{"token file missing", {"--admin-token-file", "TOKENDIR/none"}, "cannot read"},
        StartRow{"admin address not an address",
                 {"--admin-token-file", "TOKENDIR/short", "--admin-listen", "nowhere"},
                 "--admin-listen"}),
    testsupport::RowName());

// Chromium draws the page from the service; the totals and the per-country
// chart's numbers are read back from the page it rendered.
TEST_F(DashboardServiceTest, ChromiumShowsTheTotalsAndTheCountriesOfAKnownDatabase)
{
    QMap<QString, int> countries;
    {
        QString error;
        auto storage = registrations::storage::openStorage(m_db, &error);
        ASSERT_TRUE(storage) << error.toStdString();
        std::mt19937_64 rng(3);
        QList<registrations::storage::Registration> batch;
        // Within the last ten days: inside the page's first period (30 days).
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 37; ++i) {
            batch.append(generated::make(rng, i, now.addSecs(-3600LL * 6 * (37 - i))));
            for (const auto &f : batch.last().fields)
                if (f.key == u"Country")
                    countries[f.value] += 1;
        }
        ASSERT_TRUE(storage->store(batch, &error)) << error.toStdString();
    }
    DashboardService service(arguments(), 2);
    ASSERT_EQ(service.lines().size(), 2);

    QTemporaryDir profile;
    QProcess chromium;
    chromium.setProgram("chromium");
    // No sandbox (the tests may run as root) and no /dev/shm (small in containers).
    chromium.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                           "--disable-dev-shm-usage", "--user-data-dir=" + profile.path(),
                           "--window-size=1366,900", "--virtual-time-budget=8000", "--dump-dom",
                           service.base("admin on ") + "/admin/#token=" + kToken});
    chromium.start();
    ASSERT_TRUE(chromium.waitForFinished(90000)) << "Chromium did not finish";
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());

    auto figure = [&dom](const char *id) {
        const auto match =
            QRegularExpression(QStringLiteral("id=\"%1\"[^>]*>([^<]*)<").arg(id)).match(dom);
        return match.hasMatch() ? match.captured(1) : QStringLiteral("(missing)");
    };
    ASSERT_NE(dom.indexOf("data-refreshes="), -1) << dom.left(2000).toStdString();
    EXPECT_EQ(figure("total-all"), "37");
    EXPECT_EQ(figure("total-period"), "37");

    const qsizetype start = dom.indexOf("id=\"chart-countries\"");
    const qsizetype end = dom.indexOf("</figure>", start);
    ASSERT_NE(start, -1);
    QMap<QString, int> shown;
    const QRegularExpression row(
        QStringLiteral("<tr><th scope=\"row\">([^<]*)</th><td class=\"num\">(\\d+)</td></tr>"));
    for (const auto &m : row.globalMatch(dom.mid(start, end - start)))
        shown.insert(m.captured(1), m.captured(2).toInt());
    EXPECT_EQ(shown, countries);
    // The chart itself was drawn beside its table of numbers.
    EXPECT_NE(dom.mid(start, end - start).indexOf("<canvas"), -1);
}

} // namespace
