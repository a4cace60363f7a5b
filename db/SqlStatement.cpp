#include "SqlStatement.h"

#include "LiteralConversion.h"

#include <array>

namespace tarnwick {

namespace {

enum class TokenKind { End, Word, Text, Date, Open, Close, Comma, Equals, Star, Semicolon };

struct Token {
    TokenKind Kind = TokenKind::End;
    QStringView Text; // a word, or a literal without its quotes or # signs
    qsizetype Position = 0;
    bool HasDoubledQuotes = false;
};

enum class CharClass : unsigned char { Word, Space, Punctuation };

// Characters below 128 by class; everything above is part of a word.
constexpr std::array<CharClass, 128> AsciiClasses = [] {
    std::array<CharClass, 128> classes{};
    for (char c : {' ', '\t', '\r', '\n', '\f', '\v'})
        classes[static_cast<unsigned char>(c)] = CharClass::Space;
    for (char c : {'(', ')', ',', '=', '*', ';', '\'', '#'})
        classes[static_cast<unsigned char>(c)] = CharClass::Punctuation;
    return classes;
}();

CharClass ClassOf(QChar c) {
    return c.unicode() < AsciiClasses.size() ? AsciiClasses[c.unicode()] : CharClass::Word;
}

bool IsNameStart(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_';
    return c.isLetter();
}

bool IsNamePart(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return IsNameStart(c) || (u >= u'0' && u <= u'9');
    return c.isLetterOrNumber();
}

bool IsName(QStringView word) {
    if (word.isEmpty() || !IsNameStart(word.front()))
        return false;
    for (QChar c : word)
        if (!IsNamePart(c))
            return false;
    return true;
}

class StatementParser {
public:
    StatementParser(QStringView text, SqlStatement& statement)
        : Source(text), Statement(statement) {
        Advance();
    }

    void Parse() {
        Statement.Values.clear();
        Statement.Conditions.clear();
        Statement.Table = {};
        Statement.CountAlias = {};
        if (TakeKeyword(u"INSERT"))
            ParseInsert();
        else if (TakeKeyword(u"UPDATE"))
            ParseUpdate();
        else if (TakeKeyword(u"SELECT"))
            ParseCount();
        else
            Fail(QStringLiteral("it is not an INSERT, UPDATE or SELECT Count(*) statement"));
        if (Current.Kind == TokenKind::Semicolon)
            Advance();
        if (Current.Kind != TokenKind::End)
            Fail(QStringLiteral("unexpected %1 after the end of the statement").arg(Describe()));
    }

private:
    // Parentheses deeper than this are no statement of ours, and would only eat the stack.
    static constexpr int MaxNesting = 100;

    QStringView Source;
    SqlStatement& Statement;
    qsizetype Position = 0;
    Token Current;
    int Nesting = 0;

    // --- tokens

    void Advance() {
        while (Position < Source.size() && ClassOf(Source[Position]) == CharClass::Space)
            ++Position;
        Current = Token{};
        Current.Position = Position;
        if (Position == Source.size())
            return;
        const QChar c = Source[Position];
        switch (c.unicode()) {
        case u'\'':
            return ReadText();
        case u'#':
            return ReadDate();
        case u'(':
            return ReadPunctuation(TokenKind::Open);
        case u')':
            return ReadPunctuation(TokenKind::Close);
        case u',':
            return ReadPunctuation(TokenKind::Comma);
        case u'=':
            return ReadPunctuation(TokenKind::Equals);
        case u'*':
            return ReadPunctuation(TokenKind::Star);
        case u';':
            return ReadPunctuation(TokenKind::Semicolon);
        default:
            return ReadWord();
        }
    }

    void ReadPunctuation(TokenKind kind) {
        Current.Kind = kind;
        Current.Text = Source.sliced(Position, 1);
        ++Position;
    }

    void ReadWord() {
        const qsizetype start = Position;
        while (Position < Source.size() && ClassOf(Source[Position]) == CharClass::Word)
            ++Position;
        Current.Kind = TokenKind::Word;
        Current.Text = Source.sliced(start, Position - start);
    }

    void ReadText() {
        const qsizetype start = ++Position;
        for (;;) {
            const qsizetype quote = Source.indexOf(u'\'', Position);
            if (quote < 0)
                Fail(QStringLiteral("a text value is not closed by a quote"), start - 1);
            if (quote + 1 < Source.size() && Source[quote + 1] == u'\'') {
                Current.HasDoubledQuotes = true;
                Position = quote + 2;
                continue;
            }
            Current.Kind = TokenKind::Text;
            Current.Text = Source.sliced(start, quote - start);
            Position = quote + 1;
            return;
        }
    }

