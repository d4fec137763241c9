#include "registrations/storage/storage.h"

#include <algorithm>
#include <array>

namespace registrations::storage {

namespace {

// The dashboard's statements. The period's receive times are turned into a
// range of registration numbers once, so that the counts over fields and
// answers are range scans of their own covering indexes and need no join
// with the registrations.
const char *const kCountReceived =
    "SELECT count(*) FROM registrations WHERE received_ms >= $1 AND received_ms < $2";
const char *const kNumberRange = "SELECT min(number), max(number) FROM registrations"
                                 " WHERE received_ms >= $1 AND received_ms < $2";
const char *const kFirstReceived = "SELECT min(received_ms) FROM registrations";
const char *const kPerDay = "SELECT received_ms / 86400000, count(*) FROM registrations"
                            " WHERE received_ms >= $1 AND received_ms < $2"
                            " GROUP BY received_ms / 86400000 ORDER BY 1";
const char *const kPerLanguage = "SELECT language, count(*) FROM registrations"
                                 " WHERE received_ms >= $1 AND received_ms < $2"
                                 " GROUP BY language ORDER BY count(*) DESC, language LIMIT $3";
// The key is written out, not bound: only then can the engine see that the
// partial index of the countries serves the query.
const char *const kPerCountry =
    "SELECT value, count(*) FROM fields"
    " WHERE key = 'Country' AND registration >= $1 AND registration <= $2"
    " GROUP BY value ORDER BY count(*) DESC, value LIMIT $3";
const char *const kPerAnswer =
    "SELECT value, count(*) FROM answers"
    " WHERE page = $1 AND entry_id = $2 AND registration >= $3 AND registration <= $4"
    " GROUP BY value ORDER BY count(*) DESC, value LIMIT $5";
const char *const kPerAnswerOfLength =
    "SELECT value, count(*) FROM answers"
    " WHERE page = $1 AND entry_id = $2 AND registration >= $3 AND registration <= $4"
    " AND length(value) = $5"
    " GROUP BY value ORDER BY count(*) DESC, value LIMIT $6";
const char *const kAnswered =
    "SELECT count(DISTINCT registration) FROM answers"
    " WHERE page = $1 AND entry_id = $2 AND registration >= $3 AND registration <= $4"
    " AND value <> ''";
const char *const kLatest = "SELECT number, received_ms, game, language FROM registrations"
                            " ORDER BY number DESC LIMIT $1";
const char *const kLatestFields =
    "SELECT registration, key, value FROM fields WHERE registration >= $1"
    " AND key IN ('FirstName', 'LastName', 'Email', 'Country')";

qint64 integer(const Value &value)
{
    const auto *number = std::get_if<qint64>(&value);
    return number ? *number : 0;
}

QString text(const Value &value)
{
    const auto *string = std::get_if<QString>(&value);
    return string ? *string : QString();
}

std::optional<QList<Tally>> tallies(std::optional<QList<Row>> rows)
{
    if (!rows)
        return std::nullopt;
    QList<Tally> result;
    result.reserve(rows->size());
    for (const Row &row : *rows)
        result.append({text(row.value(0)), integer(row.value(1))});
    return result;
}

std::optional<qint64> single(std::optional<QList<Row>> rows)
{
    if (!rows)
        return std::nullopt;
    return rows->isEmpty() ? 0 : integer(rows->first().value(0));
}

} // namespace

std::optional<QList<Row>> Storage::readRows(const char *, std::span<const Value>, QString *error)
{
    *error = QStringLiteral("this storage cannot answer the dashboard's queries");
    return std::nullopt;
}

std::optional<qint64> Storage::countReceived(const Period &period, QString *error)
{
    const std::array<Value, 2> params{period.fromMs, period.toMs};
    return single(readRows(kCountReceived, params, error));
}

std::optional<NumberRange> Storage::numberRange(const Period &period, QString *error)
{
    const std::array<Value, 2> params{period.fromMs, period.toMs};
    const auto rows = readRows(kNumberRange, params, error);
    if (!rows)
        return std::nullopt;
    NumberRange range;
    if (!rows->isEmpty() && std::holds_alternative<qint64>(rows->first().value(0))) {
        range.first = integer(rows->first().value(0));
        range.last = integer(rows->first().value(1));
    }
    return range;
}

std::optional<std::optional<QDateTime>> Storage::firstReceived(QString *error)
{
    const auto rows = readRows(kFirstReceived, {}, error);
    if (!rows)
        return std::nullopt;
    if (rows->isEmpty() || !std::holds_alternative<qint64>(rows->first().value(0)))
        return std::optional<QDateTime>();
    return QDateTime::fromMSecsSinceEpoch(integer(rows->first().value(0)), QTimeZone::utc());
}

std::optional<QList<Tally>> Storage::countPerDay(const Period &period, QString *error)
{
    const std::array<Value, 2> params{period.fromMs, period.toMs};
    const auto rows = readRows(kPerDay, params, error);
    if (!rows)
        return std::nullopt;
    QList<Tally> days;
    days.reserve(rows->size());
    const QDate epoch(1970, 1, 1);
    for (const Row &row : *rows)
        days.append(
            {epoch.addDays(integer(row.value(0))).toString(Qt::ISODate), integer(row.value(1))});
    return days;
}

std::optional<QList<Tally>> Storage::countPerLanguage(const Period &period, int limit,
                                                      QString *error)
{
    const std::array<Value, 3> params{period.fromMs, period.toMs, qint64(limit)};
    return tallies(readRows(kPerLanguage, params, error));
}

std::optional<QList<Tally>> Storage::countPerCountry(const NumberRange &numbers, int limit,
                                                     QString *error)
{
    const std::array<Value, 3> params{numbers.first, numbers.last, qint64(limit)};
    return tallies(readRows(kPerCountry, params, error));
}

std::optional<QList<Tally>> Storage::countPerAnswer(int page, const QString &id,
                                                    const NumberRange &numbers, int limit,
                                                    QString *error, int valueLength)
{
    if (valueLength > 0) {
        const std::array<Value, 6> params{
            qint64(page), id, numbers.first, numbers.last, qint64(valueLength), qint64(limit)};
        return tallies(readRows(kPerAnswerOfLength, params, error));
    }
    const std::array<Value, 5> params{qint64(page), id, numbers.first, numbers.last, qint64(limit)};
    return tallies(readRows(kPerAnswer, params, error));
}

std::optional<qint64> Storage::countAnswered(int page, const QString &id,
                                             const NumberRange &numbers, QString *error)
{
    const std::array<Value, 4> params{qint64(page), id, numbers.first, numbers.last};
    return single(readRows(kAnswered, params, error));
}

std::optional<QList<LatestRegistration>> Storage::latest(int count, QString *error)
{
    const std::array<Value, 1> params{qint64(count)};
    const auto rows = readRows(kLatest, params, error);
    if (!rows)
        return std::nullopt;
    QList<LatestRegistration> result;
    for (const Row &row : *rows) {
        LatestRegistration entry;
        entry.number = integer(row.value(0));
        entry.receivedAt = QDateTime::fromMSecsSinceEpoch(integer(row.value(1)), QTimeZone::utc());
        entry.game = text(row.value(2));
        entry.language = text(row.value(3));
        result.append(entry);
    }
    if (result.isEmpty())
        return result;
    const std::array<Value, 1> oldest{result.last().number};
    const auto fields = readRows(kLatestFields, oldest, error);
    if (!fields)
        return std::nullopt;
    for (const Row &row : *fields) {
        const qint64 number = integer(row.value(0));
        // Numbers may have gaps (erasure): find the row by number.
        auto it = std::find_if(result.begin(), result.end(), [number](const LatestRegistration &r) {
            return r.number == number;
        });
        if (it == result.end())
            continue;
        const QString key = text(row.value(1));
        QString *target = key == u"FirstName"  ? &it->firstName
                          : key == u"LastName" ? &it->lastName
                          : key == u"Email"    ? &it->email
                                               : &it->country;
        *target = text(row.value(2));
    }
    return result;
}

} // namespace registrations::storage
