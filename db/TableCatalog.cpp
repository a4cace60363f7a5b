#include "db/TableCatalog.h"

#include "db/DatabaseConnection.h"
#include "db/DatabaseFailure.h"

#include <QSqlQuery>

namespace tarnwick {

namespace {

[[noreturn]] void ThrowCatalogFailure(const QSqlDatabase& database, DatabaseEngine engine,
                                      const QSqlError& error, const QString& table) {
    throw Error(QStringLiteral("Cannot read the columns of %1 from the catalog: %2")
                    .arg(table, EngineText(error)),
                ClassifyFailure(engine, error, database.isOpen()));
}

QSqlQuery RunCatalogQuery(const QSqlDatabase& database, DatabaseEngine engine, const QString& sql,
                          const QString& table) {
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        ThrowCatalogFailure(database, engine, query.lastError(), table);
    query.addBindValue(table);
    if (!query.exec())
        ThrowCatalogFailure(database, engine, query.lastError(), table);
    return query;
}

} // namespace

const ColumnInfo* TableInfo::FindColumn(QStringView name) const {
    for (const ColumnInfo& column : Columns)
        if (name.compare(column.Name, Qt::CaseInsensitive) == 0)
            return &column;
    return nullptr;
}

ColumnType ColumnTypeOf(QStringView declaredType) {
    const QString type = declaredType.trimmed().toString().toUpper();
    if (type == u"DATE")
        return ColumnType::Date;
    // SQLite's own affinity rules, which also fit PostgreSQL's type names.
    if (type.contains(u"INT"))
        return ColumnType::Integer;
    if (type.contains(u"CHAR") || type.contains(u"CLOB") || type.contains(u"TEXT"))
        return ColumnType::Text;
    if (type.contains(u"REAL") || type.contains(u"FLOA") || type.contains(u"DOUB") ||
        type.contains(u"NUMERIC") || type.contains(u"DECIMAL"))
        return ColumnType::Real;
    return ColumnType::Text;
}

TableCatalog::TableCatalog(const QSqlDatabase& database, DatabaseEngine engine)
    : Database(&database), Engine(engine) {}

std::unique_ptr<TableCatalog> TableCatalog::Snapshot() const {
    std::unique_ptr<TableCatalog> copy(new TableCatalog);
    copy->Engine = Engine;
    for (const auto& [key, table] : Tables)
        copy->Tables.emplace(key, std::make_unique<TableInfo>(*table));
    return copy;
}

const TableInfo* TableCatalog::Find(QStringView name) {
    const QString key = name.toString().toLower();
    auto found = Tables.find(key);
    if (found == Tables.end()) {
        if (!Database)
            return nullptr;
        std::unique_ptr<TableInfo> table = Read(name.toString());
        if (!table)
            return nullptr;
        found = Tables.emplace(key, std::move(table)).first;
    }
    return found->second.get();
}

void TableCatalog::Refresh() {
    std::map<QString, std::unique_ptr<TableInfo>> fresh;
    for (const auto& [key, table] : Tables)
        if (std::unique_ptr<TableInfo> now = Read(table->Name))
            fresh.emplace(key, std::move(now));
    Tables = std::move(fresh);
}

std::unique_ptr<TableInfo> TableCatalog::Read(const QString& name) const {
    return Engine == DatabaseEngine::SQLite ? ReadSqlite(name) : ReadPostgres(name);
}

std::unique_ptr<TableInfo> TableCatalog::ReadSqlite(const QString& name) const {
    QSqlQuery table = RunCatalogQuery(
        *Database, Engine,
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? "
                       "COLLATE NOCASE"),
        name);
    if (!table.next())
        return nullptr;
    auto info = std::make_unique<TableInfo>();
    info->Name = table.value(0).toString();
    QSqlQuery columns = RunCatalogQuery(
        *Database, Engine,
        QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"),
        info->Name);
    while (columns.next())
        info->Columns.push_back({columns.value(0).toString(),
                                 ColumnTypeOf(columns.value(1).toString()),
                                 columns.value(2).toInt() != 0});
    return info;
}

std::unique_ptr<TableInfo> TableCatalog::ReadPostgres(const QString& name) const {
    // Unquoted names fold to lower case in PostgreSQL; any spelling of a visible table is found.
    QSqlQuery columns = RunCatalogQuery(
        *Database, Engine,
        QStringLiteral(
            "SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod), "
            "COALESCE(a.attnum = ANY (i.indkey), false) "
            "FROM pg_catalog.pg_class c "
            "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
            "AND NOT a.attisdropped "
            "LEFT JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary "
            "WHERE c.relkind IN ('r', 'p') AND pg_catalog.pg_table_is_visible(c.oid) "
            "AND lower(c.relname) = lower(?) "
            "ORDER BY c.oid, a.attnum"),
        name);
    std::unique_ptr<TableInfo> info;
    while (columns.next()) {
        const QString table = columns.value(0).toString();
        if (!info) {
            info = std::make_unique<TableInfo>();
            info->Name = table;
        } else if (table != info->Name) {
            break; // two tables whose names differ in case only: the older one wins
        }
        info->Columns.push_back({columns.value(1).toString(),
                                 ColumnTypeOf(columns.value(2).toString()),
                                 columns.value(3).toBool()});
    }
    return info;
}

} // namespace tarnwick
