#include "cli/BatchCommands.h"

#include "cli/StopSignals.h"
#include "cli/TerminalBatchUi.h"
#include "core/Extraction.h"
#include "db/SourcesDatabase.h"

#include <array>

namespace tarnwick {

namespace {

// Opens the database and reads the five counts, as the window does when a database is chosen.
bool OpenSourcesDatabase(RunState& state, BatchUi& ui, std::ostream& err) {
    try {
        RefreshRecordCounts(state, ui);
        return true;
    } catch (const std::exception& error) {
        err << QStringLiteral("The Sources database %1 could not be opened: %2")
                   .arg(state.DatabasePath, MessageOf(error))
            << '\n'
            << std::flush;
        return false;
    }
}

void CloseSourcesDatabase(RunState& state) {
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
}

} // namespace

int RunExtraction(Extraction extraction, const QString& databasePath, const QString& datFolder,
                  TerminalBatchUi& ui, std::ostream& err) {
    RunState state;
    state.DatabasePath = databasePath;
    state.DatFolder = datFolder;
    if (!OpenSourcesDatabase(state, ui, err))
        return ExitFailed;
    FileSystemDatDirectory directory;
    const BatchOutcome outcome = extraction == Extraction::Hourly
                                     ? ExtractHourlyData(state, ui, directory)
                                     : ExtractQuarterlyData(state, ui, directory);
    CloseSourcesDatabase(state);
    ui.ReleaseInformation(outcome.Succeeded() || outcome.Cancelled);
    if (outcome.Cancelled)
        return ExitStoppedBySignal + StopSignal();
    return outcome.Succeeded() ? ExitSucceeded : ExitFailed;
}

int RunInit(const QString& databasePath, std::ostream& out, std::ostream& err) {
    try {
        SourcesDatabase::Create(databasePath);
    } catch (const std::exception& error) {
        err << QStringLiteral("The Sources database %1 could not be created: %2")
                   .arg(databasePath, MessageOf(error))
            << '\n'
            << std::flush;
        return ExitFailed;
    }
    out << QStringLiteral("Created the Sources database %1").arg(databasePath) << '\n'
        << std::flush;
    return ExitSucceeded;
}

int RunCounts(const QString& databasePath, TerminalBatchUi& ui, std::ostream& out,
              std::ostream& err) {
    RunState state;
    state.DatabasePath = databasePath;
    if (!OpenSourcesDatabase(state, ui, err))
        return ExitFailed;
    CloseSourcesDatabase(state);
    constexpr std::array tables{CountedTable::Facilities, CountedTable::Units, CountedTable::Fuels,
                                CountedTable::Quarters, CountedTable::Emissions};
    for (CountedTable table : tables)
        out << RecordCountCaption(table) << ' ' << ui.RecordCount(table) << '\n';
    out << std::flush;
    return ExitSucceeded;
}

} // namespace tarnwick
