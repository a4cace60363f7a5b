#include "FaultHarness.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace tarnwick::test {
namespace {

class InputFaultTest : public testing::Test {
protected:
    void SetUp() override {
        State.DatabasePath = ScratchSqliteDatabase();
        State.DatFolder = Folder.Prefix();
    }
    void TearDown() override { CloseDatabase(State); }

    qint64 Rows(const char* table, const QString& where = {}) const {
        return RowCount(State.DatabasePath, table, where);
    }

    void ExpectDatabaseSound() const { ExpectSqliteSound(State.DatabasePath); }

    // The user runs both extractions again over the folder as it now is.
    void ExpectSecondRunCompletes() {
        ExpectBothExtractionsComplete(State, Listing);
        ExpectDatabaseSound();
    }

    ScratchDatFolder Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

TEST_F(InputFaultTest, ListedFileThatIsGoneStopsTheHourlyBatchAtItAndKeepsTheEarlierFile) {
    Folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 3));
    Folder.WriteLines(QStringLiteral("c.DAT"), HourlyLines(3, 2));
    ListedNamesDirectory listing({"a.DAT", "b.DAT", "c.DAT"});
    HookedBatchUi ui;

    const BatchOutcome outcome = ExtractHourlyData(State, ui, listing);

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("b.DAT")))) << message;
    EXPECT_TRUE(message.contains(QLatin1String("No such file"))) << message;
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 3);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(3)), 0);
    ExpectDatabaseSound();

    ExpectSecondRunCompletes();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 3);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(3)), 2);
}

TEST_F(InputFaultTest, ListedFileThatIsGoneIsReportedByTheQuarterlyBatchWhichGoesOn) {
    Folder.WriteLines(QStringLiteral("a.DAT"), QuarterlyLines(1));
    Folder.WriteLines(QStringLiteral("c.DAT"), QuarterlyLines(3));
    ListedNamesDirectory listing({"a.DAT", "b.DAT", "c.DAT"});
    HookedBatchUi ui;

    const BatchOutcome outcome = ExtractQuarterlyData(State, ui, listing);

    EXPECT_EQ(outcome.FilesExtracted, 2);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("b.DAT")))) << message;
    for (const char* table : {"FACILITIES", "UNITS", "FUELS", "QUARTERS"})
        EXPECT_EQ(Rows(table), 2) << table;
    ExpectDatabaseSound();

    ExpectSecondRunCompletes();
    EXPECT_EQ(Rows("FACILITIES"), 2);
}

TEST_F(InputFaultTest, FoldersAndDanglingLinksNamedDatAreNotListedAndAFolderIsNeverRead) {
    Folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 2));
    ASSERT_TRUE(QDir(Folder.FilePath({})).mkpath(QStringLiteral("X.DAT")));
    Folder.WriteLines(QStringLiteral("X.DAT/inner.DAT"), HourlyLines(9, 1));
    ASSERT_TRUE(QFile::link(Folder.FilePath(QStringLiteral("nowhere.txt")),
                            Folder.FilePath(QStringLiteral("dangling.DAT"))));
    ScratchDatFolder elsewhere;
    elsewhere.WriteLines(QStringLiteral("target.txt"), HourlyLines(2, 1));
    ASSERT_TRUE(QFile::link(elsewhere.FilePath(QStringLiteral("target.txt")),
                            Folder.FilePath(QStringLiteral("live.DAT"))));

    EXPECT_EQ(Listing.List(Folder.Prefix() + QStringLiteral("*.DAT")),
              QStringList({"a.DAT", "live.DAT"}));
    HookedBatchUi ui;
    EXPECT_TRUE(ExtractHourlyData(State, ui, Listing).Succeeded()) << Messages(ui);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 2);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(2)), 1);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(9)), 0);

    // A folder that takes a file's place after the listing is refused, not read.
    ListedNamesDirectory folderListed({"X.DAT"});
    HookedBatchUi folderUi;
    const BatchOutcome outcome = ExtractHourlyData(State, folderUi, folderListed);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_TRUE(Messages(folderUi).contains(Folder.FilePath(QStringLiteral("X.DAT"))))
        << Messages(folderUi);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(9)), 0);
    ExpectDatabaseSound();
}

