#include "db/DatabaseConnection.h"
#include "tests/reliability/FaultHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <unistd.h>

// Databases that fail under or before a batch, and files that go away during one.
namespace tarnwick::test {
namespace {

// The newest installed PostgreSQL's pg_ctl, where the test server script finds it too.
QString PgCtl() {
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return versions.isEmpty() ? QStringLiteral("pg_ctl")
                              : "/usr/lib/postgresql/" + versions.last() + "/bin/pg_ctl";
}

// A PostgreSQL server of the test's own, to stop and start under a running batch. The
// project's test server script makes it; pg_ctl stops and starts it, keeping its data folder,
// which the script's own start would wipe.
class OwnServer {
public:
    OwnServer() {
        const ProgramRun run = RunProgram({Script(), QStringLiteral("start"), Folder, Port});
        Fault = run.ExitCode == 0 ? QString() : run.Out + run.Err;
    }
    ~OwnServer() { RunProgram({Script(), QStringLiteral("stop"), Folder, Port}); }

    void Stop() { Control({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}); }
    void Start() {
        Control({QStringLiteral("-l"), Folder + "/server.log", QStringLiteral("start")});
    }

    QString NewSourcesDatabase() {
        static int databases = 0;
        const QString name = QStringLiteral("sources_%1").arg(++databases);
        RunSql(Uri(QStringLiteral("postgres")), QStringLiteral("CREATE DATABASE ") + name);
        SourcesDatabase::Create(Uri(name));
        return Uri(name);
    }

    QString Fault; // why the server did not start

private:
    static QString Script() {
        return qEnvironmentVariable("TARNWICK_SOURCE_DIR") + "/scripts/pg-test-server.sh";
    }
    QString Uri(const QString& database) const {
        return QStringLiteral("postgresql:///%1?host=%2/socket&port=%3&user=postgres")
            .arg(database, Folder, Port);
    }
    // pg_ctl as postgres when we are root: the server refuses root.
    void Control(const QStringList& action) {
        QStringList command{PgCtl(), "-D", Folder + "/data", "-w", "-t", "60"};
        if (geteuid() == 0)
            command = QStringList{"runuser", "-u", "postgres", "--"} + command;
        const ProgramRun run = RunProgram(command + action);
        EXPECT_EQ(run.ExitCode, 0) << run.Out + run.Err;
    }

    QString Folder =
        QStringLiteral("/tmp/tarnwick-fault-pg-%1").arg(QCoreApplication::applicationPid());
    QString Port = QStringLiteral("5441");
};

// A fault strikes while a batch runs over three files: the hourly batch stops at the file it
// strikes, the quarterly batch names each file it could not extract and goes on; the files
// before stay, and once the fault is gone the same program run loads the folder whole.

// How a fault strikes: the file f2.DAT deleted or replaced by a folder, the SQLite file moved away,
// a statement run, another connection holding a lock, the server stopped.
enum class Strike { DeleteFile, FolderForFile, MoveDatabase, Sql, Lock, StopServer };

struct MidBatchFault {
    const char* Name;
    Strike How;
    bool Postgres;         // on a server of the test's own, else on SQLite
    const char* Sql;       // the statements that break, separated by ';'
    const char* RepairSql; // the statement that mends
    // The record progress in the second file's turn at which the fault strikes: 100 once the
    // first file is written, 28.57 after the second of the seven hourly writers; 0 before the
    // batch.
    float At;
    const char* Reason;         // in the message, without regard to case
    const char* HourlyStopsAt;  // nullptr: the hourly batch is not tried
    const char* QuarterlyFails; // the files it cannot extract; nullptr: not tried
};

const MidBatchFault Faults[] = {
    {"FileDeleted", Strike::DeleteFile, false, "", "", 100, "No such file", "f2.DAT", "f2.DAT"},
    {"DatabaseMovedAway", Strike::MoveDatabase, false, "", "", 100,
     "no longer exists: it was deleted or moved", nullptr, "f2.DAT f3.DAT"},
    {"DatabaseMovedAwayInsideAFile", Strike::MoveDatabase, false, "", "", 28.5714f,
     "no longer exists: it was deleted or moved", "f2.DAT", nullptr},
    {"FolderInPlaceOfAFile", Strike::FolderForFile, false, "", "", 100, "f2.DAT", "f2.DAT",
     "f2.DAT"},
    {"TableMissing", Strike::Sql, false, "ALTER TABLE QUARTERS RENAME TO AWAY",
     "ALTER TABLE AWAY RENAME TO QUARTERS", 0, "quarters", "f1.DAT", "f1.DAT f2.DAT f3.DAT"},
    {"ColumnMissing", Strike::Sql, false,
     "ALTER TABLE EMISSIONS DROP COLUMN NOX_AVG_PPM_PER_HOUR_ADJ",
     "ALTER TABLE EMISSIONS ADD COLUMN NOX_AVG_PPM_PER_HOUR_ADJ REAL", 0,
     "NOX_AVG_PPM_PER_HOUR_ADJ", "f1.DAT", nullptr},
    {"DatabaseLocked", Strike::Lock, false, "BEGIN EXCLUSIVE", "", 100, "locked", "f2.DAT",
     "f2.DAT f3.DAT"},
    {"ReaderHoldsTheDatabaseAtCommit", Strike::Lock, false, "BEGIN; SELECT COUNT(*) FROM EMISSIONS",
     "", 100, "database is locked. Another program holds the database locked.", "f2.DAT",
     "f2.DAT f3.DAT"},
    {"TablesLockedByAnotherSession", Strike::Lock, true,
     "BEGIN; LOCK TABLE EMISSIONS, FACILITIES, UNITS, FUELS, QUARTERS IN SHARE MODE", "", 0,
     "Another program holds the database locked", "f1.DAT", "f1.DAT f2.DAT f3.DAT"},
    {"ServerStopped", Strike::StopServer, true, "", "", 100, "connection", "f2.DAT",
     "f2.DAT f3.DAT"},
    {"ServerStoppedInsideAFile", Strike::StopServer, true, "", "", 28.5714f, "connection", "f2.DAT",
     nullptr},
};

struct FaultCase {
    const MidBatchFault* Fault;
    bool Hourly;
};

class FaultDuringBatchTest : public testing::TestWithParam<FaultCase> {
protected:
    static void TearDownTestSuite() { Server.reset(); }

