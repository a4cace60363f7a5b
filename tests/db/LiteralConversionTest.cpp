#include "db/LiteralConversion.h"
#include "tests/support/DatTestFiles.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace tarnwick {
namespace {

using namespace Qt::StringLiterals;

using Status = NumberReading::Status;

TEST(NumberText, SignedDecimalsWithExponentsAndNothingElse) {
    for (const char16_t* text :
         {u"1", u"07", u"-1", u"+1", u"1.", u".5", u"-0.450", u"1e5", u"1E-5", u"2.5e+3"})
        EXPECT_TRUE(IsNumberText(text)) << QStringView(text);
    for (const char16_t* text : {u"", u" ", u"-", u".", u"e5", u"1e", u"1e+", u"1.2.3", u"1,5",
                                 u"0x10", u"nan", u"inf", u" 1", u"1 ", u"--1", u"1-"})
        EXPECT_FALSE(IsNumberText(text)) << QStringView(text);
}

TEST(ParseNumberLiteral, BlanksAroundOnlyAndTheDoublesOfFromChars) {
    const struct {
        const char16_t* Text;
        Status Result;
        double Value;
    } cases[] = {
        {u" 0.450  ", Status::Number, 0.45}, {u"+2", Status::Number, 2},
        {u"1.", Status::Number, 1},          {u"-.5", Status::Number, -0.5},
        {u"    ", Status::NotANumber, 0},    {u"4 5", Status::NotANumber, 0},
        {u"1.2.", Status::NotANumber, 0},    {u"+-1", Status::NotANumber, 0},
        {u"1e400", Status::OutOfRange, 0},
    };
    for (const auto& c : cases) {
        const NumberReading reading = ParseNumberLiteral(c.Text);
        EXPECT_EQ(reading.Result, c.Result) << QStringView(c.Text);
        EXPECT_EQ(reading.Value, c.Value) << QStringView(c.Text);
    }
    EXPECT_TRUE(std::signbit(ParseNumberLiteral(u"-0.0").Value));
    // Plain decimals take a shortcut past from_chars; it must give the very same double on both
    // sides of the digit count where the shortcut stops.
    std::mt19937_64 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string text = round % 3 == 0 ? "-" : round % 7 == 0 ? "+" : "";
        const int digits = 1 + static_cast<int>(random() % 18);
        const int point = static_cast<int>(random() % (digits + 1)); // == digits: none
        for (int i = 0; i < digits; ++i)
            text += (i == point ? "." : "") + std::string(1, char('0' + random() % 10));
        double expected = 0;
        std::from_chars(text.c_str() + (text[0] == '+'), text.c_str() + text.size(), expected);
        const double actual = ParseNumberLiteral(QString::fromStdString(text)).Value;
        EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << text << ": " << actual;
    }
}

TEST(ReadUsDate, TwoAndFourDigitYearsAndNothingForTheRest) {
    const std::pair<const char16_t*, QDate> dates[] = {
        {u"03/15/01", {2001, 3, 15}},  {u" 3/ 5/01", {2001, 3, 5}}, {u"01/01/1995", {1995, 1, 1}},
        {u"1/1/00", {2000, 1, 1}},     {u"1/1/29", {2029, 1, 1}},   {u"12/31/30", {1930, 12, 31}},
        {u"12/31/99", {1999, 12, 31}}, {u"2/29/00", {2000, 2, 29}},
    };
    for (const auto& [text, date] : dates)
        EXPECT_EQ(ReadUsDate(text), date) << QStringView(text);
    for (const char16_t* text : {u"", u"  /  /    ", u"13/01/01", u"02/30/01", u"2/29/1900",
                                 u"0/10/01", u"3/15", u"3/15/01/02", u"03-15-01", u"1/1/123",
                                 u"1/1/12345", u"a/1/01", u"001/1/01", u"2001-03-15"})
        EXPECT_FALSE(ReadUsDate(text).has_value()) << QStringView(text);
}

