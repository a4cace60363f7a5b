#include "LiteralConversion.h"
#include "TextRules.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace tarnwick {
namespace {

SqlLiteral Text(QStringView text) {
    SqlLiteral literal;
    literal.Kind = LiteralKind::Text;
    literal.Text = text;
    literal.HasDoubledQuotes = text.contains(u"''");
    return literal;
}

SqlLiteral Number(QStringView text) {
    SqlLiteral literal = Text(text);
    literal.Kind = LiteralKind::Number;
    return literal;
}

QVariant Convert(const SqlLiteral& literal, ColumnType type) {
    return ToVariant(ConvertLiteralValue(literal, type, u"COLUMN"));
}

TEST(NumberText, AcceptsSignedDecimalsWithExponents) {
    for (const char16_t* text :
         {u"1", u"07", u"-1", u"+1", u"1.", u".5", u"-0.450", u"1e5", u"1E-5", u"2.5e+3"})
        EXPECT_TRUE(IsNumberText(text)) << QStringView(text).toString().toStdString();
}

TEST(NumberText, RejectsEverythingElse) {
    for (const char16_t* text : {u"", u" ", u"-", u".", u"e5", u"1e", u"1e+", u"1.2.3", u"1,5",
                                 u"0x10", u"nan", u"inf", u" 1", u"1 ", u"--1", u"1-"})
        EXPECT_FALSE(IsNumberText(text)) << QStringView(text).toString().toStdString();
}

TEST(ReadNumber, BlanksAroundAreAllowedAndBlankIsNoNumber) {
    EXPECT_EQ(ParseNumberLiteral(u" 0.450  ").Value, 0.45);
    EXPECT_EQ(ParseNumberLiteral(u"+2").Value, 2.0);
    EXPECT_EQ(ParseNumberLiteral(u"    ").Result, NumberReading::Status::NotANumber);
    EXPECT_EQ(ParseNumberLiteral(u"4 5").Result, NumberReading::Status::NotANumber);
    EXPECT_EQ(ParseNumberLiteral(u"1e400").Result, NumberReading::Status::OutOfRange);
}

// Plain decimals take a shortcut past from_chars; it must give the very same double, sign of
// zero included, on both sides of the digit count where the shortcut stops.
TEST(ReadNumber, PlainDecimalsMatchFromCharsBitForBit) {
    std::mt19937_64 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string text = round % 3 == 0 ? "-" : round % 7 == 0 ? "+" : "";
        const int digits = 1 + static_cast<int>(random() % 18);
        const int point = static_cast<int>(random() % (digits + 1)); // == digits: none
        for (int i = 0; i < digits; ++i) {
            if (i == point)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        double expected = 0;
        const char* begin = text.c_str() + (text[0] == '+' ? 1 : 0);
        std::from_chars(begin, text.c_str() + text.size(), expected);
        const double actual = ParseNumberLiteral(QString::fromStdString(text)).Value;
        EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
            << text << ": " << actual << " != " << expected;
    }
    EXPECT_TRUE(std::signbit(ParseNumberLiteral(u"-0.0").Value));
    EXPECT_EQ(ParseNumberLiteral(u"1.").Value, 1.0);
    EXPECT_EQ(ParseNumberLiteral(u"-.5").Value, -0.5);
    EXPECT_EQ(ParseNumberLiteral(u"1.2.").Result, NumberReading::Status::NotANumber);
    EXPECT_EQ(ParseNumberLiteral(u"+-1").Result, NumberReading::Status::NotANumber);
}

TEST(RoundHalfToEven, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfToEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfToEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfToEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfToEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfToEven(2.4999), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.5001), 3.0);
}

TEST(ReadUsDate, TwoAndFourDigitYearsWithBlanks) {
    EXPECT_EQ(ReadUsDate(u"03/15/01"), QDate(2001, 3, 15));
    EXPECT_EQ(ReadUsDate(u" 3/ 5/01"), QDate(2001, 3, 5));
    EXPECT_EQ(ReadUsDate(u"01/01/1995"), QDate(1995, 1, 1));
    EXPECT_EQ(ReadUsDate(u"1/1/00"), QDate(2000, 1, 1));
    EXPECT_EQ(ReadUsDate(u"1/1/29"), QDate(2029, 1, 1));
    EXPECT_EQ(ReadUsDate(u"12/31/30"), QDate(1930, 12, 31));
    EXPECT_EQ(ReadUsDate(u"12/31/99"), QDate(1999, 12, 31));
    EXPECT_EQ(ReadUsDate(u"2/29/00"), QDate(2000, 2, 29));
}

