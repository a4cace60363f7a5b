#include "gui/QueuedBatchUi.h"

#include <cstdio>
#include <memory>

namespace tarnwick {

template <typename Call> void QueuedBatchUi::Post(Call call) {
    QMetaObject::invokeMethod(Context, std::move(call), Qt::QueuedConnection);
}

// Not a blocking queued call: the window's thread may be waiting for this one to finish.
template <typename Call> bool QueuedBatchUi::Wait(Call call) {
    auto done = std::make_shared<bool>(false); // under Lock
    {
        const std::lock_guard guard(Lock);
        if (Gone)
            return false;
    }
    Post([this, call = std::move(call), done] {
        call();
        const std::lock_guard guard(Lock);
        *done = true;
        Answered.notify_all();
    });
    std::unique_lock lock(Lock);
    Answered.wait(lock, [&] { return *done || Gone; });
    return *done;
}

void QueuedBatchUi::ShowMessage(const QString& text, MessageIcon icon) {
    if (Closing && (icon == MessageIcon::Information || icon == MessageIcon::None))
        return;
    if (!Wait([this, text, icon] { Target.ShowMessage(text, icon); }))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

std::optional<QString> QueuedBatchUi::AskText(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer) {
    // Kept apart from this frame, which a window that went away no longer waits for.
    auto answer = std::make_shared<std::optional<QString>>();
    Wait([this, answer, prompt, title, defaultAnswer] {
        *answer = Target.AskText(prompt, title, defaultAnswer);
    });
    return *answer;
}

void QueuedBatchUi::FolderChanged(const QString& folder) {
    Post([this, folder] { Target.FolderChanged(folder); });
}

void QueuedBatchUi::RecordCounted(CountedTable table, qint64 count) {
    Post([this, table, count] { Target.RecordCounted(table, count); });
}

void QueuedBatchUi::FileStarting(const FileStep& step) {
    Post([this, step] { Target.FileStarting(step); });
}

void QueuedBatchUi::FileExtracted(const FileStep& step) {
    Post([this, step] { Target.FileExtracted(step); });
}

void QueuedBatchUi::FileSkipped(const FileStep& step) {
    Post([this, step] { Target.FileSkipped(step); });
}

void QueuedBatchUi::RecordsWritten(qint64 records) {
    Post([this, records] { Target.RecordsWritten(records); });
}

void QueuedBatchUi::BatchFinished(const BatchOutcome& outcome) {
    Post([this, outcome] { Target.BatchFinished(outcome); });
}

void QueuedBatchUi::SetRecordProgress(float value) {
    Post([this, value] { Target.SetRecordProgress(value); });
}

void QueuedBatchUi::RequestStop(bool closing) {
    Closing = Closing || closing;
    StopAsked = true;
}

void QueuedBatchUi::ClearStop() {
    StopAsked = false;
    Closing = false;
}

void QueuedBatchUi::Shutdown() {
    StopAsked = true;
    const std::lock_guard guard(Lock);
    Gone = true;
    Answered.notify_all();
}

} // namespace tarnwick
