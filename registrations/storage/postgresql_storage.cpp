#include "registrations/storage/postgresql_storage.h"

#include "registrations/storage/postgresql_connection.h"
#include "registrations/storage/record.h"
#include "registrations/storage/statements.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <mutex>
#include <numeric>

namespace registrations::storage {

namespace {

using namespace postgresql;

// Serialises the migrations of instances that start together: a number of
// our own for a transaction-scoped advisory lock.
const char *const kLockMigrations = "SELECT pg_advisory_xact_lock(7453190422)";

// Serialises the instances' handling of one request target until the
// transaction ends ($1: the first eight bytes of the target's hash). The
// look-up that follows it then sees what another instance committed for the
// same target, whatever day that was: the unique key alone would let two
// instances store a request twice that reached them on both sides of
// midnight at the same moment.
const char *const kLockTarget = "SELECT pg_advisory_xact_lock($1)";

// How often a batch that lost a deadlock or a serialization race to another
// instance is tried again before its requests are refused.
constexpr int kTransientRetries = 3;

// Counters changed by one statement (a statement takes at most 65535 parameters).
constexpr size_t kCountersPerStatement = 500;

// The slots a counter is spread over (statements.cpp, version 6). Each batch
// adds to one slot picked at random, so two instances' batches meet on the
// same rows, and wait for each other's commit, only one time in this many.
constexpr quint32 kCounterSlots = 16;

// Taken by erasure and purge before they read what they take out of the
// counters: writers wait until they commit, so that a counter's slots can be
// summed and dropped when they count nothing without another instance adding
// to one of them in between. Readers are not held up.
const char *const kHoldCounterWriters = "LOCK TABLE counters IN SHARE ROW EXCLUSIVE MODE";

QDateTime fromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

QString describe(const Failure &failure)
{
    return QString::fromStdString(failure.describe());
}

// Rows of one query fetched a slice at a time through a cursor, so an
// export of millions of rows never sits in memory whole.
class Cursor {
  public:
    Cursor(PGconn *conn, QByteArray name) : m_conn(conn), m_name(std::move(name)) {}

    bool open(const char *query, const Params &params, Failure *failure)
    {
        const QByteArray declare = "DECLARE " + m_name + " NO SCROLL CURSOR FOR " + query;
        Result result = exec(m_conn, declare.constData(), params);
        if (!succeeded(result.get())) {
            *failure = failureOf(m_conn, result.get());
            return false;
        }
        return fetch(failure);
    }
    bool atRow() const { return m_row < m_rows; }
    qint64 integer(int column) const { return integerValue(m_result.get(), m_row, column); }
    QString text(int column) const { return textValue(m_result.get(), m_row, column); }
    QByteArray bytes(int column) const { return bytesValue(m_result.get(), m_row, column); }
    QByteArrayView utf8(int column) const
    {
        return QByteArrayView(PQgetvalue(m_result.get(), m_row, column),
                              PQgetlength(m_result.get(), m_row, column));
    }
    bool next(Failure *failure)
    {
        if (++m_row < m_rows || m_rows == 0)
            return true;
        return fetch(failure);
    }

  private:
    bool fetch(Failure *failure)
    {
        const QByteArray fetch = "FETCH 1000 FROM " + m_name;
        m_result = exec(m_conn, fetch.constData());
        m_row = 0;
        m_rows = 0;
        if (!succeeded(m_result.get())) {
            *failure = failureOf(m_conn, m_result.get());
            return false;
        }
        m_rows = PQntuples(m_result.get());
        return true;
    }

    PGconn *m_conn;
    QByteArray m_name;
    Result m_result;
    int m_row = 0;
    int m_rows = 0;
};

class PostgresqlStorage final : public Storage {
  public:
    explicit PostgresqlStorage(const QString &uri)
        : m_connection(uri.toStdString()), m_reader(uri.toStdString())
    {
    }

    bool prepare(QString *error)
    {
        PGconn *conn = m_connection.get();
        if (!conn)
            return fail(error, "cannot connect to the database: " +
                                   QString::fromStdString(m_connection.lastError()));
        return migrate(conn, error);
    }

