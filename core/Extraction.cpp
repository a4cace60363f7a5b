#include "core/Extraction.h"

#include "dat/HourlyReader.h"
#include "dat/ZipArchive.h"
#include "db/FoldingDatabase.h"
#include "db/LoadsTable.h"
#include "quarterly/QuarterlyReader.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <map>

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
    if (!state.ShowsRecordCounts) {
        DatabaseForNextFile(state);
        return;
    }
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
    if (!state.ShowsRecordCounts)
        return {};
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

FileStep StepOf(const std::vector<DatFile>& files, int i) {
    const int n = int(files.size());
    const QString& name = files[i - 1].Name;
    return {i,
            n,
            name,
            QStringLiteral("Processing .DAT file %1 of %2").arg(i).arg(n),
            QStringLiteral("Extracting records from: ") + name,
            float(double(i) / double(n) * 100.0)};
}

// The start both batches share: the folder's ".DAT" files, or none when the user was asked
// for another folder.
std::vector<DatFile> ListBatchFiles(RunState& state, BatchUi& ui, DatDirectory& directory) {
    if (ListDatFiles(state, ui, directory) == NoDatFiles)
        return {};
    return state.DatFileList;
}

// SHA-256 of a file's bytes; empty when it cannot be read, which its turn reports.
QByteArray Sha256Of(const DatPath& path) {
    try {
        DatFileReader reader(path);
        reader.SkipToEnd();
        return reader.Sha256();
    } catch (const Error&) {
        return {};
    }
}

// The files LOADS holds for one kind of batch, by path and member.
class LoadedFiles {
public:
    void Read(SourcesDatabase& database, const QString& batch) {
        for (FileLoad& load : database.ReadLoads(batch))
            Loads[{load.Path, load.Member}].push_back(std::move(load));
    }

    // The facility a file leaves when it is skipped: LOADS holds it with the same bytes, and
    // the facility carried into it cannot change its rows (it has a "100" record of its own,
    // as its facility differs from the one carried in then, or that one is carried in again).
    // The bytes are hashed unless the file is surely as it was when loaded.
    std::optional<qint32> Skip(const DatFile& file, qint32 carried) const {
        const auto found = Loads.find({StoredPath(file.Path.File), StoredText(file.Path.Member)});
        if (found == Loads.end() || !file.Fault.isEmpty())
            return std::nullopt;
        const QString stamp = IdentityText(file.Path.File);
        std::optional<QByteArray> sha256;
        for (const FileLoad& load : found->second) {
            if (load.FacilityId == load.CarriedFacilityId && load.CarriedFacilityId != carried)
                continue;
            if (!sha256 && !stamp.isEmpty() && load.FileStamp == stamp)
                sha256 = load.Sha256;
            if (!sha256)
                sha256 = Sha256Of(file.Path);
            if (load.Sha256 == *sha256)
                return load.FacilityId;
        }
        return std::nullopt;
    }

private:
    std::map<std::pair<QString, QString>, std::vector<FileLoad>> Loads;
};

// What a batch keeps of LOADS: the files it holds, read once for skipping, and the database
// prepared (LOADS added to one made before it) once before the first file is written, so a
// batch that skips every file writes nothing.
struct BatchLoads {
    explicit BatchLoads(const char* batch) : Batch(QString::fromLatin1(batch)) {}
    void ReadLoaded(SourcesDatabase& database) {
        if (!LoadedRead)
            Loaded.Read(database, Batch);
        LoadedRead = true;
    }
    void Prepare(SourcesDatabase& database) {
        if (!Ready)
            database.PrepareForBatch();
        Ready = true;
    }
    // Records a file in LOADS inside its transaction, after its rows.
    FileWritten Recorder(const DatFile& file, SourcesDatabase& database,
                         const ReaderState& reader) const {
        return [this, &file, &database, &reader,
                carried = reader.CurrentFacilityId](const FileRead& read) {
            FileLoad load;
            load.Batch = Batch;
            load.Path = file.Path.File;
            load.Member = file.Path.Member;
            load.Size = read.Size;
            load.Sha256 = read.Sha256;
            load.FileStamp = read.Stamp.SettledText();
            load.FacilityId = reader.CurrentFacilityId;
            load.CarriedFacilityId = carried;
            database.RecordLoad(load);
        };
    }

    QString Batch;
    bool LoadedRead = false;
    bool Ready = false;
    LoadedFiles Loaded;
};

// A file checked ahead of its turn for skipping, with the facility carried into it then.
struct SkipCheck {
    int Index = 0;
    qint32 Carried = 0;
    std::optional<qint32> Skip;
};

