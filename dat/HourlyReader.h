#pragma once

#include "HourlyRecords.h"
#include "RecordProgress.h"
#include "SourcesDatabase.h"

namespace tarnwick {

// Reads one ".DAT" file into the seven hourly record lists, then runs the seven EMISSIONS
// writers in their fixed order, setting the per-file progress to k/7*100 after the k-th.
// The rows go in bulk unless `writes` asks for one statement at a time; either way they are
// the same rows, and a failure stops at the same statement with the same message.
// Throws Error (a file that cannot be opened or read; a failing statement, with the line of its
// record); the file is closed on every path.
void ExtractHourlyFile(const QString& path, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, GroupMode writes = GroupMode::Bulk);

} // namespace tarnwick
