#include "chart/HourlyChart.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

const QColor LineColour(0x1f, 0x5f, 0xa8);

QString HoverText(const QXYSeries& series, const QPointF& at, const QString& label) {
    const QList<QPointF> points = series.points();
    if (points.isEmpty())
        return {};
    const auto nearest =
        std::min_element(points.begin(), points.end(), [&](const QPointF& a, const QPointF& b) {
            return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x());
        });
    const QDateTime hour = QDateTime::fromMSecsSinceEpoch(qint64(nearest->x()));
    return QStringLiteral("%1\n%2: %3")
        .arg(hour.toString(QStringLiteral("yyyy-MM-dd hh:mm")), label,
             QString::number(nearest->y(), 'g', 10));
}

void ShowHoverTips(QXYSeries* series, const QString& label) {
    QObject::connect(series, &QXYSeries::hovered, series,
                     [series, label](const QPointF& at, bool entered) {
                         if (entered)
                             QToolTip::showText(QCursor::pos(), HoverText(*series, at, label));
                         else
                             QToolTip::hideText();
                     });
}

// The chart's axis of that kind, made on first use. Kept from one drawing to the next: an
// axis removed from a chart leaves its labels drawn behind.
template <typename Axis> Axis* ChartAxis(QChart& chart, Qt::Alignment alignment) {
    for (QAbstractAxis* axis : chart.axes())
        if (auto* found = qobject_cast<Axis*>(axis))
            return found;
    auto* axis = new Axis;
    chart.addAxis(axis, alignment);
    return axis;
}

// Ticks on whole hours: every six hours over a day or two, every midnight up to ten days,
// seven ticks beyond.
void ShowDays(QDateTimeAxis& time, QDate from, QDate to) {
    const qint64 days = from.daysTo(to) + 1;
    constexpr qint64 HourTicksUpTo = 2;
    constexpr qint64 DayTicksUpTo = 10;
    time.setFormat(days <= HourTicksUpTo ? QStringLiteral("MM-dd hh:mm")
                                         : QStringLiteral("yyyy-MM-dd"));
    time.setTickCount(int(days <= HourTicksUpTo  ? days * 4 + 1
                          : days <= DayTicksUpTo ? days + 1
                                                 : 7));
    time.setRange(QDateTime(from, QTime(0, 0)), QDateTime(to.addDays(1), QTime(0, 0)));
}

void AddSeries(QChart& chart, QXYSeries* series, const QList<QAbstractAxis*>& axes,
               const QString& label) {
    chart.addSeries(series);
    for (QAbstractAxis* axis : axes)
        series->attachAxis(axis);
    ShowHoverTips(series, label);
}

} // namespace

qreal ChartX(const Hour& hour) {
    return qreal(
        QDateTime(hour.Date, QTime(0, 0)).addSecs(qint64(hour.Number) * 3600).toMSecsSinceEpoch());
}

void DrawHourlyRuns(QChart& chart, const HourlyRequest& request, const QList<HourlyRun>& runs) {
    chart.removeAllSeries();
    const QString label = request.Shown->Label;
    chart.setTitle(QStringLiteral("Facility %1, unit %2: %3")
                       .arg(request.FacilityId)
                       .arg(request.UnitId, label));
    chart.legend()->hide();

    auto* time = ChartAxis<QDateTimeAxis>(chart, Qt::AlignBottom);
    time->setTitleText(QStringLiteral("Hour"));
    ShowDays(*time, request.From, request.To);
    auto* values = ChartAxis<QValueAxis>(chart, Qt::AlignLeft);
    values->setTitleText(label);
    const QList<QAbstractAxis*> axes{time, values};

    QPen pen(LineColour);
    pen.setWidthF(1.2);
    auto* alone = new QScatterSeries;
    alone->setColor(LineColour);
    alone->setBorderColor(LineColour);
    alone->setMarkerSize(5);
    double low = 0;
    double high = 0;
    bool any = false;
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
        AddSeries(chart, line, axes, label);
    }
    if (alone->count() > 0)
        AddSeries(chart, alone, axes, label);
    else
        delete alone;
    // A flat or empty series still gets an axis with some height.
    values->setRange(std::min(low, 0.0), high > low ? high : low + 1);
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