    void ReadDate() {
        const qsizetype start = ++Position;
        const qsizetype close = Source.indexOf(u'#', Position);
        if (close < 0)
            Fail(QStringLiteral("a #date# is not closed by #"), start - 1);
        Current.Kind = TokenKind::Date;
        Current.Text = Source.sliced(start, close - start);
        Position = close + 1;
    }

    // --- grammar helpers

    bool AtKeyword(QStringView keyword) const {
        return Current.Kind == TokenKind::Word &&
               Current.Text.compare(keyword, Qt::CaseInsensitive) == 0;
    }

    bool TakeKeyword(QStringView keyword) {
        if (!AtKeyword(keyword))
            return false;
        Advance();
        return true;
    }

    void ExpectKeyword(QStringView keyword) {
        if (!TakeKeyword(keyword))
            Fail(QStringLiteral("expected %1 but found %2").arg(keyword.toString(), Describe()));
    }

    void Expect(TokenKind kind, QStringView what) {
        if (Current.Kind != kind)
            Fail(QStringLiteral("expected %1 but found %2").arg(what.toString(), Describe()));
        Advance();
    }

    QStringView ExpectName(QStringView what) {
        if (Current.Kind != TokenKind::Word || !IsName(Current.Text))
            Fail(
                QStringLiteral("expected a %1 name but found %2").arg(what.toString(), Describe()));
        const QStringView name = Current.Text;
        Advance();
        return name;
    }

    void EnterParenthesis() {
        if (++Nesting > MaxNesting)
            Fail(QStringLiteral("too many nested parentheses"));
        Advance();
    }

    void LeaveParenthesis() {
        Expect(TokenKind::Close, u"')'");
        --Nesting;
    }

    QString Describe() const {
        switch (Current.Kind) {
        case TokenKind::End:
            return QStringLiteral("the end of the statement");
        case TokenKind::Text:
            return QStringLiteral("'%1'").arg(Current.Text.toString());
        case TokenKind::Date:
            return QStringLiteral("#%1#").arg(Current.Text.toString());
        default:
            return QStringLiteral("\"%1\"").arg(Current.Text.toString());
        }
    }

    [[noreturn]] void Fail(const QString& fault) const { Fail(fault, Current.Position); }

    [[noreturn]] void Fail(const QString& fault, qsizetype position) const {
        throw DatabaseError(QStringLiteral("Cannot read the statement: %1 (at character %2) in: %3")
                                .arg(fault)
                                .arg(position + 1)
                                .arg(StatementExcerpt(Source)));
    }

    // --- literals

    bool AtLiteral() const {
        return Current.Kind == TokenKind::Text || Current.Kind == TokenKind::Date ||
               (Current.Kind == TokenKind::Word && IsNumberText(Current.Text));
    }

    // The current token as a literal; the caller has checked AtLiteral().
    SqlLiteral TakeLiteral() {
        SqlLiteral literal;
        literal.Text = Current.Text;
        literal.HasDoubledQuotes = Current.HasDoubledQuotes;
        if (Current.Kind == TokenKind::Text) {
            literal.Kind = LiteralKind::Text;
        } else if (Current.Kind == TokenKind::Date) {
            literal.Kind = LiteralKind::Date;
            const std::optional<QDate> date = ReadUsDate(Current.Text);
            if (!date)
                Fail(QStringLiteral("bad date literal #%1#").arg(Current.Text.toString()));
            literal.Date = *date;
        } else {
            literal.Kind = LiteralKind::Number;
        }
        Advance();
        return literal;
    }

    SqlLiteral ExpectLiteral() {
        if (Current.Kind == TokenKind::Open) {
            EnterParenthesis();
            const SqlLiteral literal = ExpectLiteral();
            LeaveParenthesis();
            return literal;
        }
        if (!AtLiteral())
            Fail(QStringLiteral("expected a value but found %1").arg(Describe()));
        return TakeLiteral();
    }

    // --- statements

    void ParseInsert() {
        Statement.Kind = StatementKind::Insert;
        ExpectKeyword(u"INTO");
        Statement.Table = ExpectName(u"table");
        Expect(TokenKind::Open, u"'(' before the column names");
        do {
            Statement.Values.push_back({ExpectName(u"column"), {}});
        } while (TakeComma());
        Expect(TokenKind::Close, u"')' after the column names");
        ExpectKeyword(u"VALUES");
        const qsizetype valuesPosition = Current.Position;
        Expect(TokenKind::Open, u"'(' before the values");
        std::size_t count = 0;
        do {
            SqlLiteral literal = ExpectLiteral();
            if (count < Statement.Values.size())
                Statement.Values[count].Value = literal;
            ++count;
        } while (TakeComma());
        Expect(TokenKind::Close, u"')' after the values");
        if (count != Statement.Values.size())
            Fail(QStringLiteral("%1 columns but %2 values").arg(Statement.Values.size()).arg(count),
                 valuesPosition);
    }

