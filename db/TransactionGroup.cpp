#include "db/TransactionGroup.h"

namespace tarnwick {

namespace {

// PostgreSQL aborts the whole transaction when one statement fails. The group keeps a
// savepoint and the statements run since it, so that after a failure it can roll back to the
// savepoint, run them again and commit. The savepoint moves on every this many statements.
constexpr qsizetype CheckpointInterval = 1000;
const QString CheckpointName = QStringLiteral("tarnwick_checkpoint");

} // namespace

TransactionGroup::TransactionGroup(DatabaseConnection& connection,
                                   std::function<void(const QString&)> rerun)
    : Connection(connection), Rerun(std::move(rerun)) {}

bool TransactionGroup::Begin() {
    if (Depth++ > 0)
        return false;
    try {
        StartTransaction();
    } catch (const Error&) {
        Depth = 0;
        throw;
    }
    return true;
}

void TransactionGroup::End() {
    if (Depth == 0 || --Depth > 0)
        return;
    const QSqlError error = Connection.Run(QStringLiteral("COMMIT"));
    if (!error.isValid())
        KeepPending();
    Reset();
    if (!error.isValid())
        return;
    const DatabaseLocation& location = Connection.Location();
    const EngineFault fault{
        ClassifyFailure(location.Engine, error, Connection.Database().isOpen()),
        WithoutPassword(EngineText(error), location.Postgres.Password)};
    if (fault.Kind != FailureKind::ConnectionLost)
        Connection.Run(QStringLiteral("ROLLBACK"));
    if (fault.Kind == FailureKind::DatabaseGone)
        ThrowEngineFailure(location, fault, QStringLiteral("COMMIT"));
    QString explanation = FailureExplanation(fault.Kind);
    if (!explanation.isEmpty())
        explanation += u' ';
    throw Error(QStringLiteral("Cannot commit the statements to the database %1: %2 %3"
                               "The statements since the last commit were not saved.")
                    .arg(location.Describe(), fault.Text, explanation),
                fault.Kind);
}

void TransactionGroup::StartTransaction() {
    RunCommand(QStringLiteral("BEGIN"));
    if (Connection.Location().Engine == DatabaseEngine::PostgreSQL)
        RunCommand(QStringLiteral("SAVEPOINT ") + CheckpointName);
}

void TransactionGroup::RunCommand(const QString& command) {
    const QSqlError error = Connection.Run(command);
    if (error.isValid())
        ThrowEngineFailure(
            Connection.Location(),
            {ClassifyFailure(Connection.Location().Engine, error, Connection.Database().isOpen()),
             EngineText(error)},
            command);
}

void TransactionGroup::Remember(const QString& text) {
    if (Depth == 0)
        return;
    Uncommitted = true;
    if (Connection.Location().Engine != DatabaseEngine::PostgreSQL)
        return;
    SinceCheckpoint.append(text);
    if (SinceCheckpoint.size() >= CheckpointInterval)
        TakeCheckpoint();
}

void TransactionGroup::CountAdded(const QString& table, qint64 rows) {
    if (rows > 0)
        (Depth > 0 ? Pending : Committed)[table.toUpper()] += rows;
}

void TransactionGroup::KeepPending() {
    for (const auto& [table, rows] : Pending)
        Committed[table] += rows;
    Pending.clear();
}

void TransactionGroup::TakeCheckpoint() {
    RunCommand(QStringLiteral("RELEASE SAVEPOINT ") + CheckpointName);
    RunCommand(QStringLiteral("SAVEPOINT ") + CheckpointName);
    SinceCheckpoint.clear();
}

QString TransactionGroup::SaveAfterFailure(const Error& failure) {
    if (Depth == 0)
        return {};
    if (failure.Kind == FailureKind::ConnectionLost) {
        const bool lost = Uncommitted;
        Abandon();
        return lost ? QStringLiteral(" The statements not yet committed were lost with it.")
                    : QString();
    }
    try {
        if (failure.FromEngine() && Connection.Location().Engine == DatabaseEngine::PostgreSQL)
            RestoreCheckpoint();
        if (Uncommitted)
            CommitAndContinue();
        return {};
    } catch (const Error& error) {
        Abandon();
        return QStringLiteral(" The statements before it could not be saved either: ") +
               error.Message;
    }
}

void TransactionGroup::RestoreCheckpoint() {
    RunCommand(QStringLiteral("ROLLBACK TO SAVEPOINT ") + CheckpointName);
    const QStringList replay = SinceCheckpoint;
    for (const QString& text : replay)
        Rerun(text);
}

void TransactionGroup::CommitAndContinue() {
    RunCommand(QStringLiteral("COMMIT"));
    KeepPending();
    Uncommitted = false;
    SinceCheckpoint.clear();
    StartTransaction();
}

void TransactionGroup::Reset() {
    Depth = 0;
    Uncommitted = false;
    SinceCheckpoint.clear();
    Pending.clear();
}

void TransactionGroup::Abandon() noexcept {
    Reset();
    Connection.Run(QStringLiteral("ROLLBACK"));
}

void TransactionGroup::CommitOnClose() noexcept {
    if (Depth > 0 && !Connection.Run(QStringLiteral("COMMIT")).isValid())
        KeepPending();
    Reset();
}

} // namespace tarnwick
