#include "HeaderWriters.h"
#include "QuarterlyTestFiles.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

FacilityRow SampleFacility() {
    FacilityRow row;
    row.CalendarQuarter = 1;
    row.CalendarYear = 1999;
    row.PlantName = "O'BRIEN STATION";
    row.EpaFacilityId = "IN0000101001";
    row.EpaAirsFacilitySystem = "1812900101";
    row.StateFacilityId = "IN-129-00101   ";
    row.StatePostalAbbreviation = "IN";
    row.CountyCodeFips = "129";
    row.Latitude = 39.175f;
    row.Longitude = -86.25f;
    return row;
}

TEST(HeaderWriters, FuelStatementByteForByte) {
    FuelRow row;
    row.UnitId = "1";
    row.FuelTypeCombusted = "Pipeline Natural Gas";
    row.FuelTypeStartDate = "01/01/1995";
    row.FuelTypeEndDate = "  /  /    ";
    row.StartupFuel = "Y";
    EXPECT_EQ(FuelInsert(3, row),
              "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
              "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', "
              "'01/01/1995', '  /  /    ', 'Y')");
}

TEST(HeaderWriters, FacilityStatementQuotesQuarterAndYearNotCoordinates) {
    EXPECT_EQ(FacilityInsert(3456, SampleFacility()),
              "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
              "Epa_Facility_ID, Epa_Airs_Facility_System, State_Facility_ID, "
              "State_Postal_Abbreviation, County_Code_Fips, Latitude, Longitude) VALUES (3456, "
              "'1', '1999', 'O''BRIEN STATION', 'IN0000101001', '1812900101', 'IN-129-00101   ', "
              "'IN', '129', 39.175, -86.25)");
}

TEST(HeaderWriters, FacilityStartValues) {
    EXPECT_EQ(FacilityInsert(0, FacilityRow{}),
              "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
              "Epa_Facility_ID, Epa_Airs_Facility_System, State_Facility_ID, "
              "State_Postal_Abbreviation, County_Code_Fips, Latitude, Longitude) VALUES (0, "
              "'0', '0', '', '', '', '', '', '', 0, 0)");
}

TEST(HeaderWriters, CoordinatesKeepThePeriodUnderADecimalCommaLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QString statement = FacilityInsert(-7, SampleFacility());
    QLocale::setDefault(previous);
    EXPECT_TRUE(statement.startsWith("INSERT INTO FACILITIES ")) << statement.toStdString();
    EXPECT_TRUE(statement.contains(" VALUES (-7, '1', '1999', ")) << statement.toStdString();
    EXPECT_TRUE(statement.endsWith("'IN', '129', 39.175, -86.25)")) << statement.toStdString();
}

TEST(HeaderWriters, EveryQuoteInATextIsDoubled) {
    FuelRow row;
    row.UnitId = "'";
    row.FuelTypeCombusted = "a''b";
    EXPECT_EQ(FuelInsert(1, row).section(" VALUES ", 1), "(1, '''', 'a''''b', '', '', '')");
}

TEST(HeaderWriters, WritersExecuteTheirStatementOnce) {
    UnitRow unit;
    unit.UnitId = "GT1";
    QuarterRow quarter;
    quarter.VolFlowAve3FtHourQtrly = " 2500000";
    RecordingDatabase database;
    WriteFacility(database, 3, SampleFacility());
    WriteUnit(database, 3, unit);
    WriteFuel(database, 3, FuelRow{});
    WriteQuarter(database, 3, quarter);
    EXPECT_EQ(database.Statements,
              (QStringList{FacilityInsert(3, SampleFacility()), UnitInsert(3, unit),
                           FuelInsert(3, FuelRow{}), QuarterInsert(3, quarter)}));
    EXPECT_TRUE(database.Statements[1].contains(" VALUES (3, 'GT1', '', "));
    EXPECT_TRUE(database.Statements[3].endsWith(", '', ' 2500000')"));
}

} // namespace
} // namespace tarnwick
