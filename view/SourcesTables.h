#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tarnwick {

// The five tables as the views read them. SQL is only ever built from these names, never from
// what the user typed: a name given by the user is first matched to one of them.
struct SourcesTable {
    QString Name;
    QStringList Columns; // in the schema's order and spelling
    QStringList Key;     // the order rows are read in
    QString FacilityColumn;
    QString UnitColumn; // empty: the table has no unit
    QString DateColumn; // what --from/--to compare; empty: the table cannot be filtered by date

    // The column of that name in any case, in the table's spelling; empty when there is none.
    QString FindColumn(QStringView name) const;
};

const std::vector<SourcesTable>& SourcesTables();

// The table of that name in any case; nullptr when there is none.
const SourcesTable* FindSourcesTable(QStringView name);
const SourcesTable& EmissionsTable();

// A value column of EMISSIONS with its readable name.
struct Measure {
    QString Column;
    QString Label; // "SO2 mass, lb/hr"
};

// The 20 value columns of EMISSIONS in the schema's order.
const std::vector<Measure>& Measures();

// The measure of that column name in any case; nullptr when there is none.
const Measure* FindMeasure(QStringView column);

} // namespace tarnwick
