#pragma once

namespace tarnwick {

// Keeps Qt's own debug, info and warning lines (the SQL drivers' "QSqlQuery::exec: database
// not open", "Unable to free statement ...") off the terminal, where they would stand beside
// the program's own message about the same fault; `verbose` lets them through. Critical and
// fatal messages always go to Qt's handler. Safe to call again to change `verbose`.
void FilterQtMessages(bool verbose);

} // namespace tarnwick
