// The admin API over a real SQLite database holding generated registrations:
// every count it answers is checked against the same count made here from
// the registrations themselves; the token guards every API route; personal
// data leaves only masked.
#include "registrations/dashboard/admin_api.h"
#include "registrations/dashboard/masking.h"
#include "registrations/storage/storage.h"
#include "tests/registrations/dashboard/generated_registrations.h"
#include "tests/support/postgres.h"
#include "tests/support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <functional>
#include <numeric>
#include <span>

#include <gtest/gtest.h>

namespace {

using namespace registrations;
using dashboard::AdminApi;
using dashboard::QuestionKind;

const QByteArray kToken = "s3cret-token-0123456789";
const QDateTime kNow(QDate(2026, 3, 15), QTime(12, 0), QTimeZone::utc());

// The sample configuration's questions, English and French sections.
dashboard::Survey sampleSurvey()
{
    QList<dashboard::Section> sections;
    for (const generated::Captions &c : generated::captions()) {
        dashboard::Section s;
        s.label = c.language;
        s.questions = {
            {1, "1", "Product", QuestionKind::Text, {}, {}},
            {1, "2", "Where did you hear?", QuestionKind::Choice, c.heard, c.heardPlaceholder},
            {1, "3", "How often?", QuestionKind::Choice, c.often, {}},
            {1, "4", "Favourite game", QuestionKind::Text, {}, {}},
            {2, "1", "Kinds", QuestionKind::Choices, c.kinds, {}},
            {2, "2", "Devices", QuestionKind::Choices, c.devices, {}},
            {3, "1", "Bought on", QuestionKind::Date, {}, {}},
            {3, "2", "News", QuestionKind::Choice, c.news, {}},
            {3, "3", "Remarks", QuestionKind::Text, {}, {}},
        };
        sections.append(s);
    }
    return dashboard::Survey(sections);
}

enum class Engine { Sqlite, Postgresql };

class AdminApiBase : public ::testing::Test {
  protected:
    // The same registrations in a SQLite file or a PostgreSQL database of the
    // test's own.
    void setUpWith(Engine engine)
    {
        ASSERT_TRUE(m_dir.isValid());
        QString location = m_dir.filePath("r.db");
        if (engine == Engine::Postgresql) {
            m_postgres = std::make_unique<testsupport::TestDatabase>();
            ASSERT_FALSE(m_postgres->uri().empty()) << m_postgres->error();
            location = QString::fromStdString(m_postgres->uri());
        }
        QString error;
        m_storage = storage::openStorage(location, &error);
        ASSERT_TRUE(m_storage) << error.toStdString();
        // 400 registrations over the 40 days before now, oldest first.
        std::mt19937_64 rng(7);
        const qint64 span = 40LL * 24 * 60 * 60 * 1000;
        const qint64 start = kNow.toMSecsSinceEpoch() - span;
        for (int i = 0; i < 400; ++i) {
            const auto at =
                QDateTime::fromMSecsSinceEpoch(start + span * i / 400 + 1000, QTimeZone::utc());
            m_registrations.append(generated::make(rng, i, at));
        }
        // Stored a day at a time, as registrations that arrive together are:
        // within one batch an engine may hand out the numbers in any order.
        for (qsizetype first = 0; first < m_registrations.size();) {
            qsizetype end = first;
            while (end < m_registrations.size() && m_registrations[end].receivedAt.date() ==
                                                       m_registrations[first].receivedAt.date())
                ++end;
            const auto batch = std::span(m_registrations).subspan(first, end - first);
            const auto stored = m_storage->store(batch, &error);
            ASSERT_TRUE(stored) << error.toStdString();
            for (qsizetype i = 0; i < stored->size(); ++i)
                m_byNumber.insert((*stored)[i].number, first + i);
            first = end;
        }
        m_api = std::make_unique<AdminApi>(
            *m_storage, sampleSurvey(), kToken,
            [](const storage::Period &, std::FILE *out, QString *) {
                return std::fputs("csv\r\n", out) >= 0;
            },
            [] { return kNow; });
    }

    QJsonObject get(const QString &route, const QHash<QString, QString> &query = {})
    {
        const dashboard::Reply reply = m_api->get("/admin/api/" + route, query, "Bearer " + kToken);
        EXPECT_EQ(reply.status, 200) << route.toStdString() << ": " << reply.body.toStdString();
        EXPECT_EQ(reply.contentType, "application/json");
        return QJsonDocument::fromJson(reply.body).object();
    }

    // The registrations received within [from, to] (whole UTC days).
    QList<storage::Registration> within(QDate from, QDate to) const
    {
        QList<storage::Registration> result;
        for (const auto &r : m_registrations) {
            const QDate day = r.receivedAt.toUTC().date();
            if (day >= from && day <= to)
                result.append(r);
        }
        return result;
    }

