#pragma once

// The stored registrations as a table a publisher can open: CSV (RFC 4180,
// UTF-8, one header row) or JSON Lines (one object per registration).

#include "registrations/mapping/questionnaire.h"
#include "registrations/storage/storage.h"

#include <cstdio>

namespace registrations::exporting {

enum class Format { Csv, Jsonl };

// Writes the registrations received at or after since (all when empty) to out.
// With a questionnaire, answers are columns of its questions, named by their
// texts; without one, columns are named by page and id as stored. False with
// the reason on a storage or write failure.
bool writeExport(storage::Storage &storage, const std::optional<QDateTime> &since, Format format,
                 const mapping::Questionnaire *questionnaire, std::FILE *out, QString *error);
// The same for the registrations received before until too (all when empty):
// the dashboard's download of a period.
bool writeExport(storage::Storage &storage, const std::optional<QDateTime> &since,
                 const std::optional<QDateTime> &until, Format format,
                 const mapping::Questionnaire *questionnaire, std::FILE *out, QString *error);

// One CSV cell, quoted when it must be. A text a spreadsheet would run as a
// formula is given a leading apostrophe.
QByteArray csvCell(const QString &text);

} // namespace registrations::exporting
