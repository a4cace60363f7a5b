#pragma once

#include "db/BulkWriter.h"
#include "db/StatementCache.h"

#include <functional>
#include <memory>
#include <vector>

namespace tarnwick {

// The statements of a bulk group folded into pending rows per table, written in chunks.
class BulkGroup {
public:
    // Told the rows each write adds to a table.
    using AddedSink = std::function<void(const TableInfo& table, qint64 rows)>;

    BulkGroup(StatementPlans& statements, BulkWriter& writer, AddedSink added = {});

    // Folds one statement; false when it cannot be folded and is to run by itself, after
    // Flush(). Throws Error for a statement it cannot read or convert, or when a full chunk is
    // written and refused.
    bool Fold(const QString& text);
    // The same for a statement in parts, read without its text where it can be.
    bool Fold(const StatementParts& parts);
    // Writes every pending row. Throws Error.
    void Flush() { FlushTo(Writer, Added); }
    // The same through another writer: the rows were folded where they could not be written.
    void FlushTo(BulkWriter& writer, const AddedSink& added);
    // The tables that have pending rows.
    std::vector<const TableInfo*> PendingTables() const;

private:
    void FoldValues(const StatementPlan& plan);
    TableFold& FoldFor(const TableInfo& table);
    qsizetype PendingRows() const;

    StatementPlans& Statements;
    BulkWriter& Writer;
    AddedSink Added;
    std::vector<std::unique_ptr<TableFold>> Folds;
    std::vector<ColumnValue> Values; // reused for every statement
    std::vector<ColumnAssignment> Sets;
    std::vector<ColumnAssignment> Keys;
};

} // namespace tarnwick
