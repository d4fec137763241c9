#include "registrations/storage/record.h"
#include "registrations/storage/storage.h"

#include <algorithm>
#include <array>

namespace registrations::storage {

namespace {

constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;

// The dashboard's statements. Counts are read from the counters the writer
// keeps per UTC day (record.h: kind 0 registrations, 1 languages, 2
// countries, 3 answer values, 4 questions answered), so a count over a period
// reads a few rows per day instead of every answer of every registration.
// A period is given as a range of days, $1 <= day < $2.
const char *const kCountReceived = "SELECT CAST(coalesce(sum(tally), 0) AS BIGINT) FROM counters"
                                   " WHERE kind = 0 AND page = 0 AND entry_id = ''"
                                   " AND day >= $1 AND day < $2";
const char *const kFirstReceived = "SELECT min(received_ms) FROM registrations";
const char *const kPerDay = "SELECT day, CAST(sum(tally) AS BIGINT) FROM counters"
                            " WHERE kind = 0 AND page = 0 AND entry_id = ''"
                            " AND day >= $1 AND day < $2"
                            " GROUP BY day HAVING sum(tally) > 0 ORDER BY day";
// Languages (kind 1) and countries (kind 2) by value.
const char *const kPerValue = "SELECT value, CAST(sum(tally) AS BIGINT) FROM counters"
                              " WHERE kind = $1 AND page = 0 AND entry_id = ''"
                              " AND day >= $2 AND day < $3"
                              " GROUP BY value HAVING sum(tally) > 0"
                              " ORDER BY sum(tally) DESC, value LIMIT $4";
const char *const kPerAnswer = "SELECT value, CAST(sum(tally) AS BIGINT) FROM counters"
                               " WHERE kind = 3 AND page = $1 AND entry_id = $2"
                               " AND day >= $3 AND day < $4"
                               " GROUP BY value HAVING sum(tally) > 0"
                               " ORDER BY sum(tally) DESC, value LIMIT $5";
const char *const kPerAnswerOfLength = "SELECT value, CAST(sum(tally) AS BIGINT) FROM counters"
                                       " WHERE kind = 3 AND page = $1 AND entry_id = $2"
                                       " AND day >= $3 AND day < $4 AND length(value) = $5"
                                       " GROUP BY value HAVING sum(tally) > 0"
                                       " ORDER BY sum(tally) DESC, value LIMIT $6";
const char *const kAnswered = "SELECT CAST(coalesce(sum(tally), 0) AS BIGINT) FROM counters"
                              " WHERE kind = 4 AND page = $1 AND entry_id = $2"
                              " AND day >= $3 AND day < $4";
const char *const kLatest = "SELECT number, received_ms, game, language, content FROM registrations"
                            " ORDER BY number DESC LIMIT $1";

// The days a period touches, as a half-open range.
std::pair<qint64, qint64> days(const Period &period)
{
    const qint64 to = dayOf(period.toMs) + (period.toMs % kDayMs != 0 ? 1 : 0);
    return {dayOf(period.fromMs), to};
}

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
    const auto [from, to] = days(period);
    const std::array<Value, 2> params{from, to};
    return single(readRows(kCountReceived, params, error));
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
    const auto [from, to] = days(period);
    const std::array<Value, 2> params{from, to};
    const auto rows = readRows(kPerDay, params, error);
    if (!rows)
        return std::nullopt;
    QList<Tally> result;
    result.reserve(rows->size());
    const QDate epoch(1970, 1, 1);
    for (const Row &row : *rows)
        result.append(
            {epoch.addDays(integer(row.value(0))).toString(Qt::ISODate), integer(row.value(1))});
    return result;
}

std::optional<QList<Tally>> Storage::countPerLanguage(const Period &period, int limit,
                                                      QString *error)
{
    const auto [from, to] = days(period);
    const std::array<Value, 4> params{qint64(CountKind::Language), from, to, qint64(limit)};
    return tallies(readRows(kPerValue, params, error));
}

std::optional<QList<Tally>> Storage::countPerCountry(const Period &period, int limit,
                                                     QString *error)
{
    const auto [from, to] = days(period);
    const std::array<Value, 4> params{qint64(CountKind::Country), from, to, qint64(limit)};
    return tallies(readRows(kPerValue, params, error));
}

std::optional<QList<Tally>> Storage::countPerAnswer(int page, const QString &id,
                                                    const Period &period, int limit, QString *error,
                                                    int valueLength)
{
    const auto [from, to] = days(period);
    if (valueLength > 0) {
        const std::array<Value, 6> params{qint64(page),        id,           from, to,
                                          qint64(valueLength), qint64(limit)};
        return tallies(readRows(kPerAnswerOfLength, params, error));
    }
    const std::array<Value, 5> params{qint64(page), id, from, to, qint64(limit)};
    return tallies(readRows(kPerAnswer, params, error));
}

std::optional<qint64> Storage::countAnswered(int page, const QString &id, const Period &period,
                                             QString *error)
{
    const auto [from, to] = days(period);
    const std::array<Value, 4> params{qint64(page), id, from, to};
    return single(readRows(kAnswered, params, error));
}

std::optional<QList<LatestRegistration>> Storage::latest(int count, QString *error)
{
    const std::array<Value, 1> params{qint64(count)};
    const auto rows = readRows(kLatest, params, error);
    if (!rows)
        return std::nullopt;
    QList<LatestRegistration> result;
    QList<Field> fields;
    QList<Answer> answers;
    for (const Row &row : *rows) {
        LatestRegistration entry;
        entry.number = integer(row.value(0));
        entry.receivedAt = QDateTime::fromMSecsSinceEpoch(integer(row.value(1)), QTimeZone::utc());
        entry.game = text(row.value(2));
        entry.language = text(row.value(3));
        decodeContent(text(row.value(4)).toUtf8(), &fields, &answers);
        for (const Field &field : fields) {
            if (field.key == u"FirstName")
                entry.firstName = field.value;
            else if (field.key == u"LastName")
                entry.lastName = field.value;
            else if (field.key == u"Email")
                entry.email = field.value;
            else if (field.key == u"Country")
                entry.country = field.value;
        }
        result.append(entry);
    }
    return result;
}

} // namespace registrations::storage
