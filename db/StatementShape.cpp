#include "db/StatementShape.h"

#include <algorithm>

namespace tarnwick {

namespace {

void Mix(std::size_t& hash, std::size_t value) {
    hash = (hash ^ value) * 0x9E3779B97F4A7C15ull;
}

void MixName(std::size_t& hash, QStringView name) {
    Mix(hash, static_cast<std::size_t>(name.size()));
    if (!name.isEmpty()) {
        Mix(hash, name.front().unicode());
        Mix(hash, name.back().unicode());
    }
}

void MixColumns(std::size_t& hash, const std::vector<ColumnLiteral>& items) {
    Mix(hash, items.size());
    for (const ColumnLiteral& item : items)
        MixName(hash, item.Column);
}

std::vector<QString> NamesOf(const std::vector<ColumnLiteral>& items) {
    std::vector<QString> names;
    names.reserve(items.size());
    for (const ColumnLiteral& item : items)
        names.push_back(item.Column.toString());
    return names;
}

bool SameNames(const std::vector<QString>& names, const std::vector<ColumnLiteral>& items) {
    return std::equal(names.begin(), names.end(), items.begin(), items.end(),
                      [](const QString& name, const ColumnLiteral& item) {
                          return QStringView(name) == item.Column;
                      });
}

} // namespace

StatementShape::StatementShape(const SqlStatement& statement)
    : Kind(statement.Kind), Table(statement.Table.toString()), Values(NamesOf(statement.Values)),
      Conditions(NamesOf(statement.Conditions)), HashValue(QuickHash(statement)) {}

std::size_t StatementShape::QuickHash(const SqlStatement& statement) {
    std::size_t hash = static_cast<std::size_t>(statement.Kind);
    MixName(hash, statement.Table);
    MixColumns(hash, statement.Values);
    MixColumns(hash, statement.Conditions);
    return hash;
}

bool StatementShape::Matches(const SqlStatement& statement) const {
    return Kind == statement.Kind && QStringView(Table) == statement.Table &&
           SameNames(Values, statement.Values) && SameNames(Conditions, statement.Conditions);
}

} // namespace tarnwick
