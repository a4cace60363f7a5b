#include "db/DatabaseConnection.h"
#include "db/SourcesDatabase.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/TestDatabases.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using test::OpenDescriptors;
using test::WriteBytes;

const QString FuelInsert = QStringLiteral(
    "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
    "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', '01/01/1995', "
    "'  /  /    ', 'Y')");
const QString FuelCount = QStringLiteral("Select Count(*) as NbrFuels from Fuels");

qint64 Fuels(const QString& database) {
    return QueryValue(database, "SELECT COUNT(*) FROM FUELS").toLongLong();
}

class Creation : public BothEngines {};

TEST(EngineSentence, DriverLinesBecomeSentencesWithoutPointersIntoTheStatement) {
    const struct {
        const char* Driver;
        const char* Shown;
    } cases[] = {
        {"connection failed: No such file or directory\n\tIs the server running?\n",
         "connection failed: No such file or directory. Is the server running?"},
        {"FATAL:  terminating connection\nserver closed the connection unexpectedly\n\tThis "
         "probably means the server terminated abnormally\n\tbefore or while processing.\n(57P01)",
         "FATAL: terminating connection. server closed the connection unexpectedly. This probably "
         "means the server terminated abnormally before or while processing (57P01)."},
        {"ERROR:  canceling statement due to lock timeout\nLINE 1: PREPARE q AS INSERT INTO "
         "\"emissions\" (...\n        ^\n",
         "ERROR: canceling statement due to lock timeout."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EngineSentence(QString::fromLatin1(c.Driver)), QString::fromLatin1(c.Shown));
}

TEST_P(Creation, RefusesADatabaseHoldingAnyOfTheTables) {
    const QString path = FreshDatabase();
    const QString all = ErrorMessageOf([&] { SourcesDatabase::Create(path); });
    EXPECT_TRUE(all.contains(u"already holds Sources tables")) << all;
    EXPECT_TRUE(all.contains(u"EMISSIONS, FACILITIES, UNITS, FUELS, QUARTERS")) << all;
    for (const char* table : {"EMISSIONS", "FACILITIES", "UNITS", "FUELS"})
        RunSql(path, QStringLiteral("DROP TABLE %1").arg(table));
    const QString one = ErrorMessageOf([&] { SourcesDatabase::Create(path); });
    EXPECT_TRUE(one.contains(u"(QUARTERS)")) << one;
    RunSql(path, "DROP TABLE QUARTERS");
    SourcesDatabase::Create(path); // an empty database takes the tables
    SourcesDatabase::Open(path)->Execute(FuelInsert);
    EXPECT_EQ(Fuels(path), 1);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(Creation);

TEST(SqliteCreation, NewAndEmptyFilesBecomeSourcesDatabasesAndFailuresLeaveNoTrace) {
    QTemporaryDir folder;
    for (const QString& path :
         {folder.filePath("new.db"), WriteBytes(folder.filePath("e.db"), {})}) {
        SourcesDatabase::Create(path);
        const auto database = SourcesDatabase::Open(path);
        EXPECT_EQ(database->Engine(), DatabaseEngine::SQLite);
        database->Execute(FuelInsert);
        database->Close();
        EXPECT_EQ(Fuels(path), 1);
    }
    const QString nowhere = folder.filePath("no/such/folder/new.db");
    EXPECT_TRUE(ErrorMessageOf([&] { SourcesDatabase::Create(nowhere); }).contains(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere));
    const QString other = WriteBytes(folder.filePath("notes.txt"), "not a database\n");
    EXPECT_TRUE(
        ErrorMessageOf([&] { SourcesDatabase::Create(other); }).contains(u"not a database"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not a database\n");
}

TEST(SqliteOpen, AMissingFileIsNotMadeAndABrokenOneIsNamed) {
    QTemporaryDir folder;
    const QString missing = folder.filePath("missing.db");
    EXPECT_TRUE(ErrorMessageOf([&] { SourcesDatabase::Open(missing); }).contains(missing));
    EXPECT_FALSE(QFile::exists(missing));
    const QString broken = WriteBytes(folder.filePath("broken.db"),
                                      QByteArray("SQLite format 3\0", 16) + QByteArray(4000, 'x'));
    EXPECT_TRUE(ErrorMessageOf([&] { SourcesDatabase::Open(broken); }).contains(broken));
}

TEST(SqliteOpen, SeveralDatabasesAtOnceEachLettingGoOfItsFileOnClose) {
    const QString first = ScratchSqliteDatabase();
    const QString second = ScratchSqliteDatabase();
    const auto a = SourcesDatabase::Open(first);
    const auto b = SourcesDatabase::Open(second);
    const auto c = SourcesDatabase::Open(first);
    a->BeginGroup();
    a->Execute(FuelInsert);
    a->Execute("UPDATE FUELS SET STARTUP_FUEL = 'N' WHERE FACILITY_ID = 3");
    a->EndGroup();
    c->Execute(QString(FuelInsert).replace("'1'", "'2'"));
    EXPECT_EQ(Fuels(second), 0);
    b->Close();
    EXPECT_EQ(a->ReadField(FuelCount, "NbrFuels").toLongLong(), 2);
    // SQLite refuses to close a connection that still has prepared statements.
    ASSERT_GE(OpenDescriptors(first), 1);
    a->Close();
    c->Close();
    EXPECT_EQ(OpenDescriptors(first), 0);
    EXPECT_EQ(QueryValue(first, "SELECT STARTUP_FUEL FROM FUELS WHERE UNIT_ID = '1'").toString(),
              u"N");
}

TEST(SqliteOpen, ALockedFileIsWaitedForThenReported) {
    const QString path = ScratchSqliteDatabase();
    const auto database = SourcesDatabase::Open(path);
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "lock-holder");
        holder.setDatabaseName(path);
        ASSERT_TRUE(holder.open());
        QSqlQuery lock(holder);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
        QElapsedTimer timer;
        timer.start();
        const QString message = ErrorMessageOf([&] { database->Execute(FuelInsert); });
        EXPECT_GE(timer.elapsed(), 4000);
        EXPECT_TRUE(message.contains(u"locked")) << message;
        lock.exec("ROLLBACK");
        holder.close();
    }
    QSqlDatabase::removeDatabase("lock-holder");
    database->Execute(FuelInsert);
    EXPECT_EQ(Fuels(path), 1);
}

class PostgresOpen : public BothEngines {};

TEST_P(PostgresOpen, ConnectionFileAndShortScheme) {
    const QString uri = FreshDatabase();
    QTemporaryDir folder;
    const QString file = WriteBytes(folder.filePath("sources.pgconn"),
                                    "\n   \n" + uri.toUtf8() + "\n# a comment after the URI\n");
    const auto database = SourcesDatabase::Open(file);
    EXPECT_EQ(database->Engine(), DatabaseEngine::PostgreSQL);
    database->Execute(FuelInsert);
    const auto again = SourcesDatabase::Open(QString(uri).replace("postgresql:", "postgres:"));
    EXPECT_EQ(again->ReadField(FuelCount, "NbrFuels").toLongLong(), 1);
}

TEST_P(PostgresOpen, LoginFailuresNameTheDatabaseButNotThePassword) {
    PostgresSettings settings = PostgresTestServer();
    settings.User = "tarnwick_pw";
    settings.Password = "wrong-secret-42";
    settings.DatabaseName = "postgres";
    const QString wrong = ErrorMessageOf([&] { SourcesDatabase::Open(UriOf(settings)); });
    EXPECT_TRUE(wrong.contains(u"password authentication failed")) << wrong;
    EXPECT_TRUE(wrong.contains(u"postgresql://tarnwick_pw@")) << wrong;
    EXPECT_FALSE(wrong.contains(u"wrong-secret-42")) << wrong;
    settings.Password = "right-password";
    EXPECT_EQ(SourcesDatabase::Open(UriOf(settings))->Engine(), DatabaseEngine::PostgreSQL);

    settings.Host = "/nonexistent/socket/folder";
    const QString down = ErrorMessageOf([&] { SourcesDatabase::Open(UriOf(settings)); });
    EXPECT_TRUE(down.contains(u"/nonexistent/socket/folder")) << down;
    EXPECT_TRUE(down.contains(u"No such file")) << down;
    // The driver's lines become sentences: none runs into the next, none ends in "?.".
    EXPECT_TRUE(down.contains(u"directory. Is the server running")) << down;
    EXPECT_FALSE(down.contains(u"?.")) << down;
}

TEST_P(PostgresOpen, LostConnectionInAGroupIsAnError) {
    const QString uri = FreshDatabase();
    const auto database = SourcesDatabase::Open(uri);
    database->BeginGroup();
    database->Execute(FuelInsert);
    RunSql(uri, "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid()");
    const QString message =
        ErrorMessageOf([&] { database->Execute(QString(FuelInsert).replace("'1'", "'2'")); });
    EXPECT_TRUE(message.contains(u"connection") && message.contains(u"lost")) << message;
    // What follows the failure is said before the statement is quoted.
    EXPECT_TRUE(message.indexOf(u"were lost with it.") < message.indexOf(u" Statement: INSERT"))
        << message;
    EXPECT_THROW(database->Execute(FuelInsert), Error);
    EXPECT_NO_THROW(database->EndGroup());
    EXPECT_NO_THROW(database->Close());
    EXPECT_EQ(Fuels(uri), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, PostgresOpen, testing::Values(DatabaseEngine::PostgreSQL),
                         EngineTestName);

} // namespace
} // namespace tarnwick
