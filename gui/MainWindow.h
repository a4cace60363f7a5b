#pragma once

#include "core/DatDirectory.h"
#include "core/RunState.h"
#include "gui/CommandThread.h"
#include "gui/Dialogs.h"
#include "gui/MainWindowLayout.h"
#include "gui/QueuedBatchUi.h"
#include "gui/WidgetBatchUi.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

namespace tarnwick {

class AboutBox;

// frmMain: the whole application. Owns the run state and carries the menu commands. The
// commands that work on the database run on a thread of their own, so the window keeps
// painting; meanwhile the other commands are shown disabled and no other command is taken.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The run state belongs to the command thread while a command runs: read it only between.
    const RunState& State() const { return Run; }
    bool CommandRunning() const { return Running; }

signals:
    void commandFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the window shows of the open database, put back when opening another fails.
    struct ShownCaptions {
        QString Location;
        std::array<QString, 5> Counts;
    };

    void ConnectCommands();
    void ShowStartState();
    void SetDatabaseCommandsEnabled(bool enabled);
    void SetCommandsAvailable(bool available);
    QString ChooseDatabaseFile();
    void OpenSourcesDatabase();
    void OpenChosenDatabase(const QString& chosen, const ShownCaptions& previous, BatchUi& ui);
    ShownCaptions TakeCaptions() const;
    void RestoreCaptions(const ShownCaptions& previous);
    void ShowAbout();
    void ShowViewWindow(QPointer<QWidget>& shown, QWidget* window);
    // Runs a command on the command thread, its user interface queued to this window.
    void RunInBackground(std::function<void(BatchUi&)> command);
    void CommandDone();
    void CloseDatabase() noexcept;

    Dialogs& WindowDialogs;
    MainWindowControls Controls;
    WidgetBatchUi BatchView;
    QueuedBatchUi QueuedView;
    RunState Run;
    FileSystemDatDirectory DatFiles;
    std::unique_ptr<AboutBox> About;
    QPointer<QWidget> ChartWindow;
    QPointer<QWidget> SummaryWindow;
    bool DatabaseOpen = false;
    bool Running = false;   // a command on the command thread
    bool InCommand = false; // a command on this thread, such as the About box
    bool CloseWhenDone = false;
    CommandThread Commands; // last: destroyed first, once its task is done
};

} // namespace tarnwick
