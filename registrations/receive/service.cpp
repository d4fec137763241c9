#include "registrations/receive/service.h"

#include "registrations/receive/decode_registration.h"

namespace registrations::receive {

QByteArray acceptedReply(qint64 number)
{
    return "ok`|`" + QByteArray::number(number);
}

QByteArray refusedReply(const QString &reason)
{
    return "error`|`" + reason.toUtf8();
}

Service::Service(storage::GroupCommitter &committer, QByteArray path, MapAnswers map)
    : m_committer(committer), m_path(std::move(path)), m_map(std::move(map))
{
}

void Service::handle(const http::Request &request, http::Respond respond)
{
    if (request.method != "GET") {
        respond({405, refusedReply(QStringLiteral("Only GET is served")), {}});
        return;
    }
    const qsizetype question = request.target.indexOf('?');
    const QByteArray path = question < 0 ? request.target : request.target.left(question);
    if (!m_path.isEmpty() && path != m_path) {
        respond({404, refusedReply(QStringLiteral("Not a registration address")), {}});
        return;
    }
    auto decoded = decodeRegistration(request.target, QDateTime::currentDateTimeUtc());
    if (const auto *refusal = std::get_if<Refusal>(&decoded)) {
        respond({400, refusedReply(refusal->reason), {}});
        return;
    }
    storage::Registration registration = std::get<storage::Registration>(std::move(decoded));
    if (m_map) {
        if (const std::optional<QString> refusal = m_map(registration)) {
            respond({400, refusedReply(*refusal), {}});
            return;
        }
    }
    m_committer.submit(std::move(registration), [respond](
                                                    const std::optional<storage::Stored> &stored,
                                                    const QString &) {
        if (!stored) {
            // The reason stays in the server's own log line count; the
            // player is asked to try again.
            respond({503,
                     refusedReply(QStringLiteral("The registration could not be stored; please try "
                                                 "again later")),
                     QStringLiteral("store-failed")});
            return;
        }
        respond({200, acceptedReply(stored->number),
                 QStringLiteral("#%1%2")
                     .arg(stored->number)
                     .arg(stored->repeat ? QStringLiteral(" repeat") : QString())});
    });
}

} // namespace registrations::receive
