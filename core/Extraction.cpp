#include "core/Extraction.h"

#include "dat/HourlyReader.h"
#include "db/FoldingDatabase.h"
#include "quarterly/QuarterlyReader.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace tarnwick {

namespace {

const QString FolderPrompt =
    QStringLiteral("Please enter the path to the folder containing .DAT files to be processed");
const QString FolderTitle = QStringLiteral("Change path to .DAT files");

struct CountQuery {
    const char* Sql;
    const char* Field;
    CountedTable Table;
    const char* TableName; // as the database names it, in upper case
};

constexpr std::array<CountQuery, 5> CountQueries{{
    {"Select Count(*) as NbrFacilities From Facilities", "NbrFacilities", CountedTable::Facilities,
     "FACILITIES"},
    {"Select Count(*) as NbrUnits From Units", "NbrUnits", CountedTable::Units, "UNITS"},
    {"Select Count(*) as NbrFuels from Fuels", "NbrFuels", CountedTable::Fuels, "FUELS"},
    {"Select Count(*) as nbrQuarters from Quarters", "NbrQuarters", CountedTable::Quarters,
     "QUARTERS"},
    {"Select Count (*) as nbrEmissions from Emissions", "NbrEmissions", CountedTable::Emissions,
     "EMISSIONS"},
}};

// Opens the database at DatabasePath anew, so a connection lost earlier (a restarted server)
// does not outlive it. The new one is opened first: a failing open keeps the previous one.
SourcesDatabase& ReopenDatabase(RunState& state) {
    auto opened = SourcesDatabase::Open(state.DatabasePath);
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
    state.SourcesDatabase = std::move(opened);
    return *state.SourcesDatabase;
}

SourcesDatabase& OpenDatabase(RunState& state) {
    return state.SourcesDatabase ? *state.SourcesDatabase : ReopenDatabase(state);
}

// The open database when it is still there, else opened anew: a check that costs the same
// whatever the database holds, where opening it and counting its tables would not.
SourcesDatabase& DatabaseForNextFile(RunState& state) {
    if (state.SourcesDatabase && state.SourcesDatabase->StillThere())
        return *state.SourcesDatabase;
    return ReopenDatabase(state);
}

// Adds the rows the files written since the last call added, as the engine counted them.
void CountAddedRows(RunState& state) {
    if (!state.SourcesDatabase)
        return;
    for (const auto& [table, rows] : state.SourcesDatabase->TakeAddedRows())
        for (const CountQuery& query : CountQueries)
            if (table == QLatin1String(query.TableName))
                state.RecordCounts.at(std::size_t(query.Table)) += rows;
}

void ShowRecordCounts(const RunState& state, BatchUi& ui) {
    for (const CountQuery& query : CountQueries)
        ui.RecordCounted(query.Table, state.RecordCounts.at(std::size_t(query.Table)));
}

// Before an hourly file: the counts after the file before it. Read from the database only when
// they never were.
void ShowCountsBeforeFile(RunState& state, BatchUi& ui) {
    if (!state.RecordCountsRead)
        return RefreshRecordCounts(state, ui);
    DatabaseForNextFile(state);
    CountAddedRows(state);
    ShowRecordCounts(state, ui);
}

// A failure after which reading the counts would fail too, after waiting for the same lock.
bool Unreachable(const std::exception& error) {
    const auto* failure = dynamic_cast<const Error*>(&error);
    return failure && (failure->Kind == FailureKind::Locked || failure->Kind == FailureKind::Open ||
                       failure->Kind == FailureKind::ConnectionLost ||
                       failure->Kind == FailureKind::DatabaseGone);
}

// At a batch's end the counts are read from the database again, so they are exact whatever
// else wrote to it meanwhile. Returns why they could not be, or nothing.
QString RefreshCountsAtEnd(RunState& state, BatchUi& ui) {
    try {
        RefreshRecordCounts(state, ui);
        return {};
    } catch (const std::exception& error) {
        return MessageOf(error);
    }
}

void ForgetDatabase(RunState& state) {
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
    state.SourcesDatabase.reset();
}

// A second line for a folder that exists but lacks its final separator, so that "*.DAT" runs
// into its name: the folder that would work.
QString MissingSeparatorHint(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(QDir::separator()) ||
        !QFileInfo(folder).isDir())
        return {};
    return QStringLiteral("\n%1 is a folder, but lacks its final %2: enter %1%2 for the .DAT "
                          "files in it.")
        .arg(folder, QDir::separator());
}

FileStep StepOf(const QStringList& files, int i) {
    const int n = int(files.size());
    const QString& name = files[i - 1];
    return {i,
            n,
            name,
            QStringLiteral("Processing .DAT file %1 of %2").arg(i).arg(n),
            QStringLiteral("Extracting records from: ") + name,
            float(double(i) / double(n) * 100.0)};
}

