#include "registrations/storage/sqlite_storage.h"

#include "registrations/storage/record.h"
#include "registrations/storage/statements.h"

#include <QFile>
#include <QHash>
#include <QTimeZone>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace registrations::storage {

namespace {

// A prepared statement that is finalized when it goes out of scope. Values
// are bound to $1..$N by name, so a text may use them in any order.
class Statement {
  public:
    Statement(sqlite3 *db, const char *text, unsigned flags = 0)
    {
        m_status = sqlite3_prepare_v3(db, text, -1, flags, &m_statement, nullptr);
        // A statement is bound many times a batch: the positions of $1..$N
        // are looked up once.
        const int count = m_statement ? sqlite3_bind_parameter_count(m_statement) : 0;
        m_indexes.resize(size_t(count) + 1);
        char name[16];
        for (int n = 1; n <= count; ++n) {
            std::snprintf(name, sizeof name, "$%d", n);
            m_indexes[size_t(n)] = sqlite3_bind_parameter_index(m_statement, name);
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_status == SQLITE_OK && m_statement; }

    void bind(int n, qint64 value) { record(sqlite3_bind_int64(m_statement, index(n), value)); }
    // Texts and blobs are kept (shared, not copied) until the next reset, so
    // SQLite reads them in place instead of copying each value once more.
    void bind(int n, const QString &value)
    {
        const QByteArray &utf8 = m_kept.emplace_back(value.toUtf8());
        record(sqlite3_bind_text(m_statement, index(n), utf8.constData(), int(utf8.size()),
                                 SQLITE_STATIC));
    }
    void bindText(int n, const QByteArray &utf8)
    {
        const QByteArray &kept = m_kept.emplace_back(utf8);
        record(sqlite3_bind_text(m_statement, index(n), kept.constData(), int(kept.size()),
                                 SQLITE_STATIC));
    }
    void bindBlob(int n, const QByteArray &value)
    {
        const QByteArray &kept = m_kept.emplace_back(value);
        record(sqlite3_bind_blob(m_statement, index(n), kept.constData(), int(kept.size()),
                                 SQLITE_STATIC));
    }

    // SQLITE_ROW, SQLITE_DONE or an error code (also a binding error).
    int step()
    {
        if (m_status != SQLITE_OK)
            return m_status;
        return sqlite3_step(m_statement);
    }
    // Runs to the end; true when it ended well.
    bool run()
    {
        int status;
        while ((status = step()) == SQLITE_ROW) {
        }
        return status == SQLITE_DONE;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_kept.clear();
        m_status = m_statement ? SQLITE_OK : m_status;
    }

    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    int columns() const { return sqlite3_column_count(m_statement); }
    int type(int column) const { return sqlite3_column_type(m_statement, column); }
    bool isNull(int column) const
    {
        return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
    }
    QString text(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(data, sqlite3_column_bytes(m_statement, column));
    }
    // A text column's UTF-8 bytes, valid until the next step or reset.
    QByteArrayView bytes(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
    }
    QByteArray blob(int column) const
    {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

  private:
    int index(int n) const
    {
        if (n > 0 && n < int(m_indexes.size()))
            return m_indexes[size_t(n)];
        const QByteArray name = "$" + QByteArray::number(n);
        return sqlite3_bind_parameter_index(m_statement, name.constData());
    }
    void record(int status)
    {
        if (m_status == SQLITE_OK && status != SQLITE_OK)
            m_status = status;
    }

    sqlite3_stmt *m_statement = nullptr;
    int m_status = SQLITE_OK;
    std::vector<int> m_indexes;
    std::deque<QByteArray> m_kept; // a deque: earlier values stay where they are
};

// Counters changed by one statement: a batch's counts go in statements of up
// to this many keys each.
constexpr int kRowsPerInsert = 64;

// Copies the write-ahead log back into the database file on a connection and
// thread of its own, so that the writer, whose commits every waiting request
// is answered after, does not also do that copying and its flush. A commit is
// durable once it is in the log; this only keeps the log from growing.
class Checkpointer {
  public:
    explicit Checkpointer(QByteArray path) : m_path(std::move(path)) {}
    ~Checkpointer() { stop(); }
    Checkpointer(const Checkpointer &) = delete;
    Checkpointer &operator=(const Checkpointer &) = delete;

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

    // Called after a commit that left the log at `frames` pages; the first
    // call starts the thread. False when it cannot run (the caller then
    // copies the log back itself).
    bool request()
    {
        std::lock_guard lock(m_mutex);
        if (m_failed || m_stopping)
            return false;
        m_pending = true;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_wake.notify_one();
        return true;
    }

  private:
    void run()
    {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            std::lock_guard lock(m_mutex);
            m_failed = true;
            return;
        }
        sqlite3_busy_timeout(db, 1000);
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || m_pending; });
            if (m_stopping)
                break;
            m_pending = false;
            lock.unlock();
            // Passive: copies what no reader still needs, never waits for the writer.
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            lock.lock();
        }
        lock.unlock();
        sqlite3_close_v2(db);
    }

    const QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stopping = false;
    bool m_failed = false;
    std::thread m_thread;
};

