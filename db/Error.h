#pragma once

#include <QString>
#include <stdexcept>

namespace tarnwick {

// What kind of failure an Error is, which decides what the program does next. The engine's
// kinds are told apart by its native code (SQLite's result code, PostgreSQL's SQLSTATE).
enum class FailureKind {
    File,           // a file cannot be opened, read or written, or a field of a line taken
    Request,        // a request the user can correct before anything is read
    Open,           // the database cannot be found or opened
    Statement,      // a statement the database layer cannot run, found before the engine is asked
    BulkWrite,      // a bulk group could not be written; nothing of it is in the database
    ConnectionLost, // the server went away; the open transaction is gone with it
    Locked,         // another program holds the database
    Constraint,     // a NOT NULL, key or other rule of the table refused the row
    ReadOnly,
    DiskFull,
    DatabaseGone, // the database file was deleted or moved while open
    Engine,       // any other failure the engine reported
};

// Every failure of the program. The message is meant for the user: it names the file or the
// database, or quotes the statement, and carries the engine's own words. Line is the 1-based
// line of the ".DAT" file whose record failed, set by the reader on the way up; 0 when none.
// Statement is the excerpt of the statement that failed, kept apart so that sentences added to
// the message on the way up still come before it.
class Error : public std::runtime_error {
public:
    Error(const QString& message, FailureKind kind, qint64 line = 0, const QString& statement = {})
        : std::runtime_error(message.toStdString()), Message(message), Kind(kind), Line(line),
          Statement(statement) {}

    QString Message;
    FailureKind Kind;
    qint64 Line;
    QString Statement;

    // Whether the engine was asked and refused; on PostgreSQL that aborts the transaction.
    bool FromEngine() const { return Kind >= FailureKind::ConnectionLost; }
    // The message, after "Line k: " where the line is known, and before the statement.
    QString Text() const {
        QString text = Line > 0 ? QStringLiteral("Line %1: %2").arg(Line).arg(Message) : Message;
        if (!Statement.isEmpty())
            text += QStringLiteral(" Statement: ") + Statement;
        return text;
    }
};

// The text of any failure: an Error's Text(), or what() of anything else.
inline QString MessageOf(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const Error*>(&error))
        return failure->Text();
    return QString::fromLocal8Bit(error.what());
}

} // namespace tarnwick
