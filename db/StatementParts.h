#pragma once

#include "db/SqlStatement.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace tarnwick {

// The fixed text of one form of statement and the kinds of the literals between: what a writer
// builds once for each statement it writes again and again with other values.
class StatementForm {
public:
    StatementForm& Fixed(QStringView text);
    // A literal: text between single quotes, a bare number, or a date between # signs.
    StatementForm& Literal(LiteralKind kind);

    std::size_t LiteralCount() const { return Kinds.size(); }
    LiteralKind KindOf(std::size_t literal) const { return Kinds[literal]; }

private:
    friend class StatementParts;
    std::vector<QString> Pieces{QString()}; // one more than the literals
    std::vector<LiteralKind> Kinds;
};

// One statement of a form: its literals, as values. Its text, built only when asked for, is the
// form's pieces with the literals between, each quote in a text literal doubled. The database
// reads a statement in parts without building or parsing its text, with the same result.
class StatementParts {
public:
    explicit StatementParts(const StatementForm& form)
        : TheForm(form), Literals(form.LiteralCount()) {}

    const StatementForm& Form() const { return TheForm; }
    // The view must stay valid while the statement is executed.
    void Set(std::size_t literal, QStringView value) { Literals[literal] = value; }
    QStringView Literal(std::size_t literal) const { return Literals[literal]; }

    QString Text() const { return Text(nullptr); }
    // The same, with where each literal's value starts in it.
    QString Text(std::vector<qsizetype>* literalStarts) const;

private:
    const StatementForm& TheForm;
    std::vector<QStringView> Literals;
};

} // namespace tarnwick
