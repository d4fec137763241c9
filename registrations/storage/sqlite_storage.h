#pragma once

// The storage in one SQLite file: write-ahead log, a full flush at every
// commit, the file private to its owner, erased rows overwritten.

#include "registrations/storage/storage.h"

#include <memory>

namespace registrations::storage {

// Opens the database file, creating it (mode 0600) and its schema when it
// does not exist, migrating an older schema. Null with the reason on failure.
std::unique_ptr<Storage> openSqlite(const QString &path, QString *error);

} // namespace registrations::storage
