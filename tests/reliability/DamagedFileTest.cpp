#include "tests/reliability/FaultHarness.h"
#include "tests/support/QuarterlyTestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <set>

// Files damaged in ways no database or format check would foresee.
namespace tarnwick::test {
namespace {

// One full line of each record type: the hourly ones, then those of QuarterlyTestFiles.h.
QByteArrayList RecordLines() {
    QByteArrayList lines = EachHourlyType();
    std::set<QByteArray> codes{"200", "201", "202", "220", "310", "320", "330"};
    for (const QByteArray& line : AllRecordTypes()) {
        if (codes.insert(line.left(3)).second)
            lines << line;
    }
    return lines;
}

// Every record type, its line cut at every length, read by both batches: a cut line is read as
// the same line padded with blanks, so nothing is lost or made up at the cut; nothing crashes,
// and a failure names the file and the line.
class TruncatedLineTest : public testing::Test {
protected:
    void SetUp() override {
        Run.State.DatabasePath = DatabaseFolder.filePath(QStringLiteral("Sources.db"));
        SourcesDatabase::Create(Run.State.DatabasePath);
    }

    // Whether both batches complete, and what they write, over a file of `lines` in an emptied
    // database, as a fresh program run would.
    QString Load(const QByteArrayList& lines) {
        for (const KeyedTable& table : KeyedTables)
            RunSql(Run.State.DatabasePath, QStringLiteral("DELETE FROM ") + table.Name);
        Run.State.Reader.CurrentFacilityId = 0;
        Run.Write(QStringLiteral("case.DAT"), lines);
        QStringList seen;
        for (const Extraction extract : {ExtractHourlyData, ExtractQuarterlyData}) {
            ScriptedBatchUi ui;
            const bool completed = Run.Extract(extract, ui).Succeeded();
            if (!completed) {
                EXPECT_TRUE(ui.Messages().contains(Run.Path("case.DAT")) &&
                            ui.Messages().contains(u"Line 2"))
                    << ui.Messages();
            }
            seen << (completed ? "completed" : "failed");
        }
        for (const auto& [table, key] : KeyedTables)
            seen << RowTexts(
                QueryRows(Run.State.DatabasePath,
                          QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(table, key)));
        EXPECT_EQ(MistypedValues(Run.State.DatabasePath), 0);
        // A text field kept as it stands holds the blanks of the padded line, none of the cut one.
        return seen.join(u'\n').remove(u' ');
    }

