#include "DatabaseConnection.h"
#include "FaultHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QVersionNumber>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace tarnwick::test {
namespace {

// A failure must come back in this time, not after a connection timeout or never.
constexpr qint64 PromptMs = 30000;

QString SourceDir() {
    return qEnvironmentVariable("TARNWICK_SOURCE_DIR");
}

// The newest installed PostgreSQL's programs, where the test server script finds them too.
QString PostgresProgram(const QString& name) {
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return QVersionNumber::fromString(a) < QVersionNumber::fromString(b);
    });
    return found.isEmpty() ? name
                           : versions.filePath(found.last() + QStringLiteral("/bin/") + name);
}

// Runs from /, which any user can enter. pg_ctl runs as postgres when we are root (the server
// refuses root); the script switches user itself, as the checkout may be closed to postgres.
bool Run(QStringList command, QString& output, bool asServerOwner = false) {
    if (asServerOwner && geteuid() == 0)
        command = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"),
                              QStringLiteral("postgres"), QStringLiteral("--")} +
                  command;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start(command.takeFirst(), command);
    const bool finished = process.waitForFinished(120000);
    output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A server of the test's own that it can stop and start under a running batch. It is made by
// the project's test server script; stop and start keep its data folder, which the script's
// own start would wipe.
class OwnServer {
public:
    OwnServer()
        : Folder(
              QStringLiteral("/tmp/tarnwick-fault-pg-%1").arg(QCoreApplication::applicationPid())) {
        QString output;
        Ready = Run({Script(), QStringLiteral("start"), Folder, Port}, output);
        if (!Ready)
            Fault = output;
    }
    ~OwnServer() {
        QString output;
        Run({Script(), QStringLiteral("stop"), Folder, Port}, output);
    }

    bool Ready = false;
    QString Fault;

    void Stop() { Control({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}); }
    void Start() {
        Control({QStringLiteral("-l"), Folder + QStringLiteral("/server.log"),
                 QStringLiteral("start")});
    }

    // A new database with the Sources tables.
    QString NewSourcesDatabase(const QString& name) {
        RunSql(Uri(QStringLiteral("postgres")), QStringLiteral("CREATE DATABASE ") + name);
        const QString uri = Uri(name);
        SourcesDatabase::Create(uri);
        return uri;
    }

private:
    static QString Script() { return SourceDir() + QStringLiteral("/scripts/pg-test-server.sh"); }

    QString Uri(const QString& database) const {
        return QStringLiteral("postgresql:///%1?host=%2/socket&port=%3&user=postgres")
            .arg(database, Folder, Port);
    }

    void Control(const QStringList& action) {
        QString output;
        QStringList command =
            QStringList{QStringLiteral("-D"), Folder + QStringLiteral("/data"),
                        QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60")} +
            action;
        command.prepend(PostgresProgram(QStringLiteral("pg_ctl")));
        EXPECT_TRUE(Run(command, output, true)) << output.toStdString();
    }

    QString Folder;
    QString Port = QStringLiteral("5441");
};

class ServerGoneTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Server = std::make_unique<OwnServer>(); }
    static void TearDownTestSuite() { Server.reset(); }

    void SetUp() override {
        ASSERT_TRUE(Server->Ready) << Server->Fault.toStdString();
        static int databases = 0;
        State.DatabasePath =
            Server->NewSourcesDatabase(QStringLiteral("sources_%1").arg(++databases));
        State.DatFolder = Folder.Prefix();
        for (int id = 1; id <= 3; ++id) {
            // Each file fills two writers, so a failure can fall between them.
            QByteArrayList lines = HourlyLines(id, 4 - id);
            for (int hour = 1; hour <= 4 - id; ++hour)
                lines << CO2ConcLine("1", "010315", QByteArray::number(hour).rightJustified(2, '0'),
                                     "  10.5", "100.0");
            Folder.WriteLines(QStringLiteral("f%1.DAT").arg(id), lines);
        }
    }
    void TearDown() override { CloseDatabase(State); }

    qint64 Rows(const QString& where = {}) const {
        return RowCount(State.DatabasePath, "EMISSIONS", where);
    }

    static std::unique_ptr<OwnServer> Server;
    ScratchDatFolder Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

std::unique_ptr<OwnServer> ServerGoneTest::Server;

TEST_F(ServerGoneTest, ServerStoppedBetweenFilesStopsTheBatchPromptlyAndTheSameRunGoesOnLater) {
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            Server->Stop();
    };
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_LT(clock.elapsed(), PromptMs);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("f2.DAT")))) << message;
    EXPECT_TRUE(message.contains(QLatin1String("connection"), Qt::CaseInsensitive)) << message;

    Server->Start();
    EXPECT_EQ(Rows(FacilityIs(1)), 3);
    EXPECT_EQ(Rows(), 3);

    // The window stays open over a server restart: the same command again finishes the folder.
    HookedBatchUi again;
    EXPECT_TRUE(ExtractHourlyData(State, again, Listing).Succeeded()) << Messages(again);
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(DuplicateKeyRows(State.DatabasePath), 0);
}

