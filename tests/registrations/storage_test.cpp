// What only the SQLite file has (its mode, a full disk) and the group commit
// above every engine; what every engine promises is the table in
// storage_contract_test.cpp.
#include "registrations/storage/group_committer.h"
#include "registrations/storage/sqlite_storage.h"
#include "registrations/storage/storage.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>

#include <future>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

using namespace registrations::storage;

const QDateTime kNoon = QDateTime(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc());

Registration sample(const QByteArray &target, const QDateTime &at = kNoon,
                    const QString &email = QStringLiteral("Ann@Example.org"))
{
    Registration r;
    r.target = target;
    r.receivedAt = at;
    r.game = QStringLiteral("Demo Game");
    r.language = QStringLiteral("English");
    r.email = email;
    r.fields = {{QStringLiteral("FirstName"), QStringLiteral("Ann")},
                {QStringLiteral("Email"), email},
                {QStringLiteral("pname"), r.game},
                {QStringLiteral("lang"), r.language}};
    r.answers = {{QStringLiteral("2"), QStringLiteral("Fred's Garage; '); DROP TABLE x;--"), 1},
                 {QStringLiteral("7"), QStringLiteral("RPG"), 1},
                 {QStringLiteral("7"), QStringLiteral("\u00e9\u4e2d"), 2}};
    return r;
}

QList<StoredRegistration> readAll(Storage &storage, std::optional<QDateTime> since = {})
{
    QList<StoredRegistration> all;
    QString error;
    EXPECT_TRUE(storage.forEach(
        since,
        [&](const StoredRegistration &r) {
            all.append(r);
            return true;
        },
        &error))
        << error.toStdString();
    return all;
}

class SqliteStorageTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QString error;
        m_storage = openSqlite(path(), &error);
        ASSERT_TRUE(m_storage) << error.toStdString();
    }
    QString path() const { return m_dir.filePath(QStringLiteral("registrations.db")); }
    QList<Stored> store(const QList<Registration> &batch)
    {
        QString error;
        const auto stored = m_storage->store(batch, &error);
        EXPECT_TRUE(stored) << error.toStdString();
        return stored.value_or(QList<Stored>());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Storage> m_storage;
};

