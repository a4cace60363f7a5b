#include "core/Extraction.h"

#include "dat/HourlyReader.h"
#include "db/FoldingDatabase.h"
#include "quarterly/QuarterlyReader.h"

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
};

constexpr std::array<CountQuery, 5> CountQueries{{
    {"Select Count(*) as NbrFacilities From Facilities", "NbrFacilities", CountedTable::Facilities},
    {"Select Count(*) as NbrUnits From Units", "NbrUnits", CountedTable::Units},
    {"Select Count(*) as NbrFuels from Fuels", "NbrFuels", CountedTable::Fuels},
    {"Select Count(*) as nbrQuarters from Quarters", "NbrQuarters", CountedTable::Quarters},
    {"Select Count (*) as nbrEmissions from Emissions", "NbrEmissions", CountedTable::Emissions},
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

void ForgetDatabase(RunState& state) {
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
    state.SourcesDatabase.reset();
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
    ui.ShowMessage(QStringLiteral("You have not specified a valid .DAT file directory."),
                   MessageIcon::Information);
    // The default answer is the fixed folder every time, not the current one.
    state.DatFolder = ui.AskText(FolderPrompt, FolderTitle, DefaultDatFolder).value_or(QString());
    ui.FolderChanged(state.DatFolder);
    return NoDatFiles;
}

void RefreshRecordCounts(RunState& state, BatchUi& ui) {
    SourcesDatabase& database = ReopenDatabase(state);
    for (const CountQuery& query : CountQueries) {
        const QVariant count =
            database.ReadField(QString::fromLatin1(query.Sql), QString::fromLatin1(query.Field));
        ui.RecordCounted(query.Table, count.toLongLong());
    }
}

void LocateDatFiles(RunState& state, BatchUi& ui) {
    state.DatFolder = ui.AskText(FolderPrompt, FolderTitle, state.DatFolder).value_or(QString());
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
    HourlyReadAhead ahead;
    ForEachFile(files, ui, outcome, [&](const FileStep& step) {
        const QString path = state.DatFolder + step.FileName;
        try {
            ui.SetRecordProgress(10);
            RefreshRecordCounts(state, ui);
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
            ++outcome.FilesExtracted;
            ui.RecordsWritten(HourlyRecordCount(state.Reader.Lists));
            return true;
        } catch (const std::exception& error) {
            // Everything executed before the failure stays; the remaining files are not read.
            outcome.Stopped = true;
            failure = HourlyFailureMessage(path, step, error);
            return false;
        }
    });
    if (outcome.Cancelled) {
        // The counts show the files done; should they fail, the message below still tells.
        try {
            RefreshRecordCounts(state, ui);
        } catch (const Error&) {
        }
    }
    ui.BatchFinished(outcome);
    if (outcome.Stopped)
        ui.ShowMessage(failure, MessageIcon::Critical);
    else
        ui.ShowMessage(
            CompletionMessage("Hourly emissions data has been successufully extracted from ",
                              outcome.Cancelled ? outcome.FilesExtracted : outcome.FilesListed,
                              outcome),
            MessageIcon::Information);
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
            ++outcome.FilesExtracted;
        } catch (const std::exception& error) {
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
    QString countFailure;
    try {
        RefreshRecordCounts(state, ui);
    } catch (const std::exception& error) {
        countFailure = MessageOf(error);
        outcome.CountsFailed = true;
    }
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
        message += QStringLiteral("\n\nThe record counts could not be refreshed: ") + countFailure;
    const bool anyFault = !failures.isEmpty() || !countFailure.isEmpty();
    ui.ShowMessage(message, anyFault ? MessageIcon::Warning : MessageIcon::Information);
    return outcome;
}

} // namespace tarnwick
