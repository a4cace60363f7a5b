#include "db/RowFold.h"

#include <bit>

namespace tarnwick {

namespace {

constexpr qsizetype MaxFoldedColumns = 64;

quint64 Bit(qsizetype column) {
    return quint64(1) << column;
}

std::size_t Mix(std::size_t hash, std::size_t value) {
    return (hash ^ value) * 0x9E3779B97F4A7C15ull;
}

// Keys with the same converted values hash alike, whatever the literals looked like.
std::size_t HashValue(const ColumnValue& value) {
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        return 0;
    case ColumnValue::Kind::Integer:
        return std::size_t(value.Integer);
    case ColumnValue::Kind::Real: // 0.0 and -0.0 are one key
        return value.Real == 0 ? 0 : std::bit_cast<std::size_t>(value.Real);
    case ColumnValue::Kind::Date:
        return std::size_t(value.Date.toJulianDay());
    case ColumnValue::Kind::Text:
        return value.Text.HasDoubledQuotes ? qHash(value.Text.TextValue()) : qHash(value.Text.Text);
    }
    return 0;
}

} // namespace

TableFold::TableFold(const TableInfo& table)
    : Info(&table), ColumnCount(qsizetype(table.Columns.size())) {
    for (qsizetype column = 0; column < ColumnCount; ++column)
        if (table.Columns[std::size_t(column)].PrimaryKey)
            Key.push_back(column);
    Buckets.assign(1024, 0);
}

bool TableFold::CanFold(const TableInfo& table) {
    if (qsizetype(table.Columns.size()) > MaxFoldedColumns)
        return false;
    for (const ColumnInfo& column : table.Columns)
        if (column.PrimaryKey)
            return true;
    return false;
}

void TableFold::Clear() {
    Rows.clear();
    Values.clear();
    RowHashes.clear();
    std::fill(Buckets.begin(), Buckets.end(), 0);
    Arena.clear();
}

std::span<const ColumnAssignment>
TableFold::OrderedKeys(std::span<const ColumnAssignment> assignments) {
    KeyScratch.clear();
    for (const qsizetype column : Key)
        for (const ColumnAssignment& assignment : assignments)
            if (assignment.Column == column) {
                KeyScratch.push_back(assignment);
                break;
            }
    return KeyScratch;
}

TableFold::Result TableFold::AddInsert(std::span<const ColumnAssignment> values) {
    const std::span<const ColumnAssignment> keys = OrderedKeys(values);
    const std::size_t hash = HashOf(keys);
    const qsizetype found = Find(keys, hash);
    if (found >= 0) {
        // The row exists from now on, whether it came with this fold or was there before.
        return Rows[std::size_t(found)].Inserted ? Result::Folded : Result::FlushFirst;
    }
    const qsizetype row = Create(keys, hash);
    RowShape& shape = Rows[std::size_t(row)];
    shape.Inserted = true;
    for (const ColumnAssignment& value : values)
        shape.InsertColumns |= Bit(value.Column);
    Set(row, values);
    return Result::Folded;
}

void TableFold::AddUpdate(std::span<const ColumnAssignment> sets,
                          std::span<const ColumnAssignment> keys) {
    const std::span<const ColumnAssignment> ordered = OrderedKeys(keys);
    const std::size_t hash = HashOf(ordered);
    qsizetype row = Find(ordered, hash);
    if (row < 0)
        row = Create(ordered, hash);
    RowShape& shape = Rows[std::size_t(row)];
    for (const ColumnAssignment& value : sets)
        shape.UpdateColumns |= Bit(value.Column);
    Set(row, sets);
}

ColumnValue TableFold::ValueOf(qsizetype row, qsizetype column) const {
    const HeldValue& held = Values[std::size_t(row * ColumnCount + column)];
    ColumnValue value;
    value.Type = Info->Columns[std::size_t(column)].Type;
    value.ValueKind = held.Kind;
    switch (held.Kind) {
    case ColumnValue::Kind::Null:
        break;
    case ColumnValue::Kind::Integer:
        value.Integer = int(held.Bits);
        break;
    case ColumnValue::Kind::Real:
        value.Real = std::bit_cast<double>(held.Bits);
        break;
    case ColumnValue::Kind::Date:
        value.Date = QDate::fromJulianDay(held.Bits);
        break;
    case ColumnValue::Kind::Text:
        value.Text.Text = QStringView(Arena).sliced(held.Bits, held.TextLength);
        break;
    }
    return value;
}

