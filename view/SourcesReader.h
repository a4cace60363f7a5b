#pragma once

#include "db/ReadControl.h"
#include "db/SourcesDatabase.h"

#include <QDate>
#include <QSqlQuery>
#include <QVariantList>
#include <memory>

namespace tarnwick {

class DatabaseConnection;

// A reading connection of the views' own, apart from the one the batches write through, so a
// view never holds up a batch and each thread can have its own.
class SourcesReader {
public:
    // Opens the database that `path` names (a SQLite file, a postgresql:// URI or a connection
    // file), under `control` when given. Throws Error.
    explicit SourcesReader(const QString& path, ReadControl* control = nullptr);
    ~SourcesReader();

    DatabaseEngine Engine() const;
    QString Describe() const;

    // Runs `sql` forward-only, with `values` bound to its placeholders in order, and returns
    // the query positioned before its first row. Throws Error.
    QSqlQuery Run(const QString& sql, const QVariantList& values = {});
    // Moves to the next row; false after the last. Throws Error when the rows stopped on a
    // failure or a cancel, rather than ending early in silence.
    bool Next(QSqlQuery& query, const QString& what = QStringLiteral("its rows"));

    // A text key column sorted by its characters' code points on both engines.
    QString CodePointOrder(const QString& column) const;

private:
    void ThrowIfCancelled() const;

    std::unique_ptr<DatabaseConnection> Connection;
    ReadControl* Control;
};

// A DATE column's value as a date: ISO text in SQLite, a date in PostgreSQL.
QDate DateValue(const QVariant& value);

// A date bound for comparison with a DATE column, on either engine.
QVariant DateParameter(QDate date);

} // namespace tarnwick
