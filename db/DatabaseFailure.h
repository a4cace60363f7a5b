#pragma once

#include "db/DatabaseLocation.h"

#include "db/Error.h"

#include <QSqlError>

namespace tarnwick {

// `connectionOpen` tells a PostgreSQL error without SQLSTATE from a lost connection.
FailureKind ClassifyFailure(DatabaseEngine engine, const QSqlError& error, bool connectionOpen);

// The same for a SQLite result code, primary or extended, and a PostgreSQL SQLSTATE.
FailureKind ClassifySqliteCode(int resultCode);
FailureKind ClassifyPostgresState(const QString& sqlState);

// A few words for the user on what the kind of failure means, or nothing.
QString FailureExplanation(FailureKind kind);

// What the engine said when it refused a statement.
struct EngineFault {
    FailureKind Kind = FailureKind::Engine;
    QString Text; // the engine's own message, one sentence
};

// The failure of `statement` as the user reads it: the database, the engine's words without the
// password, what the kind of failure means, and the start of the statement.
[[noreturn]] void ThrowEngineFailure(const DatabaseLocation& location, const EngineFault& fault,
                                     QStringView statement);

// A fault found before the engine was asked, with the start of the statement.
[[noreturn]] void ThrowStatementFault(const QString& fault, QStringView statement);

} // namespace tarnwick
