#pragma once

#include "core/BatchUi.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tarnwick {

// The user interface of a batch that runs on a thread of its own: every call goes, in order,
// to `target` on the thread of `context` (the window's). Events do not wait; messages and
// questions wait for the user's answer, unless the window goes away first.
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
    void FileSkipped(const FileStep& step) override;
    void RecordsWritten(qint64 records) override;
    void BatchFinished(const BatchOutcome& outcome) override;
    void SetRecordProgress(float value) override;

    // From any thread: the batch stops after the file it is writing. With `closing`, the
    // user is closing the window: a batch that ends well says nothing more.
    void RequestStop(bool closing = false);
    void ClearStop();
    bool StopRequested() override { return StopAsked; }

    // From the window's thread as it goes away: nothing waits for it any more. The batch stops
    // after its file; questions are cancelled, and messages go to standard error.
    void Shutdown();

private:
    template <typename Call> void Post(Call call);
    // False when the window went away before answering.
    template <typename Call> bool Wait(Call call);

    BatchUi& Target;
    QObject* Context;
    std::atomic<bool> StopAsked{false};
    std::atomic<bool> Closing{false};
    std::mutex Lock;
    std::condition_variable Answered;
    bool Gone = false; // under Lock
};

} // namespace tarnwick
