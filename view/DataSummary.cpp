#include "view/DataSummary.h"

#include "view/CsvExport.h"
#include "view/SourcesReader.h"

#include <algorithm>

namespace tarnwick {

namespace {

using UnitKey = std::pair<qint64, QString>;

// One pass over the primary key's index counts each unit's hours; its first and last hour are
// looked up by the same index. Taking them from the pass too (MIN and MAX of DATA_DATE) made it
// three times as slow.
const QString HoursQuery = QStringLiteral(
    "SELECT d.FACILITY_ID, d.UNIT_ID, d.FIRST_DATE, "
    "(SELECT MIN(e.DATA_HOUR) FROM EMISSIONS e WHERE e.FACILITY_ID = d.FACILITY_ID AND "
    "e.UNIT_ID = d.UNIT_ID AND e.DATA_DATE = d.FIRST_DATE), d.LAST_DATE, "
    "(SELECT MAX(e.DATA_HOUR) FROM EMISSIONS e WHERE e.FACILITY_ID = d.FACILITY_ID AND "
    "e.UNIT_ID = d.UNIT_ID AND e.DATA_DATE = d.LAST_DATE), d.HOURS "
    "FROM (SELECT g.FACILITY_ID, g.UNIT_ID, g.HOURS, "
    "(SELECT MIN(e.DATA_DATE) FROM EMISSIONS e WHERE e.FACILITY_ID = g.FACILITY_ID AND "
    "e.UNIT_ID = g.UNIT_ID) AS FIRST_DATE, "
    "(SELECT MAX(e.DATA_DATE) FROM EMISSIONS e WHERE e.FACILITY_ID = g.FACILITY_ID AND "
    "e.UNIT_ID = g.UNIT_ID) AS LAST_DATE "
    "FROM (SELECT FACILITY_ID, UNIT_ID, COUNT(*) AS HOURS FROM EMISSIONS "
    "GROUP BY FACILITY_ID, UNIT_ID) g) d");

const QDate SerialStart(1970, 1, 1);

int QuarterSerial(QDate date) {
    return date.year() * 4 + (date.month() - 1) / 3;
}

UnitSummary& Entry(std::map<UnitKey, UnitSummary>& units, qint64 facility, const QString& unit) {
    UnitSummary& entry = units[{facility, unit}];
    entry.FacilityId = facility;
    entry.UnitId = unit;
    return entry;
}

void ReadHours(SourcesReader& reader, std::map<UnitKey, UnitSummary>& units) {
    QSqlQuery query = reader.Run(HoursQuery);
    while (reader.Next(query)) {
        UnitSummary& unit = Entry(units, query.value(0).toLongLong(), query.value(1).toString());
        unit.First = Hour{DateValue(query.value(2)), query.value(3).toInt()};
        unit.Last = Hour{DateValue(query.value(4)), query.value(5).toInt()};
        unit.HoursLoaded = query.value(6).toLongLong();
        const qint64 span = unit.Last->Serial() - unit.First->Serial() + 1;
        unit.MissingHours = std::max<qint64>(0, span - unit.HoursLoaded);
    }
}

void ReadQuarters(SourcesReader& reader, std::map<UnitKey, UnitSummary>& units) {
    QSqlQuery query = reader.Run(QStringLiteral(
        "SELECT FACILITY_ID, UNIT_ID, DATE_OF_REPORT, OPERATING_HOURS_QTRLY FROM QUARTERS"));
    while (reader.Next(query)) {
        UnitSummary& unit = Entry(units, query.value(0).toLongLong(), query.value(1).toString());
        unit.HasQuarterRow = true;
        const QDate reported = DateValue(query.value(2));
        if (!unit.First || !reported.isValid() || query.value(3).isNull())
            continue;
        const int covered = QuarterSerial(reported) - 1;
        if (covered < QuarterSerial(unit.First->Date) || covered > QuarterSerial(unit.Last->Date))
            continue;
        unit.OperatingHours = unit.OperatingHours.value_or(0) + query.value(3).toDouble();
    }
}

void ReadPresence(SourcesReader& reader, const QString& table,
                  std::map<UnitKey, UnitSummary>& units, bool UnitSummary::*flag) {
    QSqlQuery query =
        reader.Run(QStringLiteral("SELECT DISTINCT FACILITY_ID, UNIT_ID FROM %1").arg(table));
    while (reader.Next(query))
        Entry(units, query.value(0).toLongLong(), query.value(1).toString()).*flag = true;
}

QString YesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

QString Hour::Text() const {
    return Date.toString(Qt::ISODate) + QStringLiteral(" %1:00").arg(Number, 2, 10, QChar(u'0'));
}

qint64 Hour::Serial() const {
    return SerialStart.daysTo(Date) * 24 + Number;
}

std::map<qint64, Plant> ReadPlants(SourcesReader& reader) {
    std::map<qint64, Plant> plants;
    QSqlQuery query = reader.Run(
        QStringLiteral("SELECT Facility_ID, Plant_Name, State_Postal_Abbreviation FROM FACILITIES "
                       "ORDER BY Facility_ID, Calendar_Year, Calendar_Quarter"));
    while (reader.Next(query)) {
        Plant& plant = plants[query.value(0).toLongLong()];
        // Later quarters win, but a blank name does not hide an earlier one.
        if (const QString name = query.value(1).toString().trimmed(); !name.isEmpty())
            plant.Name = name;
        if (const QString state = query.value(2).toString().trimmed(); !state.isEmpty())
            plant.State = state;
    }
    return plants;
}

QList<UnitSummary> ReadDataSummary(SourcesReader& reader) {
    std::map<UnitKey, UnitSummary> units;
    ReadHours(reader, units);
    ReadQuarters(reader, units);
    ReadPresence(reader, QStringLiteral("UNITS"), units, &UnitSummary::HasUnitRow);
    ReadPresence(reader, QStringLiteral("FUELS"), units, &UnitSummary::HasFuelRow);
    const std::map<qint64, Plant> plants = ReadPlants(reader);
    QList<UnitSummary> summary;
    summary.reserve(qsizetype(units.size()));
    for (auto& [key, unit] : units) {
        if (const auto plant = plants.find(key.first); plant != plants.end())
            unit.Facility = plant->second;
        summary << unit;
    }
    return summary;
}

QStringList SummaryHeader() {
    return {QStringLiteral("Facility"),
            QStringLiteral("Plant"),
            QStringLiteral("State"),
            QStringLiteral("Unit"),
            QStringLiteral("First hour"),
            QStringLiteral("Last hour"),
            QStringLiteral("Hours loaded"),
            QStringLiteral("Missing hours"),
            QStringLiteral("Operating hours reported"),
            QStringLiteral("UNITS"),
            QStringLiteral("FUELS"),
            QStringLiteral("QUARTERS")};
}

QStringList SummaryFields(const UnitSummary& unit) {
    return {QString::number(unit.FacilityId),
            unit.Facility.Name,
            unit.Facility.State,
            unit.UnitId,
            unit.First ? unit.First->Text() : QString(),
            unit.Last ? unit.Last->Text() : QString(),
            QString::number(unit.HoursLoaded),
            QString::number(unit.MissingHours),
            unit.OperatingHours ? ValueText(*unit.OperatingHours) : QString(),
            YesNo(unit.HasUnitRow),
            YesNo(unit.HasFuelRow),
            YesNo(unit.HasQuarterRow)};
}

bool IsRightAligned(int column) {
    return column == 0 || (column >= 4 && column <= 8);
}

QString SummaryTable(const QList<UnitSummary>& units) {
    constexpr int MissingColumn = 7;
    QList<QStringList> rows{SummaryHeader()};
    for (const UnitSummary& unit : units) {
        QStringList fields = SummaryFields(unit);
        // A line end or tab inside a plant name would break the table's lines.
        for (QString& field : fields)
            for (QChar& c : field)
                if (c.category() == QChar::Other_Control)
                    c = u' ';
        // The mark sits after the number, so the digits of all rows still line up.
        fields[MissingColumn] += unit.MissingHours > 0 ? u'*' : u' ';
        rows << fields;
    }
    rows.front()[MissingColumn] += u' ';
    QList<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    QString table;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (qsizetype column = 0; column < row.size(); ++column)
            cells << (IsRightAligned(int(column)) ? row[column].rightJustified(widths[column])
                                                  : row[column].leftJustified(widths[column]));
        QString line = cells.join(QStringLiteral("  "));
        while (line.endsWith(u' '))
            line.chop(1);
        table += line + u'\n';
    }
    if (std::any_of(units.begin(), units.end(),
                    [](const UnitSummary& u) { return u.MissingHours; }))
        table += QStringLiteral("* hours missing between the first and last hour loaded\n");
    return table;
}

QByteArray SummaryCsv(const QList<UnitSummary>& units) {
    QByteArray csv = CsvLine(SummaryHeader());
    for (const UnitSummary& unit : units)
        csv += CsvLine(SummaryFields(unit));
    return csv;
}

} // namespace tarnwick
