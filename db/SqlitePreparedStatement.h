#pragma once

#include "db/PreparedStatement.h"

#include <QSqlDatabase>

class QSqlDriver;
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tarnwick {

// The sqlite3 connection under a Qt SQLite connection; nullptr when the driver keeps it hidden,
// or when it runs on another SQLite library than Tarnwick's (a copy built into the driver), whose
// connection Tarnwick's library must not touch. Says once, with --verbose, which path is taken.
sqlite3* SqliteHandle(const QSqlDatabase& database);

// Whether `driver` runs on the same SQLite library that Tarnwick calls.
bool RunsOnOurSqlite(const QSqlDriver& driver);

// A statement prepared with SQLite's own interface on the connection that Qt opened. Going past
// QSqlQuery saves its per-value bookkeeping (QVariant lists, placeholder names, dates through
// QDate::toString), which cost more than SQLite's own work on the hourly load.
class SqlitePreparedStatement final : public PreparedStatement {
public:
    // The connection must outlive the statement.
    explicit SqlitePreparedStatement(sqlite3* connection);
    ~SqlitePreparedStatement() override; // finalizes, which the connection's close requires
    SqlitePreparedStatement(const SqlitePreparedStatement&) = delete;
    SqlitePreparedStatement& operator=(const SqlitePreparedStatement&) = delete;

    bool Prepare(const QString& sql) override;
    void Bind(int index, const ColumnValue& value) override;
    bool Run() override;
    qint64 RowsChanged() const override;
    bool ReadCount(qint64& count) override;
    EngineFault Fault() const override { return LastFault; }

private:
    // The text held for a parameter; nullptr, with the failure kept, when there is none.
    std::string* TextOf(int index);
    void BindText(int index, const SqlLiteral& text);
    void BindDate(int index, QDate date);
    void BindHeldText(int index);
    void CheckBind(int resultCode);
    void CheckBind(int resultCode, const char* message);
    // Takes a step; false, with the fault kept, unless it gives `expected`.
    bool Step(int expected);
    void KeepConnectionFault();

    sqlite3* Connection;
    sqlite3_stmt* Statement = nullptr;
    bool BindFailed = false;
    EngineFault LastFault;
    // Per parameter: its text value as UTF-8. SQLite reads the bound text from here rather than
    // copying it, and short texts fit inside the string itself, so binding text never allocates.
    std::vector<std::string> Texts;
};

} // namespace tarnwick
