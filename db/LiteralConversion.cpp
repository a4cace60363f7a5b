#include "db/LiteralConversion.h"

#include "db/TextRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tarnwick {

namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype SkipDigits(QStringView text, qsizetype position) {
    while (position < text.size() && IsDigit(text[position]))
        ++position;
    return position;
}

// Reads a run of 1 to maxDigits digits, the whole of `text`.
std::optional<int> ReadSmallNumber(QStringView text, qsizetype maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// [+-]digits[.digits] with 15 digits at most. The digits as an integer and the power of ten are
// then both exact doubles, so the one division rounds correctly, just as from_chars does; the
// common case skips from_chars and its copy.
std::optional<double> ReadPlainDecimal(QStringView text) {
    constexpr int MaxDigits = 15;
    constexpr std::array<double, MaxDigits + 1> PowersOfTen = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype position = 0;
    const bool negative = !text.isEmpty() && text.front() == u'-';
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+'))
        ++position;
    std::uint64_t digitsValue = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; position < text.size(); ++position) {
        const QChar c = text[position];
        if (IsDigit(c)) {
            if (++digits > MaxDigits)
                return std::nullopt;
            digitsValue = digitsValue * 10 + (c.unicode() - u'0');
            fractionDigits += inFraction;
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    const double value = static_cast<double>(digitsValue) / PowersOfTen[fractionDigits];
    return negative ? -value : value;
}

std::optional<int> ReadYear(QStringView text) {
    if (text.size() == 4)
        return ReadSmallNumber(text, 4);
    const std::optional<int> shortYear = ReadSmallNumber(text, 2);
    if (!shortYear)
        return std::nullopt;
    return *shortYear < 30 ? 2000 + *shortYear : 1900 + *shortYear;
}

QVariant NullOf(ColumnType type) {
    switch (type) {
    case ColumnType::Text:
        return QVariant(QMetaType::fromType<QString>());
    case ColumnType::Integer:
        return QVariant(QMetaType::fromType<int>());
    case ColumnType::Real:
        return QVariant(QMetaType::fromType<double>());
    case ColumnType::Date:
        return QVariant(QMetaType::fromType<QDate>());
    }
    return {};
}

ColumnValue NullValue(ColumnType type) {
    ColumnValue value;
    value.Type = type;
    return value;
}

[[noreturn]] void ThrowOutOfRange(QStringView text, QStringView column) {
    throw Error(QStringLiteral("The value '%1' is out of range for the column %2.")
                    .arg(text.toString(), column.toString()),
                FailureKind::Statement);
}

ColumnValue ToInteger(QStringView text, QStringView column) {
    ColumnValue value = NullValue(ColumnType::Integer);
    const NumberReading number = ParseNumberLiteral(text);
    if (number.Result == NumberReading::Status::NotANumber)
        return value;
    const double rounded = RoundHalfToEven(number.Value);
    // INTEGER is 32 bits in PostgreSQL; SQLite keeps the same range so both agree.
    if (number.Result == NumberReading::Status::OutOfRange ||
        rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        ThrowOutOfRange(text, column);
    value.ValueKind = ColumnValue::Kind::Integer;
    value.Integer = static_cast<int>(rounded);
    return value;
}

ColumnValue ToReal(QStringView text, QStringView column) {
    ColumnValue value = NullValue(ColumnType::Real);
    const NumberReading number = ParseNumberLiteral(text);
    switch (number.Result) {
    case NumberReading::Status::NotANumber:
        return value;
    case NumberReading::Status::OutOfRange:
        ThrowOutOfRange(text, column);
    case NumberReading::Status::Number:
        break;
    }
    value.ValueKind = ColumnValue::Kind::Real;
    value.Real = number.Value;
    return value;
}

ColumnValue ToDate(std::optional<QDate> date) {
    ColumnValue value = NullValue(ColumnType::Date);
    if (date) {
        value.ValueKind = ColumnValue::Kind::Date;
        value.Date = *date;
    }
    return value;
}

// Trailing blanks go before the doubled quotes are made single: the result is the same, as a
// quote is no blank, and the text stays a view.
ColumnValue ToText(const SqlLiteral& literal) {
    ColumnValue value = NullValue(ColumnType::Text);
    value.ValueKind = ColumnValue::Kind::Text;
    value.Text = literal;
    value.Text.Kind = LiteralKind::Text;
    value.Text.Text = TrimTrailingPadding(literal.Text);
    return value;
}

} // namespace

bool IsNumberText(QStringView text) {
    qsizetype position = 0;
    if (position < text.size() && (text[position] == u'+' || text[position] == u'-'))
        ++position;
    const qsizetype integerEnd = SkipDigits(text, position);
    qsizetype mantissaDigits = integerEnd - position;
    position = integerEnd;
    if (position < text.size() && text[position] == u'.') {
        const qsizetype fractionEnd = SkipDigits(text, position + 1);
        mantissaDigits += fractionEnd - position - 1;
        position = fractionEnd;
    }
    if (mantissaDigits == 0)
        return false;
    if (position < text.size() && (text[position] == u'e' || text[position] == u'E')) {
        ++position;
        if (position < text.size() && (text[position] == u'+' || text[position] == u'-'))
            ++position;
        const qsizetype exponentEnd = SkipDigits(text, position);
        if (exponentEnd == position)
            return false;
        position = exponentEnd;
    }
    return position == text.size();
}

NumberReading ParseNumberLiteral(QStringView text) {
    QStringView number = TrimBlanks(text);
    if (const std::optional<double> plain = ReadPlainDecimal(number))
        return {NumberReading::Status::Number, *plain};
    // Longer texts are no numbers the files hold; the bound keeps the copy on the stack.
    constexpr qsizetype MaxLength = 64;
    if (number.size() > MaxLength || !IsNumberText(number))
        return {};
    if (number.front() == u'+')
        number = number.sliced(1);
    char ascii[MaxLength];
    for (qsizetype i = 0; i < number.size(); ++i)
        ascii[i] = static_cast<char>(number[i].unicode());
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + number.size(), value);
    if (error == std::errc::result_out_of_range)
        return {NumberReading::Status::OutOfRange, 0};
    if (error != std::errc() || end != ascii + number.size())
        return {};
    return {NumberReading::Status::Number, value};
}

namespace {

std::optional<QDate> ReadUsDateOnce(QStringView text) {
    std::array<qsizetype, 2> slashes{};
    std::size_t slashCount = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'/')
            continue;
        if (slashCount == slashes.size())
            return std::nullopt;
        slashes[slashCount++] = i;
    }
    if (slashCount != slashes.size())
        return std::nullopt;
    const auto [firstSlash, secondSlash] = slashes;
    const std::optional<int> month = ReadSmallNumber(TrimBlanks(text.first(firstSlash)), 2);
    const std::optional<int> day =
        ReadSmallNumber(TrimBlanks(text.sliced(firstSlash + 1, secondSlash - firstSlash - 1)), 2);
    const std::optional<int> year = ReadYear(TrimBlanks(text.sliced(secondSlash + 1)));
    if (!month || !day || !year || !QDate::isValid(*year, *month, *day))
        return std::nullopt;
    return QDate(*year, *month, *day);
}

} // namespace

