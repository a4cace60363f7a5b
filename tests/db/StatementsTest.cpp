#include "db/SourcesDatabase.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using namespace Qt::StringLiterals;

const QString FuelInsert = QStringLiteral(
    "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
    "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', '01/01/1995', "
    "'  /  /    ', 'Y')");
const QString FacilityInsert =
    QStringLiteral("INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, "
                   "Plant_Name) VALUES (%1, %2, 2001, '%3')");
const QString QuarterInsert = QStringLiteral("INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, "
                                             "DATE_OF_REPORT, SO2_TONS_QTRLY) VALUES (%1)");

QString Hour(int facility, const QString& unit, const QString& date, const QString& hour,
             const QString& nox) {
    return QStringLiteral("INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                          "NOX_AVG_PPM_PER_HOUR) VALUES (%1, '%2', '%3', '%4', '%5')")
        .arg(facility)
        .arg(unit, date, hour, nox);
}

QString Set(const char* assignment, const char* where) {
    return QStringLiteral("UPDATE EMISSIONS SET %1 WHERE %2").arg(assignment, where);
}

const struct {
    QStringList Statements;
    const char* Query;
    QStringList Rows; // as RowTexts gives them
} StoreCases[] = {
    // A second row of a key is skipped and the first stays.
    {{Hour(1, "A", "03/15/01", "07", "1.5"), Hour(1, "A  ", "3/15/2001", " 7", "9.5"), FuelInsert,
      FuelInsert, FacilityInsert.arg(3).arg(1).arg("X"), FacilityInsert.arg(3).arg(2).arg("X"),
      FacilityInsert.arg(3).arg(2).arg("Y"),
      "INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (3, '1')",
      "INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (3, '2')",
      "INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (3, '1 ')"},
     "(SELECT COUNT(*) FROM FUELS), (SELECT COUNT(*) FROM FACILITIES), (SELECT COUNT(*) FROM "
     "UNITS), NOX_AVG_PPM_PER_HOUR FROM EMISSIONS",
     {"1|2|2|1.5"}},
    // An INSERT leaving a key column null is skipped.
    {{Hour(1, "A", "03/15/01", "    ", "1.5"), Hour(1, "A", "  /  /  ", "07", "1.5"),
      "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE) VALUES (1, 'A', '03/15/01')"},
     "COUNT(*) FROM EMISSIONS",
     {"0"}},
    // A report without a date is unique too: the first stays.
    {{QuarterInsert.arg("1, 'A', '  /  /    ', '1.0'"), QuarterInsert.arg("1, 'A', '', '2.0'"),
      QuarterInsert.arg("1, 'B', '02/30/01', '3.0'"), QuarterInsert.arg("1, 'A', '04/30/01', '4'"),
      QuarterInsert.arg("1, 'A', '04/30/01', '5.0'")},
     "UNIT_ID, DATE_OF_REPORT, SO2_TONS_QTRLY FROM QUARTERS ORDER BY SO2_TONS_QTRLY",
     {"A|NULL|1", "B|NULL|3", "A|2001-04-30|4"}},
    // Blank numbers and dates are null, blank text is not.
    {{"INSERT INTO UNITS (FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
      "FIRST_COMMERCIAL_OPERATION, EIA_REPORTING_YEAR, EIA_BOILER_ID, EIA_FLUE_ID, LOAD_UNITS) "
      "VALUES (7, 'CS001 ', '', '      ', '  /  /    ', '    ', '  B1  ', '   ', 'MW')"},
     "UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, FIRST_COMMERCIAL_OPERATION, "
     "EIA_REPORTING_YEAR, EIA_BOILER_ID, EIA_FLUE_ID, LOAD_UNITS FROM UNITS",
     {"CS001||NULL|NULL|NULL|  B1||MW"}},
    // Two-digit years pivot at thirty; four digits keep their zeros.
    {{Hour(1, "A", "01/01/29", "1", "1"), Hour(1, "A", "12/31/30", "1", "1"),
      Hour(1, "A", " 2/ 9/00", "1", "1"), Hour(1, "A", "1/2/0999", "1", "1"),
      Hour(1, "A", "12/31/9999", "1", "1")},
     "DATA_DATE FROM EMISSIONS ORDER BY DATA_DATE",
     {"0999-01-02", "1930-12-31", "2000-02-09", "2029-01-01", "9999-12-31"}},
    // A #date# matches a quoted date.
    {{Hour(1, "A", "03/15/01", "1", "1"),
      Set("SO2_MASS_LB_HOUR = '12.5'", "((DATA_DATE)=#3/15/2001#) AND ((UNIT_ID)='A')"),
      Set("CO2_MASS_TON_HOUR = '2'", "(DATA_DATE)='3/15/01 '"),
      Set("CO2_MASS_TON_HOUR_TOTAL = '3'", "DATA_DATE=#3/16/01#")},
     "SO2_MASS_LB_HOUR, CO2_MASS_TON_HOUR, CO2_MASS_TON_HOUR_TOTAL FROM EMISSIONS",
     {"12.5|2|NULL"}},
    // WHERE literals convert by the column's type.
    {{Hour(12, "B", "03/15/01", "7", "1"), Hour(12, "9", "03/15/01", "7", "1"),
      Set("SO2_MASS_LB_HOUR = 4", "FACILITY_ID = ' 12 ' AND UNIT_ID = 'B  ' AND DATA_HOUR = 7.0"),
      Set("SO2_MASS_LB_HOUR = 5", "UNIT_ID = 9")},
     "UNIT_ID, SO2_MASS_LB_HOUR FROM EMISSIONS ORDER BY UNIT_ID",
     {"9|5", "B|4"}},
    // Names match in any case.
    {{"insert into emissions (facility_id, Unit_Id, data_date, DATA_hour) values (1, 'A', "
      "'03/15/01', 1)",
      "Update Emissions Set nox_avg_ppm_per_hour = '3' Where unit_id = 'A'"},
     "NOX_AVG_PPM_PER_HOUR FROM EMISSIONS",
     {"3"}},
    // Prepared statements are reused across rows; nothing of one row may leak into the next.
    // Look-alike columns keep their own statements.
    {{Hour(1, "A", "03/15/01", "7", "1"), Set("NOX_AVG_PPM_PER_HOUR_ADJ = '1.5'", "DATA_HOUR=7"),
      Set("NOX_AVG_LB_PER_MMBTU_ADJ = '2.5'", "DATA_HOUR=7"),
      Set("NOX_AVG_PPM_PER_HOUR_ADJ = '3.5'", "DATA_HOUR=7")},
     "NOX_AVG_PPM_PER_HOUR_ADJ, NOX_AVG_LB_PER_MMBTU_ADJ FROM EMISSIONS",
     {"3.5|2.5"}},
    // Texts of every length and script, quotes stored once.
    {{FacilityInsert.arg(1).arg(1).arg("A LONG PLANT NAME THAT NO SHORT BUFFER HOLDS      "),
      FacilityInsert.arg(2).arg(1).arg("B"), FacilityInsert.arg(3).arg(1).arg("Zürich Kraftwerk Ø"),
      FacilityInsert.arg(4).arg(1).arg("O''NEIL''S  "), FacilityInsert.arg(5).arg(1).arg(""),
      FacilityInsert.arg(6).arg(1).arg("日本語のプラント")},
     "Plant_Name FROM FACILITIES ORDER BY Facility_ID",
     {"A LONG PLANT NAME THAT NO SHORT BUFFER HOLDS", "B", "Zürich Kraftwerk Ø", "O'NEIL'S", "",
      "日本語のプラント"}},
    // The row after a skipped row is stored whole.
    {{Hour(1, "LONG UNIT NAME 1", "03/15/01", "1", "1.5"), Hour(2, "SKIPPED", "  /  /  ", "2", "2"),
      Hour(3, "C", "12/31/99", "3", "    ")},
     "FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR FROM EMISSIONS ORDER BY "
     "FACILITY_ID",
     {"1|LONG UNIT NAME 1|2001-03-15|1|1.5", "3|C|1999-12-31|3|NULL"}},
};

