#include "LiteralConversion.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tarnwick {

namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QStringView Trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
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

[[noreturn]] void ThrowOutOfRange(QStringView text, QStringView column) {
    throw DatabaseError(QStringLiteral("The value '%1' is out of range for the column %2.")
                            .arg(text.toString(), column.toString()));
}

QVariant ToInteger(QStringView text, QStringView column) {
    const NumberReading number = ReadNumber(text);
    if (number.Result == NumberReading::Status::NotANumber)
        return NullOf(ColumnType::Integer);
    const double rounded = RoundHalfToEven(number.Value);
    // INTEGER is 32 bits in PostgreSQL; SQLite keeps the same range so both agree.
    if (number.Result == NumberReading::Status::OutOfRange ||
        rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        ThrowOutOfRange(text, column);
    return QVariant(static_cast<int>(rounded));
}

QVariant ToReal(QStringView text, QStringView column) {
    const NumberReading number = ReadNumber(text);
    switch (number.Result) {
    case NumberReading::Status::NotANumber:
        return NullOf(ColumnType::Real);
    case NumberReading::Status::OutOfRange:
        ThrowOutOfRange(text, column);
    case NumberReading::Status::Number:
        break;
    }
    return QVariant(number.Value);
}

QVariant ToDate(QStringView text) {
    const std::optional<QDate> date = ReadUsDate(text);
    return date ? QVariant(*date) : NullOf(ColumnType::Date);
}

QVariant ToText(const SqlLiteral& literal) {
    if (!literal.HasDoubledQuotes)
        return QVariant(WithoutTrailingBlanks(literal.Text).toString());
    const QString text = literal.TextValue();
    return QVariant(WithoutTrailingBlanks(text).toString());
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

NumberReading ReadNumber(QStringView text) {
    QStringView number = Trimmed(text);
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

std::optional<QDate> ReadUsDate(QStringView text) {
    const qsizetype firstSlash = text.indexOf(u'/');
    const qsizetype secondSlash = firstSlash < 0 ? -1 : text.indexOf(u'/', firstSlash + 1);
    if (secondSlash < 0 || text.indexOf(u'/', secondSlash + 1) >= 0)
        return std::nullopt;
    const std::optional<int> month = ReadSmallNumber(Trimmed(text.first(firstSlash)), 2);
    const std::optional<int> day =
        ReadSmallNumber(Trimmed(text.sliced(firstSlash + 1, secondSlash - firstSlash - 1)), 2);
    const std::optional<int> year = ReadYear(Trimmed(text.sliced(secondSlash + 1)));
    if (!month || !day || !year)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

double RoundHalfToEven(double value) {
    const double nearest = std::round(value);
    if (std::fabs(value - std::trunc(value)) != 0.5)
        return nearest;
    return 2.0 * std::round(value / 2.0);
}

QStringView WithoutTrailingBlanks(QStringView text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    return text.first(end);
}

QVariant ConvertLiteral(const SqlLiteral& literal, ColumnType type, QStringView column) {
    if (literal.Kind == LiteralKind::Date) {
        if (type != ColumnType::Date)
            throw DatabaseError(
                QStringLiteral("The date #%1# is given for the column %2, which holds no dates.")
                    .arg(literal.Text.toString(), column.toString()));
        return QVariant(literal.Date);
    }
    switch (type) {
    case ColumnType::Text:
        return ToText(literal);
    case ColumnType::Integer:
        return ToInteger(literal.Text, column);
    case ColumnType::Real:
        return ToReal(literal.Text, column);
    case ColumnType::Date:
        return ToDate(literal.Text);
    }
    return {};
}

} // namespace tarnwick
