#pragma once

#include "db/DatabaseConnection.h"
#include "db/PreparedStatement.h"
#include "db/SqlStatement.h"
#include "db/StatementParts.h"
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
    explicit StatementPlan(const SqlStatement& statement)
        : Shape(statement), Kind(statement.Kind), ValueCount(statement.Values.size()) {}
    StatementShape Shape;
    StatementKind Kind;
    std::size_t ValueCount; // the INSERT's values or the UPDATE's SET; the WHERE follows
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

    // Parses `text` and returns its plan; its literals are kept for Convert until the next
    // call. Throws Error for a text it cannot read or a table or column the database lacks.
    StatementPlan& PlanFor(const QString& text);
    // The same for a statement in parts, without building or parsing its text, but for the
    // first of its form. Nullptr where a literal would need the parser's judgement: the
    // caller then gives its text.
    StatementPlan* PlanFor(const StatementParts& parts);

    // Converts each literal kept for its column into `values`; false when the INSERT is to be
    // skipped (a key column is NULL). Throws Error naming the statement, `text`.
    bool Convert(const StatementPlan& plan, QStringView text, std::vector<ColumnValue>& values);

    // Forgets every plan, finalizing their statements: SQLite closes no connection with
    // statements left.
    void Clear() {
        Recent = {};
        Forms.clear();
        Plans.clear();
    }

protected:
    const DatabaseLocation& Location;
    SqlStatement Statement; // reused, so that parsing does not allocate

private:
    // The plan of a form of statement, and the literal of the plan's columns each of its
    // literals is.
    struct FormPlan {
        const StatementForm* Form;
        StatementPlan* Plan;
        std::vector<std::size_t> ColumnOfLiteral;
    };

    StatementPlan& FindPlan(const QString& text);
    std::unique_ptr<StatementPlan> NewPlan(const QString& text);
    FormPlan* LearnForm(const StatementParts& parts);
    void KeepParsedLiterals();

    TableCatalog& Catalog;
    std::vector<std::unique_ptr<StatementPlan>> Plans;
    // The plans of the last statements: the writers alternate an INSERT and an UPDATE.
    std::array<StatementPlan*, 2> Recent{};
    std::vector<FormPlan> Forms;
    std::vector<SqlLiteral> Literals; // of the last statement, in its plan's column order
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
