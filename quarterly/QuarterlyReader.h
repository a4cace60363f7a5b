#pragma once

#include "dat/HourlyRecords.h"
#include "dat/RecordProgress.h"
#include "db/SourcesDatabase.h"

namespace tarnwick {

// Reads one ".DAT" file's header records and hourly CO2 and flow statistics and writes one row
// each to FACILITIES, UNITS, FUELS and QUARTERS. Sets the per-file progress to 10 and 100.
// Throws Error when the file fails; the file is closed on every path
// and no further row is written for it. `written` runs in the file's transaction after its rows.
void ExtractQuarterlyFile(const DatPath& path, ReaderState& state, SourcesDatabase& database,
                          RecordProgress& progress, const FileWritten& written = {});

} // namespace tarnwick
