#include "db/BulkGroup.h"

namespace tarnwick {

namespace {

// Pending rows are written when this many wait, so that memory stays flat however large the
// file; any point is as good as another, as the rows written equal the statements run so far.
constexpr qsizetype ChunkRows = 16384;

} // namespace

BulkGroup::BulkGroup(StatementPlans& statements, BulkWriter& writer, AddedSink added)
    : Statements(statements), Writer(writer), Added(std::move(added)) {}

TableFold& BulkGroup::FoldFor(const TableInfo& table) {
    for (const std::unique_ptr<TableFold>& fold : Folds)
        if (&fold->Table() == &table)
            return *fold;
    Folds.push_back(std::make_unique<TableFold>(table));
    return *Folds.back();
}

qsizetype BulkGroup::PendingRows() const {
    qsizetype rows = 0;
    for (const std::unique_ptr<TableFold>& fold : Folds)
        rows += fold->RowCount();
    return rows;
}

bool BulkGroup::Fold(const QString& text) {
    const StatementPlan& plan = Statements.PlanFor(text);
    if (!plan.Foldable)
        return false;
    // A key with a NULL matches no row: its INSERT is skipped and its UPDATE changes nothing.
    if (Statements.Convert(plan, text, Values))
        FoldValues(plan);
    return true;
}

bool BulkGroup::Fold(const StatementParts& parts) {
    const StatementPlan* plan = Statements.PlanFor(parts);
    if (!plan)
        return Fold(parts.Text());
    if (!plan->Foldable)
        return false;
    bool converted = false;
    try {
        converted = Statements.Convert(*plan, {}, Values);
    } catch (Error& error) {
        error.Statement = StatementExcerpt(parts.Text());
        throw;
    }
    if (converted)
        FoldValues(*plan);
    return true;
}

void BulkGroup::FoldValues(const StatementPlan& plan) {
    const std::size_t sets = plan.ValueCount;
    Sets.clear();
    Keys.clear();
    for (std::size_t i = 0; i < Values.size(); ++i) {
        if (i >= sets && Values[i].IsNull())
            return;
        (i < sets ? Sets : Keys).push_back({plan.Columns[i].Index, &Values[i]});
    }
    TableFold& fold = FoldFor(*plan.Table);
    if (plan.Kind == StatementKind::Update) {
        fold.AddUpdate(Sets, Keys);
    } else if (fold.AddInsert(Sets) == TableFold::Result::FlushFirst) {
        Flush();
        fold.AddInsert(Sets);
    }
    if (PendingRows() >= ChunkRows)
        Flush();
}

void BulkGroup::FlushTo(BulkWriter& writer, const AddedSink& added) {
    for (const std::unique_ptr<TableFold>& fold : Folds) {
        if (fold->IsEmpty())
            continue;
        const qint64 rows = writer.Write(*fold);
        fold->Clear();
        if (added)
            added(fold->Table(), rows);
    }
}

std::vector<const TableInfo*> BulkGroup::PendingTables() const {
    std::vector<const TableInfo*> tables;
    for (const std::unique_ptr<TableFold>& fold : Folds)
        if (!fold->IsEmpty())
            tables.push_back(&fold->Table());
    return tables;
}

} // namespace tarnwick
