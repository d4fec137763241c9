#pragma once

// The dashboard's routes, apart from the HTTP server that carries them: the
// page's files under /admin/ and the JSON API under /admin/api/, every API
// route behind the bearer token. A test drives it without sockets.

#include "registrations/dashboard/survey.h"
#include "registrations/storage/aggregates.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <cstdio>
#include <functional>

namespace registrations::storage {
class Storage;
}

namespace registrations::dashboard {

// Writes a download to out as it is sent; false with the reason on failure.
using Writer = std::function<bool(std::FILE *out, QString *error)>;

struct Reply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QByteArray contentDisposition; // set for downloads
    QByteArray location;           // set for redirects
    Writer stream;                 // set for a download written while it is sent, in place of body
};

// Writes the CSV export of the registrations received within the period to
// out; false with the reason on failure.
using CsvExport =
    std::function<bool(const storage::Period &period, std::FILE *out, QString *error)>;

class AdminApi {
  public:
    AdminApi(
        storage::Storage &storage, Survey survey, QByteArray token, CsvExport csvExport,
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); });

    // Answers one GET. path is the decoded path, query the decoded arguments,
    // authorization the Authorization header as sent (empty when absent).
    Reply get(const QString &path, const QHash<QString, QString> &query,
              const QByteArray &authorization) const;

    // Whether the header carries the token ("Bearer <token>"); compared in
    // constant time, so that the answer time tells nothing of the token.
    bool authorized(const QByteArray &authorization) const;

    // How many rows the latest-registrations table holds.
    static constexpr int kLatestRows = 50;
    // How many groups a bar chart of free values shows.
    static constexpr int kTopValues = 20;

  private:
    Reply api(const QString &route, const QHash<QString, QString> &query) const;

    storage::Storage &m_storage;
    Survey m_survey;
    QByteArray m_tokenDigest;
    CsvExport m_csvExport;
    std::function<QDateTime()> m_now;
};

} // namespace registrations::dashboard
