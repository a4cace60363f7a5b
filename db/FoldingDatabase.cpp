#include "db/FoldingDatabase.h"

namespace tarnwick {

namespace {

[[noreturn]] void CannotFoldAhead(const QString& what) {
    throw Error(what + QStringLiteral(" cannot be folded ahead of its file's turn."),
                FailureKind::BulkWrite);
}

} // namespace

FoldingDatabase::FoldingDatabase(const DatabaseLocation& location,
                                 std::unique_ptr<TableCatalog> catalog)
    : Location(location), Catalog(std::move(catalog)), Plans(Location, *Catalog),
      Bulk(Plans, Writer) {}

void FoldingDatabase::Execute(const QString& statement) {
    if (!Bulk.Fold(statement))
        CannotFoldAhead(StatementExcerpt(statement));
}

void FoldingDatabase::Execute(const StatementParts& statement) {
    if (!Bulk.Fold(statement))
        CannotFoldAhead(StatementExcerpt(statement.Text()));
}

QVariant FoldingDatabase::ReadField(const QString& query, const QString&) {
    CannotFoldAhead(StatementExcerpt(query));
}

qint64 FoldingDatabase::RefusingWriter::Write(const TableFold& fold) {
    CannotFoldAhead(QStringLiteral("A chunk of %1 rows").arg(fold.RowCount()));
}

} // namespace tarnwick
