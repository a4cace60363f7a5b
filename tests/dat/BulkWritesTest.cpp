// The EMISSIONS rows that hourly files leave in a real database, read back past the database
// layer. The bulk path, and the bulk path with each file read and folded ahead, against the
// statement path: the same files written every way into fresh databases must leave the same rows,
// fail at the same line with the same message, and keep the same rows when they fail.

#include "dat/HourlyReader.h"
#include "db/FoldingDatabase.h"
#include "db/DatabaseLocation.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/RecordingDatabase.h"
#include "tests/support/TestDatabases.h"

#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

using Rows = QList<QVariantList>;

// What one way of writing left behind.
struct Outcome {
    QString Path;
    Rows Emissions;
    QStringList Failures; // "line: message" of each file that failed
    int FoldedAhead = 0;  // files whose rows were folded ahead of their turn
};

enum class Way { Statements, Bulk, ReadAhead };

QByteArray Pick(std::mt19937& random, std::initializer_list<const char*> choices) {
    std::uniform_int_distribution<std::size_t> index(0, choices.size() - 1);
    return QByteArray(choices.begin()[index(random)]);
}

// An hourly line of any of the seven types over a few keys, so that keys repeat within and
// across files, with values that are numbers, blank or no number at all.
QByteArray RandomHourlyLine(std::mt19937& random) {
    const QByteArray unit = Pick(random, {"1", "2", " CS0"});
    const QByteArray date = Pick(random, {"010315", "010316"});
    const QByteArray hour = Pick(random, {"00", "07", "23"});
    const auto value = [&] {
        return Pick(random, {"  12.5", "100.0", "", "    ", "ab", "-0.5", "7"});
    };
    const QByteArray lines[] = {
        SO2ConcLine(unit, date, hour, value(), value(), value()),
        NOxConcLine(unit, date, hour, value(), value(), value()),
        CO2ConcLine(unit, date, hour, value(), value()),
        FlowLine(unit, date, hour, value(), value(), value()),
        SO2MassLine(unit, date, hour, value(), value(), value()),
        NOxRateLine(unit, date, hour, value(), value(), value(), Pick(random, {"03", "", "x"})),
        CO2MassLine(unit, date, hour, value(), value())};
    return lines[std::uniform_int_distribution<int>(0, 6)(random)];
}

// Files whose "100" line stands anywhere, also last; two facilities share the keys.
std::vector<std::vector<QByteArray>> RandomCorpus(unsigned seed, int files, int lines) {
    std::mt19937 random(seed);
    std::vector<std::vector<QByteArray>> corpus;
    for (int file = 0; file < files; ++file) {
        std::vector<QByteArray> content;
        for (int line = 0; line < lines; ++line)
            content.push_back(RandomHourlyLine(random));
        const auto at = std::uniform_int_distribution<std::size_t>(0, content.size())(random);
        content.insert(content.begin() + qsizetype(at),
                       FacilityLine(Pick(random, {"000001", "2"})));
        corpus.push_back(content);
    }
    return corpus;
}

const QByteArray Facility = FacilityLine("003456");
const char* const SevenTypesRow = "0|1|2001-03-15|7|100|12.5|12.6|45.2|45.3|99.5|11.2|98|100|"
                                  "1234567|1234600|101.5|101.6|203.1|97|0.45|0.452|3|12.34|24.68";

const struct {
    std::vector<std::vector<QByteArray>> Files; // read one after the other
    const char* Columns;
    QStringList Rows;
} KnownFiles[] = {
    // All seven types of an hour meet in one row.
    {{AllSevenHourlyTypes("07")}, "*", {SevenTypesRow}},
    // Repeated records of an hour keep the first "200" and the last "201".
    {{{Facility, SO2ConcLine("1", "010315", "07", "  10.0", "  10.1", "100.0"),
       NOxConcLine("1", "010315", "07", "  40.0", "  40.1", "100.0"),
       SO2ConcLine("1", "010315", "07", "  20.0", "  20.1", " 50.0"),
       NOxConcLine("1", "010315", "07", "  50.0", "  50.1", " 60.0")}},
     "SO2_AVG_PPM_PER_HOUR, SO2_AVG_PPM_PER_HOUR_ADJ, SO2_PCT_MONITOR_DATA_AVAIL, "
     "NOX_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL",
     {"10|10.1|100|50|50.1|60"}},
    // The last facility line counts for its file and carries to the next.
    {{{SO2ConcLine("1", "010315", "07", "1", "1", "1"), CO2MassLine("1", "010315", "07", "1", "1"),
       FacilityLine("001111"), Facility},
      {SO2MassLine("2", "010316", "01", "5", "5", "5")}},
     "FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR",
     {"3456|1|2001-03-15|7", "3456|2|2001-03-16|1"}},
};

