#pragma once

#include <QString>
#include <ostream>

namespace tarnwick {

class TerminalBatchUi;

// The runner's exit statuses.
// An extraction stopped by a signal exits with 128 + the signal, as the shell reports it.
enum ExitStatus : int {
    ExitSucceeded = 0,
    ExitFailed = 1,
    ExitUsageError = 2,
    ExitStoppedBySignal = 128
};

enum class Extraction { Hourly, Quarterly };

// One program run of an extraction: opens the database, then runs the batch over the folder
// prefix exactly as given.
int RunExtraction(Extraction extraction, const QString& databasePath, const QString& datFolder,
                  TerminalBatchUi& ui, std::ostream& err);

// Creates the five tables of a new Sources database.
int RunInit(const QString& databasePath, std::ostream& out, std::ostream& err);

// Prints the five row counts, one per line, with the window's captions.
int RunCounts(const QString& databasePath, TerminalBatchUi& ui, std::ostream& out,
              std::ostream& err);

} // namespace tarnwick
