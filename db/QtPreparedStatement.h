#pragma once

#include "db/PreparedStatement.h"
#include "db/SourcesDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace tarnwick {

// A statement prepared through Qt's SQL driver, which every engine has.
class QtPreparedStatement final : public PreparedStatement {
public:
    QtPreparedStatement(const QSqlDatabase& database, DatabaseEngine engine);

    bool Prepare(const QString& sql) override;
    void Bind(int index, const ColumnValue& value) override;
    bool Run() override;
    qint64 RowsChanged() const override { return Query.numRowsAffected(); }
    bool ReadCount(qint64& count) override;
    EngineFault Fault() const override;

private:
    DatabaseEngine Engine;
    QSqlQuery Query;
};

} // namespace tarnwick
