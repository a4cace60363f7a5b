#pragma once

#include "gui/ViewReads.h"
#include "view/HourlySeries.h"

#include <QWidget>
#include <optional>
#include <utility>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace tarnwick {

class HourlyChartView;
class SaveFileChooser;

// The Hourly Chart window: pick a facility, a unit, a measure and a range of days, and see the
// hourly values as a line over time. Hovering shows the nearest hour; a dragged rectangle or
// the wheel zooms in, "Whole range" back out.
class HourlyChartWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the facilities of `databasePath` on a thread of its own, then shows `unit` (a
    // facility and unit) if given, else the first.
    HourlyChartWindow(const QString& databasePath, SaveFileChooser& saving,
                      QWidget* parent = nullptr,
                      std::optional<std::pair<qint64, QString>> unit = std::nullopt);

    QChart* Chart() const;
    // What the chart shows now; no measure when it shows nothing.
    const HourlyRequest& Shown() const { return Request; }
    ViewReads& Reads() { return Reading; }

private:
    void BuildControls();
    void LoadFacilities();
    void ShowUnits();
    void ShowUnit();
    void Redraw();
    void Draw(const HourlyRequest& request, const QList<HourlyRun>& runs);
    void Clear(const QString& why);
    void EnableActions();
    std::optional<HourlyRequest> Chosen() const;
    void SavePng();
    void SaveCsv();
    QString SuggestedName(const QString& extension) const;

    SaveFileChooser& Saving;
    ViewReads Reading;
    QList<ChartFacility> Facilities;
    std::optional<std::pair<qint64, QString>> FirstUnit;
    HourlyRequest Request;
    qsizetype HoursShown = 0;
    bool DaysChosen = false; // the day boxes hold days shown before, to keep for the next unit
    bool WatchingZoom = false;

    QComboBox* FacilityBox = nullptr;
    QComboBox* UnitBox = nullptr;
    QComboBox* MeasureBox = nullptr;
    QDateEdit* FromEdit = nullptr;
    QDateEdit* ToEdit = nullptr;
    HourlyChartView* View = nullptr;
    QLabel* Status = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* WholeRangeButton = nullptr;
    QPushButton* SavePngButton = nullptr;
    QPushButton* SaveCsvButton = nullptr;
};

} // namespace tarnwick
