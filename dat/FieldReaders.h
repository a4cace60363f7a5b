#pragma once

#include "db/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

// Reading the fields of a record line: cutting them out by column, and reading them as numbers,
// dates and text.
namespace tarnwick {

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
