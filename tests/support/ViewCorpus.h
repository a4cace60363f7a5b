#pragma once

#include "tests/support/TestDatabases.h"

// A small Sources database with known gaps, quoting and names beyond ASCII, the same on both
// engines:
// - facility 1 unit "1": 2001-03-31 22:00 to 2001-04-01 06:00, hours 1 and 4 of April 1st
//   missing and hour 2 without a value; units "B", "a" and "b" one hour each; a UNITS row;
//   QUARTERS reports on Q1 (70 h), Q2 (80 h), Q3 (1000 h) and one without a date;
// - facility 2 unit "1": one hour, a FUELS row; two FACILITIES quarters, the later unnamed;
//   unit "9" only a QUARTERS report.
namespace tarnwick::test {

inline const QString LatinPlant = QStringLiteral("PE\u00d1A, \"EL\"\r\nNORTE");
inline const QString Utf8Plant = QStringLiteral("\u0160KODA \u00c6R\u00d8");

inline void FillViewCorpus(const QString& database) {
    RunSql(database, "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                     "SO2_MASS_LB_HOUR) VALUES "
                     "(1, '1', '2001-03-31', 22, 1.5), (1, '1', '2001-03-31', 23, 2.25), "
                     "(1, '1', '2001-04-01', 0, 3), (1, '1', '2001-04-01', 2, NULL), "
                     "(1, '1', '2001-04-01', 3, 1590000), (1, '1', '2001-04-01', 5, 0.1), "
                     "(1, '1', '2001-04-01', 6, 0.2), (1, 'b', '2001-04-01', 0, 7), "
                     "(1, 'B', '2001-04-01', 0, 8), (1, 'a', '2001-04-01', 0, 9), "
                     "(2, '1', '2001-04-02', 0, 1)");
    RunSql(database,
           QStringLiteral("INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, "
                          "Calendar_Year, Plant_Name, State_Postal_Abbreviation, "
                          "Latitude) VALUES (1, 1, 2001, '%1', 'IN', 38.0475), "
                          "(2, 4, 2000, '%2', 'OH', NULL), (2, 1, 2001, NULL, NULL, NULL)")
               .arg(LatinPlant, Utf8Plant));
    RunSql(database, "INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (1, '1')");
    RunSql(database, "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED) "
                     "VALUES (2, '1', 'PNG')");
    RunSql(database, "INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT, "
                     "OPERATING_HOURS_QTRLY) VALUES (1, '1', '2001-04-20', 70), "
                     "(1, '1', '2001-07-15', 80), (1, '1', '2001-10-15', 1000), "
                     "(1, '1', NULL, 5), (2, '9', '2001-04-20', 40)");
}

} // namespace tarnwick::test
