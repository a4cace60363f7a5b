#pragma once

#include "core/DatDirectory.h"
#include "core/RunState.h"
#include "gui/CommandThread.h"
#include "gui/Dialogs.h"
#include "gui/MainWindowLayout.h"
#include "gui/QueuedBatchUi.h"
#include "gui/RecentPlaces.h"
#include "gui/WidgetBatchUi.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

class QSettings;

namespace tarnwick {

class AboutBox;

// frmMain: the whole application. Owns the run state and carries the menu commands. The
// commands that work on the database run on a thread of their own, so the window keeps
// painting; meanwhile the other commands are shown disabled and no other command is taken.
// The recent databases and the ".DAT" folder are kept in `settings` between runs.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Dialogs& dialogs, QSettings& settings, QWidget* parent = nullptr);
    // Safe during a batch: the batch no longer waits for the window, and stops after its file.
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
    void ShowRecentDatabases();
    void OpenSourcesDatabase();
    void ChangeSourcesDatabase();
    void OpenDatabase(const QString& chosen);
    void OpenChosenDatabase(const QString& chosen, const ShownCaptions& previous, BatchUi& ui);
    ShownCaptions TakeCaptions() const;
    void RestoreCaptions(const ShownCaptions& previous);
    void ShowAbout();
    void ShowViewWindow(QPointer<QWidget>& shown, QWidget* window);
    void ShowChart(const QString& databasePath, std::optional<std::pair<qint64, QString>> unit);
    // Runs a command on the command thread, its user interface queued to this window.
    void RunInBackground(std::function<void(BatchUi&)> command);
    void CommandDone();
    void CloseDatabase() noexcept;

    Dialogs& WindowDialogs;
    RecentPlaces Places;
    MainWindowControls Controls;
    WidgetBatchUi BatchView;
    QueuedBatchUi QueuedView;
    RunState Run;
    FileSystemDatDirectory DatFiles;
    std::unique_ptr<AboutBox> About;
    QPointer<QWidget> ChartWindow;
    QPointer<QWidget> SummaryWindow;
    QString Opening;       // the database being opened, as shown
    QTimer OpeningTooLong; // says that the database keeps the window waiting
    bool DatabaseOpen = false;
    bool Running = false;   // a command on the command thread
    bool InCommand = false; // a command on this thread
    bool CloseWhenDone = false;
    CommandThread Commands; // last: destroyed first, once its task is done
};

} // namespace tarnwick
