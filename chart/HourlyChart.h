#pragma once

#include "view/HourlySeries.h"

#include <QImage>
#include <QSize>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace tarnwick {

// The chart of one measure of one unit: each run of consecutive hours is a line of its own in
// the same colour, so missing hours and NULL values are gaps; an hour standing alone is a dot.
// Hovering a line shows the nearest hour and its value. Replaces what the chart showed.
void DrawHourlyRuns(QChart& chart, const HourlyRequest& request, const QList<HourlyRun>& runs);

// The chart's x value of an hour: milliseconds since the epoch of its local clock time, which
// the time axis shows as that day and hour.
qreal ChartX(const Hour& hour);

// The chart drawn into an image of `size`, as the window's Save as PNG writes it.
QImage RenderHourlyChart(const HourlyRequest& request, const QList<HourlyRun>& runs, QSize size);

} // namespace tarnwick
