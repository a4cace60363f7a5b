#include "db/DatabaseConnection.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <atomic>
#include <libpq-fe.h>

namespace tarnwick {

namespace {

// A locked SQLite file, or a PostgreSQL table or row another session holds locked, is waited
// for this long before a statement fails.
constexpr int LockWaitMs = 5000;
constexpr int PostgresConnectTimeoutSeconds = 10;

QString UniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("tarnwick-db-%1").arg(++counter);
}

// libpq keyword=value syntax: single quotes around the value, \ escaping ' and \.
QString ConnInfoValue(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

bool HasOption(const PostgresSettings& settings, QStringView key) {
    for (const auto& option : settings.Options)
        if (option.first == key)
            return true;
    return false;
}

QString PostgresOptions(const PostgresSettings& settings) {
    QStringList options;
    if (!HasOption(settings, u"connect_timeout"))
        options << QStringLiteral("connect_timeout=%1").arg(PostgresConnectTimeoutSeconds);
    if (!HasOption(settings, u"application_name"))
        options << QStringLiteral("application_name='tarnwick'");
    for (const auto& [key, value] : settings.Options)
        options << key + u'=' + ConnInfoValue(value);
    return options.join(u';');
}

void Configure(QSqlDatabase& database, const DatabaseLocation& location) {
    if (location.Engine == DatabaseEngine::SQLite) {
        database.setDatabaseName(location.SqliteFile);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitMs));
        return;
    }
    const PostgresSettings& settings = location.Postgres;
    database.setHostName(settings.Host);
    database.setPort(settings.Port);
    database.setUserName(settings.User);
    database.setPassword(settings.Password);
    database.setDatabaseName(settings.DatabaseName);
    database.setConnectOptions(PostgresOptions(settings));
}

// libpq writes what the server says outside a statement (such as "FATAL: terminating
// connection due to administrator command" when it stops) straight to standard error, beside
// the program's own message about the same fault; it goes where Qt's warnings go.
void PassNoticeToQt(void*, const char* message) {
    qInfo("%s", message);
}

QString DriverName(DatabaseEngine engine) {
    return engine == DatabaseEngine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

} // namespace

DatabaseConnection::DatabaseConnection(const DatabaseLocation& location)
    : Where(location), Name(UniqueConnectionName()) {
    const QString driver = DriverName(location.Engine);
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw Error(QStringLiteral("Cannot open %1: the Qt SQL driver %2 is not installed.")
                        .arg(location.Describe(), driver),
                    FailureKind::Open);
    Connection = QSqlDatabase::addDatabase(driver, Name);
    Configure(Connection, location);
    QSqlError error;
    if (!Connection.open()) {
        error = Connection.lastError();
    } else if (location.Engine == DatabaseEngine::PostgreSQL) {
        if (pg_conn* handle = PostgresHandle(Connection))
            PQsetNoticeProcessor(handle, PassNoticeToQt, nullptr);
        error = Run(QStringLiteral("SET lock_timeout = %1").arg(LockWaitMs));
    }
    if (error.isValid()) {
        const QString text = WithoutPassword(EngineText(error), location.Postgres.Password);
        Close();
        throw Error(
            QStringLiteral("Cannot open the database %1: %2").arg(location.Describe(), text),
            FailureKind::Open);
    }
}

DatabaseConnection::~DatabaseConnection() {
    Close();
}

QSqlError DatabaseConnection::Run(const QString& statement) {
    QSqlQuery query(Connection);
    if (query.exec(statement))
        return {};
    // A connection the driver closed refuses without saying why.
    if (!query.lastError().isValid())
        return QSqlError(QString(), QStringLiteral("The connection to the database is closed."),
                         QSqlError::ConnectionError);
    return query.lastError();
}

void DatabaseConnection::Close() noexcept {
    if (Name.isEmpty())
        return;
    Connection.close();
    Connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(Name);
    Name.clear();
}

pg_conn* PostgresHandle(const QSqlDatabase& database) {
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    // Qt names the type after the struct behind libpq's typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

QString EngineText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return EngineSentence(text.isEmpty() ? error.text() : text);
}

QString EngineSentence(const QString& message) {
    // Engines spread details over lines of their own, each a sentence without its full stop, or
    // the rest of the sentence above when indented and in lower case; the error code in
    // parentheses belongs to the sentence above too. The lines that point into the statement
    // text ("LINE 1: PREPARE ...", then a caret) say nothing to the user.
    static const QRegularExpression pointer(QStringLiteral("^(LINE \\d+:.*|\\s*\\^\\s*)$"));
    QStringList sentences;
    for (const QString& line : message.split(u'\n')) {
        const QString text = line.simplified();
        if (text.isEmpty() || pointer.match(line).hasMatch())
            continue;
        const bool continues =
            (line.front().isSpace() && text.front().isLower()) || text.front() == u'(';
        if (!sentences.isEmpty() && continues) {
            if (text.front() == u'(' && sentences.last().endsWith(u'.'))
                sentences.last().chop(1);
            sentences.last() += u' ' + text;
        } else
            sentences << text;
    }
    for (QString& sentence : sentences) {
        if (!sentence.endsWith(u'.') && !sentence.endsWith(u'?') && !sentence.endsWith(u'!'))
            sentence += u'.';
    }
    return sentences.join(u' ');
}

QString WithoutPassword(QString text, const QString& password) {
    // A very short password would match ordinary words of the message.
    constexpr qsizetype MinimumLength = 3;
    if (password.size() >= MinimumLength)
        text.replace(password, QStringLiteral("***"));
    return text;
}

} // namespace tarnwick
