#pragma once

#include "db/DatabaseLocation.h"

#include <QSqlDatabase>
#include <QSqlError>

struct pg_conn;

namespace tarnwick {

// One Qt SQL connection under a name of its own, so that several databases can be open at
// once; the name is removed again when the connection closes.
class DatabaseConnection {
public:
    // Opens the connection. Throws Error naming the database and the engine's text.
    explicit DatabaseConnection(const DatabaseLocation& location);
    ~DatabaseConnection();
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;

    QSqlDatabase& Database() { return Connection; }
    const DatabaseLocation& Location() const { return Where; }

    // Runs a statement that returns no rows; the error is empty when it ran.
    QSqlError Run(const QString& statement);

    // Closes the connection; any QSqlQuery on it must be gone by now.
    void Close() noexcept;

private:
    DatabaseLocation Where;
    QString Name;
    QSqlDatabase Connection;
};

// The libpq connection under a Qt PostgreSQL connection; nullptr when the driver hides it.
pg_conn* PostgresHandle(const QSqlDatabase& database);

// The engine's own words for an error, without Qt's additions.
QString EngineText(const QSqlError& error);

// An engine's message as one line of sentences: each of its lines ends as a sentence.
QString EngineSentence(const QString& message);

// Engine text with any trace of a password taken out.
QString WithoutPassword(QString text, const QString& password);

} // namespace tarnwick
