#pragma once

#include "core/BatchUi.h"

#include <QObject>
#include <atomic>

namespace tarnwick {

// The user interface of a batch that runs on a thread of its own: every call goes, in order,
// to `target` on the thread of `context` (the window's). Events do not wait; messages and
// questions wait for the user's answer.
class QueuedBatchUi : public BatchUi {
public:
    QueuedBatchUi(BatchUi& target, QObject* context) : Target(target), Context(context) {}

    void ShowMessage(const QString& text, MessageIcon icon) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override;
    void FolderChanged(const QString& folder) override;
    void RecordCounted(CountedTable table, qint64 count) override;
    void FileStarting(const FileStep& step) override;
    void FileExtracted(const FileStep& step) override;
    void RecordsWritten(qint64 records) override;
    void BatchFinished(const BatchOutcome& outcome) override;
    void SetRecordProgress(float value) override;

    // From any thread: the batch stops after the file it is writing.
    void RequestStop() { StopAsked = true; }
    void ClearStop() { StopAsked = false; }
    bool StopRequested() override { return StopAsked; }

private:
    template <typename Call> void Post(Call call);
    template <typename Call> void Wait(Call call);

    BatchUi& Target;
    QObject* Context;
    std::atomic<bool> StopAsked{false};
};

} // namespace tarnwick
