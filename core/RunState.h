#pragma once

#include "dat/HourlyRecords.h"
#include "db/SourcesDatabase.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

namespace tarnwick {

inline const QString DefaultDatFolder = QStringLiteral("V:\\VALMORO\\EPA_DATA\\2000\\3\\");

// One file of a batch: a ".DAT" file, or a member of a zip file.
struct DatFile {
    // As captions show it: relative to the folder, '/' between folders, and a member as
    // "<zip>:<member>" (2000/q3/3_2000q3.zip:3_2000q3.DAT).
    QString Name;
    DatPath Path;  // what is read
    QString Fault; // why it cannot be read, found while listing: the file fails with it
};

// The state of one program run, owned by the window or by the headless runner and never
// saved.
struct RunState {
    // Used as a plain prefix: "*.DAT" and the file names are appended as they stand.
    QString DatFolder = DefaultDatFolder;
    std::vector<DatFile> DatFileList; // the last listing that found files
    bool IncludeSubfolders = false;   // the folders below DatFolder too
    bool SkipLoadedFiles = false;     // skip a file LOADS holds with the same bytes
    QString DatabasePath;
    std::unique_ptr<tarnwick::SourcesDatabase> SourcesDatabase;
    // The five row counts as last shown, by CountedTable: read from the database, plus the rows
    // the files since have added.
    std::array<qint64, 5> RecordCounts{};
    bool RecordCountsRead = false;
    // False where no count is ever shown (the runner's batches): the counts are then not read,
    // which costs a pass over each table at the start and at the end of every batch.
    bool ShowsRecordCounts = true;
    ReaderState Reader; // CurrentFacilityId and the record lists
};

} // namespace tarnwick
