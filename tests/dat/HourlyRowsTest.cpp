#include "DatTestFiles.h"
#include "HourlyReader.h"
#include "RecordingDatabase.h"
#include "TestDatabases.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QString AllColumns = QStringLiteral(
    "FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, SO2_PCT_MONITOR_DATA_AVAIL, "
    "SO2_AVG_PPM_PER_HOUR, SO2_AVG_PPM_PER_HOUR_ADJ, NOX_AVG_PPM_PER_HOUR, "
    "NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL, CO2_AVG_PCT_CONC_PER_HOUR, "
    "CO2_PCT_MONITOR_DATA_AVAIL, VOL_FLOW_PCT_DATA_AVAIL, VOL_FLOW_AVG_STD_3FT_PER_HOUR, "
    "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ, SO2_MASS_LB_HOUR, SO2_MASS_LB_HOUR_ADJ, "
    "SO2_MASS_LB_HOUR_TOTAL, NOX_PCT_DATA_AVAILABLE, NOX_AVG_LB_PER_MMBTU, "
    "NOX_AVG_LB_PER_MMBTU_ADJ, NOX_OPERATING_LOAD_RANGE, CO2_MASS_TON_HOUR, "
    "CO2_MASS_TON_HOUR_TOTAL");

// A stored value as comparable text, the same on both engines.
QString TextOf(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return QString::number(value.toDouble(), 'g', 15);
}

QStringList TextsOf(const QVariantList& row) {
    QStringList texts;
    for (const QVariant& value : row)
        texts << TextOf(value);
    return texts;
}

class HourlyRows : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        Path = FreshDatabase();
        Database = SourcesDatabase::Open(Path);
    }

    void TearDown() override {
        if (Database)
            Database->Close();
        Database.reset();
        BothEngines::TearDown();
    }

    void Extract(const QString& file) { ExtractHourlyFile(file, State, *Database, Progress); }

    // Every row of EMISSIONS in key order, as texts.
    std::vector<QStringList> Rows(const QString& columns = AllColumns) {
        std::vector<QStringList> rows;
        for (const QVariantList& row :
             QueryRows(Path, QStringLiteral("SELECT %1 FROM EMISSIONS ORDER BY FACILITY_ID, "
                                            "UNIT_ID, DATA_DATE, DATA_HOUR")
                                 .arg(columns)))
            rows.push_back(TextsOf(row));
        return rows;
    }

    qint64 RowCount() {
        return QueryValue(Path, QStringLiteral("SELECT COUNT(*) FROM EMISSIONS")).toLongLong();
    }

    QTemporaryDir Folder;
    QString Path;
    std::unique_ptr<SourcesDatabase> Database;
    ReaderState State;
    RecordingProgress Progress;
};

std::vector<QByteArray> AllSevenTypes(const QByteArray& unit, const QByteArray& hour) {
    return {SO2ConcLine(unit, "010315", hour, "  12.5", "  12.6", "100.0"),
            NOxConcLine(unit, "010315", hour, "  45.2", "  45.3", " 99.5"),
            CO2ConcLine(unit, "010315", hour, "  11.2", " 98.0"),
            FlowLine(unit, "010315", hour, "   1234567", "   1234600", "100.0"),
            SO2MassLine(unit, "010315", hour, "  101.5", "  101.6", "  203.1"),
            NOxRateLine(unit, "010315", hour, " 0.450", " 0.452", " 97.0", "03"),
            CO2MassLine(unit, "010315", hour, "     12.34", "     24.68")};
}

const QStringList AllSevenRow{"3456", "1",       "2001-03-15", "7",     "100",   "12.5",
                              "12.6", "45.2",    "45.3",       "99.5",  "11.2",  "98",
                              "100",  "1234567", "1234600",    "101.5", "101.6", "203.1",
                              "97",   "0.45",    "0.452",      "3",     "12.34", "24.68"};

} // namespace

TEST_P(HourlyRows, AllSevenTypesOfAnHourMeetInOneRow) {
    std::vector<QByteArray> lines{FacilityLine("003456")};
    for (const QByteArray& line : AllSevenTypes("1", "07"))
        lines.push_back(line);
    Extract(WriteDatFile(Folder, "A.DAT", lines));
    EXPECT_EQ(Rows(), std::vector<QStringList>{AllSevenRow});
}

TEST_P(HourlyRows, HourWithoutSO2RecordIsCreatedByTheNextType) {
    Extract(WriteDatFile(Folder, "A.DAT",
                         {FacilityLine("3456"),
                          NOxRateLine("2", "010315", "08", " 0.450", " 0.452", " 97.0", "03"),
                          NOxConcLine("2", "010315", "08", "45.2", "45.3", "99.5")}));
    EXPECT_EQ(Rows("FACILITY_ID, UNIT_ID, DATA_HOUR, SO2_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR, "
                   "NOX_PCT_MONITOR_DATA_AVAIL, NOX_AVG_LB_PER_MMBTU, NOX_OPERATING_LOAD_RANGE"),
              (std::vector<QStringList>{{"3456", "2", "8", "NULL", "45.2", "99.5", "0.45", "3"}}));
}

