#include "registrations/storage/sqlite_storage.h"

#include "registrations/storage/statements.h"

#include <QFile>
#include <QHash>
#include <QTimeZone>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace registrations::storage {

namespace {

// A prepared statement that is finalized when it goes out of scope. Values
// are bound to $1..$N by name, so a text may use them in any order.
class Statement {
  public:
    Statement(sqlite3 *db, const char *text)
    {
        m_status = sqlite3_prepare_v3(db, text, -1, 0, &m_statement, nullptr);
        // A statement is bound many times a batch: the positions of $1..$N
        // are looked up once.
        char name[16];
        for (int n = 1; n < int(m_indexes.size()); ++n) {
            std::snprintf(name, sizeof name, "$%d", n);
            m_indexes[size_t(n)] =
                m_statement ? sqlite3_bind_parameter_index(m_statement, name) : 0;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_status == SQLITE_OK && m_statement; }

    void bind(int n, qint64 value) { record(sqlite3_bind_int64(m_statement, index(n), value)); }
    void bind(int n, const QString &value)
    {
        const QByteArray utf8 = value.toUtf8();
        record(sqlite3_bind_text(m_statement, index(n), utf8.constData(), int(utf8.size()),
                                 SQLITE_TRANSIENT));
    }
    void bindBlob(int n, const QByteArray &value)
    {
        record(sqlite3_bind_blob(m_statement, index(n), value.constData(), int(value.size()),
                                 SQLITE_TRANSIENT));
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
        m_status = SQLITE_OK;
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
    std::array<int, 17> m_indexes{};
};

QDateTime fromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}

class SqliteStorage final : public Storage {
  public:
    explicit SqliteStorage(sqlite3 *db) : m_db(db) {}
    ~SqliteStorage() override { sqlite3_close_v2(m_db); }

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
            !exec("PRAGMA secure_delete=ON"))
            return fail(error, "cannot apply the database settings");
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
        Statement find(m_db, sql::kFindRecentTarget);
        Statement repeat(m_db, sql::kCountRepeat);
        Statement insert(m_db, sql::kInsertRegistration);
        Statement field(m_db, sql::kInsertField);
        Statement answer(m_db, sql::kInsertAnswer);
        bool ok = find.prepared() && repeat.prepared() && insert.prepared() && field.prepared() &&
                  answer.prepared();
        for (const Registration &r : batch) {
            if (!ok)
                break;
            const qint64 received = r.receivedAt.toMSecsSinceEpoch();
            const QByteArray hash = targetHash(r.target);
            find.reset();
            find.bindBlob(1, hash);
            find.bindBlob(2, r.target);
            find.bind(3, received - kRetryWindowMs);
            const int found = find.step();
            const qint64 earlier = found == SQLITE_ROW ? find.integer(0) : 0;
            find.reset(); // a statement left on a row would keep the commit from ending
            if (found == SQLITE_ROW) {
                const qint64 number = earlier;
                repeat.reset();
                repeat.bind(1, number);
                ok = repeat.run();
                results.append({number, true});
                continue;
            }
            if (found != SQLITE_DONE) {
                ok = false;
                break;
            }
            insert.reset();
            insert.bind(1, received);
            insert.bindBlob(2, r.target);
            insert.bindBlob(3, hash);
            insert.bind(4, r.game);
            insert.bind(5, r.language);
            insert.bind(6, emailKey(r.email));
            insert.bind(7, retryDay(received));
            if (insert.step() != SQLITE_ROW) {
                ok = false;
                break;
            }
            const qint64 number = insert.integer(0);
            // The target's key for the day was taken. With one process on the
            // file the look-up above has found any such row already; another
            // writer on the same file would get here, and is answered with
            // the stored number as its repeat.
            const bool met = insert.integer(1) > 0;
            ok = insert.run();
            if (met) {
                results.append({number, true});
                continue;
            }
            for (qsizetype i = 0; ok && i < r.fields.size(); ++i) {
                field.reset();
                field.bind(1, number);
                field.bind(2, i);
                field.bind(3, r.fields[i].key);
                field.bind(4, r.fields[i].value);
                ok = field.run();
            }
            for (qsizetype i = 0; ok && i < r.answers.size(); ++i) {
                answer.reset();
                answer.bind(1, number);
                answer.bind(2, i);
                answer.bind(3, r.answers[i].page);
                answer.bind(4, r.answers[i].id);
                answer.bind(5, r.answers[i].value);
                ok = answer.run();
            }
            results.append({number, false});
        }
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
        std::lock_guard lock(m_mutex);
        // One read transaction, so the three walks see the same rows.
        if (!exec("BEGIN"))
            return fail(error, "cannot begin a transaction");
        const qint64 earliest = since ? since->toMSecsSinceEpoch() : LLONG_MIN;
        Statement rows(m_db, sql::kSelectRegistrations);
        Statement fields(m_db, sql::kSelectFields);
        Statement answers(m_db, sql::kSelectAnswers);
        for (Statement *s : {&rows, &fields, &answers})
            s->bind(1, earliest);
        int fieldStatus = fields.step();
        int answerStatus = answers.step();
        int rowStatus;
        bool stopped = false;
        while (!stopped && (rowStatus = rows.step()) == SQLITE_ROW) {
            StoredRegistration stored;
            stored.number = rows.integer(0);
            stored.repeats = int(rows.integer(5));
            Registration &r = stored.registration;
            r.receivedAt = fromMs(rows.integer(1));
            r.target = rows.blob(2);
            r.game = rows.text(3);
            r.language = rows.text(4);
            while (fieldStatus == SQLITE_ROW && fields.integer(0) <= stored.number) {
                if (fields.integer(0) == stored.number) {
                    r.fields.append({fields.text(1), fields.text(2)});
                    if (r.fields.last().key == QLatin1String("Email"))
                        r.email = r.fields.last().value;
                }
                fieldStatus = fields.step();
            }
            while (answerStatus == SQLITE_ROW && answers.integer(0) <= stored.number) {
                if (answers.integer(0) == stored.number)
                    r.answers.append({answers.text(2), answers.text(3), int(answers.integer(1))});
                answerStatus = answers.step();
            }
            stopped = !visit(stored);
        }
        const bool ok = stopped || (rowStatus == SQLITE_DONE &&
                                    (fieldStatus == SQLITE_ROW || fieldStatus == SQLITE_DONE) &&
                                    (answerStatus == SQLITE_ROW || answerStatus == SQLITE_DONE));
        const QString reason = lastError();
        exec("COMMIT");
        return ok || fail(error, "cannot read the registrations: " + reason);
    }