HeldValue TableFold::Hold(const ColumnValue& value) {
    HeldValue held;
    held.Kind = value.ValueKind;
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        break;
    case ColumnValue::Kind::Integer:
        held.Bits = value.Integer;
        break;
    case ColumnValue::Kind::Real:
        held.Bits = std::bit_cast<qint64>(value.Real);
        break;
    case ColumnValue::Kind::Date:
        held.Bits = value.Date.toJulianDay();
        break;
    case ColumnValue::Kind::Text: {
        held.Bits = Arena.size();
        if (value.Text.HasDoubledQuotes)
            Arena.append(value.Text.TextValue());
        else
            Arena.append(value.Text.Text);
        held.TextLength = quint32(Arena.size() - held.Bits);
        break;
    }
    }
    return held;
}

void TableFold::Set(qsizetype row, std::span<const ColumnAssignment> values) {
    HeldValue* const rowValues = Values.data() + row * ColumnCount;
    for (const ColumnAssignment& value : values)
        rowValues[value.Column] = Hold(*value.Value);
}

bool TableFold::SameValue(const HeldValue& held, const ColumnValue& value) const {
    if (held.Kind != value.ValueKind)
        return false;
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        return true;
    case ColumnValue::Kind::Integer:
        return held.Bits == value.Integer;
    case ColumnValue::Kind::Real:
        return std::bit_cast<double>(held.Bits) == value.Real;
    case ColumnValue::Kind::Date:
        return held.Bits == value.Date.toJulianDay();
    case ColumnValue::Kind::Text: {
        const QStringView stored = QStringView(Arena).sliced(held.Bits, held.TextLength);
        return value.Text.HasDoubledQuotes ? stored == value.Text.TextValue()
                                           : stored == value.Text.Text;
    }
    }
    return false;
}

std::size_t TableFold::HashOf(std::span<const ColumnAssignment> keys) const {
    std::size_t hash = 0;
    for (const ColumnAssignment& key : keys)
        hash = Mix(hash, Mix(std::size_t(key.Column), HashValue(*key.Value)));
    return hash;
}

qsizetype TableFold::Find(std::span<const ColumnAssignment> keys, std::size_t hash) const {
    const std::size_t mask = Buckets.size() - 1;
    for (std::size_t bucket = hash & mask;; bucket = (bucket + 1) & mask) {
        const quint32 entry = Buckets[bucket];
        if (entry == 0)
            return -1;
        const qsizetype row = qsizetype(entry) - 1;
        if (RowHashes[std::size_t(row)] != hash)
            continue;
        const HeldValue* const rowValues = Values.data() + row * ColumnCount;
        bool same = true;
        for (const ColumnAssignment& key : keys)
            same = same && SameValue(rowValues[key.Column], *key.Value);
        if (same)
            return row;
    }
}

qsizetype TableFold::Create(std::span<const ColumnAssignment> keys, std::size_t hash) {
    if ((Rows.size() + 1) * 2 > Buckets.size())
        Grow();
    const qsizetype row = qsizetype(Rows.size());
    Rows.emplace_back();
    RowHashes.push_back(hash);
    Values.resize(Values.size() + std::size_t(ColumnCount));
    Set(row, keys);
    const std::size_t mask = Buckets.size() - 1;
    std::size_t bucket = hash & mask;
    while (Buckets[bucket] != 0)
        bucket = (bucket + 1) & mask;
    Buckets[bucket] = quint32(row + 1);
    return row;
}

void TableFold::Grow() {
    Buckets.assign(Buckets.size() * 2, 0);
    const std::size_t mask = Buckets.size() - 1;
    for (std::size_t row = 0; row < Rows.size(); ++row) {
        std::size_t bucket = RowHashes[row] & mask;
        while (Buckets[bucket] != 0)
            bucket = (bucket + 1) & mask;
        Buckets[bucket] = quint32(row + 1);
    }
}

} // namespace tarnwick
