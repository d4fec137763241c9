// What every storage engine promises, as one table run against each engine:
// a row is a behaviour, the engine is the other axis.
#include "registrations/storage/statements.h"
#include "registrations/storage/storage.h"
#include "tests/support/postgres.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

using namespace registrations::storage;

enum class Engine { Sqlite, Postgresql };

// One database of the engine for one test, and plain SQL on it for setting
// up what the storage itself would never write (an older schema).
class Database {
  public:
    explicit Database(Engine engine) : m_engine(engine)
    {
        if (engine == Engine::Sqlite)
            m_location = m_dir.filePath(QStringLiteral("registrations.db"));
        else
            m_location = QString::fromStdString(m_postgres.uri());
    }
    bool ready(std::string *why) const
    {
        if (m_engine == Engine::Postgresql && m_postgres.uri().empty()) {
            *why = m_postgres.error();
            return false;
        }
        return true;
    }
    std::unique_ptr<Storage> open(QString *error) const { return openStorage(m_location, error); }
    // Runs statements in one transaction; "" or the error.
    std::string run(const std::vector<std::string> &statements) const
    {
        std::string script = "BEGIN;";
        for (const auto &s : statements)
            script += s + ";";
        script += "COMMIT;";
        if (m_engine == Engine::Postgresql) {
            const std::string result = testsupport::postgresQuery(m_postgres.uri(), script);
            return result.rfind("ERROR", 0) == 0 ? result : std::string();
        }
        sqlite3 *db = nullptr;
        sqlite3_open(m_location.toUtf8().constData(), &db);
        char *message = nullptr;
        std::string error;
        if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
            error = message ? message : "failed";
        sqlite3_free(message);
        sqlite3_close(db);
        return error;
    }
    // The first column of the first row of a query.
    std::string scalar(const std::string &query) const
    {
        if (m_engine == Engine::Postgresql)
            return testsupport::postgresQuery(m_postgres.uri(), query);
        sqlite3 *db = nullptr;
        sqlite3_open(m_location.toUtf8().constData(), &db);
        sqlite3_stmt *statement = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            out = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return out;
    }

  private:
    Engine m_engine;
    QTemporaryDir m_dir;
    testsupport::TestDatabase m_postgres{m_engine == Engine::Postgresql};
    QString m_location;
};

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toUTC();
}

Registration registration(const char *target, const char *when, const char *email = "a@b.example")
{
    Registration r;
    r.target = QByteArray("/register?") + target;
    r.receivedAt = at(when);
    r.game = QStringLiteral("Velmora Racing");
    r.language = QStringLiteral("english");
    r.email = QString::fromLatin1(email);
    r.fields = {{QStringLiteral("FirstName"), QStringLiteral("Zoë")},
                {QStringLiteral("Email"), r.email}};
    // A check box question's id repeats; ids restart on each page.
    r.answers = {{QStringLiteral("1"), QStringLiteral("Yes | no ` maybe"), 1},
                 {QStringLiteral("7"), QStringLiteral("RPG"), 1},
                 {QStringLiteral("7"), QStringLiteral("Racing"), 1},
                 {QStringLiteral("1"), QStringLiteral("\u00e9\u4e2d\U0001F3C1"), 2},
                 {QStringLiteral("2"), QStringLiteral("'); DROP TABLE registrations; --"), 2}};
    return r;
}

QList<StoredRegistration> all(Storage &storage, std::optional<QDateTime> since = {})
{
    QList<StoredRegistration> rows;
    QString error;
    EXPECT_TRUE(storage.forEach(
        since,
        [&](const StoredRegistration &r) {
            rows.append(r);
            return true;
        },
        &error))
        << error.toStdString();
    return rows;
}

QList<Stored> store(Storage &storage, std::vector<Registration> batch)
{
    QString error;
    auto stored = storage.store(batch, &error);
    EXPECT_TRUE(stored.has_value()) << error.toStdString();
    return stored.value_or(QList<Stored>{});
}

// The schema as the previous version created it, with one registration.
std::vector<std::string> previousVersion(Engine engine)
{
    const sql::Migration &first = sql::migrations()[0];
    std::vector<std::string> out{sql::kCreateSchemaVersion};
    for (const char *text : engine == Engine::Sqlite ? first.sqlite : first.postgres)
        out.emplace_back(text);
    const char *blob = engine == Engine::Sqlite ? "x'2f723f6f6c64'" : "'\\x2f723f6f6c64'";
    const char *hash = engine == Engine::Sqlite ? "x'00'" : "'\\x00'";
    out.push_back("INSERT INTO schema_version (version) VALUES (1)");
    out.push_back(std::string("INSERT INTO registrations (received_ms, target, target_hash,"
                              " game, language, email_key) VALUES (1700000000000, ") +
                  blob + ", " + hash + ", 'Old Game', 'french', 'old@b.example')");
    out.push_back("INSERT INTO fields VALUES (1, 0, 'Email', 'old@b.example')");
    out.push_back("INSERT INTO answers VALUES (1, 0, 1, '3', 'oui')");
    return out;
}