// Log sizes in pages: from the first the checkpointer is asked to copy the log
// back (SQLite's own default); from the second, when the checkpointer has
// fallen that far behind, the writer copies it back itself after its commit,
// which bounds the log whatever the load.
constexpr int kCheckpointFrames = 1000;
constexpr int kWriterCheckpointFrames = 16000;

QDateTime fromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}

class SqliteStorage final : public Storage {
  public:
    SqliteStorage(sqlite3 *db, const QByteArray &path)
        : m_db(db), m_path(path), m_checkpointer(path)
    {
    }
    ~SqliteStorage() override
    {
        sqlite3_close_v2(m_reader);
        sqlite3_wal_hook(m_db, nullptr, nullptr);
        m_checkpointer.stop();
        m_statements.clear(); // finalized before the connection closes
        sqlite3_close_v2(m_db);
    }

    // The settings and the schema; false with the reason when the file cannot serve.
    bool prepare(QString *error)
    {
        // A lock held by another process (an export while the service runs)
        // is waited for rather than reported at once.
        sqlite3_busy_timeout(m_db, 10000);
        {
            Statement journal(m_db, "PRAGMA journal_mode=WAL");
            if (journal.step() != SQLITE_ROW || journal.text(0) != QLatin1String("wal"))
                return fail(error, "cannot switch the database to write-ahead logging");
        }
        if (!exec("PRAGMA synchronous=FULL") || !exec("PRAGMA foreign_keys=ON") ||
            !exec("PRAGMA secure_delete=ON") ||
            // Room for the indexes' pages the writer keeps coming back to,
            // rather than reading them from the file again for each batch.
            !exec("PRAGMA cache_size=-32768"))
            return fail(error, "cannot apply the database settings");
        // In place of SQLite's own checkpoint after a commit that grew the log.
        sqlite3_wal_hook(m_db, &SqliteStorage::logGrew, this);
        return migrate(error);
    }

    std::optional<QList<Stored>> store(std::span<const Registration> batch, QString *error) override
    {
        std::lock_guard lock(m_mutex);
        if (!exec("BEGIN IMMEDIATE")) {
            fail(error, "cannot begin a transaction");
            return std::nullopt;
        }
        QList<Stored> results;
        results.reserve(qsizetype(batch.size()));
        // The counts of the registrations stored anew, gathered over the batch
        // and written once per key.
        CounterChanges counts;
        Statement *find = cached(sql::kFindRecentTarget);
        Statement *repeat = cached(sql::kCountRepeat);
        Statement *insert = cached(sql::kInsertRegistration);
        bool ok = find && repeat && insert;
        for (const Registration &r : batch) {
            if (!ok)
                break;
            const qint64 received = r.receivedAt.toMSecsSinceEpoch();
            const QByteArray hash = targetHashOf(r);
            find->reset();
            find->bindBlob(1, hash);
            find->bindBlob(2, r.target);
            find->bind(3, received - kRetryWindowMs);
            const int found = find->step();
            const qint64 earlier = found == SQLITE_ROW ? find->integer(0) : 0;
            find->reset(); // a statement left on a row would keep the commit from ending
            if (found == SQLITE_ROW) {
                const qint64 number = earlier;
                repeat->reset();
                repeat->bind(1, number);
                ok = repeat->run();
                results.append({number, true});
                continue;
            }
            if (found != SQLITE_DONE) {
                ok = false;
                break;
            }
            insert->reset();
            insert->bind(1, received);
            insert->bindBlob(2, r.target);
            insert->bindBlob(3, hash);
            insert->bind(4, r.game);
            insert->bind(5, r.language);
            insert->bind(6, emailKey(r.email));
            insert->bind(7, retryDay(received));
            insert->bindText(8, contentOf(r));
            if (insert->step() != SQLITE_ROW) {
                ok = false;
                break;
            }
            const qint64 number = insert->integer(0);
            // The target's key for the day was taken. With one process on the
            // file the look-up above has found any such row already; another
            // writer on the same file would get here, and is answered with
            // the stored number as its repeat.
            const bool met = insert->integer(1) > 0;
            ok = insert->run();
            insert->reset();
            results.append({number, met});
            if (!met)
                countRegistration(counts, received, r.language, r.fields, r.answers, 1);
        }
        if (ok)
            ok = addToCounters(counts);
        // COMMIT with synchronous=FULL returns once the log is flushed.
        if (!ok || !exec("COMMIT")) {
            const QString reason = lastError();
            exec("ROLLBACK");
            fail(error, "cannot store the registrations: " + reason);
            return std::nullopt;
        }
        return results;
    }