TEST_F(InputFaultTest, FileDeletedDuringTheHourlyBatchStopsItThereAndASecondRunCompletes) {
    Folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 3));
    Folder.WriteLines(QStringLiteral("b.DAT"), HourlyLines(2, 2));
    Folder.WriteLines(QStringLiteral("c.DAT"), HourlyLines(3, 1));
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            QFile::remove(Folder.FilePath(QStringLiteral("b.DAT")));
    };

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    EXPECT_TRUE(Messages(ui).contains(Folder.FilePath(QStringLiteral("b.DAT")))) << Messages(ui);
    EXPECT_EQ(Rows("EMISSIONS"), 3);
    ExpectDatabaseSound();

    ExpectSecondRunCompletes();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 3);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(3)), 1);
}

TEST_F(InputFaultTest, FileDeletedDuringTheQuarterlyBatchIsReportedAndTheOthersAreWritten) {
    for (int id = 1; id <= 3; ++id)
        Folder.WriteLines(QStringLiteral("f%1.DAT").arg(id), QuarterlyLines(id));
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            QFile::remove(Folder.FilePath(QStringLiteral("f2.DAT")));
    };

    const BatchOutcome outcome = ExtractQuarterlyData(State, ui, Listing);

    EXPECT_EQ(outcome.FilesListed, 3);
    EXPECT_EQ(outcome.FilesExtracted, 2);
    EXPECT_TRUE(Messages(ui).contains(Folder.FilePath(QStringLiteral("f2.DAT")))) << Messages(ui);
    EXPECT_EQ(Rows("QUARTERS", QStringLiteral("FACILITY_ID IN (1, 3)")), 2);
    EXPECT_EQ(Rows("QUARTERS", FacilityIs(2)), 0);
    ExpectDatabaseSound();

    ExpectSecondRunCompletes();
    EXPECT_EQ(Rows("QUARTERS"), 2);
}

// Random bytes, NUL included, and lines that begin with a real record code and a well-formed
// key so that random values travel all the way to the database.
QByteArray RandomBytes(std::mt19937& random, int size) {
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(byte(random));
    return bytes;
}

// Where each hourly type keeps its date (YYMMDD) and hour, 0-based.
struct KeyColumns {
    const char* Code;
    int Date;
    int Hour;
};
constexpr KeyColumns HourlyKeys[] = {{"200", 15, 21}, {"201", 15, 21}, {"202", 15, 21},
                                     {"220", 15, 21}, {"310", 9, 15},  {"320", 12, 18},
                                     {"330", 9, 15}};

QByteArray RecordShapedNoise(std::mt19937& random, int lineCount) {
    static const QByteArrayList otherCodes{"100", "102", "301", "504", "505",
                                           "506", "535", "536", "587"};
    std::uniform_int_distribution<int> pick(0, 15);
    std::uniform_int_distribution<int> length(0, 130);
    std::uniform_int_distribution<int> hour(0, 23);
    QByteArray noise;
    for (int i = 0; i < lineCount; ++i) {
        const int choice = pick(random);
        const bool hourly = choice < 7;
        // Hourly lines long enough for a whole key, so that most reach the database.
        const int size = hourly ? std::max(length(random), 30) : length(random);
        QByteArray line = (hourly ? QByteArray(HourlyKeys[choice].Code) : otherCodes[choice - 7]) +
                          RandomBytes(random, size);
        line.replace('\r', ' ').replace('\n', ' ');
        if (hourly) {
            line.replace(HourlyKeys[choice].Date, 6, "010315");
            line.replace(HourlyKeys[choice].Hour, 2,
                         QByteArray::number(hour(random)).rightJustified(2, '0'));
        }
        noise += line + "\r\n";
    }
    return noise;
}

