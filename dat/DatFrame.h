#pragma once

#include "db/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <array>
#include <cstring>

namespace tarnwick {

// One record line: the bytes of a physical line without its ending and without the blanks
// before its first character, so the record code is always at columns 1-3.
struct DatLine {
    QByteArrayView Text;
    qint64 Number = 0; // 1-based physical line of the file
};

// Reads a ".DAT" file line by line. A line ends at CR, LF or CR LF; a last line without an
// ending still counts; empty lines are skipped. Commas and double quotes are ordinary
// characters, and bytes above 127 pass through unchanged. The file is closed when the
// reader goes out of scope, on every path.
// What tells one state of a file from another: its size and last change, as seen when opened.
struct FileStamp {
    qint64 Size = -1;
    qint64 ModifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
};

class DatFileReader {
public:
    explicit DatFileReader(const QString& path); // throws Error (File)
    DatFileReader(const DatFileReader&) = delete;
    DatFileReader& operator=(const DatFileReader&) = delete;

    FileStamp Stamp() const;

    // The next non-empty line, valid until the following call. False at the end of the file.
    bool NextLine(DatLine& line); // throws Error (File) on a read error

private:
    bool FillBuffer();

    QFile File;
    QString Path;
    QByteArray Buffer;
    qsizetype Position = 0;
    qsizetype Scanned = 0; // bytes from Position on known to hold no line end
    qint64 LineNumber = 0;
    bool AtEnd = false;
    bool PendingLineFeed = false; // the previous chunk ended in CR: a leading LF is its pair
};

// The record code: the first three characters, or an empty view for a shorter line.
QByteArrayView RecordType(QByteArrayView line);

// Characters `column` .. `column + length - 1` (1-based) of the line; shorter or empty where
// the line ends first. Never fails.
QByteArrayView CutField(QByteArrayView line, qsizetype column, qsizetype length);

// The date field at `column` moved into month-first order: YYMMDD gives MM/DD/YY
// (yearDigits 2), YYYYMMDD gives MM/DD/YYYY (yearDigits 4). Nothing is validated.
QByteArray FormatDatDate(QByteArrayView line, qsizetype column, int yearDigits);

// A piece of a line read as a decimal number, leniently, as fields are: blanks anywhere are
// skipped, an optional sign, digits, a decimal point with fraction digits and an exponent are
// read, and reading stops at the first other character. No number gives 0 (Found false); a
// value beyond the range of a double gives infinity, or 0 for a negative exponent.
struct FieldNumber {
    double Value = 0.0;
    bool Found = false;
    bool OutOfRange = false;
};
FieldNumber ReadFieldNumber(QByteArrayView text);

// ReadFieldNumber for a value that is counted, where infinity or 0 would falsify the result: a
// value beyond the range of a double throws Error (what = the field's name for the message).
double ReadCountedNumber(QByteArrayView text, const char* what, qint64 line);

// ReadFieldNumber rounded half to even into a signed 32-bit integer. Throws Error when the
// value does not fit (what = the field's name for the message).
qint32 ReadInt32(QByteArrayView text, const char* what, qint64 line);
qint16 ReadInt16(QByteArrayView text, const char* what, qint64 line);

// The text of a text field for an SQL literal: UTF-8 when the bytes are valid UTF-8, or valid
// UTF-8 with characters beyond ASCII up to a last character cut by the field's end, which is
// dropped; otherwise each byte is taken as its Latin-1 character. NUL bytes are dropped.
QString DecodeField(QByteArrayView bytes);

// The text of a field whose column holds a number or a date: as DecodeField, but a NUL byte
// stays in as U+FFFD, so "12<NUL>3" is no number rather than 123.
QString DecodeValueField(QByteArrayView bytes);

// File names as the system stores them. On Unix a name is bytes: a byte that is not part of
// valid UTF-8 is kept as the lone surrogate U+DC00 + byte (which no valid UTF-8 decodes to),
// so the name can be shown and opened again by its exact bytes.
QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(const QString& name);

enum class FieldKind { Text, Value };

// A fixed-width field of N characters: padded on the right with blanks, cut to N. A Value
// field's column holds a number or a date.
template <std::size_t N, FieldKind Kind = FieldKind::Text> struct FixedText {
    std::array<char, N> Chars;

    FixedText() { Chars.fill(' '); }
    explicit FixedText(QByteArrayView text) { Assign(text); }

    void Assign(QByteArrayView text) {
        const std::size_t used = std::min<std::size_t>(N, std::size_t(text.size()));
        if (used > 0)
            std::memcpy(Chars.data(), text.data(), used);
        std::fill(Chars.begin() + used, Chars.end(), ' ');
    }
    QByteArrayView View() const { return QByteArrayView(Chars.data(), qsizetype(N)); }
    QString Text() const {
        if constexpr (Kind == FieldKind::Value)
            return DecodeValueField(View());
        else
            return DecodeField(View());
    }
    bool operator==(const FixedText&) const = default;
};

template <std::size_t N> using FixedValue = FixedText<N, FieldKind::Value>;

} // namespace tarnwick
