#pragma once

#include "dat/RecordProgress.h"

#include <QString>
#include <optional>

namespace tarnwick {

enum class MessageIcon { None, Information, Warning, Critical };

// The five tables whose row counts the window shows, in the order they are refreshed.
enum class CountedTable { Facilities, Units, Fuels, Quarters, Emissions };

// The caption beside a table's row count, e.g. "Facilities records:".
QString RecordCountCaption(CountedTable table);

// One file of a batch as the progress panel shows it, its texts formatted by the batch.
struct FileStep {
    int Index = 0; // 1-based
    int Count = 0;
    QString FileName;
    QString FileNumberCaption; // "Processing .DAT file 3 of 12"
    QString ExtractingCaption; // "Extracting records from: 009813.DAT"
    float BatchProgress = 0;   // Index / Count x 100
};

// What a batch did.
struct BatchOutcome {
    int FilesListed = 0;       // 0 when no ".DAT" file was found
    int FilesExtracted = 0;    // files read and written without failure
    int FilesSkipped = 0;      // files LOADS holds with the same bytes, not read again
    bool Stopped = false;      // the hourly batch stopped at a failing file
    bool Cancelled = false;    // the user stopped the batch after a file
    bool CountsFailed = false; // the quarterly batch could not refresh the counts at its end
    bool Succeeded() const {
        return FilesListed > 0 && !Stopped && !Cancelled && !CountsFailed &&
               FilesExtracted + FilesSkipped == FilesListed;
    }
};

// What the batch commands show and ask, as events in the order they happen. The window
// implements it with widgets, the headless runner with the terminal, tests with scripted
// answers.
class BatchUi : public RecordProgress {
public:
    // A modal message box titled with the program's title.
    virtual void ShowMessage(const QString& text, MessageIcon icon) = 0;
    // A modal input box; std::nullopt when the user cancels.
    virtual std::optional<QString> AskText(const QString& prompt, const QString& title,
                                           const QString& defaultAnswer) = 0;

    // The ".DAT" folder is now `folder`.
    virtual void FolderChanged(const QString& folder) = 0;
    // One row count read, while the five are refreshed one by one.
    virtual void RecordCounted(CountedTable table, qint64 count) = 0;
    // The hourly batch is about to read a file; the quarterly batch has read one.
    virtual void FileStarting(const FileStep& step) = 0;
    virtual void FileExtracted(const FileStep& step) = 0;
    // A file skipped as loaded before with the same bytes, in place of the two above.
    virtual void FileSkipped(const FileStep& step) { Q_UNUSED(step); }
    // The hourly batch wrote a file of this many hourly records.
    virtual void RecordsWritten(qint64 records) { Q_UNUSED(records); }
    // The batch is over; its message, if any, follows.
    virtual void BatchFinished(const BatchOutcome& outcome) = 0;

    // Asked between files: true when the user wants the batch to stop after the file done.
    virtual bool StopRequested() { return false; }
};

} // namespace tarnwick
