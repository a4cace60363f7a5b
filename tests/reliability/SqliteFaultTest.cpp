#include "FaultHarness.h"
#include "SchemaCreation.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace tarnwick::test {
namespace {

QByteArray FileDigest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Another program with the database open: the sqlite3 shell in a transaction of its own.
class SqliteLockHolder {
public:
    enum class Lock { Exclusive, Reading };

    ~SqliteLockHolder() { Release(); }

    // Returns once the lock is held.
    void Hold(const QString& database, Lock lock) {
        Shell.start(QStringLiteral("sqlite3"), {database});
        ASSERT_TRUE(Shell.waitForStarted()) << "the sqlite3 shell does not start";
        const QByteArray begin = lock == Lock::Exclusive
                                     ? "BEGIN EXCLUSIVE;\n"
                                     : "BEGIN;\nSELECT COUNT(*) FROM EMISSIONS;\n";
        Shell.write(".bail on\n.timeout 5000\n" + begin + "SELECT 'holding';\n");
        QByteArray said;
        while (!said.contains("holding") && Shell.waitForReadyRead(10000))
            said += Shell.readAllStandardOutput();
        ASSERT_TRUE(said.contains("holding")) << Shell.readAllStandardError().toStdString();
    }

    void Release() {
        if (Shell.state() == QProcess::NotRunning)
            return;
        Shell.write("COMMIT;\n.quit\n");
        Shell.closeWriteChannel();
        if (!Shell.waitForFinished(10000)) {
            Shell.kill();
            Shell.waitForFinished();
        }
    }

private:
    QProcess Shell;
};

// A Sources database made from the schema script after `edit`, as a user might have built
// one by hand.
void CreateEditedDatabase(const QString& path, const std::function<void(QString&)>& edit) {
    QString script = SchemaScript(DatabaseEngine::SQLite);
    edit(script);
    const QString name = QStringLiteral("hand-made-") + path;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        ASSERT_TRUE(database.open());
        for (const QString& statement : SplitScript(script)) {
            QSqlQuery query(database);
            ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The statements of the schema script that make one table: the table and its indexes.
QStringList TableDefinition(const QString& script, const QString& table) {
    const QRegularExpression namesTable(QStringLiteral("\\b%1\\b").arg(table));
    QStringList statements;
    for (const QString& statement : SplitScript(script)) {
        if (statement.contains(namesTable))
            statements << statement;
    }
    return statements;
}

class SqliteFaultTest : public testing::Test {
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

    // A later program run over the same folder, once the fault is gone.
    void ExpectLaterRunCompletes() {
        RunState later = LaterRun(State);
        ExpectBothExtractionsComplete(later, Listing);
        CloseDatabase(later);
        ExpectDatabaseSound();
    }

    void WriteThreeFiles() {
        for (int id = 1; id <= 3; ++id)
            Folder.WriteLines(QStringLiteral("f%1.DAT").arg(id),
                              HourlyLines(id, 4 - id) + QuarterlyLines(id));
    }

    ScratchDatFolder Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

TEST_F(SqliteFaultTest, LockTakenBetweenFilesStopsTheHourlyBatchAndTheSameRunCanGoOnLater) {
    WriteThreeFiles();
    SqliteLockHolder other;
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            other.Hold(State.DatabasePath, SqliteLockHolder::Lock::Exclusive);
    };
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("f2.DAT")))) << message;
    EXPECT_TRUE(message.contains(QLatin1String("locked"))) << message;
    other.Release();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 3);
    EXPECT_EQ(Rows("EMISSIONS"), 3);
    ExpectDatabaseSound();

    // The program is still running: the same command again finishes the folder.
    HookedBatchUi again;
    EXPECT_TRUE(ExtractHourlyData(State, again, Listing).Succeeded()) << Messages(again);
    EXPECT_EQ(Rows("EMISSIONS"), 6);
    ExpectDatabaseSound();
}

TEST_F(SqliteFaultTest, LockTakenBetweenFilesFailsEachLaterQuarterlyFileWithAClearReason) {
    WriteThreeFiles();
    SqliteLockHolder other;
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            other.Hold(State.DatabasePath, SqliteLockHolder::Lock::Exclusive);
    };

    const BatchOutcome outcome = ExtractQuarterlyData(State, ui, Listing);

    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    for (const char* name : {"f2.DAT", "f3.DAT"})
        EXPECT_TRUE(message.contains(Folder.FilePath(QLatin1String(name)))) << message;
    EXPECT_GE(message.count(QLatin1String("locked")), 2) << message;
    other.Release();
    EXPECT_EQ(Rows("QUARTERS"), 1);
    ExpectDatabaseSound();

    HookedBatchUi again;
    EXPECT_TRUE(ExtractQuarterlyData(State, again, Listing).Succeeded()) << Messages(again);
    EXPECT_EQ(Rows("QUARTERS"), 3);
    ExpectDatabaseSound();
}

