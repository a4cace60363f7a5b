#pragma once

#include "view/DataSummary.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace tarnwick {

class SaveFileChooser;

// The Data Summary window: one sortable row per facility and unit saying what is loaded of
// it; rows with missing hours are marked.
class DataSummaryWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the summary of `databasePath` at once, through a connection of its own.
    DataSummaryWindow(const QString& databasePath, SaveFileChooser& saving,
                      QWidget* parent = nullptr);

    const QList<UnitSummary>& Units() const { return Summary; }

private:
    void Load();
    void ShowRows();
    void SaveCsv();

    QString DatabasePath;
    SaveFileChooser& Saving;
    QList<UnitSummary> Summary;

    QStandardItemModel* Model = nullptr;
    QTableView* Table = nullptr;
    QLabel* Status = nullptr;
    QPushButton* SaveCsvButton = nullptr;
};

} // namespace tarnwick
