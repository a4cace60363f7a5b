#include "db/StatementSkeleton.h"

#include "db/LiteralConversion.h"
#include "db/StatementScanning.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

// Where a literal's token lies in the text, quotes and # signs included.
struct LiteralToken {
    qsizetype Start = 0;
    qsizetype End = 0;
    LiteralKind Kind = LiteralKind::Text;
    bool Condition = false;
    std::size_t Index = 0;
};

LiteralToken TokenOf(QStringView text, const SqlLiteral& literal, bool condition,
                     std::size_t index) {
    const qsizetype inside = literal.Text.data() - text.data();
    const qsizetype delimiters = literal.Kind == LiteralKind::Number ? 0 : 1;
    return {inside - delimiters, inside + literal.Text.size() + delimiters, literal.Kind, condition,
            index};
}

// Each scans one literal at `position` as the tokenizer and the parser would read it, and
// moves `position` past it; false where the parser would have to judge.
bool ScanText(QStringView text, qsizetype& position, SqlLiteral& literal) {
    if (position >= text.size() || text[position] != u'\'')
        return false;
    const qsizetype quote = TextLiteralEnd(text, position + 1, literal.HasDoubledQuotes);
    if (quote < 0)
        return false;
    literal.Text = text.sliced(position + 1, quote - position - 1);
    position = quote + 1;
    return true;
}

bool ScanDate(QStringView text, qsizetype& position, SqlLiteral& literal) {
    if (position >= text.size() || text[position] != u'#')
        return false;
    const qsizetype close = text.indexOf(u'#', position + 1);
    if (close < 0)
        return false;
    literal.Text = text.sliced(position + 1, close - position - 1);
    const std::optional<QDate> date = ReadUsDate(literal.Text);
    if (!date)
        return false;
    literal.Date = *date;
    position = close + 1;
    return true;
}

bool ScanNumber(QStringView text, qsizetype& position, SqlLiteral& literal) {
    const qsizetype start = position;
    const char16_t* const chars = text.utf16();
    while (position < text.size() && !IsWordEnd(chars[position]))
        ++position;
    literal.Text = text.sliced(start, position - start);
    literal.HasDoubledQuotes = false;
    return IsNumberText(literal.Text);
}

} // namespace

StatementSkeleton::StatementSkeleton(QStringView text, const SqlStatement& parsed)
    : Kind(parsed.Kind) {
    std::vector<LiteralToken> tokens;
    for (std::size_t i = 0; i < parsed.Values.size(); ++i)
        tokens.push_back(TokenOf(text, parsed.Values[i].Value, false, i));
    for (std::size_t i = 0; i < parsed.Conditions.size(); ++i)
        tokens.push_back(TokenOf(text, parsed.Conditions[i].Value, true, i));
    std::sort(tokens.begin(), tokens.end(),
              [](const LiteralToken& a, const LiteralToken& b) { return a.Start < b.Start; });
    std::vector<qsizetype> pieceStarts;
    qsizetype position = 0;
    for (const LiteralToken& token : tokens) {
        pieceStarts.push_back(position);
        Pieces.push_back(text.sliced(position, token.Start - position).toString());
        Literals.push_back({token.Kind, token.Condition, token.Index});
        position = token.End;
    }
    pieceStarts.push_back(position);
    Pieces.push_back(text.sliced(position).toString());

    // Names lie in the fixed text: each is found again at its place in its piece.
    const auto placeOf = [&](QStringView name) {
        const qsizetype offset = name.data() - text.data();
        std::size_t piece = pieceStarts.size() - 1;
        while (piece > 0 && pieceStarts[piece] > offset)
            --piece;
        return NamePlace{piece, offset - pieceStarts[piece], name.size()};
    };
    Table = placeOf(parsed.Table);
    for (const ColumnLiteral& item : parsed.Values)
        ValueColumns.push_back(placeOf(item.Column));
    for (const ColumnLiteral& item : parsed.Conditions)
        ConditionColumns.push_back(placeOf(item.Column));
    CountAlias = parsed.CountAlias.isEmpty() ? NamePlace{0, 0, 0} : placeOf(parsed.CountAlias);
}

bool StatementSkeleton::Parse(QStringView text, SqlStatement& statement) const {
    constexpr std::size_t MaxPieces = 64;
    if (Pieces.size() > MaxPieces)
        return false;
    std::array<qsizetype, MaxPieces> starts; // set up to the pieces used; no zeroing
    statement.Kind = Kind;
    statement.Values.resize(ValueColumns.size());
    statement.Conditions.resize(ConditionColumns.size());
    qsizetype position = 0;
    for (std::size_t i = 0; i < Pieces.size(); ++i) {
        const QString& piece = Pieces[i];
        if (text.size() - position < piece.size() || text.sliced(position, piece.size()) != piece)
            return false;
        starts[i] = position;
        position += piece.size();
        if (i == Literals.size())
            break;
        const Slot& slot = Literals[i];
        SqlLiteral& literal =
            (slot.Condition ? statement.Conditions : statement.Values)[slot.Index].Value;
        literal.Kind = slot.Kind;
        const bool scanned = slot.Kind == LiteralKind::Text   ? ScanText(text, position, literal)
                             : slot.Kind == LiteralKind::Date ? ScanDate(text, position, literal)
                                                              : ScanNumber(text, position, literal);
        if (!scanned)
            return false;
    }
    if (position != text.size())
        return false;
    const auto name = [&](const NamePlace& place) {
        return text.sliced(starts[place.Piece] + place.Offset, place.Length);
    };
    statement.Table = name(Table);
    for (std::size_t i = 0; i < ValueColumns.size(); ++i)
        statement.Values[i].Column = name(ValueColumns[i]);
    for (std::size_t i = 0; i < ConditionColumns.size(); ++i)
        statement.Conditions[i].Column = name(ConditionColumns[i]);
    statement.CountAlias = CountAlias.Length == 0 ? QStringView() : name(CountAlias);
    return true;
}

} // namespace tarnwick
