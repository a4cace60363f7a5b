#pragma once

#include "DatabaseLocation.h"

#include <QSqlError>

namespace tarnwick {

// What went wrong, told apart by the engine's native code (SQLite's extended result code,
// PostgreSQL's SQLSTATE) rather than by Qt's coarse error type.
enum class FailureKind {
    ConnectionLost, // the server went away; the open transaction is gone with it
    Locked,         // another program holds the database
    Constraint,     // a NOT NULL, key or other constraint refused the row
    ReadOnly,
    DiskFull,
    Other,
};

// `connectionOpen` tells a PostgreSQL error without SQLSTATE from a lost connection.
FailureKind ClassifyFailure(DatabaseEngine engine, const QSqlError& error, bool connectionOpen);

// The same for a SQLite result code, primary or extended, and a PostgreSQL SQLSTATE.
FailureKind ClassifySqliteCode(int resultCode);
FailureKind ClassifyPostgresState(const QString& sqlState);

// A failure the engine reported, told apart from faults found before the engine was asked:
// on PostgreSQL only the former abort the open transaction.
class EngineFailure : public DatabaseError {
public:
    EngineFailure(const QString& message, FailureKind kind) : DatabaseError(message), Kind(kind) {}
    FailureKind Kind;
};

// A few words for the user on what the kind of failure means, or nothing.
QString FailureExplanation(FailureKind kind);

// What the engine said when it refused a statement.
struct EngineFault {
    FailureKind Kind = FailureKind::Other;
    QString Text; // the engine's own message, one sentence
};

// The failure of `statement` as the user reads it: the database, the engine's words without the
// password, what the kind of failure means, and the start of the statement.
[[noreturn]] void ThrowEngineFailure(const DatabaseLocation& location, const EngineFault& fault,
                                     QStringView statement);

// A fault found before the engine was asked, with the start of the statement.
[[noreturn]] void ThrowStatementFault(const QString& fault, QStringView statement);

} // namespace tarnwick
