#include "cli/BatchCommands.h"

#include "cli/StopSignals.h"
#include "cli/TerminalBatchUi.h"
#include "core/Extraction.h"
#include "db/LoadsTable.h"
#include "db/SourcesDatabase.h"

#include <QCommandLineParser>

#include <array>
#include <cstdio>
#include <unistd.h>

namespace tarnwick {

namespace {

// The progress line is drawn where the user watches it: on standard error.
TerminalBatchUi TerminalFor(const CommandCall& call) {
    return TerminalBatchUi(call.Out, call.Err, isatty(fileno(stderr)),
                           [] { return StopSignal() != 0; });
}

// Opens the database, and reads the five counts where they are shown, as the window does when a
// database is chosen.
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

// "The Sources database <db> could not be <what>: <why>" on the error stream; the command fails.
int DatabaseFailed(const CommandCall& call, const char* what, const std::exception& error) {
    call.Err << QStringLiteral("The Sources database %1 could not be %2: %3")
                    .arg(call.Operands.at(0), QLatin1String(what), MessageOf(error))
             << '\n'
             << std::flush;
    return ExitFailed;
}

void CloseSourcesDatabase(RunState& state) {
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
}

using Batch = BatchOutcome (*)(RunState&, BatchUi&, DatDirectory&);

int RunBatch(const CommandCall& call, Batch batch) {
    InstallStopSignals();
    TerminalBatchUi ui = TerminalFor(call);
    RunState state;
    state.DatabasePath = call.Operands.at(0);
    state.DatFolder = call.Operands.at(1);
    state.IncludeSubfolders = call.Options.isSet(QStringLiteral("recursive"));
    state.SkipLoadedFiles = call.Options.isSet(QStringLiteral("changed-only"));
    state.ShowsRecordCounts = false; // the runner prints none: they are not read
    if (!OpenSourcesDatabase(state, ui, call.Err))
        return ExitFailed;
    FileSystemDatDirectory directory;
    const BatchOutcome outcome = batch(state, ui, directory);
    CloseSourcesDatabase(state);
    ui.ReleaseInformation(outcome.Succeeded() || outcome.Cancelled);
    if (outcome.Cancelled)
        return ExitStoppedBySignal + StopSignal();
    return outcome.Succeeded() ? ExitSucceeded : ExitFailed;
}

} // namespace

int RunHourly(const CommandCall& call) {
    return RunBatch(call, ExtractHourlyData);
}

int RunQuarterly(const CommandCall& call) {
    return RunBatch(call, ExtractQuarterlyData);
}

int RunInit(const CommandCall& call) {
    const QString& databasePath = call.Operands.at(0);
    try {
        SourcesDatabase::Create(databasePath);
    } catch (const std::exception& error) {
        return DatabaseFailed(call, "created", error);
    }
    call.Out << QStringLiteral("Created the Sources database %1").arg(databasePath) << '\n'
             << std::flush;
    return ExitSucceeded;
}

int RunCounts(const CommandCall& call) {
    TerminalBatchUi ui = TerminalFor(call);
    RunState state;
    state.DatabasePath = call.Operands.at(0);
    if (!OpenSourcesDatabase(state, ui, call.Err))
        return ExitFailed;
    CloseSourcesDatabase(state);
    constexpr std::array tables{CountedTable::Facilities, CountedTable::Units, CountedTable::Fuels,
                                CountedTable::Quarters, CountedTable::Emissions};
    for (CountedTable table : tables)
        call.Out << RecordCountCaption(table) << ' ' << ui.RecordCount(table) << '\n';
    call.Out << std::flush;
    return ExitSucceeded;
}

int RunLoads(const CommandCall& call) {
    const QString& databasePath = call.Operands.at(0);
    std::vector<FileLoad> loads;
    try {
        const std::unique_ptr<SourcesDatabase> database = SourcesDatabase::Open(databasePath);
        loads = database->ReadLoads({});
        database->Close();
    } catch (const std::exception& error) {
        return DatabaseFailed(call, "read", error);
    }
    const QStringList heading{"LOADED (UTC)", "BATCH",      "FACILITY", "BYTES",
                              "EMISSIONS",    "FACILITIES", "UNITS",    "FUELS",
                              "QUARTERS",     "SHA-256",    "FILE"};
    std::vector<QStringList> rows{heading};
    for (const FileLoad& load : loads) {
        QStringList row{load.LoadedAt.toUTC().toString(Qt::ISODate), load.Batch,
                        QString::number(load.FacilityId), QString::number(load.Size)};
        for (const char* table : {"EMISSIONS", "FACILITIES", "UNITS", "FUELS", "QUARTERS"})
            row << QString::number(load.Added.at(QLatin1String(table)));
        row << QString::fromLatin1(load.Sha256) << DatPath(load.Path, load.Member).Shown();
        rows.push_back(row);
    }
    // Text columns to the left, numbers to the right; the file last, as long as it is.
    std::vector<qsizetype> widths(heading.size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const QStringList& row : rows) {
        QStringList cells;
        for (qsizetype i = 0; i < row.size(); ++i)
            cells << (i == row.size() - 1 ? row[i]
                      : i >= 2 && i <= 8  ? row[i].rightJustified(widths[i])
                                          : row[i].leftJustified(widths[i]));
        call.Out << cells.join(QStringLiteral("  ")) << '\n';
    }
    call.Out << std::flush;
    return ExitSucceeded;
}

} // namespace tarnwick
