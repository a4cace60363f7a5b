#include "chart/HourlyChart.h"
#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"
#include "gui/MainWindow.h"
#include "tests/support/HeldLock.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/ViewCorpus.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// Waits until the window's reads are over, including those that their outcomes start.
void WaitForReads(ViewReads& reads) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reads.Busy(); }, 60000));
}

template <typename T = QWidget> T* Find(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString StatusOf(const QWidget& window) {
    return Find<QLabel>(window, "lblStatus")->text();
}

bool CanSave(const QWidget& window, const char* button) {
    return Find<QPushButton>(window, button)->isEnabled();
}

QList<QList<QPointF>> Lines(const QChart& chart) {
    QList<QList<QPointF>> lines;
    for (QAbstractSeries* series : chart.series())
        if (auto* line = qobject_cast<QLineSeries*>(series))
            lines << line->points();
    return lines;
}

// Each tick of the time axis stands at the day or hour its label names.
void ExpectTicksAtTheirLabels(const QChart& chart) {
    QCategoryAxis* time = TimeAxis(chart);
    ASSERT_NE(time, nullptr);
    ASSERT_GE(time->categoriesLabels().size(), 3);
    for (const QString& label : time->categoriesLabels()) {
        const QString format = label.contains(u':') ? "MM-dd hh:mm" : "yyyy-MM-dd";
        EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(qint64(time->endValue(label))).toString(format),
                  label);
    }
}

// A new database whose unit 1 of facility 1 holds these hours' SO2 masses ("date, hour, value").
QString UnitWithSo2(const QStringList& hours) {
    const QString database = ScratchSqliteDatabase();
    QStringList rows;
    for (const QString& hour : hours)
        rows << QStringLiteral("(1, '1', %1)").arg(hour);
    RunSql(database, "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                     "SO2_MASS_LB_HOUR) VALUES " +
                         rows.join(", "));
    return database;
}

class ViewWindowsTest : public testing::Test {
protected:
    ViewWindowsTest() { FillViewCorpus(Database); }

    const QString Database = ScratchSqliteDatabase();
    ScriptedDialogs Answers;
};

TEST_F(ViewWindowsTest, ChartShowsSo2MassWithEachRunOfHoursApartAndAloneHoursAsDots) {
    HourlyChartWindow chart(Database, Answers);
    WaitForReads(chart.Reads());
    QList<QPointF> dots;
    for (QAbstractSeries* series : chart.Chart()->series())
        if (auto* scatter = qobject_cast<QScatterSeries*>(series))
            dots << scatter->points();
    const QDate march(2001, 3, 31);
    const QDate april(2001, 4, 1);
    const QList<QList<QPointF>> expectedLines{
        {{ChartX({march, 22}), 1.5}, {ChartX({march, 23}), 2.25}, {ChartX({april, 0}), 3}},
        {{ChartX({april, 5}), 0.1}, {ChartX({april, 6}), 0.2}},
    };
    EXPECT_EQ(Lines(*chart.Chart()), expectedLines);
    EXPECT_EQ(dots, (QList<QPointF>{{ChartX({april, 3}), 1590000}}));
    EXPECT_EQ(chart.Shown().From, march);
    EXPECT_EQ(chart.Shown().To, april);
    EXPECT_EQ(chart.Chart()->title(),
              QStringLiteral("Facility 1 PE\u00d1A, \"EL\" NORTE, unit 1: SO2 mass, lb/hr"));
}

