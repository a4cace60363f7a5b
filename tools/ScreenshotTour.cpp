// Opens the window in its states and saves a picture of each: at start, with a database
// open, during an hourly batch, the folder box with its Browse button, the About box, and the
// Hourly Chart (whole and zoomed in) and Data Summary (1,000 pixels wide) windows over the
// samples. Usage: tarnwick_screenshots OUTPUT_FOLDER

#include "chart/HourlyChart.h"
#include "db/SourcesDatabase.h"
#include "gui/AboutBox.h"
#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"
#include "gui/MainWindow.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

using namespace tarnwick;

bool Save(QWidget& widget, const QDir& folder, const char* name) {
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    return saved;
}

void WriteDatFiles(const QDir& folder, int count) {
    for (int i = 1; i <= count; ++i) {
        QFile file(folder.filePath(QStringLiteral("0098%1.DAT").arg(i, 2, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        file.write("100009813\r\n");
        for (int hour = 0; hour < 24; ++hour)
            file.write(QStringLiteral("200CS%1         0007%2%3100.0  12.5  12.6\r\n")
                           .arg(i)
                           .arg(i, 2, 10, QLatin1Char('0'))
                           .arg(hour, 2, 10, QLatin1Char('0'))
                           .toLatin1());
    }
}

// Triggers a menu item and waits for the command it starts on the command thread.
void Trigger(MainWindow& window, const char* item) {
    QEventLoop done;
    QObject::connect(&window, &MainWindow::commandFinished, &done, &QEventLoop::quit);
    window.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    if (window.CommandRunning())
        done.exec();
}

// A view window's reads, and those their outcomes start, run on a thread of their own.
void WaitForReads(ViewReads& reads) {
    while (reads.Busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Loads the samples into a new database through the window's own commands, then pictures the
// two view windows over it.
bool SaveViewWindows(MainWindow& window, ScriptedDialogs& answers, const QDir& work,
                     const QDir& output) {
    const QString database = work.filePath(QStringLiteral("Samples.db"));
    SourcesDatabase::Create(database);
    answers.FileChoices.push_back(database);
    Trigger(window, "mnuOpenSourcesDB");
    answers.TextAnswers.push_back(QStringLiteral(TARNWICK_SAMPLES_DIR));
    Trigger(window, "mnuLocateDATFiles");
    Trigger(window, "mnuExtractEmissionsData");
    Trigger(window, "mnuExtractHeaderData");

    Trigger(window, "mnuHourlyChart");
    auto* chart = window.findChild<HourlyChartWindow*>();
    WaitForReads(chart->Reads());
    bool saved = Save(*chart, output, "hourly-chart.png");
    // Two days from the middle of the range, as a dragged rectangle or the wheel would show.
    QCategoryAxis* time = TimeAxis(*chart->Chart());
    const qreal middle = (time->min() + time->max()) / 2;
    time->setRange(middle - 24 * 3600 * 1000.0, middle + 24 * 3600 * 1000.0);
    saved &= Save(*chart, output, "hourly-chart-zoomed.png");

    Trigger(window, "mnuDataSummary");
    auto* summary = window.findChild<DataSummaryWindow*>();
    summary->resize(1000, 320);
    WaitForReads(summary->Reads());
    saved &= Save(*summary, output, "data-summary.png");
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(output.path());
    QTemporaryDir work;
    const QString database = QDir(work.path()).filePath(QStringLiteral("Sources.db"));
    SourcesDatabase::Create(database);
    const QDir datFolder(work.path());
    WriteDatFiles(datFolder, 3);

    ScriptedDialogs answers;
    QSettings settings(QDir(work.path()).filePath(QStringLiteral("settings.ini")),
                       QSettings::IniFormat);
    MainWindow window(answers, settings);
    window.show();
    window.activateWindow();
    bool allSaved = Save(window, output, "main-start.png");

    answers.FileChoices.push_back(database);
    Trigger(window, "mnuOpenSourcesDB");
    allSaved &= Save(window, output, "main-open.png");

    answers.TextAnswers.push_back(datFolder.path() + QLatin1Char('/'));
    Trigger(window, "mnuLocateDATFiles");
    auto* fileBar = window.findChild<QProgressBar*>(QStringLiteral("prgExtractFiles"));
    const QMetaObject::Connection batchShot =
        QObject::connect(fileBar, &QProgressBar::valueChanged, &window, [&](int value) {
            if (value == 67)
                allSaved &= Save(window, output, "main-batch.png");
        });
    Trigger(window, "mnuExtractEmissionsData");
    QObject::disconnect(batchShot);

    FolderDialog folderBox(&window, QStringLiteral("Change path to .DAT files"),
                           QStringLiteral("Please enter the path to the folder containing .DAT "
                                          "files to be processed"),
                           datFolder.path() + QLatin1Char('/'));
    folderBox.show();
    allSaved &= Save(folderBox, output, "folder-box.png");
    folderBox.close();

    AboutBox about;
    about.show();
    allSaved &= Save(about, output, "about.png");
    about.close();

    allSaved &= SaveViewWindows(window, answers, QDir(work.path()), output);

    for (const auto& message : answers.Messages)
        std::printf("message: %s\n", qPrintable(message.Text));
    return allSaved ? 0 : 1;
}
