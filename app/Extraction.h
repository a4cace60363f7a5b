#pragma once

#include "BatchUi.h"
#include "RunState.h"

namespace tarnwick {

inline constexpr int NoDatFiles = -9999;

// What a batch did, for the headless runner's exit status.
struct BatchOutcome {
    int FilesListed = 0;       // 0 when no ".DAT" file was found
    int FilesExtracted = 0;    // files read and written without failure
    bool Stopped = false;      // the hourly batch stopped at a failing file
    bool CountsFailed = false; // the quarterly batch could not refresh the counts at its end
    bool Succeeded() const {
        return FilesListed > 0 && !Stopped && !CountsFailed && FilesExtracted == FilesListed;
    }
};

// Lists the ".DAT" files of `pattern` into state.DatFileList and returns their number; with
// none, asks for another folder and returns NoDatFiles.
int ListDatFiles(RunState& state, const QString& pattern, BatchUi& ui, DatDirectory& directory);

// Opens the database at state.DatabasePath anew and shows the five row counts one by one.
// Throws DatabaseError; a failing open keeps the previous database.
void RefreshRecordCounts(RunState& state, BatchUi& ui);

// "Change path to .DAT files": asks for the folder and confirms it.
void LocateDatFiles(RunState& state, BatchUi& ui);

// The two extraction commands over every ".DAT" file of state.DatFolder.
BatchOutcome ExtractHourlyData(RunState& state, BatchUi& ui, DatDirectory& directory);
BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory);

} // namespace tarnwick
