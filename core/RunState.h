#pragma once

#include "dat/HourlyRecords.h"
#include "db/SourcesDatabase.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace tarnwick {

inline const QString DefaultDatFolder = QStringLiteral("V:\\VALMORO\\EPA_DATA\\2000\\3\\");

// The state of one program run, owned by the window or by the headless runner and never
// saved.
struct RunState {
    // Used as a plain prefix: "*.DAT" and the file names are appended as they stand.
    QString DatFolder = DefaultDatFolder;
    QStringList DatFileList; // bare names of the last listing that found files
    QString DatabasePath;
    std::unique_ptr<tarnwick::SourcesDatabase> SourcesDatabase;
    // The five row counts as last shown, by CountedTable: read from the database, plus the rows
    // the files since have added.
    std::array<qint64, 5> RecordCounts{};
    bool RecordCountsRead = false;
    ReaderState Reader; // CurrentFacilityId and the record lists
};

} // namespace tarnwick