TEST_F(ServerGoneTest, ServerStoppedInsideAFileLosesOnlyThatFilesUncommittedRows) {
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        // After the second writer of the second file, before its third.
        if (ui.FilesWritten == 1 && value > 28 && value < 29)
            Server->Stop();
    };
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_LT(clock.elapsed(), PromptMs);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(Folder.FilePath(QStringLiteral("f2.DAT")))) << message;
    EXPECT_TRUE(message.contains(QLatin1String("connection"), Qt::CaseInsensitive)) << message;

    Server->Start();
    EXPECT_EQ(Rows(FacilityIs(1)), 3);
    if (Rows(FacilityIs(2)) == 0) {
        EXPECT_FALSE(PromisesRowsStay(message)) << message;
    }

    RunState later = LaterRun(State);
    HookedBatchUi again;
    EXPECT_TRUE(ExtractHourlyData(later, again, Listing).Succeeded()) << Messages(again);
    CloseDatabase(later);
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(DuplicateKeyRows(State.DatabasePath), 0);
}

// Another session holds a table locked: the batch waits a bounded time, then says so.
TEST_F(ServerGoneTest, ATableLockedByAnotherSessionStopsTheBatchWithAMessageThenGoesOn) {
    auto holder = std::make_unique<DatabaseConnection>(LocateDatabase(State.DatabasePath));
    ASSERT_FALSE(holder->Run("BEGIN").isValid());
    ASSERT_FALSE(holder->Run("LOCK TABLE emissions IN SHARE MODE").isValid());
    HookedBatchUi ui;
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Listing);

    EXPECT_LT(clock.elapsed(), PromptMs);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 0);
    EXPECT_TRUE(Messages(ui).contains("Another program holds the database locked")) << Messages(ui);
    holder.reset();
    HookedBatchUi again;
    EXPECT_TRUE(ExtractHourlyData(State, again, Listing).Succeeded()) << Messages(again);
    EXPECT_EQ(Rows(), 6);
}

TEST_F(ServerGoneTest, ServerStoppedDuringTheQuarterlyBatchFailsEachLaterFilePromptly) {
    for (int id = 1; id <= 3; ++id)
        Folder.WriteLines(QStringLiteral("f%1.DAT").arg(id), QuarterlyLines(id));
    HookedBatchUi ui;
    ui.OnRecordProgress = [&](float value) {
        if (value == 100 && ui.FilesWritten == 1)
            Server->Stop();
    };
    QElapsedTimer clock;
    clock.start();

    const BatchOutcome outcome = ExtractQuarterlyData(State, ui, Listing);

    EXPECT_LT(clock.elapsed(), PromptMs);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    const QString message = Messages(ui);
    for (const char* name : {"f2.DAT", "f3.DAT"})
        EXPECT_TRUE(message.contains(Folder.FilePath(QLatin1String(name)))) << message;

    Server->Start();
    EXPECT_EQ(RowCount(State.DatabasePath, "QUARTERS"), 1);
    HookedBatchUi again;
    EXPECT_TRUE(ExtractQuarterlyData(State, again, Listing).Succeeded()) << Messages(again);
    EXPECT_EQ(RowCount(State.DatabasePath, "QUARTERS"), 3);
    EXPECT_EQ(DuplicateKeyRows(State.DatabasePath), 0);
}

TEST(WrongPasswordTest, LoginIsRefusedPromptlyWithoutShowingThePasswordAndTheRightOneWorks) {
    TARNWICK_REQUIRE_POSTGRES();
    // The test server's password role; the scratch database's tables are opened to it.
    const QString database = ScratchPostgresDatabase();
    RunSql(database, QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO tarnwick_pw"));
    PostgresSettings login = ParsePostgresUri(database);
    login.User = QStringLiteral("tarnwick_pw");
    login.Password = QStringLiteral("wrong-password");
    ScratchDatFolder folder;
    folder.WriteLines(QStringLiteral("a.DAT"), HourlyLines(1, 2));
    const QString connectionFile = folder.FilePath(QStringLiteral("Sources.connection"));
    folder.WriteBytes(QStringLiteral("Sources.connection"), UriOf(login).toUtf8() + '\n');
    FileSystemDatDirectory listing;

    RunState state;
    state.DatabasePath = connectionFile;
    state.DatFolder = folder.Prefix();
    HookedBatchUi ui;
    QElapsedTimer clock;
    clock.start();
    const BatchOutcome outcome = ExtractHourlyData(state, ui, listing);
    EXPECT_LT(clock.elapsed(), PromptMs);
    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 0);
    const QString message = Messages(ui);
    EXPECT_TRUE(message.contains(QLatin1String("password authentication failed"))) << message;
    EXPECT_FALSE(message.contains(login.Password)) << message;

    const ProgramRun run =
        RunBatchProgram({QStringLiteral("hourly"), connectionFile, folder.Prefix()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Err.contains(QLatin1String("password authentication failed"))) << run.Err;
    EXPECT_FALSE((run.Out + run.Err).contains(login.Password)) << run.Err;
    EXPECT_EQ(RowCount(database, "EMISSIONS"), 0);

    login.Password = QStringLiteral("right-password");
    folder.WriteBytes(QStringLiteral("Sources.connection"), UriOf(login).toUtf8() + '\n');
    RunState later = LaterRun(state);
    HookedBatchUi again;
    EXPECT_TRUE(ExtractHourlyData(later, again, listing).Succeeded()) << Messages(again);
    CloseDatabase(later);
    EXPECT_EQ(RowCount(database, "EMISSIONS"), 2);
    DropPostgresDatabase(database);
}

} // namespace
} // namespace tarnwick::test
