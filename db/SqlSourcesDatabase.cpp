#include "SqlSourcesDatabase.h"

#include "DatabaseFailure.h"

namespace tarnwick {

SqlSourcesDatabase::SqlSourcesDatabase(const DatabaseLocation& location)
    : Connection(location), Catalog(Connection.Database(), location.Engine),
      Statements(Connection, Catalog),
      Group(Connection, [this](const QString& text) { Statements.Run(text); }) {
    if (location.Engine == DatabaseEngine::SQLite)
        ApplySqliteSettings();
}

SqlSourcesDatabase::~SqlSourcesDatabase() {
    Close();
}

QString SqlSourcesDatabase::Path() const {
    return Connection.Location().Path;
}

DatabaseEngine SqlSourcesDatabase::Engine() const {
    return Connection.Location().Engine;
}

void SqlSourcesDatabase::EnsureOpen() const {
    if (Closed)
        throw DatabaseError(
            QStringLiteral("The database %1 is closed.").arg(Connection.Location().Describe()));
}

// The rollback journal stays: a Sources database is one file that users copy and share, which
// WAL's side files and shared memory would not survive. Groups already make a file's
// statements one transaction, so commits are few and the journal mode costs little.
void SqlSourcesDatabase::ApplySqliteSettings() {
    for (const QString& pragma : {QStringLiteral("PRAGMA cache_size = -32768"),
                                  QStringLiteral("PRAGMA temp_store = MEMORY"),
                                  QStringLiteral("SELECT count(*) FROM sqlite_master")}) {
        const QSqlError error = Connection.Run(pragma);
        if (error.isValid())
            throw DatabaseError(QStringLiteral("Cannot open the database %1: %2")
                                    .arg(Connection.Location().Describe(), EngineText(error)));
    }
}

std::unique_ptr<BulkWriter> SqlSourcesDatabase::NewBulkWriter() {
    if (Engine() == DatabaseEngine::PostgreSQL)
        if (pg_conn* connection = PostgresHandle(Connection.Database()))
            return std::make_unique<PostgresBulkWriter>(Connection.Location(), connection);
    return std::make_unique<PreparedBulkWriter>(Connection.Location(),
                                                [this] { return Statements.NewStatement(); });
}

template <typename Action> auto SqlSourcesDatabase::Guarded(Action action) {
    try {
        return action();
    } catch (const EngineFailure& failure) {
        throw EngineFailure(failure.Message + Group.SaveAfterFailure(failure.Kind, true),
                            failure.Kind);
    } catch (const DatabaseError& error) {
        throw DatabaseError(error.Message + Group.SaveAfterFailure(FailureKind::Other, false));
    }
}

template <typename Action> void SqlSourcesDatabase::InBulk(Action action) {
    try {
        action();
    } catch (const EngineFailure& failure) {
        FailBulk(failure, failure.Kind);
    } catch (const DatabaseError& error) {
        FailBulk(error, FailureKind::Other);
    }
}

void SqlSourcesDatabase::FailBulk(const DatabaseError& error, FailureKind kind) {
    Bulk.reset();
    Group.Abandon();
    if (Writer)
        Writer->TransactionEnded();
    if (kind == FailureKind::ConnectionLost)
        throw EngineFailure(
            error.Message + QStringLiteral(" The statements not yet committed were lost with it."),
            kind);
    throw BulkWriteFailed(error.Message);
}

void SqlSourcesDatabase::Execute(const QString& statement) {
    EnsureOpen();
    if (Bulk)
        return InBulk([&] {
            if (Bulk->Fold(statement))
                return;
            Bulk->Flush();
            Statements.Run(statement);
        });
    Guarded([&] {
        if (Statements.Run(statement))
            Group.Remember(statement);
    });
}

QVariant SqlSourcesDatabase::ReadField(const QString& query, const QString& field) {
    EnsureOpen();
    if (Bulk) {
        qint64 count = 0;
        InBulk([&] {
            Bulk->Flush(); // the count sees every statement executed so far
            count = Statements.Count(query, field);
        });
        return QVariant(count);
    }
    return QVariant(Guarded([&] { return Statements.Count(query, field); }));
}

void SqlSourcesDatabase::BeginGroup(GroupMode mode) {
    EnsureOpen();
    if (!Group.Begin() || mode != GroupMode::Bulk)
        return;
    if (!Writer)
        Writer = NewBulkWriter();
    Bulk = std::make_unique<BulkGroup>(Statements, *Writer);
}

void SqlSourcesDatabase::EndGroup() {
    if (!Bulk || !Group.IsOutermost()) {
        Group.End();
        return;
    }
    InBulk([&] { Bulk->Flush(); });
    Bulk.reset();
    try {
        Group.End();
    } catch (const DatabaseError&) {
        Writer->TransactionEnded();
        throw;
    }
    Writer->TransactionEnded();
}

void SqlSourcesDatabase::Close() noexcept {
    if (Closed)
        return;
    Closed = true;
    if (Bulk) {
        try {
            Bulk->Flush();
        } catch (const DatabaseError&) {
            Group.Abandon();
        }
        Bulk.reset();
    }
    Group.CommitOnClose(); // nothing executed is dropped on the way out
    Writer.reset();
    Statements.Clear();
    Catalog.Forget();
    Connection.Close();
}

} // namespace tarnwick
