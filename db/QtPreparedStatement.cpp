#include "db/QtPreparedStatement.h"

#include "db/DatabaseConnection.h"

#include <QSqlDriver>

namespace tarnwick {

QtPreparedStatement::QtPreparedStatement(const QSqlDatabase& database, DatabaseEngine engine)
    : Engine(engine), Query(database) {
    Query.setForwardOnly(true);
}

bool QtPreparedStatement::Prepare(const QString& sql) {
    return Query.prepare(sql);
}

void QtPreparedStatement::Bind(int index, const ColumnValue& value) {
    Query.bindValue(index, ToVariant(value));
}

bool QtPreparedStatement::Run() {
    return Query.exec();
}

bool QtPreparedStatement::ReadCount(qint64& count) {
    if (!Query.exec() || !Query.next())
        return false;
    count = Query.value(0).toLongLong();
    Query.finish();
    return true;
}

EngineFault QtPreparedStatement::Fault() const {
    const QSqlError error = Query.lastError();
    const bool connectionOpen = Query.driver() && Query.driver()->isOpen();
    return {ClassifyFailure(Engine, error, connectionOpen), EngineText(error)};
}

} // namespace tarnwick
