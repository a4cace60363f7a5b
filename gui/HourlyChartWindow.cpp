#include "gui/HourlyChartWindow.h"

#include "chart/HourlyChart.h"
#include "db/Error.h"
#include "gui/RecentPlaces.h"
#include "gui/SaveFileChooser.h"
#include "view/CsvExport.h"

#include <QCategoryAxis>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace tarnwick {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
constexpr qreal ClosestZoomMs = 2 * 3600 * 1000.0;

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QDateEdit* NewDateEdit(const char* name) {
    auto* edit = Named(new QDateEdit, name);
    edit->setDisplayFormat(DateFormat);
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

// The chart itself: hovering anywhere over the plot shows the hour nearest to the pointer that
// has a value; a dragged rectangle or the wheel zooms the days, within the whole range.
class HourlyChartView : public QChartView {
public:
    HourlyChartView() {
        setObjectName(QStringLiteral("chtHourly"));
        setRenderHint(QPainter::Antialiasing);
        setRubberBand(QChartView::HorizontalRubberBand);
        setMouseTracking(true);
    }

    void Show(const QList<HourlyRun>& runs, const QString& label, std::pair<qreal, qreal> whole) {
        Points.clear();
        for (const HourlyRun& run : runs)
            for (const HourValue& value : run)
                Points.emplace_back(ChartX(value.At), value.Value); // in time order
        Label = label;
        Whole = whole;
    }
    void Clear() { Points.clear(); }

    bool Zoomed() const {
        const QCategoryAxis* time = TimeAxis(*chart());
        return time && !Points.empty() && (time->min() > Whole.first || time->max() < Whole.second);
    }
    void ShowWholeRange() {
        if (QCategoryAxis* time = TimeAxis(*chart())) {
            chart()->zoomReset();
            time->setRange(Whole.first, Whole.second);
        }
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        QChartView::mouseMoveEvent(event);
        const QString text = HoverText(event->position());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }

    void wheelEvent(QWheelEvent* event) override {
        QCategoryAxis* time = TimeAxis(*chart());
        if (!time || Points.empty() || event->angleDelta().y() == 0) {
            QChartView::wheelEvent(event);
            return;
        }
        const qreal x = std::clamp(ValueAt(event->position()).x(), time->min(), time->max());
        const qreal factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
        const qreal min = std::max(Whole.first, x - (x - time->min()) * factor);
        const qreal max = std::min(Whole.second, x + (time->max() - x) * factor);
        if (max - min >= ClosestZoomMs)
            time->setRange(min, max);
        event->accept();
    }

private:
    QPointF ValueAt(QPointF at) const {
        return chart()->mapToValue(chart()->mapFromScene(mapToScene(at.toPoint())));
    }

    QString HoverText(QPointF at) const {
        if (Points.empty() ||
            !chart()->plotArea().contains(chart()->mapFromScene(mapToScene(at.toPoint()))))
            return {};
        const qreal x = ValueAt(at).x();
        auto nearest =
            std::lower_bound(Points.begin(), Points.end(), x,
                             [](const QPointF& point, qreal x) { return point.x() < x; });
        if (nearest == Points.end() ||
            (nearest != Points.begin() && x - std::prev(nearest)->x() < nearest->x() - x))
            --nearest;
        return QStringLiteral("%1\n%2: %3")
            .arg(QDateTime::fromMSecsSinceEpoch(qint64(nearest->x()))
                     .toString(QStringLiteral("yyyy-MM-dd hh:mm")),
                 Label, QString::number(nearest->y(), 'g', 10));
    }

    std::vector<QPointF> Points;
    QString Label;
    std::pair<qreal, qreal> Whole;
};

HourlyChartWindow::HourlyChartWindow(const QString& databasePath, SaveFileChooser& saving,
                                     QWidget* parent,
                                     std::optional<std::pair<qint64, QString>> unit)
    : QWidget(parent, Qt::Window), Saving(saving), Reading(databasePath),
      FirstUnit(std::move(unit)) {
    setObjectName(QStringLiteral("frmHourlyChart"));
    setWindowTitle(QStringLiteral("Hourly Chart - %1").arg(WithoutUriPassword(databasePath)));
    BuildControls();
    resize(900, 560);
    LoadFacilities();
}

void HourlyChartWindow::BuildControls() {
    FacilityBox = Named(new QComboBox, "cboFacility");
    UnitBox = Named(new QComboBox, "cboUnit");
    MeasureBox = Named(new QComboBox, "cboMeasure");
    // Widths that do not follow the facilities, read after the window opens.
    for (const auto& [box, letters] : {std::pair{FacilityBox, 18}, {MeasureBox, 20}}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(letters);
    }
    for (const Measure& measure : Measures())
        MeasureBox->addItem(measure.Label, measure.Column);
    MeasureBox->setCurrentIndex(MeasureBox->findData(QStringLiteral("SO2_MASS_LB_HOUR")));
    FromEdit = NewDateEdit("dtpFrom");
    ToEdit = NewDateEdit("dtpTo");
    View = new HourlyChartView;
    Status = Named(new QLabel, "lblStatus");
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CancelButton = Named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
    WholeRangeButton = Named(new QPushButton(QStringLiteral("&Whole range")), "cmdWholeRange");
    WholeRangeButton->setToolTip(QStringLiteral("Drag over the chart or turn the wheel to zoom"));
    SavePngButton = Named(new QPushButton(QStringLiteral("Save as &PNG…")), "cmdSavePng");
    SaveCsvButton = Named(new QPushButton(QStringLiteral("Save as &CSV…")), "cmdSaveCsv");

    auto* choices = new QHBoxLayout;
    auto addLabelled = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        choices->addWidget(label);
        choices->addWidget(field);
    };
    addLabelled(QStringLiteral("&Facility:"), FacilityBox);
    addLabelled(QStringLiteral("&Unit:"), UnitBox);
    addLabelled(QStringLiteral("&Measure:"), MeasureBox);
    addLabelled(QStringLiteral("F&rom:"), FromEdit);
    addLabelled(QStringLiteral("&To:"), ToEdit);
    choices->addStretch();
    auto* actions = new QHBoxLayout;
    actions->addWidget(Status, 1);
    for (QPushButton* button : {CancelButton, WholeRangeButton, SavePngButton, SaveCsvButton})
        actions->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(View, 1);
    layout->addLayout(actions);

    connect(FacilityBox, &QComboBox::currentIndexChanged, this, [this] { ShowUnits(); });
    connect(UnitBox, &QComboBox::currentIndexChanged, this, [this] { ShowUnit(); });
    connect(MeasureBox, &QComboBox::currentIndexChanged, this, [this] { Redraw(); });
    connect(FromEdit, &QDateEdit::dateChanged, this, [this] { Redraw(); });
    connect(ToEdit, &QDateEdit::dateChanged, this, [this] { Redraw(); });
    connect(WholeRangeButton, &QPushButton::clicked, this, [this] { View->ShowWholeRange(); });
    connect(SavePngButton, &QPushButton::clicked, this, [this] { SavePng(); });
    connect(SaveCsvButton, &QPushButton::clicked, this, [this] { SaveCsv(); });
    ShowReads(Reading, this, Status, CancelButton);
    connect(&Reading, &ViewReads::started, this, &HourlyChartWindow::EnableActions);
    connect(&Reading, &ViewReads::finished, this, &HourlyChartWindow::EnableActions);
    EnableActions();
}

