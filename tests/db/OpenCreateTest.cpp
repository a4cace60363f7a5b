#include "SourcesDatabase.h"
#include "TestDatabases.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const QString FuelInsert = QStringLiteral(
    "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
    "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', '01/01/1995', "
    "'  /  /    ', 'Y')");

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

qint64 Fuels(const QString& database) {
    return QueryValue(database, "SELECT COUNT(*) FROM FUELS").toLongLong();
}

// How many file descriptors of this process have the file open.
int OpenDescriptors(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir descriptors("/proc/self/fd");
    int count = 0;
    for (const QString& name :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(descriptors.filePath(name)) == target)
            ++count;
    return count;
}

TEST(QtSqlDrivers, BothEnginesDriversLoad) {
    EXPECT_TRUE(QSqlDatabase::isDriverAvailable("QSQLITE"));
    EXPECT_TRUE(QSqlDatabase::isDriverAvailable("QPSQL"));
}

// --- Create

class Creation : public BothEngines {};

TEST_P(Creation, KeysOfFacilitiesAndUnitsSkipRepeatedRows) {
    const QString path = FreshDatabase();
    const auto database = SourcesDatabase::Open(path);
    for (int i = 0; i < 2; ++i) {
        database->Execute("INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, "
                          "Plant_Name) VALUES (3, 1, 2001, 'Barry')");
        database->Execute("INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, "
                          "Plant_Name) VALUES (3, 2, 2001, 'Barry')");
        database->Execute("INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (3, '1')");
        database->Execute("INSERT INTO UNITS (FACILITY_ID, UNIT_ID) VALUES (3, '2')");
    }
    EXPECT_EQ(QueryValue(path, "SELECT COUNT(*) FROM FACILITIES").toLongLong(), 2);
    EXPECT_EQ(QueryValue(path, "SELECT COUNT(*) FROM UNITS").toLongLong(), 2);
}

