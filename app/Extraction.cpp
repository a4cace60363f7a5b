#include "Extraction.h"

#include "DatFrame.h"
#include "HourlyReader.h"
#include "QuarterlyReader.h"

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

QString FileNumberCaption(int i, int n) {
    return QStringLiteral("Processing .DAT file %1 of %2").arg(i).arg(n);
}

QString ExtractingCaption(const QString& fileName) {
    return QStringLiteral("Extracting records from: ") + fileName;
}

float FileProgress(int i, int n) {
    return float(double(i) / double(n) * 100.0);
}

// Why a file failed, with the line of the file where the failing record came from.
QString FailureReason(const std::exception& error) {
    if (const auto* datError = dynamic_cast<const DatFileError*>(&error)) {
        if (datError->Line > 0)
            return QStringLiteral("Line %1: %2").arg(datError->Line).arg(datError->Message);
        return datError->Message;
    }
    if (const auto* databaseError = dynamic_cast<const DatabaseError*>(&error))
        return databaseError->Message;
    return QString::fromLocal8Bit(error.what());
}

// The start both batches share: list the folder's ".DAT" files.
int ListBatchFiles(RunState& state, BatchUi& ui, DatDirectory& directory) {
    return ListDatFiles(state, state.DatFolder + QStringLiteral("*.DAT"), ui, directory);
}

} // namespace

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
    ui.SetFolderCaption(state.DatFolder);
    return NoDatFiles;
}

void RefreshRecordCounts(RunState& state, BatchUi& ui) {
    SourcesDatabase& database = ReopenDatabase(state);
    for (const CountQuery& query : CountQueries) {
        const QVariant count =
            database.ReadField(QString::fromLatin1(query.Sql), QString::fromLatin1(query.Field));
        ui.ShowRecordCount(query.Table, count.toLongLong());
    }
}

void LocateDatFiles(RunState& state, BatchUi& ui) {
    state.DatFolder = ui.AskText(FolderPrompt, FolderTitle, state.DatFolder).value_or(QString());
    ui.ShowMessage(QStringLiteral("Path to data has been selected as: ") + state.DatFolder,
                   MessageIcon::None);
    ui.SetFolderCaption(state.DatFolder);
}

BatchOutcome ExtractHourlyData(RunState& state, BatchUi& ui, DatDirectory& directory) {
    BatchOutcome outcome;
    const int n = ListBatchFiles(state, ui, directory);
    if (n == NoDatFiles)
        return outcome;
    outcome.FilesListed = n;
    const QStringList files = state.DatFileList;
    for (int i = 1; i <= n; ++i) {
        const QString& fileName = files[i - 1];
        const QString path = state.DatFolder + fileName;
        try {
            ui.SetRecordProgress(10);
            RefreshRecordCounts(state, ui);
            ui.SetProgressPanelVisible(true);
            ui.SetFileNumberCaption(FileNumberCaption(i, n));
            ui.SetExtractingCaption(ExtractingCaption(fileName));
            ui.SetFileProgress(FileProgress(i, n));
            ExtractHourlyFile(path, state, *state.SourcesDatabase, ui);
            ++outcome.FilesExtracted;
        } catch (const std::exception& error) {
            // Everything executed before the failure stays; the remaining files are not read.
            outcome.Stopped = true;
            ui.SetProgressPanelVisible(false);
            ui.ShowMessage(QStringLiteral("Hourly emissions data could not be extracted from "
                                          "%1 (file %2 of %3).\n%4\n\nThe rows of the files "
                                          "before it stay in the database; the remaining "
                                          "files were not processed.")
                               .arg(path)
                               .arg(i)
                               .arg(n)
                               .arg(FailureReason(error)),
                           MessageIcon::Critical);
            return outcome;
        }
    }
    ui.SetProgressPanelVisible(false);
    ui.ShowMessage(QStringLiteral("Hourly emissions data has been successufully extracted from ") +
                       QString::number(n) + QStringLiteral(" .DAT files"),
                   MessageIcon::Information);
    return outcome;
}

BatchOutcome ExtractQuarterlyData(RunState& state, BatchUi& ui, DatDirectory& directory) {
    BatchOutcome outcome;
    const int n = ListBatchFiles(state, ui, directory);
    if (n == NoDatFiles)
        return outcome;
    outcome.FilesListed = n;
    const QStringList files = state.DatFileList;
    QStringList failures;
    for (int i = 1; i <= n; ++i) {
        const QString& fileName = files[i - 1];
        const QString path = state.DatFolder + fileName;
        try {
            ExtractQuarterlyFile(path, state, OpenDatabase(state), ui);
            ++outcome.FilesExtracted;
        } catch (const DatabaseError& error) {
            // The next file opens the database anew, in case the connection is what failed.
            failures << path + QStringLiteral(": ") + FailureReason(error);
            if (state.SourcesDatabase)
                state.SourcesDatabase->Close();
            state.SourcesDatabase.reset();
        } catch (const std::exception& error) {
            // A failing file ends there; the batch goes on with the next one.
            failures << path + QStringLiteral(": ") + FailureReason(error);
        }
        ui.SetProgressPanelVisible(true);
        ui.SetExtractingCaption(ExtractingCaption(fileName));
        ui.SetFileNumberCaption(FileNumberCaption(i, n));
        ui.SetFileProgress(FileProgress(i, n));
    }
    QString countFailure;
    try {
        RefreshRecordCounts(state, ui);
    } catch (const std::exception& error) {
        countFailure = FailureReason(error);
        outcome.CountsFailed = true;
    }
    ui.SetProgressPanelVisible(false);
    QString message = QStringLiteral("Header information has been successufully extracted from ") +
                      QString::number(outcome.FilesExtracted) + QStringLiteral(" .DAT files");
    if (!failures.isEmpty()) {
        message += QStringLiteral("\n\n%1 of %2 .DAT files could not be extracted:\n")
                       .arg(failures.size())
                       .arg(n) +
                   failures.join(QLatin1Char('\n'));
    }
    if (!countFailure.isEmpty())
        message += QStringLiteral("\n\nThe record counts could not be refreshed: ") + countFailure;
    const bool anyFault = !failures.isEmpty() || !countFailure.isEmpty();
    ui.ShowMessage(message, anyFault ? MessageIcon::Warning : MessageIcon::Information);
    return outcome;
}

} // namespace tarnwick
