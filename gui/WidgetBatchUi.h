#pragma once

#include "core/BatchUi.h"
#include "gui/MainWindowLayout.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace tarnwick {

class Dialogs;
class RecentPlaces;

// What the batch commands show, on frmMain's controls, each change repainted at once. The
// ".DAT" folder is kept in `places` whenever it changes, and offered when one is asked for.
class WidgetBatchUi : public BatchUi {
public:
    WidgetBatchUi(const MainWindowControls& controls, Dialogs& dialogs, RecentPlaces& places,
                  QWidget* window);

    void ShowMessage(const QString& text, MessageIcon icon) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override;

    void FolderChanged(const QString& folder) override;
    void RecordCounted(CountedTable table, qint64 count) override;
    void FileStarting(const FileStep& step) override;
    void FileExtracted(const FileStep& step) override;
    void FileSkipped(const FileStep& step) override;
    void BatchFinished(const BatchOutcome& outcome) override;
    void SetRecordProgress(float value) override;

    // Also used by the window for the database location and counts.
    static void ShowCaption(QLabel& label, const QString& caption);
    // A folder or database path: elided in the middle when longer than the label, whole in
    // its tooltip.
    static void ShowPath(QLabel& label, const QString& path);

private:
    static void ShowValue(QProgressBar& bar, float value);
    void ShowPanel(bool visible);

    const MainWindowControls& Controls;
    Dialogs& WindowDialogs;
    RecentPlaces& Places;
    QWidget* Window;
};

} // namespace tarnwick
