#include "gui/QueuedBatchUi.h"

namespace tarnwick {

template <typename Call> void QueuedBatchUi::Post(Call call) {
    QMetaObject::invokeMethod(Context, std::move(call), Qt::QueuedConnection);
}

template <typename Call> void QueuedBatchUi::Wait(Call call) {
    QMetaObject::invokeMethod(Context, std::move(call), Qt::BlockingQueuedConnection);
}

void QueuedBatchUi::ShowMessage(const QString& text, MessageIcon icon) {
    Wait([this, text, icon] { Target.ShowMessage(text, icon); });
}

std::optional<QString> QueuedBatchUi::AskText(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer) {
    std::optional<QString> answer;
    Wait([&] { answer = Target.AskText(prompt, title, defaultAnswer); });
    return answer;
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

void QueuedBatchUi::RecordsWritten(qint64 records) {
    Post([this, records] { Target.RecordsWritten(records); });
}

void QueuedBatchUi::BatchFinished(const BatchOutcome& outcome) {
    Post([this, outcome] { Target.BatchFinished(outcome); });
}

void QueuedBatchUi::SetRecordProgress(float value) {
    Post([this, value] { Target.SetRecordProgress(value); });
}

} // namespace tarnwick