TEST_F(InputFaultTest, BinaryFilesEndTheirBatchCleanlyAndOnlyWellTypedRowsLand) {
    Folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 2) + QuarterlyLines(1));
    std::mt19937 random(20010315);
    const QStringList noiseFiles{"b.DAT", "c.DAT"};
    Folder.WriteBytes(noiseFiles[0], RandomBytes(random, 1 << 20));
    Folder.WriteBytes(noiseFiles[1], RecordShapedNoise(random, 3000));

    HookedBatchUi goodUi;
    ListedNamesDirectory good({"a.DAT"});
    ASSERT_TRUE(ExtractHourlyData(State, goodUi, good).Succeeded()) << Messages(goodUi);
    for (const QString& name : noiseFiles) {
        // One batch per file, so each gets read whatever the other does.
        ListedNamesDirectory noise({name});
        HookedBatchUi hourlyUi;
        const BatchOutcome hourly = ExtractHourlyData(State, hourlyUi, noise);
        if (hourly.Stopped) {
            const QString message = Messages(hourlyUi);
            EXPECT_TRUE(message.contains(Folder.FilePath(name))) << message;
            EXPECT_TRUE(message.contains(QLatin1String("Line "))) << message;
        } else {
            EXPECT_TRUE(hourly.Succeeded()) << Messages(hourlyUi);
        }
        HookedBatchUi quarterlyUi;
        const BatchOutcome quarterly = ExtractQuarterlyData(State, quarterlyUi, noise);
        EXPECT_EQ(quarterly.FilesListed, 1);
        EXPECT_EQ(quarterlyUi.Of(UiCallKind::Message).size(), 1u);
    }
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1) + QStringLiteral(" AND UNIT_ID = '1'")), 2);
    ExpectDatabaseSound();

    for (const QString& name : noiseFiles)
        ASSERT_TRUE(QFile::remove(Folder.FilePath(name)));
    ExpectSecondRunCompletes();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1) + QStringLiteral(" AND UNIT_ID = '1'")), 2);
}

TEST_F(InputFaultTest, FiftyMegabytesWithoutALineEndAreReadInBoundedTime) {
    // One record at the start, then 50 MB of printable junk on the same line.
    QByteArray content = NOxConcLine("7", "010315", "07", "  45.2", "  45.0", "100.0");
    std::mt19937 random(50);
    std::uniform_int_distribution<int> printable(0x20, 0x7e);
    const qsizetype start = content.size();
    content.resize(start + 50 * 1024 * 1024);
    for (qsizetype i = start; i < content.size(); ++i)
        content[i] = char(printable(random));
    Folder.WriteBytes(QStringLiteral("long.DAT"), content);
    content.clear();

    QElapsedTimer clock;
    clock.start();
    HookedBatchUi hourlyUi;
    EXPECT_TRUE(ExtractHourlyData(State, hourlyUi, Listing).Succeeded()) << Messages(hourlyUi);
    HookedBatchUi quarterlyUi;
    EXPECT_TRUE(ExtractQuarterlyData(State, quarterlyUi, Listing).Succeeded())
        << Messages(quarterlyUi);
    EXPECT_LT(clock.elapsed(), 60000);

    const QList<QVariantList> rows = QueryRows(
        State.DatabasePath, QStringLiteral("SELECT UNIT_ID, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
                                           "NOX_PCT_MONITOR_DATA_AVAIL FROM EMISSIONS"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], QVariantList({"7", 7, 45.2, 100.0}));
    EXPECT_EQ(Rows("FACILITIES"), 1);
    ExpectDatabaseSound();
}