    static QMap<QString, qint64> asMap(const QJsonObject &series)
    {
        QMap<QString, qint64> map;
        const QJsonArray labels = series["labels"].toArray();
        const QJsonArray counts = series["counts"].toArray();
        EXPECT_EQ(labels.size(), counts.size());
        for (qsizetype i = 0; i < labels.size(); ++i)
            map.insert(labels[i].toString(), counts[i].toInteger());
        return map;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::TestDatabase> m_postgres;
    std::unique_ptr<storage::Storage> m_storage;
    QList<storage::Registration> m_registrations;
    QHash<qint64, qsizetype> m_byNumber; // registration number -> index in m_registrations
    std::unique_ptr<AdminApi> m_api;
};

// The counts, on both engines.
class AdminApiTest : public AdminApiBase, public ::testing::WithParamInterface<Engine> {
  protected:
    void SetUp() override { setUpWith(GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(Engines, AdminApiTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgresql),
                         [](const ::testing::TestParamInfo<Engine> &info) {
                             return std::string(info.param == Engine::Sqlite ? "Sqlite"
                                                                             : "Postgresql");
                         });

// The routes and their guard, on SQLite.
class AdminRoutesTest : public AdminApiBase {
  protected:
    void SetUp() override { setUpWith(Engine::Sqlite); }
};

const QHash<QString, QString> kPeriod = {{"from", "2026-02-20"}, {"to", "2026-03-10"}};
const QDate kFrom(2026, 2, 20);
const QDate kTo(2026, 3, 10);

TEST_P(AdminApiTest, TotalsCountTheWholeStoreTodayTheLastSevenDaysAndThePeriod)
{
    const QJsonObject summary = get("summary", kPeriod);
    EXPECT_EQ(summary["total"].toInteger(), m_registrations.size());
    EXPECT_EQ(summary["today"].toInteger(), within(kNow.date(), kNow.date()).size());
    EXPECT_EQ(summary["last7"].toInteger(), within(kNow.date().addDays(-6), kNow.date()).size());
    EXPECT_EQ(summary["period"].toInteger(), within(kFrom, kTo).size());
    EXPECT_GT(summary["today"].toInteger(), 0);
}

TEST_P(AdminApiTest, EveryDayOfThePeriodHasItsCountDaysWithoutRegistrationsToo)
{
    const QMap<QString, qint64> days = asMap(get("days", kPeriod));
    EXPECT_EQ(days.size(), kFrom.daysTo(kTo) + 1);
    for (QDate day = kFrom; day <= kTo; day = day.addDays(1))
        EXPECT_EQ(days.value(day.toString(Qt::ISODate), -1), within(day, day).size())
            << day.toString(Qt::ISODate).toStdString();
}

TEST_P(AdminApiTest, CountriesAndLanguagesAreCountedWithinThePeriod)
{
    QMap<QString, qint64> countries;
    QMap<QString, qint64> languages;
    for (const auto &r : within(kFrom, kTo)) {
        languages[r.language] += 1;
        for (const auto &f : r.fields)
            if (f.key == u"Country")
                countries[f.value] += 1;
    }
    EXPECT_EQ(asMap(get("countries", kPeriod)), countries);
    EXPECT_EQ(asMap(get("languages", kPeriod)), languages);
    EXPECT_EQ(languages.size(), 2);
}

TEST_P(AdminApiTest, AnswersAreCountedUnderTheChosenSectionsTexts)
{
    // Per option position, whichever section's caption was sent; the
    // placeholder of the drop-down list is no answer.
    QList<qint64> heard(6, 0), kinds(6, 0);
    qint64 kindsAnswered = 0, favouritesAnswered = 0;
    QMap<QString, qint64> favourites, years;
    for (const auto &r : within(kFrom, kTo)) {
        const auto &c = generated::captions()[r.language == u"French" ? 1 : 0];
        bool ticked = false;
        for (const auto &a : r.answers) {
            if (a.page == 1 && a.id == u"2" && c.heard.contains(a.value))
                heard[c.heard.indexOf(a.value)] += 1;
            if (a.page == 2 && a.id == u"1") {
                kinds[c.kinds.indexOf(a.value)] += 1;
                ticked = true;
            }
            if (a.page == 1 && a.id == u"4" && !a.value.isEmpty()) {
                favourites[a.value] += 1;
                ++favouritesAnswered;
            }
            if (a.page == 3 && a.id == u"1" && a.value.size() == 4 && a.value != u"Year")
                years[a.value] += 1;
        }
        kindsAnswered += ticked;
    }
    const QJsonObject french = [&] {
        auto query = kPeriod;
        query.insert("section", "1");
        return get("questions", query);
    }();
    QHash<QString, QJsonObject> byKey;
    for (const QJsonValue &value : french["questions"].toArray()) {
        const QJsonObject q = value.toObject();
        byKey.insert(QString::number(q["page"].toInt()) + u'/' + q["id"].toString(), q);
    }
    ASSERT_EQ(byKey.size(), 9);

    const auto &fr = generated::captions()[1];
    QMap<QString, qint64> expectHeard, expectKinds;
    for (int i = 0; i < 6; ++i) {
        expectHeard.insert(fr.heard[i], heard[i]);
        expectKinds.insert(fr.kinds[i], kinds[i]);
    }
    EXPECT_EQ(asMap(byKey["1/2"]), expectHeard);
    EXPECT_EQ(byKey["1/2"]["kind"].toString(), "choice");
    EXPECT_EQ(byKey["1/2"]["answered"].toInteger(),
              std::accumulate(heard.begin(), heard.end(), qint64(0)));
    EXPECT_EQ(asMap(byKey["2/1"]), expectKinds);
    EXPECT_EQ(byKey["2/1"]["answered"].toInteger(), kindsAnswered);
    EXPECT_EQ(asMap(byKey["3/1"]), years);
    EXPECT_EQ(byKey["3/1"]["kind"].toString(), "date");

    // Free text: the count of non-empty answers and the most frequent ones,
    // at most twenty of them, each with its count.
    const QJsonObject favourite = byKey["1/4"];
    EXPECT_EQ(favourite["answered"].toInteger(), favouritesAnswered);
    const QMap<QString, qint64> top = asMap(favourite);
    EXPECT_EQ(top.size(), std::min<qsizetype>(AdminApi::kTopValues, favourites.size()));
    for (auto it = top.cbegin(); it != top.cend(); ++it)
        EXPECT_EQ(it.value(), favourites.value(it.key())) << it.key().toStdString();
}

TEST_P(AdminApiTest, TheLatestFiftyShowPersonalDataMaskedOnly)
{
    const dashboard::Reply reply = m_api->get("/admin/api/latest", {}, "Bearer " + kToken);
    const QJsonArray rows = QJsonDocument::fromJson(reply.body).object()["rows"].toArray();
    ASSERT_EQ(rows.size(), AdminApi::kLatestRows);
    QList<qint64> numbers = m_byNumber.keys();
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i]["number"].toInteger(), numbers[i]);
        const auto &r = m_registrations[m_byNumber.value(numbers[i])];
        EXPECT_EQ(rows[i]["email"].toString(), r.email.left(1) + QChar(0x2026) + "@example.org");
        EXPECT_EQ(rows[i]["name"].toString(),
                  r.fields[0].value.left(1) + ". " + r.fields[1].value.left(1) + ".");
        EXPECT_EQ(rows[i]["country"].toString(), r.fields[3].value);
    }
    for (const auto &r : m_registrations) {
        EXPECT_FALSE(reply.body.contains(r.email.toUtf8())) << r.email.toStdString();
        EXPECT_FALSE(reply.body.contains(("\"" + r.fields[1].value + "\"").toUtf8()));
    }
}

struct MaskRow {
    const char *name;
    QString (*mask)(const QString &);
    const char *input;
    const char *expected;
};

class MaskTest : public ::testing::TestWithParam<MaskRow> {};

TEST_P(MaskTest, ShowsTheFirstLetterAndForAnAddressItsDomain)
{
    EXPECT_EQ(GetParam().mask(QString::fromUtf8(GetParam().input)),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Masking, MaskTest,
    ::testing::Values(
        MaskRow{"plain address", dashboard::maskEmail, "jane.doe@example.org", "j…@example.org"},
        MaskRow{"the last at sign", dashboard::maskEmail, "a@b@mail.test", "a…@mail.test"},
        MaskRow{"no at sign", dashboard::maskEmail, "janedoe", "j…"},
        MaskRow{"at sign first", dashboard::maskEmail, "@example.org", "@…"},
        MaskRow{"empty address", dashboard::maskEmail, "", ""},
        MaskRow{"letter outside the basic plane", dashboard::maskEmail, "𝒜lice@x.test",
                "𝒜…@x.test"},
        MaskRow{"name", dashboard::maskName, "  Chloé ", "C."},
        MaskRow{"empty name", dashboard::maskName, "", ""}),
    testsupport::RowName());

struct TokenRow {
    const char *name;
    QByteArray authorization;
    int status;
};

class TokenTest : public AdminApiBase, public ::testing::WithParamInterface<TokenRow> {
  protected:
    void SetUp() override { setUpWith(Engine::Sqlite); }
};

// Every API route, and one that does not exist: without the token nobody
// learns even which routes there are.
TEST_P(TokenTest, GuardsEveryApiRoute)
{
    for (const char *route : {"sections", "summary", "days", "countries", "languages", "questions",
                              "latest", "export.csv", "no-such-route"}) {
        const int expected = GetParam().status == 200 && QByteArray(route) == "no-such-route"
                                 ? 404
                                 : GetParam().status;
        EXPECT_EQ(
            m_api->get(QStringLiteral("/admin/api/") + route, {}, GetParam().authorization).status,
            expected)
            << route;
    }
}

INSTANTIATE_TEST_SUITE_P(Token, TokenTest,
                         ::testing::Values(TokenRow{"missing", "", 401},
                                           TokenRow{"wrong", "Bearer s3cret-token-0123456788", 401},
                                           TokenRow{"a prefix of it", "Bearer s3cret-token", 401},
                                           TokenRow{"longer", "Bearer " + kToken + "0", 401},
                                           TokenRow{"another scheme", "Basic " + kToken, 401},
                                           TokenRow{"the bare token", kToken, 401},
                                           TokenRow{"right", "Bearer " + kToken, 200},
                                           TokenRow{"right with the scheme in capitals",
                                                    "BEARER " + kToken, 200}),
                         testsupport::RowName());

struct BadQueryRow {
    const char *name;
    QHash<QString, QString> query;
};

class BadQueryTest : public AdminApiBase, public ::testing::WithParamInterface<BadQueryRow> {
  protected:
    void SetUp() override { setUpWith(Engine::Sqlite); }
};

TEST_P(BadQueryTest, IsRefusedWithItsReason)
{
    const dashboard::Reply reply =
        m_api->get("/admin/api/questions", GetParam().query, "Bearer " + kToken);
    EXPECT_EQ(reply.status, 400);
    EXPECT_FALSE(QJsonDocument::fromJson(reply.body).object()["error"].toString().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Query, BadQueryTest,
    ::testing::Values(BadQueryRow{"no such day", {{"from", "2026-02-30"}}},
                      BadQueryRow{"not a day", {{"to", "yesterday"}}},
                      BadQueryRow{"from after to", {{"from", "2026-03-02"}, {"to", "2026-03-01"}}},
                      BadQueryRow{"no such section", {{"section", "2"}}},
                      BadQueryRow{"section not a number", {{"section", "1; DROP TABLE answers"}}}),
    testsupport::RowName());

TEST_F(AdminRoutesTest, ThePagesFilesAreServedWithoutTheTokenAndCarryNoData)
{
    for (const char *path :
         {"/admin/", "/admin/dashboard.js", "/admin/dashboard.css", "/admin/chart.min.js"}) {
        const dashboard::Reply reply = m_api->get(path, {}, {});
        EXPECT_EQ(reply.status, 200) << path;
        EXPECT_FALSE(reply.body.contains("example.org")) << path;
    }
    EXPECT_EQ(m_api->get("/admin", {}, {}).location, "/admin/");
    EXPECT_EQ(m_api->get("/admin/../secret", {}, {}).status, 404);
    EXPECT_EQ(m_api->get("/register.asp", {}, "Bearer " + kToken).status, 404);
}

} // namespace

namespace {

// The sample configuration as the dashboard charts it: each section with its
// own texts, the questions in page order, and the drop-down list's first
// entry known as no answer.
TEST(SurveyTest, TheSampleConfigurationGivesEachSectionItsQuestionsAndTexts)
{
    const dashboard::Survey survey =
        dashboard::readSurvey(testsupport::sourceDir() + "/register/sample/config.xml");
    QStringList labels;
    for (const auto &s : survey.sections())
        labels.append(s.label);
    EXPECT_EQ(labels, QStringList({"English", "French", "French (Canada)", "German", "Italian",
                                   "Spanish", "Dutch"}));
    ASSERT_FALSE(survey.sections().isEmpty());
    const auto &english = survey.sections()[0].questions;
    QStringList shown;
    for (const auto &q : english)
        shown.append(QStringLiteral("%1/%2 %3").arg(q.page).arg(q.id).arg(int(q.kind)));
    EXPECT_EQ(shown, QStringList({"1/1 2", "1/2 0", "1/3 0", "1/4 2", "2/1 1", "2/2 1", "3/1 3",
                                  "3/2 0", "3/3 2"}));
    ASSERT_EQ(english.size(), 9);
    EXPECT_EQ(english[1].title, "Where did you hear about Ember Reach?");
    EXPECT_EQ(english[5].title,
              "Which devices do you play on? (click to select, click again to clear)");
    EXPECT_EQ(english[1].placeholder, "Please choose...");
    EXPECT_EQ(english[4].options[2], "Role-playing");
    // A French caption counts under the English one of the same position.
    EXPECT_EQ(survey.optionIndex(2, "1", "Jeu de rôle"), 2);
    EXPECT_TRUE(survey.isPlaceholder(1, "2", "Veuillez choisir..."));
    EXPECT_FALSE(survey.optionIndex(2, "1", "Please choose...").has_value());
}

} // namespace
