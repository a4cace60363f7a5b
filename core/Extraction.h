#pragma once

#include "core/BatchUi.h"
#include "core/DatDirectory.h"
#include "core/RunState.h"

namespace tarnwick {

inline constexpr int NoDatFiles = -9999;

// Lists the ".DAT" files of `pattern` into state.DatFileList and returns their number; with
// none, asks for another folder and returns NoDatFiles.
int ListDatFiles(RunState& state, const QString& pattern, BatchUi& ui, DatDirectory& directory);

// Opens the database at state.DatabasePath anew and shows the five row counts one by one, as
// the database counts them. Throws Error; a failing open keeps the previous database.
void RefreshRecordCounts(RunState& state, BatchUi& ui);

// "Change path to .DAT files": asks for the folder and confirms it.
void LocateDatFiles(RunState& state, BatchUi& ui);

// The two extraction commands over every ".DAT" file of state.DatFolder. Between files they
// stop when the user asks (BatchUi::StopRequested), each file being complete. The hourly batch
// shows the row counts before each file: those read last plus the rows each file since added,
// so that a file costs the same however large the database. Both read the counts from the
// database once at their end.
BatchOutcome ExtractHourlyData(RunState& state, BatchUi& ui, DatDirectory& directory);
BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory);

} // namespace tarnwick
