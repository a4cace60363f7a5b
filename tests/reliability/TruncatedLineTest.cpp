#include "FaultHarness.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

// Every record type, its full line cut at every length, read by both batches: nothing may
// crash, a failure must name the file and the line, and a row that lands must hold exactly
// what the cut line gives each of its columns.
namespace tarnwick::test {
namespace {

constexpr int FacilityIdOfFile = 4321;
const QString CaseFile = QStringLiteral("case.DAT");

// One value of an hourly record: the EMISSIONS column and the columns of the line it is
// read from.
struct ValueField {
    const char* Column;
    int Start;
    int Width;
};

struct RecordType {
    const char* Code;
    QByteArray FullLine;
    // Hourly types only: where the key is and which columns the record fills.
    int DateStart = 0;
    int HourStart = 0;
    std::vector<ValueField> Values = {};
};

const std::vector<RecordType>& RecordTypes() {
    static const std::vector<RecordType> types{
        {"100", DatLineOf({{1, "100"}, {4, "004321"}, {10, "1"}, {11, "2001"}})},
        {"102", DatLineOf({{1, "102"},
                           {4, "PLANT NAME"},
                           {24, "EPA123456789"},
                           {36, "AIRS000001"},
                           {46, "STATE0000000001"},
                           {85, "IN"},
                           {87, "051"},
                           {91, "391030"},
                           {97, "0861500"}})},
        {"200",
         SO2ConcLine("1", "010315", "07", "  12.5", "  12.6", "100.0"),
         16,
         22,
         {{"SO2_PCT_MONITOR_DATA_AVAIL", 24, 5},
          {"SO2_AVG_PPM_PER_HOUR", 29, 6},
          {"SO2_AVG_PPM_PER_HOUR_ADJ", 35, 6}}},
        {"201",
         NOxConcLine("1", "010315", "07", "  45.2", "  45.0", "100.0"),
         16,
         22,
         {{"NOX_AVG_PPM_PER_HOUR", 24, 6},
          {"NOX_AVG_PPM_PER_HOUR_ADJ", 32, 6},
          {"NOX_PCT_MONITOR_DATA_AVAIL", 38, 5}}},
        {"202",
         CO2ConcLine("1", "010315", "07", "  10.5", "100.0"),
         16,
         22,
         {{"CO2_AVG_PCT_CONC_PER_HOUR", 24, 6}, {"CO2_PCT_MONITOR_DATA_AVAIL", 32, 5}}},
        {"220",
         FlowLine("1", "010315", "07", "  123456.0", "  123457.0", "100.0"),
         16,
         22,
         {{"VOL_FLOW_PCT_DATA_AVAIL", 24, 5},
          {"VOL_FLOW_AVG_STD_3FT_PER_HOUR", 29, 10},
          {"VOL_FLOW_AVG_STD_3FT_HOUR_ADJ", 39, 10}}},
        {"301", DatLineOf({{1, "301"},
                           {4, "1"},
                           {10, "010331"},
                           {16, "12.5"},
                           {26, "50.0"},
                           {36, "0.45"},
                           {49, "0.46"},
                           {62, "1000.0"},
                           {72, "4000.0"},
                           {82, "10000.0"},
                           {92, "40000.0"},
                           {114, "2000"},
                           {118, "8000"}})},
        {"310",
         SO2MassLine("1", "010315", "07", "  101.5", "  102.5", "  103.5"),
         10,
         16,
         {{"SO2_MASS_LB_HOUR", 18, 7},
          {"SO2_MASS_LB_HOUR_ADJ", 25, 7},
          {"SO2_MASS_LB_HOUR_TOTAL", 35, 7}}},
        {"320",
         NOxRateLine("1", "010315", "07", " 0.450", " 0.452", "100.0", "03"),
         13,
         19,
         {{"NOX_PCT_DATA_AVAILABLE", 21, 5},
          {"NOX_AVG_LB_PER_MMBTU", 36, 6},
          {"NOX_AVG_LB_PER_MMBTU_ADJ", 42, 6},
          {"NOX_OPERATING_LOAD_RANGE", 48, 2}}},
        {"330",
         CO2MassLine("1", "010315", "07", "    12.345", "    12.346"),
         10,
         16,
         {{"CO2_MASS_TON_HOUR", 18, 10}, {"CO2_MASS_TON_HOUR_TOTAL", 33, 10}}},
        {"504", DatLineOf({{1, "504"},
                           {4, "1"},
                           {10, "CC"},
                           {13, "1500.0"},
                           {20, "19950101"},
                           {28, "12312030"},
                           {36, "150"},
                           {40, "500"},
                           {45, "25"},
                           {49, "30"}})},
        {"505", DatLineOf({{1, "505"}, {4, "1"}, {10, "ARP"}, {22, "QA"}})},
        {"506",
         DatLineOf({{1, "506"}, {4, "1"}, {16, "B1"}, {21, "F1"}, {26, "2001"}, {37, "123456"}})},
        {"535", DatLineOf({{1, "535"}, {4, "1"}, {10, "MW"}, {12, "1234.5"}, {18, "Y"}})},
        {"536", DatLineOf({{1, "536"}, {4, "1"}, {10, "100.0"}, {16, "  50.0"}})},
        {"587",
         DatLineOf(
             {{1, "587"}, {4, "1"}, {10, "PNG"}, {13, "19950101"}, {21, "20301231"}, {29, "Y"}})},
    };
    return types;
}

QByteArray Cut(const QByteArray& line, int start, int width) {
    return line.mid(start - 1, width);
}

// What a database column holds for a piece of a line: its number, or nothing when blank.
std::optional<double> NumberOf(const QByteArray& piece) {
    const QByteArray trimmed = piece.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The test lines all carry the date 010315. Cut after its fifth digit it still names a day,
// 03/1/01; cut shorter it names none.
QString IsoDateOf(const QByteArray& dateField) {
    if (dateField == "010315")
        return QStringLiteral("2001-03-15");
    if (dateField == "01031")
        return QStringLiteral("2001-03-01");
    return {};
}

class TruncatedLineTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(DatabaseFolder.isValid());
        State.DatabasePath = DatabaseFolder.filePath(QStringLiteral("Sources.db"));
        SourcesDatabase::Create(State.DatabasePath);
        State.DatFolder = Folder.Prefix();
    }
    void TearDown() override { CloseDatabase(State); }

