#pragma once

#include "tests/support/ScriptedBatchUi.h"

#include <QString>
#include <QStringList>

// The checks that nothing was lost or mangled, shared by the fault tests.
namespace tarnwick::test {

// The five Sources tables with the columns that identify a row of each.
struct KeyedTable {
    const char* Name;
    const char* Key;
};
inline constexpr KeyedTable KeyedTables[] = {
    {"EMISSIONS", "FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR"},
    {"FACILITIES", "Facility_ID, Calendar_Year, Calendar_Quarter"},
    {"UNITS", "FACILITY_ID, UNIT_ID"},
    {"FUELS", "FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED"},
    {"QUARTERS", "FACILITY_ID, UNIT_ID, DATE_OF_REPORT"},
};

// Rows that share their key with another row of the same table, over the five tables. A
// NULL in a key column groups with other NULLs, so a report kept twice for lack of a date
// counts too.
inline qint64 DuplicateKeyRows(const QString& database) {
    qint64 duplicates = 0;
    for (const auto& [table, key] : KeyedTables)
        duplicates += QueryValue(database, QStringLiteral("SELECT COALESCE(SUM(n), 0) FROM (SELECT "
                                                          "COUNT(*) AS n FROM %1 GROUP BY %2 "
                                                          "HAVING COUNT(*) > 1) AS d")
                                               .arg(table, key))
                          .toLongLong();
    return duplicates;
}

// Values of a SQLite Sources database that do not have their column's type (SQLite stores
// whatever it is given): text in a number column, a date that is not a real day.
inline qint64 MistypedValues(const QString& path) {
    qint64 mistyped = 0;
    for (const auto& [table, key] : KeyedTables) {
        QStringList wellTyped;
        for (const QVariantList& column : QueryRows(
                 path,
                 QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(table))) {
            const QString name = column[0].toString();
            const QString type = column[1].toString().toUpper();
            const char* const allowed = type.contains(u"INT")    ? "'integer'"
                                        : type.contains(u"REAL") ? "'real', 'integer'"
                                                                 : "'text'";
            wellTyped << QStringLiteral("typeof(%1) IN (%2, 'null')").arg(name, allowed);
            if (type == u"DATE")
                wellTyped << QStringLiteral("(%1 IS NULL OR date(%1) IS %1)").arg(name);
        }
        mistyped += QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE NOT (%2)")
                                         .arg(table, wellTyped.join(u" AND ")))
                        .toLongLong();
    }
    return mistyped;
}

// A SQLite Sources database that passes its integrity check, holds no row twice and no value
// of the wrong type.
inline void ExpectSqliteSound(const QString& path) {
    EXPECT_EQ(QueryValue(path, QStringLiteral("PRAGMA integrity_check")).toString(), u"ok");
    EXPECT_EQ(DuplicateKeyRows(path), 0);
    EXPECT_EQ(MistypedValues(path), 0);
}

} // namespace tarnwick::test
