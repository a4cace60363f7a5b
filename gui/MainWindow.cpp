#include "gui/MainWindow.h"

#include "core/Extraction.h"
#include "gui/AboutBox.h"
#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace tarnwick {

namespace {

// No "Database Files (*.mdb)": an Access file is a database Tarnwick cannot open.
const QString AllFilesFilter = QStringLiteral("All Files (*.*)");
const QStringList DatabaseFileFilters = {
    AllFilesFilter,
    QStringLiteral("Sources Databases (*.db *.sqlite *.sqlite3 *.pgconn)"),
};

const QString StopQuestion =
    QStringLiteral("An extraction is running. Stop it after the file being written and close "
                   "Tarnwick?\n\nEach file is written whole: the files done stay in the "
                   "database, the others are not read.");

const QString DatabasePrompt =
    QStringLiteral("Sources database: the path of a SQLite file or of a connection file, or a "
                   "postgresql://user@host:port/dbname URI");

// An open that takes longer than this is waiting for the database: a lock, a slow server.
constexpr int OpeningTooLongMs = 1000;

// Posts `call` to run on the window's thread, after what was posted before it.
template <typename Call> void OnWindowThread(QObject* window, Call call) {
    QMetaObject::invokeMethod(window, std::move(call), Qt::QueuedConnection);
}

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), WindowDialogs(dialogs), Places(settings),
      Controls(BuildMainWindowControls(*this)), BatchView(Controls, dialogs, Places, this),
      QueuedView(BatchView, this) {
    OpeningTooLong.setSingleShot(true);
    OpeningTooLong.setInterval(OpeningTooLongMs);
    connect(&OpeningTooLong, &QTimer::timeout, this, [this] {
        WidgetBatchUi::ShowPath(*Controls.lblExtractTo2,
                                QStringLiteral("Waiting for the database… ") + Opening);
    });
    ConnectCommands();
    ShowStartState();
}

MainWindow::~MainWindow() {
    // A batch may be waiting for this window to answer it: it no longer waits, and stops
    // after the file it writes. The database was opened on the command thread, and is
    // closed there.
    QueuedView.Shutdown();
    Commands.RunAndWait([this] { CloseDatabase(); });
}

