#include "tests/support/TestDatabases.h"

#include "db/DatabaseConnection.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tarnwick {

namespace {

[[noreturn]] void Fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

QString WithSourcesTables(const QString& database) {
    try {
        SourcesDatabase::Create(database);
    } catch (const Error& error) {
        Fail(error.Message);
    }
    return database;
}

} // namespace

QString UriOf(const PostgresSettings& settings) {
    const auto encoded = [](const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    };
    QString uri = QStringLiteral("postgresql://") + encoded(settings.User);
    if (!settings.Password.isEmpty())
        uri += u':' + encoded(settings.Password);
    uri += u'@';
    if (!settings.Host.startsWith(u'/'))
        uri += settings.Host;
    if (settings.Port > 0)
        uri += u':' + QString::number(settings.Port);
    uri += u'/' + encoded(settings.DatabaseName);
    QStringList parameters;
    if (settings.Host.startsWith(u'/'))
        parameters << QStringLiteral("host=") + encoded(settings.Host);
    for (const auto& [key, value] : settings.Options)
        parameters << encoded(key) + u'=' + encoded(value);
    return parameters.isEmpty() ? uri : uri + u'?' + parameters.join(u'&');
}

PostgresSettings PostgresTestServer() {
    const QString uri = qEnvironmentVariable("TARNWICK_TEST_PG_URI");
    if (uri.isEmpty())
        Fail(QStringLiteral("TARNWICK_TEST_PG_URI is not set: add POSTGRES to this test's "
                            "tarnwick_add_test"));
    return ParsePostgresUri(uri);
}

QString ScratchSqliteDatabase() {
    // Kept to the end of the run; their destructors remove the folders at exit.
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    folders.push_back(std::make_unique<QTemporaryDir>());
    if (!folders.back()->isValid())
        Fail(QStringLiteral("Cannot make a temporary folder: ") + folders.back()->errorString());
    return WithSourcesTables(folders.back()->filePath(QStringLiteral("Sources.db")));
}

QString ScratchPostgresDatabase() {
    static std::atomic<int> counter{0};
    PostgresSettings settings = PostgresTestServer();
    const QString name = QStringLiteral("tarnwick_test_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++counter);
    // FILE_COPY copies the small template far faster than the default WAL_LOG strategy.
    RunSql(UriOf(settings), QStringLiteral("CREATE DATABASE %1 STRATEGY FILE_COPY").arg(name));
    settings.DatabaseName = name;
    return WithSourcesTables(UriOf(settings));
}

void DropPostgresDatabase(const QString& uri) {
    RunSql(UriOf(PostgresTestServer()),
           QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)")
               .arg(ParsePostgresUri(uri).DatabaseName));
}

bool PostgresTestsSkipped() {
    return qEnvironmentVariableIsEmpty("TARNWICK_TEST_PG_URI") &&
           qEnvironmentVariableIsEmpty("TARNWICK_BINARY_DIR");
}

QList<QVariantList> QueryRows(const QString& database, const QString& sql) {
    QList<QVariantList> rows;
    try {
        DatabaseConnection connection(LocateDatabase(database));
        QSqlQuery query(connection.Database());
        query.setForwardOnly(true);
        if (!query.exec(sql))
            Fail(QStringLiteral("%1 failed: %2").arg(sql, EngineText(query.lastError())));
        while (query.next()) {
            QVariantList row;
            for (int column = 0; column < query.record().count(); ++column)
                row << query.value(column);
            rows << row;
        }
    } catch (const Error& error) {
        Fail(error.Message);
    }
    return rows;
}

QVariant QueryValue(const QString& database, const QString& sql) {
    const QList<QVariantList> rows = QueryRows(database, sql);
    return rows.isEmpty() || rows.front().isEmpty() ? QVariant() : rows.front().front();
}

void RunSql(const QString& database, const QString& sql) {
    QueryRows(database, sql);
}

QString ErrorMessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Text();
    }
    ADD_FAILURE() << "no Error was thrown";
    return {};
}

ProgramRun RunProgram(QStringList command, const QStringList& environment) {
    QProcess process;
    process.setWorkingDirectory(QStringLiteral("/"));
    if (!environment.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment() + environment);
    process.start(command.takeFirst(), command);
    ProgramRun run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    process.kill();
    process.waitForFinished();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString BatchProgram() {
    const QString binaryDir = qEnvironmentVariable("TARNWICK_BINARY_DIR");
    if (binaryDir.isEmpty())
        Fail(QStringLiteral("TARNWICK_BINARY_DIR is not set; run through ctest"));
    return binaryDir + QStringLiteral("/cli/tarnwick-batch");
}

std::string EngineTestName(const testing::TestParamInfo<DatabaseEngine>& info) {
    return info.param == DatabaseEngine::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(DatabaseEngine engine, std::ostream* out) {
    *out << (engine == DatabaseEngine::SQLite ? "SQLite" : "PostgreSQL");
}

void BothEngines::SetUp() {
    if (GetParam() == DatabaseEngine::PostgreSQL && PostgresTestsSkipped())
        GTEST_SKIP() << "TARNWICK_TEST_PG_URI is not set; run through ctest for PostgreSQL tests";
}

void BothEngines::TearDown() {
    for (const QString& uri : PostgresDatabases)
        DropPostgresDatabase(uri);
}

QString BothEngines::FreshDatabase() {
    if (GetParam() == DatabaseEngine::SQLite)
        return ScratchSqliteDatabase();
    PostgresDatabases << ScratchPostgresDatabase();
    return PostgresDatabases.last();
}

} // namespace tarnwick