    const RecordType& Type() const { return RecordTypes()[std::size_t(GetParam())]; }

    // A fresh program run over one file: empty tables, no facility read yet.
    void StartCase(const QByteArray& cutLine) {
        for (const KeyedTable& table : KeyedTables)
            RunSql(State.DatabasePath, QStringLiteral("DELETE FROM ") + QLatin1String(table.Name));
        State.Reader.CurrentFacilityId = 0;
        const QByteArray fullFacility = RecordTypes()[0].FullLine;
        // The "100" line itself is cut when it is the type under test; a whole hourly
        // record after it shows which facility the cut line gave.
        if (QByteArray(Type().Code) == "100")
            Folder.WriteLines(CaseFile, {cutLine, RecordTypes()[3].FullLine});
        else
            Folder.WriteLines(CaseFile, {fullFacility, cutLine});
    }

    // A batch either completes or tells which file and line it could not take.
    void ExpectCompletedOrExplained(const BatchOutcome& outcome, const ScriptedBatchUi& ui) {
        if (outcome.Succeeded())
            return;
        const QString message = Messages(ui);
        EXPECT_TRUE(message.contains(Folder.FilePath(CaseFile))) << message;
        EXPECT_TRUE(message.contains(QLatin1String("Line 2"))) << message;
    }

    void CheckHourlyRow(const QByteArray& line, const BatchOutcome& outcome);
    void CheckFacilityRow(const QByteArray& line);
    void CheckHeaderRows(const BatchOutcome& outcome);

