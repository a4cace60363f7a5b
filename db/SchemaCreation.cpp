#include "db/SchemaCreation.h"

#include "db/DatabaseConnection.h"
#include "db/TableCatalog.h"

#include <QFile>
#include <QFileInfo>

namespace tarnwick {

namespace {

QStringList ExistingSourcesTables(DatabaseConnection& connection) {
    TableCatalog catalog(connection.Database(), connection.Location().Engine);
    QStringList existing;
    for (const QString& name : SourcesTableNames())
        if (catalog.Find(name))
            existing << name;
    return existing;
}

void RunScript(DatabaseConnection& connection, const QString& script) {
    const QString where = connection.Location().Describe();
    const auto fail = [&](const QSqlError& error) {
        connection.Run(QStringLiteral("ROLLBACK"));
        throw Error(QStringLiteral("Cannot create the tables of the Sources database %1: %2")
                        .arg(where, EngineText(error)),
                    FailureKind::Open);
    };
    if (const QSqlError error = connection.Run(QStringLiteral("BEGIN")); error.isValid())
        fail(error);
    for (const QString& statement : SplitScript(script))
        if (const QSqlError error = connection.Run(statement); error.isValid())
            fail(error);
    if (const QSqlError error = connection.Run(QStringLiteral("COMMIT")); error.isValid())
        fail(error);
}

void CreateIn(const DatabaseLocation& location) {
    DatabaseConnection connection(location);
    const QStringList existing = ExistingSourcesTables(connection);
    if (!existing.isEmpty())
        throw Error(
            QStringLiteral("The database %1 already holds Sources tables (%2). A new Sources "
                           "database is made in a new SQLite file or an empty PostgreSQL "
                           "database.")
                .arg(location.Describe(), existing.join(QStringLiteral(", "))),
            FailureKind::Open);
    RunScript(connection, SchemaScript(location.Engine));
}

} // namespace

const QStringList& SourcesTableNames() {
    static const QStringList names = {QStringLiteral("EMISSIONS"), QStringLiteral("FACILITIES"),
                                      QStringLiteral("UNITS"), QStringLiteral("FUELS"),
                                      QStringLiteral("QUARTERS")};
    return names;
}

QString SchemaScript(DatabaseEngine engine) {
    const QString resource = engine == DatabaseEngine::SQLite
                                 ? QStringLiteral(":/tarnwick/schema/sqlite.sql")
                                 : QStringLiteral(":/tarnwick/schema/postgresql.sql");
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The schema %1 is missing from the program.").arg(resource),
                    FailureKind::Open);
    return QString::fromUtf8(file.readAll());
}

QStringList SplitScript(const QString& script) {
    QString withoutComments;
    for (QStringView line : QStringView(script).split(u'\n')) {
        const qsizetype comment = line.indexOf(u"--");
        withoutComments += comment < 0 ? line : line.first(comment);
        withoutComments += u'\n';
    }
    QStringList statements;
    for (QStringView statement : QStringView(withoutComments).split(u';')) {
        const QStringView trimmed = statement.trimmed();
        if (!trimmed.isEmpty())
            statements << trimmed.toString();
    }
    return statements;
}

void CreateSourcesSchema(const DatabaseLocation& location) {
    const bool newFile =
        location.Engine == DatabaseEngine::SQLite && !QFileInfo::exists(location.SqliteFile);
    try {
        CreateIn(location);
    } catch (const Error&) {
        if (newFile)
            QFile::remove(location.SqliteFile); // no half-made database is left behind
        throw;
    }
}

} // namespace tarnwick