class Statements : public BothEngines {};

TEST_P(Statements, StoreTheRowsOfTheirValues) {
    for (const auto& test : StoreCases) {
        SCOPED_TRACE(&test - StoreCases);
        const QString path = FreshDatabase();
        const auto database = SourcesDatabase::Open(path);
        for (const QString& statement : test.Statements)
            database->Execute(statement);
        database->Close();
        EXPECT_EQ(test::RowTexts(QueryRows(path, u"SELECT "_s + test.Query)), test.Rows);
    }
}

TEST_P(Statements, FaultsAreErrorsNamingTheStatementAndLaterStatementsStillRun) {
    const QString path = FreshDatabase();
    const auto database = SourcesDatabase::Open(path);
    const struct {
        QString Statement;
        QStringList Parts;
    } cases[] = {
        {"INSERT INTO EMISSIONS (FACILITY_ID, NO_SUCH_COLUMN) VALUES (1, '2')",
         {"NO_SUCH_COLUMN", "INSERT INTO EMISSIONS"}},
        {"INSERT INTO EMISSION (FACILITY_ID) VALUES (1)", {"no table EMISSION"}},
        {"UPDATE UNITS SET UNIT_TYPE = 'x' WHERE ((NOPE)=1)", {"NOPE"}},
        {"UPDATE UNITS SET UNIT_TYPE = 'x', unit_type = 'y' WHERE FACILITY_ID = 1", {"twice"}},
        {Set("NOX_AVG_PPM_PER_HOUR = '1'", "((DATA_HOUR)=    ))"), {"UPDATE EMISSIONS"}},
        {Set("NOX_AVG_PPM_PER_HOUR = '1'", "((DATA_DATE)=#02/30/01#)"), {"bad date literal"}},
        {Hour(1, "A", "03/15/01", "99999999999", "1"), {"out of range"}},
        {"Select Count(*) as NbrFacilities From Facilities", {"ReadField"}},
        // Refused by the engine: FACILITY_ID is NOT NULL but outside the key.
        {QuarterInsert.arg("'  ', 'A', '04/30/01', '1'"),
         {"INSERT INTO QUARTERS", "FACILITY_ID", "breaks a rule of the table"}},
    };
    for (const auto& c : cases) {
        const QString message = ErrorMessageOf([&] { database->Execute(c.Statement); });
        for (const QString& part : c.Parts)
            EXPECT_TRUE(message.contains(part, Qt::CaseInsensitive)) << message;
    }
    database->Execute(QuarterInsert.arg("5, 'A', '04/30/01', '1'"));
    database->Close();
    EXPECT_EQ(test::RowTexts(QueryRows(path, "SELECT (SELECT COUNT(*) FROM EMISSIONS), "
                                             "FACILITY_ID, DATE_OF_REPORT FROM QUARTERS")),
              QStringList{"0|5|2001-04-30"});
}

