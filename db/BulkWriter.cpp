#include "db/BulkWriter.h"

#include "db/SqlPieces.h"

namespace tarnwick {

std::vector<qsizetype> ColumnsIn(quint64 mask) {
    std::vector<qsizetype> columns;
    for (qsizetype column = 0; column < 64; ++column)
        if (mask & (quint64(1) << column))
            columns.push_back(column);
    return columns;
}

std::vector<qsizetype> InsertedColumns(const TableFold::RowShape& shape) {
    return ColumnsIn(shape.InsertColumns | shape.UpdateColumns);
}

namespace {

// INSERT of the row's columns from `source`, up to its conflict clause.
QString InsertSql(const TableFold& fold, const TableFold::RowShape& shape, const QString& source) {
    const TableInfo& table = fold.Table();
    return QStringLiteral("INSERT INTO %1 (%2) %3 ON CONFLICT ")
        .arg(QuotedName(table.Name), NameList(table, InsertedColumns(shape), u"%1", u", "), source);
}

} // namespace

QString UpsertSql(const TableFold& fold, const TableFold::RowShape& shape, const QString& source) {
    const QString sql = InsertSql(fold, shape, source);
    if (shape.UpdateColumns == 0)
        return sql + QStringLiteral("DO NOTHING");
    const TableInfo& table = fold.Table();
    return sql +
           QStringLiteral("(%1) DO UPDATE SET %2")
               .arg(NameList(table, fold.KeyColumns(), u"%1", u", "),
                    NameList(table, ColumnsIn(shape.UpdateColumns), u"%1 = excluded.%1", u", "));
}

QString InsertNewSql(const TableFold& fold, const TableFold::RowShape& shape,
                     const QString& source) {
    // The same conflict target as the upsert's, so the same rows are refused.
    const QString sql = InsertSql(fold, shape, source);
    if (shape.UpdateColumns == 0)
        return sql + QStringLiteral("DO NOTHING");
    return sql + QStringLiteral("(%1) DO NOTHING")
                     .arg(NameList(fold.Table(), fold.KeyColumns(), u"%1", u", "));
}

} // namespace tarnwick
