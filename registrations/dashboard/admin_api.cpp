#include "registrations/dashboard/admin_api.h"

#include "registrations/dashboard/assets.h"
#include "registrations/dashboard/masking.h"
#include "registrations/storage/storage.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace registrations::dashboard {

namespace {

using storage::Period;
using storage::Tally;

constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;
constexpr int kMaxDays = 3660; // the longest line the per-day chart draws
constexpr int kMaxGroups = 30; // bars per country or language chart
constexpr int kMaxOptionValues = 1000;

Reply json(const QJsonObject &object, int status = 200)
{
    Reply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return reply;
}

Reply failure(int status, const QString &reason)
{
    return json({{"error", reason}}, status);
}

// Storage reasons name no personal data, but they stay in the service's log;
// the client learns only that the storage failed.
Reply storageFailure(const QString &reason)
{
    std::fprintf(stderr, "admin: storage failure: %s\n", qPrintable(reason));
    return failure(500, QStringLiteral("storage failure"));
}

QByteArray digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

qint64 dayStartMs(QDate day)
{
    return QDateTime(day, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
}

struct PeriodArgs {
    std::optional<QDate> from;
    std::optional<QDate> to; // inclusive
    Period period;
};

// from and to are inclusive UTC days (yyyy-MM-dd); either may be left out.
std::optional<PeriodArgs> parsePeriod(const QHash<QString, QString> &query, QString *error)
{
    PeriodArgs args;
    for (const char *name : {"from", "to"}) {
        const auto it = query.constFind(QString::fromLatin1(name));
        if (it == query.constEnd() || it->isEmpty())
            continue;
        const QDate day = QDate::fromString(*it, Qt::ISODate);
        if (!day.isValid() || it->size() != 10 || day.year() < 1970 || day.year() > 9999) {
            *error = QStringLiteral("%1 is not a day (yyyy-mm-dd)").arg(QString::fromLatin1(name));
            return std::nullopt;
        }
        (name[0] == 'f' ? args.from : args.to) = day;
    }
    if (args.from && args.to && *args.from > *args.to) {
        *error = QStringLiteral("from is after to");
        return std::nullopt;
    }
    if (args.from)
        args.period.fromMs = dayStartMs(*args.from);
    if (args.to)
        args.period.toMs = dayStartMs(args.to->addDays(1));
    return args;
}

QJsonObject series(const QList<Tally> &tallies)
{
    QJsonArray labels;
    QJsonArray counts;
    for (const Tally &tally : tallies) {
        labels.append(tally.key.isEmpty() ? QStringLiteral("(none given)") : tally.key);
        counts.append(tally.count);
    }
    return {{"labels", labels}, {"counts", counts}};
}

const char *kindName(QuestionKind kind)
{
    switch (kind) {
    case QuestionKind::Choice:
        return "choice";
    case QuestionKind::Choices:
        return "choices";
    case QuestionKind::Text:
        return "text";
    case QuestionKind::Date:
        return "date";
    }
    return "text";
}

} // namespace

AdminApi::AdminApi(storage::Storage &storage, Survey survey, QByteArray token, CsvExport csvExport,
                   std::function<QDateTime()> now)
    : m_storage(storage), m_survey(std::move(survey)), m_tokenDigest(digest(token)),
      m_csvExport(std::move(csvExport)), m_now(std::move(now))
{
}

bool AdminApi::authorized(const QByteArray &authorization) const
{
    static constexpr QByteArrayView scheme("bearer ");
    if (authorization.size() <= scheme.size() ||
        authorization.first(scheme.size()).toLower() != scheme)
        return false;
    // Both sides are hashed first so the comparison takes the same time
    // whatever the length and content of the offered token.
    const QByteArray offered =
        digest(QByteArrayView(authorization).sliced(scheme.size()).trimmed());
    unsigned char difference = 0;
    for (qsizetype i = 0; i < m_tokenDigest.size(); ++i)
        difference |= static_cast<unsigned char>(offered[i] ^ m_tokenDigest[i]);
    return difference == 0;
}

Reply AdminApi::get(const QString &path, const QHash<QString, QString> &query,
                    const QByteArray &authorization) const
{
    if (path == u"/admin")
        return {301, "text/plain; charset=utf-8", "/admin/\n", {}, "/admin/", {}};
    static const QString apiPrefix = QStringLiteral("/admin/api/");
    if (path.startsWith(apiPrefix)) {
        if (!authorized(authorization))
            return failure(401, QStringLiteral("token missing or wrong"));
        return api(path.mid(apiPrefix.size()), query);
    }
    // The page's own files carry no registration data; they are the same for
    // everybody, so they are served without the token (a browser cannot send
    // it when it opens the page).
    static const QString pagePrefix = QStringLiteral("/admin/");
    if (path.startsWith(pagePrefix)) {
        const QString name = path.mid(pagePrefix.size());
        if (const auto asset = findAsset(name.isEmpty() ? QStringLiteral("index.html") : name))
            return {200, asset->contentType, asset->body.toByteArray(), {}, {}, {}};
    }
    return failure(404, QStringLiteral("no such page"));
}

Reply AdminApi::api(const QString &route, const QHash<QString, QString> &query) const
{
    QString error;
    const auto args = parsePeriod(query, &error);
    if (!args)
        return failure(400, error);
    const Period &period = args->period;
    const QDate today = m_now().toUTC().date();

    if (route == u"sections") {
        QJsonArray sections;
        for (qsizetype i = 0; i < m_survey.sections().size(); ++i)
            sections.append(
                QJsonObject{{"key", QString::number(i)}, {"label", m_survey.sections()[i].label}});
        return json({{"sections", sections}});
    }

    if (route == u"summary") {
        const Period todayPeriod{dayStartMs(today), dayStartMs(today.addDays(1))};
        const Period weekPeriod{dayStartMs(today.addDays(-6)), todayPeriod.toMs};
        QJsonObject summary;
        for (const auto &[name, range] :
             {std::pair{"total", Period{}}, std::pair{"today", todayPeriod},
              std::pair{"last7", weekPeriod}, std::pair{"period", period}}) {
            const auto count = m_storage.countReceived(range, &error);
            if (!count)
                return storageFailure(error);
            summary.insert(QString::fromLatin1(name), *count);
        }
        summary.insert("today_is", today.toString(Qt::ISODate));
        return json(summary);
    }

    if (route == u"days") {
        const auto tallies = m_storage.countPerDay(period, &error);
        if (!tallies)
            return storageFailure(error);
        // Every day of the period gets a point, days without registrations
        // too, so that the line does not skip over them.
        QDate last = args->to ? std::min(*args->to, today) : today;
        QDate first = args->from ? *args->from : last;
        if (!args->from && !tallies->isEmpty())
            first = QDate::fromString(tallies->first().key, Qt::ISODate);
        if (!tallies->isEmpty())
            last = std::max(last, QDate::fromString(tallies->last().key, Qt::ISODate));
        if (first.daysTo(last) >= kMaxDays)
            first = last.addDays(-(kMaxDays - 1));
        QHash<QString, qint64> byDay;
        for (const Tally &tally : *tallies)
            byDay.insert(tally.key, tally.count);
        QList<Tally> days;
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const QString key = day.toString(Qt::ISODate);
            days.append({key, byDay.value(key)});
        }
        return json(series(days));
    }

