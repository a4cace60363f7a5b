#include "EmissionsWriters.h"
#include "DatTestFiles.h"
#include "RecordingDatabase.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

template <typename Record> void SetKey(Record& record, const char* unit) {
    record.UnitId.Assign(unit);
    record.DataDate.Assign("03/15/01");
    record.DataHour.Assign("07");
}

SO2ConcRecord SO2Conc(const char* unit) {
    SO2ConcRecord record;
    SetKey(record, unit);
    record.SO2Concentration.Assign("  12.5");
    record.AdjustedSO2Concentration.Assign("  12.6");
    record.MonitorDataAvailability.Assign("100.0");
    return record;
}

NOxConcRecord NOxConc(const char* unit) {
    NOxConcRecord record;
    SetKey(record, unit);
    record.NOxConcentration.Assign("45.2");
    record.AdjustedNOxConcentration.Assign("45.2");
    record.MonitorDataAvailability.Assign("100.0");
    return record;
}

CO2ConcRecord CO2Conc() {
    CO2ConcRecord record;
    SetKey(record, "2");
    record.CO2Concentration.Assign("  11.2");
    record.MonitorDataAvailability.Assign(" 99.0");
    return record;
}

FlowRecord Flow() {
    FlowRecord record;
    SetKey(record, "CS001");
    record.AverageVolumetricFlow.Assign("  123456.7");
    record.AdjustedVolumetricFlow.Assign("  123500.0");
    record.FlowDataAvailability.Assign("100.0");
    return record;
}

SO2MassRecord SO2Mass() {
    SO2MassRecord record;
    SetKey(record, "1");
    record.SO2Mass.Assign("  101.5");
    record.AdjustedSO2Mass.Assign("  101.6");
    record.TotalSO2Mass.Assign("  203.1");
    return record;
}

NOxRateRecord NOxRate() {
    NOxRateRecord record;
    SetKey(record, "5A");
    record.DataAvailability.Assign("100.0");
    record.NOxEmissionRate.Assign(" 0.450");
    record.AdjustedNOxEmissionRate.Assign(" 0.452");
    record.OperatingLoadRange.Assign("03");
    return record;
}

CO2MassRecord CO2Mass() {
    CO2MassRecord record;
    SetKey(record, "1");
    record.CO2Mass.Assign("     12.34");
    record.TotalCO2Mass.Assign("     24.68");
    return record;
}

} // namespace

TEST(EmissionsStatements, NOxConcentrationWorkedExample) {
    const NOxConcRecord record = NOxConc("1");
    EXPECT_EQ(BuildNOxConcInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "NOX_AVG_PPM_PER_HOUR,·NOX_AVG_PPM_PER_HOUR_ADJ,·NOX_PCT_MONITOR_DATA_AVAIL)·"
                     "VALUES·(3456,·'1·····',·'03/15/01',·'07····',·'45.2··',·'45.2··',·'100.0')"));
    EXPECT_EQ(BuildNOxConcUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·"
                     "NOX_AVG_PPM_PER_HOUR_ADJ·=·'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·'100.0'·"
                     "WHERE·(((FACILITY_ID)=3456)·AND·((UNIT_ID)='1·····')·"
                     "AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, NOxRateWorkedExampleHasNoBlankAfterTheLastCommaOrBeforeWhere) {
    const NOxRateRecord record = NOxRate();
    EXPECT_EQ(BuildNOxRateInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "NOX_PCT_DATA_AVAILABLE,·NOX_AVG_LB_PER_MMBTU,·NOX_AVG_LB_PER_MMBTU_ADJ,·"
                     "NOX_OPERATING_LOAD_RANGE)·VALUES·(3456,·'5A····',·'03/15/01',·'07····',·"
                     "'100.0',·'·0.450',·'·0.452',·'03')"));
    EXPECT_EQ(BuildNOxRateUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·NOX_PCT_DATA_AVAILABLE·=·'100.0',·"
                     "NOX_AVG_LB_PER_MMBTU·=·'·0.450',·NOX_AVG_LB_PER_MMBTU_ADJ·=·'·0.452',"
                     "NOX_OPERATING_LOAD_RANGE·=·'03'WHERE·(((FACILITY_ID)=3456)·"
                     "AND·((UNIT_ID)='5A····')·AND·((DATA_DATE)=#03/15/01#)·"
                     "AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, SO2ConcentrationInsertKeepsTheUnitAsReadAndATwoCharacterHour) {
    EXPECT_EQ(BuildSO2ConcInsert(3456, SO2Conc(" 1")),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "SO2_PCT_MONITOR_DATA_AVAIL,·SO2_AVG_PPM_PER_HOUR,·SO2_AVG_PPM_PER_HOUR_ADJ)·"
                     "VALUES·(3456,·'·1····',·'03/15/01',·'07',·'100.0',·'··12.5',·'··12.6')"));
}