    void ParseUpdate() {
        Statement.Kind = StatementKind::Update;
        Statement.Table = ExpectName(u"table");
        ExpectKeyword(u"SET");
        do {
            const QStringView column = ExpectName(u"column");
            Expect(TokenKind::Equals, u"'='");
            Statement.Values.push_back({column, ExpectLiteral()});
        } while (TakeComma());
        ExpectKeyword(u"WHERE");
        if (ParseConjunction().Kind != TermKind::Comparison)
            Fail(QStringLiteral("the WHERE clause compares nothing"));
    }

    void ParseCount() {
        Statement.Kind = StatementKind::Count;
        ExpectKeyword(u"COUNT");
        Expect(TokenKind::Open, u"'(' after Count");
        Expect(TokenKind::Star, u"'*'");
        Expect(TokenKind::Close, u"')'");
        ExpectKeyword(u"AS");
        Statement.CountAlias = ExpectName(u"field");
        ExpectKeyword(u"FROM");
        Statement.Table = ExpectName(u"table");
    }

    bool TakeComma() {
        if (Current.Kind != TokenKind::Comma)
            return false;
        Advance();
        return true;
    }

    // --- the WHERE clause: column = literal comparisons joined by AND, parentheses anywhere

    enum class TermKind { Operand, Comparison };

    struct Term {
        TermKind Kind = TermKind::Operand;
        bool IsColumn = false;
        QStringView Column;
        SqlLiteral Literal;
        qsizetype Position = 0;
    };

    Term ParseConjunction() {
        Term term = ParseComparison();
        while (AtKeyword(u"AND")) {
            RequireComparison(term);
            Advance();
            term = ParseComparison();
            RequireComparison(term);
        }
        return term;
    }

    Term ParseComparison() {
        Term left = ParsePrimary();
        if (Current.Kind != TokenKind::Equals)
            return left;
        Advance();
        const Term right = ParsePrimary();
        AddCondition(left, right);
        Term comparison;
        comparison.Kind = TermKind::Comparison;
        comparison.Position = left.Position;
        return comparison;
    }

    Term ParsePrimary() {
        if (Current.Kind == TokenKind::Open) {
            EnterParenthesis();
            const Term inner = ParseConjunction();
            LeaveParenthesis();
            return inner;
        }
        Term operand;
        operand.Position = Current.Position;
        if (AtLiteral()) {
            operand.Literal = TakeLiteral();
        } else if (Current.Kind == TokenKind::Word && IsName(Current.Text)) {
            operand.IsColumn = true;
            operand.Column = Current.Text;
            Advance();
        } else {
            Fail(QStringLiteral("expected a column or a value but found %1").arg(Describe()));
        }
        return operand;
    }

    void RequireComparison(const Term& term) const {
        if (term.Kind != TermKind::Comparison)
            Fail(QStringLiteral("AND joins comparisons, not a lone column or value"),
                 term.Position);
    }

    void AddCondition(const Term& left, const Term& right) {
        if (left.Kind != TermKind::Operand || right.Kind != TermKind::Operand)
            Fail(QStringLiteral("'=' compares a column with a value"), left.Position);
        if (left.IsColumn == right.IsColumn)
            Fail(left.IsColumn ? QStringLiteral("expected a value to compare %1 with but found "
                                                "the name %2")
                                     .arg(left.Column.toString(), right.Column.toString())
                               : QStringLiteral("'=' compares two values, not a column"),
                 right.Position);
        const Term& column = left.IsColumn ? left : right;
        const Term& value = left.IsColumn ? right : left;
        Statement.Conditions.push_back({column.Column, value.Literal});
    }
};

} // namespace

QString SqlLiteral::TextValue() const {
    if (!HasDoubledQuotes)
        return Text.toString();
    QString value;
    value.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        value.append(Text[i]);
        if (Text[i] == u'\'')
            ++i; // the second quote of the pair
    }
    return value;
}

SqlStatement ParseStatement(QStringView text) {
    SqlStatement statement;
    ParseStatement(text, statement);
    return statement;
}

void ParseStatement(QStringView text, SqlStatement& statement) {
    StatementParser(text, statement).Parse();
}

QString StatementExcerpt(QStringView text) {
    constexpr qsizetype Length = 160;
    if (text.size() <= Length)
        return text.toString();
    return text.first(Length).toString() + QStringLiteral("...");
}

} // namespace tarnwick
