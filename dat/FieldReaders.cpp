#include "dat/FieldReaders.h"

#include "dat/Utf8.h"
#include "db/TextRules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnwick {

QByteArrayView CutField(QByteArrayView line, qsizetype column, qsizetype length) {
    const qsizetype start = column - 1;
    if (start < 0 || length <= 0 || start >= line.size())
        return {};
    return line.sliced(start, std::min(length, line.size() - start));
}

QByteArray FormatDatDate(QByteArrayView line, qsizetype column, int yearDigits) {
    const qsizetype monthColumn = column + yearDigits;
    QByteArray date;
    date.reserve(10);
    date.append(CutField(line, monthColumn, 2));
    date.append('/');
    date.append(CutField(line, monthColumn + 2, 2));
    date.append('/');
    date.append(CutField(line, column, yearDigits));
    return date;
}

FieldNumber ReadFieldNumber(QByteArrayView text) {
    // Collect the characters that continue a decimal number, skipping blanks anywhere.
    std::string number;
    number.reserve(size_t(text.size()));
    enum class Stage { Sign, Integer, Fraction, ExponentSign, Exponent } stage = Stage::Sign;
    bool negative = false;
    bool anyDigit = false;
    for (const char c : text) {
        if (IsBlank(c))
            continue;
        const bool digit = c >= '0' && c <= '9';
        if (stage == Stage::Sign && (c == '+' || c == '-')) {
            negative = c == '-';
            stage = Stage::Integer;
        } else if (digit && stage <= Stage::Fraction) {
            number.push_back(c);
            anyDigit = true;
            if (stage == Stage::Sign)
                stage = Stage::Integer;
        } else if (c == '.' && stage <= Stage::Integer) {
            number.push_back(c);
            stage = Stage::Fraction;
        } else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && anyDigit &&
                   stage <= Stage::Fraction) {
            number.push_back('e');
            stage = Stage::ExponentSign;
        } else if (stage == Stage::ExponentSign && (c == '+' || c == '-')) {
            number.push_back(c);
            stage = Stage::Exponent;
        } else if (digit && stage >= Stage::ExponentSign) {
            number.push_back(c);
            stage = Stage::Exponent;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return {};
    // An exponent marker without digits does not count.
    while (!number.empty() &&
           (number.back() == 'e' || number.back() == '+' || number.back() == '-'))
        number.pop_back();
    FieldNumber reading;
    reading.Found = true;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), reading.Value);
    if (error == std::errc::result_out_of_range) {
        reading.OutOfRange = true;
        reading.Value =
            number.find("e-") != std::string::npos ? 0.0 : std::numeric_limits<double>::infinity();
    }
    (void)end;
    if (negative)
        reading.Value = -reading.Value;
    return reading;
}

double ReadCountedNumber(QByteArrayView text, const char* what, qint64 line) {
    const FieldNumber reading = ReadFieldNumber(text);
    if (reading.OutOfRange) {
        throw Error(QStringLiteral("The %1 \"%2\" is out of range")
                        .arg(QLatin1String(what), DecodeField(TrimPadding(text))),
                    FailureKind::File, line);
    }
    return reading.Value;
}

namespace {

template <typename Int> Int ReadInteger(QByteArrayView text, const char* what, qint64 line) {
    const double value = RoundHalfToEven(ReadFieldNumber(text).Value);
    if (!(value >= double(std::numeric_limits<Int>::min()) &&
          value <= double(std::numeric_limits<Int>::max()))) {
        throw Error(QStringLiteral("The %1 \"%2\" is out of range")
                        .arg(QLatin1String(what), DecodeField(text)),
                    FailureKind::File, line);
    }
    return Int(value);
}

} // namespace

qint32 ReadInt32(QByteArrayView text, const char* what, qint64 line) {
    return ReadInteger<qint32>(text, what, line);
}

qint16 ReadInt16(QByteArrayView text, const char* what, qint64 line) {
    return ReadInteger<qint16>(text, what, line);
}

namespace {

bool IsPlainAscii(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (c == '\0' || static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Where a last character cut short by the end of the bytes begins, or -1.
qsizetype CutCharacterStart(QByteArrayView bytes) {
    qsizetype start = bytes.size();
    while (start > 0 && bytes.size() - start < 3 &&
           (static_cast<unsigned char>(bytes[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return -1;
    --start;
    const int length = Utf8SequenceLength(static_cast<unsigned char>(bytes[start]));
    return length > bytes.size() - start ? start : -1;
}

QString DecodeBytes(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    // A UTF-8 text cut by the field's end. The text before the cut must hold a character
    // beyond ASCII: a Latin-1 name ending in a letter such as \xC9 (E acute) looks the same.
    const qsizetype cut = CutCharacterStart(bytes);
    if (cut > 0) {
        const QByteArrayView whole = bytes.first(cut);
        if (!IsPlainAscii(whole) && whole.isValidUtf8())
            return QString::fromUtf8(whole);
    }
    return QString::fromLatin1(bytes);
}

} // namespace

QString DecodeField(QByteArrayView bytes) {
    if (IsPlainAscii(bytes))
        return QString::fromLatin1(bytes);
    // NUL bytes carry nothing in a text file, and PostgreSQL refuses them in text.
    QByteArray withoutNul = bytes.toByteArray();
    withoutNul.removeIf([](char c) { return c == '\0'; });
    return DecodeBytes(withoutNul);
}

QString DecodeValueField(QByteArrayView bytes) {
    if (IsPlainAscii(bytes))
        return QString::fromLatin1(bytes);
    QString text = DecodeBytes(bytes);
    text.replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter));
    return text;
}

} // namespace tarnwick