// Both batches on each engine.
class EngineBatchTest : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        State.DatabasePath = FreshDatabase();
        State.DatFolder = Folder.Prefix();
    }
    void TearDown() override {
        CloseDatabase(State);
        BothEngines::TearDown();
    }

    void RunBothBatches() { ExpectBothExtractionsComplete(State, Listing); }

    QString Text(const QString& sql) const {
        return QueryValue(State.DatabasePath, sql).toString();
    }

    ScratchDatFolder Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

QByteArray FacilityQuarterLine(int id) {
    return DatLineOf({{1, "100"}, {4, FacilityId(id)}, {10, "1"}, {11, "2001"}});
}

QByteArray LocationLine(const QByteArray& plantName) {
    return DatLineOf(
        {{1, "102"}, {4, plantName}, {85, "IN"}, {87, "051"}, {91, "391030"}, {97, "0861500"}});
}

// A "200" and a "201" record of the same unit and hour: the "201" UPDATE has to find the row
// that the "200" INSERT made, so the unit must read the same in both statements.
QByteArrayList OneHourOfUnit(const QByteArray& unit) {
    return {SO2ConcLine(unit, "010315", "07", "  12.5", "  12.6", "100.0"),
            NOxConcLine(unit, "010315", "07", "  45.2", "  45.0", "100.0")};
}

// Texts that are not plain ASCII, or that look like SQL, must arrive as they stand.
TEST_P(EngineBatchTest, Latin1AndUtf8NamesAndUnitsAreStoredAsTheirCharacters) {
    const QString plantName = QStringLiteral("CAF\u00C9 M\u00DCLLER");
    const QString latin1Unit = QStringLiteral("\u00DC1");
    const QString utf8Unit = QStringLiteral("\u00DC2");
    Folder.WriteLines(
        QStringLiteral("latin1.DAT"),
        QByteArrayList{FacilityQuarterLine(501), LocationLine(plantName.toLatin1()),
                       DatLineOf({{1, "301"}, {4, latin1Unit.toLatin1()}, {10, "010331"}})} +
            OneHourOfUnit(latin1Unit.toLatin1()));
    Folder.WriteLines(
        QStringLiteral("utf8.DAT"),
        QByteArrayList{FacilityQuarterLine(502), LocationLine(plantName.toUtf8()),
                       DatLineOf({{1, "301"}, {4, utf8Unit.toUtf8()}, {10, "010331"}})} +
            OneHourOfUnit(utf8Unit.toUtf8()));

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run == 1 ? "first run" : "second run");
        RunBothBatches();
        for (const auto& [id, unit] : {std::pair{501, latin1Unit}, std::pair{502, utf8Unit}}) {
            const QString where = QStringLiteral(" WHERE FACILITY_ID = %1").arg(id);
            EXPECT_EQ(Text(QStringLiteral("SELECT Plant_Name FROM FACILITIES") + where), plantName);
            EXPECT_EQ(Text(QStringLiteral("SELECT UNIT_ID FROM UNITS") + where), unit);
            const QList<QVariantList> hours = QueryRows(
                State.DatabasePath,
                QStringLiteral("SELECT UNIT_ID, SO2_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR "
                               "FROM EMISSIONS") +
                    where);
            ASSERT_EQ(hours.size(), 1) << id;
            EXPECT_EQ(hours[0], QVariantList({unit, 12.5, 45.2})) << id;
        }
        EXPECT_EQ(DuplicateKeyRows(State.DatabasePath), 0);
    }
}