// Hovering over the plot names the hour nearest the pointer, between its neighbours too; outside
// the plot nothing is shown.
TEST_F(ViewWindowsTest, ChartHoverNamesTheNearestHourAndItsValue) {
    HourlyChartWindow chart(Database, Answers);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    WaitForReads(chart.Reads());
    QApplication::processEvents();
    auto* view = Find<QChartView>(chart, "chtHourly");
    const QDate april(2001, 4, 1);
    const auto pointerAt = [&](Hour hour, qreal value) {
        const QPointF inChart = chart.Chart()->mapToPosition({ChartX(hour), value});
        return view->mapFromScene(chart.Chart()->mapToScene(inChart));
    };
    const auto hover = [&](QPoint at) {
        QTest::mouseMove(view->viewport(), at);
        QApplication::processEvents();
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(pointerAt({april, 5}, 0.1)),
              QStringLiteral("2001-04-01 05:00\nSO2 mass, lb/hr: 0.1"));
    // A quarter of an hour before 06:00, far below its value: still 06:00.
    const Hour six{april, 6};
    const QPoint nearSix =
        pointerAt(six, 0) - QPoint(int((pointerAt(six, 0) - pointerAt({april, 5}, 0)).x() / 4), 0);
    EXPECT_EQ(hover(nearSix), QStringLiteral("2001-04-01 06:00\nSO2 mass, lb/hr: 0.2"));
    QTest::mouseMove(view->viewport(), QPoint(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

// Another unit keeps the days chosen where it has hours in them, else shows its own; the first
// day after the last clears the chart and says why.
TEST_F(ViewWindowsTest, ChartKeepsTheDaysChosenForAnotherUnitWithHoursInThem) {
    HourlyChartWindow chart(Database, Answers);
    WaitForReads(chart.Reads());
    auto* from = Find<QDateEdit>(chart, "dtpFrom");
    auto* unit = Find<QComboBox>(chart, "cboUnit");
    const QDate march(2001, 3, 31);
    const QDate april(2001, 4, 1);
    for (const auto& [day, otherUnit, shown] :
         {std::tuple{april, "a", april}, {march, "B", april}, {march, "1", march}}) {
        from->setDate(day);
        Find<QDateEdit>(chart, "dtpTo")->setDate(day);
        WaitForReads(chart.Reads());
        unit->setCurrentText(QString::fromLatin1(otherUnit));
        WaitForReads(chart.Reads());
        EXPECT_EQ(chart.Shown().From, shown) << otherUnit;
    }

    from->setDate(april.addDays(1));
    WaitForReads(chart.Reads());
    EXPECT_TRUE(chart.Chart()->series().isEmpty());
    EXPECT_TRUE(StatusOf(chart).contains(u"first day comes after the last day"));
    EXPECT_FALSE(CanSave(chart, "cmdSavePng"));
    EXPECT_FALSE(CanSave(chart, "cmdSaveCsv"));
}

// Over a month the ticks fall on midnights; zoomed in, on the hours they name; Whole range
// goes back.
TEST_F(ViewWindowsTest, ChartTicksStandWhereTheirLabelsSayAlsoWhenZoomed) {
    RunSql(Database, "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                     "SO2_MASS_LB_HOUR) VALUES (3, 'Z', '2001-07-01', 0, 1), "
                     "(3, 'Z', '2001-07-16', 9, 2), (3, 'Z', '2001-07-31', 23, 3)");
    HourlyChartWindow chart(Database, Answers, nullptr, std::pair(3, QString("Z")));
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    WaitForReads(chart.Reads());
    ASSERT_EQ(chart.Shown().UnitId, "Z");
    ExpectTicksAtTheirLabels(*chart.Chart());
    const QCategoryAxis* time = TimeAxis(*chart.Chart());
    const std::pair whole(time->min(), time->max());

    auto* view = Find<QChartView>(chart, "chtHourly");
    const QPointF middle = view->viewport()->rect().center();
    for (int turn = 0; turn < 20; ++turn) {
        QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
    }
    EXPECT_LT(time->max() - time->min(), 2 * 24 * 3600 * 1000.0);
    ExpectTicksAtTheirLabels(*chart.Chart());
    ASSERT_TRUE(CanSave(chart, "cmdWholeRange"));
    Find<QPushButton>(chart, "cmdWholeRange")->click();
    EXPECT_EQ(std::pair(time->min(), time->max()), whole);
    EXPECT_FALSE(CanSave(chart, "cmdWholeRange"));
}

// A dot at the first and at the last hour of the range lies whole inside the plot.
TEST_F(ViewWindowsTest, ChartShowsAnHourAloneAtEitherEdgeWhole) {
    const QString database = UnitWithSo2({"'2001-01-01', 0, 5", "'2001-01-03', 23, 5"});
    HourlyChartWindow chart(database, Answers);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    WaitForReads(chart.Reads());
    QApplication::processEvents();
    auto* dots = qobject_cast<QScatterSeries*>(chart.Chart()->series().value(0));
    ASSERT_NE(dots, nullptr);
    ASSERT_EQ(dots->count(), 2);
    const qreal radius = dots->markerSize() / 2;
    const QRectF inside = chart.Chart()->plotArea().adjusted(radius, radius, -radius, -radius);
    for (const QPointF& dot : dots->points())
        EXPECT_TRUE(inside.contains(chart.Chart()->mapToPosition(dot, dots)))
            << QDateTime::fromMSecsSinceEpoch(qint64(dot.x())).toString().toStdString();
}

TEST_F(ViewWindowsTest, ChartSaysWhyItCannotDrawAValueBeyondItsAxis) {
    const QString database = UnitWithSo2({"'2001-01-01', 0, 5", "'2001-01-01', 1, -1e308"});
    HourlyChartWindow chart(database, Answers);
    WaitForReads(chart.Reads());
    EXPECT_TRUE(StatusOf(chart).startsWith("The chart cannot draw the value -1e+308 of 2001-01-01"))
        << StatusOf(chart).toStdString();
    EXPECT_TRUE(chart.Chart()->series().isEmpty());
    EXPECT_FALSE(CanSave(chart, "cmdSavePng"));
}

TEST_F(ViewWindowsTest, NothingToSaveFromAnEmptyDatabase) {
    const QString empty = ScratchSqliteDatabase();
    HourlyChartWindow chart(empty, Answers);
    DataSummaryWindow summary(empty, Answers);
    WaitForReads(chart.Reads());
    WaitForReads(summary.Reads());
    EXPECT_EQ(StatusOf(chart), QStringLiteral("EMISSIONS holds no hours yet."));
    EXPECT_FALSE(CanSave(chart, "cmdSavePng"));
    EXPECT_FALSE(CanSave(chart, "cmdSaveCsv"));
    EXPECT_FALSE(CanSave(summary, "cmdSaveCsv"));
}

// Unit ids sort naturally; the CSV file holds the rows as shown; the columns fit 1,000 pixels
// and each row is one line, whatever its plant name holds.
TEST_F(ViewWindowsTest, SummarySortsUnitsNaturallyAndSavesTheRowsAsShown) {
    RunSql(Database, "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR) VALUES "
                     "(3, 'U10', '2001-04-01', 0), (3, 'U2', '2001-04-01', 0)");
    DataSummaryWindow summary(Database, Answers);
    summary.resize(1000, 520);
    summary.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&summary));
    WaitForReads(summary.Reads());
    auto* table = Find<QTableView>(summary, "tblSummary");
    QApplication::processEvents(); // the scroll bar follows the columns
    EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);
    EXPECT_LT(table->rowHeight(0), 2 * table->fontMetrics().lineSpacing());
    const QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 8);
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("PE\u00d1A, \"EL\"  NORTE"));

    table->sortByColumn(3, Qt::AscendingOrder);
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 3).data().toString();
    EXPECT_EQ(shown, QStringList({"1", "1", "9", "B", "U2", "U10", "a", "b"}));
    QTemporaryDir folder;
    Answers.SaveChoices.push_back(folder.filePath("summary.csv"));
    Find<QPushButton>(summary, "cmdSaveCsv")->click();
    EXPECT_EQ(Answers.SuggestedSavePaths.back(), QFileInfo(Database).dir().filePath("summary.csv"));
    QFile saved(folder.filePath("summary.csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray csv = saved.readAll();
    EXPECT_TRUE(csv.contains("\n1,\"PE\xc3\x91"
                             "A, \"\"EL\"\"\r\nNORTE\",IN,1,"))
        << "text as stored";
    EXPECT_LT(csv.indexOf(",OH,9,"), csv.indexOf("\n3,,,U2,"));
    EXPECT_LT(csv.indexOf("\n3,,,U2,"), csv.indexOf("\n3,,,U10,"));
}

TEST_F(ViewWindowsTest, DoubleClickingASummaryRowOpensTheChartOfItsUnit) {
    QTemporaryDir folder;
    QSettings settings(folder.filePath("settings.ini"), QSettings::IniFormat);
    MainWindow window(Answers, settings);
    Answers.FileChoices.push_back(Database);
    QSignalSpy opened(&window, &MainWindow::commandFinished);
    window.findChild<QAction*>("mnuOpenSourcesDB")->trigger();
    ASSERT_TRUE(opened.wait(60000));
    window.findChild<QAction*>("mnuDataSummary")->trigger();
    auto* summary = window.findChild<DataSummaryWindow*>();
    WaitForReads(summary->Reads());
    auto* table = Find<QTableView>(*summary, "tblSummary");
    const QModelIndexList units =
        table->model()->match(table->model()->index(0, 3), Qt::DisplayRole, "B", 1,
                              Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_EQ(units.size(), 1);
    summary->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(summary));
    table->scrollTo(units.front());
    // An item view takes a double click only after a click on the same place.
    const QPoint row = table->visualRect(units.front()).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(window.findChild<HourlyChartWindow*>(), nullptr) << "opened by a single click";
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row);
    auto* chart = window.findChild<HourlyChartWindow*>();
    ASSERT_NE(chart, nullptr);
    WaitForReads(chart->Reads());
    EXPECT_EQ(chart->Shown().FacilityId, 1);
    EXPECT_EQ(chart->Shown().UnitId, "B");
}

// A view reads on a thread of its own: it says that it waits for a lock, and can be cancelled
// or closed meanwhile.
TEST_F(ViewWindowsTest, ViewsSayTheyWaitForALockAndCanBeCancelledOrClosed) {
    HeldLock lock(Database);
    const QString waiting = QStringLiteral("Waiting for the database…");
    DataSummaryWindow summary(Database, Answers);
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusOf(summary) == waiting; }, 4500));
    auto* cancel = Find<QPushButton>(summary, "cmdCancel");
    EXPECT_TRUE(cancel->isVisibleTo(&summary));
    cancel->click();
    EXPECT_FALSE(summary.Reads().Busy());
    EXPECT_EQ(StatusOf(summary), QStringLiteral("Cancelled."));
    EXPECT_FALSE(cancel->isVisibleTo(&summary));

    auto chart = std::make_unique<HourlyChartWindow>(Database, Answers);
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusOf(*chart) == waiting; }, 4500));
    chart.reset();
    lock.Release();
    DataSummaryWindow after(Database, Answers);
    WaitForReads(after.Reads());
    EXPECT_EQ(after.Units().size(), 6);
}

} // namespace
} // namespace tarnwick::test
