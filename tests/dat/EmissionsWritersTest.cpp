// The statement texts, byte for byte, from a ".DAT" line through the hourly reader and its
// writers to the database, one table row per record type.
#include "DatTestFiles.h"
#include "HourlyReader.h"
#include "RecordingDatabase.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

struct Case {
    const char* Name;
    QByteArray Line;
    qint32 FacilityId;
    QStringList Statements; // dotted: a middle dot for each blank
};

const QString NOxWhere = QStringLiteral("WHERE·(((FACILITY_ID)=3456)·AND·((UNIT_ID)='1·····')·"
                                        "AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))");

const Case Cases[] = {
    {"NOx concentration, values trimmed",
     NOxConcLine("1", "010315", "07", "  45.2", "  45.2", "100.0"),
     3456,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·NOX_AVG_PPM_PER_HOUR,·"
      "NOX_AVG_PPM_PER_HOUR_ADJ,·NOX_PCT_MONITOR_DATA_AVAIL)·VALUES·(3456,·'1·····',·"
      "'03/15/01',·'07····',·'45.2··',·'45.2··',·'100.0')",
      "UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·NOX_AVG_PPM_PER_HOUR_ADJ·=·"
      "'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·'100.0'·" +
          NOxWhere}},
    {"NOx rate, no blank after the last comma or before WHERE",
     NOxRateLine("5A", "010315", "07", " 0.450", " 0.452", "100.0", "03"),
     3456,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
      "NOX_PCT_DATA_AVAILABLE,·NOX_AVG_LB_PER_MMBTU,·NOX_AVG_LB_PER_MMBTU_ADJ,·"
      "NOX_OPERATING_LOAD_RANGE)·VALUES·(3456,·'5A····',·'03/15/01',·'07····',·'100.0',·"
      "'·0.450',·'·0.452',·'03')",
      "UPDATE·EMISSIONS·SET·NOX_PCT_DATA_AVAILABLE·=·'100.0',·NOX_AVG_LB_PER_MMBTU·=·'·0.450',"
      "·NOX_AVG_LB_PER_MMBTU_ADJ·=·'·0.452',NOX_OPERATING_LOAD_RANGE·=·'03'WHERE·"
      "(((FACILITY_ID)=3456)·AND·((UNIT_ID)='5A····')·AND·((DATA_DATE)=#03/15/01#)·AND·"
      "((DATA_HOUR)=07····))"}},
    {"SO2 concentration: INSERT only, unit as read, two-character hour",
     SO2ConcLine(" 1", "010315", "07", "  12.5", "  12.6", "100.0"),
     2147483647,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
      "SO2_PCT_MONITOR_DATA_AVAIL,·SO2_AVG_PPM_PER_HOUR,·SO2_AVG_PPM_PER_HOUR_ADJ)·VALUES·"
      "(2147483647,·'·1····',·'03/15/01',·'07',·'100.0',·'··12.5',·'··12.6')"}},
    {"CO2 concentration closes with a quote and a blank",
     CO2ConcLine("2", "010315", "07", "  11.2", " 99.0"),
     -2147483647 - 1,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
      "CO2_AVG_PCT_CONC_PER_HOUR,·CO2_PCT_MONITOR_DATA_AVAIL)·VALUES·(-2147483648,·'2·····',·"
      "'03/15/01',·'07····',·'··11.2',·'·99.0')",
      "UPDATE·EMISSIONS·SET·CO2_AVG_PCT_CONC_PER_HOUR·=·'··11.2',·CO2_PCT_MONITOR_DATA_AVAIL·"
      "=·'·99.0'·WHERE·(((FACILITY_ID)=-2147483648)·AND·((UNIT_ID)='2·····')·AND·"
      "((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
    {"volumetric flow, no blank before WHERE",
     FlowLine("CS001", "010315", "07", "  123456.7", "  123500.0", "100.0"),
     0,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
      "VOL_FLOW_PCT_DATA_AVAIL,·VOL_FLOW_AVG_STD_3FT_PER_HOUR,·VOL_FLOW_AVG_STD_3FT_HOUR_ADJ)·"
      "VALUES·(0,·'CS001·',·'03/15/01',·'07····',·'100.0',·'··123456.7',·'··123500.0')",
      "UPDATE·EMISSIONS·SET·VOL_FLOW_PCT_DATA_AVAIL·=·'100.0',·VOL_FLOW_AVG_STD_3FT_PER_HOUR·=·"
      "'··123456.7',·VOL_FLOW_AVG_STD_3FT_HOUR_ADJ·=·'··123500.0'WHERE·(((FACILITY_ID)=0)·AND·"
      "((UNIT_ID)='CS001·')·AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
    {"SO2 mass",
     SO2MassLine("1", "010315", "07", "  101.5", "  101.6", "  203.1"),
     3456,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·SO2_MASS_LB_HOUR,·"
      "SO2_MASS_LB_HOUR_ADJ,·SO2_MASS_LB_HOUR_TOTAL)·VALUES·(3456,·'1·····',·'03/15/01',·"
      "'07····',·'··101.5',·'··101.6',·'··203.1')",
      "UPDATE·EMISSIONS·SET·SO2_MASS_LB_HOUR·=·'··101.5',·SO2_MASS_LB_HOUR_ADJ·=·'··101.6',·"
      "SO2_MASS_LB_HOUR_TOTAL·=·'··203.1'" +
          NOxWhere}},
    {"CO2 mass",
     CO2MassLine("1", "010315", "07", "     12.34", "     24.68"),
     3456,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·CO2_MASS_TON_HOUR,·"
      "CO2_MASS_TON_HOUR_TOTAL)·VALUES·(3456,·'1·····',·'03/15/01',·'07····',·'·····12.34',·"
      "'·····24.68')",
      "UPDATE·EMISSIONS·SET·CO2_MASS_TON_HOUR·=·'·····12.34',·CO2_MASS_TON_HOUR_TOTAL·=·"
      "'·····24.68'" +
          NOxWhere}},
    {"quotes inside values are doubled",
     NOxConcLine("O'BRI", "010315", "07", "45.2", "45.2", "');X"),
     7,
     {"INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·NOX_AVG_PPM_PER_HOUR,·"
      "NOX_AVG_PPM_PER_HOUR_ADJ,·NOX_PCT_MONITOR_DATA_AVAIL)·VALUES·(7,·'O''BRI·',·"
      "'03/15/01',·'07····',·'45.2··',·'45.2··',·''');X·')",
      "UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·NOX_AVG_PPM_PER_HOUR_ADJ·=·"
      "'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·''');X·'·WHERE·(((FACILITY_ID)=7)·AND·"
      "((UNIT_ID)='O''BRI·')·AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"}},
};

