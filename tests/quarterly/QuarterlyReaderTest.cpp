#include "quarterly/QuarterlyReader.h"
#include "tests/support/QuarterlyTestFiles.h"
#include "tests/support/RecordingDatabase.h"

#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using namespace test;

enum Table { Facilities, Units, Fuels, Quarters };

// Runs the reader over files written from lines, against a database that keeps the
// statements, so each test can look at the literals every table received.
class QuarterlyReaderTest : public ::testing::Test {
protected:
    void Extract(const Lines& lines) {
        Database.Statements.clear();
        ExtractQuarterlyFile(WriteDatFile(Folder, "TEST.DAT", lines), State, Database, Progress);
    }
    // The literal list of a table's statement: "(3456, '1', ...)".
    QString Values(Table table) const {
        return Database.Statements.value(table).section(QStringLiteral(" VALUES "), 1);
    }
    // The text literals of the QUARTERS statement from CO2_MIN_PCT_CONC_QTRLY on.
    QString Statistics() const { return Values(Quarters).section(QStringLiteral(", "), 13); }

    QTemporaryDir Folder;
    RecordingDatabase Database;
    RecordingProgress Progress;
    ReaderState State;
};

// The statements byte for byte, under a decimal-comma locale: the coordinates keep their period.
TEST_F(QuarterlyReaderTest, AllRecordTypesFillEveryColumn) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    Extract(AllRecordTypes());
    QLocale::setDefault(previous);
    EXPECT_EQ(
        Database.Statements,
        QStringList({
            "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, "
            "Plant_Name, Epa_Facility_ID, Epa_Airs_Facility_System, State_Facility_ID, "
            "State_Postal_Abbreviation, County_Code_Fips, Latitude, Longitude) VALUES (3456, "
            "'3', '2001', 'O''BRIEN STATION', 'IN0001234567', '1809700012', "
            "'STATE-00097    ', 'IN', '097', 39.175, -86.25)",
            "INSERT INTO UNITS (FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
            "FIRST_COMMERCIAL_OPERATION, UNIT_RETIREMENT_DATE, STACK_EXIT_HEIGHT_FEET, "
            "GROUND_LEVEL_ELEVATION_FEET, FLUE_EXIT_SQ_FT_INSIDE_AREA, "
            "FLOW_MONITOR_SQ_FT_INSIDE_AREA, PROGRAM_REQUIREMENT_FOR_EDR, "
            "REPORTING_FREQUENCY, EIA_BOILER_ID, EIA_FLUE_ID, EIA_REPORTING_YEAR, "
            "EIA_FACILITY_NUMBER, LOAD_UNITS, MAX_HOURLY_GROSS_LOAD, DESIGNATED_NORMAL_LOAD, "
            "RANGE_OF_OPER_UPPER_BOUNDARY, RANGE_OF_OPER_LOWER_BOUNDARY) VALUES (3456, '1', "
            "'Boiler: Tangentially-fired', ' 2850.0', '06/01/1973', '12/31/2030', ' 500', "
            "'  545', ' 254', ' 201', 'ARP NBP', 'Q ', '1', 'CS001', '2000', '003456', 'MW', "
            "'   300', 'Y', '   310', '    50')",
            "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, "
            "FUEL_TYPE_START_DATE, FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3456, '1', "
            "'Coal', '06/01/1973', '  /  /    ', 'N')",
            "INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT, SO2_TONS_QTRLY, "
            "SO2_TONS_CUM_ANNUAL, NOX_AVG_QTRLY, NOX_AVG_CUM_ANNUAL, CO2_TONS_QTRLY, "
            "CO2_TONS_CUM_ANNUAL, HEAT_INPUT_QTRLY, HEAT_INPUT_CUM_ANNUAL, "
            "OPERATING_HOURS_QTRLY, OPERATING_HOURS_CUM_ANNUAL, CO2_MIN_PCT_CONC_QTRLY, "
            "CO2_MAX_PCT_CONC_QTRLY, CO2_AVG_PCT_CONC_QTRLY, VOL_FLOW_MIN_3FT_HOUR_QTRLY, "
            "VOL_FLOW_MAX_3FT_HOUR_QTRLY, VOL_FLOW_AVE_3FT_HOUR_QTRLY) VALUES (3456, '1', "
            "'03/31/01', '  123.4567', '  456.7890', '        0.456', '        0.412', "
            "' 123456.78', ' 234567.89', ' 1234567.8', ' 2345678.9', '2159', '4318', ' 10.5', "
            "' 12.5', ' 11.5', ' 2450000', ' 2550000', ' 2500000')",
        }));
    EXPECT_EQ(State.CurrentFacilityId, 3456);
    EXPECT_EQ(Progress.Values, (std::vector<float>{10, 100}));
}

