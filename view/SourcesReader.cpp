#include "view/SourcesReader.h"

#include "db/DatabaseLocation.h"

namespace tarnwick {

SourcesReader::SourcesReader(const QString& path) : Connection(LocateDatabase(path)) {}

QSqlQuery SourcesReader::Run(const QString& sql, const QVariantList& values) {
    QSqlQuery query(Connection.Database());
    // Forward-only lets both drivers hand rows over as they come instead of caching them all.
    query.setForwardOnly(true);
    bool ran = query.prepare(sql);
    if (ran) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ran = query.exec();
    }
    if (!ran)
        throw Error(QStringLiteral("The database %1 could not be read: %2")
                        .arg(Describe(), EngineText(query.lastError())),
                    FailureKind::Engine);
    return query;
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
