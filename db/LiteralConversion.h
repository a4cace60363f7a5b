#pragma once

#include "db/SqlStatement.h"

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

// Parses a number literal strictly: blanks around it allowed, nothing else. Blank text is not a
// number. (File fields are read leniently by ReadFieldNumber.)
NumberReading ParseNumberLiteral(QStringView text);

// Reads M/D/YY or M/D/YYYY, blanks around each part allowed. Two-digit years 00-29 are
// 2000-2029 and 30-99 are 1930-1999. Blank or impossible dates give nothing.
std::optional<QDate> ReadUsDate(QStringView text);

// A literal converted for its column. Text stays a view into the statement, so converting
// copies nothing.
struct ColumnValue {
    enum class Kind { Null, Integer, Real, Text, Date };
    Kind ValueKind = Kind::Null;
    ColumnType Type = ColumnType::Text; // of the column, which a typed null needs
    int Integer = 0;
    double Real = 0;
    QDate Date;
    SqlLiteral Text; // without trailing blanks; its doubled quotes are still doubled

    bool IsNull() const { return ValueKind == Kind::Null; }
};

// Converts a literal to the value stored in a column of `type`: text, an integer, a real, a
// date, or a null when the text is blank or unreadable. Throws Error for a value no
// column of that type can hold.
ColumnValue ConvertLiteralValue(const SqlLiteral& literal, ColumnType type, QStringView column);

// The value as Qt binds it: a QString, an int, a double, a QDate or a null of the column's type.
QVariant ToVariant(const ColumnValue& value);

} // namespace tarnwick
