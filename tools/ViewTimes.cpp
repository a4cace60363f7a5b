// Times the two view windows on a database as a user meets them: the Data Summary from opening
// until its rows are shown, the Hourly Chart from opening until its first unit is drawn, then
// the chart of another unit. Usage: tarnwick_view_times DATABASE [FACILITY UNIT]

#include "gui/DataSummaryWindow.h"
#include "gui/HourlyChartWindow.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <cstdio>

namespace {

using namespace tarnwick;

// The reads, and those their outcomes start, then the painting they caused.
double SecondsUntilShown(QWidget& window, ViewReads& reads, QElapsedTimer& clock) {
    while (reads.Busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s DATABASE [FACILITY UNIT]\n", argv[0]);
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    std::optional<std::pair<qint64, QString>> unit;
    if (argc == 4)
        unit = std::pair(QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));
    ScriptedDialogs answers;
    QElapsedTimer clock;

    clock.start();
    DataSummaryWindow summary(database, answers);
    summary.show();
    const double summarySeconds = SecondsUntilShown(summary, summary.Reads(), clock);
    std::printf("summary: %lld units in %.2f s\n", qlonglong(summary.Units().size()),
                summarySeconds);
    summary.close();

    clock.restart();
    HourlyChartWindow chart(database, answers, nullptr, unit);
    chart.show();
    const double chartSeconds = SecondsUntilShown(chart, chart.Reads(), clock);
    const HourlyRequest& shown = chart.Shown();
    std::printf("chart: facility %lld unit %s, %s to %s, in %.2f s\n", shown.FacilityId,
                qPrintable(shown.UnitId), qPrintable(shown.From.toString(Qt::ISODate)),
                qPrintable(shown.To.toString(Qt::ISODate)), chartSeconds);

    auto* units = chart.findChild<QComboBox*>(QStringLiteral("cboUnit"));
    clock.restart();
    units->setCurrentIndex((units->currentIndex() + 1) % units->count());
    const double otherSeconds = SecondsUntilShown(chart, chart.Reads(), clock);
    std::printf("chart: another unit, %s, in %.2f s\n", qPrintable(chart.Shown().UnitId),
                otherSeconds);
    return 0;
}
