#pragma once

// The storage in a PostgreSQL database, for a publisher who runs several
// service instances (or needs a replicated database): registration numbers
// from one sequence, Retry recognised across instances by a unique key, and
// requests refused while the database is away rather than held in memory.

#include "registrations/storage/storage.h"

#include <memory>

namespace registrations::storage {

// True when location is a PostgreSQL connection URI (postgresql:// or postgres://).
bool isPostgresqlUri(const QString &location);

// Connects, then creates or migrates the schema (one instance at a time when
// several start together). Null with the reason when the database cannot be
// reached or migrated.
std::unique_ptr<Storage> openPostgresql(const QString &uri, QString *error);

} // namespace registrations::storage
