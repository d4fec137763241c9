#include "registrations/storage/postgresql_connection.h"

#include <algorithm>
#include <cstdio>

namespace registrations::storage::postgresql {

namespace {

// Statements sent before the results are read: bounded, so that neither side
// fills its socket buffer while the other waits to write.
constexpr std::size_t kPipelineChunk = 256;

} // namespace

Connection::Connection(std::string uri, Backoff backoff, Clock clock)
    : m_uri(std::move(uri)), m_backoff(backoff), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return std::chrono::steady_clock::now(); };
}

Connection::~Connection()
{
    if (m_conn)
        PQfinish(m_conn);
}

PGconn *Connection::get()
{
    if (m_conn)
        return m_conn;
    const auto now = m_clock();
    if (m_attempts > 0 && now < m_nextAttempt)
        return nullptr;
    ++m_attempts;
    // Defaults that the URI may override (later keywords win): a bounded
    // connect, and keep-alives so that a server that vanished without closing
    // the connection is noticed within half a minute, not hours.
    const char *keywords[] = {"connect_timeout",
                              "keepalives_idle",
                              "keepalives_interval",
                              "keepalives_count",
                              "application_name",
                              "dbname",
                              nullptr};
    const char *values[] = {"5", "10", "5", "3", "velmora-registrations", m_uri.c_str(), nullptr};
    PGconn *conn = PQconnectdbParams(keywords, values, 1);
    if (conn && PQstatus(conn) == CONNECTION_OK) {
        // A statement that hangs (a database out of disk, a lock held
        // elsewhere) fails after 20 s, so a request is refused before the
        // wizard gives up waiting (60 s). A transaction of ours is never idle
        // for long: one left open by an instance whose machine vanished is
        // ended after 30 s, with the locks other instances wait for. An
        // acknowledgement promises a flushed commit: a database set to
        // commit without waiting for its log is asked to wait, in this session.
        Result durable(PQexec(conn, "SET statement_timeout = '20s';"
                                    " SET idle_in_transaction_session_timeout = '30s';"
                                    " SELECT set_config('synchronous_commit', 'on', false)"
                                    " WHERE current_setting('synchronous_commit') = 'off'"));
        if (succeeded(durable.get())) {
            m_conn = conn;
            m_wait = std::chrono::milliseconds{0};
            if (m_wasLost)
                std::fputs("registrations: the database connection is back\n", stderr);
            m_wasLost = false;
            return m_conn;
        }
    }
    m_lastError = conn ? PQerrorMessage(conn) : "out of memory";
    while (!m_lastError.empty() && (m_lastError.back() == '\n' || m_lastError.back() == ' '))
        m_lastError.pop_back();
    if (conn)
        PQfinish(conn);
    m_wait = m_wait.count() == 0 ? m_backoff.first : std::min(m_wait * 2, m_backoff.longest);
    m_nextAttempt = now + m_wait;
    return nullptr;
}

bool Connection::dropIfBroken()
{
    if (!m_conn)
        return true;
    if (PQstatus(m_conn) == CONNECTION_OK && PQpipelineStatus(m_conn) == PQ_PIPELINE_OFF)
        return false;
    if (!m_wasLost) {
        // libpq's first line says why (it names the server, never a value).
        std::string why = PQerrorMessage(m_conn);
        why = why.substr(0, why.find('\n'));
        std::fprintf(stderr,
                     "registrations: the database connection was lost (%s); requests are "
                     "refused until it is back\n",
                     why.c_str());
    }
    m_wasLost = true;
    PQfinish(m_conn);
    m_conn = nullptr;
    m_prepared.clear();
    // The next get() tries at once: a server that restarted is usually back.
    m_nextAttempt = m_clock();
    return true;
}

Params &Params::integer(qint64 value)
{
    m_values.push_back(QByteArray::number(value));
    m_lengths.push_back(int(m_values.back().size()));
    m_formats.push_back(0);
    m_null.push_back(false);
    return *this;
}

Params &Params::text(const QString &value)
{
    m_values.push_back(value.toUtf8());
    m_lengths.push_back(int(m_values.back().size()));
    m_formats.push_back(0);
    m_null.push_back(false);
    return *this;
}

Params &Params::utf8(const QByteArray &value)
{
    m_values.push_back(value);
    m_lengths.push_back(int(value.size()));
    m_formats.push_back(0);
    m_null.push_back(false);
    return *this;
}

Params &Params::bytes(const QByteArray &value)
{
    m_values.push_back(value);
    m_lengths.push_back(int(value.size()));
    m_formats.push_back(1);
    m_null.push_back(false);
    return *this;
}

Params &Params::null()
{
    m_values.emplace_back();
    m_lengths.push_back(0);
    m_formats.push_back(0);
    m_null.push_back(true);
    return *this;
}

const char *const *Params::values() const
{
    m_pointers.clear();
    for (size_t i = 0; i < m_values.size(); ++i)
        m_pointers.push_back(m_null[i] ? nullptr : m_values[i].constData());
    return m_pointers.data();
}

Result exec(PGconn *conn, const char *sql, const Params &params)
{
    return Result(PQexecParams(conn, sql, params.count(), nullptr, params.values(),
                               params.lengths(), params.formats(), 0));
}

