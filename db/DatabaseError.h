#pragma once

#include <QString>
#include <stdexcept>

namespace tarnwick {

// Every failure of the database layer. The message is meant for the user: it names the
// database or the statement and carries the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}

    QString Message;
};

} // namespace tarnwick
