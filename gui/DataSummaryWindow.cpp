#include "gui/DataSummaryWindow.h"

#include "gui/RecentPlaces.h"
#include "gui/SaveFileChooser.h"
#include "view/CsvExport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwick {

namespace {

constexpr int UnitColumn = 3;
constexpr int MissingColumn = 7;
const QColor MissingHoursBackground(0xff, 0xe4, 0xb0);
constexpr int SortRole = Qt::UserRole;
constexpr int SummaryRowRole = Qt::UserRole + 1; // on the first column: the row's place in Summary

// Sorts unit ids naturally, U2 before U10: each run of digits compares as its number.
QString NaturalKey(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QString key;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& run : digits.globalMatch(text)) {
        key += text.mid(from, run.capturedStart() - from);
        key += run.captured().rightJustified(20, u'0');
        from = run.capturedEnd();
    }
    return key + text.mid(from) + QChar(0) + text; // equal numbers: 2 and 02 by their text
}

// One line of text: a line end in a plant name would make its row taller than the others.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return text;
}

QList<QStandardItem*> RowItems(const UnitSummary& unit, int row, const QIcon& mark) {
    const QStringList fields = SummaryFields(unit);
    QList<QStandardItem*> items;
    for (int column = 0; column < fields.size(); ++column) {
        QVariant key = fields.at(column);
        if (column == 0) // facility, then unit: the order the table opens in
            key = QStringLiteral("%1").arg(unit.FacilityId, 20, 10, QChar(u'0')) +
                  NaturalKey(unit.UnitId);
        else if (column == UnitColumn)
            key = NaturalKey(unit.UnitId);
        else if (column == 6)
            key = unit.HoursLoaded;
        else if (column == MissingColumn)
            key = unit.MissingHours;
        else if (column == 8)
            key = unit.OperatingHours.value_or(-1);
        auto* item = new QStandardItem(OneLine(fields.at(column)));
        item->setEditable(false);
        item->setData(key, SortRole);
        if (IsRightAligned(column))
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (unit.MissingHours > 0)
            item->setBackground(MissingHoursBackground);
        items << item;
    }
    items.front()->setData(row, SummaryRowRole);
    if (unit.MissingHours > 0) {
        QStandardItem* missing = items.at(MissingColumn);
        missing->setIcon(mark);
        missing->setToolTip(QStringLiteral("%1 hours between the first and last hour have no row")
                                .arg(unit.MissingHours));
    }
    return items;
}

// A word to a line in the headings, so that the columns are as narrow as their values.
QStringList WindowHeader() {
    QStringList header = SummaryHeader();
    for (QString& heading : header)
        heading.replace(u' ', u'\n');
    return header;
}

} // namespace

DataSummaryWindow::DataSummaryWindow(const QString& databasePath, SaveFileChooser& saving,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), Saving(saving), Reading(databasePath) {
    setObjectName(QStringLiteral("frmDataSummary"));
    setWindowTitle(QStringLiteral("Data Summary - %1").arg(WithoutUriPassword(databasePath)));
    Model = new QStandardItemModel(this);
    Model->setSortRole(SortRole);
    Table = new QTableView;
    Table->setObjectName(QStringLiteral("tblSummary"));
    Table->setModel(Model);
    Table->setSortingEnabled(true);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setWordWrap(false);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    Table->setToolTip(QStringLiteral("Double-click a unit for its hourly chart"));
    connect(Table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this] { FitColumns(); });
    connect(Table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const UnitSummary& unit = Summary.at(index.siblingAtColumn(0).data(SummaryRowRole).toInt());
        emit chartAsked(unit.FacilityId, unit.UnitId);
    });
    Status = new QLabel;
    Status->setObjectName(QStringLiteral("lblStatus"));
    CancelButton = new QPushButton(QStringLiteral("Cancel"));
    CancelButton->setObjectName(QStringLiteral("cmdCancel"));
    SaveCsvButton = new QPushButton(QStringLiteral("Save as &CSV…"));
    SaveCsvButton->setObjectName(QStringLiteral("cmdSaveCsv"));
    SaveCsvButton->setEnabled(false);
    connect(SaveCsvButton, &QPushButton::clicked, this, [this] { SaveCsv(); });

    auto* actions = new QHBoxLayout;
    actions->addWidget(Status, 1);
    actions->addWidget(CancelButton);
    actions->addWidget(SaveCsvButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table, 1);
    layout->addLayout(actions);
    resize(1000, 520);
    ShowReads(Reading, this, Status, CancelButton);
    Reading.Start<QList<UnitSummary>>(ReadDataSummary, [this](QList<UnitSummary> summary) {
        Summary = std::move(summary);
        ShowRows();
    });
}

void DataSummaryWindow::ShowRows() {
    Model->clear();
    Model->setHorizontalHeaderLabels(WindowHeader());
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < Summary.size(); ++row)
        Model->appendRow(RowItems(Summary.at(row), row, mark));
    Table->sortByColumn(0, Qt::AscendingOrder);
    FitColumns();
    const auto missing = std::count_if(Summary.begin(), Summary.end(),
                                       [](const UnitSummary& unit) { return unit.MissingHours; });
    Status->setText(QStringLiteral("%1 units; %2 with missing hours (marked).")
                        .arg(Summary.size())
                        .arg(missing));
    SaveCsvButton->setEnabled(!Summary.isEmpty());
}

// Each column as wide as its values or its heading, and the sorted one with room for its arrow.
// Qt's own fit keeps that room beside every heading, as wide as the heading is high: too wide
// for 1,000 pixels with headings of three lines.
void DataSummaryWindow::FitColumns() {
    QHeaderView* header = Table->horizontalHeader();
    header->setSortIndicatorShown(false);
    Table->resizeColumnsToContents();
    if (const int sorted = header->sortIndicatorSection();
        sorted >= 0 && sorted < Model->columnCount()) {
        const int arrow =
            header->sizeHint().height() / 2 + 2 * style()->pixelMetric(QStyle::PM_HeaderMargin);
        Table->setColumnWidth(
            sorted, std::max(Table->columnWidth(sorted), header->sectionSizeHint(sorted) + arrow));
    }
    header->setSortIndicatorShown(true);
}

// The rows in the order shown.
void DataSummaryWindow::SaveCsv() {
    QList<UnitSummary> shown;
    for (int row = 0; row < Model->rowCount(); ++row)
        shown << Summary.at(Model->index(row, 0).data(SummaryRowRole).toInt());
    const QString outcome = SaveThroughDialog(
        Saving, this, DatabasePath(), QStringLiteral("Save the summary as CSV"),
        QStringLiteral("summary.csv"), QStringLiteral("CSV files (*.csv)"),
        [&](QIODevice& file) { WriteOut(file, SummaryCsv(shown), QStringLiteral("the summary")); });
    if (!outcome.isEmpty())
        Status->setText(outcome);
}

} // namespace tarnwick
