#pragma once

#include "db/PreparedStatement.h"
#include "db/RowFold.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;

namespace tarnwick {

struct DatabaseLocation;

// Writes the pending rows of a fold into their table, inside the open transaction.
class BulkWriter {
public:
    virtual ~BulkWriter() = default;
    // Throws Error.
    virtual void Write(const TableFold& fold) = 0;
    // The transaction ended, committed or rolled back, with whatever the writer made in it.
    virtual void TransactionEnded() {}
};

// One prepared upsert per shape of row, run row by row: SQLite's fastest way in, as it runs in
// the program's own process.
class PreparedBulkWriter final : public BulkWriter {
public:
    using StatementFactory = std::function<std::unique_ptr<PreparedStatement>()>;
    PreparedBulkWriter(const DatabaseLocation& location, StatementFactory newStatement);
    ~PreparedBulkWriter() override;

    void Write(const TableFold& fold) override;

private:
    struct Upsert;
    Upsert& UpsertFor(const TableFold& fold, const TableFold::RowShape& shape);

    const DatabaseLocation& Location;
    StatementFactory NewStatement;
    std::vector<std::unique_ptr<Upsert>> Upserts;
};

// COPY of the rows straight into the table when they are all new, or else into a temporary
// staging table and then one INSERT ... SELECT ... ON CONFLICT per shape of row: PostgreSQL's
// own bulk path, a few round trips for thousands of rows. Runs on the libpq connection under
// Qt's driver.
class PostgresBulkWriter final : public BulkWriter {
public:
    PostgresBulkWriter(const DatabaseLocation& location, pg_conn* connection);

    void Write(const TableFold& fold) override;
    void TransactionEnded() override { StagingTables.clear(); }

private:
    bool CopyStraightIn(const TableFold& fold, const std::vector<TableFold::RowShape>& shapes);
    QString StagingTableFor(const TableInfo& table);
    void Copy(const TableFold& fold, const QString& target, const std::vector<qsizetype>& columns,
              const std::vector<TableFold::RowShape>& shapes, std::optional<std::size_t> onlyShape);
    void Run(const QString& sql);

    const DatabaseLocation& Location;
    pg_conn* Connection;
    QStringList StagingTables;     // made in the open transaction, dropped at its end
    bool RowsAlreadyThere = false; // a COPY straight in met a row of the table
};

// The libpq connection under a Qt PostgreSQL connection; nullptr when the driver hides it.
pg_conn* PostgresHandle(const QSqlDatabase& database);

// The rows' SQL, shared by both writers: `Quote` spells a name, `Placeholders` the values of
// one row in the order of `columns`.
QString QuotedName(const QString& name);

} // namespace tarnwick