bool succeeded(const PGresult *result)
{
    const auto status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_TUPLES_OK)
        return true;
    if (status != PGRES_COMMAND_OK)
        return false;
    // COMMIT of a transaction that failed on the way answers "ROLLBACK".
    return std::string_view(PQcmdStatus(const_cast<PGresult *>(result))) != "ROLLBACK";
}

std::string Failure::describe() const
{
    return state.empty() ? message : state + " " + message;
}

bool Failure::transient() const
{
    return state == "40P01" || state == "40001";
}

Failure failureOf(PGconn *conn, const PGresult *result)
{
    Failure failure;
    if (result) {
        if (const char *state = PQresultErrorField(result, PG_DIAG_SQLSTATE))
            failure.state = state;
        if (const char *message = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
            failure.message = message;
        else if (PQresultStatus(result) == PGRES_COMMAND_OK)
            failure.message = "the transaction was rolled back";
    }
    if (failure.message.empty() && conn) {
        failure.message = PQerrorMessage(conn);
        while (!failure.message.empty() &&
               (failure.message.back() == '\n' || failure.message.back() == ' '))
            failure.message.pop_back();
    }
    if (failure.message.empty())
        failure.message = "the statement failed";
    return failure;
}

void Pipeline::add(const char *sql, Params params)
{
    m_statements.push_back({sql, std::move(params)});
}

bool Pipeline::run(Connection &connection, std::vector<Result> *results, Failure *failure)
{
    results->clear();
    PGconn *conn = connection.get();
    if (!conn || !PQenterPipelineMode(conn)) {
        *failure = failureOf(conn, nullptr);
        return false;
    }
    // Names for the statements this connection has not seen yet; they are
    // kept only once their preparation succeeded.
    auto &prepared = connection.prepared();
    std::unordered_map<const char *, std::string> preparing;
    for (Statement &s : m_statements) {
        s.prepare = false;
        s.prepared = nullptr;
        if (s.params.count() == 0)
            continue;
        if (const auto it = prepared.find(s.sql); it != prepared.end()) {
            s.prepared = &it->second;
        } else if (const auto it = preparing.find(s.sql); it != preparing.end()) {
            s.prepared = &it->second;
        } else {
            const std::string name = "s" + std::to_string(prepared.size() + preparing.size());
            s.prepared = &preparing.emplace(s.sql, name).first->second;
            s.prepare = true;
        }
    }
    bool ok = true;
    bool inStep = true; // every result read so far: the pipeline can be left
    for (std::size_t next = 0; inStep && next < m_statements.size();) {
        const std::size_t end = std::min(next + kPipelineChunk, m_statements.size());
        for (std::size_t i = next; inStep && i < end; ++i) {
            const Statement &s = m_statements[i];
            const Params &p = s.params;
            if (s.prepare)
                inStep = PQsendPrepare(conn, s.prepared->c_str(), s.sql, p.count(), nullptr) == 1;
            if (inStep && s.prepared)
                inStep = PQsendQueryPrepared(conn, s.prepared->c_str(), p.count(), p.values(),
                                             p.lengths(), p.formats(), 0) == 1;
            else if (inStep)
                inStep =
                    PQsendQueryParams(conn, s.sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        }
        inStep = inStep && PQpipelineSync(conn) == 1;
        for (std::size_t i = next; inStep && i < end; ++i) {
            for (int step = m_statements[i].prepare ? 2 : 1; inStep && step > 0; --step) {
                Result result(PQgetResult(conn));
                if (!result) {
                    inStep = false;
                    break;
                }
                // Each statement's results end with a null.
                while (Result more{PQgetResult(conn)}) {
                }
                if (ok && !succeeded(result.get())) {
                    ok = false;
                    *failure = failureOf(conn, result.get());
                }
                if (step == 2 && succeeded(result.get()))
                    prepared.insert({m_statements[i].sql, *m_statements[i].prepared});
                if (step == 1)
                    results->push_back(std::move(result));
            }
        }
        if (inStep) {
            Result sync(PQgetResult(conn));
            inStep = sync && PQresultStatus(sync.get()) == PGRES_PIPELINE_SYNC;
        }
        next = end;
    }
    if (inStep)
        inStep = PQexitPipelineMode(conn) == 1;
    if (!inStep) {
        // Results left unread: the connection stays in pipeline mode, which
        // the owner takes as broken (Connection::dropIfBroken).
        if (ok)
            *failure = failureOf(conn, nullptr);
        return false;
    }
    return ok;
}

QByteArray bytesValue(const PGresult *result, int row, int column)
{
    size_t length = 0;
    unsigned char *bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char *>(PQgetvalue(result, row, column)), &length);
    if (!bytes)
        return {};
    QByteArray out(reinterpret_cast<const char *>(bytes), qsizetype(length));
    PQfreemem(bytes);
    return out;
}

qint64 integerValue(const PGresult *result, int row, int column)
{
    return QByteArray(PQgetvalue(result, row, column)).toLongLong();
}

QString textValue(const PGresult *result, int row, int column)
{
    return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

} // namespace registrations::storage::postgresql
