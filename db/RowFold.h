#pragma once

#include "db/LiteralConversion.h"
#include "db/TableCatalog.h"

#include <QString>
#include <span>
#include <vector>

namespace tarnwick {

// A converted value kept compactly while its row waits to be written. Text lives in the
// fold's arena.
struct HeldValue {
    ColumnValue::Kind Kind = ColumnValue::Kind::Null;
    quint32 TextLength = 0;
    qint64 Bits = 0; // the integer, the double's bits, the Julian day, or the text's offset
};

// One converted literal of a statement and the index of its column in the table.
struct ColumnAssignment {
    qsizetype Column = 0;
    const ColumnValue* Value = nullptr;
};

// The INSERT and UPDATE statements of one table in one transaction, folded into one pending
// row per primary key, so that they can be written as one upsert per row. The rows it gives
// are exactly those of running the statements in order:
//   - the first INSERT of a key gives the row its values; later INSERTs of that key do nothing;
//   - every UPDATE sets its columns, the last value winning;
//   - an INSERT or UPDATE whose key holds a NULL touches nothing;
//   - a row that is already in the table keeps every column that no UPDATE sets.
// An UPDATE that comes before any INSERT of its key changes only a row already in the table;
// such a row is written as a plain UPDATE.
class TableFold {
public:
    explicit TableFold(const TableInfo& table);

    // A table whose statements can be folded: it has a primary key, and at most 64 columns.
    static bool CanFold(const TableInfo& table);

    const TableInfo& Table() const { return *Info; }

    enum class Result { Folded, FlushFirst };

    // The INSERT's values, the key columns among them. FlushFirst when the key has a pending
    // UPDATE that must reach the table before this INSERT is folded.
    Result AddInsert(std::span<const ColumnAssignment> values);
    // The UPDATE's SET values and its WHERE values, one for each key column.
    void AddUpdate(std::span<const ColumnAssignment> sets, std::span<const ColumnAssignment> keys);

    qsizetype RowCount() const { return qsizetype(Rows.size()); }
    bool IsEmpty() const { return Rows.empty(); }
    void Clear();

    // What a pending row says of its key: inserted in this fold, or only updated; the columns
    // of its INSERT and the columns its UPDATEs set, as bit masks over the table's columns.
    struct RowShape {
        bool Inserted = false;
        quint64 InsertColumns = 0;
        quint64 UpdateColumns = 0;
        bool operator==(const RowShape&) const = default;
    };

    RowShape ShapeOf(qsizetype row) const { return Rows[std::size_t(row)]; }
    // The row's value of a column, as the engine binds it. Text views the arena, which stays
    // unchanged until the next Add or Clear.
    ColumnValue ValueOf(qsizetype row, qsizetype column) const;
    // The primary key columns, in table order.
    const std::vector<qsizetype>& KeyColumns() const { return Key; }

private:
    HeldValue Hold(const ColumnValue& value);
    // The key columns among `assignments`, in table order.
    std::span<const ColumnAssignment> OrderedKeys(std::span<const ColumnAssignment> assignments);
    // The pending row of the key; -1 when there is none.
    qsizetype Find(std::span<const ColumnAssignment> keys, std::size_t hash) const;
    qsizetype Create(std::span<const ColumnAssignment> keys, std::size_t hash);
    void Set(qsizetype row, std::span<const ColumnAssignment> values);
    bool SameValue(const HeldValue& held, const ColumnValue& value) const;
    std::size_t HashOf(std::span<const ColumnAssignment> keys) const;
    void Grow();

    const TableInfo* Info;
    qsizetype ColumnCount;
    std::vector<qsizetype> Key;
    std::vector<ColumnAssignment> KeyScratch;
    std::vector<RowShape> Rows;
    std::vector<HeldValue> Values; // ColumnCount per row
    std::vector<std::size_t> RowHashes;
    std::vector<quint32> Buckets; // open addressing: row index + 1, 0 for an empty bucket
    QString Arena;
};

} // namespace tarnwick
