#pragma once

#include "db/DatabaseConnection.h"

#include <QDate>
#include <QSqlQuery>
#include <QVariantList>

namespace tarnwick {

// A reading connection of the views' own, apart from the one the batches write through, so a
// view never holds up a batch and each thread can have its own.
class SourcesReader {
public:
    // Opens the database that `path` names (a SQLite file, a postgresql:// URI or a connection
    // file). Throws Error.
    explicit SourcesReader(const QString& path);

    DatabaseEngine Engine() const { return Connection.Location().Engine; }
    QString Describe() const { return Connection.Location().Describe(); }

    // Runs `sql` forward-only, with `values` bound to its placeholders in order, and returns
    // the query positioned before its first row. Throws Error.
    QSqlQuery Run(const QString& sql, const QVariantList& values = {});

    // A text key column sorted by its characters' code points on both engines.
    QString CodePointOrder(const QString& column) const;

private:
    DatabaseConnection Connection;
};

// A DATE column's value as a date: ISO text in SQLite, a date in PostgreSQL.
QDate DateValue(const QVariant& value);

// A date bound for comparison with a DATE column, on either engine.
QVariant DateParameter(QDate date);

} // namespace tarnwick