std::optional<QDate> ReadUsDate(QStringView text) {
    // The statements of one hour name its day again and again: the last day read is kept.
    thread_local QString lastText;
    thread_local std::optional<QDate> lastDate;
    if (!lastText.isNull() && text == lastText)
        return lastDate;
    lastDate = ReadUsDateOnce(text);
    lastText = text.toString();
    if (lastText.isNull())
        lastText = QLatin1String(""); // an empty text is kept as one
    return lastDate;
}

ColumnValue ConvertLiteralValue(const SqlLiteral& literal, ColumnType type, QStringView column) {
    if (literal.Kind == LiteralKind::Date) {
        if (type != ColumnType::Date)
            throw Error(
                QStringLiteral("The date #%1# is given for the column %2, which holds no dates.")
                    .arg(literal.Text.toString(), column.toString()),
                FailureKind::Statement);
        return ToDate(literal.Date);
    }
    switch (type) {
    case ColumnType::Text:
        return ToText(literal);
    case ColumnType::Integer:
        return ToInteger(literal.Text, column);
    case ColumnType::Real:
        return ToReal(literal.Text, column);
    case ColumnType::Date:
        return ToDate(ReadUsDate(literal.Text));
    }
    return NullValue(type);
}

QVariant ToVariant(const ColumnValue& value) {
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        break;
    case ColumnValue::Kind::Integer:
        return QVariant(value.Integer);
    case ColumnValue::Kind::Real:
        return QVariant(value.Real);
    case ColumnValue::Kind::Text:
        return QVariant(value.Text.TextValue());
    case ColumnValue::Kind::Date:
        return QVariant(value.Date);
    }
    return NullOf(value.Type);
}

} // namespace tarnwick