    std::optional<qint64> eraseEmail(const QString &address, QString *error) override
    {
        return remove(
            {sql::kEraseFields, sql::kEraseAnswers, sql::kEraseRegistrations},
            [&](Statement &s) { s.bind(1, emailKey(address)); }, error);
    }

    std::optional<qint64> purgeBefore(const QDateTime &moment, QString *error) override
    {
        const qint64 ms = moment.toMSecsSinceEpoch();
        return remove(
            {sql::kPurgeFields, sql::kPurgeAnswers, sql::kPurgeRegistrations},
            [&](Statement &s) { s.bind(1, ms); }, error);
    }

    std::optional<QList<Row>> readRows(const char *statement, std::span<const Value> params,
                                       QString *error) override
    {
        std::lock_guard lock(m_mutex);
        Statement s(m_db, statement);
        if (!s.prepared()) {
            fail(error, "cannot prepare a query: " + lastError());
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
            fail(error, "cannot read a query's rows: " + lastError());
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
    bool exec(const char *text)
    {
        return sqlite3_exec(m_db, text, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    QString lastError() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

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

    std::optional<qint64> remove(std::initializer_list<const char *> texts,
                                 const std::function<void(Statement &)> &bind, QString *error)
    {
        std::lock_guard lock(m_mutex);
        if (!exec("BEGIN IMMEDIATE")) {
            fail(error, "cannot begin a transaction: " + lastError());
            return std::nullopt;
        }
        bool ok = true;
        qint64 removed = 0;
        for (const char *text : texts) {
            Statement s(m_db, text);
            bind(s);
            ok = ok && s.run();
            // The last statement deletes the registrations themselves.
            removed = sqlite3_changes64(m_db);
        }
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
    std::mutex m_mutex;
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
    auto storage = std::make_unique<SqliteStorage>(db);
    QString reason;
    if (!storage->prepare(&reason)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return nullptr;
    }
    return storage;
}

} // namespace registrations::storage
