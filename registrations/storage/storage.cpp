#include "registrations/storage/storage.h"

#include "registrations/storage/postgresql_storage.h"
#include "registrations/storage/sqlite_storage.h"
#include "registrations/storage/statements.h"

#include <QCryptographicHash>

namespace registrations::storage {

int currentSchemaVersion()
{
    return sql::migrations().back().version;
}

QByteArray targetHash(const QByteArray &target)
{
    return QCryptographicHash::hash(target, QCryptographicHash::Sha256);
}

qint64 retryDay(qint64 receivedMs)
{
    // Truncating division, as both engines divide integers (the migration
    // that added the day computes it in SQL).
    return receivedMs / (24LL * 60 * 60 * 1000);
}

QString emailKey(const QString &address)
{
    return address.trimmed().toCaseFolded();
}

std::unique_ptr<Storage> openStorage(const QString &location, QString *error)
{
    if (isPostgresqlUri(location))
        return openPostgresql(location, error);
    return openSqlite(location, error);
}

} // namespace registrations::storage
