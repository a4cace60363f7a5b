#include "SourcesDatabase.h"

#include "SchemaCreation.h"
#include "SqlSourcesDatabase.h"

namespace tarnwick {

std::unique_ptr<SourcesDatabase> SourcesDatabase::Open(const QString& path) {
    return std::make_unique<SqlSourcesDatabase>(LocateDatabase(path));
}

void SourcesDatabase::Create(const QString& path) {
    CreateSourcesSchema(LocateDatabase(path, NewSqliteFile::Allowed));
}

} // namespace tarnwick