TEST_F(QuarterlyReaderTest, HourlyRecordListsHoldTheRecordsOfOneFile) {
    Extract({CO2Line("07", "  10.5"), CO2Line("08", ".12345"), FlowLine("07", "     12345")});
    EXPECT_EQ(State.Lists.CO2ConcRecords.size(), 2u);
    EXPECT_EQ(State.Lists.FlowRecords.size(), 1u);
    Extract({QuarterFacilityLine()});
    EXPECT_TRUE(State.Lists.CO2ConcRecords.empty());
    EXPECT_TRUE(State.Lists.FlowRecords.empty());
}

// The start of each table's literals after files of these lines, one after the other.
TEST_F(QuarterlyReaderTest, LastRecordOfATypeWinsAndCodesAreTranslatedAsTheLineHoldsThem) {
    const struct {
        Lines File;
        const char* Units;
        const char* Fuels;
        const char* Quarters;
    } cases[] = {
        {{UnitLine("1", "T"), UnitLine("2", "CC"), FuelLine("C"), FuelLine("PNG")},
         "(0, '2', 'Turbine: Combined cycle', ",
         "(0, '2', 'Pipeline Natural Gas', '06/01/1973', '  /  /    ', 'N')",
         "(0, '2', '', "},
        {{UnitLine("1", "T"), SummaryLine("2")},
         "(0, '2', 'Boiler: Tangentially-fired', ",
         "(0, '2', '', ",
         "(0, '2', '03/31/01', "},
        {{SummaryLine("2"), UnitLine("1", "C"), FuelLine(" C ")},
         "(0, '1', 'Boiler: Cyclone boiler', ",
         "(0, '1', 'Coal', ",
         "(0, '1', '03/31/01', "},
        // Only trailing blanks leave the unit type, which then misses the table.
        {{UnitLine("1", " CC"), FuelLine("png")}, "(0, '1', ' CC', ", "(0, '1', 'png', ", ""},
        {{UnitLine("1", "XYZ"), FuelLine("   ")}, "(0, '1', 'XYZ', ", "(0, '1', '', ", ""},
        {{SummaryLine("O'B")}, "(0, 'O''B', ", "(0, 'O''B', ", "(0, 'O''B', '03/31/01', "},
    };
    for (const auto& c : cases) {
        Extract(c.File);
        EXPECT_TRUE(Values(Units).startsWith(c.Units)) << Values(Units);
        EXPECT_TRUE(Values(Fuels).startsWith(c.Fuels)) << Values(Fuels);
        EXPECT_TRUE(Values(Quarters).startsWith(c.Quarters)) << Values(Quarters);
    }
}

TEST_F(QuarterlyReaderTest, CoordinatesInEitherOrderOrZeroWithoutANumberInColumns91To92) {
    const std::pair<const char*, const char*> cases[] = {
        {"3910300861500", "39.175, -86.25)"}, // latitude first
        {"8615000391030", "39.175, -86.25)"}, // longitude first: 86 > 75
        {"4130000873000", "41.5, -87.5)"},
        {"8730000413000", "41.5, -87.5)"},
        {"7500000800000", "75, -80)"}, // 75 itself is a latitude
        {"7600000400000", "40, -76)"},
        {" 4 0 0   0 0 ", "4, 0)"}, // no "-0" for a zero longitude
        {"  0800000400000", "'IN', '097', 0, 0)"},
        {"AB0800000400000", "'IN', '097', 0, 0)"},
        {"+.0800000400000", "'IN', '097', 0, 0)"},
    };
    for (const auto& [columns91To103, expected] : cases) {
        Extract({LocationLine("3910300861500"), LocationLine(columns91To103)});
        EXPECT_TRUE(Values(Facilities).endsWith(expected)) << columns91To103 << Values(Facilities);
    }
}

TEST_F(QuarterlyReaderTest, LocationLinesShorterThan51AreSkipped) {
    Extract({DatLineOf({{1, "102"}, {4, "PLANT"}, {50, "X"}})});
    EXPECT_EQ(Values(Facilities), "(0, '0', '0', '', '', '', '', '', '', 0, 0)");
    Extract({DatLineOf({{1, "102"}, {4, "PLANT"}, {24, "EPA"}, {51, "X"}})});
    EXPECT_EQ(Values(Facilities), "(0, '0', '0', 'PLANT', 'EPA         ', '          ', "
                                  "'     X', '', '', 0, 0)");
}