class BulkWrites : public BothEngines {
protected:
    // Writes the corpus `runs` times, file by file, in one way into a fresh database;
    // `prepare` may change the database first, `progress` break it mid-file.
    Outcome Write(Way way, const std::vector<std::vector<QByteArray>>& corpus, int runs,
                  const std::function<void(const QString&)>& prepare = {},
                  RecordProgress* progress = nullptr) {
        const QString path = FreshDatabase();
        if (prepare)
            prepare(path);
        Outcome outcome{path, {}, {}, 0};
        {
            std::unique_ptr<SourcesDatabase> database = SourcesDatabase::Open(path);
            ReaderState state;
            RecordingProgress quiet;
            RecordProgress& shown = progress ? *progress : quiet;
            // As the batch does before each file: the folder knows the tables counted.
            const auto count = [&] {
                database->ReadField("SELECT Count(*) AS n FROM EMISSIONS", "n");
            };
            for (int run = 0; run < runs; ++run) {
                for (std::size_t i = 0; i < corpus.size(); ++i) {
                    const QString file =
                        WriteDatFile(Folder, QStringLiteral("f%1.DAT").arg(i), corpus[i]);
                    try {
                        if (way == Way::ReadAhead) {
                            count();
                            HourlyFileAhead ahead = ReadHourlyFileAhead(
                                file, state.CurrentFacilityId, database->NewFolder(), {});
                            outcome.FoldedAhead += ahead.Folded != nullptr;
                            ExtractHourlyFile(ahead, state, *database, shown);
                        } else {
                            ExtractHourlyFile(file, state, *database, shown,
                                              way == Way::Bulk ? GroupMode::Bulk
                                                               : GroupMode::Statements);
                        }
                        // The record lists hold the records of this file only.
                        EXPECT_EQ(state.Lists.SO2MassRecords.size(),
                                  std::size_t(std::count_if(corpus[i].begin(), corpus[i].end(),
                                                            [](const QByteArray& line) {
                                                                return line.startsWith("310");
                                                            })));
                    } catch (const Error& error) {
                        // Each way has a database of its own, named in the message.
                        QString message = error.Message;
                        message.replace(LocateDatabase(path).Describe(), QStringLiteral("db"));
                        outcome.Failures << QStringLiteral("%1: %2").arg(error.Line).arg(message);
                    }
                }
            }
            database->Close();
        }
        outcome.Emissions = QueryRows(path, QStringLiteral("SELECT * FROM EMISSIONS ORDER BY "
                                                           "FACILITY_ID, UNIT_ID, DATA_DATE, "
                                                           "DATA_HOUR"));
        return outcome;
    }

    // The outcome of reading ahead, after checking every way's is that of the statement path.
    Outcome ExpectSameEveryWay(const std::vector<std::vector<QByteArray>>& corpus, int runs,
                               const std::function<void(const QString&)>& prepare = {}) {
        const Outcome statements = Write(Way::Statements, corpus, runs, prepare);
        EXPECT_FALSE(statements.Emissions.isEmpty());
        Outcome other;
        for (const Way way : {Way::Bulk, Way::ReadAhead}) {
            other = Write(way, corpus, runs, prepare);
            EXPECT_EQ(other.Emissions, statements.Emissions);
            EXPECT_EQ(other.Failures, statements.Failures);
        }
        return other;
    }

    QTemporaryDir Folder;
};

TEST_P(BulkWrites, KnownFilesLeaveTheRowsOfTheirRecords) {
    for (const auto& test : KnownFiles) {
        SCOPED_TRACE(&test - KnownFiles);
        const Outcome outcome = ExpectSameEveryWay(test.Files, 1);
        EXPECT_EQ(outcome.FoldedAhead, int(test.Files.size()));
        EXPECT_EQ(RowTexts(QueryRows(outcome.Path, QStringLiteral("SELECT %1 FROM EMISSIONS ORDER "
                                                                  "BY FACILITY_ID, UNIT_ID, "
                                                                  "DATA_HOUR")
                                                       .arg(test.Columns))),
                  test.Rows);
    }
}

TEST_P(BulkWrites, RandomFilesWrittenTwiceGiveTheRowsOfTheStatements) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        EXPECT_EQ(ExpectSameEveryWay(RandomCorpus(seed, 3, 60), 2).FoldedAhead, 6);
    }
}