    if (route == u"languages") {
        const auto tallies = m_storage.countPerLanguage(period, kMaxGroups, &error);
        if (!tallies)
            return storageFailure(error);
        return json(series(*tallies));
    }

    if (route == u"countries") {
        const auto tallies = m_storage.countPerCountry(period, kMaxGroups, &error);
        if (!tallies)
            return storageFailure(error);
        return json(series(*tallies));
    }

    if (route == u"questions") {
        int sectionIndex = 0;
        if (const QString key = query.value(QStringLiteral("section")); !key.isEmpty()) {
            bool ok = false;
            sectionIndex = key.toInt(&ok);
            if (!ok || sectionIndex < 0 || sectionIndex >= m_survey.sections().size())
                return failure(400, QStringLiteral("no such section"));
        }
        QJsonArray questions;
        if (!m_survey.sections().isEmpty()) {
            for (const Question &question : m_survey.sections()[sectionIndex].questions) {
                QList<Tally> shown;
                qint64 answered = 0;
                switch (question.kind) {
                case QuestionKind::Choice:
                case QuestionKind::Choices: {
                    const auto values = m_storage.countPerAnswer(question.page, question.id, period,
                                                                 kMaxOptionValues, &error);
                    if (!values)
                        return storageFailure(error);
                    QList<qint64> counts(question.options.size(), 0);
                    qint64 other = 0;
                    for (const Tally &value : *values) {
                        if (value.key.isEmpty() ||
                            m_survey.isPlaceholder(question.page, question.id, value.key))
                            continue;
                        const auto index =
                            m_survey.optionIndex(question.page, question.id, value.key);
                        if (index && *index < counts.size())
                            counts[*index] += value.count;
                        else
                            other += value.count;
                    }
                    for (qsizetype i = 0; i < counts.size(); ++i) {
                        shown.append({question.options[i], counts[i]});
                        answered += counts[i];
                    }
                    if (other > 0)
                        shown.append({QStringLiteral("(other answers)"), other});
                    answered += other;
                    if (question.kind == QuestionKind::Choices) {
                        const auto count =
                            m_storage.countAnswered(question.page, question.id, period, &error);
                        if (!count)
                            return storageFailure(error);
                        answered = *count;
                    }
                    break;
                }
                case QuestionKind::Text: {
                    const auto values = m_storage.countPerAnswer(question.page, question.id, period,
                                                                 kTopValues + 1, &error);
                    if (!values)
                        return storageFailure(error);
                    for (const Tally &value : *values)
                        if (!value.key.isEmpty() && shown.size() < kTopValues)
                            shown.append(value);
                    const auto count =
                        m_storage.countAnswered(question.page, question.id, period, &error);
                    if (!count)
                        return storageFailure(error);
                    answered = *count;
                    break;
                }
                case QuestionKind::Date: {
                    // A date travels as three entries of one id; its year is
                    // the one of four digits.
                    const auto values = m_storage.countPerAnswer(question.page, question.id, period,
                                                                 kMaxOptionValues, &error, 4);
                    if (!values)
                        return storageFailure(error);
                    for (const Tally &value : *values) {
                        if (std::all_of(value.key.begin(), value.key.end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; })) {
                            shown.append(value);
                            answered += value.count;
                        }
                    }
                    std::sort(shown.begin(), shown.end(),
                              [](const Tally &a, const Tally &b) { return a.key < b.key; });
                    break;
                }
                }
                QJsonObject entry = series(shown);
                entry.insert("page", question.page);
                entry.insert("id", question.id);
                entry.insert("title", question.title);
                entry.insert("kind", QString::fromLatin1(kindName(question.kind)));
                entry.insert("answered", answered);
                questions.append(entry);
            }
        }
        return json({{"questions", questions}});
    }

    if (route == u"latest") {
        const auto rows = m_storage.latest(kLatestRows, &error);
        if (!rows)
            return storageFailure(error);
        QJsonArray list;
        for (const auto &row : *rows) {
            const QString name =
                QStringList{maskName(row.firstName), maskName(row.lastName)}.join(u' ').trimmed();
            list.append(QJsonObject{
                {"number", row.number},
                {"received",
                 row.receivedAt.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                {"name", name},
                {"email", maskEmail(row.email)},
                {"country", row.country},
                {"language", row.language},
                {"game", row.game},
            });
        }
        return json({{"rows", list}});
    }

    if (route == u"export.csv") {
        if (!m_csvExport)
            return failure(404, QStringLiteral("no export"));
        const QString name =
            QStringLiteral("registrations-%1-to-%2.csv")
                .arg(args->from ? args->from->toString(Qt::ISODate) : QStringLiteral("first"),
                     (args->to ? *args->to : today).toString(Qt::ISODate));
        Reply reply{200, "text/csv; charset=utf-8",
                    {},  "attachment; filename=\"" + name.toLatin1() + "\"",
                    {},  {}};
        // Written while it is sent: an export of every registration need
        // not fit in memory.
        reply.stream = [csvExport = m_csvExport, period](std::FILE *out, QString *error) {
            return csvExport(period, out, error);
        };
        return reply;
    }

    return failure(404, QStringLiteral("no such route"));
}

} // namespace registrations::dashboard
