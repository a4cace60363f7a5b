#include "db/StatementParts.h"

#include "db/TextRules.h"

namespace tarnwick {

namespace {

QStringView Delimiter(LiteralKind kind) {
    switch (kind) {
    case LiteralKind::Text:
        return u"'";
    case LiteralKind::Date:
        return u"#";
    case LiteralKind::Number:
        break;
    }
    return {};
}

} // namespace

StatementForm& StatementForm::Fixed(QStringView text) {
    Pieces.back().append(text);
    return *this;
}

StatementForm& StatementForm::Literal(LiteralKind kind) {
    Pieces.back().append(Delimiter(kind));
    Kinds.push_back(kind);
    Pieces.emplace_back(Delimiter(kind).toString());
    return *this;
}

QString StatementParts::Text(std::vector<qsizetype>* literalStarts) const {
    qsizetype length = 0;
    for (const QString& piece : TheForm.Pieces)
        length += piece.size();
    for (const QStringView literal : Literals)
        length += literal.size() + 2; // room for a quote doubled or two
    QString text;
    text.reserve(length);
    if (literalStarts)
        literalStarts->clear();
    for (std::size_t i = 0; i < Literals.size(); ++i) {
        text.append(TheForm.Pieces[i]);
        if (literalStarts)
            literalStarts->push_back(text.size());
        if (TheForm.Kinds[i] == LiteralKind::Text)
            AppendSqlText(text, Literals[i]);
        else
            text.append(Literals[i]);
    }
    text.append(TheForm.Pieces.back());
    return text;
}

} // namespace tarnwick
