#pragma once

#include "BatchUi.h"
#include "Dialogs.h"
#include "MainWindowLayout.h"

class QWidget;

namespace tarnwick {

// What the batch commands show, on frmMain's controls. Every change is repainted at once,
// as the commands run on the window's thread without returning to the event loop.
class WidgetBatchUi : public BatchUi {
public:
    WidgetBatchUi(const MainWindowControls& controls, Dialogs& dialogs, QWidget* window);

    void ShowMessage(const QString& text, MessageIcon icon) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override;

    void SetFolderCaption(const QString& folder) override;
    void SetProgressPanelVisible(bool visible) override;
    void SetExtractingCaption(const QString& caption) override;
    void SetFileNumberCaption(const QString& caption) override;
    void SetFileProgress(float value) override;
    void SetRecordProgress(float value) override;
    void ShowRecordCount(CountedTable table, qint64 count) override;

    // Also used by the window for the database location.
    static void ShowCaption(QLabel& label, const QString& caption);

private:
    static void ShowValue(QProgressBar& bar, float value);

    const MainWindowControls& Controls;
    Dialogs& WindowDialogs;
    QWidget* Window;
};

// Paints `control` now, and lets the window repaint when it is uncovered; input waits.
void RepaintNow(QWidget& control);

} // namespace tarnwick