    std::optional<QList<Stored>> store(std::span<const Registration> batch, QString *error) override
    {
        std::lock_guard lock(m_mutex);
        for (int attempt = 0;; ++attempt) {
            PGconn *conn = connectionOr(error);
            if (!conn)
                return std::nullopt;
            Failure failure;
            if (auto stored = tryStore(batch, &failure))
                return stored;
            const bool lost = m_connection.dropIfBroken();
            if (!lost)
                Result(PQexec(conn, "ROLLBACK"));
            // A connection found dead is made again once at once (the server
            // may have restarted while it lay idle); a deadlock with another
            // instance is simply run again. Neither can store a registration
            // twice: the second run finds what the first one committed.
            const bool again =
                lost ? attempt == 0 : failure.transient() && attempt < kTransientRetries;
            if (!again) {
                fail(error, "cannot store the registrations: " + describe(failure));
                return std::nullopt;
            }
        }
    }

    bool forEach(const std::optional<QDateTime> &since,
                 const std::function<bool(const StoredRegistration &)> &visit,
                 QString *error) override
    {
        // On a connection of its own: an export read slowly (a download over
        // a slow link) does not hold up the commits.
        std::lock_guard lock(m_readMutex);
        PGconn *conn = connectionOr(m_reader, error);
        if (!conn)
            return false;
        Failure failure;
        // One snapshot, so the three walks see the same rows.
        // The reader may take its time between rows (an export into a pager):
        // this transaction may stay idle.
        Result begin(PQexec(conn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY;"
                                  " SET LOCAL idle_in_transaction_session_timeout = 0"));
        bool ok = succeeded(begin.get());
        if (!ok)
            failure = failureOf(conn, begin.get());
        const qint64 earliest = since ? since->toMSecsSinceEpoch() : LLONG_MIN;
        Cursor rows(conn, "walk_registrations");
        ok = ok && rows.open(sql::kSelectRegistrations, Params().integer(earliest), &failure);
        bool stopped = false;
        while (ok && !stopped && rows.atRow()) {
            StoredRegistration stored;
            stored.number = rows.integer(0);
            stored.repeats = int(rows.integer(5));
            Registration &r = stored.registration;
            r.receivedAt = fromMs(rows.integer(1));
            r.target = rows.bytes(2);
            r.game = rows.text(3);
            r.language = rows.text(4);
            if (!decodeContent(rows.utf8(6), &r.fields, &r.answers)) {
                ok = false;
                failure.message = "registration " + std::to_string(stored.number) + " is damaged";
                break;
            }
            for (const Field &field : r.fields) {
                if (field.key == QLatin1String("Email"))
                    r.email = field.value;
            }
            stopped = !visit(stored);
            ok = stopped || rows.next(&failure);
        }
        Result end(PQexec(conn, "ROLLBACK"));
        if (!ok) {
            m_reader.dropIfBroken();
            return fail(error, "cannot read the registrations: " + describe(failure));
        }
        return true;
    }

    std::optional<qint64> eraseEmail(const QString &address, QString *error) override
    {
        const Params key = Params().text(emailKey(address));
        return remove({}, {sql::kSelectErased, key}, {sql::kEraseRegistrations, key}, error);
    }

    std::optional<qint64> purgeBefore(const QDateTime &moment, QString *error) override
    {
        // Whole days before the moment's go with their counters; of the
        // moment's own day only what came before it is taken out.
        const qint64 ms = moment.toMSecsSinceEpoch();
        const qint64 day = dayOf(ms);
        return remove(
            {sql::kPurgeCounters, Params().integer(day)},
            {sql::kSelectPurgedOfDay, Params().integer(day * 24 * 60 * 60 * 1000).integer(ms)},
            {sql::kPurgeRegistrations, Params().integer(ms)}, error);
    }

