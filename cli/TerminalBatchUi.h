#pragma once

#include "core/BatchUi.h"

#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <ostream>

namespace tarnwick {

// Texts reach the terminal as UTF-8.
std::ostream& operator<<(std::ostream& stream, const QString& text);

// The batch user interface of the headless runner. Progress goes to the error stream: on a
// terminal one line redrawn in place, otherwise one plain line per file. Warnings and
// critical messages go to the error stream at once. There is no input box: every question is
// answered as if cancelled.
class TerminalBatchUi : public BatchUi {
public:
    // `stopRequested` tells whether the user asked the batch to stop after the current file;
    // `now` reads a steady clock in seconds, by default the system's.
    TerminalBatchUi(std::ostream& out, std::ostream& err, bool interactive,
                    std::function<bool()> stopRequested = {}, std::function<double()> now = {});

    void ShowMessage(const QString& text, MessageIcon icon) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override;

    void FolderChanged(const QString&) override {}
    void RecordCounted(CountedTable table, qint64 count) override;
    void FileStarting(const FileStep& step) override;
    void FileExtracted(const FileStep& step) override;
    void FileSkipped(const FileStep& step) override;
    void RecordsWritten(qint64 records) override { Records += records; }
    void BatchFinished(const BatchOutcome& outcome) override;
    void SetRecordProgress(float value) override;
    bool StopRequested() override;

    // Information messages wait for the end of the command: after a success they go to the
    // output stream, after a failure (no ".DAT" file found, say) they are part of the failure
    // report on the error stream.
    void ReleaseInformation(bool commandSucceeded);

    // The counts last shown, indexed by CountedTable.
    qint64 RecordCount(CountedTable table) const;

private:
    // `filesDone`: the files before the current one are done, and this share of it.
    void ShowFile(const FileStep& step, double filesDone);
    void DrawProgressLine();
    void EndProgressLine();

    std::ostream& Out;
    std::ostream& Err;
    const bool Interactive;
    std::function<bool()> AskedToStop;

    FileStep Current;
    double FilesDone = 0; // whole files, and a share of the current one
    float RecordProgressValue = 0;
    std::function<double()> Now;
    std::optional<double> Started; // when the first file started
    bool ProgressLineOpen = false; // a redrawn line without its line end is on the terminal
    qsizetype DrawnWidth = 0;
    QStringList PendingInformation;
    std::array<qint64, 5> Counts{};
    qint64 Records = 0; // hourly records written so far
    int Skipped = 0;    // files skipped, which take no time
};

} // namespace tarnwick