    void SetUp() override {
        if (Fault.Postgres) {
            if (!Server)
                Server = std::make_unique<OwnServer>();
            ASSERT_TRUE(Server->Fault.isEmpty()) << Server->Fault;
            Run.State.DatabasePath = Server->NewSourcesDatabase();
        } else {
            Run.State.DatabasePath = ScratchSqliteDatabase();
        }
        for (int id = 1; id <= 3; ++id)
            WriteFile(id);
    }

    // File f<id>: 4 - id hours, each with a "201" and a "202" record, and a quarterly report.
    void WriteFile(int id) {
        QByteArrayList lines = HourlyLines(id, 4 - id);
        for (int hour = 1; hour <= 4 - id; ++hour)
            lines << CO2ConcLine("1", "010315", "0" + QByteArray::number(hour), "  10.5", "100.0");
        Run.Write(QStringLiteral("f%1.DAT").arg(id), lines + QuarterlyLines(id));
    }

    void Break() {
        if (Fault.How == Strike::DeleteFile || Fault.How == Strike::FolderForFile)
            QFile::remove(Run.Path("f2.DAT"));
        if (Fault.How == Strike::FolderForFile)
            QDir(Run.Folder.path()).mkdir("f2.DAT");
        if (Fault.How == Strike::MoveDatabase) {
            EXPECT_TRUE(QFile::rename(Run.State.DatabasePath, Run.State.DatabasePath + ".away"));
        }
        if (*Fault.Sql)
            Holder = std::make_unique<DatabaseConnection>(LocateDatabase(Run.State.DatabasePath));
        for (const QString& statement : QString(Fault.Sql).split(u';', Qt::SkipEmptyParts))
            EXPECT_FALSE(Holder->Run(statement).isValid()) << statement;
        if (Fault.How == Strike::Sql)
            Holder.reset();
        if (Fault.How == Strike::StopServer)
            Server->Stop();
    }
    void Repair() {
        Holder.reset();
        if (Fault.How == Strike::StopServer)
            Server->Start();
        if (Fault.How == Strike::MoveDatabase) {
            EXPECT_TRUE(QFile::rename(Run.State.DatabasePath + ".away", Run.State.DatabasePath));
        }
        if (Fault.How == Strike::Sql)
            RunSql(Run.State.DatabasePath, Fault.RepairSql);
        QDir(Run.Folder.path()).rmdir("f2.DAT");
        WriteFile(2);
    }

    static inline std::unique_ptr<OwnServer> Server;
    const MidBatchFault& Fault = *GetParam().Fault;
    DatRun Run;
    std::unique_ptr<DatabaseConnection> Holder;
};

std::vector<FaultCase> FaultCases() {
    std::vector<FaultCase> cases;
    for (const MidBatchFault& fault : Faults) {
        if (fault.HourlyStopsAt)
            cases.push_back({&fault, true});
        if (fault.QuarterlyFails)
            cases.push_back({&fault, false});
    }
    return cases;
}

TEST_P(FaultDuringBatchTest, FailingFilesAreNamedAndTheSameRunCompletesOnceTheFaultIsGone) {
    const bool hourly = GetParam().Hourly;
    const QStringList failing =
        QString::fromLatin1(hourly ? Fault.HourlyStopsAt : Fault.QuarterlyFails).split(u' ');
    const Extraction extract = hourly ? ExtractHourlyData : ExtractQuarterlyData;
    ScriptedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (ui.FilesWritten == 1 && qAbs(value - Fault.At) < 0.01f)
            Break();
    };
    if (Fault.At == 0)
        Break();
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = Run.Extract(extract, ui);