TEST_F(SqliteFaultTest, ReaderHoldingTheFileAtCommitFailsTheFileAndTheMessageSaysWhatIsKept) {
    WriteThreeFiles();
    SqliteLockHolder reader;
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            reader.Hold(State.DatabasePath, SqliteLockHolder::Lock::Reading);
    };

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(QLatin1String("locked"))) << message;
    reader.Release();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 3);
    if (Rows("EMISSIONS", FacilityIs(2)) == 0) {
        EXPECT_FALSE(PromisesRowsStay(message)) << message;
    }
    ExpectDatabaseSound();

    ExpectLaterRunCompletes();
    EXPECT_EQ(Rows("EMISSIONS"), 6);
}

TEST_F(SqliteFaultTest, ReadOnlyDatabaseFileRefusesTheFirstStatementAndIsLeftAsItWas) {
    const bool root = geteuid() == 0;
    if (root && QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty())
        GTEST_SKIP() << "running as root without runuser: no user for whom the file is read-only";
    const QString user = root ? QStringLiteral("nobody") : QString();
    // Folders the other user can reach: the database's folder stays unwritable to it too.
    ScratchDatFolder databaseFolder;
    const QString database = databaseFolder.FilePath(QStringLiteral("Sources.db"));
    SourcesDatabase::Create(database);
    WriteThreeFiles();
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(databaseFolder.FilePath({}), readable));
    ASSERT_TRUE(QFile::setPermissions(Folder.FilePath({}), readable));
    if (!root) {
        QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(databaseFolder.FilePath({}),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther);
    }
    if (root && RunBatchProgram({QStringLiteral("--version")}, user).ExitCode != 0)
        GTEST_SKIP() << "the runner in this build folder cannot be run as " << user.toStdString();
    const QByteArray before = FileDigest(database);

    for (const char* command : {"hourly", "quarterly"}) {
        const ProgramRun run =
            RunBatchProgram({QLatin1String(command), database, Folder.Prefix()}, user);
        ASSERT_TRUE(run.Finished) << command;
        EXPECT_EQ(run.ExitCode, 1) << command;
        EXPECT_TRUE(run.Err.contains(QLatin1String("read-only"))) << run.Err;
    }

    EXPECT_EQ(FileDigest(database), before);
    EXPECT_EQ(SqliteIntegrity(database), QStringLiteral("ok"));
    for (const KeyedTable& table : KeyedTables)
        EXPECT_EQ(RowCount(database, table.Name), 0) << table.Name;

    // The owner can write: the same folder loads whole.
    QFile::setPermissions(databaseFolder.FilePath({}), readable);
    QFile::setPermissions(database, readable);
    for (const char* command : {"hourly", "quarterly"}) {
        const ProgramRun run = RunBatchProgram({QLatin1String(command), database, Folder.Prefix()});
        EXPECT_EQ(run.ExitCode, 0) << command << ": " << run.Err;
    }
    EXPECT_EQ(RowCount(database, "EMISSIONS"), 6);
    EXPECT_EQ(RowCount(database, "FACILITIES"), 3);
    EXPECT_EQ(DuplicateKeyRows(database), 0);
}

