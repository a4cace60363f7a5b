#include "db/PreparedBulkWriter.h"

#include "db/DatabaseLocation.h"
#include "db/SqlPieces.h"

namespace tarnwick {

// The engine tells an upsert that inserted from one that updated only by its count of changed
// rows for a plain INSERT. So a row whose UPDATEs set columns is inserted where it is new, and
// only where it is not, updated: one statement for a new row, as before, and the count exact.
struct PreparedBulkWriter::Upsert {
    const TableInfo* Table = nullptr;
    TableFold::RowShape Shape;
    std::unique_ptr<PreparedStatement> Statement; // the INSERT, or the UPDATE of a row not new
    std::vector<qsizetype> Columns;               // bound in this order
    std::unique_ptr<PreparedStatement> Update;    // an inserted row's UPDATEs, where it was there
    std::vector<qsizetype> UpdateColumns;
};

PreparedBulkWriter::PreparedBulkWriter(const DatabaseLocation& location,
                                       StatementFactory newStatement)
    : Location(location), NewStatement(std::move(newStatement)) {}

PreparedBulkWriter::~PreparedBulkWriter() = default;

PreparedBulkWriter::Upsert& PreparedBulkWriter::UpsertFor(const TableFold& fold,
                                                          const TableFold::RowShape& shape) {
    for (const std::unique_ptr<Upsert>& upsert : Upserts)
        if (upsert->Table == &fold.Table() && upsert->Shape == shape)
            return *upsert;
    auto upsert = std::make_unique<Upsert>();
    upsert->Table = &fold.Table();
    upsert->Shape = shape;
    if (shape.Inserted) {
        upsert->Columns = InsertedColumns(shape);
        upsert->Statement = Prepared(InsertNewSql(
            fold, shape,
            QStringLiteral("VALUES (%1)").arg(Placeholders(qsizetype(upsert->Columns.size())))));
    }
    if (shape.UpdateColumns != 0) {
        // An UPDATE before any INSERT of the key changes only a row already in the table.
        std::vector<qsizetype>& columns = shape.Inserted ? upsert->UpdateColumns : upsert->Columns;
        columns = ColumnsIn(shape.UpdateColumns);
        const QString sql =
            QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(QuotedName(fold.Table().Name),
                     NameList(fold.Table(), columns, u"%1 = ?", u", "),
                     NameList(fold.Table(), fold.KeyColumns(), u"%1 = ?", u" AND "));
        columns.insert(columns.end(), fold.KeyColumns().begin(), fold.KeyColumns().end());
        (shape.Inserted ? upsert->Update : upsert->Statement) = Prepared(sql);
    }
    Upserts.push_back(std::move(upsert));
    return *Upserts.back();
}

std::unique_ptr<PreparedStatement> PreparedBulkWriter::Prepared(const QString& sql) {
    std::unique_ptr<PreparedStatement> statement = NewStatement();
    if (!statement->Prepare(sql))
        ThrowEngineFailure(Location, statement->Fault(), sql);
    return statement;
}

void PreparedBulkWriter::RunRow(PreparedStatement& statement, const TableFold& fold,
                                qsizetype row, const std::vector<qsizetype>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        statement.Bind(int(i), fold.ValueOf(row, columns[i]));
    if (!statement.Run())
        ThrowEngineFailure(Location, statement.Fault(), QStringLiteral("upsert"));
}

qint64 PreparedBulkWriter::Write(const TableFold& fold) {
    qint64 added = 0;
    const Upsert* last = nullptr;
    for (qsizetype row = 0; row < fold.RowCount(); ++row) {
        const TableFold::RowShape shape = fold.ShapeOf(row);
        if (!last || last->Table != &fold.Table() || !(last->Shape == shape))
            last = &UpsertFor(fold, shape);
        RunRow(*last->Statement, fold, row, last->Columns);
        if (!shape.Inserted)
            continue;
        if (last->Statement->RowsChanged() > 0)
            ++added;
        else if (last->Update)
            RunRow(*last->Update, fold, row, last->UpdateColumns);
    }
    return added;
}

} // namespace tarnwick
