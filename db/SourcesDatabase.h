#pragma once

#include "db/Error.h"

#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <vector>

namespace tarnwick {

enum class DatabaseEngine { SQLite, PostgreSQL };

enum class GroupMode { Statements, Bulk };

class FoldingDatabase;
class StatementParts;
struct FileLoad;

// Rows added to each table, by the table's name in upper case.
using AddedRows = std::map<QString, qint64>;

// The one open Sources database on which every statement of the program runs.
//
// Execute() takes the program's own statement texts (INSERT INTO t (cols) VALUES (literals),
// UPDATE t SET c = literal, ... WHERE ((c)=literal) AND ..., SELECT Count(*) AS alias FROM t)
// exactly as the writers build them, converts each literal to its column's declared type and
// runs it with bound parameters. An INSERT that a PRIMARY KEY or UNIQUE constraint refuses,
// or that would leave a key column NULL, is skipped without error.
class SourcesDatabase {
public:
    virtual ~SourcesDatabase() = default;

    // Opens the database that `path` names: a SQLite file, a postgresql:// URI, or a text
    // file whose first non-blank line is such a URI. Throws Error.
    static std::unique_ptr<SourcesDatabase> Open(const QString& path);

    // Creates the five tables of a new Sources database (a new SQLite file, or an empty
    // PostgreSQL database). Refuses a database that already holds any of them.
    static void Create(const QString& path);

    virtual DatabaseEngine Engine() const = 0;

    // Runs one INSERT or UPDATE statement. Throws Error.
    virtual void Execute(const QString& statement) = 0;
    // The same for a statement in parts: its text is built only where it is needed.
    virtual void Execute(const StatementParts& statement);

    // Runs a one-row SELECT Count(*) query and returns the named field of its row
    // (field names match without regard to case). Throws Error.
    virtual QVariant ReadField(const QString& query, const QString& field) = 0;

    // Groups the statements of one file in a transaction. EndGroup() commits. Groups nest; the
    // outermost decides the mode.
    //
    // Statements: each statement runs when it arrives. When one fails, what ran before it is
    // committed before the error is thrown, so nothing executed is ever lost.
    //
    // Bulk: INSERTs and UPDATEs that name a whole primary key are folded into one pending row
    // per key and written in bulk, in chunks and at EndGroup(), giving exactly the rows of
    // running them in order. When anything fails, the whole group is rolled back and an Error
    // of kind BulkWrite is thrown (by Execute or EndGroup): the caller runs the same statements
    // again in a Statements group, which stops at the failing one with its own message. A
    // lost connection is thrown as itself: there is nothing to run the statements on.
    virtual void BeginGroup(GroupMode mode = GroupMode::Statements) = 0;
    virtual void EndGroup() = 0;

    // A FoldingDatabase for this database's tables, to fold a file's statements on another
    // thread before its turn; nullptr where this database cannot write folded rows.
    virtual std::unique_ptr<FoldingDatabase> NewFolder();
    // Inside an outermost Bulk group: writes the rows `folder` folded, as if its statements had
    // been executed here. Throws Error as EndGroup does, BulkWrite also when the tables
    // changed since the folder was made.
    virtual void WriteFolded(FoldingDatabase& folder);

    // The rows that INSERTs and bulk writes added to each table, counted by the engine, since
    // the last call: once committed, or right away outside a group. A row already there, which
    // an INSERT skips or an UPDATE changes, is not added.
    virtual AddedRows TakeAddedRows() { return {}; }

    // Before a file, outside any group: whether this connection still reaches the database it
    // opened. False when the connection is lost, or when a SQLite file is no longer at its path
    // (deleted, moved or replaced): the caller then opens the database anew, which reports
    // what is wrong. The tables' columns are read anew, so a table another program changed
    // since is seen as it is now. Costs the same whatever the database holds.
    virtual bool StillThere() { return true; }

    // Before a batch writes, outside any group: reads the columns of the five tables, so that
    // the first files can be folded ahead, and adds LOADS, the files the batches loaded
    // (db/LoadsTable.h), to a database made before it. Throws Error.
    virtual void PrepareForBatch() {}
    // Inside a file's group, after its rows: records the file with the rows the group added to
    // each table, its folded rows written first. Throws Error as Execute does.
    virtual void RecordLoad(const FileLoad& load);
    // The files one kind of batch loaded (every kind when empty), oldest first. Throws Error.
    virtual std::vector<FileLoad> ReadLoads(const QString& batch);

    // Closes the connection; never throws.
    virtual void Close() noexcept = 0;
};

// Commits the group on every path out of a scope.
class StatementGroup {
public:
    explicit StatementGroup(SourcesDatabase& database, GroupMode mode = GroupMode::Statements)
        : Database(database) {
        Database.BeginGroup(mode);
    }
    ~StatementGroup() {
        if (Committed)
            return;
        try {
            Database.EndGroup();
        } catch (...) {
        }
    }
    void Commit() {
        Committed = true;
        Database.EndGroup();
    }
    StatementGroup(const StatementGroup&) = delete;
    StatementGroup& operator=(const StatementGroup&) = delete;

private:
    SourcesDatabase& Database;
    bool Committed = false;
};

} // namespace tarnwick