// The start both batches share: the folder's ".DAT" files, or none when the user was asked
// for another folder.
QStringList ListBatchFiles(RunState& state, BatchUi& ui, DatDirectory& directory) {
    if (ListDatFiles(state, state.DatFolder + QStringLiteral("*.DAT"), ui, directory) == NoDatFiles)
        return {};
    return state.DatFileList;
}

// What an hourly failure leaves of its file: a statement that failed keeps the rows written
// before it; a file that could not be read, or a transaction that was lost, keeps none.
QString HourlyFailureMessage(const QString& path, const FileStep& step,
                             const std::exception& error) {
    const auto* failure = dynamic_cast<const Error*>(&error);
    const bool rowsBeforeKept = failure && failure->Line > 0 &&
                                failure->Kind != FailureKind::File &&
                                failure->Kind != FailureKind::ConnectionLost;
    const QString kept =
        rowsBeforeKept
            ? QStringLiteral(
                  "The rows of the files before it, and of this file up to line %1, stay "
                  "in the database")
                  .arg(failure->Line)
            : QStringLiteral("The rows of the files before it stay in the database, none of this "
                             "file's");
    return QStringLiteral("Hourly emissions data could not be extracted from %1 (file %2 of %3).\n"
                          "%4\n\n%5; the remaining files were not processed.")
        .arg(path)
        .arg(step.Index)
        .arg(step.Count)
        .arg(MessageOf(error), kept);
}

// Runs `extract` on each file in order while it returns true; between two files the user may
// have asked to stop.
template <typename Extract>
void ForEachFile(const QStringList& files, BatchUi& ui, BatchOutcome& outcome, Extract extract) {
    for (int i = 1; i <= int(files.size()); ++i) {
        if (i > 1 && ui.StopRequested()) {
            outcome.Cancelled = true;
            return;
        }
        if (!extract(StepOf(files, i)))
            return;
    }
}

qint64 HourlyRecordCount(const HourlyRecordLists& lists) {
    return qint64(lists.SO2ConcRecords.size() + lists.NOxConcRecords.size() +
                  lists.CO2ConcRecords.size() + lists.FlowRecords.size() +
                  lists.SO2MassRecords.size() + lists.NOxRateRecords.size() +
                  lists.CO2MassRecords.size());
}

QString CountFailureText(const QString& reason) {
    return QStringLiteral("\n\nThe record counts could not be refreshed: ") + reason;
}

// "... successufully extracted from n .DAT files", and when the user stopped the batch, how
// many files were left.
QString CompletionMessage(const char* start, int extracted, const BatchOutcome& outcome) {
    QString message =
        QLatin1String(start) + QString::number(extracted) + QStringLiteral(" .DAT files");
    if (outcome.Cancelled)
        message += QStringLiteral("\n\nThe batch was stopped as asked; the remaining %1 of %2 "
                                  ".DAT files were not processed.")
                       .arg(outcome.FilesListed - outcome.FilesExtracted)
                       .arg(outcome.FilesListed);
    return message;
}

} // namespace

QString RecordCountCaption(CountedTable table) {
    switch (table) {
    case CountedTable::Facilities:
        return QStringLiteral("Facilities records:");
    case CountedTable::Units:
        return QStringLiteral("Unit records:");
    case CountedTable::Fuels:
        return QStringLiteral("Fuel records:");
    case CountedTable::Quarters:
        return QStringLiteral("Quarterly Records:");
    case CountedTable::Emissions:
        return QStringLiteral("Hourly Records:");
    }
    return {};
}

int ListDatFiles(RunState& state, const QString& pattern, BatchUi& ui, DatDirectory& directory) {
    const QStringList names = directory.List(pattern);
    if (!names.isEmpty()) {
        state.DatFileList = names;
        return int(names.size());
    }
    ui.ShowMessage(QStringLiteral("You have not specified a valid .DAT file directory.") +
                       MissingSeparatorHint(state.DatFolder),
                   MessageIcon::Information);
    // The default answer is the fixed folder every time, not the current one. Cancel keeps
    // the folder.
    if (const auto answer = ui.AskText(FolderPrompt, FolderTitle, DefaultDatFolder)) {
        state.DatFolder = *answer;
        ui.FolderChanged(state.DatFolder);
    }
    return NoDatFiles;
}

void RefreshRecordCounts(RunState& state, BatchUi& ui) {
    SourcesDatabase& database = ReopenDatabase(state);
    state.RecordCountsRead = false;
    for (const CountQuery& query : CountQueries) {
        const QVariant count =
            database.ReadField(QString::fromLatin1(query.Sql), QString::fromLatin1(query.Field));
        state.RecordCounts.at(std::size_t(query.Table)) = count.toLongLong();
        ui.RecordCounted(query.Table, count.toLongLong());
    }
    state.RecordCountsRead = true;
}

