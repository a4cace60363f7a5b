#pragma once

#include "DatabaseError.h"

#include <QString>
#include <stdexcept>

namespace tarnwick {

// A failure of a view that is not the database's: a file that cannot be written, a request
// that cannot be answered. The message is meant for the user.
class ViewError : public std::runtime_error {
public:
    explicit ViewError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}

    QString Message;
};

// A request the user can correct before anything is read: an unknown table, column or
// measure, an impossible date, a filter the table has no column for.
class RequestError : public ViewError {
public:
    using ViewError::ViewError;
};

inline QString MessageOf(const std::exception& error) {
    if (const auto* view = dynamic_cast<const ViewError*>(&error))
        return view->Message;
    if (const auto* database = dynamic_cast<const DatabaseError*>(&error))
        return database->Message;
    return QString::fromLocal8Bit(error.what());
}

} // namespace tarnwick
