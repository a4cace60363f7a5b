#pragma once

#include "db/TableCatalog.h"

#include <QString>
#include <QStringView>
#include <vector>

// Pieces of the SQL that the prepared statements and the bulk writers build, each spelt in one
// place.
namespace tarnwick {

// A table or column name in double quotes, each double quote inside doubled.
QString QuotedName(const QString& name);

// The quoted names of `columns` (indexes into the table's columns), each put in `format` for
// its %1, joined by `separator`.
QString NameList(const TableInfo& table, const std::vector<qsizetype>& columns, QStringView format,
                 QStringView separator);

// `count` placeholders for the values of a prepared statement: "?, ?, ?".
QString Placeholders(qsizetype count);

} // namespace tarnwick
