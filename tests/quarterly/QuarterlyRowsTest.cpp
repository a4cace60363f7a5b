#include "QuarterlyReader.h"
#include "QuarterlyTestFiles.h"
#include "TestDatabases.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>

namespace tarnwick {
namespace {

// Rows the reader leaves in a real Sources database, read back past the database layer.
class QuarterlyRowsTest : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        DatabasePath = FreshDatabase();
        Database = SourcesDatabase::Open(DatabasePath);
    }

    void Extract(const QList<QByteArray>& lines) {
        ExtractQuarterlyFile(Files.Write("TEST.DAT", lines), State, *Database, Progress);
    }

    QList<QVariantList> Rows(const char* sql) const {
        return QueryRows(DatabasePath, QString::fromLatin1(sql));
    }

    qint64 Count(const char* table) const {
        return QueryValue(DatabasePath, QStringLiteral("SELECT COUNT(*) FROM ") + table)
            .toLongLong();
    }

    QString DatabasePath;
    std::unique_ptr<SourcesDatabase> Database;
    ScratchDatFiles Files;
    RecordingProgress Progress;
    ReaderState State;
};

// One expected column value: a number is compared as a number, a null as a null, and
// anything else (texts, ISO dates) as text.
void ExpectRow(const QVariantList& actual, const QVariantList& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype column = 0; column < expected.size(); ++column) {
        const QVariant& want = expected[column];
        const QVariant& got = actual[column];
        if (want.isNull()) {
            EXPECT_TRUE(got.isNull()) << "column " << column << ": " << qPrintable(got.toString());
            continue;
        }
        EXPECT_FALSE(got.isNull()) << "column " << column;
        if (want.typeId() == QMetaType::Double || want.typeId() == QMetaType::Int)
            EXPECT_DOUBLE_EQ(got.toDouble(), want.toDouble()) << "column " << column;
        else
            EXPECT_EQ(got.toString(), want.toString()) << "column " << column;
    }
}

TEST_P(QuarterlyRowsTest, EveryColumnOfTheFourTables) {
    Extract(AllRecordTypes());

    const auto facilities =
        Rows("SELECT Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, Epa_Facility_ID, "
             "Epa_Airs_Facility_System, State_Facility_ID, State_Postal_Abbreviation, "
             "County_Code_Fips, Latitude, Longitude FROM FACILITIES");
    ASSERT_EQ(facilities.size(), 1);
    ExpectRow(facilities[0], {3456, 3, 2001, "O'BRIEN STATION", "IN0001234567", "1809700012",
                              "STATE-00097", "IN", "097", 39.175, -86.25});

    const auto units = Rows(
        "SELECT FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
        "FIRST_COMMERCIAL_OPERATION, UNIT_RETIREMENT_DATE, STACK_EXIT_HEIGHT_FEET, "
        "GROUND_LEVEL_ELEVATION_FEET, FLUE_EXIT_SQ_FT_INSIDE_AREA, FLOW_MONITOR_SQ_FT_INSIDE_AREA, "
        "PROGRAM_REQUIREMENT_FOR_EDR, REPORTING_FREQUENCY, EIA_BOILER_ID, EIA_FLUE_ID, "
        "EIA_REPORTING_YEAR, EIA_FACILITY_NUMBER, LOAD_UNITS, MAX_HOURLY_GROSS_LOAD, "
        "DESIGNATED_NORMAL_LOAD, RANGE_OF_OPER_UPPER_BOUNDARY, RANGE_OF_OPER_LOWER_BOUNDARY "
        "FROM UNITS");
    ASSERT_EQ(units.size(), 1);
    ExpectRow(units[0], {3456,     "1",          "Boiler: Tangentially-fired",
                         2850.0,   "1973-06-01", "12/31/2030",
                         500,      545,          254,
                         201,      "ARP NBP",    "Q",
                         "1",      "CS001",      2000,
                         "003456", "MW",         300,
                         "Y",      310,          50});

    const auto fuels = Rows("SELECT FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, "
                            "FUEL_TYPE_START_DATE, FUEL_TYPE_END_DATE, STARTUP_FUEL FROM FUELS");
    ASSERT_EQ(fuels.size(), 1);
    ExpectRow(fuels[0], {3456, "1", "Coal", "1973-06-01", QVariant(), "N"});

    const auto quarters =
        Rows("SELECT FACILITY_ID, UNIT_ID, DATE_OF_REPORT, SO2_TONS_QTRLY, SO2_TONS_CUM_ANNUAL, "
             "NOX_AVG_QTRLY, NOX_AVG_CUM_ANNUAL, CO2_TONS_QTRLY, CO2_TONS_CUM_ANNUAL, "
             "HEAT_INPUT_QTRLY, HEAT_INPUT_CUM_ANNUAL, OPERATING_HOURS_QTRLY, "
             "OPERATING_HOURS_CUM_ANNUAL, CO2_MIN_PCT_CONC_QTRLY, CO2_MAX_PCT_CONC_QTRLY, "
             "CO2_AVG_PCT_CONC_QTRLY, VOL_FLOW_MIN_3FT_HOUR_QTRLY, VOL_FLOW_MAX_3FT_HOUR_QTRLY, "
             "VOL_FLOW_AVE_3FT_HOUR_QTRLY FROM QUARTERS");
    ASSERT_EQ(quarters.size(), 1);
    ExpectRow(quarters[0], {3456, "1", "2001-03-31", 123.4567, 456.789, 0.456, 0.412, 123456.78,
                            234567.89, 1234567.8, 2345678.9, 2159, 4318, 10.5, 12.5, 11.5,
                            2450000.0, 2550000.0, 2500000.0});
}