TEST_P(EngineBatchTest, QuotesAndSqlInEveryTextFieldAreStoredLiterally) {
    const QByteArray unit = "O'B";
    const QByteArray otherUnit = "');--";
    QByteArray location = LocationLine("O'BRIEN'); DROP TABLE EMISSIONS;--");
    location.replace(23, 12, "'; DROP T;--");
    location.replace(35, 10, "x' OR '1'=");
    location.replace(45, 15, "'); DELETE --  ");
    location.replace(84, 5, "''\\';");
    Folder.WriteLines(
        QStringLiteral("quotes.DAT"),
        QByteArrayList{
            FacilityQuarterLine(601),
            location,
            DatLineOf({{1, "301"}, {4, unit}, {10, "010331"}}),
            DatLineOf({{1, "504"}, {4, unit}, {10, "X'Y"}, {28, "'a"}, {30, "b'"}, {32, "'--'"}}),
            DatLineOf({{1, "505"}, {4, unit}, {10, "'; DROP--"}, {22, "''"}}),
            DatLineOf({{1, "506"}, {4, unit}, {16, "'--x'"}, {21, "');--"}, {37, "'OR'1"}}),
            DatLineOf({{1, "535"}, {4, unit}, {10, "'\\"}, {12, "1'2"}, {18, "'"}}),
            DatLineOf({{1, "587"}, {4, unit}, {10, "';D"}, {13, "19950101"}, {29, "'"}}),
            CO2ConcLine(otherUnit, "010315", "08", "  10.5", "100.0"),
        } + OneHourOfUnit(unit));

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run == 1 ? "first run" : "second run");
        RunBothBatches();
        const QList<std::pair<const char*, const char*>> expected{
            {"SELECT Plant_Name FROM FACILITIES", "O'BRIEN'); DROP TABL"},
            {"SELECT Epa_Facility_ID FROM FACILITIES", "'; DROP T;--"},
            {"SELECT Epa_Airs_Facility_System FROM FACILITIES", "x' OR '1'="},
            {"SELECT State_Facility_ID FROM FACILITIES", "'); DELETE --"},
            {"SELECT State_Postal_Abbreviation FROM FACILITIES", "''"},
            {"SELECT County_Code_Fips FROM FACILITIES", "\\';"},
            {"SELECT UNIT_ID FROM UNITS", "O'B"},
            {"SELECT UNIT_TYPE FROM UNITS", "X'Y"},
            {"SELECT UNIT_RETIREMENT_DATE FROM UNITS", "'a/b'/'--'"},
            {"SELECT PROGRAM_REQUIREMENT_FOR_EDR FROM UNITS", "'; DROP--"},
            {"SELECT REPORTING_FREQUENCY FROM UNITS", "''"},
            {"SELECT EIA_BOILER_ID FROM UNITS", "'--x'"},
            {"SELECT EIA_FLUE_ID FROM UNITS", "');--"},
            {"SELECT EIA_FACILITY_NUMBER FROM UNITS", "'OR'1"},
            {"SELECT LOAD_UNITS FROM UNITS", "'\\"},
            {"SELECT DESIGNATED_NORMAL_LOAD FROM UNITS", "'"},
            {"SELECT FUEL_TYPE_COMBUSTED FROM FUELS", "';D"},
            {"SELECT STARTUP_FUEL FROM FUELS", "'"},
            {"SELECT UNIT_ID FROM QUARTERS", "O'B"},
        };
        for (const auto& [query, value] : expected) {
            EXPECT_EQ(Text(QLatin1String(query) + QStringLiteral(" WHERE FACILITY_ID = 601")),
                      QString::fromLatin1(value))
                << query;
        }
        // Not a number: the column is left empty rather than the statement refused.
        EXPECT_TRUE(QueryValue(State.DatabasePath,
                               QStringLiteral("SELECT MAX_HOURLY_GROSS_LOAD FROM UNITS"))
                        .isNull());
        EXPECT_EQ(QueryValue(State.DatabasePath,
                             QStringLiteral("SELECT NOX_AVG_PPM_PER_HOUR FROM EMISSIONS WHERE "
                                            "UNIT_ID = 'O''B'"))
                      .toDouble(),
                  45.2);
        EXPECT_EQ(QueryValue(State.DatabasePath,
                             QStringLiteral("SELECT CO2_AVG_PCT_CONC_PER_HOUR FROM EMISSIONS "
                                            "WHERE UNIT_ID = ''');--'"))
                      .toDouble(),
                  10.5);
        // All five tables are still there, holding just this file's rows.
        for (const KeyedTable& table : KeyedTables) {
            const bool hourly = QLatin1String(table.Name) == QLatin1String("EMISSIONS");
            EXPECT_EQ(RowCount(State.DatabasePath, table.Name), hourly ? 2 : 1) << table.Name;
        }
        EXPECT_EQ(DuplicateKeyRows(State.DatabasePath), 0);
    }
}

