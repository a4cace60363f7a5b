#pragma once

#include "SourcesDatabase.h"

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

// The same for a SQLite result code, primary or extended.
FailureKind ClassifySqliteCode(int resultCode);

// A failure the engine reported, told apart from faults found before the engine was asked:
// on PostgreSQL only the former abort the open transaction.
class EngineFailure : public DatabaseError {
public:
    EngineFailure(const QString& message, FailureKind kind) : DatabaseError(message), Kind(kind) {}
    FailureKind Kind;
};

// A few words for the user on what the kind of failure means, or nothing.
QString FailureExplanation(FailureKind kind);

} // namespace tarnwick
