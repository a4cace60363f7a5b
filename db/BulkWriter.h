#pragma once

#include "db/RowFold.h"

#include <QString>
#include <vector>

namespace tarnwick {

// Writes the pending rows of a fold into their table, inside the open transaction.
class BulkWriter {
public:
    virtual ~BulkWriter() = default;
    // Returns the rows it added to the fold's table: a row already there, which it changes or
    // leaves, is not added. Throws Error.
    virtual qint64 Write(const TableFold& fold) = 0;
    // The transaction ended, committed or rolled back, with whatever the writer made in it.
    virtual void TransactionEnded() {}
};

// The rows' SQL, shared by the writers.

// The columns whose bits `mask` sets, in order.
std::vector<qsizetype> ColumnsIn(quint64 mask);

// The columns an inserted row gives: its INSERT's and those its UPDATEs set.
std::vector<qsizetype> InsertedColumns(const TableFold::RowShape& shape);

// INSERT of one shape of row from `source`, which yields the columns of InsertedColumns().
// The UPDATEs' columns win over a row already in the table; the other columns of such a row
// stay, as its INSERT would have done nothing.
QString UpsertSql(const TableFold& fold, const TableFold::RowShape& shape, const QString& source);

// The same INSERT, leaving a row already in the table alone: the rows it reports are added.
QString InsertNewSql(const TableFold& fold, const TableFold::RowShape& shape,
                     const QString& source);

} // namespace tarnwick