    bool forEach(const std::optional<QDateTime> &since,
                 const std::function<bool(const StoredRegistration &)> &visit,
                 QString *error) override
    {
        std::lock_guard lock(m_readMutex);
        sqlite3 *db = reader(error);
        if (!db)
            return false;
        const qint64 earliest = since ? since->toMSecsSinceEpoch() : LLONG_MIN;
        Statement rows(db, sql::kSelectRegistrations);
        rows.bind(1, earliest);
        int rowStatus;
        bool stopped = false;
        bool readable = true;
        while (!stopped && (rowStatus = rows.step()) == SQLITE_ROW) {
            StoredRegistration stored;
            stored.number = rows.integer(0);
            stored.repeats = int(rows.integer(5));
            Registration &r = stored.registration;
            r.receivedAt = fromMs(rows.integer(1));
            r.target = rows.blob(2);
            r.game = rows.text(3);
            r.language = rows.text(4);
            if (!decodeContent(rows.bytes(6), &r.fields, &r.answers)) {
                readable = false;
                break;
            }
            for (const Field &field : r.fields) {
                if (field.key == QLatin1String("Email"))
                    r.email = field.value;
            }
            stopped = !visit(stored);
        }
        if (!readable)
            return fail(error, QStringLiteral("cannot read the registrations: registration %1 "
                                              "is damaged")
                                   .arg(rows.integer(0)));
        return stopped || rowStatus == SQLITE_DONE ||
               fail(error, "cannot read the registrations: " + lastError(db));
    }

    std::optional<qint64> eraseEmail(const QString &address, QString *error) override
    {
        const QString key = emailKey(address);
        return remove(
            [&](CounterChanges &counts) {
                Statement erased(m_db, sql::kSelectErased);
                erased.bind(1, key);
                if (!takeOut(erased, counts))
                    return false;
                Statement rows(m_db, sql::kEraseRegistrations);
                rows.bind(1, key);
                return rows.run();
            },
            error);
    }

    std::optional<qint64> purgeBefore(const QDateTime &moment, QString *error) override
    {
        const qint64 ms = moment.toMSecsSinceEpoch();
        const qint64 day = dayOf(ms);
        return remove(
            [&](CounterChanges &counts) {
                // Whole days before the moment's go with their counters; of
                // the moment's own day only what came before it is taken out.
                Statement days(m_db, sql::kPurgeCounters);
                days.bind(1, day);
                Statement partial(m_db, sql::kSelectPurgedOfDay);
                partial.bind(1, day * 24 * 60 * 60 * 1000);
                partial.bind(2, ms);
                if (!days.run() || !takeOut(partial, counts))
                    return false;
                Statement rows(m_db, sql::kPurgeRegistrations);
                rows.bind(1, ms);
                return rows.run();
            },
            error);
    }

