#include "WidgetBatchUi.h"

#include "AboutBox.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>

namespace tarnwick {

void RepaintNow(QWidget& control) {
    control.repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WidgetBatchUi::WidgetBatchUi(const MainWindowControls& controls, Dialogs& dialogs, QWidget* window)
    : Controls(controls), WindowDialogs(dialogs), Window(window) {}

void WidgetBatchUi::ShowMessage(const QString& text, MessageIcon icon) {
    WindowDialogs.ShowMessage(Window, ApplicationTitle, text, icon);
}

std::optional<QString> WidgetBatchUi::AskText(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer) {
    return WindowDialogs.AskText(Window, title, prompt, defaultAnswer);
}

void WidgetBatchUi::ShowCaption(QLabel& label, const QString& caption) {
    label.setText(caption);
    RepaintNow(label);
}

void WidgetBatchUi::ShowValue(QProgressBar& bar, float value) {
    bar.setValue(qRound(value));
    RepaintNow(bar);
}

void WidgetBatchUi::SetFolderCaption(const QString& folder) {
    ShowCaption(*Controls.lblExtractFrom2, folder);
}

void WidgetBatchUi::SetProgressPanelVisible(bool visible) {
    Controls.fraProgress->setVisible(visible);
    // A hidden panel leaves its place to be painted by the window behind it.
    RepaintNow(visible ? *Controls.fraProgress : *Controls.fraProgress->parentWidget());
}

void WidgetBatchUi::SetExtractingCaption(const QString& caption) {
    ShowCaption(*Controls.lblExtractingRecordNum, caption);
}

void WidgetBatchUi::SetFileNumberCaption(const QString& caption) {
    ShowCaption(*Controls.lblNumofFiles2, caption);
}

void WidgetBatchUi::SetFileProgress(float value) {
    ShowValue(*Controls.prgExtractFiles, value);
}

void WidgetBatchUi::SetRecordProgress(float value) {
    ShowValue(*Controls.prgExtractRecords, value);
}

void WidgetBatchUi::ShowRecordCount(CountedTable table, qint64 count) {
    ShowCaption(*Controls.CountValue(table), QString::number(count));
}

} // namespace tarnwick