void MainWindow::ConnectCommands() {
    // A command of the window's own thread runs to its end before the next is taken.
    auto bind = [this](QAction* item, std::function<void()> command) {
        connect(item, &QAction::triggered, this, [this, command = std::move(command)] {
            if (Running || InCommand)
                return;
            InCommand = true;
            command();
            InCommand = false;
        });
    };
    auto bindBackground = [this](QAction* item, std::function<void(BatchUi&)> command) {
        connect(item, &QAction::triggered, this,
                [this, command = std::move(command)] { RunInBackground(command); });
    };
    bind(Controls.mnuOpenSourcesDB, [this] { OpenSourcesDatabase(); });
    bind(Controls.mnuLocateDATFiles, [this] { LocateDatFiles(Run, BatchView); });
    bind(Controls.mnuLocateSourcesDB, [this] { ChangeSourcesDatabase(); });
    connect(Controls.mnuRecentDatabases, &QMenu::triggered, this, [this](QAction* item) {
        if (!Running && !InCommand)
            OpenDatabase(item->data().toString());
    });
    bindBackground(Controls.mnuExtractEmissionsData,
                   [this](BatchUi& ui) { ExtractHourlyData(Run, ui, DatFiles); });
    bindBackground(Controls.mnuExtractHeaderData,
                   [this](BatchUi& ui) { ExtractQuarterlyData(Run, ui, DatFiles); });
    // Read by the batches on the command thread; the Extract menu is off while one runs.
    connect(Controls.mnuIncludeSubfolders, &QAction::toggled, this,
            [this](bool on) { Run.IncludeSubfolders = on; });
    connect(Controls.mnuSkipLoadedFiles, &QAction::toggled, this,
            [this](bool on) { Run.SkipLoadedFiles = on; });
    bind(Controls.mnuHourlyChart, [this] { ShowChart(Run.DatabasePath, std::nullopt); });
    bind(Controls.mnuDataSummary, [this] {
        auto* summary = new DataSummaryWindow(Run.DatabasePath, WindowDialogs, this);
        connect(summary, &DataSummaryWindow::chartAsked, this,
                [this, summary](qint64 facility, const QString& unit) {
                    ShowChart(summary->DatabasePath(), std::pair(facility, unit));
                });
        ShowViewWindow(SummaryWindow, summary);
    });
    // The About box also opens during a batch, which goes on behind it.
    connect(Controls.mnuTarnwick, &QAction::triggered, this, [this] {
        if (!InCommand)
            ShowAbout();
    });
    connect(Controls.mnuExit, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::ShowStartState() {
    WidgetBatchUi::ShowPath(*Controls.lblExtractFrom2, Run.DatFolder);
    Controls.fraProgress->setVisible(false);
    SetDatabaseCommandsEnabled(false);
}

void MainWindow::SetDatabaseCommandsEnabled(bool enabled) {
    DatabaseOpen = enabled;
    Controls.fraDBInfo->setEnabled(enabled);
    for (QLabel* caption : Controls.CountCaptions)
        caption->setEnabled(enabled);
    SetCommandsAvailable(!Running);
}

// While a command runs, only Exit (which asks) and About stay available.
void MainWindow::SetCommandsAvailable(bool available) {
    const bool withDatabase = available && DatabaseOpen;
    Controls.mnuOpenSourcesDB->setEnabled(available);
    Controls.mnuExtract->menuAction()->setEnabled(withDatabase);
    Controls.mnuView->menuAction()->setEnabled(withDatabase);
    Controls.mnuLocateDATFiles->setEnabled(withDatabase);
    Controls.mnuLocateSourcesDB->setEnabled(withDatabase);
    ShowRecentDatabases();
    Controls.mnuRecentDatabases->menuAction()->setEnabled(available &&
                                                          !Controls.mnuRecentDatabases->isEmpty());
}

void MainWindow::ShowRecentDatabases() {
    Controls.mnuRecentDatabases->clear();
    const QStringList databases = Places.Databases();
    for (int i = 0; i < databases.size(); ++i) {
        QString shown = databases.at(i);
        QAction* item = Controls.mnuRecentDatabases->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace(u'&', QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("mnuRecentDatabase%1").arg(i + 1));
        item->setData(databases.at(i));
    }
}

void MainWindow::OpenSourcesDatabase() {
    const QString chosen =
        WindowDialogs.ChooseExistingFile(this, DatabaseFileFilters, AllFilesFilter);
    if (!chosen.isEmpty()) // Cancel keeps the database, its path and its counts
        OpenDatabase(chosen);
}

// The database as text, for a postgresql:// URI without a connection file.
void MainWindow::ChangeSourcesDatabase() {
    const QString shown = WithoutUriPassword(Run.DatabasePath);
    const std::optional<QString> answer = WindowDialogs.AskText(
        this, QStringLiteral("Change path to Sources DB"), DatabasePrompt, shown);
    if (!answer || answer->trimmed().isEmpty())
        return;
    // The current database given back unchanged keeps the password it was opened with.
    OpenDatabase(*answer == shown ? Run.DatabasePath : *answer);
}

void MainWindow::OpenDatabase(const QString& chosen) {
    const ShownCaptions previous = TakeCaptions();
    Opening = WithoutUriPassword(chosen);
    WidgetBatchUi::ShowPath(*Controls.lblExtractTo2, QStringLiteral("Opening… ") + Opening);
    setCursor(Qt::BusyCursor);
    OpeningTooLong.start();
    RunInBackground(
        [this, chosen, previous](BatchUi& ui) { OpenChosenDatabase(chosen, previous, ui); });
}

// On the command thread. A database that fails to open leaves the previous one, its path and
// its counts in place.
void MainWindow::OpenChosenDatabase(const QString& chosen, const ShownCaptions& previous,
                                    BatchUi& ui) {
    std::unique_ptr<SourcesDatabase> previousDatabase = std::move(Run.SourcesDatabase);
    const QString previousPath = std::exchange(Run.DatabasePath, chosen);
    try {
        RefreshRecordCounts(Run, ui);
    } catch (const Error& error) {
        CloseDatabase();
        Run.SourcesDatabase = std::move(previousDatabase);
        Run.DatabasePath = previousPath;
        OnWindowThread(this, [this, previous] { RestoreCaptions(previous); });
        ui.ShowMessage(QStringLiteral("The Sources database %1 cannot be opened.\n\n%2")
                           .arg(WithoutUriPassword(chosen), error.Message),
                       MessageIcon::Critical);
        return;
    }
    if (previousDatabase)
        previousDatabase->Close();
    OnWindowThread(this, [this, chosen] {
        WidgetBatchUi::ShowPath(*Controls.lblExtractTo2, WithoutUriPassword(chosen));
        Places.AddDatabase(chosen);
        SetDatabaseCommandsEnabled(true);
    });
}

MainWindow::ShownCaptions MainWindow::TakeCaptions() const {
    ShownCaptions shown;
    shown.Location = Controls.lblExtractTo2->toolTip();
    for (std::size_t i = 0; i < shown.Counts.size(); ++i)
        shown.Counts.at(i) = Controls.CountValues.at(i)->text();
    return shown;
}

void MainWindow::RestoreCaptions(const ShownCaptions& previous) {
    WidgetBatchUi::ShowPath(*Controls.lblExtractTo2, previous.Location);
    for (std::size_t i = 0; i < previous.Counts.size(); ++i)
        WidgetBatchUi::ShowCaption(*Controls.CountValues.at(i), previous.Counts.at(i));
}

void MainWindow::ShowAbout() {
    // Owned by no form: it is placed on the screen, not over this window.
    if (!About)
        About = std::make_unique<AboutBox>();
    if (About->isVisible())
        return;
    InCommand = true;
    About->exec();
    InCommand = false;
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

void MainWindow::ShowChart(const QString& databasePath,
                           std::optional<std::pair<qint64, QString>> unit) {
    ShowViewWindow(ChartWindow,
                   new HourlyChartWindow(databasePath, WindowDialogs, this, std::move(unit)));
}

void MainWindow::RunInBackground(std::function<void(BatchUi&)> command) {
    if (Running)
        return;
    Running = true;
    SetCommandsAvailable(false);
    QueuedView.ClearStop();
    Commands.Run([this, command = std::move(command)] {
        try {
            command(QueuedView);
        } catch (const std::exception& error) {
            QueuedView.ShowMessage(MessageOf(error), MessageIcon::Critical);
        }
        OnWindowThread(this, [this] { CommandDone(); });
    });
}

void MainWindow::CommandDone() {
    Running = false;
    OpeningTooLong.stop();
    unsetCursor();
    SetCommandsAvailable(true);
    emit commandFinished();
    if (CloseWhenDone)
        close();
}

// On the command thread, or when no command runs.
void MainWindow::CloseDatabase() noexcept {
    if (!Run.SourcesDatabase)
        return;
    Run.SourcesDatabase->Close();
    Run.SourcesDatabase.reset();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!Running) {
        Commands.RunAndWait([this] { CloseDatabase(); });
        event->accept();
        return;
    }
    event->ignore();
    if (CloseWhenDone || !WindowDialogs.AskYesNo(this, ApplicationTitle, StopQuestion))
        return;
    // Once the file is written and the counts refreshed, the window closes without another
    // word, unless something failed.
    CloseWhenDone = true;
    QueuedView.RequestStop(true);
    if (!Running) // it ended while the question was open
        QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace tarnwick
