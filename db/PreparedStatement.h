#pragma once

#include "db/DatabaseFailure.h"
#include "db/LiteralConversion.h"

#include <QString>

namespace tarnwick {

// One statement prepared on an engine, run again and again with new values.
class PreparedStatement {
public:
    virtual ~PreparedStatement() = default;

    // Prepares the statement once, before anything else; false when the engine refused it.
    virtual bool Prepare(const QString& sql) = 0;

    // `index` counts from 0 in the order of the statement's placeholders. Every value is bound
    // again before each run.
    virtual void Bind(int index, const ColumnValue& value) = 0;

    // Runs an INSERT or UPDATE; false when the engine refused it (see Fault()).
    virtual bool Run() = 0;
    // The rows the last Run() inserted or changed, as the engine counts them.
    virtual qint64 RowsChanged() const = 0;

    // Runs a SELECT COUNT(*) and reads its one value; false when the engine refused it.
    virtual bool ReadCount(qint64& count) = 0;

    // Why the last call failed.
    virtual EngineFault Fault() const = 0;
};

} // namespace tarnwick
