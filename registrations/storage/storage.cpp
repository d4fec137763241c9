#include "registrations/storage/storage.h"

#include "registrations/storage/sqlite_storage.h"
#include "registrations/storage/statements.h"

namespace registrations::storage {

int currentSchemaVersion()
{
    return sql::migrations().back().version;
}

QString emailKey(const QString &address)
{
    return address.trimmed().toCaseFolded();
}

std::unique_ptr<Storage> openStorage(const QString &location, QString *error)
{
    return openSqlite(location, error);
}

} // namespace registrations::storage
