#pragma once

#include "db/DatabaseConnection.h"
#include "db/DatabaseFailure.h"

#include "db/SourcesDatabase.h"

#include <QStringList>
#include <functional>
#include <utility>

namespace tarnwick {

// The transaction around a group of statements (one file), with what it takes to keep every
// statement that ran when a later one fails.
class TransactionGroup {
public:
    // `rerun` runs a statement again; PostgreSQL needs it after a rollback to the checkpoint.
    TransactionGroup(DatabaseConnection& connection, std::function<void(const QString&)> rerun);

    bool IsOpen() const { return Depth > 0; }
    bool IsOutermost() const { return Depth == 1; }

    // Opens a group; true when it began the transaction (the outermost group).
    bool Begin();
    // Closes a group, committing the transaction with the outermost one. Throws Error when
    // the commit fails, after rolling back.
    void End();

    // A statement that ran inside the group.
    void Remember(const QString& text);

    // Rows added to a table by a statement or a bulk write. They count once committed, and not
    // at all when rolled back; outside a group they count at once.
    void CountAdded(const QString& table, qint64 rows);
    AddedRows TakeCommitted() { return std::exchange(Committed, {}); }
    // Rows added in the open transaction so far.
    const AddedRows& PendingRows() const { return Pending; }

    // After a failing statement: commits what ran before it and opens the transaction again.
    // Returns what the user should add to the failure's message: nothing when the statements
    // before the failing one are safe.
    QString SaveAfterFailure(const Error& failure);

    // Rolls back and closes every group.
    void Abandon() noexcept;
    // Commits and closes every group, ignoring errors: nothing executed is dropped on the way
    // out.
    void CommitOnClose() noexcept;

private:
    void StartTransaction();
    void RunCommand(const QString& command);
    void TakeCheckpoint();
    void RestoreCheckpoint();
    void CommitAndContinue();
    void KeepPending();
    void Reset();

    DatabaseConnection& Connection;
    std::function<void(const QString&)> Rerun;
    int Depth = 0;
    bool Uncommitted = false;    // statements ran since the group's last commit
    QStringList SinceCheckpoint; // PostgreSQL: run again when a failure aborts the transaction
    AddedRows Pending;           // in the open transaction
    AddedRows Committed;
};

} // namespace tarnwick