TEST_P(QuarterlyRowsTest, ExponentStatisticsAndLocationWithoutCoordinates) {
    Extract({FacilityLine(), DatRecord("102", {{4, "SMITH, INC."}, {51, "X"}}), SummaryLine("1"),
             CO2Line("07", "    -3"), CO2Line("08", ".12345"), FlowLine("07", " 150000000"),
             FlowLine("08", "  12345678")});

    const auto facilities = Rows("SELECT Plant_Name, Latitude, Longitude FROM FACILITIES");
    ASSERT_EQ(facilities.size(), 1);
    ExpectRow(facilities[0], {"SMITH, INC.", 0.0, 0.0});

    const auto statistics = Rows(
        "SELECT CO2_MIN_PCT_CONC_QTRLY, CO2_MAX_PCT_CONC_QTRLY, CO2_AVG_PCT_CONC_QTRLY, "
        "VOL_FLOW_MIN_3FT_HOUR_QTRLY, VOL_FLOW_MAX_3FT_HOUR_QTRLY, VOL_FLOW_AVE_3FT_HOUR_QTRLY "
        "FROM QUARTERS");
    ASSERT_EQ(statistics.size(), 1);
    // (-3 + 0.1234) / 2 = -1.4383 -> "-1.44"; 1.2345678E7 is written to 7 digits.
    ExpectRow(statistics[0], {-3.0, 0.1234, -1.44, 12345680.0, 1.5e8, 81172840.0});
}

TEST_P(QuarterlyRowsTest, EmptyStatisticsLandAsNulls) {
    Extract({FacilityLine(), SummaryLine("1")});
    const auto statistics =
        Rows("SELECT CO2_MIN_PCT_CONC_QTRLY, CO2_AVG_PCT_CONC_QTRLY, VOL_FLOW_MAX_3FT_HOUR_QTRLY, "
             "VOL_FLOW_AVE_3FT_HOUR_QTRLY FROM QUARTERS");
    ASSERT_EQ(statistics.size(), 1);
    ExpectRow(statistics[0], {QVariant(), QVariant(), QVariant(), QVariant()});
}

TEST_P(QuarterlyRowsTest, SecondFileWithoutFacilityRecordKeepsTheIdentifier) {
    Extract(AllRecordTypes());
    Extract({SummaryLine("2"), UnitLine("2", "CT"), FuelLine("PNG")});

    const auto facilities =
        Rows("SELECT Facility_ID, Calendar_Quarter, Calendar_Year FROM FACILITIES "
             "ORDER BY Calendar_Year");
    ASSERT_EQ(facilities.size(), 2);
    ExpectRow(facilities[0], {3456, 0, 0});
    const auto units = Rows("SELECT FACILITY_ID, UNIT_ID, UNIT_TYPE FROM UNITS ORDER BY UNIT_ID");
    ASSERT_EQ(units.size(), 2);
    ExpectRow(units[1], {3456, "2", "Turbine: Combustion turbine"});
    EXPECT_EQ(Count("FUELS"), 2);
    EXPECT_EQ(Count("QUARTERS"), 2);
}

TEST_P(QuarterlyRowsTest, SameFileAgainAddsNoRowTheKeysRefuse) {
    Extract(AllRecordTypes());
    EXPECT_NO_THROW(Extract(AllRecordTypes()));
    for (const char* table : {"FACILITIES", "UNITS", "FUELS", "QUARTERS"})
        EXPECT_EQ(Count(table), 1) << table;
    EXPECT_EQ(Progress.Values, (std::vector<float>{10, 100, 10, 100}));
}

TEST_P(QuarterlyRowsTest, AReportWithoutAReadableDateIsStoredOnceHoweverOftenItIsRead) {
    for (int run = 0; run < 3; ++run)
        for (const char* date : {"      ", "013245", "010230"})
            Extract({FacilityLine(), DatRecord("301", {{4, date}, {10, date}})});
    EXPECT_EQ(Count("QUARTERS"), 3);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM QUARTERS WHERE DATE_OF_REPORT IS NULL")[0][0].toInt(), 3);
}

TEST_P(QuarterlyRowsTest, EmptyFileStillWritesFourRows) {
    State.CurrentFacilityId = 7;
    Extract({});
    for (const char* table : {"FACILITIES", "UNITS", "FUELS", "QUARTERS"})
        EXPECT_EQ(Count(table), 1) << table;
    const auto facilities = Rows("SELECT Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
                                 "Latitude, Longitude FROM FACILITIES");
    ASSERT_EQ(facilities.size(), 1);
    ExpectRow(facilities[0], {7, 0, 0, "", 0.0, 0.0});
    const auto units = Rows("SELECT FACILITY_ID, UNIT_ID FROM UNITS");
    ASSERT_EQ(units.size(), 1);
    ExpectRow(units[0], {7, ""});
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(QuarterlyRowsTest);

} // namespace
} // namespace tarnwick
