#include "db/LoadsTable.h"

#include "db/DatabaseConnection.h"
#include "db/DatabaseFailure.h"
#include "db/SchemaCreation.h"
#include "db/TableCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace tarnwick {

namespace {

const QString LoadsTable = QStringLiteral("LOADS");
const char* const AddedColumns[] = {"EMISSIONS", "FACILITIES", "UNITS", "FUELS", "QUARTERS"};

[[noreturn]] void ThrowFailure(DatabaseConnection& connection, const QSqlError& error,
                               const QString& statement) {
    const DatabaseLocation& location = connection.Location();
    ThrowEngineFailure(location,
                       {ClassifyFailure(location.Engine, error, connection.Database().isOpen()),
                        EngineText(error)},
                       statement);
}

void Run(DatabaseConnection& connection, const QString& statement) {
    if (const QSqlError error = connection.Run(statement); error.isValid())
        ThrowFailure(connection, error, statement);
}

QString InsertText() {
    QString columns = QStringLiteral("BATCH, PATH, MEMBER, SIZE_BYTES, SHA256, FILE_STAMP, "
                                     "FACILITY_ID, CARRIED_FACILITY_ID, LOADED_AT");
    for (const char* table : AddedColumns)
        columns += QStringLiteral(", %1_ADDED").arg(QLatin1String(table));
    return QStringLiteral("INSERT INTO LOADS (%1) VALUES (?%2)")
        .arg(columns, QStringLiteral(", ?").repeated(columns.count(u',')));
}

} // namespace

QString StoredText(const QString& text) {
    // Never a null string: a driver binds that as NULL.
    return text.isEmpty() ? QStringLiteral("") : QString::fromUtf8(text.toUtf8());
}

QString StoredPath(const QString& path) {
    return StoredText(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

void AddLoadsTable(DatabaseConnection& connection, TableCatalog& catalog) {
    if (catalog.Find(LoadsTable))
        return;
    static const QRegularExpression aboutLoads(QStringLiteral("\\bLOADS\\b"));
    Run(connection, QStringLiteral("BEGIN"));
    try {
        for (const QString& statement : SplitScript(SchemaScript(connection.Location().Engine)))
            if (statement.contains(aboutLoads))
                Run(connection, statement);
        Run(connection, QStringLiteral("COMMIT"));
    } catch (const Error&) {
        connection.Run(QStringLiteral("ROLLBACK"));
        throw;
    }
    catalog.Forget();
}

void InsertLoad(DatabaseConnection& connection, const FileLoad& load, const AddedRows& added) {
    static const QString text = InsertText();
    QSqlQuery query(connection.Database());
    if (!query.prepare(text))
        ThrowFailure(connection, query.lastError(), text);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    for (const QVariant& value :
         {QVariant(load.Batch), QVariant(StoredPath(load.Path)), QVariant(StoredText(load.Member)),
          QVariant(load.Size), QVariant(QString::fromLatin1(load.Sha256)),
          QVariant(StoredText(load.FileStamp)), QVariant(load.FacilityId),
          QVariant(load.CarriedFacilityId), QVariant(now)})
        query.addBindValue(value);
    for (const char* table : AddedColumns) {
        const auto found = added.find(QLatin1String(table));
        query.addBindValue(found == added.end() ? qint64(0) : found->second);
    }
    if (!query.exec())
        ThrowFailure(connection, query.lastError(), text);
}

std::vector<FileLoad> ReadLoads(DatabaseConnection& connection, TableCatalog& catalog,
                                const QString& batch) {
    if (!catalog.Find(LoadsTable))
        return {};
    QString text = QStringLiteral("SELECT BATCH, PATH, MEMBER, SIZE_BYTES, SHA256, FILE_STAMP, "
                                  "FACILITY_ID, CARRIED_FACILITY_ID, LOADED_AT");
    for (const char* table : AddedColumns)
        text += QStringLiteral(", %1_ADDED").arg(QLatin1String(table));
    text += QStringLiteral(" FROM LOADS");
    if (!batch.isEmpty())
        text += QStringLiteral(" WHERE BATCH = ?");
    text += QStringLiteral(" ORDER BY LOADED_AT");
    QSqlQuery query(connection.Database());
    query.setForwardOnly(true);
    if (!query.prepare(text))
        ThrowFailure(connection, query.lastError(), text);
    if (!batch.isEmpty())
        query.addBindValue(batch);
    if (!query.exec())
        ThrowFailure(connection, query.lastError(), text);
    std::vector<FileLoad> loads;
    while (query.next()) {
        FileLoad load;
        load.Batch = query.value(0).toString();
        load.Path = query.value(1).toString();
        load.Member = query.value(2).toString();
        load.Size = query.value(3).toLongLong();
        load.Sha256 = query.value(4).toString().toLatin1();
        load.FileStamp = query.value(5).toString();
        load.FacilityId = query.value(6).toInt();
        load.CarriedFacilityId = query.value(7).toInt();
        const QVariant at = query.value(8);
        load.LoadedAt = at.typeId() == QMetaType::QString
                            ? QDateTime::fromString(at.toString(), Qt::ISODateWithMs)
                            : at.toDateTime();
        for (int i = 0; i < 5; ++i)
            load.Added[QLatin1String(AddedColumns[i])] = query.value(9 + i).toLongLong();
        loads.push_back(std::move(load));
    }
    if (query.lastError().isValid())
        ThrowFailure(connection, query.lastError(), text);
    return loads;
}

} // namespace tarnwick
