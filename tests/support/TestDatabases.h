#pragma once

#include "db/DatabaseLocation.h"
#include "db/SourcesDatabase.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// Scratch Sources databases for the tests, a raw look at what landed in them, and the programs
// the tests run.
//
// PostgreSQL databases live on the throwaway test server that CTest starts for tests added
// with tarnwick_add_test(... POSTGRES); TARNWICK_TEST_PG_URI names it. A test binary run by
// hand without that variable skips its PostgreSQL cases; under CTest a missing or unreachable
// server fails them.
namespace tarnwick {

// A new Sources database file in a fresh temporary folder, removed when the tests exit.
QString ScratchSqliteDatabase();

// A new database with the Sources tables on the test server; returns its URI. Throws
// std::runtime_error, which fails the test, when the server is not configured or unreachable.
QString ScratchPostgresDatabase();

// The test server that TARNWICK_TEST_PG_URI names. Throws std::runtime_error when unset.
PostgresSettings PostgresTestServer();

// The URI of the settings, password included, percent-encoded.
QString UriOf(const PostgresSettings& settings);

// Drops a database made by ScratchPostgresDatabase, closing any connection still on it.
void DropPostgresDatabase(const QString& uri);

// True when PostgreSQL cases are to be skipped: no test server named, outside CTest.
bool PostgresTestsSkipped();

// Reads through a Qt SQL connection of its own, past the layer under test. `database` is a
// SQLite file, a postgresql:// URI or a connection file. Throws std::runtime_error.
QVariant QueryValue(const QString& database, const QString& sql); // first column of first row
QList<QVariantList> QueryRows(const QString& database, const QString& sql);
void RunSql(const QString& database, const QString& sql);

// The message of the Error that `action` throws; a test failure when it throws none.
QString ErrorMessageOf(const std::function<void()>& action);

// A finished program: its exit code, -1 when it crashed or did not end within two minutes.
struct ProgramRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// Runs command[0] with the rest as its arguments, from the folder /, which any user can enter,
// with `environment` ("NAME=value") added to this process's.
ProgramRun RunProgram(QStringList command, const QStringList& environment = {});

// The headless runner of this build, tarnwick-batch. Throws std::runtime_error outside CTest.
QString BatchProgram();

std::string EngineTestName(const testing::TestParamInfo<DatabaseEngine>& info);

// Names the engine in GoogleTest's messages.
void PrintTo(DatabaseEngine engine, std::ostream* out);

// A test that runs once on each engine:
//   class MyTest : public tarnwick::BothEngines {};
//   TEST_P(MyTest, Case) { const QString path = FreshDatabase(); ... }
//   TARNWICK_INSTANTIATE_BOTH_ENGINES(MyTest);
class BothEngines : public testing::TestWithParam<DatabaseEngine> {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new, empty Sources database on this run's engine.
    QString FreshDatabase();

private:
    QStringList PostgresDatabases;
};

} // namespace tarnwick

#define TARNWICK_INSTANTIATE_BOTH_ENGINES(Fixture)                                                 \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, Fixture,                                                                          \
        testing::Values(tarnwick::DatabaseEngine::SQLite, tarnwick::DatabaseEngine::PostgreSQL),   \
        tarnwick::EngineTestName)

// For a test body that needs the PostgreSQL test server.
#define TARNWICK_REQUIRE_POSTGRES()                                                                \
    if (tarnwick::PostgresTestsSkipped())                                                          \
    GTEST_SKIP() << "TARNWICK_TEST_PG_URI is not set; run through ctest for PostgreSQL tests"
