#include "db/SqlStatement.h"

#include "db/LiteralConversion.h"
#include "db/StatementScanning.h"

namespace tarnwick {

using namespace Qt::Literals::StringLiterals;

namespace {

enum class TokenKind { End, Word, Text, Date, Open, Close, Comma, Equals, Star, Semicolon };

struct Token {
    TokenKind Kind = TokenKind::End;
    QStringView Text; // a word, or a literal without its quotes or # signs
    qsizetype Position = 0;
    bool HasDoubledQuotes = false;
    bool IsName = false; // a word that can name a table, column or field
};

bool IsSpace(char16_t c) {
    return c < AsciiFlags.size() && (AsciiFlags[c] & Space);
}

bool IsNameStart(char16_t c) {
    return c < AsciiFlags.size() ? (AsciiFlags[c] & NameStart) != 0 : QChar(c).isLetter();
}

bool IsNamePart(char16_t c) {
    return c < AsciiFlags.size() ? (AsciiFlags[c] & NamePart) != 0 : QChar(c).isLetterOrNumber();
}

// `keyword` is upper-case ASCII.
bool IsKeyword(QStringView word, QLatin1StringView keyword) {
    if (word.size() != keyword.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 128) // Unicode case folding may still match
            return word.compare(keyword, Qt::CaseInsensitive) == 0;
        const char16_t upper = c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
        if (upper != keyword.at(i).unicode())
            return false;
    }
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
        if (TakeKeyword("INSERT"_L1))
            ParseInsert();
        else if (TakeKeyword("UPDATE"_L1))
            ParseUpdate();
        else if (TakeKeyword("SELECT"_L1))
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
        const char16_t* const chars = Source.utf16();
        while (Position < Source.size() && IsSpace(chars[Position]))
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

    // One table lookup per ASCII character: this loop sees most of every statement.
    void ReadWord() {
        const char16_t* const chars = Source.utf16();
        const qsizetype size = Source.size();
        const qsizetype start = Position;
        qsizetype end = start;
        unsigned char common = NamePart; // the flags every character so far has
        for (; end < size; ++end) {
            const char16_t c = chars[end];
            if (c >= AsciiFlags.size()) {
                if (!IsNamePart(c))
                    common = 0;
                continue;
            }
            const unsigned char flags = AsciiFlags[c];
            if (flags & (Space | Punctuation))
                break;
            common &= flags;
        }
        Position = end;
        Current.Kind = TokenKind::Word;
        Current.Text = Source.sliced(start, end - start);
        Current.IsName = common != 0 && IsNameStart(chars[start]);
    }

    // Literals are a few characters long: a plain loop costs less than a library call.
    qsizetype Find(char16_t wanted, qsizetype from) const {
        const char16_t* const chars = Source.utf16();
        for (qsizetype i = from; i < Source.size(); ++i)
            if (chars[i] == wanted)
                return i;
        return -1;
    }

    void ReadText() {
        const qsizetype start = ++Position;
        const qsizetype quote = TextLiteralEnd(Source, start, Current.HasDoubledQuotes);
        if (quote < 0)
            Fail(QStringLiteral("a text value is not closed by a quote"), start - 1);
        Current.Kind = TokenKind::Text;
        Current.Text = Source.sliced(start, quote - start);
        Position = quote + 1;
    }

    void ReadDate() {
        const qsizetype start = ++Position;
        const qsizetype close = Find(u'#', Position);
        if (close < 0)
            Fail(QStringLiteral("a #date# is not closed by #"), start - 1);
        Current.Kind = TokenKind::Date;
        Current.Text = Source.sliced(start, close - start);
        Position = close + 1;
    }

    // --- grammar helpers

    bool AtKeyword(QLatin1StringView keyword) const {
        return Current.Kind == TokenKind::Word && IsKeyword(Current.Text, keyword);
    }

    bool TakeKeyword(QLatin1StringView keyword) {
        if (!AtKeyword(keyword))
            return false;
        Advance();
        return true;
    }

    void ExpectKeyword(QLatin1StringView keyword) {
        if (!TakeKeyword(keyword))
            Fail(QStringLiteral("expected %1 but found %2").arg(QString(keyword), Describe()));
    }

    // Descriptions are Latin-1 literals, whose length is known without counting on every call.
    void Expect(TokenKind kind, QLatin1StringView what) {
        if (Current.Kind != kind)
            Fail(QStringLiteral("expected %1 but found %2").arg(QString(what), Describe()));
        Advance();
    }

    QStringView ExpectName(QLatin1StringView what) {
        if (Current.Kind != TokenKind::Word || !Current.IsName)
            Fail(QStringLiteral("expected a %1 name but found %2").arg(QString(what), Describe()));
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
        Expect(TokenKind::Close, "')'"_L1);
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
        throw Error(QStringLiteral("Cannot read the statement: %1 (at character %2) in: %3")
                        .arg(fault)
                        .arg(position + 1)
                        .arg(StatementExcerpt(Source)),
                    FailureKind::Statement);
    }

    // --- literals

    bool AtLiteral() const {
        return Current.Kind == TokenKind::Text || Current.Kind == TokenKind::Date ||
               (Current.Kind == TokenKind::Word && !Current.IsName && IsNumberText(Current.Text));
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
        ExpectKeyword("INTO"_L1);
        Statement.Table = ExpectName("table"_L1);
        Expect(TokenKind::Open, "'(' before the column names"_L1);
        do {
            Statement.Values.push_back({ExpectName("column"_L1), {}});
        } while (TakeComma());
        Expect(TokenKind::Close, "')' after the column names"_L1);
        ExpectKeyword("VALUES"_L1);
        const qsizetype valuesPosition = Current.Position;
        Expect(TokenKind::Open, "'(' before the values"_L1);
        std::size_t count = 0;
        do {
            SqlLiteral literal = ExpectLiteral();
            if (count < Statement.Values.size())
                Statement.Values[count].Value = literal;
            ++count;
        } while (TakeComma());
        Expect(TokenKind::Close, "')' after the values"_L1);
        if (count != Statement.Values.size())
            Fail(QStringLiteral("%1 columns but %2 values").arg(Statement.Values.size()).arg(count),
                 valuesPosition);
    }

    void ParseUpdate() {
        Statement.Kind = StatementKind::Update;
        Statement.Table = ExpectName("table"_L1);
        ExpectKeyword("SET"_L1);
        do {
            const QStringView column = ExpectName("column"_L1);
            Expect(TokenKind::Equals, "'='"_L1);
            Statement.Values.push_back({column, ExpectLiteral()});
        } while (TakeComma());
        ExpectKeyword("WHERE"_L1);
        if (ParseConjunction().Kind != TermKind::Comparison)
            Fail(QStringLiteral("the WHERE clause compares nothing"));
    }

    void ParseCount() {
        Statement.Kind = StatementKind::Count;
        ExpectKeyword("COUNT"_L1);
        Expect(TokenKind::Open, "'(' after Count"_L1);
        Expect(TokenKind::Star, "'*'"_L1);
        Expect(TokenKind::Close, "')'"_L1);
        ExpectKeyword("AS"_L1);
        Statement.CountAlias = ExpectName("field"_L1);
        ExpectKeyword("FROM"_L1);
        Statement.Table = ExpectName("table"_L1);
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
        while (AtKeyword("AND"_L1)) {
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
        } else if (Current.Kind == TokenKind::Word && Current.IsName) {
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
