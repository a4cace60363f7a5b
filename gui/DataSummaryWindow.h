#pragma once

#include "gui/ViewReads.h"
#include "view/DataSummary.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace tarnwick {

class SaveFileChooser;

// The Data Summary window: one sortable row per facility and unit saying what is loaded of
// it; rows with missing hours are marked. Double-clicking a row asks for its chart.
class DataSummaryWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the summary of `databasePath` on a thread of its own.
    DataSummaryWindow(const QString& databasePath, SaveFileChooser& saving,
                      QWidget* parent = nullptr);

    const QList<UnitSummary>& Units() const { return Summary; }
    const QString& DatabasePath() const { return Reading.DatabasePath(); }
    ViewReads& Reads() { return Reading; }

signals:
    void chartAsked(qint64 facility, const QString& unit);

private:
    void ShowRows();
    void FitColumns();
    void SaveCsv();

    SaveFileChooser& Saving;
    ViewReads Reading;
    QList<UnitSummary> Summary;

    QStandardItemModel* Model = nullptr;
    QTableView* Table = nullptr;
    QLabel* Status = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* SaveCsvButton = nullptr;
};

} // namespace tarnwick