    EXPECT_LT(clock.elapsed(), 30000);
    const QString message = ui.Messages();
    EXPECT_TRUE(message.contains(QLatin1String(Fault.Reason), Qt::CaseInsensitive)) << message;
    for (const QString& file : failing)
        EXPECT_TRUE(message.contains(Run.Path(file))) << message;
    Repair();
    const int stop = hourly ? failing[0].mid(1, 1).toInt() : 0;
    EXPECT_EQ(outcome.Stopped, hourly);
    EXPECT_EQ(outcome.FilesExtracted, hourly ? stop - 1 : 3 - failing.size());
    // When the hourly message says that the failing file's rows up to a line stay, they do: those
    // of its hours on the lines before it, from line 2 on.
    const QRegularExpressionMatch kept =
        QRegularExpression(QStringLiteral("and of this file up to line (\\d+)")).match(message);
    const int line = kept.hasMatch() ? kept.captured(1).toInt() : 0;
    EXPECT_EQ(kept.hasMatch(), line > 0) << message;
    for (int id = 1; id <= 3; ++id) {
        const int rows = !hourly      ? !failing.contains(QStringLiteral("f%1.DAT").arg(id))
                         : id == stop ? std::clamp(line - 2, 0, 4 - id)
                                      : (id < stop) * (4 - id);
        EXPECT_EQ(Run.Rows(hourly ? "EMISSIONS" : "QUARTERS", FacilityIs(id)), rows)
            << id << message;
    }

    ScriptedBatchUi again;
    EXPECT_TRUE(Run.Extract(extract, again).Succeeded()) << again.Messages();
    EXPECT_EQ(hourly ? Run.Rows("EMISSIONS", "NOX_AVG_PPM_PER_HOUR_ADJ = 45 AND "
                                             "CO2_AVG_PCT_CONC_PER_HOUR = 10.5")
                     : Run.Rows("QUARTERS"),
              hourly ? 6 : 3);
    if (Fault.Postgres) {
        EXPECT_EQ(DuplicateKeyRows(Run.State.DatabasePath), 0);
    } else {
        ExpectSqliteSound(Run.State.DatabasePath);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultDuringBatchTest, testing::ValuesIn(FaultCases()),
                         [](const testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.Fault->Name) +
                                    (info.param.Hourly ? "Hourly" : "Quarterly");
                         });

// A SQLite file the runner cannot write: both commands fail with the reason and leave the file
// byte for byte as it was.
QByteArray Content(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UnwritableDatabaseTest : public testing::Test {
protected:
    void SetUp() override { Run.Write("a.DAT", QuarterlyLines(1) + HourlyLines(1, 2)); }

    // Runs tarnwick-batch hourly and quarterly over the folder, as `user` when given.
    void ExpectBothCommandsRefused(const QString& database, const char* reason,
                                   const QString& user = {}) {
        const QByteArray before = Content(database);
        for (const char* command : {"hourly", "quarterly"}) {
            QStringList run{BatchProgram(), command, database, Run.State.DatFolder};
            if (!user.isEmpty())
                run = QStringList{"runuser", "-u", user, "--"} + run;
            const ProgramRun refused = RunProgram(run);
            EXPECT_EQ(refused.ExitCode, 1) << command;
            EXPECT_TRUE(refused.Err.contains(database) && refused.Err.contains(reason))
                << refused.Err;
        }
        EXPECT_EQ(Content(database), before);
    }

    DatRun Run;
};

TEST_F(UnwritableDatabaseTest, ReadOnlyDatabaseIsRefusedAndLeftAsItWasThenLoadsWholeForItsOwner) {
    const bool root = geteuid() == 0;
    const QString user = root ? QStringLiteral("nobody") : QString();
    if (root &&
        RunProgram({"runuser", "-u", user, "--", BatchProgram(), "--version"}).ExitCode != 0)
        GTEST_SKIP() << "as root, and the runner cannot be run as " << user.toStdString()
                     << ", for whom the file would be read-only";
    // Folders the other user can reach, the database's folder unwritable to it too.
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("Sources.db"));
    SourcesDatabase::Create(database);
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(folder.path(), readable));
    ASSERT_TRUE(QFile::setPermissions(Run.Folder.path(), readable));
    if (!root) {
        QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther);
    }

    ExpectBothCommandsRefused(database, "read-only", user);

    QFile::setPermissions(folder.path(), readable);
    QFile::setPermissions(database, readable);
    Run.State.DatabasePath = database;
    Run.ExpectBothComplete();
    EXPECT_EQ(Run.Rows("EMISSIONS"), 2);
    EXPECT_EQ(Run.Rows("FACILITIES"), 1);
}

TEST_F(UnwritableDatabaseTest, CorruptFileChosenAsTheDatabaseIsRefusedAndNotWritten) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray content("SQLite format 3\0", 16);
    for (int i = 0; i < 8192; ++i)
        content.append(char(byte(random)));

    ExpectBothCommandsRefused(WriteBytes(Run.Path("Sources.db"), content), "not a database");
}

} // namespace
} // namespace tarnwick::test