    // Some fifteen hundred loads of a few commits each: a folder in memory, where there is one,
    // keeps them from waiting on the disk.
    QTemporaryDir DatabaseFolder{QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm/tarnwick-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/tarnwick-XXXXXX")};
    DatRun Run;
};

TEST_F(TruncatedLineTest, LineCutAtAnyLengthIsReadAsThatLinePaddedWithBlanks) {
    const QByteArrayList records = RecordLines();
    for (const QByteArray& full : records) {
        // A "100" line is followed by a whole hourly record, to show which facility it gave.
        const bool facility = full.startsWith("100");
        const auto file = [&](const QByteArray& line) {
            return facility ? QByteArrayList{line, records[1]}
                            : QByteArrayList{QuarterlyLines(4321)[0], line};
        };
        for (qsizetype length = 0; length <= full.size(); ++length) {
            const QByteArray cut = full.left(length);
            SCOPED_TRACE("line cut to " + cut.toStdString());
            // The reader takes no part of a location line shorter than 51 characters.
            const bool ignored = full.startsWith("102") && length < 51;
            EXPECT_EQ(Load(file(cut)), Load(file((ignored ? "" : cut).leftJustified(full.size()))));
            // An hourly line cut after its date and hour, 010315 and 07, has its row.
            if (const qsizetype key = full.indexOf("01031507"); key > 0 && length >= key + 8) {
                EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(4321)), 1);
            }
            if (HasFailure())
                break; // one failing length tells the story; the rest would repeat it
        }
    }
    EXPECT_EQ(QueryValue(Run.State.DatabasePath, "PRAGMA integrity_check").toString(), "ok");
}

class BinaryFileTest : public testing::Test {
protected:
    void SetUp() override { Run.State.DatabasePath = ScratchSqliteDatabase(); }
    DatRun Run;
};

// Random bytes, NUL included.
QByteArray RandomBytes(std::mt19937& random, int size) {
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(byte(random));
    return bytes;
}

// Random lines that begin with a real record code, the hourly ones with a well-formed key at
// their date (YYMMDD) and hour columns, 0-based, so that random values reach the database.
QByteArray RecordShapedNoise(std::mt19937& random, int lineCount) {
    static const std::tuple<const char*, int, int> codes[] = {
        {"200", 15, 21}, {"201", 15, 21}, {"202", 15, 21}, {"220", 15, 21},
        {"310", 9, 15},  {"320", 12, 18}, {"330", 9, 15},  {"100", 0, 0},
        {"102", 0, 0},   {"301", 0, 0},   {"504", 0, 0},   {"505", 0, 0},
        {"506", 0, 0},   {"535", 0, 0},   {"536", 0, 0},   {"587", 0, 0}};
    std::uniform_int_distribution<int> pick(0, 15);
    std::uniform_int_distribution<int> length(30, 130);
    std::uniform_int_distribution<int> hour(0, 23);
    QByteArray noise;
    for (int i = 0; i < lineCount; ++i) {
        const auto& [code, date, hourColumn] = codes[pick(random)];
        QByteArray line = code + RandomBytes(random, length(random));
        line.replace('\r', ' ').replace('\n', ' ');
        if (date > 0) {
            line.replace(date, 6, "010315");
            line.replace(hourColumn, 2, QByteArray::number(hour(random)).rightJustified(2, '0'));
        }
        noise += line + "\r\n";
    }
    return noise;
}

TEST_F(BinaryFileTest, BinaryFilesEndTheirBatchWithTheLineAndOnlyWellTypedRowsLand) {
    Run.Write("a.DAT", HourlyLines(1, 2) + QuarterlyLines(1));
    std::mt19937 random(20010315);
    for (const QByteArray& noise :
         {RandomBytes(random, 1 << 20), RecordShapedNoise(random, 3000)}) {
        WriteBytes(Run.Path("b.DAT"), noise);
        for (const Extraction extract : {ExtractHourlyData, ExtractQuarterlyData}) {
            ScriptedBatchUi ui;
            if (!Run.Extract(extract, ui).Succeeded()) {
                EXPECT_TRUE(ui.Messages().contains(Run.Path("b.DAT") + ": Line ") ||
                            ui.Messages().contains(Run.Path("b.DAT") + " (file 2 of 2).\nLine "))
                    << ui.Messages();
            }
            EXPECT_EQ(ui.Shown.size(), 1);
        }
        EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(1) + " AND UNIT_ID = '1'"), 2);
        ExpectSqliteSound(Run.State.DatabasePath);
    }
    ASSERT_TRUE(QFile::remove(Run.Path("b.DAT")));
    Run.ExpectBothComplete();
    EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(1) + " AND UNIT_ID = '1'"), 2);
}

TEST_F(BinaryFileTest, FiftyMegabytesWithoutALineEndAreReadInBoundedTime) {
    // One record at the start, then 50 MB of printable junk on the same line.
    QByteArray content = NOxConcLine("7", "010315", "07", "  45.2", "  45.0", "100.0");
    std::mt19937 random(50);
    std::uniform_int_distribution<int> printable(0x20, 0x7e);
    const qsizetype start = content.size();
    content.resize(start + 50 * 1024 * 1024);
    for (qsizetype i = start; i < content.size(); ++i)
        content[i] = char(printable(random));
    WriteBytes(Run.Path("long.DAT"), content);
    content.clear();
    QElapsedTimer clock;
    clock.start();

    Run.ExpectBothComplete();

    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(RowTexts(QueryRows(Run.State.DatabasePath,
                                 "SELECT UNIT_ID, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
                                 "NOX_PCT_MONITOR_DATA_AVAIL FROM EMISSIONS")),
              QStringList({"7|7|45.2|100"}));
    EXPECT_EQ(Run.Rows("FACILITIES"), 1);
    ExpectSqliteSound(Run.State.DatabasePath);
}

} // namespace
} // namespace tarnwick::test
