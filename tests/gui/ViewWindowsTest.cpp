#include "chart/HourlyChart.h"
#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"
#include "gui/MainWindow.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/ViewCorpus.h"

#include <QAbstractItemModel>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// The window over the view corpus, a view window opened from its View menu.
class ViewWindowsTest : public testing::Test {
protected:
    ViewWindowsTest() : Window(Answers) {}

    template <typename ViewWindow> ViewWindow* Open(const char* item) {
        const QString database = ScratchSqliteDatabase();
        FillViewCorpus(database);
        Answers.FileChoices.push_back(database);
        QSignalSpy finished(&Window, &MainWindow::commandFinished);
        Window.findChild<QAction*>("mnuOpenSourcesDB")->trigger();
        if (Window.CommandRunning()) {
            EXPECT_TRUE(finished.wait(60000));
        }
        EXPECT_TRUE(Answers.Messages.empty());
        Window.findChild<QAction*>(item)->trigger();
        return Window.findChild<ViewWindow*>();
    }

    ScriptedDialogs Answers;
    MainWindow Window;
};

TEST_F(ViewWindowsTest, ChartShowsEachRunOfHoursApartAndAloneHoursAsDots) {
    auto* chart = Open<HourlyChartWindow>("mnuHourlyChart");
    ASSERT_NE(chart, nullptr);
    auto* measure = chart->findChild<QComboBox*>("cboMeasure");
    measure->setCurrentIndex(measure->findData("SO2_MASS_LB_HOUR"));

    QList<QList<QPointF>> lines;
    QList<QPointF> dots;
    for (QAbstractSeries* series : chart->Chart()->series()) {
        if (auto* line = qobject_cast<QLineSeries*>(series))
            lines << line->points();
        else if (auto* scatter = qobject_cast<QScatterSeries*>(series))
            dots << scatter->points();
    }
    const QDate march(2001, 3, 31);
    const QDate april(2001, 4, 1);
    const QList<QList<QPointF>> expectedLines{
        {{ChartX({march, 22}), 1.5}, {ChartX({march, 23}), 2.25}, {ChartX({april, 0}), 3}},
        {{ChartX({april, 5}), 0.1}, {ChartX({april, 6}), 0.2}},
    };
    EXPECT_EQ(lines, expectedLines);
    EXPECT_EQ(dots, (QList<QPointF>{{ChartX({april, 3}), 1590000}}));
    EXPECT_EQ(chart->Shown().From, march);
    EXPECT_EQ(chart->Shown().To, april);
}

TEST_F(ViewWindowsTest, SummaryListsEveryUnitAndSavesItAsCsv) {
    auto* summary = Open<DataSummaryWindow>("mnuDataSummary");
    ASSERT_NE(summary, nullptr);
    const QAbstractItemModel* model = summary->findChild<QTableView*>("tblSummary")->model();
    EXPECT_EQ(model->rowCount(), 6);
    EXPECT_EQ(model->index(0, 1).data().toString(), LatinPlant);

    QTemporaryDir folder;
    const QString path = folder.filePath("summary.csv");
    Answers.SaveChoices.push_back(path);
    summary->findChild<QPushButton*>("cmdSaveCsv")->click();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().split('\n').at(1).startsWith("1,\"PE\xc3\x91"
                                                             "A, \"\"EL\"\"\r"));
}

} // namespace
} // namespace tarnwick::test
