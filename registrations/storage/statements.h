#pragma once

// The SQL every storage engine runs, written once. Parameters are $1..$N:
// PostgreSQL takes them natively and SQLite as named parameters, so one text
// serves both wherever the two dialects agree. Only the schema differs (types
// and the number column), so each migration carries one text per engine.

#include <span>

namespace registrations::storage::sql {

enum class Engine { Sqlite, Postgres };

// One step of the schema: the statements that take a database from
// version - 1 to version, run in one transaction with the version row.
struct Migration {
    int version;
    std::span<const char *const> sqlite;
    std::span<const char *const> postgres;
};

std::span<const Migration> migrations();

// The table that records which migrations ran (created before the first).
extern const char *const kCreateSchemaVersion;
extern const char *const kSelectSchemaVersion; // one row: the highest version, or NULL
extern const char *const kInsertSchemaVersion; // $1 version

// Retry: the newest registration with this target received at or after $3.
// $1 target hash, $2 target, $3 earliest receive time (ms since the epoch, UTC)
extern const char *const kFindRecentTarget;
extern const char *const kCountRepeat; // $1 number

// $1 received (ms), $2 target, $3 target hash, $4 game, $5 language,
// $6 e-mail key, $7 day received. Returns the number and the repeat count:
// 0 for a new registration; more when the target's key for that day was
// already taken (another instance stored it at the same moment), and then
// the number is that registration's.
extern const char *const kInsertRegistration;
extern const char *const kInsertField;  // $1 number, $2 position, $3 key, $4 value
extern const char *const kInsertAnswer; // $1 number, $2 position, $3 page, $4 id, $5 value

// An insert of one row ("... VALUES ($1, ..., $N)") widened to `rows` rows,
// parameters numbered on: one statement for a registration's fields or
// answers instead of one per row. The text lives as long as the program, so
// its address names it (as the constants' do).
const char *insertRows(const char *singleRow, int rows);

// Export, three ordered walks merged by number; $1 earliest receive time (ms).
extern const char *const kSelectRegistrations; // number, received, target, game, language, repeats
extern const char *const kSelectFields;        // registration, key, value
extern const char *const kSelectAnswers;       // registration, page, id, value

// Erasure by e-mail key ($1) and purge by receive time ($1: earliest kept, ms):
// the rows of the other tables first, then the registrations (the count).
extern const char *const kEraseFields;
extern const char *const kEraseAnswers;
extern const char *const kEraseRegistrations;
extern const char *const kPurgeFields;
extern const char *const kPurgeAnswers;
extern const char *const kPurgeRegistrations;

} // namespace registrations::storage::sql
