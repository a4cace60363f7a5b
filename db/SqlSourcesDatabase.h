#pragma once

#include "DatabaseConnection.h"
#include "DatabaseFailure.h"
#include "PreparedStatement.h"
#include "SqlStatement.h"
#include "StatementShape.h"
#include "TableCatalog.h"

#include <QStringList>
#include <memory>
#include <vector>

struct sqlite3;

namespace tarnwick {

// SourcesDatabase on a Qt SQL connection, SQLite or PostgreSQL. On SQLite the program's
// statements run through SQLite's own interface on the connection Qt opened.
class SqlSourcesDatabase final : public SourcesDatabase {
public:
    explicit SqlSourcesDatabase(const DatabaseLocation& location);
    ~SqlSourcesDatabase() override;

    QString Path() const override;
    DatabaseEngine Engine() const override;
    void Execute(const QString& statement) override;
    QVariant ReadField(const QString& query, const QString& field) override;
    void BeginGroup() override;
    void EndGroup() override;
    void Close() noexcept override;

private:
    struct BoundColumn {
        const ColumnInfo* Column;
        bool SkipWhenNull; // a key column of an INSERT
    };

    // The prepared statement for one shape of statement.
    struct PreparedShape {
        explicit PreparedShape(const SqlStatement& statement) : Shape(statement) {}
        StatementShape Shape;
        std::unique_ptr<PreparedStatement> Statement;
        std::vector<BoundColumn> Columns; // per bound value: the values, then the WHERE
        bool AlwaysSkipped = false;       // an INSERT that leaves out a key column
    };

    void EnsureOpen() const;
    void ApplySqliteSettings();

    // Runs `action`; a failure inside a group saves what ran before it, then is thrown.
    template <typename Action> auto Guarded(Action action);

    PreparedShape& ShapeFor(const SqlStatement& statement, const QString& text);
    std::unique_ptr<PreparedShape> Prepare(const SqlStatement& statement, const QString& text);
    std::unique_ptr<PreparedStatement> NewStatement();
    const TableInfo& TableFor(const SqlStatement& statement, const QString& text);
    QString BuildSql(const SqlStatement& statement, const TableInfo& table,
                     const std::vector<BoundColumn>& columns) const;

    // Converts and binds the literals; false when the row is to be skipped.
    bool Bind(PreparedShape& shape, const SqlStatement& statement, const QString& text);
    // Runs an INSERT or UPDATE; false when it was skipped.
    bool Run(const QString& text);
    qint64 Count(const QString& query, const QString& field);

    // --- groups
    void StartTransaction();
    void Remember(const QString& text);
    void TakeCheckpoint();
    QString SaveGroupAfterFailure(FailureKind kind, bool engineFailed);
    void RestoreCheckpoint();
    void CommitAndContinue();
    void AbandonGroup() noexcept;
    void RunCommand(const QString& command);

    EngineFault FaultOf(const QSqlError& error);
    [[noreturn]] void ThrowEngineFailure(const EngineFault& fault, const QString& text);

    DatabaseConnection Connection;
    sqlite3* SqliteConnection = nullptr; // Connection's own, on SQLite
    TableCatalog Catalog;
    // Emptied before Connection closes: SQLite closes no connection with statements left.
    std::vector<std::unique_ptr<PreparedShape>> Shapes;
    SqlStatement Parsed; // reused, so that parsing does not allocate
    bool Closed = false;

    int GroupDepth = 0;
    bool Uncommitted = false;    // statements ran since the group's last commit
    QStringList SinceCheckpoint; // PostgreSQL: replayed when a failure aborts the transaction
};

} // namespace tarnwick
