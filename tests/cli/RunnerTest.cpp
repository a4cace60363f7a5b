#include "tests/support/BatchDatFiles.h"
#include "tests/support/TestDatabases.h"
#include "tests/support/ViewCorpus.h"
#include "tests/support/ZipFiles.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::test {
namespace {

ProgramRun RunBatch(const QStringList& arguments, const QStringList& environment = {}) {
    return RunProgram(QStringList{QStringLiteral(TARNWICK_BATCH_PATH)} + arguments, environment);
}

// The runner started by `script` ("exec \"$@\" > /dev/full"), with SIGXFSZ ignored so that a
// file-size limit fails a write as a full disk does.
ProgramRun RunBatchIn(const QString& script, const QStringList& arguments) {
    return RunProgram(
        QStringList{"sh", "-c", "trap '' XFSZ; " + script, "sh", TARNWICK_BATCH_PATH} + arguments);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

class RunnerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Work.isValid());
        Database = Work.filePath(QStringLiteral("Sources.db"));
        ASSERT_TRUE(QDir(Work.path()).mkdir(QStringLiteral("dat")));
        DatFolder = Work.filePath(QStringLiteral("dat")) + QLatin1Char('/');
    }

    void InitDatabase() {
        const ProgramRun init = RunBatch({"init", Database});
        ASSERT_EQ(init.ExitCode, 0) << init.Err.toStdString();
    }

    void WriteFile(const QString& name, const QByteArrayList& lines) {
        WriteLines(DatFolder + name, lines);
    }

    qint64 Rows(const QString& sql) const { return QueryValue(Database, sql).toLongLong(); }

    QTemporaryDir Work;
    QString Database;
    QString DatFolder;
};

TEST_F(RunnerTest, InitThenHourlyLoadsEveryFileAndReportsOnStandardOutput) {
    InitDatabase();
    WriteFile(QStringLiteral("a.DAT"), HourlyLines(1, 2));
    WriteFile(QStringLiteral("b.dat"), HourlyLines(2, 1));

    const ProgramRun run = RunBatch({"hourly", Database, DatFolder});

    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out,
              QStringLiteral(
                  "Hourly emissions data has been successufully extracted from 2 .DAT files\n"));
    // Not a terminal: one plain progress line per file.
    EXPECT_EQ(run.Err, QStringLiteral("Processing .DAT file 1 of 2: a.DAT\n"
                                      "Processing .DAT file 2 of 2: b.dat\n"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 1")), 2);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 2")), 1);
}

TEST_F(RunnerTest, RecursiveThenChangedOnlyOverZipsAndTheLoadsTheyLeft) {
    InitDatabase();
    ASSERT_TRUE(QDir(DatFolder).mkpath(QStringLiteral("2000/q1")));
    WriteZip(DatFolder + "2000/q1/a.zip", {{"a.DAT", HourlyLines(1, 2).join("\r\n")}});
    WriteFile(QStringLiteral("b.DAT"), HourlyLines(2, 1));

    const ProgramRun first = RunBatch({"hourly", Database, DatFolder, "--recursive"});
    EXPECT_EQ(first.ExitCode, 0) << first.Err.toStdString();
    EXPECT_EQ(first.Err, QStringLiteral("Processing .DAT file 1 of 2: b.DAT\n"
                                        "Processing .DAT file 2 of 2: 2000/q1/a.zip:a.DAT\n"));
    const ProgramRun again =
        RunBatch({"hourly", Database, DatFolder, "--changed-only", "--recursive"});
    EXPECT_EQ(again.ExitCode, 0) << again.Err.toStdString();
    EXPECT_EQ(again.Out, QStringLiteral("Hourly emissions data has been successufully extracted "
                                        "from 0 .DAT files\n\n2 .DAT files were skipped: they "
                                        "were loaded before and have not changed.\n"));
    EXPECT_TRUE(
        again.Err.endsWith(QStringLiteral("Skipped .DAT file 2 of 2, loaded before and unchanged: "
                                          "2000/q1/a.zip:a.DAT\n")))
        << again.Err.toStdString();

    const ProgramRun loads = RunBatch({"loads", Database});
    EXPECT_EQ(loads.ExitCode, 0);
    const QStringList lines = loads.Out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << loads.Out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("LOADED (UTC)          BATCH   FACILITY  "
                                                   "BYTES  EMISSIONS  FACILITIES")))
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-.*Z  hourly  +1  +97  +2  +0  +0  "
                                                  "+0  +0  [0-9a-f]{64}  "))
                    .match(lines[2])
                    .hasMatch())
        << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(DatFolder + "2000/q1/a.zip:a.DAT"));
}

