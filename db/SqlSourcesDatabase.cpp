#include "db/SqlSourcesDatabase.h"

#include "db/DatabaseFailure.h"
#include "db/FoldingDatabase.h"
#include "db/LoadsTable.h"
#include "db/PostgresBulkWriter.h"
#include "db/PreparedBulkWriter.h"
#include "db/SchemaCreation.h"

namespace tarnwick {

namespace {

const QString& TextOf(const QString& statement) {
    return statement;
}

QString TextOf(const StatementParts& statement) {
    return statement.Text();
}

} // namespace

SqlSourcesDatabase::SqlSourcesDatabase(const DatabaseLocation& location)
    : Connection(location), Catalog(Connection.Database(), location.Engine),
      Statements(Connection, Catalog),
      Group(Connection, [this](const QString& text) { Statements.Run(text); }) {
    if (location.Engine == DatabaseEngine::SQLite) {
        ApplySqliteSettings();
        SqliteFile = IdentityOf(location.SqliteFile);
    }
}

SqlSourcesDatabase::~SqlSourcesDatabase() {
    Close();
}

DatabaseEngine SqlSourcesDatabase::Engine() const {
    return Connection.Location().Engine;
}

void SqlSourcesDatabase::EnsureOpen() const {
    if (Closed)
        throw Error(
            QStringLiteral("The database %1 is closed.").arg(Connection.Location().Describe()),
            FailureKind::Open);
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
            throw Error(QStringLiteral("Cannot open the database %1: %2")
                            .arg(Connection.Location().Describe(), EngineText(error)),
                        FailureKind::Open);
    }
}

std::unique_ptr<BulkWriter> SqlSourcesDatabase::NewBulkWriter() {
    if (Engine() == DatabaseEngine::PostgreSQL)
        if (pg_conn* connection = PostgresHandle(Connection.Database()))
            return std::make_unique<PostgresBulkWriter>(Connection.Location(), connection);
    return std::make_unique<PreparedBulkWriter>(Connection.Location(),
                                                [this] { return Statements.NewStatement(); });
}

BulkGroup::AddedSink SqlSourcesDatabase::CountAdded() {
    return [this](const TableInfo& table, qint64 rows) { Group.CountAdded(table.Name, rows); };
}

template <typename Action> auto SqlSourcesDatabase::Guarded(Action action) {
    try {
        return action();
    } catch (Error& error) {
        error.Message += Group.SaveAfterFailure(error);
        throw;
    }
}

template <typename Action> void SqlSourcesDatabase::InBulk(Action action) {
    try {
        action();
    } catch (Error& error) {
        Bulk.reset();
        Group.Abandon();
        if (Writer)
            Writer->TransactionEnded();
        if (error.Kind != FailureKind::ConnectionLost)
            error.Kind = FailureKind::BulkWrite;
        else
            error.Message += QStringLiteral(" The statements not yet committed were lost with it.");
        throw;
    }
}

template <typename Statement> void SqlSourcesDatabase::ExecuteInBulk(const Statement& statement) {
    InBulk([&] {
        if (Bulk->Fold(statement))
            return;
        Bulk->Flush();
        const StatementCache::Outcome run = Statements.Run(TextOf(statement));
        if (run.Ran)
            Group.CountAdded(run.Table->Name, run.Added);
    });
}

void SqlSourcesDatabase::Execute(const QString& statement) {
    EnsureOpen();
    if (Bulk)
        return ExecuteInBulk(statement);
    Guarded([&] {
        const StatementCache::Outcome run = Statements.Run(statement);
        if (!run.Ran)
            return;
        Group.CountAdded(run.Table->Name, run.Added);
        Group.Remember(statement);
    });
}

// Only a bulk group reads a statement from its parts: the statement path keeps every text, to
// run it again after a rollback and to quote it.
void SqlSourcesDatabase::Execute(const StatementParts& statement) {
    EnsureOpen();
    if (!Bulk)
        return Execute(statement.Text());
    ExecuteInBulk(statement);
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
    Bulk = std::make_unique<BulkGroup>(Statements, *Writer, CountAdded());
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
    } catch (const Error&) {
        Writer->TransactionEnded();
        throw;
    }
    Writer->TransactionEnded();
}

std::unique_ptr<FoldingDatabase> SqlSourcesDatabase::NewFolder() {
    EnsureOpen();
    return std::make_unique<FoldingDatabase>(Connection.Location(), Catalog.Snapshot());
}

void SqlSourcesDatabase::WriteFolded(FoldingDatabase& folder) {
    EnsureOpen();
    if (!Bulk || !Group.IsOutermost())
        throw Error(QStringLiteral("Folded rows are written in an outermost bulk group only."),
                    FailureKind::BulkWrite);
    InBulk([&] {
        // The folder copied the tables of an earlier connection: a fold for columns that have
        // changed since would not give the rows of the statements.
        for (const TableInfo* table : folder.Rows().PendingTables()) {
            const TableInfo* current = Catalog.Find(table->Name);
            if (!current || !(*current == *table))
                throw Error(QStringLiteral("The table %1 changed.").arg(table->Name),
                            FailureKind::BulkWrite);
        }
        Bulk->Flush();
        folder.Rows().FlushTo(*Writer, CountAdded());
    });
}

void SqlSourcesDatabase::PrepareForBatch() {
    EnsureOpen();
    for (const QString& table : SourcesTableNames())
        Catalog.Find(table);
    AddLoadsTable(Connection, Catalog);
}

void SqlSourcesDatabase::RecordLoad(const FileLoad& load) {
    EnsureOpen();
    if (Bulk)
        return InBulk([&] {
            Bulk->Flush(); // the rows added are counted once written
            InsertLoad(Connection, load, Group.PendingRows());
        });
    Guarded([&] { InsertLoad(Connection, load, Group.PendingRows()); });
}

std::vector<FileLoad> SqlSourcesDatabase::ReadLoads(const QString& batch) {
    EnsureOpen();
    return tarnwick::ReadLoads(Connection, Catalog, batch);
}

bool SqlSourcesDatabase::StillThere() {
    if (Closed || Group.IsOpen())
        return !Closed;
    if (Engine() == DatabaseEngine::SQLite) {
        const std::optional<FileIdentity> now = IdentityOf(Connection.Location().SqliteFile);
        if (!now || !SqliteFile || !now->SameFile(*SqliteFile))
            return false;
        // The page cache is given back between files, as closing the connection did.
        Connection.Run(QStringLiteral("PRAGMA shrink_memory"));
    } else if (!Connection.Database().isOpen() ||
               Connection.Run(QStringLiteral("SELECT 1")).isValid()) {
        return false;
    }
    // What was prepared for the tables is made again, for the tables as they are now.
    Writer.reset();
    Statements.Clear();
    Catalog.Refresh();
    return true;
}

void SqlSourcesDatabase::Close() noexcept {
    if (Closed)
        return;
    Closed = true;
    if (Bulk) {
        try {
            Bulk->Flush();
        } catch (const Error&) {
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
