// What every storage engine promises, as one table run against each engine:
// a row is a behaviour, the engine is the other axis.
#include "registrations/storage/statements.h"
#include "registrations/storage/storage.h"
#include "tests/support/postgres.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>
#include <QtEndian>

#include <future>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

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
    Engine engine() const { return m_engine; }
    std::string location() const { return m_location.toStdString(); }
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

// A registration from a country, in a language (the counts' axes).
Registration counted(const char *target, const char *when, const char *email, const char *country,
                     const char *language = "english")
{
    Registration r = registration(target, when, email);
    r.language = QString::fromLatin1(language);
    r.fields.append({QStringLiteral("Country"), QString::fromLatin1(country)});
    return r;
}

Period wholeDay(const char *date)
{
    const qint64 from = at((std::string(date) + "T00:00:00Z").c_str()).toMSecsSinceEpoch();
    return {from, from + 24LL * 60 * 60 * 1000};
}

// Every count the dashboard reads, over one period, as one comparable text.
std::string counts(Storage &storage, const Period &period)
{
    QString error;
    std::string out;
    auto add = [&](const char *name, const std::optional<QList<Tally>> &tallies) {
        out += name;
        out += tallies ? ":" : ": failed " + error.toStdString();
        for (const Tally &t : tallies.value_or(QList<Tally>{}))
            out += " " + t.key.toStdString() + "=" + std::to_string(t.count);
        out += "\n";
    };
    out += "received=" + std::to_string(storage.countReceived(period, &error).value_or(-1)) + "\n";
    add("days", storage.countPerDay(period, &error));
    add("languages", storage.countPerLanguage(period, 10, &error));
    add("countries", storage.countPerCountry(period, 10, &error));
    for (const auto &[page, id] : {std::pair{1, "1"}, {1, "7"}, {2, "1"}, {2, "2"}, {3, "5"}}) {
        const std::string question = std::to_string(page) + "/" + id;
        add(("answers " + question).c_str(),
            storage.countPerAnswer(page, QString::fromLatin1(id), period, 10, &error));
        add(("years " + question).c_str(),
            storage.countPerAnswer(page, QString::fromLatin1(id), period, 10, &error, 4));
        out +=
            "answered " + question + "=" +
            std::to_string(
                storage.countAnswered(page, QString::fromLatin1(id), period, &error).value_or(-1)) +
            "\n";
    }
    return out;
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

// Counters whose rows together count nothing or less: none should be kept.
const char *const kEmptyCounters =
    "SELECT count(*) FROM (SELECT kind FROM counters GROUP BY kind, page, entry_id, day, value"
    " HAVING sum(tally) <= 0) AS empty";

// `count` registrations of one country, sent by one player, as batches of two.
std::vector<std::vector<Registration>> batchesOf(const char *country, const char *email, int count)
{
    std::vector<std::vector<Registration>> batches;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            batches.emplace_back();
        const std::string target = std::string("b=") + country + std::to_string(i);
        batches.back().push_back(counted(target.c_str(), "2026-03-01T12:00:00Z", email, country));
    }
    return batches;
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
         // Nothing of an erased registration is left in any table: the
         // counters of their days are gone, those of the one kept remain (it
         // counts once, by language, by five answer values and by four
         // questions answered).
         EXPECT_EQ(database.scalar("SELECT count(*) FROM registrations"), "1");
         EXPECT_EQ(database.scalar("SELECT count(*) FROM counters"), "11");
         EXPECT_EQ(database.scalar("SELECT count(DISTINCT day) FROM counters"), "1");
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
    {"the dashboard's counts follow what is stored, erased and purged",
     [](const Database &database, Storage &storage) {
         Registration blank =
             counted("c=2", "2026-03-01T18:00:00Z", "y@e.example", "France", "french");
         blank.answers[0].value.clear(); // asked, left empty: not answered
         blank.answers.removeAt(2);
         store(storage, {counted("c=1", "2026-03-01T10:00:00Z", "x@e.example", "Canada"), blank,
                         counted("c=3", "2026-03-02T09:00:00Z", "X@e.example", "Canada"),
                         counted("c=4", "2026-03-02T10:00:00Z", "w@e.example", "France"),
                         counted("c=5", "2026-03-02T15:00:00Z", "z@e.example", "France")});
         // A Retry is not a registration more.
         store(storage, {counted("c=5", "2026-03-02T15:00:01Z", "z@e.example", "France")});
         QString error;
         const Period all;
         EXPECT_EQ(storage.countReceived(all, &error), 5);
         EXPECT_EQ(storage.countReceived(wholeDay("2026-03-02"), &error), 3);
         EXPECT_EQ(storage.countPerDay(all, &error),
                   (QList<Tally>{{"2026-03-01", 2}, {"2026-03-02", 3}}));
         EXPECT_EQ(storage.countPerLanguage(all, 10, &error),
                   (QList<Tally>{{"english", 4}, {"french", 1}}));
         EXPECT_EQ(storage.countPerCountry(all, 10, &error),
                   (QList<Tally>{{"France", 3}, {"Canada", 2}}));
         EXPECT_EQ(storage.countPerCountry(all, 1, &error), (QList<Tally>{{"France", 3}}));
         EXPECT_EQ(storage.countPerAnswer(1, "7", all, 10, &error),
                   (QList<Tally>{{"RPG", 5}, {"Racing", 4}}));
         EXPECT_EQ(storage.countPerAnswer(1, "1", all, 10, &error),
                   (QList<Tally>{{"Yes | no ` maybe", 4}, {"", 1}}));
         EXPECT_EQ(storage.countAnswered(1, "1", all, &error), 4);
         EXPECT_EQ(storage.countAnswered(1, "7", all, &error), 5);
         EXPECT_EQ(storage.countAnswered(2, "1", wholeDay("2026-03-01"), &error), 2);

         EXPECT_EQ(storage.eraseEmail(QStringLiteral("x@E.example"), &error), 2);
         EXPECT_EQ(storage.countReceived(all, &error), 3);
         EXPECT_EQ(storage.countPerDay(all, &error),
                   (QList<Tally>{{"2026-03-01", 1}, {"2026-03-02", 2}}));
         EXPECT_EQ(storage.countPerCountry(all, 10, &error), (QList<Tally>{{"France", 3}}));
         EXPECT_EQ(storage.countAnswered(1, "1", all, &error), 2);
         EXPECT_EQ(storage.countPerAnswer(1, "1", all, 10, &error),
                   (QList<Tally>{{"Yes | no ` maybe", 2}, {"", 1}}));

         // Before noon of the second day: the first day whole, and the
         // morning's registration of the second.
         EXPECT_EQ(storage.purgeBefore(at("2026-03-02T12:00:00Z"), &error), 2);
         EXPECT_EQ(storage.countReceived(all, &error), 1);
         EXPECT_EQ(storage.countPerDay(all, &error), (QList<Tally>{{"2026-03-02", 1}}));
         EXPECT_EQ(storage.countPerLanguage(all, 10, &error), (QList<Tally>{{"english", 1}}));
         EXPECT_EQ(storage.countPerCountry(all, 10, &error), (QList<Tally>{{"France", 1}}));
         EXPECT_EQ(storage.countPerAnswer(1, "1", all, 10, &error),
                   (QList<Tally>{{"Yes | no ` maybe", 1}}));
         EXPECT_EQ(storage.countAnswered(1, "7", all, &error), 1);
         // What counts nothing any more is not kept either.
         EXPECT_EQ(database.scalar(kEmptyCounters), "0");
         EXPECT_EQ(database.scalar("SELECT count(*) FROM counters WHERE value = 'french'"), "0");
         const auto latest = storage.latest(5, &error);
         ASSERT_TRUE(latest) << error.toStdString();
         ASSERT_EQ(latest->size(), 1);
         EXPECT_EQ(latest->first().email, QStringLiteral("z@e.example"));
         EXPECT_EQ(latest->first().firstName, QStringLiteral("Zo\u00eb"));
         EXPECT_EQ(latest->first().country, QStringLiteral("France"));
     }},
    {"a free-text answer of thousands of characters is stored and counted",
     [](const Database &, Storage &storage) {
         // Text that does not compress: what a text box may hold at its longest.
         QString text;
         quint32 seed = 12345;
         for (int i = 0; i < 32767; ++i) {
             seed = seed * 1103515245u + 12345u;
             text += QChar(u'!' + (seed >> 16) % 90);
         }
         Registration r = registration("l=1", "2026-03-01T10:00:00Z");
         r.answers.append({QStringLiteral("9"), text, 3});
         // A hostile e-mail field as long (the key erasure looks rows up by).
         const QString address = text + QStringLiteral("@b.example");
         Registration other = registration("l=2", "2026-03-01T10:00:01Z");
         other.email = address;
         other.fields[1].value = address;
         const auto stored = store(storage, {r, other});
         ASSERT_EQ(stored.size(), 2);
         const auto rows = all(storage);
         ASSERT_EQ(rows.size(), 2);
         EXPECT_EQ(rows[0].registration.answers.last().value, text);
         QString error;
         const auto values = storage.countPerAnswer(3, QStringLiteral("9"), Period{}, 5, &error);
         ASSERT_TRUE(values) << error.toStdString();
         EXPECT_EQ(values->size(), 1);
         EXPECT_EQ(values->value(0).key, text);
         EXPECT_EQ(storage.eraseEmail(address.toUpper(), &error), 1) << error.toStdString();
         EXPECT_EQ(storage.eraseEmail(QStringLiteral("a@b.example"), &error), 1);
         EXPECT_EQ(storage.countAnswered(3, QStringLiteral("9"), Period{}, &error), 0);
         EXPECT_TRUE(all(storage).isEmpty());
     }},
    {"two instances on one database count what they store together, and erase it from either",
     [](const Database &database, Storage &first) {
         QString error;
         auto second = database.open(&error);
         ASSERT_TRUE(second) << error.toStdString();
         // Batches taking turns between the instances, every one touching the
         // same day's counters; a third of the players erase later.
         for (int b = 0; b < 8; ++b) {
             std::vector<Registration> batch;
             for (int k = 0; k < 3; ++k) {
                 const std::string target = "i=" + std::to_string(b) + "." + std::to_string(k);
                 const std::string email =
                     "p" + std::to_string(b) + std::to_string(k) + "@e.example";
                 batch.push_back(counted(target.c_str(), "2026-03-01T10:00:00Z",
                                         k == 0 ? "shared@e.example" : email.c_str(),
                                         b % 3 == 0 ? "France" : "Canada"));
             }
             store(b % 2 ? *second : first, batch);
         }
         // The other instance's Retry is the same registration, not one more.
         const auto again =
             store(*second, {counted("i=0.1", "2026-03-01T10:00:05Z", "p01@e.example", "France")});
         ASSERT_EQ(again.size(), 1);
         EXPECT_TRUE(again[0].repeat);
         const Period all;
         EXPECT_EQ(first.countReceived(all, &error), 24);
         EXPECT_EQ(second->countPerCountry(all, 10, &error),
                   (QList<Tally>{{"Canada", 15}, {"France", 9}}));
         if (database.engine() == Engine::Postgresql) {
             // The day's busiest counter is spread over rows that the
             // instances' batches do not both hold locked until they commit.
             EXPECT_NE(database.scalar("SELECT count(*) FROM counters WHERE kind = 0"), "1");
         }

         // At the same time: one instance stores, the other erases players
         // (the shared one, then one whose every registration it stored itself
         // while the first was storing).
         std::thread writer([&] {
             for (const auto &batch : batchesOf("Norway", "n@e.example", 40))
                 store(first, batch);
         });
         QString eraseError;
         const auto sharedGone =
             second->eraseEmail(QStringLiteral("shared@e.example"), &eraseError);
         for (const auto &batch : batchesOf("Japan", "j@e.example", 40))
             store(*second, batch);
         const auto japanGone = second->eraseEmail(QStringLiteral("j@e.example"), &eraseError);
         writer.join();
         EXPECT_EQ(sharedGone, 8) << eraseError.toStdString();
         EXPECT_EQ(japanGone, 40) << eraseError.toStdString();

         // Every count the dashboard reads is the one a single instance gives
         // for the registrations left stored, and nothing of the erased ones
         // stays in the counters.
         const auto rows = [&] {
             QList<StoredRegistration> out;
             EXPECT_TRUE(first.forEach(
                 {},
                 [&](const StoredRegistration &r) {
                     out.append(r);
                     return true;
                 },
                 &error));
             return out;
         }();
         EXPECT_EQ(rows.size(), 56);
         EXPECT_EQ(first.countReceived(all, &error), rows.size());
         Database alone(database.engine());
         std::string why;
         ASSERT_TRUE(alone.ready(&why)) << why;
         auto single = alone.open(&error);
         ASSERT_TRUE(single) << error.toStdString();
         std::vector<Registration> kept;
         for (const StoredRegistration &r : rows)
             kept.push_back(r.registration);
         store(*single, kept);
         EXPECT_EQ(counts(first, all), counts(*single, all));
         EXPECT_EQ(counts(*second, wholeDay("2026-03-01")), counts(*single, all));
         EXPECT_EQ(database.scalar("SELECT count(*) FROM counters WHERE value = 'Japan'"), "0");
         EXPECT_EQ(database.scalar(kEmptyCounters), "0");
     }},
    {"an export in progress holds up no commit and reads its own snapshot",
     [](const Database &, Storage &storage) {
         store(storage, {registration("x=1", "2026-03-01T10:00:00Z"),
                         registration("x=2", "2026-03-01T10:00:01Z")});
         std::promise<void> inside;
         std::promise<void> release;
         std::shared_future<void> released = release.get_future().share();
         int visited = 0;
         // An export whose reader stops at its first row (a slow download).
         auto exporting = std::async(std::launch::async, [&] {
             QString error;
             return storage.forEach(
                 std::nullopt,
                 [&](const StoredRegistration &) {
                     if (visited++ == 0) {
                         inside.set_value();
                         released.wait();
                     }
                     return true;
                 },
                 &error);
         });
         ASSERT_EQ(inside.get_future().wait_for(std::chrono::seconds(60)),
                   std::future_status::ready);
         auto storing = std::async(std::launch::async, [&] {
             return store(storage, {registration("x=3", "2026-03-01T10:00:02Z")});
         });
         // Bounded so that a commit waiting for the export fails the test
         // instead of hanging it.
         const bool committed =
             storing.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
         release.set_value();
         EXPECT_TRUE(committed);
         EXPECT_EQ(storing.get().size(), 1);
         EXPECT_TRUE(exporting.get());
         EXPECT_EQ(visited, 2);
         EXPECT_EQ(all(storage).size(), 3);
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

// The newest schema before registrations became one row each, filled as that
// program filled it: registrations with their fields and answers in rows.
std::vector<std::string> filledVersion3(Engine engine, const std::vector<Registration> &rows)
{
    std::vector<std::string> out{sql::kCreateSchemaVersion};
    for (const sql::Migration &migration : sql::migrations()) {
        if (migration.version > 3)
            break;
        for (const char *text : engine == Engine::Sqlite ? migration.sqlite : migration.postgres)
            out.emplace_back(text);
        out.push_back("INSERT INTO schema_version (version) VALUES (" +
                      std::to_string(migration.version) + ")");
    }
    auto quoted = [](const QString &text) {
        return "'" + QString(text).replace(u'\'', QStringLiteral("''")).toStdString() + "'";
    };
    auto bytes = [engine](const QByteArray &data) {
        const std::string hex = data.toHex().toStdString();
        return engine == Engine::Sqlite ? "x'" + hex + "'" : "'\\x" + hex + "'";
    };
    for (size_t n = 0; n < rows.size(); ++n) {
        const Registration &r = rows[n];
        const std::string number = std::to_string(n + 1);
        const qint64 ms = r.receivedAt.toMSecsSinceEpoch();
        out.push_back("INSERT INTO registrations (number, received_ms, target, target_hash, game,"
                      " language, email_key, received_day, repeats) VALUES (" +
                      number + ", " + std::to_string(ms) + ", " + bytes(r.target) + ", " +
                      bytes(targetHash(r.target)) + ", " + quoted(r.game) + ", " +
                      quoted(r.language) + ", " + quoted(emailKey(r.email)) + ", " +
                      std::to_string(retryDay(ms)) + ", " + std::to_string(n) + ")");
        // Written last to first: the order is the positions', not the rows'.
        for (qsizetype i = r.fields.size() - 1; i >= 0; --i)
            out.push_back("INSERT INTO fields VALUES (" + number + ", " + std::to_string(i) + ", " +
                          quoted(r.fields[i].key) + ", " + quoted(r.fields[i].value) + ")");
        for (qsizetype i = r.answers.size() - 1; i >= 0; --i)
            out.push_back("INSERT INTO answers VALUES (" + number + ", " + std::to_string(i) +
                          ", " + std::to_string(r.answers[i].page) + ", " +
                          quoted(r.answers[i].id) + ", " + quoted(r.answers[i].value) + ")");
    }
    if (engine == Engine::Postgresql)
        out.push_back("SELECT setval(pg_get_serial_sequence('registrations', 'number'), " +
                      std::to_string(rows.size()) + ")");
    return out;
}

TEST_P(StorageSchema, AFilledVersion3IsMigratedWithEveryRowAndTheSameCounts)
{
    std::vector<Registration> rows = {
        counted("v=1", "2026-02-27T23:59:59.999Z", "Old@b.example", "Canada"),
        counted("v=2", "2026-02-28T00:00:00Z", "new@b.example", "Norway", "french"),
        registration("v=3", "2026-03-01T12:00:00Z", "third@b.example"),
        registration("v=4", "2026-03-01T13:00:00Z", "fourth@b.example"),
    };
    // Values JSON must escape, a date's three entries, a question asked and
    // left empty, a registration without answers and one without fields.
    rows[0].answers.append({QStringLiteral("5"), QStringLiteral("\"quoted\" \\ back\tslash\n"), 3});
    rows[0].answers.append({QStringLiteral("5"), QStringLiteral("1999"), 3});
    rows[0].answers.append({QStringLiteral("5"), QStringLiteral("12"), 3});
    rows[1].answers.append({QStringLiteral("5"), QStringLiteral("1999"), 3});
    rows[1].answers[0].value.clear();
    rows[2].answers.clear();
    rows[3].fields.clear();
    rows[3].email.clear();

    Database old(GetParam());
    Database fresh(GetParam());
    std::string why;
    ASSERT_TRUE(old.ready(&why)) << why;
    ASSERT_EQ(old.run(filledVersion3(GetParam(), rows)), "");
    QString error;
    auto migrated = old.open(&error);
    ASSERT_TRUE(migrated) << error.toStdString();
    EXPECT_EQ(migrated->schemaVersion(&error), currentSchemaVersion());
    auto stored = fresh.open(&error);
    ASSERT_TRUE(stored) << error.toStdString();
    store(*stored, rows);

    const auto back = all(*migrated);
    ASSERT_EQ(back.size(), qsizetype(rows.size()));
    for (size_t n = 0; n < rows.size(); ++n) {
        const StoredRegistration &r = back[qsizetype(n)];
        EXPECT_EQ(r.number, qint64(n + 1));
        EXPECT_EQ(r.repeats, int(n));
        EXPECT_EQ(r.registration.target, rows[n].target);
        EXPECT_EQ(r.registration.receivedAt, rows[n].receivedAt);
        EXPECT_EQ(r.registration.email, rows[n].email);
        EXPECT_EQ(r.registration.fields, rows[n].fields) << n;
        EXPECT_EQ(r.registration.answers, rows[n].answers) << n;
    }
    // The counters made from the old rows are those the writer keeps.
    for (const Period &period : {Period{}, wholeDay("2026-02-27"), wholeDay("2026-02-28"),
                                 wholeDay("2026-03-01"), wholeDay("2026-03-02")})
        EXPECT_EQ(counts(*migrated, period), counts(*stored, period)) << period.fromMs;
    // It goes on numbering after the old rows, and takes a repeat of one.
    const auto next = store(*migrated, {registration("v=5", "2026-03-01T14:00:00Z"),
                                        registration("v=4", "2026-03-01T14:00:01Z")});
    ASSERT_EQ(next.size(), 2);
    EXPECT_EQ(next[0].number, 5);
    EXPECT_EQ(next[1].number, 4);
    EXPECT_TRUE(next[1].repeat);
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

// Another instance deadlocks with a batch: the batch, chosen as the victim,
// is run again and stored once, never refused while it can still be stored.
TEST(PostgresqlBatch, ABatchThatLosesADeadlockIsRunAgainAndStoredOnce)
{
    Database database(Engine::Postgresql);
    std::string why;
    ASSERT_TRUE(database.ready(&why)) << why;
    QString error;
    auto storage = database.open(&error);
    ASSERT_TRUE(storage) << error.toStdString();
    std::vector<Registration> batch = {registration("d=1", "2026-03-01T10:00:00Z"),
                                       registration("d=2", "2026-03-01T10:00:01Z")};
    // The batch locks its targets in the order of their hashes; the other
    // session takes the second first, then, once the batch waits for it, the
    // first.
    std::vector<qint64> keys;
    for (const Registration &r : batch)
        keys.push_back(qFromBigEndian<qint64>(targetHash(r.target).constData()));
    if (targetHash(batch[1].target) < targetHash(batch[0].target))
        std::swap(keys[0], keys[1]);

    PGconn *other = PQconnectdb(database.location().c_str());
    ASSERT_EQ(PQstatus(other), CONNECTION_OK) << PQerrorMessage(other);
    auto run = [other](const std::string &statement) {
        PGresult *result = PQexec(other, statement.c_str());
        const ExecStatusType status = PQresultStatus(result);
        std::string out = status == PGRES_TUPLES_OK && PQntuples(result) > 0
                              ? PQgetvalue(result, 0, 0)
                              : (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
                                     ? ""
                                     : "error: " + std::string(PQresultErrorMessage(result)));
        PQclear(result);
        return out;
    };
    // The batch's session finds the deadlock first and is the one rolled back.
    EXPECT_EQ(run("SET deadlock_timeout = '30s'"), "");
    EXPECT_EQ(run("BEGIN"), "");
    EXPECT_EQ(run("SELECT pg_advisory_xact_lock(" + std::to_string(keys[1]) + ")"), "");

    std::optional<QList<Stored>> stored;
    QString storeError;
    std::thread writer([&] { stored = storage->store(batch, &storeError); });
    bool waiting = false;
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         !waiting && std::chrono::steady_clock::now() < until;)
        waiting =
            run("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND NOT granted") == "1";
    EXPECT_TRUE(waiting);
    // Granted only once the batch's transaction let go of it: rolled back.
    EXPECT_EQ(run("SELECT pg_advisory_xact_lock(" + std::to_string(keys[0]) + ")"), "");
    EXPECT_EQ(run("COMMIT"), "");
    writer.join();
    PQfinish(other);

    ASSERT_TRUE(stored) << storeError.toStdString();
    ASSERT_EQ(stored->size(), 2);
    EXPECT_FALSE(stored->at(0).repeat);
    EXPECT_FALSE(stored->at(1).repeat);
    EXPECT_NE(stored->at(0).number, stored->at(1).number);
    EXPECT_EQ(all(*storage).size(), 2);
    EXPECT_EQ(storage->countReceived(Period{}, &error), 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageSchema,
                         ::testing::Values(Engine::Sqlite, Engine::Postgresql),
                         [](const ::testing::TestParamInfo<Engine> &info) {
                             return engineName(info.param);
                         });

} // namespace