    // Some seven hundred cases of a few commits each: a folder in memory, where there is one,
    // keeps them from waiting on the disk.
    QTemporaryDir DatabaseFolder{QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm/tarnwick-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/tarnwick-XXXXXX")};
    ScratchDatFolder Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

void TruncatedLineTest::CheckHourlyRow(const QByteArray& line, const BatchOutcome& outcome) {
    const RecordType& type = Type();
    QStringList columns{"FACILITY_ID", "UNIT_ID", "DATA_DATE", "DATA_HOUR"};
    for (const ValueField& value : type.Values)
        columns << QLatin1String(value.Column);
    const QList<QVariantList> rows = QueryRows(
        State.DatabasePath,
        QStringLiteral("SELECT %1 FROM EMISSIONS").arg(columns.join(QLatin1String(", "))));

    const QString date = IsoDateOf(Cut(line, type.DateStart, 6));
    const std::optional<double> hour = NumberOf(Cut(line, type.HourStart, 2));
    if (date.isEmpty() || !hour) {
        // Without a whole key no row can be told apart; the record is refused or skipped.
        EXPECT_TRUE(rows.isEmpty());
        return;
    }
    EXPECT_TRUE(outcome.Succeeded());
    ASSERT_EQ(rows.size(), 1);
    const QVariantList& row = rows[0];
    EXPECT_EQ(row[0].toInt(), FacilityIdOfFile);
    EXPECT_EQ(row[1].toString(), QStringLiteral("1"));
    EXPECT_EQ(row[2].toString(), date);
    EXPECT_EQ(row[3].toDouble(), *hour);
    for (std::size_t i = 0; i < type.Values.size(); ++i) {
        const ValueField& field = type.Values[i];
        const std::optional<double> expected = NumberOf(Cut(line, field.Start, field.Width));
        const QVariant& stored = row[qsizetype(4 + i)];
        if (expected) {
            EXPECT_DOUBLE_EQ(stored.toDouble(), *expected) << field.Column;
        } else {
            EXPECT_TRUE(stored.isNull()) << field.Column << " holds " << stored.toString();
        }
    }
}

// A cut "100" line: the facility, quarter and year are what its remaining columns read.
void TruncatedLineTest::CheckFacilityRow(const QByteArray& line) {
    const bool isFacilityRecord = line.startsWith("100");
    const auto numberAt = [&](int start, int width) {
        return isFacilityRecord ? NumberOf(Cut(line, start, width)).value_or(0) : 0.0;
    };
    EXPECT_EQ(QueryValue(State.DatabasePath, QStringLiteral("SELECT FACILITY_ID FROM EMISSIONS"))
                  .toDouble(),
              numberAt(4, 6));
    const QList<QVariantList> facilities = QueryRows(
        State.DatabasePath,
        QStringLiteral("SELECT Facility_ID, Calendar_Quarter, Calendar_Year FROM FACILITIES"));
    ASSERT_EQ(facilities.size(), 1);
    EXPECT_EQ(facilities[0][0].toDouble(), numberAt(4, 6));
    EXPECT_EQ(facilities[0][1].toDouble(), numberAt(10, 1));
    EXPECT_EQ(facilities[0][2].toDouble(), numberAt(11, 4));
}

void TruncatedLineTest::CheckHeaderRows(const BatchOutcome& outcome) {
    for (const KeyedTable& table : KeyedTables) {
        if (QLatin1String(table.Name) == QLatin1String("EMISSIONS"))
            continue;
        const qint64 rows = RowCount(State.DatabasePath, table.Name);
        // A file that failed half way keeps the rows written before the failure.
        if (outcome.Succeeded()) {
            EXPECT_EQ(rows, 1) << table.Name;
        } else {
            EXPECT_LE(rows, 1) << table.Name;
        }
    }
    if (QByteArray(Type().Code) != "100" && outcome.Succeeded()) {
        EXPECT_EQ(RowCount(State.DatabasePath, "FACILITIES",
                           QStringLiteral("Facility_ID = %1").arg(FacilityIdOfFile)),
                  1);
    }
}

TEST_P(TruncatedLineTest, EveryCutOfTheLineGoesThroughBothBatches) {
    const RecordType& type = Type();
    const bool hourlyType = !type.Values.empty();
    for (qsizetype length = 0; length <= type.FullLine.size(); ++length) {
        const QByteArray line = type.FullLine.left(length);
        SCOPED_TRACE(QStringLiteral("line cut to %1 characters: \"%2\"")
                         .arg(length)
                         .arg(QString::fromLatin1(line))
                         .toStdString());
        StartCase(line);

        HookedBatchUi hourlyUi;
        const BatchOutcome hourly = ExtractHourlyData(State, hourlyUi, Listing);
        ExpectCompletedOrExplained(hourly, hourlyUi);
        if (hourlyType) {
            CheckHourlyRow(line, hourly);
        } else if (QByteArray(type.Code) != "100") {
            EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS"), 0);
        }

        HookedBatchUi quarterlyUi;
        const BatchOutcome quarterly = ExtractQuarterlyData(State, quarterlyUi, Listing);
        ExpectCompletedOrExplained(quarterly, quarterlyUi);
        CheckHeaderRows(quarterly);
        if (QByteArray(type.Code) == "100")
            CheckFacilityRow(line);
        EXPECT_EQ(MistypedValues(State.DatabasePath), 0);
        if (HasFatalFailure() || HasNonfatalFailure())
            break; // one failing length tells the story; the rest would repeat it
    }
    EXPECT_EQ(SqliteIntegrity(State.DatabasePath), QStringLiteral("ok"));
}

std::string RecordTypeName(const testing::TestParamInfo<int>& info) {
    return std::string("Type") + RecordTypes()[std::size_t(info.param)].Code;
}

INSTANTIATE_TEST_SUITE_P(AllRecordTypes, TruncatedLineTest,
                         testing::Range(0, int(RecordTypes().size())), RecordTypeName);

} // namespace
} // namespace tarnwick::test
