#include "registrations/dashboard/dashboard.h"

#include "registrations/dashboard/admin_api.h"
#include "registrations/dashboard/admin_server.h"
#include "registrations/export/export.h"
#include "registrations/storage/storage.h"

#include <QFile>

#include <cstdio>

namespace registrations::dashboard {

namespace {

constexpr qsizetype kMinTokenLength = 16;
constexpr qsizetype kMaxTokenFileBytes = 4096;

// The export as the CSV download of a period: the service's own exporter, on
// a connection of its own (it runs beside the API's queries while the
// download is sent).
CsvExport csvExport(const QString &database, const mapping::Questionnaire *questionnaire)
{
    return
        [database, questionnaire](const storage::Period &period, std::FILE *out, QString *error) {
            const auto storage = storage::openStorage(database, error);
            if (!storage)
                return false;
            std::optional<QDateTime> since;
            if (period.fromMs > 0)
                since = QDateTime::fromMSecsSinceEpoch(period.fromMs, QTimeZone::utc());
            std::optional<QDateTime> until;
            if (period.toMs != storage::Period{}.toMs)
                until = QDateTime::fromMSecsSinceEpoch(period.toMs, QTimeZone::utc());
            return exporting::writeExport(*storage, since, until, exporting::Format::Csv,
                                          questionnaire, out, error);
        };
}

} // namespace

struct Dashboard::Private {
    std::unique_ptr<storage::Storage> storage;
    std::unique_ptr<AdminApi> api;
    std::unique_ptr<AdminServer> server;
};

Dashboard::Dashboard(std::unique_ptr<Private> d) : d(std::move(d)) {}

Dashboard::~Dashboard()
{
    // The listener goes first: no request may reach the API after it.
    d->server.reset();
}

std::unique_ptr<Dashboard> Dashboard::start(const DashboardOptions &options, Survey survey,
                                            const mapping::Questionnaire *questionnaire,
                                            QString *error)
{
    const auto token = readToken(options.tokenFile, error);
    if (!token)
        return nullptr;
    auto d = std::make_unique<Private>();
    d->storage = storage::openStorage(options.database, error);
    if (!d->storage)
        return nullptr;
    d->api = std::make_unique<AdminApi>(*d->storage, std::move(survey), *token,
                                        csvExport(options.database, questionnaire));
    d->server = std::make_unique<AdminServer>(*d->api);
    if (!d->server->start(options.host, options.port, error))
        return nullptr;
    return std::unique_ptr<Dashboard>(new Dashboard(std::move(d)));
}

QString Dashboard::address() const
{
    return d->server->address();
}

std::optional<QByteArray> readToken(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the token file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray contents = file.read(kMaxTokenFileBytes);
    const qsizetype end = contents.indexOf('\n');
    const QByteArray token = (end < 0 ? contents : contents.left(end)).trimmed();
    if (token.size() < kMinTokenLength) {
        *error = QStringLiteral("the token in %1 is shorter than %2 characters; make one with "
                                "\"openssl rand -hex 32 > %1\"")
                     .arg(path)
                     .arg(kMinTokenLength);
        return std::nullopt;
    }
    return token;
}

} // namespace registrations::dashboard