    std::optional<QList<Row>> readRows(const char *statement, std::span<const Value> params,
                                       QString *error) override
    {
        std::lock_guard lock(m_readMutex);
        PGconn *conn = connectionOr(m_reader, error);
        if (!conn)
            return std::nullopt;
        Params values;
        for (const Value &value : params) {
            if (const auto *number = std::get_if<qint64>(&value))
                values.integer(*number);
            else if (const auto *text = std::get_if<QString>(&value))
                values.text(*text);
            else
                values.null(); // keeps the later parameters at their numbers
        }
        Result result = exec(conn, statement, values);
        if (!succeeded(result.get())) {
            fail(error, "cannot read a query's rows: " + describe(failureOf(conn, result.get())));
            m_reader.dropIfBroken();
            return std::nullopt;
        }
        // Integer columns (counts, numbers, times) come back as numbers,
        // everything else as text.
        constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;
        QList<Row> rows;
        const int columns = PQnfields(result.get());
        for (int r = 0; r < PQntuples(result.get()); ++r) {
            Row row;
            for (int c = 0; c < columns; ++c) {
                const Oid type = PQftype(result.get(), c);
                if (PQgetisnull(result.get(), r, c))
                    row.append(std::monostate());
                else if (type == kInt8 || type == kInt4 || type == kInt2)
                    row.append(integerValue(result.get(), r, c));
                else
                    row.append(QString::fromUtf8(PQgetvalue(result.get(), r, c),
                                                 PQgetlength(result.get(), r, c)));
            }
            rows.append(std::move(row));
        }
        return rows;
    }

    std::optional<int> schemaVersion(QString *error) override
    {
        std::lock_guard lock(m_mutex);
        PGconn *conn = connectionOr(error);
        if (!conn)
            return std::nullopt;
        Result version = exec(conn, sql::kSelectSchemaVersion);
        if (!succeeded(version.get()) || PQntuples(version.get()) != 1) {
            fail(error,
                 "cannot read the schema version: " + describe(failureOf(conn, version.get())));
            m_connection.dropIfBroken();
            return std::nullopt;
        }
        return PQgetisnull(version.get(), 0, 0) ? 0 : int(integerValue(version.get(), 0, 0));
    }

  private:
    // One transaction in three round trips whatever the batch's size: the
    // Retry look-ups, the inserts, then the rows of the new registrations,
    // the repeat counts and the commit.
    std::optional<QList<Stored>> tryStore(std::span<const Registration> batch, Failure *failure)
    {
        const qsizetype n = qsizetype(batch.size());
        QList<QByteArray> hashes(n);
        for (qsizetype i = 0; i < n; ++i)
            hashes[i] = targetHashOf(batch[size_t(i)]);
        // Keys are taken in one order by every instance (the hash's), so two
        // batches holding the same targets wait for each other instead of
        // deadlocking. A target repeated inside the batch is stored once, by
        // its first arrival.
        std::vector<qsizetype> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return hashes[a] < hashes[b]; });
        QList<qsizetype> firstOf(n, -1);
        QHash<QByteArray, qsizetype> seen;
        std::vector<qsizetype> distinct;
        for (qsizetype i : order) {
            const QByteArray &target = batch[size_t(i)].target;
            const auto it = seen.constFind(target);
            if (it != seen.constEnd()) {
                firstOf[i] = *it;
            } else {
                seen.insert(target, i);
                distinct.push_back(i);
            }
        }

        QList<Stored> results(n);
        std::vector<Result> found;
        Pipeline lookups;
        lookups.add("BEGIN");
        // In hash order, as every instance takes them: no instance waits for
        // a lock while holding one another instance waits for.
        for (qsizetype i : distinct)
            lookups.add(kLockTarget,
                        Params().integer(qFromBigEndian<qint64>(hashes[i].constData())));
        for (qsizetype i : distinct) {
            const Registration &r = batch[size_t(i)];
            lookups.add(sql::kFindRecentTarget,
                        Params().bytes(hashes[i]).bytes(r.target).integer(
                            r.receivedAt.toMSecsSinceEpoch() - kRetryWindowMs));
        }
        if (!lookups.run(m_connection, &found, failure))
            return std::nullopt;

        std::vector<qsizetype> fresh;
        std::vector<qint64> repeated; // one entry per repeat to count
        Pipeline inserts;
        for (size_t k = 0; k < distinct.size(); ++k) {
            const qsizetype i = distinct[k];
            const PGresult *row = found[1 + distinct.size() + k].get();
            if (PQntuples(row) > 0) {
                results[i] = {integerValue(row, 0, 0), true};
                repeated.push_back(results[i].number);
                continue;
            }
            const Registration &r = batch[size_t(i)];
            const qint64 received = r.receivedAt.toMSecsSinceEpoch();
            inserts.add(sql::kInsertRegistration, Params()
                                                      .integer(received)
                                                      .bytes(r.target)
                                                      .bytes(hashes[i])
                                                      .text(r.game)
                                                      .text(r.language)
                                                      .text(emailKey(r.email))
                                                      .integer(retryDay(received))
                                                      .utf8(contentOf(r)));
            fresh.push_back(i);
        }
        std::vector<Result> inserted;
        if (inserts.size() > 0 && !inserts.run(m_connection, &inserted, failure))
            return std::nullopt;

