#include "QuarterlyReader.h"
#include "QuarterlyTestFiles.h"
#include "TestDatabases.h"

#include <QDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

// The sample reports of the samples folder, loaded into a fresh SQLite Sources database.
class QuarterlySamplesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DatabasePath = ScratchSqliteDatabase();
        const QDir samples(qEnvironmentVariable("TARNWICK_SAMPLES"));
        const auto database = SourcesDatabase::Open(DatabasePath);
        ReaderState state;
        RecordingProgress progress;
        for (const char* name : {"000101.DAT", "000202.DAT", "000303.DAT"}) {
            ExtractQuarterlyFile(samples.filePath(name), state, *database, progress);
            HourlyRecordsPerFile.append(state.Lists.CO2ConcRecords.size());
        }
    }

    static QList<QVariantList> Rows(const char* sql) {
        return QueryRows(DatabasePath, QString::fromLatin1(sql));
    }

    static inline QString DatabasePath;
    static inline QList<qsizetype> HourlyRecordsPerFile;
};

TEST_F(QuarterlySamplesTest, OneFacilityPerFile) {
    const auto rows = Rows("SELECT Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
                           "State_Postal_Abbreviation, Latitude, Longitude FROM FACILITIES "
                           "ORDER BY Facility_ID");
    ASSERT_EQ(rows.size(), 3);
    const struct {
        int Id, Quarter, Year;
        const char* Name;
        const char* State;
    } expected[] = {{101, 1, 2001, "SMITH, INC. STATION", "IN"},
                    {202, 3, 2000, "O'BRIEN STATION", "OH"},
                    {303, 2, 2001, "KESTREL CREEK", "IN"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i][0].toInt(), expected[i].Id);
        EXPECT_EQ(rows[i][1].toInt(), expected[i].Quarter);
        EXPECT_EQ(rows[i][2].toInt(), expected[i].Year);
        EXPECT_EQ(rows[i][3].toString(), expected[i].Name);
        EXPECT_EQ(rows[i][4].toString(), expected[i].State);
        // Indiana and Ohio, whichever order the file gives the coordinates in.
        EXPECT_GT(rows[i][5].toDouble(), 37.5);
        EXPECT_LT(rows[i][5].toDouble(), 42.0);
        EXPECT_GT(rows[i][6].toDouble(), -88.5);
        EXPECT_LT(rows[i][6].toDouble(), -80.5);
    }
}

TEST_F(QuarterlySamplesTest, LastUnitOfEachFile) {
    const auto units = Rows("SELECT FACILITY_ID, UNIT_ID, UNIT_TYPE, FIRST_COMMERCIAL_OPERATION, "
                            "PROGRAM_REQUIREMENT_FOR_EDR FROM UNITS ORDER BY FACILITY_ID");
    ASSERT_EQ(units.size(), 3);
    EXPECT_EQ(units[0][1].toString(), "2");
    EXPECT_EQ(units[0][2].toString(), "Boiler: Tangentially-fired");
    EXPECT_EQ(units[1][1].toString(), "GT1");
    EXPECT_EQ(units[1][2].toString(), "Turbine: Combustion turbine");
    EXPECT_EQ(units[1][3].toString(), "1999-11-01");
    EXPECT_EQ(units[2][2].toString(), "Boiler: Wet bottom wall-fired boiler (coal unit)");
    EXPECT_EQ(units[2][4].toString(), "ARP");

    const auto fuels = Rows("SELECT FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, STARTUP_FUEL "
                            "FROM FUELS ORDER BY FACILITY_ID");
    ASSERT_EQ(fuels.size(), 3);
    EXPECT_EQ(fuels[0][2].toString(), "Coal");
    EXPECT_EQ(fuels[1][1].toString(), "GT1");
    EXPECT_EQ(fuels[1][2].toString(), "Pipeline Natural Gas");
    EXPECT_EQ(fuels[1][3].toString(), "Y");
}

TEST_F(QuarterlySamplesTest, QuarterStatisticsAreSensible) {
    EXPECT_EQ(HourlyRecordsPerFile, (QList<qsizetype>{2 * 72, 3 * 72, 2 * 72}));
    const auto quarters = Rows(
        "SELECT FACILITY_ID, DATE_OF_REPORT, CO2_MIN_PCT_CONC_QTRLY, CO2_AVG_PCT_CONC_QTRLY, "
        "CO2_MAX_PCT_CONC_QTRLY, VOL_FLOW_MIN_3FT_HOUR_QTRLY, VOL_FLOW_AVE_3FT_HOUR_QTRLY, "
        "VOL_FLOW_MAX_3FT_HOUR_QTRLY, OPERATING_HOURS_QTRLY FROM QUARTERS ORDER BY FACILITY_ID");
    ASSERT_EQ(quarters.size(), 3);
    const char* reportDates[] = {"2001-04-27", "2000-10-30", "2001-07-26"};
    for (int i = 0; i < 3; ++i) {
        const QVariantList& row = quarters[i];
        EXPECT_EQ(row[1].toString(), reportDates[i]);
        const double co2Min = row[2].toDouble(), co2Avg = row[3].toDouble();
        const double co2Max = row[4].toDouble();
        EXPECT_GT(co2Min, 3.0);
        EXPECT_LT(co2Min, co2Avg);
        EXPECT_LT(co2Avg, co2Max);
        EXPECT_LT(co2Max, 13.0);
        const double flowMin = row[5].toDouble(), flowAvg = row[6].toDouble();
        const double flowMax = row[7].toDouble();
        EXPECT_GT(flowMin, 300000.0);
        EXPECT_LT(flowMin, flowAvg);
        EXPECT_LT(flowAvg, flowMax);
        EXPECT_LT(flowMax, 5000000.0);
        EXPECT_EQ(row[8].toInt(), 72);
    }
}

} // namespace
} // namespace tarnwick
