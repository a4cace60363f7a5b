#include "HourlyReader.h"
#include "DatTestFiles.h"
#include "RecordingDatabase.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

class HourlyReaderTest : public testing::Test {
protected:
    QStringList Extract(const QString& path) {
        Database.Statements.clear();
        ExtractHourlyFile(path, State, Database, Progress);
        return Database.Statements;
    }

    QTemporaryDir Folder;
    ReaderState State;
    RecordingDatabase Database;
    RecordingProgress Progress;
};

} // namespace

TEST_F(HourlyReaderTest, WritersRunInTheirFixedOrderWhateverTheLineOrder) {
    const QString path =
        WriteDatFile(Folder, "A.DAT",
                     {CO2MassLine("1", "010315", "07", "12.3", "24.6"),
                      NOxRateLine("1", "010315", "07", "0.450", "0.452", "100.0", "03"),
                      SO2MassLine("1", "010315", "07", "101.5", "101.6", "203.1"),
                      FlowLine("1", "010315", "07", "123456.7", "123500.0", "100.0"),
                      CO2ConcLine("1", "010315", "07", "11.2", "99.0"),
                      NOxConcLine("1", "010315", "07", "45.2", "45.2", "100.0"),
                      SO2ConcLine("1", "010315", "07", "12.5", "12.6", "100.0")});
    const QStringList statements = Extract(path);
    const auto insert = [](const char* column) {
        return u"INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "_qs +
               QLatin1StringView(column);
    };
    const auto update = [](const char* column) {
        return u"UPDATE EMISSIONS SET "_qs + QLatin1StringView(column);
    };
    const QStringList expectedStarts{
        insert("SO2_PCT_MONITOR_DATA_AVAIL"), insert("NOX_AVG_PPM_PER_HOUR"),
        update("NOX_AVG_PPM_PER_HOUR"),       insert("CO2_AVG_PCT_CONC_PER_HOUR"),
        update("CO2_AVG_PCT_CONC_PER_HOUR"),  insert("VOL_FLOW_PCT_DATA_AVAIL"),
        update("VOL_FLOW_PCT_DATA_AVAIL"),    insert("SO2_MASS_LB_HOUR"),
        update("SO2_MASS_LB_HOUR"),           insert("NOX_PCT_DATA_AVAILABLE"),
        update("NOX_PCT_DATA_AVAILABLE"),     insert("CO2_MASS_TON_HOUR"),
        update("CO2_MASS_TON_HOUR")};
    ASSERT_EQ(statements.size(), expectedStarts.size());
    for (qsizetype i = 0; i < statements.size(); ++i)
        EXPECT_TRUE(statements[i].startsWith(expectedStarts[i])) << statements[i].toStdString();
}

TEST_F(HourlyReaderTest, EmptyFileRunsEveryWriterAndStepsTheProgressInSevenths) {
    const QString path = WriteDatFile(Folder, "EMPTY.DAT", {});
    EXPECT_TRUE(Extract(path).isEmpty());
    EXPECT_EQ(Progress.Values, SeventhSteps);
    EXPECT_EQ(Database.GroupsBegun, 1);
    EXPECT_EQ(Database.GroupsEnded, 1);
}

TEST_F(HourlyReaderTest, OtherRecordTypesAndFragmentsAreSkipped) {
    const QString path =
        WriteDatFile(Folder, "A.DAT",
                     {FacilityLine("77"), DatLineOf({{1, "102"}, {4, "PLANT"}}),
                      DatLineOf({{1, "301"}, {4, "1"}}), DatLineOf({{1, "504"}, {4, "1"}}), "20",
                      DatLineOf({{1, "999"}, {4, "1"}})});
    EXPECT_TRUE(Extract(path).isEmpty());
    EXPECT_EQ(State.CurrentFacilityId, 77);
}

TEST_F(HourlyReaderTest, RefusedStatementStopsTheFileWithItsLineAndEndsTheGroup) {
    const QString path =
        WriteDatFile(Folder, "A.DAT",
                     {FacilityLine("3456"), NOxConcLine("1", "010315", "07", "1", "1", "1"),
                      NOxConcLine("1", "010315", "08", "1", "1", "1"),
                      CO2MassLine("1", "010315", "07", "1", "1")});
    Database.RefuseAt = 2; // the INSERT of the line-3 record
    try {
        ExtractHourlyFile(path, State, Database, Progress);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 3);
    }
    EXPECT_EQ(Database.Statements.size(), 2);
    EXPECT_EQ(Progress.Values, std::vector<float>({SeventhSteps[0]}));
    EXPECT_EQ(Database.GroupsBegun, 1);
    EXPECT_EQ(Database.GroupsEnded, 1);
}

TEST_F(HourlyReaderTest, MissingFileFailsBeforeAnyStatement) {
    EXPECT_THROW(Extract(Folder.filePath("NONE.DAT")), Error);
    EXPECT_TRUE(Database.Statements.isEmpty());
    EXPECT_EQ(Database.GroupsBegun, 0);
    EXPECT_TRUE(Progress.Values.empty());
}
