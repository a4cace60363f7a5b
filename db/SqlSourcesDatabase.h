#pragma once

#include "db/BulkGroup.h"
#include "db/BulkWriter.h"
#include "db/DatabaseConnection.h"
#include "db/FileIdentity.h"
#include "db/StatementCache.h"
#include "db/TableCatalog.h"
#include "db/TransactionGroup.h"

#include <memory>

namespace tarnwick {

// SourcesDatabase on a Qt SQL connection, SQLite or PostgreSQL: a cache of prepared statements
// for the statement path, a transaction per group, and bulk writing for bulk groups.
class SqlSourcesDatabase final : public SourcesDatabase {
public:
    explicit SqlSourcesDatabase(const DatabaseLocation& location);
    ~SqlSourcesDatabase() override;

    DatabaseEngine Engine() const override;
    void Execute(const QString& statement) override;
    void Execute(const StatementParts& statement) override;
    QVariant ReadField(const QString& query, const QString& field) override;
    void BeginGroup(GroupMode mode) override;
    void EndGroup() override;
    std::unique_ptr<FoldingDatabase> NewFolder() override;
    void WriteFolded(FoldingDatabase& folder) override;
    AddedRows TakeAddedRows() override { return Group.TakeCommitted(); }
    bool StillThere() override;
    void PrepareForBatch() override;
    void RecordLoad(const FileLoad& load) override;
    std::vector<FileLoad> ReadLoads(const QString& batch) override;
    void Close() noexcept override;

private:
    void EnsureOpen() const;
    void ApplySqliteSettings();
    std::unique_ptr<BulkWriter> NewBulkWriter();
    BulkGroup::AddedSink CountAdded();

    // Runs `action` on the statement path; a failure inside a group saves what ran before
    // it, then is thrown.
    template <typename Action> auto Guarded(Action action);
    // Runs `action` in a bulk group; a failure rolls the group back (see BeginGroup).
    template <typename Action> void InBulk(Action action);
    // Folds a statement, or runs it in the bulk group's transaction where it cannot be folded.
    template <typename Statement> void ExecuteInBulk(const Statement& statement);

    DatabaseConnection Connection;
    TableCatalog Catalog;
    StatementCache Statements; // emptied before Connection closes
    TransactionGroup Group;
    std::unique_ptr<BulkWriter> Writer;
    std::unique_ptr<BulkGroup> Bulk;        // while a bulk group is open
    std::optional<FileIdentity> SqliteFile; // the file opened, on SQLite
    bool Closed = false;
};

} // namespace tarnwick
