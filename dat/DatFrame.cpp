#include "dat/DatFrame.h"

#include "db/TextRules.h"

#include <QDateTime>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

constexpr qsizetype ChunkSize = 1 << 20;

QByteArrayView SkipLeadingBlanks(QByteArrayView text) {
    qsizetype start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.sliced(start);
}

[[noreturn]] void ThrowCannotOpen(const QString& path, const QString& reason) {
    throw Error(QStringLiteral("Cannot open %1: %2").arg(path, reason), FailureKind::File);
}

#ifdef Q_OS_UNIX
// A name that is not valid UTF-8 cannot reach the system through QFile, which encodes every
// name as UTF-8; it is opened by its bytes.
void OpenByBytes(QFile& file, const QString& path, const QByteArray& bytes) {
    const int descriptor = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        ThrowCannotOpen(path, qt_error_string(errno));
    struct stat status;
    const bool unknown = ::fstat(descriptor, &status) != 0;
    if (unknown || S_ISDIR(status.st_mode)) {
        const int error = unknown ? errno : EISDIR;
        ::close(descriptor);
        ThrowCannotOpen(path, qt_error_string(error));
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        ThrowCannotOpen(path, file.errorString());
    }
}
#endif

// A UTF-8 byte-order mark that an editor put at the start of the file.
QByteArrayView SkipByteOrderMark(QByteArrayView text) {
    return text.startsWith("\xEF\xBB\xBF") ? text.sliced(3) : text;
}

} // namespace

DatFileReader::DatFileReader(const QString& path) : File(path), Path(path) {
#ifdef Q_OS_UNIX
    const QByteArray bytes = EncodeFileName(path);
    if (bytes != QFile::encodeName(path)) {
        OpenByBytes(File, path, bytes);
        return;
    }
#endif
    if (!File.open(QIODevice::ReadOnly))
        ThrowCannotOpen(path, File.errorString());
}

FileStamp DatFileReader::Stamp() const {
    return {File.size(), File.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch()};
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
        throw Error(QStringLiteral("Cannot read %1: %2").arg(Path, File.errorString()),
                    FailureKind::File, LineNumber + 1);
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
        const QByteArrayView record =
            SkipLeadingBlanks(LineNumber == 1 ? SkipByteOrderMark(text) : text);
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

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that starts none.
int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
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

QString DecodeFileName(QByteArrayView bytes) {
#ifdef Q_OS_UNIX
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        const qsizetype length = c < 0x80 ? 1 : Utf8SequenceLength(c);
        if (length > 0 && at + length <= bytes.size() && bytes.sliced(at, length).isValidUtf8()) {
            name += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            name += QChar(char16_t(0xDC00 + c));
            ++at;
        }
    }
    return name;
#else
    return QFile::decodeName(bytes.toByteArray());
#endif
}

QByteArray EncodeFileName(const QString& name) {
#ifdef Q_OS_UNIX
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool escaped =
            c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += QStringView(name).sliced(runStart, i - runStart).toUtf8();
        bytes += char(c - 0xDC00);
        runStart = i + 1;
    }
    return bytes + QStringView(name).sliced(runStart).toUtf8();
#else
    return QFile::encodeName(name);
#endif
}

} // namespace tarnwick