// Nothing to save while the chart is read, or when it shows nothing.
void HourlyChartWindow::EnableActions() {
    const bool shown = Request.Shown && !Reading.Busy();
    SavePngButton->setEnabled(shown);
    SaveCsvButton->setEnabled(shown && HoursShown > 0);
    WholeRangeButton->setEnabled(shown && View->Zoomed());
}

QChart* HourlyChartWindow::Chart() const {
    return View->chart();
}

void HourlyChartWindow::LoadFacilities() {
    Reading.Start<QList<ChartFacility>>(ReadChartFacilities, [this](QList<ChartFacility> read) {
        Facilities = std::move(read);
        {
            const QSignalBlocker blocker(FacilityBox);
            for (const ChartFacility& facility : Facilities)
                FacilityBox->addItem(
                    facility.PlantName.isEmpty()
                        ? QString::number(facility.Id)
                        : QStringLiteral("%1  %2").arg(facility.Id).arg(facility.PlantName));
            if (FirstUnit)
                for (int i = 0; i < Facilities.size(); ++i)
                    if (Facilities.at(i).Id == FirstUnit->first)
                        FacilityBox->setCurrentIndex(i);
        }
        if (Facilities.isEmpty())
            Clear(QStringLiteral("EMISSIONS holds no hours yet."));
        else
            ShowUnits();
    });
}

void HourlyChartWindow::ShowUnits() {
    const int index = FacilityBox->currentIndex();
    if (index < 0 || index >= Facilities.size())
        return;
    const ChartFacility& facility = Facilities.at(index);
    {
        const QSignalBlocker blocker(UnitBox);
        UnitBox->clear();
        UnitBox->addItems(facility.Units);
    }
    if (FirstUnit) {
        const auto [id, unit] = *std::exchange(FirstUnit, std::nullopt);
        if (id != facility.Id || !facility.Units.contains(unit))
            return Clear(QStringLiteral("EMISSIONS holds no hours of unit \"%1\" of facility %2.")
                             .arg(unit)
                             .arg(id));
        const QSignalBlocker blocker(UnitBox);
        UnitBox->setCurrentText(unit);
    }
    ShowUnit();
}

std::optional<HourlyRequest> HourlyChartWindow::Chosen() const {
    const int facility = FacilityBox->currentIndex();
    if (facility < 0 || facility >= Facilities.size() || UnitBox->currentIndex() < 0)
        return std::nullopt;
    return HourlyRequest{Facilities.at(facility).Id, UnitBox->currentText(),
                         FindMeasure(MeasureBox->currentData().toString()), FromEdit->date(),
                         ToEdit->date()};
}

