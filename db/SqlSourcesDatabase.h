#pragma once

#include "DatabaseConnection.h"
#include "DatabaseFailure.h"
#include "SqlStatement.h"
#include "TableCatalog.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <memory>
#include <vector>

namespace tarnwick {

// SourcesDatabase on a Qt SQL connection, SQLite or PostgreSQL.
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
    // The prepared statement for one shape of statement: kind, table and column names.
    struct PreparedShape {
        explicit PreparedShape(const QSqlDatabase& database) : Query(database) {}
        QSqlQuery Query;
        std::vector<const ColumnInfo*> Columns; // per bound value: the values, then the WHERE
        std::vector<bool> SkipWhenNull;         // the key columns of an INSERT
        bool AlwaysSkipped = false;             // an INSERT that leaves out a key column
    };

    void EnsureOpen() const;
    void ApplySqliteSettings();

    // Runs `action`; a failure inside a group saves what ran before it, then is thrown.
    template <typename Action> auto Guarded(Action action);

    PreparedShape& ShapeFor(const SqlStatement& statement, const QString& text);
    std::shared_ptr<PreparedShape> Prepare(const SqlStatement& statement, const QString& text);
    const TableInfo& TableFor(const SqlStatement& statement, const QString& text);
    QString BuildSql(const SqlStatement& statement, const TableInfo& table,
                     const std::vector<const ColumnInfo*>& columns) const;

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

    [[noreturn]] void ThrowEngineFailure(const QSqlError& error, const QString& text);

    DatabaseConnection Connection;
    TableCatalog Catalog;
    QHash<QString, std::shared_ptr<PreparedShape>> Shapes;
    QString ShapeKey;    // reused, so that finding a prepared shape does not allocate
    SqlStatement Parsed; // reused likewise
    bool Closed = false;

    int GroupDepth = 0;
    bool Uncommitted = false;    // statements ran since the group's last commit
    QStringList SinceCheckpoint; // PostgreSQL: replayed when a failure aborts the transaction
};

} // namespace tarnwick
