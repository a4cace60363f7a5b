#pragma once

#include "db/BulkGroup.h"
#include "db/DatabaseLocation.h"

namespace tarnwick {

// Folds a file's statements as a bulk group of its database would, but runs none: it has no
// connection, so it works on any thread, ahead of the file's turn. The database it came from
// then writes the rows (SourcesDatabase::WriteFolded). Anything the group would do by writing
// early (a chunk full, a statement that does not fold) throws Error instead: the file is then
// written at its turn, the usual way.
class FoldingDatabase final : public SourcesDatabase {
public:
    FoldingDatabase(const DatabaseLocation& location, std::unique_ptr<TableCatalog> catalog);

    DatabaseEngine Engine() const override { return Location.Engine; }
    void Execute(const QString& statement) override;
    void Execute(const StatementParts& statement) override;
    QVariant ReadField(const QString& query, const QString& field) override;
    void BeginGroup(GroupMode) override {}
    void EndGroup() override {}
    void Close() noexcept override {}

    BulkGroup& Rows() { return Bulk; }

private:
    class RefusingWriter final : public BulkWriter {
    public:
        qint64 Write(const TableFold& fold) override;
    };

    DatabaseLocation Location;
    std::unique_ptr<TableCatalog> Catalog;
    StatementPlans Plans;
    RefusingWriter Writer;
    BulkGroup Bulk;
};

} // namespace tarnwick
