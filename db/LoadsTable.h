#pragma once

#include "db/SourcesDatabase.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace tarnwick {

class DatabaseConnection;
class TableCatalog;

// One file a batch loaded, as LOADS records it.
struct FileLoad {
    QString Batch;  // "hourly" or "quarterly"
    QString Path;   // the ".DAT" file, or the zip
    QString Member; // the member's name in the zip; empty for a file
    qint64 Size = 0;
    QByteArray Sha256;
    // The identity of the file (the zip, for a member) when read, if it had settled by then:
    // the same identity later says the same bytes. Empty when it had not.
    QString FileStamp;
    qint32 FacilityId = 0; // the facility its rows were written under
    // The facility carried in from the file before, which its rows take when it has no "100"
    // record: a file that leaves it unchanged may depend on it.
    qint32 CarriedFacilityId = 0;
    QDateTime LoadedAt; // as read back
    AddedRows Added;    // as read back: rows added to each of the five tables
};

// Text as LOADS keeps it: in UTF-8, so a name that is not is compared as it was stored.
QString StoredText(const QString& text);
// A path as LOADS keeps it: absolute, so that a folder given from another working folder names
// the same files.
QString StoredPath(const QString& path);

// Adds LOADS to a database made before it. Throws Error as a refused statement.
void AddLoadsTable(DatabaseConnection& connection, TableCatalog& catalog);

// Writes one row of LOADS with the rows `added` to each table. Throws Error.
void InsertLoad(DatabaseConnection& connection, const FileLoad& load, const AddedRows& added);

// The rows of LOADS of one batch kind (every kind when empty), oldest first; none where the
// table is missing. Throws Error.
std::vector<FileLoad> ReadLoads(DatabaseConnection& connection, TableCatalog& catalog,
                                const QString& batch);

} // namespace tarnwick