// Folded for the table as it was, written after a column became whole numbers: the file's
// statements run on the table as it is, as if the file had never been read ahead.
TEST_P(BulkWrites, ATableChangedAfterTheFoldGivesTheRowsOfTheStatements) {
    const auto corpus = RandomCorpus(6, 1, 40);
    const auto change = [](const QString& path) {
        RunSql(path, "ALTER TABLE EMISSIONS DROP COLUMN NOX_AVG_PPM_PER_HOUR_ADJ");
        RunSql(path, "ALTER TABLE EMISSIONS ADD COLUMN NOX_AVG_PPM_PER_HOUR_ADJ INTEGER");
    };
    const Outcome statements = Write(Way::Statements, corpus, 1, change);
    const QString path = FreshDatabase();
    std::unique_ptr<SourcesDatabase> database = SourcesDatabase::Open(path);
    database->ReadField("SELECT Count(*) AS n FROM EMISSIONS", "n");
    HourlyFileAhead ahead = ReadHourlyFileAhead(WriteDatFile(Folder, "f0.DAT", corpus[0]), 0,
                                                database->NewFolder(), {});
    ASSERT_TRUE(ahead.Folded);
    database->Close();
    change(path);
    database = SourcesDatabase::Open(path);
    ReaderState state;
    RecordingProgress quiet;
    ExtractHourlyFile(ahead, state, *database, quiet);
    database->Close();
    EXPECT_TRUE(statements.Failures.isEmpty());
    EXPECT_EQ(QueryRows(path, "SELECT * FROM EMISSIONS ORDER BY FACILITY_ID, UNIT_ID, DATA_DATE, "
                              "DATA_HOUR"),
              statements.Emissions);
}

// A file changed on disk after it was read ahead is read again at its turn, also when the size
// and the modification time stay (cp -p, rsync -a, unzip); so is the file after it, which has no
// "100" line and takes its facility from the changed one.
TEST_P(BulkWrites, AFileChangedAfterItWasReadAheadIsLoadedAsItIsAtItsTurn) {
    const auto hour = [](const char* h) { return SO2ConcLine("1", "010315", h, "1", "1", "1"); };
    const auto setTime = [](const QString& path, const QDateTime& time) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const std::function<void(const QString&)> changes[] = {
        [&](const QString&) {
            WriteDatFile(Folder, "f1.DAT", {FacilityLine("22"), hour("01"), hour("03")});
        },
        [&](const QString& path) { // rewritten in place
            const QDateTime before = QFileInfo(path).lastModified();
            WriteDatFile(Folder, "f1.DAT", {FacilityLine("2"), hour("01")});
            setTime(path, before);
        },
        [&](const QString& path) { // another file renamed over it
            const QString other = WriteDatFile(Folder, "other", {FacilityLine("2"), hour("01")});
            setTime(other, QFileInfo(path).lastModified());
            QFile::remove(path);
            QFile::rename(other, path);
        },
    };
    const QStringList expected[] = {{"22|1", "22|2", "22|3"}, {"2|1", "2|2"}, {"2|1", "2|2"}};
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        const QString first = WriteDatFile(Folder, "f1.DAT", {FacilityLine("1"), hour("01")});
        const QString second = WriteDatFile(Folder, "f2.DAT", {hour("02")});
        const QString path = FreshDatabase();
        std::unique_ptr<SourcesDatabase> database = SourcesDatabase::Open(path);
        database->ReadField("SELECT Count(*) AS n FROM EMISSIONS", "n");
        HourlyFileAhead ahead1 = ReadHourlyFileAhead(first, 0, database->NewFolder(), {});
        HourlyFileAhead ahead2 = ReadHourlyFileAhead(second, ahead1.Reader.CurrentFacilityId,
                                                     database->NewFolder(), {});
        changes[i](first);
        ReaderState state;
        RecordingProgress quiet;
        ExtractHourlyFile(ahead1, state, *database, quiet);
        ExtractHourlyFile(ahead2, state, *database, quiet);
        database->Close();
        EXPECT_EQ(
            RowTexts(QueryRows(path, "SELECT FACILITY_ID, DATA_HOUR FROM EMISSIONS ORDER BY 2")),
            expected[i])
            << "change " << i;
    }
}

// Without a key nothing folds: every statement runs by itself, keys repeated and all. Rows of
// one key may come in any order.
TEST_P(BulkWrites, ATableWithoutAKeyGivesTheRowsOfTheStatements) {
    const auto keyless = [](const QString& path) {
        RunSql(path, "CREATE TABLE KEYLESS AS SELECT * FROM EMISSIONS");
        RunSql(path, "DROP TABLE EMISSIONS");
        RunSql(path, "ALTER TABLE KEYLESS RENAME TO EMISSIONS");
    };
    const auto sortedRows = [&](Way way) {
        QStringList rows = RowTexts(Write(way, RandomCorpus(7, 2, 40), 1, keyless).Emissions);
        rows.sort();
        return rows;
    };
    const QStringList statements = sortedRows(Way::Statements);
    EXPECT_FALSE(statements.isEmpty());
    EXPECT_EQ(sortedRows(Way::Bulk), statements);
    EXPECT_EQ(sortedRows(Way::ReadAhead), statements);
}

