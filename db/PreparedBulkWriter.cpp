#include "db/PreparedBulkWriter.h"

#include "db/DatabaseLocation.h"
#include "db/SqlPieces.h"

namespace tarnwick {

struct PreparedBulkWriter::Upsert {
    const TableInfo* Table = nullptr;
    TableFold::RowShape Shape;
    std::unique_ptr<PreparedStatement> Statement;
    std::vector<qsizetype> Columns; // bound in this order
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
    QString sql;
    if (shape.Inserted) {
        upsert->Columns = InsertedColumns(shape);
        sql = UpsertSql(
            fold, shape,
            QStringLiteral("VALUES (%1)").arg(Placeholders(qsizetype(upsert->Columns.size()))));
    } else {
        // Only UPDATEs, before any INSERT of the key: they change a row already in the table.
        const std::vector<qsizetype> sets = ColumnsIn(shape.UpdateColumns);
        sql =
            QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(QuotedName(fold.Table().Name), NameList(fold.Table(), sets, u"%1 = ?", u", "),
                     NameList(fold.Table(), fold.KeyColumns(), u"%1 = ?", u" AND "));
        upsert->Columns = sets;
        upsert->Columns.insert(upsert->Columns.end(), fold.KeyColumns().begin(),
                               fold.KeyColumns().end());
    }
    upsert->Statement = NewStatement();
    if (!upsert->Statement->Prepare(sql))
        ThrowEngineFailure(Location, upsert->Statement->Fault(), sql);
    Upserts.push_back(std::move(upsert));
    return *Upserts.back();
}

void PreparedBulkWriter::Write(const TableFold& fold) {
    const Upsert* last = nullptr;
    for (qsizetype row = 0; row < fold.RowCount(); ++row) {
        const TableFold::RowShape shape = fold.ShapeOf(row);
        if (!last || last->Table != &fold.Table() || !(last->Shape == shape))
            last = &UpsertFor(fold, shape);
        for (std::size_t i = 0; i < last->Columns.size(); ++i)
            last->Statement->Bind(int(i), fold.ValueOf(row, last->Columns[i]));
        if (!last->Statement->Run())
            ThrowEngineFailure(Location, last->Statement->Fault(), QStringLiteral("upsert"));
    }
}

} // namespace tarnwick