TEST_F(RunnerTest, CountsPrintsTheFiveTablesWithTheWindowsCaptions) {
    InitDatabase();
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(1) + HourlyLines(1, 3));
    ASSERT_EQ(RunBatch({"quarterly", Database, DatFolder}).ExitCode, 0);
    ASSERT_EQ(RunBatch({"hourly", Database, DatFolder}).ExitCode, 0);

    const ProgramRun counts = RunBatch({"counts", Database});

    EXPECT_EQ(counts.ExitCode, 0) << counts.Err.toStdString();
    EXPECT_EQ(counts.Out, QStringLiteral("Facilities records: 1\n"
                                         "Unit records: 1\n"
                                         "Fuel records: 1\n"
                                         "Quarterly Records: 1\n"
                                         "Hourly Records: 3\n"));
    EXPECT_EQ(counts.Err, QString());
}

TEST_F(RunnerTest, DatabaseThatCannotBeOpenedOrCreatedFailsNamingIt) {
    WriteFile(QStringLiteral("a.DAT"), HourlyLines(1, 1));
    const QString missing = Work.filePath(QStringLiteral("no such folder/Sources.db"));

    for (const QStringList& arguments :
         {QStringList{"hourly", missing, DatFolder}, QStringList{"quarterly", missing, DatFolder},
          QStringList{"counts", missing}}) {
        const ProgramRun run = RunBatch(arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments.first().toStdString();
        EXPECT_TRUE(run.Err.contains(missing)) << run.Err.toStdString();
        EXPECT_EQ(run.Out, QString());
    }
    InitDatabase();
    const ProgramRun again = RunBatch({"init", Database});
    EXPECT_EQ(again.ExitCode, 1) << "an existing Sources database is refused";
    EXPECT_TRUE(again.Err.contains(Database)) << again.Err.toStdString();
}

TEST_F(RunnerTest, QuarterlyWithAFailingFileWarnsAndFails) {
    InitDatabase();
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(1));
    WriteFile(QStringLiteral("b.DAT"), UnreadableQuarterlyLines(2));
    WriteFile(QStringLiteral("c.DAT"), QuarterlyLines(3));

    const ProgramRun run = RunBatch({"quarterly", Database, DatFolder});

    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, QString());
    EXPECT_TRUE(run.Err.contains(
        QStringLiteral("Header information has been successufully extracted from 2 .DAT files")))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(DatFolder + QStringLiteral("b.DAT: Line 1")))
        << run.Err.toStdString();
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM FACILITIES")), 2);
}

// A runner started with `arguments`, sent `interrupts` SIGINTs once it names `atFile` on standard
// error.
class StoppedRunner {
public:
    StoppedRunner(const QStringList& arguments, const QString& atFile, int interrupts) {
        Process.setReadChannel(QProcess::StandardError);
        Process.start(QStringLiteral(TARNWICK_BATCH_PATH), arguments);
        while (!Err.contains(atFile) && Process.waitForReadyRead(60000))
            Err += QString::fromUtf8(Process.readAllStandardError());
        // One at a time: signals sent together may arrive as one.
        for (int i = 0; i < interrupts; ++i) {
            // A runner that has ended has no process id: kill(0) would stop this test's group.
            const qint64 runner = Process.processId();
            if (runner <= 0 || Process.state() != QProcess::Running) {
                ADD_FAILURE() << "the runner ended before it was stopped";
                break;
            }
            ::kill(pid_t(runner), SIGINT);
            while (i + 1 < interrupts && !Err.contains(u"Ctrl+C again") &&
                   Process.waitForReadyRead(60000))
                Err += QString::fromUtf8(Process.readAllStandardError());
        }
        EXPECT_TRUE(Process.waitForFinished(120000));
        Err += QString::fromUtf8(Process.readAllStandardError());
        Out = QString::fromUtf8(Process.readAllStandardOutput());
    }
    QProcess Process;
    QString Out;
    QString Err;
};

