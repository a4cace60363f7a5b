#include "gui/HourlyChartWindow.h"

#include "chart/HourlyChart.h"
#include "db/Error.h"
#include "gui/SaveFileChooser.h"
#include "view/CsvExport.h"
#include "view/SourcesReader.h"

#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tarnwick {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");

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

HourlyChartWindow::HourlyChartWindow(const QString& databasePath, SaveFileChooser& saving,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), DatabasePath(databasePath), Saving(saving) {
    setObjectName(QStringLiteral("frmHourlyChart"));
    setWindowTitle(QStringLiteral("Hourly Chart - %1").arg(databasePath));
    BuildControls();
    resize(900, 560);
    LoadFacilities();
}

void HourlyChartWindow::BuildControls() {
    FacilityBox = Named(new QComboBox, "cboFacility");
    FacilityBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    UnitBox = Named(new QComboBox, "cboUnit");
    MeasureBox = Named(new QComboBox, "cboMeasure");
    for (const Measure& measure : Measures())
        MeasureBox->addItem(measure.Label, measure.Column);
    FromEdit = NewDateEdit("dtpFrom");
    ToEdit = NewDateEdit("dtpTo");
    View = Named(new QChartView, "chtHourly");
    View->setRenderHint(QPainter::Antialiasing);
    Status = Named(new QLabel, "lblStatus");
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
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
    actions->addWidget(SavePngButton);
    actions->addWidget(SaveCsvButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(View, 1);
    layout->addLayout(actions);

    connect(FacilityBox, &QComboBox::currentIndexChanged, this, [this] { ShowUnits(); });
    connect(UnitBox, &QComboBox::currentIndexChanged, this, [this] { ShowUnitDays(); });
    connect(MeasureBox, &QComboBox::currentIndexChanged, this, [this] { Redraw(); });
    connect(FromEdit, &QDateEdit::dateChanged, this, [this] { Redraw(); });
    connect(ToEdit, &QDateEdit::dateChanged, this, [this] { Redraw(); });
    connect(SavePngButton, &QPushButton::clicked, this, [this] { SavePng(); });
    connect(SaveCsvButton, &QPushButton::clicked, this, [this] { SaveCsv(); });
}

QChart* HourlyChartWindow::Chart() const {
    return View->chart();
}

bool HourlyChartWindow::Reading(const std::function<void(SourcesReader&)>& action) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SourcesReader reader(DatabasePath);
        action(reader);
    } catch (const std::exception& error) {
        QGuiApplication::restoreOverrideCursor();
        Status->setText(MessageOf(error));
        return false;
    }
    QGuiApplication::restoreOverrideCursor();
    return true;
}

void HourlyChartWindow::LoadFacilities() {
    if (!Reading([this](SourcesReader& reader) { Facilities = ReadChartFacilities(reader); }))
        return;
    {
        const QSignalBlocker blocker(FacilityBox);
        for (const ChartFacility& facility : Facilities)
            FacilityBox->addItem(
                facility.PlantName.isEmpty()
                    ? QString::number(facility.Id)
                    : QStringLiteral("%1  %2").arg(facility.Id).arg(facility.PlantName));
    }
    if (Facilities.isEmpty()) {
        Status->setText(QStringLiteral("EMISSIONS holds no hours yet."));
        return;
    }
    ShowUnits();
}

void HourlyChartWindow::ShowUnits() {
    const int index = FacilityBox->currentIndex();
    if (index < 0 || index >= Facilities.size())
        return;
    {
        const QSignalBlocker blocker(UnitBox);
        UnitBox->clear();
        UnitBox->addItems(Facilities.at(index).Units);
    }
    ShowUnitDays();
}

void HourlyChartWindow::ShowUnitDays() {
    const int facility = FacilityBox->currentIndex();
    if (facility < 0 || UnitBox->currentIndex() < 0)
        return;
    std::pair<QDate, QDate> days;
    if (!Reading([&](SourcesReader& reader) {
            days = ReadUnitDays(reader, Facilities.at(facility).Id, UnitBox->currentText());
        }))
        return;
    {
        const QSignalBlocker fromBlocker(FromEdit);
        const QSignalBlocker toBlocker(ToEdit);
        FromEdit->setDate(days.first);
        ToEdit->setDate(days.second);
    }
    Redraw();
}

void HourlyChartWindow::Redraw() {
    const int facility = FacilityBox->currentIndex();
    if (facility < 0 || UnitBox->currentIndex() < 0)
        return;
    HourlyRequest request{Facilities.at(facility).Id, UnitBox->currentText(),
                          FindMeasure(MeasureBox->currentData().toString()), FromEdit->date(),
                          ToEdit->date()};
    if (request.From > request.To) {
        Status->setText(QStringLiteral("The first day comes after the last day."));
        return;
    }
    QList<HourlyRun> runs;
    if (!Reading([&](SourcesReader& reader) { runs = ReadHourlyRuns(reader, request); }))
        return;
    Request = request;
    DrawHourlyRuns(*View->chart(), Request, runs);
    qsizetype hours = 0;
    for (const HourlyRun& run : runs)
        hours += run.size();
    const qint64 inRange = (request.From.daysTo(request.To) + 1) * 24;
    Status->setText(QStringLiteral("%1 of %2 hours have a value; %3 without.")
                        .arg(hours)
                        .arg(inRange)
                        .arg(inRange - hours));
}

QString HourlyChartWindow::SuggestedName(const QString& extension) const {
    QString unit = Request.UnitId;
    unit.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    return QStringLiteral("facility-%1-unit-%2-%3.%4")
        .arg(Request.FacilityId)
        .arg(unit, Request.Shown ? Request.Shown->Column : QString(), extension);
}

void HourlyChartWindow::SavePng() {
    if (!Request.Shown)
        return;
    const QPixmap picture = View->grab();
    const QString outcome = SaveThroughDialog(
        Saving, this, QStringLiteral("Save the chart as PNG"), SuggestedName("png"),
        QStringLiteral("PNG images (*.png)"), [&](QIODevice& file) {
            if (!picture.save(&file, "PNG"))
                throw Error(QStringLiteral("The chart could not be encoded as PNG."),
                            FailureKind::File);
        });
    if (!outcome.isEmpty())
        Status->setText(outcome);
}

void HourlyChartWindow::SaveCsv() {
    if (!Request.Shown)
        return;
    const ExportFilter filter{Request.FacilityId, Request.UnitId, Request.From, Request.To};
    const QStringList columns{"FACILITY_ID", "UNIT_ID", "DATA_DATE", "DATA_HOUR",
                              Request.Shown->Column};
    const QString outcome = SaveThroughDialog(
        Saving, this, QStringLiteral("Save the chart's hours as CSV"), SuggestedName("csv"),
        QStringLiteral("CSV files (*.csv)"), [&](QIODevice& file) {
            SourcesReader reader(DatabasePath);
            ExportCsv(reader, ReadExportRequest(EmissionsTable().Name, filter, columns), file);
        });
    if (!outcome.isEmpty())
        Status->setText(outcome);
}

} // namespace tarnwick
