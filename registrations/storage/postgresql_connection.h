#pragma once

// libpq underneath the PostgreSQL storage: a connection that comes back after
// the database went away, statement parameters, and pipelines that send many
// statements in one round trip.

#include <QByteArray>
#include <QString>

#include <libpq-fe.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace registrations::storage::postgresql {

// How long a lost database is left alone after a failed connect: the wait
// doubles from `first` with each failure up to `longest`, and starts again
// from `first` once a connect succeeds.
struct Backoff {
    std::chrono::milliseconds first{50};
    std::chrono::milliseconds longest{2000};
};

struct ResultDeleter {
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// One libpq connection that comes back after the server went away (a restart,
// a fail-over to a replica, a network cut). One owner uses it at a time.
class Connection {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit Connection(std::string uri, Backoff backoff = {}, Clock clock = {});
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The open connection, or nullptr while the database is away. Connects
    // when there is no connection, but not before the back-off has passed
    // since the last failed attempt: during an outage a request is refused at
    // once instead of each one waiting for a connect to fail.
    PGconn *get();

    // After a statement failed: drops a connection that is broken, so that
    // the next get() connects anew, at once. True when the connection was
    // lost, that is when the failure says nothing about the statement itself.
    bool dropIfBroken();

    // Why the last connect failed, for the log: libpq's words.
    const std::string &lastError() const { return m_lastError; }

    // Connect attempts made so far (tests watch the back-off through it).
    int attempts() const { return m_attempts; }

    // The statements prepared on the open connection, by their text (the
    // texts are constants, so their address names them); forgotten with the
    // connection.
    std::unordered_map<const char *, std::string> &prepared() { return m_prepared; }

  private:
    std::string m_uri;
    Backoff m_backoff;
    Clock m_clock;
    PGconn *m_conn = nullptr;
    std::chrono::steady_clock::time_point m_nextAttempt{};
    std::chrono::milliseconds m_wait{0};
    std::string m_lastError;
    int m_attempts = 0;
    bool m_wasLost = false;
    std::unordered_map<const char *, std::string> m_prepared;
};

// The values of a statement's $1..$N, in order, never spliced into its text.
// Numbers and text go as text, bytes as raw binary.
class Params {
  public:
    Params &integer(qint64 value);
    Params &text(const QString &value);
    Params &utf8(const QByteArray &value); // a text already in UTF-8 (without NUL)
    Params &bytes(const QByteArray &value);
    Params &null();

    int count() const { return int(m_values.size()); }
    const char *const *values() const;
    const int *lengths() const { return m_lengths.data(); }
    const int *formats() const { return m_formats.data(); }

  private:
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    mutable std::vector<const char *> m_pointers;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
};

// Runs one statement and waits for its result.
Result exec(PGconn *conn, const char *sql, const Params &params = {});

// True when a statement ended well (with rows or without). A COMMIT that
// the server turned into a rollback does not end well.
bool succeeded(const PGresult *result);

// What went wrong, for the log and for the decision to try again: the
// five-character state and the primary message only (the detail lines may
// quote values, which can be personal data).
struct Failure {
    std::string state;
    std::string message;
    std::string describe() const;
    // A deadlock or serialization failure: the same work may simply be tried again.
    bool transient() const;
};
Failure failureOf(PGconn *conn, const PGresult *result);

// Statements sent together and answered together: one round trip for all of
// them. run() returns one result per statement, in order, or fails as a whole.
// A statement with parameters is prepared on the connection the first time
// it is sent there, and only bound and run after that.
class Pipeline {
  public:
    void add(const char *sql, Params params = {});
    std::size_t size() const { return m_statements.size(); }
    bool run(Connection &connection, std::vector<Result> *results, Failure *failure);

  private:
    struct Statement {
        const char *sql;
        Params params;
        const std::string *prepared = nullptr;
        bool prepare = false; // its preparation goes ahead of it in this pipeline
    };
    std::vector<Statement> m_statements;
};

// A bytea column (text format) as bytes; an integer column as a number.
QByteArray bytesValue(const PGresult *result, int row, int column);
qint64 integerValue(const PGresult *result, int row, int column);
QString textValue(const PGresult *result, int row, int column);

} // namespace registrations::storage::postgresql
