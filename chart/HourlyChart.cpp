#include "chart/HourlyChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

const QColor LineColour(0x1f, 0x5f, 0xa8);
constexpr qreal HourMs = 3600.0 * 1000.0;
constexpr int MostTicks = 8;
// Of the shown span on each side: a dot of 5 pixels at the edge of a 400-pixel plot shows whole.
constexpr qreal MarginShare = 0.015;
constexpr qreal LabelRoomShare = 0.03;

// The chart's axis on that side, made on first use. Kept from one drawing to the next: an
// axis removed from a chart leaves its labels drawn behind.
template <typename Axis> Axis* ChartAxis(QChart& chart, Qt::Alignment alignment, bool& made) {
    const auto orientation = alignment == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical;
    for (QAbstractAxis* axis : chart.axes(orientation))
        if (auto* found = qobject_cast<Axis*>(axis))
            return found;
    auto* axis = new Axis;
    chart.addAxis(axis, alignment);
    made = true;
    return axis;
}

QDateTime LocalTime(qreal x) {
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(x)));
}

// Ticks stand where their labels say: on whole hours labelled with the hour, or at midnight
// labelled with the day; evenly spread ticks would fall at odd hours under a day's label.
void PlaceTimeTicks(QCategoryAxis& axis, qreal min, qreal max) {
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    axis.setStartValue(min);
    const qreal hours = (max - min) / HourMs;
    constexpr int HourSteps[] = {1, 2, 3, 6, 12};
    constexpr int DaySteps[] = {1, 2, 3, 7, 14, 28, 56, 91, 182, 364};
    const QDate first = LocalTime(min).date();
    const QDate last = LocalTime(max).date();
    // A label centred on a tick at the right end would be cut by the chart's edge.
    max -= (max - min) * LabelRoomShare;
    for (const int step : HourSteps) {
        if (hours / step > MostTicks)
            continue;
        for (QDate day = first; day <= last; day = day.addDays(1))
            for (int hour = 0; hour < 24; hour += step)
                if (const qreal x = ChartX({day, hour}); x >= min && x <= max)
                    axis.append(day.toString(QStringLiteral("MM-dd ")) +
                                    QStringLiteral("%1:00").arg(hour, 2, 10, QChar(u'0')),
                                x);
        return;
    }
    const auto step = std::find_if(std::begin(DaySteps), std::end(DaySteps) - 1,
                                   [&](int days) { return hours / (24.0 * days) <= MostTicks; });
    QDate day = ChartX({first, 0}) >= min ? first : first.addDays(1);
    for (; day <= last && ChartX({day, 0}) <= max; day = day.addDays(*step))
        axis.append(day.toString(Qt::ISODate), ChartX({day, 0}));
}

} // namespace

qreal ChartX(const Hour& hour) {
    return qreal(
        QDateTime(hour.Date, QTime(0, 0)).addSecs(qint64(hour.Number) * 3600).toMSecsSinceEpoch());
}

QCategoryAxis* TimeAxis(const QChart& chart) {
    const QList<QAbstractAxis*> axes = chart.axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.front());
}

std::pair<qreal, qreal> WholeDays(const HourlyRequest& request) {
    const qreal first = ChartX({request.From, 0});
    const qreal last = ChartX({request.To, 23});
    const qreal margin = std::max(HourMs / 2, (last - first) * MarginShare);
    return {first - margin, last + margin};
}

// The value axis is laid out with a margin and rounded outwards to round numbers; beyond this
// magnitude that arithmetic overflows and no line is drawn.
constexpr double LargestDrawnValue = 1e300;

QString UndrawableValue(const QList<HourlyRun>& runs) {
    for (const HourlyRun& run : runs)
        for (const HourValue& value : run)
            if (!(std::abs(value.Value) <= LargestDrawnValue)) // not a number fails too
                return QStringLiteral("The chart cannot draw the value %1 of %2: its axis holds "
                                      "values from -%3 to %3.")
                    .arg(QString::number(value.Value), value.At.Text(),
                         QString::number(LargestDrawnValue));
    return {};
}

void DrawHourlyRuns(QChart& chart, const HourlyRequest& request, const QList<HourlyRun>& runs,
                    const QString& plantName) {
    chart.zoomReset();
    chart.removeAllSeries();
    const QString label = request.Shown->Label;
    const QString facility = plantName.isEmpty() ? QString::number(request.FacilityId)
                                                 : QStringLiteral("%1 %2")
                                                       .arg(request.FacilityId)
                                                       .arg(plantName.simplified()); // one line
    chart.setTitle(QStringLiteral("Facility %1, unit %2: %3").arg(facility, request.UnitId, label));
    chart.legend()->hide();

    bool made = false;
    auto* time = ChartAxis<QCategoryAxis>(chart, Qt::AlignBottom, made);
    if (made) {
        time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        // A zoom changes the range: the ticks follow.
        QObject::connect(time, &QValueAxis::rangeChanged, time,
                         [time](qreal min, qreal max) { PlaceTimeTicks(*time, min, max); });
    }
    time->setTitleText(QStringLiteral("Hour"));
    const auto [min, max] = WholeDays(request);
    time->setRange(min, max);
    PlaceTimeTicks(*time, min, max); // also when the range stayed the same
    auto* values = ChartAxis<QValueAxis>(chart, Qt::AlignLeft, made);
    values->setTitleText(label);

    QPen pen(LineColour);
    pen.setWidthF(1.2);
    auto* alone = new QScatterSeries;
    alone->setColor(LineColour);
    alone->setBorderColor(LineColour);
    alone->setMarkerSize(5);
    double low = 0;
    double high = 0;
    bool any = false;
    auto add = [&](QXYSeries* series) {
        chart.addSeries(series);
        series->attachAxis(time);
        series->attachAxis(values);
    };
    for (const HourlyRun& run : runs) {
        QList<QPointF> points;
        points.reserve(run.size());
        for (const HourValue& value : run) {
            points << QPointF(ChartX(value.At), value.Value);
            low = any ? std::min(low, value.Value) : value.Value;
            high = any ? std::max(high, value.Value) : value.Value;
            any = true;
        }
        if (run.size() == 1) {
            alone->append(points.front());
            continue;
        }
        auto* line = new QLineSeries;
        line->setPen(pen);
        line->replace(points); // one change signal for the whole run
        add(line);
    }
    if (alone->count() > 0)
        add(alone);
    else
        delete alone;
    // A flat or empty series still gets an axis with some height; the highest and lowest
    // values stand a little inside it.
    low = std::min(low, 0.0);
    const double room = high > low ? (high - low) * MarginShare : 1;
    values->setRange(low < 0 ? low - room : low, high + room);
    values->applyNiceNumbers();
}

QImage RenderHourlyChart(const HourlyRequest& request, const QList<HourlyRun>& runs, QSize size) {
    QChartView view;
    view.setRenderHint(QPainter::Antialiasing);
    DrawHourlyRuns(*view.chart(), request, runs);
    view.resize(size);
    return view.grab().toImage();
}

} // namespace tarnwick
