#include "db/DatabaseFailure.h"

#include "db/DatabaseConnection.h"
#include "db/SqlStatement.h"

namespace tarnwick {

namespace {

// SQLite primary result codes; the extended codes carry them in their low byte.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteFull = 13;
constexpr int SqliteConstraint = 19;

FailureKind ClassifySqlite(const QString& code) {
    bool ok = false;
    const int extended = code.toInt(&ok);
    return ok ? ClassifySqliteCode(extended) : FailureKind::Engine;
}

} // namespace

FailureKind ClassifyPostgresState(const QString& sqlState) {
    // 08: connection exception; 57P01-57P03: the server is shutting down or cannot connect.
    if (sqlState.startsWith(u"08") || sqlState == u"57P01" || sqlState == u"57P02" ||
        sqlState == u"57P03")
        return FailureKind::ConnectionLost;
    if (sqlState.startsWith(u"23"))
        return FailureKind::Constraint;
    // 55P03 lock not available, 40P01 deadlock detected.
    if (sqlState == u"55P03" || sqlState == u"40P01")
        return FailureKind::Locked;
    if (sqlState == u"25006")
        return FailureKind::ReadOnly;
    if (sqlState == u"53100")
        return FailureKind::DiskFull;
    return FailureKind::Engine;
}

FailureKind ClassifySqliteCode(int resultCode) {
    // SQLITE_READONLY_DBMOVED: the file under the open connection is gone.
    constexpr int SqliteReadOnlyDbMoved = SqliteReadOnly | (4 << 8);
    if (resultCode == SqliteReadOnlyDbMoved)
        return FailureKind::DatabaseGone;
    switch (resultCode & 0xff) {
    case SqliteBusy:
    case SqliteLocked:
        return FailureKind::Locked;
    case SqliteReadOnly:
        return FailureKind::ReadOnly;
    case SqliteFull:
        return FailureKind::DiskFull;
    case SqliteConstraint:
        return FailureKind::Constraint;
    default:
        return FailureKind::Engine;
    }
}

FailureKind ClassifyFailure(DatabaseEngine engine, const QSqlError& error, bool connectionOpen) {
    const QString code = error.nativeErrorCode();
    if (engine == DatabaseEngine::SQLite)
        return ClassifySqlite(code);
    if (code.isEmpty())
        return connectionOpen ? FailureKind::Engine : FailureKind::ConnectionLost;
    return ClassifyPostgresState(code);
}

QString FailureExplanation(FailureKind kind) {
    switch (kind) {
    case FailureKind::ConnectionLost:
        return QStringLiteral("The connection to the database server was lost.");
    case FailureKind::Locked:
        return QStringLiteral("Another program holds the database locked.");
    case FailureKind::Constraint:
        return QStringLiteral("The row breaks a rule of the table.");
    case FailureKind::ReadOnly:
        return QStringLiteral("The database is read-only.");
    case FailureKind::DiskFull:
        return QStringLiteral("The disk is full.");
    default:
        break;
    }
    return {};
}

void ThrowEngineFailure(const DatabaseLocation& location, const EngineFault& fault,
                        QStringView statement) {
    // The engine would call it read-only, which it is not.
    if (fault.Kind == FailureKind::DatabaseGone)
        throw Error(QStringLiteral("The database file %1 no longer exists: it was deleted or "
                                   "moved while Tarnwick had it open.")
                        .arg(location.Describe()),
                    fault.Kind);
    QString message =
        QStringLiteral("The database %1 refused a statement: %2")
            .arg(location.Describe(), WithoutPassword(fault.Text, location.Postgres.Password));
    if (const QString explanation = FailureExplanation(fault.Kind); !explanation.isEmpty())
        message += u' ' + explanation;
    throw Error(message, fault.Kind, 0, StatementExcerpt(statement));
}

void ThrowStatementFault(const QString& fault, QStringView statement) {
    throw Error(fault, FailureKind::Statement, 0, StatementExcerpt(statement));
}

} // namespace tarnwick
