#include "MainWindow.h"

#include "AboutBox.h"
#include "DataSummaryWindow.h"
#include "HourlyChartWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace tarnwick {

namespace {

const QString AllFilesFilter = QStringLiteral("All Files (*.*)");
const QStringList DatabaseFileFilters = {
    AllFilesFilter,
    QStringLiteral("Database Files (*.mdb)"),
    QStringLiteral("Sources Databases (*.db *.sqlite *.sqlite3 *.pgconn)"),
};

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), WindowDialogs(dialogs), Controls(BuildMainWindowControls(*this)),
      BatchView(Controls, dialogs, this) {
    ConnectCommands();
    ShowStartState();
}

MainWindow::~MainWindow() {
    CloseDatabase();
}

void MainWindow::ConnectCommands() {
    auto bind = [this](QAction* item, std::function<void()> command) {
        connect(item, &QAction::triggered, this,
                [this, command = std::move(command)] { RunCommand(command); });
    };
    bind(Controls.mnuOpenSourcesDB, [this] { OpenSourcesDatabase(); });
    bind(Controls.mnuLocateDATFiles, [this] { LocateDatFiles(Run, BatchView); });
    // "Change path to Sources DB" has no action: "Open Sources DB" picks another database.
    bind(Controls.mnuExtractEmissionsData, [this] { ExtractHourlyData(Run, BatchView, DatFiles); });
    bind(Controls.mnuExtractHeaderData, [this] { ExtractQuarterlyData(Run, BatchView, DatFiles); });
    bind(Controls.mnuHourlyChart, [this] {
        ShowViewWindow(ChartWindow, new HourlyChartWindow(Run.DatabasePath, WindowDialogs, this));
    });
    bind(Controls.mnuDataSummary, [this] {
        ShowViewWindow(SummaryWindow, new DataSummaryWindow(Run.DatabasePath, WindowDialogs, this));
    });
    bind(Controls.mnuTarnwick, [this] { ShowAbout(); });
    connect(Controls.mnuExit, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::ShowStartState() {
    Controls.lblExtractFrom2->setText(Run.DatFolder);
    Controls.fraProgress->setVisible(false);
    SetDatabaseCommandsEnabled(false);
}

void MainWindow::SetDatabaseCommandsEnabled(bool enabled) {
    Controls.fraDBInfo->setEnabled(enabled);
    for (QLabel* caption : Controls.CountCaptions)
        caption->setEnabled(enabled);
    Controls.mnuExtract->menuAction()->setEnabled(enabled);
    Controls.mnuView->menuAction()->setEnabled(enabled);
    Controls.mnuLocateDATFiles->setEnabled(enabled);
    Controls.mnuLocateSourcesDB->setEnabled(enabled);
}

QString MainWindow::ChooseDatabaseFile() {
    return WindowDialogs.ChooseExistingFile(this, DatabaseFileFilters, AllFilesFilter);
}

void MainWindow::OpenSourcesDatabase() {
    const QString chosen = ChooseDatabaseFile();
    if (chosen.isEmpty())
        return; // Cancel keeps the database, its path and its counts
    ShownDatabase previous = TakeShownDatabase();
    Run.DatabasePath = chosen;
    WidgetBatchUi::ShowCaption(*Controls.lblExtractTo2, chosen);
    try {
        RefreshRecordCounts(Run, BatchView);
    } catch (const Error& error) {
        if (Run.SourcesDatabase)
            Run.SourcesDatabase->Close();
        RestoreShownDatabase(std::move(previous));
        WindowDialogs.ShowMessage(this, ApplicationTitle,
                                  QStringLiteral("The Sources database %1 cannot be opened.\n\n%2")
                                      .arg(chosen, error.Message),
                                  MessageIcon::Critical);
        return;
    }
    if (previous.Database)
        previous.Database->Close();
    SetDatabaseCommandsEnabled(true);
}

MainWindow::ShownDatabase MainWindow::TakeShownDatabase() {
    ShownDatabase shown;
    shown.Path = Run.DatabasePath;
    // Taken out of the run state so that the count refresh opens the new choice anew.
    shown.Database = std::move(Run.SourcesDatabase);
    shown.LocationCaption = Controls.lblExtractTo2->text();
    for (std::size_t i = 0; i < shown.CountCaptions.size(); ++i)
        shown.CountCaptions.at(i) = Controls.CountValues.at(i)->text();
    return shown;
}

void MainWindow::RestoreShownDatabase(ShownDatabase previous) {
    Run.DatabasePath = previous.Path;
    Run.SourcesDatabase = std::move(previous.Database);
    WidgetBatchUi::ShowCaption(*Controls.lblExtractTo2, previous.LocationCaption);
    for (std::size_t i = 0; i < previous.CountCaptions.size(); ++i)
        WidgetBatchUi::ShowCaption(*Controls.CountValues.at(i), previous.CountCaptions.at(i));
}

void MainWindow::ShowAbout() {
    // Owned by no form: it is placed on the screen, not over this window.
    if (!About)
        About = std::make_unique<AboutBox>();
    About->exec();
}

void MainWindow::ShowViewWindow(QPointer<QWidget>& shown, QWidget* window) {
    // A new window each time reads the database as it is now, after any batch since.
    delete shown;
    shown = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::RunCommand(const std::function<void()>& command) {
    if (CommandRunning)
        return;
    CommandRunning = true;
    try {
        command();
    } catch (const std::exception& error) {
        WindowDialogs.ShowMessage(this, ApplicationTitle, MessageOf(error), MessageIcon::Critical);
    }
    // Input that arrived while the command ran meets the guard here rather than starting a
    // command after it.
    QCoreApplication::processEvents();
    CommandRunning = false;
}

void MainWindow::CloseDatabase() noexcept {
    if (!Run.SourcesDatabase)
        return;
    Run.SourcesDatabase->Close();
    Run.SourcesDatabase.reset();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A running command first finishes; its own dialogs are modal over this window.
    if (CommandRunning) {
        event->ignore();
        return;
    }
    CloseDatabase();
    event->accept();
}

} // namespace tarnwick