TEST_P(HourlyRows, RepeatedRecordsOfAnHourKeepTheFirstSO2AndTheLastNOx) {
    Extract(WriteDatFile(Folder, "A.DAT",
                         {FacilityLine("3456"),
                          SO2ConcLine("1", "010315", "07", "  10.0", "  10.1", "100.0"),
                          NOxConcLine("1", "010315", "07", "  40.0", "  40.1", "100.0"),
                          SO2ConcLine("1", "010315", "07", "  20.0", "  20.1", " 50.0"),
                          NOxConcLine("1", "010315", "07", "  50.0", "  50.1", " 60.0")}));
    EXPECT_EQ(Rows("SO2_AVG_PPM_PER_HOUR, SO2_AVG_PPM_PER_HOUR_ADJ, SO2_PCT_MONITOR_DATA_AVAIL, "
                   "NOX_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL"),
              (std::vector<QStringList>{{"10", "10.1", "100", "50", "50.1", "60"}}));
}

TEST_P(HourlyRows, SecondRunOfTheSameFileAddsNoRow) {
    std::vector<QByteArray> lines{FacilityLine("3456")};
    for (const char* hour : {"07", "08", "09"})
        for (const QByteArray& line : AllSevenTypes("1", hour))
            lines.push_back(line);
    const QString file = WriteDatFile(Folder, "A.DAT", lines);
    Extract(file);
    const std::vector<QStringList> first = Rows();
    ASSERT_EQ(first.size(), 3u);
    Extract(file);
    EXPECT_EQ(Rows(), first);
}

TEST_P(HourlyRows, QuotesInValuesAreStoredAsTheyStand) {
    Extract(WriteDatFile(Folder, "A.DAT",
                         {FacilityLine("3456"), SO2ConcLine("O'BRI", "010315", "07", "1", "1", "1"),
                          CO2ConcLine("O'BRI", "010315", "07", "  11.2", " 98.0"),
                          SO2ConcLine("'", "010315", "08", "1", "1", "1")}));
    EXPECT_EQ(Rows("UNIT_ID, DATA_HOUR, CO2_AVG_PCT_CONC_PER_HOUR"),
              (std::vector<QStringList>{{"'", "8", "NULL"}, {"O'BRI", "7", "11.2"}}));
}

TEST_P(HourlyRows, LastFacilityLineCountsForTheFileAndCarriesToTheNext) {
    Extract(WriteDatFile(Folder, "A.DAT",
                         {SO2ConcLine("1", "010315", "07", "1", "1", "1"),
                          CO2MassLine("1", "010315", "07", "1", "1"), FacilityLine("001111"),
                          FacilityLine("003456")}));
    Extract(WriteDatFile(Folder, "B.DAT", {SO2MassLine("2", "010316", "01", "5", "5", "5")}));
    EXPECT_EQ(Rows("FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR"),
              (std::vector<QStringList>{{"3456", "1", "2001-03-15", "7"},
                                        {"3456", "2", "2001-03-16", "1"}}));
}

TEST_P(HourlyRows, ListsAreRefilledForEachFile) {
    std::vector<QByteArray> ten{FacilityLine("3456")};
    for (int hour = 10; hour < 20; ++hour)
        ten.push_back(SO2MassLine("1", "010315", QByteArray::number(hour), "1", "1", "1"));
    Extract(WriteDatFile(Folder, "TEN.DAT", ten));
    Extract(WriteDatFile(Folder, "THREE.DAT",
                         {SO2MassLine("2", "010316", "01", "5", "5", "5"),
                          SO2MassLine("2", "010316", "02", "5", "5", "5"),
                          SO2MassLine("2", "010316", "03", "5", "5", "5")}));
    EXPECT_EQ(State.Lists.SO2MassRecords.size(), 3u);
    EXPECT_EQ(RowCount(), 13);
    EXPECT_EQ(Rows("SO2_MASS_LB_HOUR").back(), QStringList{"5"});
}

TEST_P(HourlyRows, EmptyFileWritesNothingAndStillStepsTheProgress) {
    Extract(WriteDatFile(Folder, "EMPTY.DAT", {}));
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(Progress.Values, SeventhSteps);
}

TEST_P(HourlyRows, RefusedStatementNamesItsLineAndKeepsTheEarlierRows) {
    // A table without the CO2 mass columns: the "330" writer's statements cannot run.
    Database->Close();
    RunSql(Path, QStringLiteral("DROP TABLE EMISSIONS"));
    RunSql(Path, QStringLiteral("CREATE TABLE EMISSIONS (FACILITY_ID INTEGER NOT NULL, "
                                "UNIT_ID VARCHAR(6) NOT NULL, DATA_DATE DATE NOT NULL, "
                                "DATA_HOUR INTEGER NOT NULL, SO2_PCT_MONITOR_DATA_AVAIL REAL, "
                                "SO2_AVG_PPM_PER_HOUR REAL, SO2_AVG_PPM_PER_HOUR_ADJ REAL, "
                                "PRIMARY KEY (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR))"));
    Database = SourcesDatabase::Open(Path);
    const QString file =
        WriteDatFile(Folder, "A.DAT",
                     {FacilityLine("3456"), SO2ConcLine("1", "010315", "07", "1", "1", "1"),
                      CO2MassLine("1", "010315", "07", "1", "1"),
                      SO2ConcLine("1", "010315", "08", "2", "2", "2")});
    try {
        Extract(file);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 3);
        EXPECT_TRUE(error.Message.contains(u"EMISSIONS")) << error.what();
    }
    EXPECT_EQ(Rows("UNIT_ID, DATA_HOUR, SO2_AVG_PPM_PER_HOUR"),
              (std::vector<QStringList>{{"1", "7", "1"}, {"1", "8", "2"}}));
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(HourlyRows);
