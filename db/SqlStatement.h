#pragma once

#include "db/Error.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <vector>

namespace tarnwick {

// The few statement forms the writers build:
//   INSERT INTO t (c1, c2, ...) VALUES (literal1, literal2, ...)
//   UPDATE t SET c = literal, ... WHERE ((c)=literal) AND ((c)=literal) ...
//   SELECT Count(*) AS alias FROM t
enum class StatementKind { Insert, Update, Count };

enum class LiteralKind {
    Text,   // 'quoted', with '' standing for one quote
    Number, // a bare number, as written
    Date,   // #M/D/YY# or #M/D/YYYY#
};

struct SqlLiteral {
    LiteralKind Kind = LiteralKind::Text;
    // The literal as written, without its quotes or # signs; a view into the parsed text.
    QStringView Text;
    bool HasDoubledQuotes = false;
    QDate Date; // the day a Date literal names

    // The text value: Text with each doubled quote made single.
    QString TextValue() const;
};

struct ColumnLiteral {
    QStringView Column;
    SqlLiteral Value;
};

// A parsed statement. Its views point into the text given to ParseStatement, which must
// outlive it.
struct SqlStatement {
    StatementKind Kind = StatementKind::Insert;
    QStringView Table;
    std::vector<ColumnLiteral> Values;     // the INSERT's columns and values, or UPDATE's SET
    std::vector<ColumnLiteral> Conditions; // UPDATE's WHERE, a conjunction of column = literal
    QStringView CountAlias;
};

// Parses one statement. Throws Error naming the fault and quoting the statement.
SqlStatement ParseStatement(QStringView text);

// The same, reusing the vectors of `statement` so that the hot path does not allocate.
void ParseStatement(QStringView text, SqlStatement& statement);

// The start of a statement for error messages, cut at a readable length.
QString StatementExcerpt(QStringView text);

} // namespace tarnwick