// Counts a file skipped as loaded before; the next file starts from the facility it left.
void SkipLoadedFile(qint32 facilityLeft, RunState& state, BatchOutcome& outcome, BatchUi& ui,
                    const FileStep& step) {
    state.Reader.CurrentFacilityId = facilityLeft;
    ++outcome.FilesSkipped;
    ui.FileSkipped(step);
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
void ForEachFile(const std::vector<DatFile>& files, BatchUi& ui, BatchOutcome& outcome,
                 Extract extract) {
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

// "... successufully extracted from n .DAT files", how many were skipped, and when the user
// stopped the batch, how many files were left.
QString CompletionMessage(const char* start, int extracted, const BatchOutcome& outcome,
                          int failed = 0) {
    QString message =
        QLatin1String(start) + QString::number(extracted) + QStringLiteral(" .DAT files");
    if (outcome.FilesSkipped > 0)
        message += QStringLiteral("\n\n%1 .DAT files were skipped: they were loaded before and "
                                  "have not changed.")
                       .arg(outcome.FilesSkipped);
    if (outcome.Cancelled)
        message +=
            QStringLiteral("\n\nThe batch was stopped as asked; the remaining %1 of %2 "
                           ".DAT files were not processed.")
                .arg(outcome.FilesListed - outcome.FilesExtracted - outcome.FilesSkipped - failed)
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

std::vector<DatFile> ExpandZips(const QString& folder, const std::vector<ListedFile>& listed) {
    std::vector<DatFile> files;
    for (const ListedFile& file : listed) {
        const QString path = folder + file.Name;
        if (!file.Fault.isEmpty() || !IsZipName(file.Name)) {
            files.push_back({file.Name, DatPath(path), file.Fault});
            continue;
        }
        const ZipListing zip = ListZip(path, path);
        if (!zip.Fault.isEmpty())
            files.push_back({file.Name, DatPath(path), zip.Fault});
        for (const ZipMember& member : zip.Members)
            files.push_back({file.Name + u':' + SafeMemberName(member.Name),
                             DatPath(path, member.Name, member.Index), member.Fault});
    }
    return files;
}

int ListDatFiles(RunState& state, BatchUi& ui, DatDirectory& directory) {
    std::vector<DatFile> files =
        ExpandZips(state.DatFolder, directory.List(state.DatFolder, state.IncludeSubfolders));
    if (!files.empty()) {
        state.DatFileList = std::move(files);
        return int(state.DatFileList.size());
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
    if (!state.ShowsRecordCounts)
        return;
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
    const std::vector<DatFile> files = ListBatchFiles(state, ui, directory);
    outcome.FilesListed = int(files.size());
    if (outcome.FilesListed == 0)
        return outcome;
    QString failure;
    bool databaseUnreachable = false;
    BatchLoads loads("hourly");
    HourlyReadAhead ahead;
    int aheadIndex = 0; // the file being read ahead
    SkipCheck checked;  // the file after the one written, checked before it was read ahead
    ForEachFile(files, ui, outcome, [&](const FileStep& step) {
        const DatFile& file = files[step.Index - 1];
        const QString path = state.DatFolder + step.FileName;
        try {
            qint32& facility = state.Reader.CurrentFacilityId;
            if (state.SkipLoadedFiles) {
                loads.ReadLoaded(OpenDatabase(state));
                const std::optional<qint32> skip =
                    checked.Index == step.Index && checked.Carried == facility
                        ? checked.Skip
                        : loads.Loaded.Skip(file, facility);
                if (skip) {
                    if (aheadIndex == step.Index)
                        ahead.Take(); // read ahead with another facility carried in
                    aheadIndex = 0;
                    SkipLoadedFile(*skip, state, outcome, ui, step);
                    return true;
                }
            }
            ui.SetRecordProgress(10);
            ShowCountsBeforeFile(state, ui);
            ui.FileStarting(step);
            SourcesDatabase& database = *state.SourcesDatabase;
            loads.Prepare(database);
            if (!file.Fault.isEmpty())
                throw Error(file.Fault, FailureKind::File);
            if (aheadIndex != step.Index)
                ahead.Start(file.Path, facility, database.NewFolder(), {});
            aheadIndex = 0;
            HourlyFileAhead read = ahead.Take();
            // The next file is read while this one is written, into the last one's lists, unless
            // it is to be skipped.
            if (step.Index < step.Count && files[step.Index].Fault.isEmpty()) {
                const DatFile& next = files[step.Index];
                const qint32 carried = read.Reader.CurrentFacilityId;
                checked = {step.Index + 1, carried,
                           state.SkipLoadedFiles ? loads.Loaded.Skip(next, carried) : std::nullopt};
                if (!checked.Skip) {
                    ahead.Start(next.Path, carried, database.NewFolder(),
                                std::move(state.Reader.Lists));
                    aheadIndex = step.Index + 1;
                }
            }
            ExtractHourlyFile(read, state.Reader, database, ui,
                              loads.Recorder(file, database, state.Reader));
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
                          outcome.FilesExtracted, outcome);
    if (outcome.CountsFailed)
        message += CountFailureText(countFailure);
    ui.ShowMessage(message, outcome.CountsFailed ? MessageIcon::Warning : MessageIcon::Information);
    return outcome;
}

BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory) {
    BatchOutcome outcome;
    const std::vector<DatFile> files = ListBatchFiles(state, ui, directory);
    outcome.FilesListed = int(files.size());
    if (outcome.FilesListed == 0)
        return outcome;
    QStringList failures;
    BatchLoads loads("quarterly");
    ForEachFile(files, ui, outcome, [&](const FileStep& step) {
        const DatFile& file = files[step.Index - 1];
        const QString path = state.DatFolder + step.FileName;
        try {
            SourcesDatabase& database = OpenDatabase(state);
            if (state.SkipLoadedFiles) {
                loads.ReadLoaded(database);
                if (const std::optional<qint32> skip =
                        loads.Loaded.Skip(file, state.Reader.CurrentFacilityId)) {
                    SkipLoadedFile(*skip, state, outcome, ui, step);
                    return true;
                }
            }
            loads.Prepare(database);
            if (!file.Fault.isEmpty())
                throw Error(file.Fault, FailureKind::File);
            ExtractQuarterlyFile(file.Path, state.Reader, database, ui,
                                 loads.Recorder(file, database, state.Reader));
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
                                        outcome.FilesExtracted, outcome, int(failures.size()));
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
