#pragma once

#include "db/BulkWriter.h"

#include <QSqlDatabase>
#include <QStringList>
#include <optional>
#include <vector>

struct pg_conn;

namespace tarnwick {

struct DatabaseLocation;

// COPY of the rows straight into the table when they are all new, or else into a temporary
// staging table and then one INSERT ... SELECT ... ON CONFLICT per shape of row: PostgreSQL's
// own bulk path, a few round trips for thousands of rows. Runs on the libpq connection under
// Qt's driver.
class PostgresBulkWriter final : public BulkWriter {
public:
    PostgresBulkWriter(const DatabaseLocation& location, pg_conn* connection);

    qint64 Write(const TableFold& fold) override;
    void TransactionEnded() override {
        StagingTables.clear();
        RowsAlreadyThere = false; // the next file's rows may all be new again
    }

private:
    bool CopyStraightIn(const TableFold& fold, const std::vector<TableFold::RowShape>& shapes);
    QString StagingTableFor(const TableInfo& table);
    void Copy(const TableFold& fold, const QString& target, const std::vector<qsizetype>& columns,
              const std::vector<TableFold::RowShape>& shapes, std::optional<std::size_t> onlyShape);
    // Runs a statement and returns the rows it wrote, or the one number a query reads.
    qint64 Run(const QString& sql);

    const DatabaseLocation& Location;
    pg_conn* Connection;
    QStringList StagingTables;     // made in the open transaction, dropped at its end
    bool RowsAlreadyThere = false; // a COPY straight in met a row of the table
};

} // namespace tarnwick