QByteArrayList HoursOfOneUnit(int facility, int hours) {
    QByteArrayList lines{FacilityLine(FacilityId(facility))};
    for (int hour = 0; hour < hours; ++hour)
        lines << SO2ConcLine(
            "1", QDate(2001, 1, 1).addDays(hour / 24).toString("yyMMdd").toLatin1(),
            QByteArray::number(hour % 24).rightJustified(2, '0'), "  12.5", "  12.6", "100.0");
    return lines;
}

TEST_F(RunnerTest, FirstInterruptStopsAfterAFileWithTheFilesExtracted) {
    constexpr int Files = 30;
    constexpr int Hours = 2400;
    InitDatabase();
    for (int file = 1; file <= Files; ++file)
        WriteFile(QStringLiteral("f%1.DAT").arg(file, 2, 10, QLatin1Char('0')),
                  HoursOfOneUnit(file, Hours));

    const StoppedRunner run({"hourly", Database, DatFolder}, "file 2 of", 1);

    EXPECT_EQ(run.Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.Process.exitCode(), 130);
    const qint64 rows = Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS"));
    EXPECT_EQ(rows % Hours, 0) << "every committed file is complete";
    EXPECT_GE(rows, Hours);
    EXPECT_LT(rows, Files * Hours);
    EXPECT_EQ(Rows(QStringLiteral("SELECT SUM(EMISSIONS_ADDED) FROM LOADS")), rows);
    EXPECT_TRUE(run.Out.contains(
        QStringLiteral("successufully extracted from %1 .DAT files").arg(rows / Hours)))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("stopped as asked"))) << run.Out.toStdString();
    EXPECT_FALSE(run.Err.contains(QChar(0))) << "the notice is written without its terminator";
}

TEST_F(RunnerTest, SecondInterruptStopsAtOnceLeavingNoHalfFile) {
    InitDatabase();
    WriteFile(QStringLiteral("big.DAT"), HoursOfOneUnit(1, 24 * 3000));

    const StoppedRunner run({"hourly", Database, DatFolder}, "file 1 of 1", 2);

    EXPECT_EQ(run.Process.exitStatus(), QProcess::CrashExit) << run.Err.toStdString();
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS")), 0);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM LOADS")), 0);
    EXPECT_EQ(QueryValue(Database, "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
}

TEST_F(RunnerTest, QtsOwnMessagesAreShownOnlyWithVerbose) {
    InitDatabase();
    for (const bool verbose : {false, true}) {
        QStringList arguments{"counts", Database};
        if (verbose)
            arguments << "--verbose";
        // Qt's plugin loader then describes each SQL driver it looks at, on every run.
        const ProgramRun run = RunBatch(arguments, {"QT_DEBUG_PLUGINS=1"});
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Err.contains(QLatin1String("QSql")), verbose) << run.Err.toStdString();
    }
}

TEST(RunnerUsageTest, HelpDescribesEveryCommandAndTheExitStatuses) {
    const ProgramRun help = RunBatch({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    for (const char* word :
         {"hourly DB FOLDER", "quarterly DB FOLDER", "init DB", "counts DB", "loads DB",
          "--recursive", "--changed-only", "export DB TABLE", "chart DB", "summary DB",
          "postgresql://", "Exit status", "ending in '/'"})
        EXPECT_TRUE(help.Out.contains(QLatin1String(word))) << word;

    const ProgramRun version = RunBatch({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out.trimmed(), QStringLiteral("tarnwick-batch 1.1.0"));
}

TEST(RunnerUsageTest, UsageErrorsExitWithTwo) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"extract", "x.db"}, QStringList{"hourly", "x.db"},
          QStringList{"counts", "x.db", "extra"}, QStringList{"--no-such-option"}}) {
        const ProgramRun run = RunBatch(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Err.contains(QStringLiteral("--help"))) << run.Err.toStdString();
    }
}