TEST_P(Statements, CountQueriesReadTheirAliasOnly) {
    const auto database = SourcesDatabase::Open(FreshDatabase());
    const std::pair<const char*, const char*> counts[] = {
        {"Select Count(*) as NbrFacilities From Facilities", "NbrFacilities"},
        {"Select Count(*) as NbrUnits From Units", "NbrUnits"},
        {"Select Count(*) as nbrQuarters from Quarters", "NbrQuarters"},
        {"Select Count(*) as NbrFuels from Fuels", "nbrfuels"},
        {"Select Count (*) as nbrEmissions from Emissions", "NbrEmissions"},
    };
    database->BeginGroup();
    for (int hour = 0; hour < 1200; ++hour)
        database->Execute(Hour(1, "A", "03/15/01", QString::number(hour), "1"));
    database->Execute(FuelInsert);
    database->EndGroup();
    const qint64 expected[] = {0, 0, 0, 1, 1200};
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        const QVariant value = database->ReadField(counts[i].first, counts[i].second);
        EXPECT_EQ(value.metaType(), QMetaType::fromType<qint64>());
        EXPECT_EQ(value.toLongLong(), expected[i]) << counts[i].first;
    }
    const QString message = ErrorMessageOf(
        [&] { database->ReadField("Select Count(*) as NbrUnits From Units", "NbrFacilities"); });
    EXPECT_TRUE(message.contains(u"no field NbrFacilities")) << message;
    EXPECT_THROW(database->ReadField(FuelInsert, "NbrFuels"), Error);
    EXPECT_THROW(database->ReadField("Select Count(*) as n From Nowhere", "n"), Error);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(Statements);

} // namespace
} // namespace tarnwick
