#include "view/SourcesReader.h"

#include "db/DatabaseConnection.h"
#include "db/DatabaseLocation.h"

namespace tarnwick {

namespace {

Error Cancelled(const QString& database) {
    return Error(QStringLiteral("The reading of %1 was cancelled.").arg(database),
                 FailureKind::Engine);
}

} // namespace

SourcesReader::SourcesReader(const QString& path, ReadControl* control)
    : Connection(std::make_unique<DatabaseConnection>(LocateDatabase(path))), Control(control) {
    if (!Control)
        return;
    Control->Attach(*Connection);
    ThrowIfCancelled();
}

SourcesReader::~SourcesReader() {
    if (Control)
        Control->Detach();
}

void SourcesReader::ThrowIfCancelled() const {
    if (Control && Control->Cancelled())
        throw Cancelled(Describe());
}

DatabaseEngine SourcesReader::Engine() const {
    return Connection->Location().Engine;
}

QString SourcesReader::Describe() const {
    return Connection->Location().Describe();
}

QSqlQuery SourcesReader::Run(const QString& sql, const QVariantList& values) {
    ThrowIfCancelled();
    QSqlQuery query(Connection->Database());
    // Forward-only lets both drivers hand rows over as they come instead of caching them all.
    query.setForwardOnly(true);
    bool ran = query.prepare(sql);
    if (ran) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ran = query.exec();
    }
    ThrowIfCancelled();
    if (!ran)
        throw Error(QStringLiteral("The database %1 could not be read: %2")
                        .arg(Describe(), EngineText(query.lastError())),
                    FailureKind::Engine);
    return query;
}

bool SourcesReader::Next(QSqlQuery& query, const QString& what) {
    const bool more = query.next();
    ThrowIfCancelled();
    if (more)
        return true;
    if (query.lastError().isValid())
        throw Error(QStringLiteral("The database %1 stopped while %2 were read: %3")
                        .arg(Describe(), what, EngineText(query.lastError())),
                    FailureKind::Engine);
    return false;
}

QString SourcesReader::CodePointOrder(const QString& column) const {
    // SQLite compares text by its bytes already; PostgreSQL follows the database's locale.
    if (Engine() == DatabaseEngine::PostgreSQL)
        return column + QStringLiteral(" COLLATE \"C\"");
    return column;
}

QDate DateValue(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    return QDate::fromString(value.toString(), Qt::ISODate);
}

QVariant DateParameter(QDate date) {
    // ISO text compares correctly with SQLite's ISO text and is read as a date by PostgreSQL.
    return date.toString(Qt::ISODate);
}

} // namespace tarnwick
