#pragma once

#include "BatchDatFiles.h"
#include "Extraction.h"
#include "ScriptedBatchUi.h"
#include "TestDatabases.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <ostream>

// Texts and values in failure messages. Qt's types live in the global namespace, where gtest
// finds these.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}
inline void PrintTo(const QVariant& value, std::ostream* out) {
    *out << (value.isNull() ? "NULL" : value.typeName()) << " \"" << value.toString() << '"';
}

// What the fault tests share: a batch user interface that lets a test break something at a
// chosen moment, a scratch ".DAT" folder, and the checks that nothing was lost.
namespace tarnwick::test {

// Records the batch like ScriptedBatchUi and calls the test back on every record progress
// value. Both readers report 100 once the rows of a file are committed, so FilesWritten is
// the number of files whose rows are safely in the database.
class HookedBatchUi : public ScriptedBatchUi {
public:
    void SetRecordProgress(float value) override;

    int FilesWritten = 0;
    std::function<void(float value)> OnRecordProgress;
};

// A listing fixed in advance, so that a listed file can be missing when the batch reaches it.
class ListedNamesDirectory : public DatDirectory {
public:
    explicit ListedNamesDirectory(QStringList names) : Names(std::move(names)) {}
    QStringList List(const QString&) override { return Names; }

private:
    QStringList Names;
};

// A temporary ".DAT" folder.
class ScratchDatFolder {
public:
    ScratchDatFolder();
    // The folder as the batch takes it: a prefix ending in '/'.
    QString Prefix() const { return Folder.path() + QLatin1Char('/'); }
    QString FilePath(const QString& name) const { return Folder.filePath(name); }
    void WriteLines(const QString& name, const QByteArrayList& lines) const;
    void WriteBytes(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir Folder;
};

// The five Sources tables with the columns that identify a row of each.
struct KeyedTable {
    const char* Name;
    const char* Key;
};
inline constexpr KeyedTable KeyedTables[] = {
    {"EMISSIONS", "FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR"},
    {"FACILITIES", "Facility_ID, Calendar_Year, Calendar_Quarter"},
    {"UNITS", "FACILITY_ID, UNIT_ID"},
    {"FUELS", "FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED"},
    {"QUARTERS", "FACILITY_ID, UNIT_ID, DATE_OF_REPORT"},
};

qint64 RowCount(const QString& database, const char* table, const QString& where = {});

// The condition that picks one facility's rows.
QString FacilityIs(int id);

// Rows that share their key with another row of the same table, over the five tables. A
// NULL in a key column groups with other NULLs, so a report kept twice for lack of a date
// counts too.
qint64 DuplicateKeyRows(const QString& database);

// The answer of PRAGMA integrity_check: "ok" for a sound file.
QString SqliteIntegrity(const QString& path);

// Values of a SQLite Sources database that do not have their column's type (SQLite stores
// whatever it is given): text in a number column, a date that is not a real day.
qint64 MistypedValues(const QString& path);

// A SQLite Sources database that passes its integrity check, holds no row twice and no value
// of the wrong type.
void ExpectSqliteSound(const QString& path);

// Closes the run's database if it has one open.
void CloseDatabase(RunState& state);

// A new program run over the same database and folder; the old run's database is closed.
RunState LaterRun(RunState& state);

// Both extractions over the folder as it now is, each expected to complete.
void ExpectBothExtractionsComplete(RunState& state, DatDirectory& listing);

// Every message box of the batch, in order, one per line.
QString Messages(const ScriptedBatchUi& ui);

// The hourly batch's failure message promises that the rows written before the failure stay.
// That is only true when they do.
bool PromisesRowsStay(const QString& message);

// The headless runner of this build, run as `user` when given (through runuser).
struct ProgramRun {
    bool Finished = false;
    int ExitCode = -1;
    QString Out;
    QString Err;
};
QString BatchProgram();
ProgramRun RunBatchProgram(const QStringList& arguments, const QString& user = {});

} // namespace tarnwick::test
