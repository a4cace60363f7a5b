#include "db/SourcesDatabase.h"

#include "db/FoldingDatabase.h"
#include "db/LoadsTable.h"
#include "db/SchemaCreation.h"
#include "db/SqlSourcesDatabase.h"
#include "db/StatementParts.h"

namespace tarnwick {

std::unique_ptr<SourcesDatabase> SourcesDatabase::Open(const QString& path) {
    return std::make_unique<SqlSourcesDatabase>(LocateDatabase(path));
}

void SourcesDatabase::Execute(const StatementParts& statement) {
    Execute(statement.Text());
}

std::unique_ptr<FoldingDatabase> SourcesDatabase::NewFolder() {
    return nullptr;
}

void SourcesDatabase::WriteFolded(FoldingDatabase&) {
    throw Error(QStringLiteral("This database cannot write folded rows."), FailureKind::BulkWrite);
}

void SourcesDatabase::RecordLoad(const FileLoad&) {}

std::vector<FileLoad> SourcesDatabase::ReadLoads(const QString&) {
    return {};
}

void SourcesDatabase::Create(const QString& path) {
    CreateSourcesSchema(LocateDatabase(path, NewSqliteFile::Allowed));
}

} // namespace tarnwick