void LocateDatFiles(RunState& state, BatchUi& ui) {
    const auto answer = ui.AskText(FolderPrompt, FolderTitle, state.DatFolder);
    if (!answer)
        return; // Cancel keeps the folder and confirms nothing
    state.DatFolder = *answer;
    ui.ShowMessage(QStringLiteral("Path to data has been selected as: ") + state.DatFolder,
                   MessageIcon::None);
    ui.FolderChanged(state.DatFolder);
}

BatchOutcome ExtractHourlyData(RunState& state, BatchUi& ui, DatDirectory& directory) {
    BatchOutcome outcome;
    const QStringList files = ListBatchFiles(state, ui, directory);
    outcome.FilesListed = int(files.size());
    if (outcome.FilesListed == 0)
        return outcome;
    QString failure;
    bool databaseUnreachable = false;
    HourlyReadAhead ahead;
    ForEachFile(files, ui, outcome, [&](const FileStep& step) {
        const QString path = state.DatFolder + step.FileName;
        try {
            ui.SetRecordProgress(10);
            ShowCountsBeforeFile(state, ui);
            ui.FileStarting(step);
            SourcesDatabase& database = *state.SourcesDatabase;
            if (!ahead.Started())
                ahead.Start(path, state.Reader.CurrentFacilityId, database.NewFolder(), {});
            HourlyFileAhead file = ahead.Take();
            // The next file is read while this one is written, into the last one's lists.
            if (step.Index < step.Count)
                ahead.Start(state.DatFolder + files[step.Index], file.Reader.CurrentFacilityId,
                            database.NewFolder(), std::move(state.Reader.Lists));
            ExtractHourlyFile(file, state.Reader, database, ui);
            CountAddedRows(state);
            ++outcome.FilesExtracted;
            ui.RecordsWritten(HourlyRecordCount(state.Reader.Lists));
            return true;
        } catch (const std::exception& error) {
            // Everything executed before the failure stays; the remaining files are not read.
            outcome.Stopped = true;
            failure = HourlyFailureMessage(path, step, error);
            databaseUnreachable = Unreachable(error);
            return false;
        }
    });
    // After a failure its message tells what is wrong, also when the counts cannot be read. A
    // database that could not be reached would keep the user waiting for nothing: the counts
    // shown are then the batch's own.
    QString countFailure;
    if (databaseUnreachable)
        ShowRecordCounts(state, ui);
    else
        countFailure = RefreshCountsAtEnd(state, ui);
    outcome.CountsFailed = !countFailure.isEmpty() && !outcome.Stopped;
    ui.BatchFinished(outcome);
    if (outcome.Stopped) {
        ui.ShowMessage(failure, MessageIcon::Critical);
        return outcome;
    }
    QString message =
        CompletionMessage("Hourly emissions data has been successufully extracted from ",
                          outcome.Cancelled ? outcome.FilesExtracted : outcome.FilesListed, outcome);
    if (outcome.CountsFailed)
        message += CountFailureText(countFailure);
    ui.ShowMessage(message, outcome.CountsFailed ? MessageIcon::Warning : MessageIcon::Information);
    return outcome;
}

BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory) {
    BatchOutcome outcome;
    const QStringList files = ListBatchFiles(state, ui, directory);
    outcome.FilesListed = int(files.size());
    if (outcome.FilesListed == 0)
        return outcome;
    QStringList failures;
    ForEachFile(files, ui, outcome, [&](const FileStep& step) {
        const QString path = state.DatFolder + step.FileName;
        try {
            ExtractQuarterlyFile(path, state.Reader, OpenDatabase(state), ui);
            CountAddedRows(state);
            ++outcome.FilesExtracted;
        } catch (const std::exception& error) {
            CountAddedRows(state); // the rows before the failing statement stay
            // A failing file ends there; the batch goes on with the next one, which opens the
            // database anew in case the connection is what failed.
            failures << path + QStringLiteral(": ") + MessageOf(error);
            const auto* failure = dynamic_cast<const Error*>(&error);
            if (!failure || failure->Kind != FailureKind::File)
                ForgetDatabase(state);
        }
        ui.FileExtracted(step);
        return true;
    });
    const QString countFailure = RefreshCountsAtEnd(state, ui);
    outcome.CountsFailed = !countFailure.isEmpty();
    ui.BatchFinished(outcome);
    QString message = CompletionMessage("Header information has been successufully extracted from ",
                                        outcome.FilesExtracted, outcome);
    if (!failures.isEmpty()) {
        message += QStringLiteral("\n\n%1 of %2 .DAT files could not be extracted:\n")
                       .arg(failures.size())
                       .arg(outcome.FilesListed) +
                   failures.join(QLatin1Char('\n'));
    }
    if (!countFailure.isEmpty())
        message += CountFailureText(countFailure);
    const bool anyFault = !failures.isEmpty() || !countFailure.isEmpty();
    ui.ShowMessage(message, anyFault ? MessageIcon::Warning : MessageIcon::Information);
    return outcome;
}

} // namespace tarnwick