TEST(RunnerPostgresTest, HourlyThroughAConnectionFile) {
    TARNWICK_REQUIRE_POSTGRES();
    const QString uri = ScratchPostgresDatabase();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString connectionFile = work.filePath(QStringLiteral("sources.conn"));
    {
        QFile file(connectionFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\n" + uri.toUtf8() + "\n");
    }
    WriteLines(work.filePath(QStringLiteral("a.DAT")), HourlyLines(5, 2));

    const ProgramRun run = RunBatch({"hourly", connectionFile, work.path() + QLatin1Char('/')});
    const ProgramRun counts = RunBatch({"counts", uri});
    DropPostgresDatabase(uri);

    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(counts.Out.endsWith(QStringLiteral("Hourly Records: 2\n")))
        << counts.Out.toStdString();
}

class ViewRunnerTest : public RunnerTest {
protected:
    void SetUp() override {
        RunnerTest::SetUp();
        InitDatabase();
        FillViewCorpus(Database);
    }
};

TEST_F(ViewRunnerTest, RefusesWhatItCannotAnswerWithAClearMessage) {
    const QString png = Work.filePath(QStringLiteral("c.png"));
    const QStringList chart{"chart", Database, "--facility", "1", "--measure"};
    const struct {
        QStringList Arguments;
        int Exit;
        const char* Message;
    } cases[] = {
        {{"export", Database, "NOPE"}, 2, "There is no table \"NOPE\""},
        {{"export", Database, "FACILITIES", "--unit", "1"}, 2, "FACILITIES has no unit column"},
        {{"export", Database, "UNITS", "--from", "2001-01-01"}, 2, "UNITS has no date column"},
        {{"export", Database, "EMISSIONS", "--to", "2001-02-29"}, 2, "2001-02-29 is not a day"},
        {{"export", Database, "EMISSIONS", "--facility", "x1"}, 2, "not a facility number"},
        {{"export", Database, "EMISSIONS", "--facility", "9"}, 1, "no rows of facility 9"},
        {{"export", Database, "EMISSIONS", "--facility", "1", "--unit", "Z"}, 1, "unit \"Z\""},
        {chart + QStringList{"SO2", "--unit", "1", "--out", png}, 2, "no value column \"SO2\""},
        {chart + QStringList{"SO2_MASS_LB_HOUR", "--unit", "1"}, 2, "'chart' needs --out"},
        {chart + QStringList{"SO2_MASS_LB_HOUR", "--unit", "Z", "--out", png}, 1, "unit \"Z\""},
        {{"summary", Database, "--facility", "1"}, 2, "'summary' takes no --facility"},
        {{"summary", Work.filePath(QStringLiteral("none.db"))}, 1, "none.db"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunBatch(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.Exit) << c.Arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Message))) << run.Err.toStdString();
        EXPECT_EQ(run.Out, QString());
    }
    EXPECT_FALSE(QFile::exists(png));
}

