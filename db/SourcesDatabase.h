#pragma once

#include "DatabaseError.h"

#include <QString>
#include <QVariant>
#include <memory>

namespace tarnwick {

enum class DatabaseEngine { SQLite, PostgreSQL };

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
    // file whose first non-blank line is such a URI. Throws DatabaseError.
    static std::unique_ptr<SourcesDatabase> Open(const QString& path);

    // Creates the five tables of a new Sources database (a new SQLite file, or an empty
    // PostgreSQL database). Refuses a database that already holds any of them.
    static void Create(const QString& path);

    virtual QString Path() const = 0;
    virtual DatabaseEngine Engine() const = 0;

    // Runs one INSERT or UPDATE statement. Throws DatabaseError.
    virtual void Execute(const QString& statement) = 0;

    // Runs a one-row SELECT Count(*) query and returns the named field of its row
    // (field names match without regard to case). Throws DatabaseError.
    virtual QVariant ReadField(const QString& query, const QString& field) = 0;

    // Groups the statements of one file in a transaction for speed. EndGroup() commits;
    // when a statement inside the group fails, what ran before it is committed before the
    // error is thrown, so nothing executed is ever lost.
    virtual void BeginGroup() = 0;
    virtual void EndGroup() = 0;

    // Closes the connection; never throws.
    virtual void Close() noexcept = 0;
};

// Commits the group on every path out of a scope.
class StatementGroup {
public:
    explicit StatementGroup(SourcesDatabase& database) : Database(database) {
        Database.BeginGroup();
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