TEST_P(EngineBatchTest, NulBytesAreDroppedFromTextButLeaveANumberUnreadable) {
    const QByteArray unit("1\0A", 3);
    const QByteArray nulInNumber = QByteArray("  12") + '\0' + '3';
    Folder.WriteLines(
        QStringLiteral("nul.DAT"),
        QByteArrayList{FacilityQuarterLine(801), LocationLine(QByteArray("AB\0CD", 5)),
                       DatLineOf({{1, "301"}, {4, "2"}, {10, "010331"}, {16, nulInNumber}}),
                       SO2ConcLine("2", "010315", "07", nulInNumber, "", ""),
                       SO2ConcLine("2", "010315", "08", "  12 3", "", "")} +
            OneHourOfUnit(unit));

    RunBothBatches();

    EXPECT_EQ(Text(QStringLiteral("SELECT Plant_Name FROM FACILITIES")), QStringLiteral("ABCD"));
    EXPECT_TRUE(
        QueryValue(State.DatabasePath, QStringLiteral("SELECT SO2_TONS_QTRLY FROM QUARTERS"))
            .isNull());
    const QList<QVariantList> hours = QueryRows(
        State.DatabasePath,
        QStringLiteral("SELECT UNIT_ID, SO2_AVG_PPM_PER_HOUR, "
                       "NOX_AVG_PPM_PER_HOUR FROM EMISSIONS ORDER BY DATA_HOUR, UNIT_ID"));
    ASSERT_EQ(hours.size(), 3);
    EXPECT_EQ(hours[0], QVariantList({QStringLiteral("1A"), 12.5, 45.2}));
    for (const QVariantList& hour : {hours[1], hours[2]}) {
        EXPECT_EQ(hour[0], QStringLiteral("2"));
        EXPECT_TRUE(hour[1].isNull()) << hour[1].toString();
    }
}

TEST_P(EngineBatchTest, FileWhoseNameIsNotUtf8IsListedAndRead) {
    const std::pair<int, QByteArray> files[] = {{1, "A.DAT"}, {2, "B\xE9.DAT"}, {3, "C.DAT"}};
    for (const auto& [id, name] : files) {
        // QFile cannot make this name: it writes every name as UTF-8.
        std::ofstream file(QFile::encodeName(Folder.Prefix()).toStdString() + name.toStdString(),
                           std::ios::binary);
        for (const QByteArray& line : QuarterlyLines(id) + HourlyLines(id, 2))
            file << line.toStdString() << "\r\n";
    }

    RunBothBatches();

    EXPECT_EQ(RowCount(State.DatabasePath, "FACILITIES"), 3);
    EXPECT_EQ(RowCount(State.DatabasePath, "QUARTERS", FacilityIs(2)), 1);
    EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS", FacilityIs(2)), 2);
}

TEST_P(EngineBatchTest, ByteOrderMarkAndAUtf8CharacterCutByItsFieldAreReadAsUtf8) {
    Folder.WriteLines(QStringLiteral("a.DAT"), QuarterlyLines(1) + HourlyLines(1, 1));
    // A 20-byte plant name that ends in the first byte of an e acute.
    QByteArrayList lines = QuarterlyLines(2) + HourlyLines(2, 2).mid(1);
    lines.first().prepend("\xEF\xBB\xBF");
    lines << LocationLine(QByteArray("\xC3\x89") + "COLE DES MINES DU\xC3");
    Folder.WriteLines(QStringLiteral("b.DAT"), lines);

    RunBothBatches();

    const QList<QVariantList> facilities = QueryRows(
        State.DatabasePath, QStringLiteral("SELECT Facility_ID, Calendar_Quarter, Calendar_Year, "
                                           "Plant_Name FROM FACILITIES WHERE Facility_ID <> 1"));
    ASSERT_EQ(facilities.size(), 1);
    EXPECT_EQ(facilities[0], QVariantList({2, 1, 2001, QStringLiteral("\u00C9COLE DES MINES DU")}));
    EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS", FacilityIs(1)), 1);
    EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS", FacilityIs(2)), 2);
}