// Another unit keeps the days chosen where it has hours in them, else shows all of its own.
void HourlyChartWindow::ShowUnit() {
    const std::optional<HourlyRequest> chosen = Chosen();
    if (!chosen)
        return;
    using Shown = std::pair<HourlyRequest, QList<HourlyRun>>;
    const bool keepDays = DaysChosen && chosen->From <= chosen->To;
    Reading.Start<Shown>(
        [request = *chosen, keepDays](SourcesReader& reader) mutable {
            if (!keepDays ||
                !HasHours(reader, request.FacilityId, request.UnitId, request.From, request.To))
                std::tie(request.From, request.To) =
                    ReadUnitDays(reader, request.FacilityId, request.UnitId);
            return Shown(request, ReadHourlyRuns(reader, request));
        },
        [this](Shown shown) { Draw(shown.first, shown.second); });
}

void HourlyChartWindow::Redraw() {
    const std::optional<HourlyRequest> chosen = Chosen();
    if (!chosen)
        return;
    if (chosen->From > chosen->To) {
        Reading.Cancel();
        return Clear(QStringLiteral("The first day comes after the last day: nothing to show."));
    }
    Reading.Start<QList<HourlyRun>>(
        [request = *chosen](SourcesReader& reader) { return ReadHourlyRuns(reader, request); },
        [this, request = *chosen](QList<HourlyRun> runs) { Draw(request, runs); });
}

void HourlyChartWindow::Draw(const HourlyRequest& request, const QList<HourlyRun>& runs) {
    {
        const QSignalBlocker fromBlocker(FromEdit);
        const QSignalBlocker toBlocker(ToEdit);
        FromEdit->setDate(request.From);
        ToEdit->setDate(request.To);
    }
    DaysChosen = true;
    if (const QString why = UndrawableValue(runs); !why.isEmpty())
        return Clear(why);
    Request = request;
    QString plant;
    for (const ChartFacility& facility : Facilities)
        if (facility.Id == request.FacilityId)
            plant = facility.PlantName;
    QChart& chart = *View->chart();
    DrawHourlyRuns(chart, request, runs, plant);
    for (QAbstractAxis* axis : chart.axes())
        axis->show();
    View->Show(runs, request.Shown->Label, WholeDays(request));
    if (!WatchingZoom) {
        connect(TimeAxis(chart), &QValueAxis::rangeChanged, this, [this] { EnableActions(); });
        WatchingZoom = true;
    }
    HoursShown = 0;
    for (const HourlyRun& run : runs)
        HoursShown += run.size();
    const qint64 inRange = (request.From.daysTo(request.To) + 1) * 24;
    Status->setText(QStringLiteral("%1 of %2 hours have a value; %3 without.")
                        .arg(HoursShown)
                        .arg(inRange)
                        .arg(inRange - HoursShown));
    EnableActions();
}

void HourlyChartWindow::Clear(const QString& why) {
    Request = {};
    HoursShown = 0;
    QChart& chart = *View->chart();
    chart.removeAllSeries();
    chart.setTitle({});
    for (QAbstractAxis* axis : chart.axes())
        axis->hide();
    View->Clear();
    Status->setText(why);
    EnableActions();
}

QString HourlyChartWindow::SuggestedName(const QString& extension) const {
    QString unit = Request.UnitId;
    unit.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    return QStringLiteral("facility-%1-unit-%2-%3.%4")
        .arg(Request.FacilityId)
        .arg(unit, Request.Shown->Column, extension);
}

void HourlyChartWindow::SavePng() {
    if (!Request.Shown)
        return;
    const QPixmap picture = View->grab();
    const QString outcome = SaveThroughDialog(
        Saving, this, Reading.DatabasePath(), QStringLiteral("Save the chart as PNG"),
        SuggestedName("png"), QStringLiteral("PNG images (*.png)"), [&](QIODevice& file) {
            if (!picture.save(&file, "PNG"))
                throw Error(QStringLiteral("The chart could not be encoded as PNG."),
                            FailureKind::File);
        });
    if (!outcome.isEmpty())
        Status->setText(outcome);
}

// The hours are read again, on the reading thread, as the chart holds only the values.
void HourlyChartWindow::SaveCsv() {
    if (!Request.Shown)
        return;
    const QString path = ChooseSavePath(Saving, this, Reading.DatabasePath(),
                                        QStringLiteral("Save the chart's hours as CSV"),
                                        SuggestedName("csv"), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    const ExportFilter filter{Request.FacilityId, Request.UnitId, Request.From, Request.To};
    const QStringList columns{"FACILITY_ID", "UNIT_ID", "DATA_DATE", "DATA_HOUR",
                              Request.Shown->Column};
    Reading.Start<QString>(
        [path, filter, columns](SourcesReader& reader) {
            return SaveTo(path, [&](QIODevice& file) {
                ExportCsv(reader, ReadExportRequest(EmissionsTable().Name, filter, columns), file);
            });
        },
        [this](QString outcome) { Status->setText(outcome); });
}

} // namespace tarnwick
