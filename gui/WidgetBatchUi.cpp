#include "gui/WidgetBatchUi.h"

#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "gui/RecentPlaces.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>

namespace tarnwick {

WidgetBatchUi::WidgetBatchUi(const MainWindowControls& controls, Dialogs& dialogs,
                             RecentPlaces& places, QWidget* window)
    : Controls(controls), WindowDialogs(dialogs), Places(places), Window(window) {}

void WidgetBatchUi::ShowMessage(const QString& text, MessageIcon icon) {
    WindowDialogs.ShowMessage(Window, ApplicationTitle, text, icon);
}

// The batches ask for nothing but the ".DAT" folder.
std::optional<QString> WidgetBatchUi::AskText(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer) {
    const QString used = Places.DatFolder();
    return WindowDialogs.AskFolder(Window, title, prompt, used.isEmpty() ? defaultAnswer : used);
}

void WidgetBatchUi::ShowCaption(QLabel& label, const QString& caption) {
    label.setText(caption);
    label.repaint();
}

void WidgetBatchUi::ShowPath(QLabel& label, const QString& path) {
    label.setToolTip(path);
    const int width = label.contentsRect().width() - 2 * label.margin();
    ShowCaption(label, label.fontMetrics().elidedText(path, Qt::ElideMiddle, width));
}

void WidgetBatchUi::ShowValue(QProgressBar& bar, float value) {
    bar.setValue(qRound(value));
    bar.repaint();
}

void WidgetBatchUi::ShowPanel(bool visible) {
    Controls.fraProgress->setVisible(visible);
    // A hidden panel leaves its place to be painted by the window behind it.
    (visible ? *Controls.fraProgress : *Controls.fraProgress->parentWidget()).repaint();
}

void WidgetBatchUi::FolderChanged(const QString& folder) {
    ShowPath(*Controls.lblExtractFrom2, folder);
    Places.SetDatFolder(folder);
}

void WidgetBatchUi::RecordCounted(CountedTable table, qint64 count) {
    ShowCaption(*Controls.CountValue(table), QString::number(count));
}

// The hourly batch shows the file's number before its name, the quarterly batch (after
// reading the file) its name first; both then move the batch bar.
void WidgetBatchUi::FileStarting(const FileStep& step) {
    ShowPanel(true);
    ShowCaption(*Controls.lblNumofFiles2, step.FileNumberCaption);
    ShowCaption(*Controls.lblExtractingRecordNum, step.ExtractingCaption);
    ShowValue(*Controls.prgExtractFiles, step.BatchProgress);
}

void WidgetBatchUi::FileExtracted(const FileStep& step) {
    ShowPanel(true);
    ShowCaption(*Controls.lblExtractingRecordNum, step.ExtractingCaption);
    ShowCaption(*Controls.lblNumofFiles2, step.FileNumberCaption);
    ShowValue(*Controls.prgExtractFiles, step.BatchProgress);
}

// A skipped file moves the batch on as a file read does.
void WidgetBatchUi::FileSkipped(const FileStep& step) {
    FileExtracted(step);
}

void WidgetBatchUi::BatchFinished(const BatchOutcome&) {
    ShowPanel(false);
}

void WidgetBatchUi::SetRecordProgress(float value) {
    ShowValue(*Controls.prgExtractRecords, value);
}

} // namespace tarnwick
