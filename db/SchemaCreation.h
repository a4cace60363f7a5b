#pragma once

#include "db/DatabaseLocation.h"

#include <QStringList>

namespace tarnwick {

// The five tables of a Sources database.
const QStringList& SourcesTableNames();

// The schema script for an engine, as built into the program.
QString SchemaScript(DatabaseEngine engine);

// The statements of a script: split at semicolons, -- comments dropped.
QStringList SplitScript(const QString& script);

// Creates the five tables at `location`. Throws Error when any of them exists.
void CreateSourcesSchema(const DatabaseLocation& location);

} // namespace tarnwick
