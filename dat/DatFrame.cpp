#include "DatFrame.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnwick {

namespace {

constexpr qsizetype ChunkSize = 1 << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView SkipLeadingBlanks(QByteArrayView text) {
    qsizetype start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.sliced(start);
}

} // namespace

DatFileReader::DatFileReader(const QString& path) : File(path), Path(path) {
    if (!File.open(QIODevice::ReadOnly))
        throw DatFileError(QStringLiteral("Cannot open %1: %2").arg(path, File.errorString()));
}

bool DatFileReader::FillBuffer() {
    // Keep the unread tail (an unfinished line) and append the next chunk behind it.
    Buffer.remove(0, Position);
    Position = 0;
    const qsizetype kept = Buffer.size();
    Buffer.resize(kept + ChunkSize);
    const qint64 got = File.read(Buffer.data() + kept, ChunkSize);
    if (got < 0) {
        Buffer.resize(kept);
        throw DatFileError(QStringLiteral("Cannot read %1: %2").arg(Path, File.errorString()),
                           LineNumber + 1);
    }
    Buffer.resize(kept + got);
    if (got == 0)
        AtEnd = true;
    return got > 0;
}

bool DatFileReader::NextLine(DatLine& line) {
    for (;;) {
        if (PendingLineFeed) {
            if (Position >= Buffer.size() && !AtEnd)
                FillBuffer();
            if (Position < Buffer.size() && Buffer[Position] == '\n')
                ++Position;
            PendingLineFeed = false;
        }
        qsizetype end = -1;
        const char* const bytes = Buffer.constData();
        for (qsizetype i = Position + Scanned; i < Buffer.size(); ++i) {
            if (bytes[i] == '\n' || bytes[i] == '\r') {
                end = i;
                break;
            }
        }
        if (end < 0) {
            if (!AtEnd) {
                // A long line is searched once, not again from its start after every chunk.
                Scanned = Buffer.size() - Position;
                FillBuffer();
                continue;
            }
            if (Position >= Buffer.size())
                return false;
            end = Buffer.size(); // a last line without an ending still counts
        }
        const QByteArrayView text(Buffer.constData() + Position, end - Position);
        Position = end;
        Scanned = 0;
        if (end < Buffer.size()) {
            if (Buffer[end] == '\r')
                PendingLineFeed = true;
            ++Position;
        }
        ++LineNumber;
        const QByteArrayView record = SkipLeadingBlanks(text);
        if (record.isEmpty())
            continue;
        line.Text = record;
        line.Number = LineNumber;
        return true;
    }
}

QByteArrayView RecordType(QByteArrayView line) {
    return line.size() < 3 ? QByteArrayView() : line.first(3);
}

QByteArrayView CutField(QByteArrayView line, qsizetype column, qsizetype length) {
    const qsizetype start = column - 1;
    if (start < 0 || length <= 0 || start >= line.size())
        return {};
    return line.sliced(start, std::min(length, line.size() - start));
}

QByteArrayView TrimTrailingBlanks(QByteArrayView text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.first(end);
}

QByteArrayView TrimBlanks(QByteArrayView text) {
    qsizetype start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    return TrimTrailingBlanks(text.sliced(start));
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

double ReadNumber(QByteArrayView text) {
    // Collect the characters that continue a decimal number, skipping blanks anywhere.
    std::string number;
    number.reserve(size_t(text.size()));
    enum class Stage { Sign, Integer, Fraction, ExponentSign, Exponent } stage = Stage::Sign;
    bool negative = false;
    bool anyDigit = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
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
        return 0.0;
    // An exponent marker without digits does not count.
    while (!number.empty() &&
           (number.back() == 'e' || number.back() == '+' || number.back() == '-'))
        number.pop_back();
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value =
            number.find("e-") != std::string::npos ? 0.0 : std::numeric_limits<double>::infinity();
    (void)end;
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

namespace {

template <typename Int> Int ReadInteger(QByteArrayView text, const char* what, qint64 line) {
    const double value = RoundHalfEven(ReadNumber(text));
    if (!(value >= double(std::numeric_limits<Int>::min()) &&
          value <= double(std::numeric_limits<Int>::max()))) {
        throw DatFileError(QStringLiteral("The %1 \"%2\" is out of range")
                               .arg(QLatin1String(what), DecodeField(text)),
                           line);
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

QString DecodeBytes(QByteArrayView bytes) {
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

} // namespace

QString DecodeField(QByteArrayView bytes) {
    bool plainAscii = true;
    for (const char c : bytes) {
        if (c == '\0' || static_cast<unsigned char>(c) >= 0x80) {
            plainAscii = false;
            break;
        }
    }
    if (plainAscii)
        return QString::fromLatin1(bytes);
    // NUL bytes carry nothing in a text file, and PostgreSQL refuses them in text.
    QByteArray withoutNul = bytes.toByteArray();
    withoutNul.removeIf([](char c) { return c == '\0'; });
    return DecodeBytes(withoutNul);
}

} // namespace tarnwick
