#pragma once

#include "dat/HourlyRecords.h"
#include "dat/RecordProgress.h"
#include "db/SourcesDatabase.h"

#include <future>
#include <memory>

namespace tarnwick {

// Reads one ".DAT" file into the seven hourly record lists, then runs the seven EMISSIONS
// writers in their fixed order, setting the per-file progress to k/7*100 after the k-th.
// The rows go in bulk unless `writes` asks for one statement at a time; either way they are
// the same rows, and a failure stops at the same statement with the same message.
// Throws Error (a file that cannot be opened or read; a failing statement, with the line of its
// record); the file is closed on every path. `written` runs in the file's transaction after its
// rows, on every run of its statements.
void ExtractHourlyFile(const DatPath& path, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, GroupMode writes = GroupMode::Bulk,
                       const FileWritten& written = {});

// A file read, and its statements folded, before its turn.
struct HourlyFileAhead {
    HourlyFileAhead();
    ~HourlyFileAhead();
    HourlyFileAhead(HourlyFileAhead&&) noexcept;
    HourlyFileAhead& operator=(HourlyFileAhead&&) noexcept;

    DatPath Path;
    qint32 FacilityIdBefore = 0;             // the CurrentFacilityId it was read with
    bool Read = false;                       // false: it is read again at its turn
    FileStamp Stamp;                         // of the file when read
    QByteArray Sha256;                       // of the bytes read
    qint64 Size = 0;                         // of the bytes read
    ReaderState Reader;                      // after reading it
    std::unique_ptr<FoldingDatabase> Folded; // null: its statements are folded at its turn
};

// Reads `path` into `lists` (whose room is used again) and, with `folder`, folds its
// statements: touches no database, so it runs on any thread. Never throws; what fails is done
// again at the file's turn.
HourlyFileAhead ReadHourlyFileAhead(const DatPath& path, qint32 facilityId,
                                    std::unique_ptr<FoldingDatabase> folder,
                                    HourlyRecordLists lists);

// ExtractHourlyFile(file.Path, ...) for a file read ahead: the same rows, progress and failures.
void ExtractHourlyFile(HourlyFileAhead& file, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, const FileWritten& written = {});

// Reads and folds the next file of a batch on a thread of its own while the current one is
// written, so that the program's work and the server's overlap.
class HourlyReadAhead {
public:
    HourlyReadAhead() = default;
    ~HourlyReadAhead();
    HourlyReadAhead(const HourlyReadAhead&) = delete;
    HourlyReadAhead& operator=(const HourlyReadAhead&) = delete;

    void Start(const DatPath& path, qint32 facilityId, std::unique_ptr<FoldingDatabase> folder,
               HourlyRecordLists lists);
    bool Started() const { return Next.valid(); }
    // Waits for the file started last.
    HourlyFileAhead Take();

private:
    std::future<HourlyFileAhead> Next;
};

} // namespace tarnwick