    std::optional<QList<Row>> readRows(const char *statement, std::span<const Value> params,
                                       QString *error) override
    {
        std::lock_guard lock(m_readMutex);
        sqlite3 *db = reader(error);
        if (!db)
            return std::nullopt;
        Statement s(db, statement);
        if (!s.prepared()) {
            fail(error, "cannot prepare a query: " + lastError(db));
            return std::nullopt;
        }
        for (int n = 1; n <= int(params.size()); ++n) {
            const Value &value = params[n - 1];
            if (const auto *number = std::get_if<qint64>(&value))
                s.bind(n, *number);
            else if (const auto *text = std::get_if<QString>(&value))
                s.bind(n, *text);
        }
        QList<Row> rows;
        int status;
        while ((status = s.step()) == SQLITE_ROW) {
            Row row;
            for (int column = 0; column < s.columns(); ++column) {
                switch (s.type(column)) {
                case SQLITE_NULL:
                    row.append(std::monostate());
                    break;
                case SQLITE_INTEGER:
                    row.append(s.integer(column));
                    break;
                default:
                    row.append(s.text(column));
                    break;
                }
            }
            rows.append(std::move(row));
        }
        if (status != SQLITE_DONE) {
            fail(error, "cannot read a query's rows: " + lastError(db));
            return std::nullopt;
        }
        return rows;
    }

    std::optional<int> schemaVersion(QString *error) override
    {
        std::lock_guard lock(m_mutex);
        return readVersion(error);
    }

  private:
    static int logGrew(void *self, sqlite3 *db, const char *, int frames)
    {
        auto *storage = static_cast<SqliteStorage *>(self);
        if (frames >= kWriterCheckpointFrames ||
            (frames >= kCheckpointFrames && !storage->m_checkpointer.request()))
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        return SQLITE_OK;
    }

    // A statement prepared once for the life of the connection (the writer
    // runs the same few texts for every batch); nullptr when it cannot be
    // prepared, and then it is tried again next time.
    Statement *cached(const char *text)
    {
        auto it = m_statements.find(text);
        if (it == m_statements.end()) {
            auto statement = std::make_unique<Statement>(m_db, text, SQLITE_PREPARE_PERSISTENT);
            if (!statement->prepared())
                return nullptr;
            it = m_statements.emplace(text, std::move(statement)).first;
        }
        return it->second.get();
    }

