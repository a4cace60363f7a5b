#pragma once

#include "view/HourlySeries.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
QT_END_NAMESPACE

namespace tarnwick {

class SaveFileChooser;

// The Hourly Chart window: pick a facility, a unit, a measure and a range of days, and see the
// hourly values as a line over time.
class HourlyChartWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the facilities of `databasePath` at once, through a connection of its own.
    HourlyChartWindow(const QString& databasePath, SaveFileChooser& saving,
                      QWidget* parent = nullptr);

    QChart* Chart() const;
    // What the chart shows now.
    const HourlyRequest& Shown() const { return Request; }

private:
    void BuildControls();
    void LoadFacilities();
    void ShowUnits();
    void ShowUnitDays();
    void Redraw();
    void SavePng();
    void SaveCsv();
    // Runs `action` on a fresh connection; a failure goes to the status line. False on failure.
    bool Reading(const std::function<void(SourcesReader&)>& action);
    QString SuggestedName(const QString& extension) const;

    QString DatabasePath;
    SaveFileChooser& Saving;
    QList<ChartFacility> Facilities;
    HourlyRequest Request;

    QComboBox* FacilityBox = nullptr;
    QComboBox* UnitBox = nullptr;
    QComboBox* MeasureBox = nullptr;
    QDateEdit* FromEdit = nullptr;
    QDateEdit* ToEdit = nullptr;
    QChartView* View = nullptr;
    QLabel* Status = nullptr;
    QPushButton* SavePngButton = nullptr;
    QPushButton* SaveCsvButton = nullptr;
};

} // namespace tarnwick