TEST_F(SqliteFaultTest, MissingColumnStopsTheHourlyBatchAtTheWriterThatNeedsIt) {
    CreateEditedDatabase(State.DatabasePath + QStringLiteral(".edited"), [](QString& script) {
        script.remove(QStringLiteral("    NOX_AVG_PPM_PER_HOUR_ADJ REAL,\n"));
    });
    State.DatabasePath += QStringLiteral(".edited");
    // The "200" rows are written before the "201" writer meets the missing column.
    Folder.WriteLines(QStringLiteral("a.DAT"),
                      {FacilityLine(FacilityId(1)),
                       SO2ConcLine("1", "010315", "01", "  12.5", "  12.6", "100.0"),
                       SO2ConcLine("1", "010315", "02", "  12.5", "  12.6", "100.0"),
                       NOxConcLine("1", "010315", "01", "  45.2", "  45.0", "100.0")});
    Folder.WriteLines(QStringLiteral("b.DAT"), HourlyLines(2, 1));
    HookedBatchUi ui;

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 0);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(QLatin1String("NOX_AVG_PPM_PER_HOUR_ADJ"))) << message;
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("a.DAT")))) << message;
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 2);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(2)), 0);
    EXPECT_EQ(SqliteIntegrity(State.DatabasePath), QStringLiteral("ok"));

    RunSql(State.DatabasePath,
           QStringLiteral("ALTER TABLE EMISSIONS ADD COLUMN NOX_AVG_PPM_PER_HOUR_ADJ REAL"));
    ExpectLaterRunCompletes();
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(1)), 2);
    EXPECT_EQ(
        Rows("EMISSIONS", FacilityIs(1) + QStringLiteral(" AND NOX_AVG_PPM_PER_HOUR_ADJ = 45")), 1);
    EXPECT_EQ(Rows("EMISSIONS", FacilityIs(2)), 1);
}

TEST_F(SqliteFaultTest, MissingTableStopsTheHourlyBatchAtOnceAndFailsEachQuarterlyFile) {
    const QString script = SchemaScript(DatabaseEngine::SQLite);
    const QStringList quarters = TableDefinition(script, QStringLiteral("QUARTERS"));
    ASSERT_FALSE(quarters.isEmpty());
    State.DatabasePath += QStringLiteral(".edited");
    CreateEditedDatabase(State.DatabasePath, [&](QString& edited) {
        for (const QString& statement : quarters)
            edited.remove(statement);
    });
    WriteThreeFiles();

    HookedBatchUi hourlyUi;
    const BatchOutcome hourly = ExtractHourlyData(State, hourlyUi, Listing);
    EXPECT_TRUE(hourly.Stopped);
    EXPECT_TRUE(hourlyUi.Of(UiCallKind::FileNumberCaption).empty());
    EXPECT_TRUE(Messages(hourlyUi).contains(QLatin1String("Quarters"))) << Messages(hourlyUi);
    EXPECT_EQ(Rows("EMISSIONS"), 0);

    HookedBatchUi quarterlyUi;
    const BatchOutcome quarterly = ExtractQuarterlyData(State, quarterlyUi, Listing);
    EXPECT_EQ(quarterly.FilesExtracted, 0);
    const QString message = Messages(quarterlyUi);
    for (int id = 1; id <= 3; ++id)
        EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("f%1.DAT").arg(id))))
            << message;
    // The rows of the other three tables, written before the failing one, stay.
    for (const char* table : {"FACILITIES", "UNITS", "FUELS"})
        EXPECT_EQ(Rows(table), 3) << table;
    EXPECT_EQ(SqliteIntegrity(State.DatabasePath), QStringLiteral("ok"));

    for (const QString& statement : quarters)
        RunSql(State.DatabasePath, statement);
    ExpectLaterRunCompletes();
    EXPECT_EQ(Rows("QUARTERS"), 3);
    EXPECT_EQ(Rows("FACILITIES"), 3);
    EXPECT_EQ(Rows("EMISSIONS"), 6);
}

TEST_F(SqliteFaultTest, CorruptFileChosenAsTheDatabaseIsRefusedAndNotWritten) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray content("SQLite format 3\0", 16);
    for (int i = 0; i < 8192; ++i)
        content.append(char(byte(random)));
    const QString corrupt = Folder.FilePath(QStringLiteral("Sources.db"));
    Folder.WriteBytes(QStringLiteral("Sources.db"), content);
    State.DatabasePath = corrupt;
    WriteThreeFiles();

    HookedBatchUi hourlyUi;
    const BatchOutcome hourly = ExtractHourlyData(State, hourlyUi, Listing);
    EXPECT_TRUE(hourly.Stopped);
    EXPECT_EQ(hourly.FilesExtracted, 0);
    EXPECT_TRUE(Messages(hourlyUi).contains(corrupt)) << Messages(hourlyUi);
    EXPECT_TRUE(Messages(hourlyUi).contains(QLatin1String("not a database"))) << Messages(hourlyUi);

    HookedBatchUi quarterlyUi;
    const BatchOutcome quarterly = ExtractQuarterlyData(State, quarterlyUi, Listing);
    EXPECT_EQ(quarterly.FilesExtracted, 0);
    EXPECT_TRUE(Messages(quarterlyUi).contains(QLatin1String("not a database")))
        << Messages(quarterlyUi);

    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content);
}

} // namespace
} // namespace tarnwick::test