struct Row {
    const char *name;
    void (*check)(const Database &database, Storage &storage);
};

const Row kRows[] = {
    {"stores a batch, numbers it and gives it back whole",
     [](const Database &, Storage &storage) {
         const auto stored =
             store(storage, {registration("a=1", "2026-03-01T10:00:00.123Z"),
                             registration("a=2", "2026-03-01T10:00:01Z", "c@d.example")});
         ASSERT_EQ(stored.size(), 2);
         EXPECT_FALSE(stored[0].repeat);
         EXPECT_FALSE(stored[1].repeat);
         // Numbers are unique; several instances on one database do not
         // promise their order, so neither does one.
         EXPECT_NE(stored[0].number, stored[1].number);
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 2);
         const bool inOrder = rows[0].number == stored[0].number;
         const StoredRegistration &first = rows[inOrder ? 0 : 1];
         const StoredRegistration &second = rows[inOrder ? 1 : 0];
         EXPECT_LT(rows[0].number, rows[1].number);
         const Registration expected = registration("a=1", "2026-03-01T10:00:00.123Z");
         EXPECT_EQ(first.number, stored[0].number);
         EXPECT_EQ(first.repeats, 0);
         EXPECT_EQ(first.registration.target, expected.target);
         EXPECT_EQ(first.registration.receivedAt, expected.receivedAt);
         EXPECT_EQ(first.registration.game, expected.game);
         EXPECT_EQ(first.registration.language, expected.language);
         EXPECT_EQ(first.registration.email, expected.email);
         EXPECT_EQ(first.registration.fields, expected.fields);
         EXPECT_EQ(first.registration.answers, expected.answers);
         EXPECT_EQ(second.number, stored[1].number);
         EXPECT_EQ(second.registration.email, QStringLiteral("c@d.example"));
     }},
    {"a retry within a day, even past midnight, keeps its number and is stored once",
     [](const Database &, Storage &storage) {
         const auto first = store(storage, {registration("r=1", "2026-03-01T23:30:00Z")});
         const auto again = store(storage, {registration("r=1", "2026-03-02T00:30:00Z"),
                                            registration("r=1", "2026-03-02T00:30:01Z")});
         ASSERT_EQ(first.size(), 1);
         ASSERT_EQ(again.size(), 2);
         EXPECT_EQ(again[0].number, first[0].number);
         EXPECT_TRUE(again[0].repeat);
         EXPECT_EQ(again[1].number, first[0].number);
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 1);
         EXPECT_EQ(rows[0].repeats, 2);
     }},
    {"the same target twice in one batch is stored once",
     [](const Database &, Storage &storage) {
         const auto stored = store(storage, {registration("b=1", "2026-03-01T10:00:00Z"),
                                             registration("b=2", "2026-03-01T10:00:00Z"),
                                             registration("b=1", "2026-03-01T10:00:00Z")});
         ASSERT_EQ(stored.size(), 3);
         EXPECT_FALSE(stored[0].repeat);
         EXPECT_TRUE(stored[2].repeat);
         EXPECT_EQ(stored[2].number, stored[0].number);
         EXPECT_NE(stored[1].number, stored[0].number);
         EXPECT_EQ(all(storage).size(), 2);
     }},
    {"the same target after more than a day is a new registration",
     [](const Database &, Storage &storage) {
         const auto first = store(storage, {registration("d=1", "2026-03-01T10:00:00Z")});
         const auto later = store(storage, {registration("d=1", "2026-03-02T10:00:00.001Z")});
         ASSERT_EQ(later.size(), 1);
         EXPECT_FALSE(later[0].repeat);
         EXPECT_NE(later[0].number, first.value(0).number);
         EXPECT_EQ(all(storage).size(), 2);
     }},
    {"a registration of hundreds of answers keeps every one in order",
     [](const Database &, Storage &storage) {
         Registration many = registration("h=1", "2026-03-01T10:00:00Z");
         many.answers.clear();
         for (int i = 0; i < 450; ++i)
             many.answers.append({QString::number(i % 7), QString::number(i), 1 + i / 100});
         store(storage, {many});
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 1);
         EXPECT_EQ(rows[0].registration.answers, many.answers);
     }},
    {"export since a moment leaves out what came before",
     [](const Database &, Storage &storage) {
         store(storage, {registration("s=1", "2026-03-01T10:00:00Z"),
                         registration("s=2", "2026-03-05T10:00:00Z")});
         const auto rows = all(storage, at("2026-03-05T00:00:00Z"));
         ASSERT_EQ(rows.size(), 1);
         EXPECT_EQ(rows[0].registration.target, QByteArray("/register?s=2"));
         EXPECT_EQ(rows[0].registration.answers.size(), 5);
         EXPECT_TRUE(all(storage, at("2026-03-06T00:00:00Z")).isEmpty());
     }},
    {"erase removes a player's registrations whatever the letter case, and all of them",
     [](const Database &database, Storage &storage) {
         store(storage, {registration("e=1", "2026-03-01T10:00:00Z", "Player@Example.org"),
                         registration("e=2", "2026-03-02T10:00:00Z", "player@example.ORG"),
                         registration("e=3", "2026-03-03T10:00:00Z", "other@example.org")});
         QString error;
         EXPECT_EQ(storage.eraseEmail(QStringLiteral("PLAYER@example.org"), &error), 2)
             << error.toStdString();
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 1);
         EXPECT_EQ(rows[0].registration.email, QStringLiteral("other@example.org"));
         EXPECT_EQ(storage.eraseEmail(QStringLiteral("nobody@example.org"), &error), 0);
         // Nothing of an erased registration is left in any table.
         EXPECT_EQ(database.scalar("SELECT count(*) FROM fields"),
                   std::to_string(rows[0].registration.fields.size()));
         EXPECT_EQ(database.scalar("SELECT count(*) FROM answers"),
                   std::to_string(rows[0].registration.answers.size()));
     }},
    {"purge removes what came before a moment",
     [](const Database &, Storage &storage) {
         store(storage, {registration("p=1", "2025-01-01T00:00:00Z"),
                         registration("p=2", "2025-06-01T00:00:00Z"),
                         registration("p=3", "2026-01-01T00:00:00Z")});
         QString error;
         EXPECT_EQ(storage.purgeBefore(at("2026-01-01T00:00:00Z"), &error), 2)
             << error.toStdString();
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 1);
         EXPECT_EQ(rows[0].registration.target, QByteArray("/register?p=3"));
     }},
    {"reopened, it keeps every registration and numbers on after them",
     [](const Database &database, Storage &storage) {
         const auto first = store(storage, {registration("o=1", "2026-03-01T10:00:00Z")});
         QString error;
         auto reopened = database.open(&error);
         ASSERT_TRUE(reopened) << error.toStdString();
         const auto next = store(*reopened, {registration("o=2", "2026-03-01T10:00:01Z"),
                                             registration("o=1", "2026-03-01T10:00:02Z")});
         ASSERT_EQ(next.size(), 2);
         EXPECT_GT(next[0].number, first.value(0).number);
         EXPECT_EQ(next[1].number, first.value(0).number);
         EXPECT_EQ(all(*reopened).size(), 2);
     }},
};

