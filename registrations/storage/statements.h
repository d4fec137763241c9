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
// $6 e-mail key, $7 day received, $8 fields and answers (record.h). Returns
// the number and the repeat count: 0 for a new registration; more when the
// target's key for that day was already taken (another instance stored it at
// the same moment), and then the number is that registration's.
extern const char *const kInsertRegistration;
// $1 kind, $2 page, $3 question id, $4 day, $5 value, $6 how many to add
// (negative to take out). Concurrent writers add up without losing counts.
extern const char *const kAddToCounter;
// The same on PostgreSQL, whose counters are unique by hashes (version 5)
// and kept in slots (version 6), $7 the slot: writers on different slots do
// not wait for each other.
extern const char *const kAddToCounterPostgres;
// The counter of that key ($1..$5), every slot of it, deleted once its slots
// together count nothing (an erased value must not stay). On PostgreSQL the
// caller keeps writers out of the counters meanwhile, so that the sum it
// reads is the one it deletes.
extern const char *const kDropEmptyCounter;

// An insert of one row ("... VALUES ($1, ..., $N) [ON CONFLICT ...]") widened to `rows` rows,
// parameters numbered on: one statement for a registration's fields or
// answers instead of one per row. The text lives as long as the program, so
// its address names it (as the constants' do).
const char *insertRows(const char *singleRow, int rows);

// Export in number order; $1 earliest receive time (ms).
// number, received, target, game, language, repeats, fields and answers
extern const char *const kSelectRegistrations;

// Erasure by e-mail key ($1): the registrations' counts (received, language,
// content) are taken back out of the counters, then the rows go.
extern const char *const kSelectErased;
extern const char *const kEraseRegistrations;
// Purge before a moment: the counters of the whole days before it ($1: the
// moment's day) go; the registrations of the moment's own day before it
// ($1, $2: the day's start and the moment, ms) are taken out one by one;
// then the rows go ($1: earliest kept, ms).
extern const char *const kPurgeCounters;
extern const char *const kSelectPurgedOfDay;
extern const char *const kPurgeRegistrations;

} // namespace registrations::storage::sql