SqlLiteral Literal(QStringView text, LiteralKind kind = LiteralKind::Text) {
    SqlLiteral literal;
    literal.Kind = kind;
    literal.Text = text;
    literal.HasDoubledQuotes = text.contains(u"''");
    if (kind == LiteralKind::Date)
        literal.Date = *ReadUsDate(text);
    return literal;
}
using Conversions = std::vector<std::pair<const char16_t*, const char*>>;

// Each text of `cases` as a literal of the kind, converted for a column of the type, gives a
// value of `typeName`: the expected text, or "null".
void ExpectConversions(LiteralKind kind, ColumnType type, const char* typeName,
                       const Conversions& cases) {
    for (const auto& [text, expected] : cases) {
        const QVariant value = ToVariant(ConvertLiteralValue(Literal(text, kind), type, u"C"));
        EXPECT_STREQ(value.typeName(), typeName) << QStringView(text);
        EXPECT_EQ(value.isNull()             ? u"null"_s
                  : type == ColumnType::Date ? value.toDate().toString(Qt::ISODate)
                                             : value.toString(),
                  QString::fromUtf8(expected))
            << QStringView(text);
    }
}

// Text keeps leading blanks and drops trailing ones, blank text is no null; integers round half
// to even; blank or unreadable numbers and dates are nulls.
TEST(ConvertLiteral, EachColumnTypeTakesItsValueOrANullOfItsType) {
    using enum ColumnType;
    const Conversions texts = {
        {u"1     ", "1"}, {u"  B1  ", "  B1"}, {u"O''BRIEN  ", "O'BRIEN"}, {u"", ""}, {u"   ", ""},
    };
    const Conversions integers = {
        {u"07    ", "7"},
        {u"2.5", "2"},
        {u"3.5", "4"},
        {u"-2.5", "-2"},
        {u"1e3", "1000"},
        {u"-2147483648", "-2147483648"},
        {u"2147483647", "2147483647"},
        {u"", "null"},
        {u"    ", "null"},
        {u"N/A", "null"},
    };
    const Conversions reals = {
        {u"45.2  ", "45.2"}, {u" 0.450", "0.45"}, {u"1,5", "null"},
        {u"nan", "null"},    {u"inf", "null"},
    };
    const Conversions dates = {
        {u"03/15/01", "2001-03-15"},
        {u"  /  /    ", "null"},
        {u"02/30/01", "null"},
    };
    ExpectConversions(LiteralKind::Text, Text, "QString", texts);
    ExpectConversions(LiteralKind::Text, Integer, "int", integers);
    ExpectConversions(LiteralKind::Text, Real, "double", reals);
    ExpectConversions(LiteralKind::Text, Date, "QDate", dates);
    ExpectConversions(LiteralKind::Number, Text, "QString", {{u"1.50", "1.50"}});
    ExpectConversions(LiteralKind::Number, Integer, "int", {{u"3456", "3456"}});
    ExpectConversions(LiteralKind::Number, Real, "double", {{u"-1e-3", "-0.001"}});
    ExpectConversions(LiteralKind::Date, Date, "QDate", {{u"3/15/2001", "2001-03-15"}});
}

TEST(ConvertLiteral, ValuesNoColumnOfTheTypeHoldsAreErrors) {
    const std::pair<SqlLiteral, ColumnType> cases[] = {
        {Literal(u"2147483648"), ColumnType::Integer},
        {Literal(u"-2147483649"), ColumnType::Integer},
        {Literal(u"1e400"), ColumnType::Real},
        {Literal(u"3/15/2001", LiteralKind::Date), ColumnType::Integer},
        {Literal(u"3/15/2001", LiteralKind::Date), ColumnType::Text},
    };
    for (const auto& [literal, type] : cases)
        EXPECT_THROW(ConvertLiteralValue(literal, type, u"COLUMN"), Error) << literal.Text;
}

} // namespace
} // namespace tarnwick