TEST_F(SqliteStorageTest, TheFileIsPrivateAndItsSchemaVersionedAcrossOpenings)
{
    struct stat info {};
    ASSERT_EQ(::stat(path().toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    store({sample("/r?1")});
    m_storage.reset();

    QString error;
    auto reopened = openSqlite(path(), &error);
    ASSERT_TRUE(reopened) << error.toStdString();
    EXPECT_EQ(reopened->schemaVersion(&error), currentSchemaVersion());
    EXPECT_EQ(readAll(*reopened).size(), 1);
    reopened.reset();

    // A database written by a newer program is not touched.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "INSERT INTO schema_version (version) VALUES (99)", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(openSqlite(path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("newer"))) << error.toStdString();
}

TEST_F(SqliteStorageTest, AFailedWriteStoresNothingOfTheBatch)
{
    store({sample("/r?1")});
    QString error;
    std::optional<QList<Stored>> stored;
    {
        // A full disk: the log cannot grow by the new rows.
        const QFileInfo wal(path() + QStringLiteral("-wal"));
        testsupport::FileSizeLimit limit(rlim_t(wal.size()));
        QList<Registration> big;
        for (int i = 0; i < 50; ++i) {
            Registration r = sample("/r?big" + QByteArray::number(i));
            r.answers.append({QStringLiteral("9"), QString(2000, u'x'), 3});
            big.append(r);
        }
        stored = m_storage->store(big, &error);
    }
    EXPECT_FALSE(stored);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(*m_storage).size(), 1);
    // The storage goes on working once there is room again.
    EXPECT_EQ(store({sample("/r?2")}).value(0).number, 2);
}

TEST_F(SqliteStorageTest, ADamagedRowStopsTheExportWithItsNumberInsteadOfAnEmptyRegistration)
{
    store({sample("/r?1"), sample("/r?2"), sample("/r?3")});
    // Content that is not what the writer writes: cut short, the wrong
    // shape, an answer without its page.
    for (const char *damaged :
         {"{\"f\":[[\"FirstName\",\"Ann\"]", "[]", "{\"f\":[],\"a\":[[\"7\",\"RPG\"]]}"}) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt *update = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "UPDATE registrations SET content = ? WHERE number = 2",
                                     -1, &update, nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(update, 1, damaged, -1, SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        sqlite3_finalize(update);
        sqlite3_close(db);

        QList<qint64> seen;
        QString error;
        EXPECT_FALSE(m_storage->forEach(
            std::nullopt,
            [&](const StoredRegistration &r) {
                seen.append(r.number);
                return true;
            },
            &error))
            << damaged;
        EXPECT_EQ(seen, QList<qint64>{1}) << damaged;
        EXPECT_TRUE(error.contains(QStringLiteral("registration 2"))) << error.toStdString();
    }
}

TEST_F(SqliteStorageTest, LargeBatchesKeepEveryRowInOrderWhileTheLogIsCopiedBack)
{
    // Batches of many registrations put their fields and answers in several
    // multi-row inserts (with a shorter last one), and enough of them make the
    // log grow past the point where it is copied back while writing goes on.
    constexpr int kBatches = 12;
    constexpr int kPerBatch = 101;
    const QString longAnswer(3000, u'y');
    qint64 expected = 0;
    for (int b = 0; b < kBatches; ++b) {
        QList<Registration> batch;
        for (int i = 0; i < kPerBatch; ++i) {
            Registration r = sample("/r?b" + QByteArray::number(b) + "i" + QByteArray::number(i));
            r.answers.append({QStringLiteral("9"), longAnswer + QString::number(i), 2});
            batch.append(r);
        }
        // A Retry inside the batch: answered with the first one's number,
        // its rows stored once.
        batch.append(batch.first());
        const QList<Stored> stored = store(batch);
        ASSERT_EQ(stored.size(), kPerBatch + 1);
        for (int i = 0; i < kPerBatch; ++i) {
            EXPECT_EQ(stored[i].number, ++expected);
            EXPECT_FALSE(stored[i].repeat);
        }
        EXPECT_EQ(stored.last().number, stored.first().number);
        EXPECT_TRUE(stored.last().repeat);
    }
    const auto check = [&](Storage &storage) {
        const QList<StoredRegistration> all = readAll(storage);
        ASSERT_EQ(all.size(), kBatches * kPerBatch);
        for (const StoredRegistration &stored : all) {
            const qint64 i = (stored.number - 1) % kPerBatch;
            const Registration &r = stored.registration;
            EXPECT_EQ(r.target, "/r?b" + QByteArray::number((stored.number - 1) / kPerBatch) + "i" +
                                    QByteArray::number(i));
            EXPECT_EQ(stored.repeats, i == 0 ? 1 : 0);
            ASSERT_EQ(r.fields.size(), 4);
            EXPECT_EQ(r.fields[0].key, QStringLiteral("FirstName"));
            EXPECT_EQ(r.fields[3].value, QStringLiteral("English"));
            ASSERT_EQ(r.answers.size(), 4);
            EXPECT_EQ(r.answers[0].value, QStringLiteral("Fred's Garage; '); DROP TABLE x;--"));
            EXPECT_EQ(r.answers[2].value, QStringLiteral("\u00e9\u4e2d"));
            EXPECT_EQ(r.answers[3].value, longAnswer + QString::number(i));
            EXPECT_EQ(r.answers[3].page, 2);
        }
    };
    check(*m_storage);
    m_storage.reset();
    QString error;
    auto reopened = openSqlite(path(), &error);
    ASSERT_TRUE(reopened) << error.toStdString();
    check(*reopened);
}

// A storage whose first commit waits until the test lets it finish.
class GatedStorage final : public Storage {
  public:
    std::promise<void> entered;
    std::promise<void> release;
    std::vector<size_t> batches;
    bool failSecond = false;

    std::optional<QList<Stored>> store(std::span<const Registration> batch, QString *error) override
    {
        batches.push_back(batch.size());
        if (batches.size() == 1) {
            entered.set_value();
            release.get_future().wait();
        }
        if (failSecond && batches.size() == 2) {
            *error = QStringLiteral("disk full");
            return std::nullopt;
        }
        QList<Stored> result;
        for (const Registration &r : batch)
            result.append({r.target.toLongLong(), false});
        return result;
    }
    bool forEach(const std::optional<QDateTime> &,
                 const std::function<bool(const StoredRegistration &)> &, QString *) override
    {
        return true;
    }
    std::optional<qint64> eraseEmail(const QString &, QString *) override { return 0; }
    std::optional<qint64> purgeBefore(const QDateTime &, QString *) override { return 0; }
    std::optional<int> schemaVersion(QString *) override { return 1; }
};

TEST(GroupCommitter, CommitsWhatArrivedDuringACommitInOneTransaction)
{
    for (const bool failSecond : {false, true}) {
        SCOPED_TRACE(failSecond ? "second commit fails" : "both commit");
        GatedStorage storage;
        storage.failSecond = failSecond;
        std::vector<std::promise<std::optional<Stored>>> outcomes(10);
        {
            GroupCommitter committer(storage);
            auto submit = [&](int i) {
                Registration r;
                r.target = QByteArray::number(100 + i);
                committer.submit(r, [&outcomes, i](const std::optional<Stored> &s,
                                                   const QString &) { outcomes[i].set_value(s); });
            };
            submit(0);
            storage.entered.get_future().wait();
            for (int i = 1; i < 10; ++i)
                submit(i);
            storage.release.set_value();
        }
        ASSERT_EQ(storage.batches, (std::vector<size_t>{1, 9}));
        for (int i = 0; i < 10; ++i) {
            const std::optional<Stored> outcome = outcomes[i].get_future().get();
            if (failSecond && i > 0) {
                EXPECT_FALSE(outcome) << i;
            } else {
                ASSERT_TRUE(outcome) << i;
                EXPECT_EQ(outcome->number, 100 + i);
            }
        }
    }
}

} // namespace