TEST_P(BulkWrites, AMissingColumnStopsAtTheSameLineKeepingTheSameRows) {
    ExpectSameEveryWay(RandomCorpus(4, 2, 40), 1, [](const QString& path) {
        RunSql(path, QStringLiteral("ALTER TABLE EMISSIONS DROP COLUMN NOX_AVG_PPM_PER_HOUR_ADJ"));
    });
}

TEST_P(BulkWrites, ARowTheEngineRefusesStopsAtTheSameLineKeepingTheSameRows) {
    const std::vector<std::vector<QByteArray>> corpus{
        {FacilityLine("3"), SO2MassLine("1", "010315", "01", "  10.0", "", ""),
         SO2MassLine("1", "010315", "02", "  20.0", "", ""),
         SO2MassLine("1", "010315", "03", " 900.0", "", ""),
         SO2MassLine("1", "010315", "04", "  30.0", "", "")}};
    const Outcome outcome = ExpectSameEveryWay(corpus, 1, [this](const QString& path) {
        if (GetParam() == DatabaseEngine::PostgreSQL) {
            RunSql(path, "ALTER TABLE EMISSIONS ADD CHECK (SO2_MASS_LB_HOUR < 500)");
            return;
        }
        for (const char* event : {"INSERT", "UPDATE"})
            RunSql(path, QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON EMISSIONS WHEN "
                                        "NEW.SO2_MASS_LB_HOUR >= 500 BEGIN SELECT RAISE(ABORT, "
                                        "'too much SO2'); END")
                             .arg(QLatin1String(event)));
    });
    ASSERT_EQ(outcome.Failures.size(), 1);
    EXPECT_TRUE(outcome.Failures[0].startsWith("4: ")) << outcome.Failures[0].toStdString();
    EXPECT_EQ(RowTexts(QueryRows(outcome.Path, "SELECT DATA_HOUR FROM EMISSIONS ORDER BY 1")),
              QStringList({"1", "2"}));
}

// More keys than one chunk holds, each given by an INSERT and set by an UPDATE.
TEST_P(BulkWrites, AFileLargerThanAChunkGivesTheRowsOfTheStatements) {
    if (GetParam() == DatabaseEngine::PostgreSQL)
        GTEST_SKIP() << "the statement path takes too long for a test on the server";
    std::vector<QByteArray> lines{FacilityLine("5")};
    for (int day = 0; day < 720; ++day)
        for (int hour = 0; hour < 24; ++hour) {
            const QByteArray date = QDate(2001, 1, 1).addDays(day).toString("yyMMdd").toLatin1();
            const QByteArray hourText = QByteArray::number(hour).rightJustified(2, '0');
            lines.push_back(NOxConcLine("1", date, hourText, QByteArray::number(day), "", ""));
        }
    // Too many rows to fold ahead: the file is folded at its turn, in chunks.
    EXPECT_EQ(ExpectSameEveryWay({lines}, 2).FoldedAhead, 0);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(BulkWrites);

// Ends the database's server connection after the second writer of the file.
class ConnectionKiller : public RecordProgress {
public:
    explicit ConnectionKiller(QString path) : Path(std::move(path)) {}
    void SetRecordProgress(float value) override {
        if (value > 28 && value < 29)
            RunSql(Path, "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                         "datname = current_database() AND pid <> pg_backend_pid()");
    }
    QString Path;
};

TEST_P(BulkWrites, ALostConnectionLosesTheFileEveryWay) {
    if (GetParam() != DatabaseEngine::PostgreSQL)
        GTEST_SKIP() << "a SQLite file has no connection to lose";
    const auto corpus = RandomCorpus(5, 1, 80);
    for (const Way way : {Way::Statements, Way::Bulk, Way::ReadAhead}) {
        ConnectionKiller killer(QString{});
        const Outcome outcome = Write(
            way, corpus, 1, [&](const QString& path) { killer.Path = path; }, &killer);
        ASSERT_EQ(outcome.Failures.size(), 1);
        EXPECT_TRUE(outcome.Failures[0].contains("connection"))
            << outcome.Failures[0].toStdString();
        EXPECT_TRUE(outcome.Emissions.isEmpty());
    }
}

} // namespace
