#pragma once

// The receiving service: a request is decoded, refused or handed to the group
// committer, and answered "ok`|`<number>" once its transaction is durable.

#include "registrations/http/http_server.h"
#include "registrations/storage/group_committer.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace registrations::receive {

// Sets the page of each answer (the configuration's mapping), in place; the
// reason to refuse the registration when the configuration shows it cannot
// come from our wizard (a value longer than its box allows), else nothing.
using MapAnswers = std::function<std::optional<QString>(storage::Registration &registration)>;

class Service {
  public:
    // path: the only path registrations are taken on (any path when empty).
    Service(storage::GroupCommitter &committer, QByteArray path = {}, MapAnswers map = {});

    void handle(const http::Request &request, http::Respond respond);

  private:
    storage::GroupCommitter &m_committer;
    QByteArray m_path;
    MapAnswers m_map;
};

// The replies the wizard reads.
QByteArray acceptedReply(qint64 number);
QByteArray refusedReply(const QString &reason);

} // namespace registrations::receive
