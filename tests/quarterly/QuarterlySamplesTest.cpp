// The sample reports of the samples folder, loaded into a fresh SQLite Sources database.
#include "quarterly/QuarterlyReader.h"
#include "tests/support/QuarterlyTestFiles.h"
#include "tests/support/RecordingDatabase.h"
#include "tests/support/TestDatabases.h"

#include <QDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(QuarterlySamples, EachFileGivesItsFacilityAndItsLastUnitFuelAndQuarter) {
    const QString path = ScratchSqliteDatabase();
    const QDir samples(qEnvironmentVariable("TARNWICK_SAMPLES"));
    const auto database = SourcesDatabase::Open(path);
    ReaderState state;
    test::RecordingProgress progress;
    QList<qsizetype> hourlyRecords;
    for (const char* name : {"000101.DAT", "000202.DAT", "000303.DAT"}) {
        ExtractQuarterlyFile(samples.filePath(name), state, *database, progress);
        hourlyRecords << state.Lists.CO2ConcRecords.size();
    }
    database->Close();
    EXPECT_EQ(hourlyRecords, (QList<qsizetype>{2 * 72, 3 * 72, 2 * 72}));
    EXPECT_EQ(test::RowTexts(QueryRows(
                  path, "SELECT f.Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, "
                        "State_Postal_Abbreviation, u.UNIT_ID, UNIT_TYPE, "
                        "FIRST_COMMERCIAL_OPERATION, PROGRAM_REQUIREMENT_FOR_EDR, "
                        "FUEL_TYPE_COMBUSTED, STARTUP_FUEL, DATE_OF_REPORT, OPERATING_HOURS_QTRLY "
                        "FROM FACILITIES f JOIN UNITS u ON u.FACILITY_ID = f.Facility_ID JOIN "
                        "FUELS p ON p.FACILITY_ID = f.Facility_ID JOIN QUARTERS q ON "
                        "q.FACILITY_ID = f.Facility_ID ORDER BY 1")),
              QStringList({"101|1|2001|SMITH, INC. STATION|IN|2|Boiler: Tangentially-fired|"
                           "1973-09-15|ARP|Coal|N|2001-04-27|72",
                           "202|3|2000|O'BRIEN STATION|OH|GT1|Turbine: Combustion turbine|"
                           "1999-11-01|ARP|Pipeline Natural Gas|Y|2000-10-30|72",
                           "303|2|2001|KESTREL CREEK|IN|8|Boiler: Wet bottom wall-fired boiler "
                           "(coal unit)|1962-09-01|ARP|Coal|N|2001-07-26|72"}));
}

} // namespace
} // namespace tarnwick
