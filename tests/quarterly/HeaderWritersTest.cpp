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

// The statements the writers execute, under a decimal-comma locale: the coordinates keep
// their period.
TEST(HeaderWriters, StatementsByteForByte) {
    FuelRow fuel;
    fuel.UnitId = "1";
    fuel.FuelTypeCombusted = "Pipeline Natural Gas";
    fuel.FuelTypeStartDate = "01/01/1995";
    fuel.FuelTypeEndDate = "  /  /    ";
    fuel.StartupFuel = "Y";
    UnitRow unit;
    unit.UnitId = "GT1";
    QuarterRow quarter;
    quarter.UnitId = "'";
    quarter.VolFlowAve3FtHourQtrly = " 2500000";
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    RecordingDatabase database;
    WriteFacility(database, 3456, SampleFacility());
    WriteFacility(database, -7, FacilityRow{});
    WriteUnit(database, 3, unit);
    WriteFuel(database, 3, fuel);
    WriteQuarter(database, 3, quarter);
    QLocale::setDefault(previous);

    const QString facilities =
        "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
        "Epa_Facility_ID, Epa_Airs_Facility_System, State_Facility_ID, "
        "State_Postal_Abbreviation, County_Code_Fips, Latitude, Longitude) VALUES ";
    ASSERT_EQ(database.Statements.size(), 5);
    EXPECT_EQ(database.Statements[0],
              facilities + "(3456, '1', '1999', 'O''BRIEN STATION', 'IN0000101001', "
                           "'1812900101', 'IN-129-00101   ', 'IN', '129', 39.175, -86.25)");
    EXPECT_EQ(database.Statements[1], facilities + "(-7, '0', '0', '', '', '', '', '', '', 0, 0)");
    EXPECT_TRUE(database.Statements[2].startsWith(
        "INSERT INTO UNITS (FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
        "FIRST_COMMERCIAL_OPERATION, UNIT_RETIREMENT_DATE, STACK_EXIT_HEIGHT_FEET, "
        "GROUND_LEVEL_ELEVATION_FEET, FLUE_EXIT_SQ_FT_INSIDE_AREA, FLOW_MONITOR_SQ_FT_INSIDE_AREA, "
        "PROGRAM_REQUIREMENT_FOR_EDR, REPORTING_FREQUENCY, EIA_BOILER_ID, EIA_FLUE_ID, "
        "EIA_REPORTING_YEAR, EIA_FACILITY_NUMBER, LOAD_UNITS, MAX_HOURLY_GROSS_LOAD, "
        "DESIGNATED_NORMAL_LOAD, RANGE_OF_OPER_UPPER_BOUNDARY, RANGE_OF_OPER_LOWER_BOUNDARY) "
        "VALUES (3, 'GT1', '', "));
    EXPECT_EQ(database.Statements[3],
              "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
              "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', "
              "'01/01/1995', '  /  /    ', 'Y')");
    EXPECT_TRUE(database.Statements[4].startsWith(
        "INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT, SO2_TONS_QTRLY, "
        "SO2_TONS_CUM_ANNUAL, NOX_AVG_QTRLY, NOX_AVG_CUM_ANNUAL, CO2_TONS_QTRLY, "
        "CO2_TONS_CUM_ANNUAL, HEAT_INPUT_QTRLY, HEAT_INPUT_CUM_ANNUAL, OPERATING_HOURS_QTRLY, "
        "OPERATING_HOURS_CUM_ANNUAL, CO2_MIN_PCT_CONC_QTRLY, CO2_MAX_PCT_CONC_QTRLY, "
        "CO2_AVG_PCT_CONC_QTRLY, VOL_FLOW_MIN_3FT_HOUR_QTRLY, VOL_FLOW_MAX_3FT_HOUR_QTRLY, "
        "VOL_FLOW_AVE_3FT_HOUR_QTRLY) VALUES (3, '''', '', "));
    EXPECT_TRUE(database.Statements[4].endsWith(", '', ' 2500000')"));
}

} // namespace
} // namespace tarnwick
