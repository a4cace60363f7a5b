#pragma once

#include "db/DatabaseConnection.h"
#include "db/PreparedStatement.h"
#include "db/SqlStatement.h"
#include "db/StatementShape.h"
#include "db/StatementSkeleton.h"
#include "db/TableCatalog.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace tarnwick {

// The table column behind one literal of a statement.
struct BoundColumn {
    const ColumnInfo* Column = nullptr;
    qsizetype Index = 0;       // in the table
    bool SkipWhenNull = false; // a key column of an INSERT
};

// What one shape of statement does to its table.
struct StatementPlan {
    explicit StatementPlan(const SqlStatement& statement) : Shape(statement) {}
    StatementShape Shape;
    const TableInfo* Table = nullptr;
    std::vector<BoundColumn> Columns; // per literal: the values, then the WHERE
    bool AlwaysSkipped = false;       // an INSERT that leaves out a key column
    // An INSERT of a table with a primary key, or an UPDATE of one row by its whole key that
    // leaves the key alone: what a bulk group can fold.
    bool Foldable = false;
    std::unique_ptr<PreparedStatement> Statement; // prepared when it first runs
    std::optional<StatementSkeleton> Skeleton;    // of the last statement fully parsed
};

// Parses the program's statement texts into plans, one per shape, and converts each literal to
// its column's type. Needs no connection: a bulk group folds with it on any thread.
class StatementPlans {
public:
    StatementPlans(const DatabaseLocation& location, TableCatalog& catalog);

    // Parses `text` (kept as Parsed() until the next call) and returns its plan. Throws
    // Error for a text it cannot read or a table or column the database lacks.
    StatementPlan& PlanFor(const QString& text);
    const SqlStatement& Parsed() const { return Statement; }

    // Converts each literal of Parsed() for its column into `values`; false when the INSERT
    // is to be skipped (a key column is NULL). Throws Error naming the statement.
    bool Convert(const StatementPlan& plan, const QString& text, std::vector<ColumnValue>& values);

    // Forgets every plan, finalizing their statements: SQLite closes no connection with
    // statements left.
    void Clear() {
        Recent = {};
        Plans.clear();
    }

protected:
    const DatabaseLocation& Location;
    SqlStatement Statement; // reused, so that parsing does not allocate

private:
    StatementPlan& FindPlan(const QString& text);
    std::unique_ptr<StatementPlan> NewPlan(const QString& text);

    TableCatalog& Catalog;
    std::vector<std::unique_ptr<StatementPlan>> Plans;
    // The plans of the last statements: the writers alternate an INSERT and an UPDATE.
    std::array<StatementPlan*, 2> Recent{};
};

// Runs the program's statements as prepared statements, one per shape, with each literal bound
// as its column's type. On SQLite they run through SQLite's own interface on the connection Qt
// opened.
class StatementCache final : public StatementPlans {
public:
    StatementCache(DatabaseConnection& connection, TableCatalog& catalog);

    struct Outcome {
        bool Ran = false;       // false when it was skipped
        qint64 Added = 0;       // rows an INSERT added
        const TableInfo* Table = nullptr;
    };
    // Runs an INSERT or UPDATE. Throws Error.
    Outcome Run(const QString& text);
    // Reads a SELECT Count(*) query's one field.
    qint64 Count(const QString& query, const QString& field);

    // A new statement on this connection's engine.
    std::unique_ptr<PreparedStatement> NewStatement();

private:
    void Prepare(StatementPlan& plan, const QString& text);

    DatabaseConnection& Connection;
    sqlite3* SqliteConnection = nullptr; // the connection's own, on SQLite
    std::vector<ColumnValue> Values;     // reused, so that running does not allocate
};

} // namespace tarnwick