class StorageContract : public ::testing::TestWithParam<std::tuple<Engine, Row>> {};

TEST_P(StorageContract, Holds)
{
    const auto &[engine, row] = GetParam();
    Database database(engine);
    std::string why;
    ASSERT_TRUE(database.ready(&why)) << why;
    QString error;
    auto storage = database.open(&error);
    ASSERT_TRUE(storage) << error.toStdString();
    EXPECT_EQ(storage->schemaVersion(&error), currentSchemaVersion());
    row.check(database, *storage);
}

std::string engineName(Engine engine)
{
    return engine == Engine::Sqlite ? "Sqlite" : "Postgresql";
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageContract,
                         ::testing::Combine(::testing::Values(Engine::Sqlite, Engine::Postgresql),
                                            ::testing::ValuesIn(kRows)),
                         [](const ::testing::TestParamInfo<std::tuple<Engine, Row>> &info) {
                             return engineName(std::get<0>(info.param)) +
                                    testsupport::caseName(std::get<1>(info.param).name);
                         });

// The schema steps, on a database some earlier version of the program left.
class StorageSchema : public ::testing::TestWithParam<Engine> {};

TEST_P(StorageSchema, APreviousVersionIsMigratedWithItsRegistrations)
{
    Database database(GetParam());
    std::string why;
    ASSERT_TRUE(database.ready(&why)) << why;
    ASSERT_EQ(database.run(previousVersion(GetParam())), "");
    QString error;
    auto storage = database.open(&error);
    ASSERT_TRUE(storage) << error.toStdString();
    EXPECT_EQ(storage->schemaVersion(&error), currentSchemaVersion());
    const auto stored = store(*storage, {registration("m=1", "2026-03-01T10:00:00Z"),
                                         registration("m=1", "2026-03-01T10:00:01Z")});
    ASSERT_EQ(stored.size(), 2);
    EXPECT_GT(stored[0].number, 1);
    EXPECT_TRUE(stored[1].repeat);
    const auto rows = all(*storage);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].registration.target, QByteArray("/r?old"));
    EXPECT_EQ(rows[0].registration.email, QStringLiteral("old@b.example"));
    EXPECT_EQ(rows[0].registration.answers,
              (QList<Answer>{{QStringLiteral("3"), QStringLiteral("oui"), 1}}));
}

TEST_P(StorageSchema, ANewerVersionIsRefusedUntouched)
{
    Database database(GetParam());
    std::string why;
    ASSERT_TRUE(database.ready(&why)) << why;
    ASSERT_EQ(database.run(
                  {sql::kCreateSchemaVersion, "INSERT INTO schema_version (version) VALUES (99)"}),
              "");
    QString error;
    EXPECT_FALSE(database.open(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("schema version 99"))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageSchema,
                         ::testing::Values(Engine::Sqlite, Engine::Postgresql),
                         [](const ::testing::TestParamInfo<Engine> &info) {
                             return engineName(info.param);
                         });

} // namespace