TEST(EmissionsStatements, CO2ConcentrationUpdateClosesWithQuoteAndBlank) {
    const CO2ConcRecord record = CO2Conc();
    EXPECT_EQ(BuildCO2ConcInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "CO2_AVG_PCT_CONC_PER_HOUR,·CO2_PCT_MONITOR_DATA_AVAIL)·"
                     "VALUES·(3456,·'2·····',·'03/15/01',·'07····',·'··11.2',·'·99.0')"));
    EXPECT_EQ(BuildCO2ConcUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·CO2_AVG_PCT_CONC_PER_HOUR·=·'··11.2',·"
                     "CO2_PCT_MONITOR_DATA_AVAIL·=·'·99.0'·WHERE·(((FACILITY_ID)=3456)·"
                     "AND·((UNIT_ID)='2·····')·AND·((DATA_DATE)=#03/15/01#)·"
                     "AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, VolumetricFlowUpdateHasNoBlankBeforeWhere) {
    const FlowRecord record = Flow();
    EXPECT_EQ(BuildFlowInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "VOL_FLOW_PCT_DATA_AVAIL,·VOL_FLOW_AVG_STD_3FT_PER_HOUR,·"
                     "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ)·VALUES·(3456,·'CS001·',·'03/15/01',·"
                     "'07····',·'100.0',·'··123456.7',·'··123500.0')"));
    EXPECT_EQ(BuildFlowUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·VOL_FLOW_PCT_DATA_AVAIL·=·'100.0',·"
                     "VOL_FLOW_AVG_STD_3FT_PER_HOUR·=·'··123456.7',·"
                     "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ·=·'··123500.0'WHERE·(((FACILITY_ID)=3456)·"
                     "AND·((UNIT_ID)='CS001·')·AND·((DATA_DATE)=#03/15/01#)·"
                     "AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, SO2MassStatements) {
    const SO2MassRecord record = SO2Mass();
    EXPECT_EQ(BuildSO2MassInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "SO2_MASS_LB_HOUR,·SO2_MASS_LB_HOUR_ADJ,·SO2_MASS_LB_HOUR_TOTAL)·"
                     "VALUES·(3456,·'1·····',·'03/15/01',·'07····',·'··101.5',·'··101.6',·"
                     "'··203.1')"));
    EXPECT_EQ(BuildSO2MassUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·SO2_MASS_LB_HOUR·=·'··101.5',·"
                     "SO2_MASS_LB_HOUR_ADJ·=·'··101.6',·SO2_MASS_LB_HOUR_TOTAL·=·'··203.1'"
                     "WHERE·(((FACILITY_ID)=3456)·AND·((UNIT_ID)='1·····')·"
                     "AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, CO2MassStatements) {
    const CO2MassRecord record = CO2Mass();
    EXPECT_EQ(BuildCO2MassInsert(3456, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "CO2_MASS_TON_HOUR,·CO2_MASS_TON_HOUR_TOTAL)·VALUES·(3456,·'1·····',·"
                     "'03/15/01',·'07····',·'·····12.34',·'·····24.68')"));
    EXPECT_EQ(BuildCO2MassUpdate(3456, record),
              Dotted("UPDATE·EMISSIONS·SET·CO2_MASS_TON_HOUR·=·'·····12.34',·"
                     "CO2_MASS_TON_HOUR_TOTAL·=·'·····24.68'WHERE·(((FACILITY_ID)=3456)·"
                     "AND·((UNIT_ID)='1·····')·AND·((DATA_DATE)=#03/15/01#)·"
                     "AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsStatements, FacilityIdentifierIsBareDecimalWithItsSign) {
    EXPECT_TRUE(BuildCO2MassInsert(0, CO2Mass()).contains(u" VALUES (0, '1     ', "));
    EXPECT_TRUE(BuildCO2MassUpdate(-2147483647 - 1, CO2Mass())
                    .contains(u"WHERE (((FACILITY_ID)=-2147483648) AND"));
    EXPECT_TRUE(BuildSO2ConcInsert(2147483647, SO2Conc("1")).contains(u"(2147483647, '1     '"));
}

TEST(EmissionsStatements, QuotesInsideQuotedValuesAreDoubled) {
    NOxConcRecord record = NOxConc("O'BRI");
    record.MonitorDataAvailability.Assign("'); X");
    EXPECT_EQ(BuildNOxConcInsert(7, record),
              Dotted("INSERT·INTO·EMISSIONS·(FACILITY_ID,·UNIT_ID,·DATA_DATE,·DATA_HOUR,·"
                     "NOX_AVG_PPM_PER_HOUR,·NOX_AVG_PPM_PER_HOUR_ADJ,·NOX_PCT_MONITOR_DATA_AVAIL)·"
                     "VALUES·(7,·'O''BRI·',·'03/15/01',·'07····',·'45.2··',·'45.2··',·"
                     "''');·X')"));
    EXPECT_EQ(BuildNOxConcUpdate(7, record),
              Dotted("UPDATE·EMISSIONS·SET·NOX_AVG_PPM_PER_HOUR·=·'45.2··',·"
                     "NOX_AVG_PPM_PER_HOUR_ADJ·=·'45.2··',·NOX_PCT_MONITOR_DATA_AVAIL·=·"
                     "''');·X'·WHERE·(((FACILITY_ID)=7)·AND·((UNIT_ID)='O''BRI·')·"
                     "AND·((DATA_DATE)=#03/15/01#)·AND·((DATA_HOUR)=07····))"));
}

TEST(EmissionsWriters, SO2WriterOnlyInsertsOthersInsertThenUpdateEachRecord) {
    RecordingDatabase database;
    const std::vector<SO2ConcRecord> so2{SO2Conc("1"), SO2Conc("2")};
    WriteSO2Concentrations(so2, 3456, database);
    EXPECT_EQ(database.Statements,
              QStringList({BuildSO2ConcInsert(3456, so2[0]), BuildSO2ConcInsert(3456, so2[1])}));

    database.Statements.clear();
    const std::vector<NOxConcRecord> nox{NOxConc("1"), NOxConc("2")};
    WriteNOxConcentrations(nox, 3456, database);
    EXPECT_EQ(database.Statements,
              QStringList({BuildNOxConcInsert(3456, nox[0]), BuildNOxConcUpdate(3456, nox[0]),
                           BuildNOxConcInsert(3456, nox[1]), BuildNOxConcUpdate(3456, nox[1])}));
}

TEST(EmissionsWriters, EmptyListExecutesNothing) {
    RecordingDatabase database;
    WriteSO2Concentrations({}, 1, database);
    WriteNOxEmissionRates({}, 1, database);
    EXPECT_TRUE(database.Statements.isEmpty());
}

TEST(EmissionsWriters, RefusedStatementNamesTheRecordLineAndStopsTheWriter) {
    RecordingDatabase database;
    std::vector<NOxConcRecord> records{NOxConc("1"), NOxConc("2"), NOxConc("3")};
    records[0].SourceLine = 4;
    records[1].SourceLine = 9;
    records[2].SourceLine = 12;
    database.RefuseAt = 3; // the UPDATE of the second record
    try {
        WriteNOxConcentrations(records, 1, database);
        FAIL() << "no error";
    } catch (const DatFileError& error) {
        EXPECT_EQ(error.Line, 9);
        EXPECT_TRUE(error.Message.startsWith(u"refused: UPDATE EMISSIONS"));
    }
    EXPECT_EQ(database.Statements.size(), 3);
}