        Pipeline rest;
        CounterChanges counts;
        for (size_t k = 0; k < fresh.size(); ++k) {
            const qsizetype i = fresh[k];
            const qint64 number = integerValue(inserted[k].get(), 0, 0);
            // Another instance stored the same target first: the insert met
            // its key, counted the repeat and returned its number.
            if (integerValue(inserted[k].get(), 0, 1) > 0) {
                results[i] = {number, true};
                continue;
            }
            results[i] = {number, false};
            const Registration &r = batch[size_t(i)];
            countRegistration(counts, r.receivedAt.toMSecsSinceEpoch(), r.language, r.fields,
                              r.answers, 1);
        }
        addToCounters(rest, counts, int(QRandomGenerator::global()->bounded(kCounterSlots)));
        for (qsizetype i = 0; i < n; ++i) {
            if (firstOf[i] >= 0) {
                results[i] = {results[firstOf[i]].number, true};
                repeated.push_back(results[i].number);
            }
        }
        std::sort(repeated.begin(), repeated.end());
        for (qint64 number : repeated)
            rest.add(sql::kCountRepeat, Params().integer(number));
        // The commit returns once the log is flushed (and, with synchronous
        // replication, once a standby has it too).
        rest.add("COMMIT");
        std::vector<Result> done;
        if (!rest.run(m_connection, &done, failure))
            return std::nullopt;
        return results;
    }

    // The open connection, or null with the reason when the database is away
    // (requests are then refused at once, never queued).
    PGconn *connectionOr(QString *error) { return connectionOr(m_connection, error); }
    static PGconn *connectionOr(Connection &connection, QString *error)
    {
        PGconn *conn = connection.get();
        if (!conn)
            fail(error,
                 "the database is unavailable: " + QString::fromStdString(connection.lastError()));
        return conn;
    }

    // The counter changes as upserts into one slot, a few hundred keys to a
    // statement, in key order (as every instance writes them, so that two
    // instances on the same slot wait for each other rather than deadlock),
    // then the deletion of the counters a change brought to nothing.
    static void addToCounters(Pipeline &pipeline, const CounterChanges &counts, int slot)
    {
        std::vector<std::pair<const CounterKey *, qint64>> changes;
        for (const auto &[key, change] : counts) {
            if (change != 0)
                changes.emplace_back(&key, change);
        }
        for (size_t from = 0; from < changes.size(); from += kCountersPerStatement) {
            const size_t to = std::min(changes.size(), from + kCountersPerStatement);
            Params params;
            for (size_t i = from; i < to; ++i) {
                const CounterKey &key = *changes[i].first;
                params.integer(key.kind)
                    .integer(key.page)
                    .text(key.id)
                    .integer(key.day)
                    .text(key.value)
                    .integer(changes[i].second)
                    .integer(slot);
            }
            pipeline.add(sql::insertRows(sql::kAddToCounterPostgres, int(to - from)),
                         std::move(params));
        }
        for (const auto &[key, change] : changes) {
            if (change < 0)
                pipeline.add(sql::kDropEmptyCounter, Params()
                                                         .integer(key->kind)
                                                         .integer(key->page)
                                                         .text(key->id)
                                                         .integer(key->day)
                                                         .text(key->value));
        }
    }

    struct Step {
        const char *sql = nullptr;
        Params params;
    };