    bool exec(const char *text)
    {
        return sqlite3_exec(m_db, text, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    QString lastError() const { return lastError(m_db); }
    static QString lastError(sqlite3 *db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

    // The connection exports and the dashboard read through, opened on first
    // use (m_readMutex held). In write-ahead logging a reader and the writer
    // do not wait for each other, so a long export (a CSV download over a
    // slow link) does not hold up the registrations being committed.
    sqlite3 *reader(QString *error)
    {
        if (m_reader)
            return m_reader;
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            fail(error, "cannot open the database for reading: " +
                            (db ? lastError(db) : QStringLiteral("out of memory")));
            sqlite3_close_v2(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, 10000);
        m_reader = db;
        return m_reader;
    }

    bool fail(QString *error, const QString &reason) const
    {
        if (error)
            *error = reason;
        return false;
    }

    std::optional<int> readVersion(QString *error)
    {
        Statement version(m_db, sql::kSelectSchemaVersion);
        if (version.step() != SQLITE_ROW) {
            fail(error, "cannot read the schema version: " + lastError());
            return std::nullopt;
        }
        return version.isNull(0) ? 0 : int(version.integer(0));
    }

    bool migrate(QString *error)
    {
        if (!exec(sql::kCreateSchemaVersion))
            return fail(error, "cannot create the schema version table: " + lastError());
        const std::optional<int> version = readVersion(error);
        if (!version)
            return false;
        if (*version > currentSchemaVersion())
            return fail(error, QStringLiteral("the database has schema version %1, newer than "
                                              "this program's %2")
                                   .arg(*version)
                                   .arg(currentSchemaVersion()));
        for (const sql::Migration &migration : sql::migrations()) {
            if (migration.version <= *version)
                continue;
            bool ok = exec("BEGIN IMMEDIATE");
            for (const char *text : migration.sqlite) {
                if (ok)
                    ok = exec(text);
            }
            if (ok) {
                Statement record(m_db, sql::kInsertSchemaVersion);
                record.bind(1, migration.version);
                ok = record.run();
            }
            if (!ok || !exec("COMMIT")) {
                const QString reason = lastError();
                exec("ROLLBACK");
                return fail(error, QStringLiteral("cannot migrate the schema to version %1: %2")
                                       .arg(migration.version)
                                       .arg(reason));
            }
        }
        return true;
    }

    // Counts out the registrations a select (received, language, content)
    // gives, before they are deleted.
    static bool takeOut(Statement &select, CounterChanges &counts)
    {
        int status;
        QList<Field> fields;
        QList<Answer> answers;
        while ((status = select.step()) == SQLITE_ROW) {
            // A row whose content cannot be read still counts as received
            // and by language; its answers were never counted readable.
            decodeContent(select.bytes(2), &fields, &answers);
            countRegistration(counts, select.integer(0), select.text(1), fields, answers, -1);
        }
        return status == SQLITE_DONE;
    }

    // Adds a batch's counter changes, then drops the counters a change
    // brought to nothing.
    bool addToCounters(const CounterChanges &counts)
    {
        std::vector<std::pair<const CounterKey *, qint64>> changes;
        changes.reserve(counts.size());
        for (const auto &[key, change] : counts) {
            if (change != 0)
                changes.emplace_back(&key, change);
        }
        for (size_t from = 0; from < changes.size(); from += kRowsPerInsert) {
            const size_t to = std::min(changes.size(), from + size_t(kRowsPerInsert));
            Statement *s = cached(sql::insertRows(sql::kAddToCounter, int(to - from)));
            if (!s)
                return false;
            s->reset();
            for (size_t i = from; i < to; ++i) {
                const int n = int(i - from) * 6;
                const CounterKey &key = *changes[i].first;
                s->bind(n + 1, key.kind);
                s->bind(n + 2, key.page);
                s->bind(n + 3, key.id);
                s->bind(n + 4, key.day);
                s->bind(n + 5, key.value);
                s->bind(n + 6, changes[i].second);
            }
            const bool ran = s->run();
            s->reset();
            if (!ran)
                return false;
        }
        Statement *drop = nullptr;
        for (const auto &[key, change] : changes) {
            if (change >= 0)
                continue;
            if (!drop && !(drop = cached(sql::kDropEmptyCounter)))
                return false;
            drop->reset();
            drop->bind(1, key->kind);
            drop->bind(2, key->page);
            drop->bind(3, key->id);
            drop->bind(4, key->day);
            drop->bind(5, key->value);
            const bool ran = drop->run();
            drop->reset();
            if (!ran)
                return false;
        }
        return true;
    }

    // One deleting transaction: `work` deletes and gathers the counts to take
    // out; returns how many registrations went.
    std::optional<qint64> remove(const std::function<bool(CounterChanges &)> &work, QString *error)
    {
        std::lock_guard lock(m_mutex);
        if (!exec("BEGIN IMMEDIATE")) {
            fail(error, "cannot begin a transaction: " + lastError());
            return std::nullopt;
        }
        CounterChanges counts;
        bool ok = work(counts);
        // The last statement of the work deletes the registrations themselves.
        const qint64 removed = sqlite3_changes64(m_db);
        ok = ok && addToCounters(counts);
        if (!ok || !exec("COMMIT")) {
            const QString reason = lastError();
            exec("ROLLBACK");
            fail(error, "cannot delete: " + reason);
            return std::nullopt;
        }
        // Erased data must not linger in the write-ahead log either.
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        return removed;
    }

    sqlite3 *m_db;
    std::mutex m_mutex; // the writing connection
    const QByteArray m_path;
    sqlite3 *m_reader = nullptr;
    std::mutex m_readMutex; // the reading connection
    std::map<const char *, std::unique_ptr<Statement>> m_statements;
    Checkpointer m_checkpointer;
};

} // namespace

std::unique_ptr<Storage> openSqlite(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    // The file holds personal data: it is created private, before SQLite opens
    // it (SQLite gives its log files the database file's permissions).
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, qt_error_string(errno));
        return nullptr;
    }
    ::close(fd);
    sqlite3 *db = nullptr;
    const int status = sqlite3_open_v2(name.constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK) {
        if (error)
            *error =
                QStringLiteral("cannot open %1: %2")
                    .arg(path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(status)));
        sqlite3_close_v2(db);
        return nullptr;
    }
    auto storage = std::make_unique<SqliteStorage>(db, name);
    QString reason;
    if (!storage->prepare(&reason)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return nullptr;
    }
    return storage;
}

} // namespace registrations::storage