TEST_P(Creation, RefusesADatabaseHoldingAnyOfTheTables) {
    const QString path = FreshDatabase();
    const QString all = ErrorMessageOf([&] { SourcesDatabase::Create(path); });
    EXPECT_TRUE(all.contains(u"already holds Sources tables")) << all.toStdString();
    EXPECT_TRUE(all.contains(u"EMISSIONS, FACILITIES, UNITS, FUELS, QUARTERS"))
        << all.toStdString();

    for (const char* table : {"EMISSIONS", "FACILITIES", "UNITS", "FUELS"})
        RunSql(path, QStringLiteral("DROP TABLE %1").arg(table));
    const QString one = ErrorMessageOf([&] { SourcesDatabase::Create(path); });
    EXPECT_TRUE(one.contains(u"(QUARTERS)")) << one.toStdString();

    RunSql(path, "DROP TABLE QUARTERS");
    SourcesDatabase::Create(path); // an empty database takes the tables
    SourcesDatabase::Open(path)->Execute(FuelInsert);
    EXPECT_EQ(Fuels(path), 1);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(Creation);

TEST(SqliteCreation, NewAndEmptyFilesBecomeSourcesDatabases) {
    QTemporaryDir folder;
    const QString fresh = folder.filePath("new.db");
    const QString empty = folder.filePath("empty.db");
    WriteFile(empty, {});
    for (const QString& path : {fresh, empty}) {
        SourcesDatabase::Create(path);
        const auto database = SourcesDatabase::Open(path);
        EXPECT_EQ(database->Engine(), DatabaseEngine::SQLite);
        database->Execute(FuelInsert);
        database->Close();
        EXPECT_EQ(Fuels(path), 1);
    }
}

TEST(SqliteCreation, FailureLeavesNoFileBehind) {
    QTemporaryDir folder;
    const QString path = folder.filePath("no/such/folder/new.db");
    const QString message = ErrorMessageOf([&] { SourcesDatabase::Create(path); });
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    const QString other = folder.filePath("notes.txt");
    WriteFile(other, "not a database\n");
    EXPECT_TRUE(
        ErrorMessageOf([&] { SourcesDatabase::Create(other); }).contains(u"not a database"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not a database\n");
}

// --- Open

TEST(SqliteOpen, RefusesWhatIsNoSqliteDatabase) {
    QTemporaryDir folder;
    const QString access = folder.filePath("Sources.mdb");
    WriteFile(access, QByteArray(4, '\0') + "Standard Jet DB" + QByteArray(100, '\0'));
    const QString message = ErrorMessageOf([&] { SourcesDatabase::Open(access); });
    EXPECT_TRUE(message.contains(u"Microsoft Access")) << message.toStdString();
    EXPECT_TRUE(message.contains(u"SQLite database files")) << message.toStdString();

    const QString missing = folder.filePath("missing.db");
    EXPECT_TRUE(ErrorMessageOf([&] { SourcesDatabase::Open(missing); }).contains(missing));
    EXPECT_FALSE(QFile::exists(missing));

    const QString broken = folder.filePath("broken.db");
    WriteFile(broken, QByteArray("SQLite format 3\0", 16) + QByteArray(4000, 'x'));
    EXPECT_TRUE(ErrorMessageOf([&] { SourcesDatabase::Open(broken); }).contains(broken));
}

TEST(SqliteOpen, SeveralDatabasesAtOnce) {
    const QString first = ScratchSqliteDatabase();
    const QString second = ScratchSqliteDatabase();
    const auto a = SourcesDatabase::Open(first);
    const auto b = SourcesDatabase::Open(second);
    const auto c = SourcesDatabase::Open(first);
    a->Execute(FuelInsert);
    c->Execute(QString(FuelInsert).replace("'1'", "'2'"));
    EXPECT_EQ(Fuels(first), 2);
    EXPECT_EQ(Fuels(second), 0);
    b->Close();
    EXPECT_EQ(a->ReadField("Select Count(*) as NbrFuels from Fuels", "NbrFuels").toLongLong(), 2);
}

// SQLite refuses to close a connection that still has prepared statements.
TEST(SqliteOpen, CloseLetsGoOfTheFileAfterPreparedStatementsRan) {
    const QString path = ScratchSqliteDatabase();
    const auto database = SourcesDatabase::Open(path);
    database->BeginGroup();
    database->Execute(FuelInsert);
    database->Execute("UPDATE FUELS SET STARTUP_FUEL = 'N' WHERE FACILITY_ID = 3");
    database->EndGroup();
    EXPECT_EQ(database->ReadField("Select Count(*) as NbrFuels from Fuels", "NbrFuels"), 1);
    ASSERT_GE(OpenDescriptors(path), 1);
    database->Close();
    EXPECT_EQ(OpenDescriptors(path), 0);
    EXPECT_EQ(QueryValue(path, "SELECT STARTUP_FUEL FROM FUELS").toString(), u"N");
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
        EXPECT_TRUE(message.contains(u"locked")) << message.toStdString();
        lock.exec("ROLLBACK");
        holder.close();
    }
    QSqlDatabase::removeDatabase("lock-holder");
    database->Execute(FuelInsert);
    EXPECT_EQ(Fuels(path), 1);
}

// --- PostgreSQL connections

class PostgresOpen : public BothEngines {};

PostgresSettings WithLogin(const QString& user, const QString& password) {
    PostgresSettings settings = PostgresTestServer();
    settings.User = user;
    settings.Password = password;
    settings.DatabaseName = "postgres";
    return settings;
}

TEST_P(PostgresOpen, ConnectionFileAndShortScheme) {
    const QString uri = FreshDatabase();
    QTemporaryDir folder;
    const QString file = folder.filePath("sources.pgconn");
    WriteFile(file, "\n   \n" + uri.toUtf8() + "\n# a comment after the URI\n");
    const auto database = SourcesDatabase::Open(file);
    EXPECT_EQ(database->Engine(), DatabaseEngine::PostgreSQL);
    database->Execute(FuelInsert);
    EXPECT_EQ(Fuels(uri), 1);

    QString shortUri = uri;
    shortUri.replace("postgresql://", "postgres://");
    EXPECT_EQ(SourcesDatabase::Open(shortUri)
                  ->ReadField("Select Count(*) as NbrFuels from Fuels", "NbrFuels")
                  .toLongLong(),
              1);
}

TEST_P(PostgresOpen, WrongPasswordFailsWithoutShowingIt) {
    const QString wrong = UriOf(WithLogin("tarnwick_pw", "wrong-secret-42"));
    const QString message = ErrorMessageOf([&] { SourcesDatabase::Open(wrong); });
    EXPECT_TRUE(message.contains(u"password authentication failed")) << message.toStdString();
    EXPECT_TRUE(message.contains(u"postgresql://tarnwick_pw@")) << message.toStdString();
    EXPECT_FALSE(message.contains(u"wrong-secret-42")) << message.toStdString();

    const auto right = SourcesDatabase::Open(UriOf(WithLogin("tarnwick_pw", "right-password")));
    EXPECT_EQ(right->Engine(), DatabaseEngine::PostgreSQL);
}

TEST_P(PostgresOpen, ServerDownNamesTheDatabase) {
    PostgresSettings settings = PostgresTestServer();
    settings.Host = "/nonexistent/socket/folder";
    const QString message = ErrorMessageOf([&] { SourcesDatabase::Open(UriOf(settings)); });
    EXPECT_TRUE(message.contains(u"/nonexistent/socket/folder")) << message.toStdString();
    EXPECT_TRUE(message.contains(u"No such file")) << message.toStdString();
}

TEST_P(PostgresOpen, LostConnectionInAGroupIsAnError) {
    const QString uri = FreshDatabase();
    const auto database = SourcesDatabase::Open(uri);
    database->BeginGroup();
    database->Execute(FuelInsert);
    RunSql(UriOf(PostgresTestServer()),
           QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname "
                          "= '%1' AND pid <> pg_backend_pid()")
               .arg(ParsePostgresUri(uri).DatabaseName));
    const QString message =
        ErrorMessageOf([&] { database->Execute(QString(FuelInsert).replace("'1'", "'2'")); });
    EXPECT_TRUE(message.contains(u"connection")) << message.toStdString();
    EXPECT_TRUE(message.contains(u"lost")) << message.toStdString();
    EXPECT_THROW(database->Execute(FuelInsert), Error);
    EXPECT_NO_THROW(database->EndGroup());
    EXPECT_NO_THROW(database->Close());
    EXPECT_EQ(Fuels(uri), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, PostgresOpen, testing::Values(DatabaseEngine::PostgreSQL),
                         EngineTestName);

} // namespace
} // namespace tarnwick