QStringList Recorded(const std::vector<QByteArray>& lines, qint32 facilityId,
                     RecordingDatabase& database) {
    QTemporaryDir folder;
    ReaderState state;
    state.CurrentFacilityId = facilityId;
    RecordingProgress progress;
    ExtractHourlyFile(WriteDatFile(folder, "T.DAT", lines), state, database, progress);
    return database.Statements;
}

} // namespace

TEST(EmissionsWriters, EachRecordTypeGivesItsStatementsByteForByte) {
    for (const Case& test : Cases) {
        SCOPED_TRACE(test.Name);
        RecordingDatabase database;
        QStringList expected;
        for (const QString& statement : test.Statements)
            expected << QString(statement).replace(u'·', u' ');
        EXPECT_EQ(Recorded({test.Line}, test.FacilityId, database), expected);
    }
}

// The "200" rows come first whatever the order of the lines, each record's INSERT before its
// UPDATE, and a refused statement names the line of its record.
TEST(EmissionsWriters, WritersRunInTheirOrderAndAFailureNamesTheRecordsLine) {
    const std::vector<QByteArray> lines{NOxConcLine("1", "010315", "07", "1", "1", "1"),
                                        SO2ConcLine("1", "010315", "07", "1", "1", "1"),
                                        NOxConcLine("2", "010315", "07", "1", "1", "1")};
    RecordingDatabase database;
    const QStringList statements = Recorded(lines, 1, database);
    ASSERT_EQ(statements.size(), 5);
    EXPECT_TRUE(statements[0].contains("SO2_PCT_MONITOR_DATA_AVAIL"));
    EXPECT_TRUE(statements[1].startsWith("INSERT") && statements[2].startsWith("UPDATE"));
    EXPECT_TRUE(statements[4].contains("'2     '"));

    RecordingDatabase refusing;
    refusing.RefuseAt = 4; // the UPDATE of the line-3 record
    try {
        Recorded(lines, 1, refusing);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 3);
        EXPECT_TRUE(error.Message.startsWith(u"refused: UPDATE EMISSIONS"));
    }
}