TEST(ReadUsDate, BlankOrImpossibleDatesGiveNothing) {
    for (const char16_t* text : {u"", u"  /  /    ", u"13/01/01", u"02/30/01", u"2/29/1900",
                                 u"0/10/01", u"3/15", u"3/15/01/02", u"03-15-01", u"1/1/123",
                                 u"1/1/12345", u"a/1/01", u"001/1/01", u"2001-03-15"})
        EXPECT_FALSE(ReadUsDate(text).has_value()) << QStringView(text).toString().toStdString();
}

TEST(ConvertLiteral, TextKeepsLeadingBlanksAndDropsTrailingOnes) {
    EXPECT_EQ(Convert(Text(u"1     "), ColumnType::Text).toString(), u"1");
    EXPECT_EQ(Convert(Text(u"  B1  "), ColumnType::Text).toString(), u"  B1");
    EXPECT_EQ(Convert(Text(u"O''BRIEN  "), ColumnType::Text).toString(), u"O'BRIEN");
    EXPECT_EQ(Convert(Number(u"1.50"), ColumnType::Text).toString(), u"1.50");
    const QVariant empty = Convert(Text(u""), ColumnType::Text);
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.toString(), u"");
    EXPECT_FALSE(Convert(Text(u"   "), ColumnType::Text).isNull());
}

TEST(ConvertLiteral, IntegersRoundHalfToEven) {
    EXPECT_EQ(Convert(Text(u"07    "), ColumnType::Integer), QVariant(7));
    EXPECT_EQ(Convert(Number(u"3456"), ColumnType::Integer), QVariant(3456));
    EXPECT_EQ(Convert(Text(u"2.5"), ColumnType::Integer), QVariant(2));
    EXPECT_EQ(Convert(Text(u"3.5"), ColumnType::Integer), QVariant(4));
    EXPECT_EQ(Convert(Text(u"-2.5"), ColumnType::Integer), QVariant(-2));
    EXPECT_EQ(Convert(Text(u"1e3"), ColumnType::Integer), QVariant(1000));
}

TEST(ConvertLiteral, BlankOrUnreadableNumbersAreNull) {
    for (ColumnType type : {ColumnType::Integer, ColumnType::Real}) {
        for (const char16_t* text : {u"", u"    ", u"N/A", u"1,5", u"nan", u"inf"}) {
            const QVariant value = Convert(Text(text), type);
            EXPECT_TRUE(value.isNull()) << QStringView(text).toString().toStdString();
            EXPECT_EQ(value.metaType(), type == ColumnType::Integer
                                            ? QMetaType::fromType<int>()
                                            : QMetaType::fromType<double>());
        }
    }
}

TEST(ConvertLiteral, NumbersBeyondTheColumnAreErrors) {
    EXPECT_THROW(Convert(Text(u"3000000000"), ColumnType::Integer), Error);
    EXPECT_THROW(Convert(Text(u"-2147483649"), ColumnType::Integer), Error);
    EXPECT_EQ(Convert(Text(u"-2147483648"), ColumnType::Integer), QVariant(-2147483647 - 1));
    EXPECT_THROW(Convert(Text(u"1e400"), ColumnType::Real), Error);
}

TEST(ConvertLiteral, Reals) {
    EXPECT_EQ(Convert(Text(u"45.2  "), ColumnType::Real), QVariant(45.2));
    EXPECT_EQ(Convert(Text(u" 0.450"), ColumnType::Real), QVariant(0.45));
    EXPECT_EQ(Convert(Number(u"-1e-3"), ColumnType::Real), QVariant(-0.001));
}

TEST(ConvertLiteral, Dates) {
    EXPECT_EQ(Convert(Text(u"03/15/01"), ColumnType::Date), QVariant(QDate(2001, 3, 15)));
    EXPECT_TRUE(Convert(Text(u"  /  /    "), ColumnType::Date).isNull());
    EXPECT_TRUE(Convert(Text(u"02/30/01"), ColumnType::Date).isNull());
    SqlLiteral hashDate;
    hashDate.Kind = LiteralKind::Date;
    hashDate.Text = u"3/15/2001";
    hashDate.Date = QDate(2001, 3, 15);
    EXPECT_EQ(Convert(hashDate, ColumnType::Date), QVariant(QDate(2001, 3, 15)));
    EXPECT_THROW(Convert(hashDate, ColumnType::Integer), Error);
    EXPECT_THROW(Convert(hashDate, ColumnType::Text), Error);
}

} // namespace
} // namespace tarnwick