TEST_F(ViewRunnerTest, ExportChartAndSummaryWriteTheirOutput) {
    const QString csv = Work.filePath(QStringLiteral("f.csv"));
    ASSERT_EQ(RunBatch({"export", Database, "FACILITIES", "--out", csv}).ExitCode, 0);
    const ProgramRun toOut = RunBatch({"export", Database, "facilities"});
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(toOut.Out, QString::fromUtf8(file.readAll()));
    EXPECT_TRUE(toOut.Out.contains(Utf8Plant));

    const QString png = Work.filePath(QStringLiteral("c.png"));
    const ProgramRun chart = RunBatch({"chart", Database, "--facility", "1", "--unit", "1",
                                       "--measure", "so2_mass_lb_hour", "--out", png});
    EXPECT_EQ(chart.ExitCode, 0) << chart.Err.toStdString();
    QFile picture(png);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.read(4), QByteArray("\x89PNG"));

    const ProgramRun summary = RunBatch({"summary", Database});
    EXPECT_EQ(summary.ExitCode, 0);
    const QStringList lines = summary.Out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << summary.Out.toStdString(); // header, 6 units, the mark's note
    // The line end in the plant name is a blank here; the gap count carries the mark.
    const QRegularExpression markedRow(QStringLiteral(
        R"(^ +1  PE\x{d1}A, "EL"  NORTE +IN +1 +2001-03-31 22:00 +2001-04-01 06:00 +7 +2\* +150 +yes +no +yes$)"));
    EXPECT_TRUE(markedRow.match(lines.at(1)).hasMatch()) << lines.at(1).toStdString();
}

TEST_F(ViewRunnerTest, AnOutputThatCannotBeWrittenFailsWithTheSystemsReason) {
    const QString png = Work.filePath(QStringLiteral("c.png"));
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(7) + HourlyLines(7, 1));
    for (const QStringList& arguments :
         {QStringList{"export", Database, "FACILITIES"}, QStringList{"summary", Database},
          QStringList{"counts", Database},
          QStringList{"chart", Database, "--facility", "1", "--unit", "1", "--measure",
                      "SO2_MASS_LB_HOUR", "--out", png},
          QStringList{"init", Work.filePath(QStringLiteral("new.db"))},
          QStringList{"quarterly", Database, DatFolder},
          QStringList{"hourly", Database, DatFolder}}) {
        const ProgramRun run = RunBatchIn(R"(exec "$@" > /dev/full)", arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments.first().toStdString();
        EXPECT_TRUE(run.Err.endsWith("Cannot write standard output: No space left on device\n"))
            << run.Err.toStdString();
    }

    // A CSV written whole at the end, and one that fails while rows are still being read.
    RunSql(Database,
           "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
           "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR) "
           "SELECT 5, 'u' || i, '2001-01-01', 0 FROM n");
    const QString csv = Work.filePath(QStringLiteral("out/e.csv"));
    ASSERT_TRUE(QDir(Work.path()).mkdir(QStringLiteral("out")));
    for (const char* table : {"FACILITIES", "EMISSIONS"})
        for (const bool oldFile : {true, false}) {
            QFile::remove(csv);
            if (oldFile)
                WriteLines(csv, {"old"});
            const QByteArray before = Contents(csv);
            const ProgramRun run = RunBatchIn(R"(exec prlimit --fsize=100 "$@")",
                                              {"export", Database, table, "--out", csv});
            EXPECT_EQ(run.ExitCode, 1) << table;
            EXPECT_EQ(run.Err, "Cannot write " + csv + ": File too large\n");
            EXPECT_EQ(Contents(csv), before);
            EXPECT_EQ(QDir(Work.filePath("out")).entryList(QDir::Files).size(), oldFile ? 1 : 0);
        }
}