    // One deleting transaction: `first` (when given) runs, the registrations
    // `select` gives (received, language, content) are counted out, `erase`
    // deletes them; returns how many registrations went.
    std::optional<qint64> remove(const Step &first, const Step &select, const Step &erase,
                                 QString *error)
    {
        std::lock_guard lock(m_mutex);
        PGconn *conn = connectionOr(error);
        if (!conn)
            return std::nullopt;
        std::vector<Result> results;
        for (int attempt = 0;; ++attempt) {
            Failure failure;
            if (tryRemove(first, select, erase, &results, &failure))
                break;
            if (!m_connection.dropIfBroken())
                Result(PQexec(conn, "ROLLBACK"));
            else
                conn = nullptr;
            // A deadlock with a writer (which may hold a registration's row
            // while it waits for the counters) is run again, as a batch is.
            if (!conn || !failure.transient() || attempt >= kTransientRetries) {
                fail(error, "cannot delete: " + describe(failure));
                return std::nullopt;
            }
        }
        const qint64 removed = QByteArray(PQcmdTuples(results.front().get())).toLongLong();
        // Deleted rows stay in their pages until they are vacuumed; do it now
        // so that erased data does not linger (best effort: autovacuum would
        // come later anyway).
        Result(PQexec(conn, "SET statement_timeout = 0"));
        Result(PQexec(conn, "VACUUM registrations, counters"));
        Result(PQexec(conn, "SET statement_timeout = '20s'")); // as the session began
        return removed;
    }

    bool tryRemove(const Step &first, const Step &select, const Step &erase,
                   std::vector<Result> *results, Failure *failure)
    {
        Pipeline start;
        start.add("BEGIN");
        start.add(kHoldCounterWriters);
        if (first.sql)
            start.add(first.sql, first.params);
        start.add(select.sql, select.params);
        std::vector<Result> selected;
        if (!start.run(m_connection, &selected, failure))
            return false;
        CounterChanges counts;
        const PGresult *rows = selected.back().get();
        QList<Field> fields;
        QList<Answer> answers;
        for (int r = 0; r < PQntuples(rows); ++r) {
            decodeContent(QByteArrayView(PQgetvalue(rows, r, 2), PQgetlength(rows, r, 2)), &fields,
                          &answers);
            countRegistration(counts, integerValue(rows, r, 0), textValue(rows, r, 1), fields,
                              answers, -1);
        }
        Pipeline rest;
        rest.add(erase.sql, erase.params);
        addToCounters(rest, counts, 0);
        rest.add("COMMIT");
        return rest.run(m_connection, results, failure);
    }

    bool migrate(PGconn *conn, QString *error)
    {
        Pipeline start;
        start.add("BEGIN");
        // Rewriting a large table may take longer than any one request may.
        start.add("SET LOCAL statement_timeout = 0");
        start.add(kLockMigrations);
        start.add(sql::kCreateSchemaVersion);
        start.add(sql::kSelectSchemaVersion);
        std::vector<Result> results;
        Failure failure;
        if (!start.run(m_connection, &results, &failure)) {
            m_connection.dropIfBroken();
            return fail(error, "cannot read the schema version: " + describe(failure));
        }
        const PGresult *row = results.back().get();
        const int version = PQgetisnull(row, 0, 0) ? 0 : int(integerValue(row, 0, 0));
        if (version > currentSchemaVersion()) {
            Result(PQexec(conn, "ROLLBACK"));
            return fail(error, QStringLiteral("the database has schema version %1, newer than "
                                              "this program's %2")
                                   .arg(version)
                                   .arg(currentSchemaVersion()));
        }
        Pipeline steps;
        for (const sql::Migration &migration : sql::migrations()) {
            if (migration.version <= version)
                continue;
            for (const char *text : migration.postgres)
                steps.add(text);
            steps.add(sql::kInsertSchemaVersion, Params().integer(migration.version));
        }
        steps.add("COMMIT");
        if (!steps.run(m_connection, &results, &failure)) {
            if (!m_connection.dropIfBroken())
                Result(PQexec(conn, "ROLLBACK"));
            return fail(error, "cannot migrate the schema: " + describe(failure));
        }
        return true;
    }

    Connection m_connection; // the writes
    std::mutex m_mutex;
    Connection m_reader; // exports and the dashboard's counts
    std::mutex m_readMutex;
};

} // namespace

bool isPostgresqlUri(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

std::unique_ptr<Storage> openPostgresql(const QString &uri, QString *error)
{
    auto storage = std::make_unique<PostgresqlStorage>(uri);
    if (!storage->prepare(error))
        return nullptr;
    return storage;
}

} // namespace registrations::storage
