#pragma once

#include "db/SqlStatement.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace tarnwick {

// The fixed text of a statement around its literals, learnt from one parsed statement. A text
// that has the same fixed text, with literals of the same kinds between, parses to the same
// statement with other values; the skeleton reads it by comparing the fixed text and scanning
// the literals, which costs a fraction of a full parse.
class StatementSkeleton {
public:
    // The skeleton of `text`, which `parsed` is the parse of.
    StatementSkeleton(QStringView text, const SqlStatement& parsed);

    // Parses `text` into `statement` when it has this skeleton, exactly as ParseStatement would;
    // false, with `statement` unusable, when it has not, or when a literal needs the full
    // parser's judgement (ParseStatement then gives the answer, or the error).
    bool Parse(QStringView text, SqlStatement& statement) const;

private:
    struct Slot {
        LiteralKind Kind;
        bool Condition; // in the WHERE clause rather than the values
        std::size_t Index;
    };
    // A name of the statement: where it lies in one of the fixed pieces.
    struct NamePlace {
        std::size_t Piece;
        qsizetype Offset;
        qsizetype Length;
    };

    StatementKind Kind;
    std::vector<QString> Pieces; // one more than the literals
    std::vector<Slot> Literals;
    NamePlace Table;
    std::vector<NamePlace> ValueColumns;
    std::vector<NamePlace> ConditionColumns;
    NamePlace CountAlias;
};

} // namespace tarnwick
