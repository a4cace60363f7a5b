#include "TestDatabases.h"

#include <QUrl>

#include "DatabaseConnection.h"
#include "DatabaseLocation.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tarnwick {

namespace {

std::runtime_error Failure(const QString& message) {
    return std::runtime_error(message.toStdString());
}

QString TestServerUri() {
    return qEnvironmentVariable("TARNWICK_TEST_PG_URI");
}

DatabaseLocation ServerLocation(const PostgresSettings& settings) {
    DatabaseLocation location;
    location.Engine = DatabaseEngine::PostgreSQL;
    location.Path = UriOf(settings);
    location.Postgres = settings;
    return location;
}

void RunOnServer(const PostgresSettings& server, const QString& sql) {
    try {
        DatabaseConnection connection(ServerLocation(server));
        if (const QSqlError error = connection.Run(sql); error.isValid())
            throw Failure(
                QStringLiteral("%1 failed on the test server: %2").arg(sql, EngineText(error)));
    } catch (const Error& error) {
        throw Failure(QStringLiteral("The PostgreSQL test server is not reachable: ") +
                      error.Message);
    }
}

QString UniqueDatabaseName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("tarnwick_test_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter);
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
    const QString uri = TestServerUri();
    if (uri.isEmpty())
        throw Failure(QStringLiteral("TARNWICK_TEST_PG_URI is not set: add POSTGRES to this "
                                     "test's tarnwick_add_test"));
    return ParsePostgresUri(uri);
}

QString ScratchSqliteDatabase() {
    // Kept to the end of the run; their destructors remove the folders at exit.
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        throw Failure(QStringLiteral("Cannot make a temporary folder: ") + folder->errorString());
    const QString path = folder->filePath(QStringLiteral("Sources.db"));
    folders.push_back(std::move(folder));
    try {
        SourcesDatabase::Create(path);
    } catch (const Error& error) {
        throw Failure(error.Message);
    }
    return path;
}

QString ScratchPostgresDatabase() {
    PostgresSettings settings = PostgresTestServer();
    const QString name = UniqueDatabaseName();
    // FILE_COPY copies the small template far faster than the default WAL_LOG strategy.
    RunOnServer(settings, QStringLiteral("CREATE DATABASE %1 STRATEGY FILE_COPY").arg(name));
    settings.DatabaseName = name;
    const QString uri = UriOf(settings);
    try {
        SourcesDatabase::Create(uri);
    } catch (const Error& error) {
        throw Failure(error.Message);
    }
    return uri;
}

QString ScratchDatabase(DatabaseEngine engine) {
    return engine == DatabaseEngine::SQLite ? ScratchSqliteDatabase() : ScratchPostgresDatabase();
}

void DropPostgresDatabase(const QString& uri) {
    const PostgresSettings database = ParsePostgresUri(uri);
    PostgresSettings server = PostgresTestServer();
    RunOnServer(
        server,
        QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(database.DatabaseName));
}

bool PostgresTestsSkipped() {
    return TestServerUri().isEmpty() && qEnvironmentVariableIsEmpty("TARNWICK_BINARY_DIR");
}

QList<QVariantList> QueryRows(const QString& database, const QString& sql) {
    QList<QVariantList> rows;
    try {
        DatabaseConnection connection(LocateDatabase(database));
        QSqlQuery query(connection.Database());
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw Failure(QStringLiteral("%1 failed: %2").arg(sql, EngineText(query.lastError())));
        while (query.next()) {
            QVariantList row;
            for (int column = 0; column < query.record().count(); ++column)
                row << query.value(column);
            rows << row;
        }
    } catch (const Error& error) {
        throw Failure(error.Message);
    }
    return rows;
}

QVariant QueryValue(const QString& database, const QString& sql) {
    const QList<QVariantList> rows = QueryRows(database, sql);
    if (rows.isEmpty() || rows.front().isEmpty())
        return {};
    return rows.front().front();
}

void RunSql(const QString& database, const QString& sql) {
    try {
        DatabaseConnection connection(LocateDatabase(database));
        if (const QSqlError error = connection.Run(sql); error.isValid())
            throw Failure(QStringLiteral("%1 failed: %2").arg(sql, EngineText(error)));
    } catch (const Error& error) {
        throw Failure(error.Message);
    }
}

QString ErrorMessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Message;
    }
    ADD_FAILURE() << "no Error was thrown";
    return {};
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
    const QString path = ScratchDatabase(GetParam());
    if (GetParam() == DatabaseEngine::PostgreSQL)
        PostgresDatabases << path;
    return path;
}

} // namespace tarnwick
