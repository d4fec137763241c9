#pragma once

// What the service keeps of a registration, and the one interface every
// storage engine implements (SQLite file, PostgreSQL). Callers above this
// interface never see SQL; the statements themselves are written once, in
// statements.cpp, with $1..$N placeholders that both engines accept.
//
// No exceptions leave an implementation: each operation reports failure by
// its return value and a reason in *error (never holding personal data).

#include "registrations/storage/aggregates.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace registrations::storage {

// A "key=value" piece of the query other than the answers (the personal
// fields, dob, pname, lang, anything else a client sent), decoded, in wire order.
struct Field {
    QString key;
    QString value;
    bool operator==(const Field &) const = default;
};

// One "id`value" entry of the answers, decoded, in wire order. page is the
// question page the entry was found on (1 for the first question page), or 0
// when it was not mapped (no configuration, or the sent language has no section).
struct Answer {
    QString id;
    QString value;
    int page = 0;
    bool operator==(const Answer &) const = default;
};

// A registration as received, before it has a number.
struct Registration {
    QByteArray target;    // the raw request target (path and query) as it arrived: audit, Retry
    QDateTime receivedAt; // UTC, millisecond precision is kept
    QString game;         // pname
    QString language;     // lang
    QString email;        // Email, as sent (erasure matches it without regard to letter case)
    QList<Field> fields;
    QList<Answer> answers;
    // Made from the above on the request's thread (prepareForStorage) so the
    // single writer only binds bytes; empty when not made yet, and an engine
    // then makes them itself.
    QByteArray content; // fields and answers, encoded as they are stored
    QByteArray hash;    // the target's hash
};

// A registration as stored.
struct StoredRegistration {
    qint64 number = 0;
    int repeats = 0; // how many byte-identical requests were answered with this number
    Registration registration;
};

// The outcome of storing one registration of a batch.
struct Stored {
    qint64 number = 0;
    bool repeat = false; // an identical target was stored in the retry window: not stored again
};

// The newest schema version this build knows; a database of a newer version
// is refused rather than written by an older program.
int currentSchemaVersion();

class Storage {
  public:
    virtual ~Storage() = default;

    // Stores the batch in one transaction and returns only once it is durable
    // (committed and flushed): one result per registration, in order. A
    // registration whose target is byte-identical to one received within
    // retryWindow before it (stored earlier or earlier in the same batch) is
    // not stored again; it gets the earlier number and that row's repeat
    // count grows. On failure nothing of the batch is stored.
    virtual std::optional<QList<Stored>> store(std::span<const Registration> batch,
                                               QString *error) = 0;

    // Calls visit for every registration received at or after since (all when
    // since is empty), in number order; visit returns false to stop early.
    // Returns false on a storage failure.
    virtual bool forEach(const std::optional<QDateTime> &since,
                         const std::function<bool(const StoredRegistration &)> &visit,
                         QString *error) = 0;

    // Deletes every registration whose e-mail address equals address, letter
    // case aside. Returns how many registrations were removed.
    virtual std::optional<qint64> eraseEmail(const QString &address, QString *error) = 0;

    // Deletes every registration received before the moment. Returns how many.
    virtual std::optional<qint64> purgeBefore(const QDateTime &moment, QString *error) = 0;

    // The schema version of the open database.
    virtual std::optional<int> schemaVersion(QString *error) = 0;

    // One read-only statement with its parameters ($1..$N in order), every
    // row it returns. The dashboard's aggregates below are written once over
    // it; an engine that cannot run them reports so.
    virtual std::optional<QList<Row>> readRows(const char *statement, std::span<const Value> params,
                                               QString *error);

    // The dashboard's aggregates (aggregates.cpp). Each returns nothing on a
    // storage failure, with the reason in *error.
    // Counts are kept per UTC day: a period counts the whole days it touches
    // (the dashboard's periods are whole days).
    std::optional<qint64> countReceived(const Period &period, QString *error);
    // The receive time of the oldest registration; an empty inner value when
    // there is none.
    std::optional<std::optional<QDateTime>> firstReceived(QString *error);
    // Per UTC day (key yyyy-MM-dd), days without registrations left out.
    std::optional<QList<Tally>> countPerDay(const Period &period, QString *error);
    // The largest groups first, at most limit of them.
    std::optional<QList<Tally>> countPerLanguage(const Period &period, int limit, QString *error);
    // The Country field's values.
    std::optional<QList<Tally>> countPerCountry(const Period &period, int limit, QString *error);
    // The answer values of one question; with valueLength above zero only
    // values of that many characters (the year entry of a date).
    std::optional<QList<Tally>> countPerAnswer(int page, const QString &id, const Period &period,
                                               int limit, QString *error, int valueLength = 0);
    // Registrations with at least one non-empty answer to the question.
    std::optional<qint64> countAnswered(int page, const QString &id, const Period &period,
                                        QString *error);
    // The newest registrations, newest first.
    std::optional<QList<LatestRegistration>> latest(int count, QString *error);
};

// How long a byte-identical request counts as a retry of an earlier one.
inline constexpr qint64 kRetryWindowMs = 24LL * 60 * 60 * 1000;

// What Retry looks a target up by: its SHA-256.
QByteArray targetHash(const QByteArray &target);

// The day (UTC, counted from the epoch) a receive time falls on. With the
// target's hash it forms a unique key, which is what holds Retry when several
// service instances share one database: of two identical requests stored at
// once by two instances, the second meets the first's key and takes its number.
qint64 retryDay(qint64 receivedMs);

// The key erasure compares e-mail addresses by.
QString emailKey(const QString &address);

// Opens (creating and migrating as needed) the storage at location: a file
// path for SQLite. Returns null with the reason on failure.
std::unique_ptr<Storage> openStorage(const QString &location, QString *error);

} // namespace registrations::storage