TEST_F(QuarterlyReaderTest, FacilityIdentifierOfTheLastFacilityLineOrOfTheFileBefore) {
    Extract({DatLineOf({{1, "100"}, {4, "  2.5 "}, {10, "4"}, {11, "1999"}})});
    EXPECT_TRUE(Values(Facilities).startsWith("(2, '4', '1999', "));
    Extract({UnitLine("1", "T")});
    EXPECT_TRUE(Values(Facilities).startsWith("(2, '0', '0', "));
    for (Table table : {Units, Fuels, Quarters})
        EXPECT_TRUE(Values(table).startsWith("(2, '1', ")) << Values(table);
    State.CurrentFacilityId = -7;
    Extract({});
    ASSERT_EQ(Database.Statements.size(), 4);
    EXPECT_EQ(Values(Facilities), "(-7, '0', '0', '', '', '', '', '', '', 0, 0)");
    EXPECT_EQ(Values(Units), "(-7, " + QStringList(20, "''").join(", ") + ")");
    EXPECT_EQ(Values(Fuels), "(-7, '', '', '', '', '')");
    EXPECT_EQ(Values(Quarters), "(-7, " + QStringList(18, "''").join(", ") + ")");
}

// CO2 minimum, maximum and average to hundredths; flow minimum, maximum and average.
TEST_F(QuarterlyReaderTest, StatisticsOfTheHourlyValues) {
    const std::pair<Lines, const char*> cases[] = {
        {{QuarterFacilityLine(), SummaryLine("1")}, "'', '', '', '', '', '')"},
        {{CO2Line("07", "  10.5")}, "' 10.5', ' 10.5', ' 10.5', '', '', '')"},
        {{FlowLine("07", "     12345")}, "'', '', '', ' 12345', ' 12345', ' 12345')"},
        // The sum is not rounded per record; the value enters as cut to its field.
        {{CO2Line("07", "  10.5"), CO2Line("08", "  10.5")}, "' 10.5', ' 10.5', ' 10.5', "},
        {{CO2Line("07", ".12345")}, "' 0.1234', ' 0.1234', ' 0.12', "},
        {{CO2Line("07", "10.005")}, "' 10.005', ' 10.005', ' 10.01', "},
        {{CO2Line("07", "    11"), CO2Line("08", "    10"), CO2Line("09", "    11")},
         "' 10', ' 11', ' 10.67', "},
        {{FlowLine("07", " 150000000"), FlowLine("08", " 250000000")},
         "'', '', '', ' 1.5E+08', ' 2.5E+08', ' 2E+08')"},
        {{FlowLine("07", " 100000000"), FlowLine("08", "  12345678")},
         "'', '', '', ' 1.234568E+07', ' 1E+08', "},
        // In single precision 16777216 + 1 + 1 stays 16777216.
        {{FlowLine("07", "  16777216"), FlowLine("08", "         1"), FlowLine("09", "         1")},
         "'', '', '', ' 1', ' 1.677722E+07', ' 5592406')"},
        {{CO2Line("07", "    -1"), CO2Line("08", "    -3"), FlowLine("07", "     -5000")},
         "'-3', '-1', '-2', '-5000', '-5000', '-5000')"},
    };
    for (const auto& [lines, statistics] : cases) {
        Extract(lines);
        EXPECT_TRUE(Statistics().startsWith(statistics)) << Statistics();
    }
}

TEST_F(QuarterlyReaderTest, AFailingFileIsClosedAndStopsTheFollowingStatements) {
    EXPECT_THROW(ExtractQuarterlyFile(Folder.filePath("NONE.DAT"), State, Database, Progress),
                 Error);
    // A year out of range on line 2 ends the file before any statement.
    const QString bad = WriteDatFile(
        Folder, "BAD.DAT",
        {UnitLine("1", "T"), DatLineOf({{1, "100"}, {4, "1"}, {11, "9E99"}}), FuelLine("C")});
    try {
        ExtractQuarterlyFile(bad, State, Database, Progress);
        ADD_FAILURE() << "a year out of range was taken";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 2);
    }
    EXPECT_EQ(OpenDescriptors(bad), 0);
    EXPECT_TRUE(Database.Statements.isEmpty());
    EXPECT_TRUE(Progress.Values.empty());

    const QString refused = WriteDatFile(Folder, "REFUSED.DAT", AllRecordTypes());
    Database.RefuseAt = 1;
    EXPECT_THROW(ExtractQuarterlyFile(refused, State, Database, Progress), Error);
    ASSERT_EQ(Database.Statements.size(), 1);
    EXPECT_TRUE(Database.Statements[0].startsWith("INSERT INTO FACILITIES "));
    EXPECT_EQ(Progress.Values, std::vector<float>{10});
    EXPECT_EQ(OpenDescriptors(refused), 0);
}

} // namespace
} // namespace tarnwick
