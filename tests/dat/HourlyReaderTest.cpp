// What an hourly ".DAT" file gives the database: the statement texts, byte for byte, from a line
// through the reader and its writers, one table row per record type; the order of the writers;
// the progress; and where a failure stops.
#include "dat/HourlyReader.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/RecordingDatabase.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

using namespace Qt::StringLiterals;

struct Case {
    QByteArray Line;
    qint32 FacilityId;
    QStringList Statements; // dotted: a middle dot for each blank
};

const QString Insert = u"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"_s;
const QString NOxWhere = QStringLiteral("WHERE·(((FACILITY_ID)=3456)·AND·((UNIT_ID)='1·····')·"
                                        "AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))");

const Case Cases[] = {
    // NOx concentration, values trimmed.
    {NOxConcLine("1", "010315", "07", "  45.2", "  45.2", "100.0"),
     3456,
     {Insert + "NOX_AVG_PPM_PER_HOUR,·NOX_AVG_PPM_PER_HOUR_ADJ,·"
               "NOX_PCT_MONITOR_DATA_AVAIL)·VALUES·(3456,·'1·····',·'03/15/01',·'07····',·"
               "'45.2··',·'45.2··',·'100.0')",
      "UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·NOX_AVG_PPM_PER_HOUR_ADJ·=·"
      "'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·'100.0'·" +
          NOxWhere}},
    // NOx rate, no blank after the last comma or before WHERE.
    {NOxRateLine("5A", "010315", "07", " 0.450", " 0.452", "100.0", "03"),
     3456,
     {Insert + "NOX_PCT_DATA_AVAILABLE,·NOX_AVG_LB_PER_MMBTU,·NOX_AVG_LB_PER_MMBTU_ADJ,·"
               "NOX_OPERATING_LOAD_RANGE)·VALUES·(3456,·'5A····',·'03/15/01',·'07····',·"
               "'100.0',·'·0.450',·'·0.452',·'03')",
      "UPDATE·EMISSIONS·SET·NOX_PCT_DATA_AVAILABLE·=·'100.0',·NOX_AVG_LB_PER_MMBTU·=·'·0.450',"
      "·NOX_AVG_LB_PER_MMBTU_ADJ·=·'·0.452',NOX_OPERATING_LOAD_RANGE·=·'03'WHERE·"
      "(((FACILITY_ID)=3456)·AND·((UNIT_ID)='5A····')·AND·((DATA_DATE)=#03/15/01#)·AND·"
      "((DATA_HOUR)=07····))"}},
    // SO2 concentration: INSERT only, unit as read, two-character hour.
    {SO2ConcLine(" 1", "010315", "07", "  12.5", "  12.6", "100.0"),
     2147483647,
     {Insert + "SO2_PCT_MONITOR_DATA_AVAIL,·SO2_AVG_PPM_PER_HOUR,·"
               "SO2_AVG_PPM_PER_HOUR_ADJ)·VALUES·(2147483647,·'·1····',·'03/15/01',·'07',·"
               "'100.0',·'··12.5',·'··12.6')"}},
    // CO2 concentration closes with a quote and a blank.
    {CO2ConcLine("2", "010315", "07", "  11.2", " 99.0"),
     -2147483647 - 1,
     {Insert + "CO2_AVG_PCT_CONC_PER_HOUR,·CO2_PCT_MONITOR_DATA_AVAIL)·VALUES·(-2147483648,·"
               "'2·····',·'03/15/01',·'07····',·'··11.2',·'·99.0')",
      "UPDATE·EMISSIONS·SET·CO2_AVG_PCT_CONC_PER_HOUR·=·'··11.2',·CO2_PCT_MONITOR_DATA_AVAIL·"
      "=·'·99.0'·WHERE·(((FACILITY_ID)=-2147483648)·AND·((UNIT_ID)='2·····')·AND·"
      "((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
    // Volumetric flow, no blank before WHERE.
    {FlowLine("CS001", "010315", "07", "  123456.7", "  123500.0", "100.0"),
     0,
     {Insert + "VOL_FLOW_PCT_DATA_AVAIL,·VOL_FLOW_AVG_STD_3FT_PER_HOUR,·"
               "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ)·VALUES·(0,·'CS001·',·'03/15/01',·'07····',·"
               "'100.0',·'··123456.7',·'··123500.0')",
      "UPDATE·EMISSIONS·SET·VOL_FLOW_PCT_DATA_AVAIL·=·'100.0',·VOL_FLOW_AVG_STD_3FT_PER_HOUR·=·"
      "'··123456.7',·VOL_FLOW_AVG_STD_3FT_HOUR_ADJ·=·'··123500.0'WHERE·(((FACILITY_ID)=0)·AND·"
      "((UNIT_ID)='CS001·')·AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
    // SO2 mass.
    {SO2MassLine("1", "010315", "07", "  101.5", "  101.6", "  203.1"),
     3456,
     {Insert + "SO2_MASS_LB_HOUR,·SO2_MASS_LB_HOUR_ADJ,·SO2_MASS_LB_HOUR_TOTAL)·VALUES·(3456,·"
               "'1·····',·'03/15/01',·'07····',·'··101.5',·'··101.6',·'··203.1')",
      "UPDATE·EMISSIONS·SET·SO2_MASS_LB_HOUR·=·'··101.5',·SO2_MASS_LB_HOUR_ADJ·=·'··101.6',·"
      "SO2_MASS_LB_HOUR_TOTAL·=·'··203.1'" +
          NOxWhere}},
    // CO2 mass.
    {CO2MassLine("1", "010315", "07", "     12.34", "     24.68"),
     3456,
     {Insert + "CO2_MASS_TON_HOUR,·CO2_MASS_TON_HOUR_TOTAL)·VALUES·(3456,·'1·····',·"
               "'03/15/01',·'07····',·'·····12.34',·'·····24.68')",
      "UPDATE·EMISSIONS·SET·CO2_MASS_TON_HOUR·=·'·····12.34',·CO2_MASS_TON_HOUR_TOTAL·=·"
      "'·····24.68'" +
          NOxWhere}},
    // Quotes inside values are doubled.
    {NOxConcLine("O'BRI", "010315", "07", "45.2", "45.2", "');X"),
     7,
     {Insert + "NOX_AVG_PPM_PER_HOUR,·NOX_AVG_PPM_PER_HOUR_ADJ,·"
               "NOX_PCT_MONITOR_DATA_AVAIL)·VALUES·(7,·'O''BRI·',·'03/15/01',·'07····',·"
               "'45.2··',·'45.2··',·''');X·')",
      "UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·NOX_AVG_PPM_PER_HOUR_ADJ·=·"
      "'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·''');X·'·WHERE·(((FACILITY_ID)=7)·AND·"
      "((UNIT_ID)='O''BRI·')·AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
};

class HourlyReaderTest : public testing::Test {
protected:
    QStringList Extract(const std::vector<QByteArray>& lines) {
        ExtractHourlyFile(WriteDatFile(Folder, "A.DAT", lines), State, Database, Progress);
        return Database.Statements;
    }

    QTemporaryDir Folder;
    ReaderState State;
    RecordingDatabase Database;
    RecordingProgress Progress;
};

TEST(EmissionsWriters, EachRecordTypeGivesItsStatementsByteForByte) {
    for (const Case& test : Cases) {
        SCOPED_TRACE(test.Line.constData());
        QTemporaryDir folder;
        ReaderState state;
        state.CurrentFacilityId = test.FacilityId;
        RecordingDatabase database;
        RecordingProgress progress;
        ExtractHourlyFile(WriteDatFile(folder, "T.DAT", {test.Line}), state, database, progress);
        QStringList expected;
        for (const QString& statement : test.Statements)
            expected << QString(statement).replace(u'·', u' ');
        EXPECT_EQ(database.Statements, expected);
    }
}

// Each record's INSERT before its UPDATE, "200" first and "330" last whatever the line order:
// the first column each statement sets.
TEST_F(HourlyReaderTest, WritersRunInTheirFixedOrderWhateverTheLineOrder) {
    std::vector<QByteArray> lines = AllSevenHourlyTypes("07");
    std::reverse(lines.begin(), lines.end());
    QStringList order;
    for (const QString& statement : Extract(lines))
        order << statement.left(7) +
                     QRegularExpression("(?:DATA_HOUR, |SET )(\\w+)").match(statement).captured(1);
    QStringList expected;
    for (const char* column :
         {"NOX_AVG_PPM_PER_HOUR", "CO2_AVG_PCT_CONC_PER_HOUR", "VOL_FLOW_PCT_DATA_AVAIL",
          "SO2_MASS_LB_HOUR", "NOX_PCT_DATA_AVAILABLE", "CO2_MASS_TON_HOUR"})
        expected << u"INSERT "_s + column << u"UPDATE "_s + column;
    EXPECT_EQ(order, QStringList{"INSERT SO2_PCT_MONITOR_DATA_AVAIL"} + expected);
    EXPECT_EQ(Progress.Values, SeventhSteps);
}

TEST_F(HourlyReaderTest, EmptyFileOrOtherRecordTypesWriteNothingButStepTheProgress) {
    EXPECT_TRUE(Extract({}).isEmpty());
    EXPECT_EQ(Progress.Values, SeventhSteps);
    EXPECT_EQ(Database.GroupsBegun, 1);
    EXPECT_EQ(Database.GroupsEnded, 1);
    EXPECT_TRUE(Extract({FacilityLine("77"), DatLineOf({{1, "102"}, {4, "PLANT"}}),
                         DatLineOf({{1, "301"}, {4, "1"}}), DatLineOf({{1, "504"}, {4, "1"}}), "20",
                         DatLineOf({{1, "999"}, {4, "1"}})})
                    .isEmpty());
    EXPECT_EQ(State.CurrentFacilityId, 77);
}

TEST_F(HourlyReaderTest, RefusedStatementStopsTheFileWithItsLineAndEndsTheGroup) {
    Database.RefuseAt = 4; // the UPDATE of the line-4 record
    try {
        Extract({FacilityLine("3456"), NOxConcLine("1", "010315", "07", "1", "1", "1"),
                 SO2ConcLine("1", "010315", "07", "1", "1", "1"),
                 NOxConcLine("2", "010315", "07", "1", "1", "1"),
                 CO2MassLine("1", "010315", "07", "1", "1")});
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 4);
        EXPECT_TRUE(error.Message.startsWith(u"refused: UPDATE EMISSIONS")) << error.what();
    }
    ASSERT_EQ(Database.Statements.size(), 4);
    EXPECT_TRUE(Database.Statements[0].contains("SO2_PCT_MONITOR_DATA_AVAIL"));
    EXPECT_TRUE(Database.Statements[3].contains("'2     '"));
    EXPECT_EQ(Progress.Values, std::vector<float>({SeventhSteps[0]}));
    EXPECT_EQ(Database.GroupsBegun, 1);
    EXPECT_EQ(Database.GroupsEnded, 1);
}

TEST_F(HourlyReaderTest, MissingFileFailsBeforeAnyStatement) {
    EXPECT_THROW(ExtractHourlyFile(Folder.filePath("NONE.DAT"), State, Database, Progress), Error);
    EXPECT_TRUE(Database.Statements.isEmpty());
    EXPECT_EQ(Database.GroupsBegun, 0);
    EXPECT_TRUE(Progress.Values.empty());
}

} // namespace
