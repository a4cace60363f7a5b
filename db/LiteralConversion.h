#pragma once

#include "SqlStatement.h"

#include <QDate>
#include <QStringView>
#include <QVariant>
#include <optional>

namespace tarnwick {

// The four kinds of column a Sources database declares.
enum class ColumnType { Text, Integer, Real, Date };

struct NumberReading {
    enum class Status { NotANumber, Number, OutOfRange };
    Status Result = Status::NotANumber;
    double Value = 0;
};

// True when `text` (no blanks around it) is a number: optional sign, digits with an
// optional decimal point, optional exponent.
bool IsNumberText(QStringView text);

// Reads a number with blanks around it allowed. Blank text is not a number.
NumberReading ReadNumber(QStringView text);

// Reads M/D/YY or M/D/YYYY, blanks around each part allowed. Two-digit years 00-29 are
// 2000-2029 and 30-99 are 1930-1999. Blank or impossible dates give nothing.
std::optional<QDate> ReadUsDate(QStringView text);

// Rounds half to even, as the databases' own numeric casts do.
double RoundHalfToEven(double value);

// Drops trailing blanks: SQL compares text as if padded with blanks, so they carry nothing.
QStringView WithoutTrailingBlanks(QStringView text);

// Converts a literal to the value stored in a column of `type`: a QString, an int, a double,
// a QDate, or a null of that type when the text is blank or unreadable. Throws DatabaseError
// for a value no column of that type can hold.
QVariant ConvertLiteral(const SqlLiteral& literal, ColumnType type, QStringView column);

} // namespace tarnwick