TEST_F(ViewRunnerTest, OutWritesAPipeInPlaceAndNeverTheDatabase) {
    const QString fifo = Work.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Open for reading and writing, so that the runner's open neither waits nor meets no reader.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const ProgramRun run = RunBatch({"export", Database, "FACILITIES", "--out", fifo});
    QByteArray piped(65536, '\0');
    piped.resize(std::max<ssize_t>(0, ::read(reader, piped.data(), piped.size())));
    ::close(reader);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(piped), RunBatch({"export", Database, "FACILITIES"}).Out);
    struct stat status {};
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &status) == 0 &&
                S_ISFIFO(status.st_mode));

    const QString link = Work.filePath(QStringLiteral("link.db"));
    const QString hardLink = Work.filePath(QStringLiteral("hard.db"));
    ASSERT_TRUE(QFile::link(Database, link));
    ASSERT_EQ(
        ::link(QFile::encodeName(Database).constData(), QFile::encodeName(hardLink).constData()),
        0);
    const QByteArray database = Contents(Database);
    for (const QString& out : {Database, link, hardLink, Database + "-journal", Database + "-wal"})
        for (const QStringList& command : {QStringList{"export", Database, "FACILITIES"},
                                           QStringList{"chart", link, "--facility", "1", "--unit",
                                                       "1", "--measure", "SO2_MASS_LB_HOUR"}}) {
            const ProgramRun refused = RunBatch(command + QStringList{"--out", out});
            EXPECT_EQ(refused.ExitCode, 2) << out.toStdString();
            EXPECT_TRUE(refused.Err.contains("would overwrite the database"))
                << refused.Err.toStdString();
        }
    EXPECT_EQ(Contents(Database), database);
    EXPECT_FALSE(QFile::exists(Database + "-journal") || QFile::exists(Database + "-wal"));
}

// Both engines answer alike, the range checks coming before the database is read.
TEST(RunnerPostgresTest, OutOfRangeRequestsAndUndrawableValuesFailAlikeOnBothEngines) {
    TARNWICK_REQUIRE_POSTGRES();
    const QString databases[] = {ScratchSqliteDatabase(), ScratchPostgresDatabase()};
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString png = work.filePath(QStringLiteral("c.png"));
    const QStringList chart{"--unit", "1", "--measure", "SO2_MASS_LB_HOUR", "--out", png};
    const struct {
        QStringList Arguments;
        const char* Message;
    } usageErrors[] = {
        {{"export", "EMISSIONS", "--from", "-0001-01-01"}, "outside the years 1 to 9999"},
        {QStringList{"chart", "--facility", "1", "--to", "-0001-12-31"} + chart,
         "outside the years"},
        {{"export", "QUARTERS", "--facility", "3000000000"}, "from -2147483648 to 2147483647"},
        {QStringList{"chart", "--facility", "-2147483649"} + chart, "from -2147483648 to"},
    };
    for (const auto& c : usageErrors) {
        QStringList arguments = c.Arguments;
        arguments.insert(1, databases[0]);
        const ProgramRun sqlite = RunBatch(arguments);
        arguments[1] = databases[1];
        const ProgramRun postgres = RunBatch(arguments);
        EXPECT_EQ(sqlite.ExitCode, 2) << c.Message;
        EXPECT_TRUE(sqlite.Err.contains(QLatin1String(c.Message))) << sqlite.Err.toStdString();
        EXPECT_EQ(postgres.ExitCode, 2) << c.Message;
        EXPECT_EQ(postgres.Err, sqlite.Err);
    }
    // Values whose axis would overflow, and values that are not finite: a unit each.
    const QStringList oddValues[] = {{"-1e308", "1e308", "9e999"},
                                     {"-1e308", "1e308", "'Infinity'", "'NaN'"}};
    for (int engine = 0; engine < 2; ++engine) {
        QStringList rows;
        for (int unit = 0; unit < oddValues[engine].size(); ++unit)
            rows << QStringLiteral("(1, '%1', '2001-01-01', 0, %2)")
                        .arg(unit)
                        .arg(oddValues[engine].at(unit));
        RunSql(databases[engine], "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, "
                                  "DATA_HOUR, SO2_MASS_LB_HOUR) VALUES " +
                                      rows.join(", "));
        for (int unit = 0; unit < rows.size(); ++unit) {
            const ProgramRun run =
                RunBatch({"chart", databases[engine], "--facility", "1", "--unit",
                          QString::number(unit), "--measure", "SO2_MASS_LB_HOUR", "--out", png});
            EXPECT_EQ(run.ExitCode, 1) << rows.at(unit).toStdString();
            EXPECT_TRUE(run.Err.startsWith("The chart cannot draw the value "))
                << run.Err.toStdString();
            EXPECT_FALSE(QFile::exists(png));
        }
    }
    DropPostgresDatabase(databases[1]);
}

} // namespace
} // namespace tarnwick::test
