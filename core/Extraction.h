#pragma once

#include "core/BatchUi.h"
#include "core/DatDirectory.h"
#include "core/RunState.h"

namespace tarnwick {

inline constexpr int NoDatFiles = -9999;

// Lists the ".DAT" files of state.DatFolder (and of the folders below it with
// state.IncludeSubfolders), each zip as the members it holds, into state.DatFileList and returns
// their number; with none, asks for another folder and returns NoDatFiles.
int ListDatFiles(RunState& state, BatchUi& ui, DatDirectory& directory);

// What a listed file is read as: a ".DAT" file, or each member a batch reads of a zip.
std::vector<DatFile> ExpandZips(const QString& folder, const std::vector<ListedFile>& listed);

// Opens the database at state.DatabasePath anew and shows the five row counts one by one, as
// the database counts them (unless state.ShowsRecordCounts is false). Throws Error; a failing
// open keeps the previous database.
void RefreshRecordCounts(RunState& state, BatchUi& ui);

// "Change path to .DAT files": asks for the folder and confirms it.
void LocateDatFiles(RunState& state, BatchUi& ui);

// The two extraction commands over every ".DAT" file of state.DatFolder. Between files they
// stop when the user asks (BatchUi::StopRequested), each file being complete. Each file loaded
// is recorded in LOADS in the transaction of its rows; with state.SkipLoadedFiles, a file LOADS
// holds with the same bytes (for this kind of batch) is skipped. The hourly batch
// shows the row counts before each file: those read last plus the rows each file since added,
// so that a file costs the same however large the database. Both read the counts from the
// database once at their end.
BatchOutcome ExtractHourlyData(RunState& state, BatchUi& ui, DatDirectory& directory);
BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory);

} // namespace tarnwick
