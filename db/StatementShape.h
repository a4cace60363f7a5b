#pragma once

#include "db/SqlStatement.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace tarnwick {

// What makes statements share one prepared statement: the kind, and the table and column names
// as written. Only the values differ between them.
class StatementShape {
public:
    explicit StatementShape(const SqlStatement& statement);

    // A hash that statements of one shape always share and that looks at a few characters of
    // each name only, so that finding the shape of a statement costs little; Matches decides.
    static std::size_t QuickHash(const SqlStatement& statement);

    std::size_t Hash() const { return HashValue; }
    bool Matches(const SqlStatement& statement) const;

private:
    StatementKind Kind;
    QString Table;
    std::vector<QString> Values;
    std::vector<QString> Conditions;
    std::size_t HashValue;
};

} // namespace tarnwick