TEST_P(EngineBatchTest, HourlyKeyThatCannotBeReadStopsTheHourlyBatchButNotTheQuarterly) {
    Folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 2));
    const char* const keys[][3] = {
        {"010230", "07", "Line 4: The date \"02/30/01\" of this \"200\" record is not a date."},
        {"010315", "ab",
         "Line 4: The hour \"ab\" of this \"200\" record is not an hour from 0 to 23."},
    };
    for (const auto& [date, hour, reason] : keys) {
        // The quarterly statistics take the "202" value and need no key.
        Folder.WriteLines(QStringLiteral("b.DAT"),
                          QuarterlyLines(2) +
                              QByteArrayList{SO2ConcLine("1", date, hour, "  12.5", "", ""),
                                             CO2ConcLine("1", date, hour, "  10.5", "")});
        HookedBatchUi hourlyUi;
        EXPECT_TRUE(ExtractHourlyData(State, hourlyUi, Listing).Stopped);
        const QString expected =
            Folder.FilePath(QStringLiteral("b.DAT")) + QStringLiteral(" (file 2 of 2).\n");
        EXPECT_TRUE(Messages(hourlyUi).contains(expected + QLatin1String(reason)))
            << Messages(hourlyUi);
        HookedBatchUi quarterlyUi;
        EXPECT_TRUE(ExtractQuarterlyData(State, quarterlyUi, Listing).Succeeded())
            << Messages(quarterlyUi);
    }
    EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS", FacilityIs(1)), 2);
    EXPECT_EQ(RowCount(State.DatabasePath, "EMISSIONS", FacilityIs(2)), 0);
    EXPECT_EQ(
        Text(QStringLiteral("SELECT CO2_AVG_PCT_CONC_QTRLY FROM QUARTERS WHERE FACILITY_ID = 2")),
        QStringLiteral("10.5"));
}

TEST_P(EngineBatchTest, OverflowingConcentrationFailsTheQuarterlyFileWithItsLine) {
    Folder.WriteLines(QStringLiteral("a.DAT"),
                      QuarterlyLines(1) +
                          QByteArrayList{CO2ConcLine("1", "010315", "01", " 1e999", "100.0"),
                                         CO2ConcLine("1", "010315", "02", "   5.0", "100.0"),
                                         CO2ConcLine("1", "010315", "03", "   3.0", "100.0")});
    Folder.WriteLines(QStringLiteral("b.DAT"), QuarterlyLines(2));
    HookedBatchUi ui;

    EXPECT_EQ(ExtractQuarterlyData(State, ui, Listing).FilesExtracted, 1);

    EXPECT_TRUE(Messages(ui).contains(Folder.FilePath(QStringLiteral("a.DAT")) +
                                      QStringLiteral(": Line 4: The CO2 concentration \"1e999\" "
                                                     "is out of range")))
        << Messages(ui);
    EXPECT_EQ(RowCount(State.DatabasePath, "FACILITIES", FacilityIs(1)), 0);
    EXPECT_EQ(RowCount(State.DatabasePath, "QUARTERS", FacilityIs(1)), 0);
    EXPECT_EQ(RowCount(State.DatabasePath, "QUARTERS", FacilityIs(2)), 1);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(EngineBatchTest);

} // namespace
} // namespace tarnwick::test
