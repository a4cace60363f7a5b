#pragma once

#include "db/BulkWriter.h"
#include "db/PreparedStatement.h"

#include <functional>
#include <memory>
#include <vector>

namespace tarnwick {

struct DatabaseLocation;

// One prepared upsert per shape of row, run row by row: SQLite's fastest way in, as it runs in
// the program's own process; also PostgreSQL's way when the driver hides its libpq connection.
class PreparedBulkWriter final : public BulkWriter {
public:
    using StatementFactory = std::function<std::unique_ptr<PreparedStatement>()>;
    PreparedBulkWriter(const DatabaseLocation& location, StatementFactory newStatement);
    ~PreparedBulkWriter() override;

    qint64 Write(const TableFold& fold) override;

private:
    struct Upsert;
    Upsert& UpsertFor(const TableFold& fold, const TableFold::RowShape& shape);
    std::unique_ptr<PreparedStatement> Prepared(const QString& sql);
    void RunRow(PreparedStatement& statement, const TableFold& fold, qsizetype row,
                const std::vector<qsizetype>& columns);

    const DatabaseLocation& Location;
    StatementFactory NewStatement;
    std::vector<std::unique_ptr<Upsert>> Upserts;
};

} // namespace tarnwick
