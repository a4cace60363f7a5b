#pragma once

#include "view/HourlySeries.h"

#include <QImage>
#include <QSize>
#include <utility>

QT_BEGIN_NAMESPACE
class QCategoryAxis;
class QChart;
QT_END_NAMESPACE

namespace tarnwick {

// The chart of one measure of one unit: each run of consecutive hours is a line of its own in
// the same colour, so missing hours and NULL values are gaps; an hour standing alone is a dot.
// The title names the plant when `plantName` is given. Replaces what the chart showed.
void DrawHourlyRuns(QChart& chart, const HourlyRequest& request, const QList<HourlyRun>& runs,
                    const QString& plantName = {});

// Why the chart cannot draw these runs, or no text when it can: a value beyond the axis's range,
// or not a number.
QString UndrawableValue(const QList<HourlyRun>& runs);

// The chart's x value of an hour: milliseconds since the epoch of its local clock time.
qreal ChartX(const Hour& hour);

// The time axis of a chart drawn by DrawHourlyRuns, and the x range that shows all its days:
// a margin on each side, so that the first and last hour show whole.
QCategoryAxis* TimeAxis(const QChart& chart);
std::pair<qreal, qreal> WholeDays(const HourlyRequest& request);

// The chart drawn into an image of `size`, as the window's Save as PNG writes it.
QImage RenderHourlyChart(const HourlyRequest& request, const QList<HourlyRun>& runs, QSize size);

} // namespace tarnwick
