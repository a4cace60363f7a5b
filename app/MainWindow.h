#pragma once

#include "Dialogs.h"
#include "Extraction.h"
#include "MainWindowLayout.h"
#include "RunState.h"
#include "WidgetBatchUi.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

namespace tarnwick {

class AboutBox;

// frmMain: the whole application. Owns the run state and carries the menu commands; every
// command runs to its end on this thread, and no other command is taken meanwhile.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    const RunState& State() const { return Run; }

    void OpenSourcesDatabase();
    QString ChooseDatabaseFile();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The open database and what the window shows of it, put back when opening another fails.
    struct ShownDatabase {
        QString Path;
        std::unique_ptr<SourcesDatabase> Database;
        QString LocationCaption;
        std::array<QString, 5> CountCaptions;
    };

    void ConnectCommands();
    void ShowStartState();
    void SetDatabaseCommandsEnabled(bool enabled);
    ShownDatabase TakeShownDatabase();
    void RestoreShownDatabase(ShownDatabase previous);
    void ShowAbout();
    void ShowViewWindow(QPointer<QWidget>& shown, QWidget* window);
    void CloseDatabase() noexcept;
    // Runs one command unless another is running, reporting what escapes it.
    void RunCommand(const std::function<void()>& command);

    Dialogs& WindowDialogs;
    MainWindowControls Controls;
    WidgetBatchUi BatchView;
    RunState Run;
    FileSystemDatDirectory DatFiles;
    std::unique_ptr<AboutBox> About;
    QPointer<QWidget> ChartWindow;
    QPointer<QWidget> SummaryWindow;
    bool CommandRunning = false;
};

} // namespace tarnwick
