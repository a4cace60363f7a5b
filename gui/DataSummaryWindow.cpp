#include "gui/DataSummaryWindow.h"

#include "db/Error.h"
#include "gui/SaveFileChooser.h"
#include "view/CsvExport.h"
#include "view/SourcesReader.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwick {

namespace {

constexpr int MissingColumn = 7;
const QColor MissingHoursBackground(0xff, 0xe4, 0xb0);

// An item whose sort follows `value` (numbers as numbers) while it shows `text`.
QStandardItem* NewItem(const QString& text, const QVariant& value = {}) {
    auto* item = new QStandardItem;
    item->setEditable(false);
    item->setData(value.isValid() ? value : QVariant(text), Qt::DisplayRole);
    return item;
}

QList<QStandardItem*> RowItems(const UnitSummary& unit, const QIcon& mark) {
    const QStringList fields = SummaryFields(unit);
    QList<QStandardItem*> items;
    for (int column = 0; column < fields.size(); ++column) {
        QVariant value;
        if (column == 0)
            value = unit.FacilityId;
        else if (column == 6)
            value = unit.HoursLoaded;
        else if (column == MissingColumn)
            value = unit.MissingHours;
        else if (column == 8 && unit.OperatingHours)
            value = *unit.OperatingHours;
        QStandardItem* item = NewItem(fields.at(column), value);
        if (IsRightAligned(column))
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (unit.MissingHours > 0)
            item->setBackground(MissingHoursBackground);
        items << item;
    }
    if (unit.MissingHours > 0) {
        QStandardItem* missing = items.at(MissingColumn);
        missing->setIcon(mark);
        missing->setToolTip(QStringLiteral("%1 hours between the first and last hour have no row")
                                .arg(unit.MissingHours));
    }
    return items;
}

} // namespace

DataSummaryWindow::DataSummaryWindow(const QString& databasePath, SaveFileChooser& saving,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), DatabasePath(databasePath), Saving(saving) {
    setObjectName(QStringLiteral("frmDataSummary"));
    setWindowTitle(QStringLiteral("Data Summary - %1").arg(databasePath));
    Model = new QStandardItemModel(this);
    Table = new QTableView;
    Table->setObjectName(QStringLiteral("tblSummary"));
    Table->setModel(Model);
    Table->setSortingEnabled(true);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->verticalHeader()->hide();
    Status = new QLabel;
    Status->setObjectName(QStringLiteral("lblStatus"));
    SaveCsvButton = new QPushButton(QStringLiteral("Save as &CSV…"));
    SaveCsvButton->setObjectName(QStringLiteral("cmdSaveCsv"));
    connect(SaveCsvButton, &QPushButton::clicked, this, [this] { SaveCsv(); });

    auto* actions = new QHBoxLayout;
    actions->addWidget(Status, 1);
    actions->addWidget(SaveCsvButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table, 1);
    layout->addLayout(actions);
    resize(1000, 520);
    Load();
}

void DataSummaryWindow::Load() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SourcesReader reader(DatabasePath);
        Summary = ReadDataSummary(reader);
    } catch (const std::exception& error) {
        QGuiApplication::restoreOverrideCursor();
        Status->setText(MessageOf(error));
        return;
    }
    QGuiApplication::restoreOverrideCursor();
    ShowRows();
}

void DataSummaryWindow::ShowRows() {
    Model->clear();
    Model->setHorizontalHeaderLabels(SummaryHeader());
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const UnitSummary& unit : Summary)
        Model->appendRow(RowItems(unit, mark));
    Table->sortByColumn(0, Qt::AscendingOrder);
    Table->resizeColumnsToContents();
    const auto missing = std::count_if(Summary.begin(), Summary.end(),
                                       [](const UnitSummary& unit) { return unit.MissingHours; });
    Status->setText(QStringLiteral("%1 units; %2 with missing hours (marked).")
                        .arg(Summary.size())
                        .arg(missing));
}

void DataSummaryWindow::SaveCsv() {
    const QString outcome = SaveThroughDialog(
        Saving, this, QStringLiteral("Save the summary as CSV"), QStringLiteral("summary.csv"),
        QStringLiteral("CSV files (*.csv)"), [&](QIODevice& file) {
            WriteOut(file, SummaryCsv(Summary), QStringLiteral("the summary"));
        });
    if (!outcome.isEmpty())
        Status->setText(outcome);
}

} // namespace tarnwick
