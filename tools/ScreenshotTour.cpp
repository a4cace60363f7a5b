// Opens the window in its states and saves a picture of each: at start, with a database
// open, during an hourly batch, the About box, and the Hourly Chart and Data Summary windows
// over the samples. Usage: tarnwick_screenshots OUTPUT_FOLDER

#include "db/SourcesDatabase.h"
#include "gui/AboutBox.h"
#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"
#include "gui/MainWindow.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>
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
    auto* measure = chart->findChild<QComboBox*>(QStringLiteral("cboMeasure"));
    measure->setCurrentIndex(measure->findData(QStringLiteral("SO2_MASS_LB_HOUR")));
    bool saved = Save(*chart, output, "hourly-chart.png");

    Trigger(window, "mnuDataSummary");
    auto* summary = window.findChild<DataSummaryWindow*>();
    summary->resize(1240, 320);
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
    MainWindow window(answers);
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

    AboutBox about;
    about.show();
    allSaved &= Save(about, output, "about.png");
    about.close();

    allSaved &= SaveViewWindows(window, answers, QDir(work.path()), output);

    for (const auto& message : answers.Messages)
        std::printf("message: %s\n", qPrintable(message.Text));
    return allSaved ? 0 : 1;
}
