#pragma once

#include "db/LiteralConversion.h"
#include "db/SourcesDatabase.h"

#include <QSqlDatabase>
#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace tarnwick {

struct ColumnInfo {
    QString Name; // as the catalog spells it
    ColumnType Type = ColumnType::Text;
    bool PrimaryKey = false;
    bool operator==(const ColumnInfo&) const = default;
};

struct TableInfo {
    QString Name; // as the catalog spells it
    std::vector<ColumnInfo> Columns;
    bool operator==(const TableInfo&) const = default;

    // The column of that name, in any case; nullptr when there is none.
    const ColumnInfo* FindColumn(QStringView name) const;
};

// Maps a declared type (INTEGER, double precision, DATE, VARCHAR(20), ...) to a column type.
ColumnType ColumnTypeOf(QStringView declaredType);

// The tables of a database as its catalog describes them, each read once.
class TableCatalog {
public:
    // Keeps a reference: the connection outlives the catalog.
    TableCatalog(const QSqlDatabase& database, DatabaseEngine engine);

    // The table of that name, in any case; nullptr when there is none. Throws Error
    // when the catalog cannot be read.
    const TableInfo* Find(QStringView name);

    void Forget() { Tables.clear(); }
    // Reads every table read so far anew, as another program may have changed it; a table
    // that is gone is forgotten. Throws Error as Find does.
    void Refresh();

    // A copy of the tables read so far, with no database behind it: safe to use on another
    // thread, and it finds no other table.
    std::unique_ptr<TableCatalog> Snapshot() const;

private:
    TableCatalog() = default;

    std::unique_ptr<TableInfo> Read(const QString& name) const;
    std::unique_ptr<TableInfo> ReadSqlite(const QString& name) const;
    std::unique_ptr<TableInfo> ReadPostgres(const QString& name) const;

    const QSqlDatabase* Database = nullptr; // nullptr in a snapshot
    DatabaseEngine Engine = DatabaseEngine::SQLite;
    std::map<QString, std::unique_ptr<TableInfo>> Tables; // by lower-case name
};

} // namespace tarnwick
