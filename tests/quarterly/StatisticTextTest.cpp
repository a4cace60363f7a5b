#include "StatisticText.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(StatisticText, LeadingBlankUnlessNegative) {
    EXPECT_EQ(StatisticText(10.5f), " 10.5");
    EXPECT_EQ(StatisticText(1000.0f), " 1000");
    EXPECT_EQ(StatisticText(12345.0f), " 12345");
    EXPECT_EQ(StatisticText(-3.0f), "-3");
    EXPECT_EQ(StatisticText(0.0f), " 0");
    EXPECT_EQ(StatisticText(-0.0f), " 0");
}

TEST(StatisticText, SevenSignificantDigitsAndExponentFromTenMillion) {
    EXPECT_EQ(StatisticText(9999999.0f), " 9999999");
    EXPECT_EQ(StatisticText(1234567.8f), " 1234568");
    EXPECT_EQ(StatisticText(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(StatisticText(100000000.0f), " 1E+08");
    EXPECT_EQ(StatisticText(-250000000.0f), "-2.5E+08");
    EXPECT_EQ(StatisticText(3.0e20f), " 3E+20");
}

TEST(StatisticText, SmallValuesTakeExponentBelowOneTenThousandth) {
    EXPECT_EQ(StatisticText(0.1234f), " 0.1234");
    EXPECT_EQ(StatisticText(0.0001f), " 0.0001");
    EXPECT_EQ(StatisticText(0.00001f), " 1E-05");
    EXPECT_EQ(StatisticText(-0.000025f), "-2.5E-05");
}

TEST(SevenDigitText, PeriodSeparatorWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SevenDigitText(39.175f), "39.175");
    EXPECT_EQ(SevenDigitText(-86.25f), "-86.25");
    EXPECT_EQ(SevenDigitText(1234.5f), "1234.5");
    EXPECT_EQ(StatisticText(10.5f), " 10.5");
    QLocale::setDefault(previous);
    EXPECT_EQ(SevenDigitText(0.0f), "0");
    EXPECT_EQ(SevenDigitText(-0.0f), "0");
    EXPECT_EQ(SevenDigitText(0.00001f), "1E-05");
}

TEST(ShortestNumberText, FifteenDigitsNoLeadingBlank) {
    EXPECT_EQ(ShortestNumberText(12345), "12345");
    EXPECT_EQ(ShortestNumberText(0.12345), "0.12345");
    EXPECT_EQ(ShortestNumberText(-3), "-3");
    EXPECT_EQ(ShortestNumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(ShortestNumberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(ShortestNumberText(1e15), "1E+15");
    EXPECT_EQ(ShortestNumberText(0.00001), "1E-05");
    EXPECT_EQ(ShortestNumberText(-0.0), "0");
}

TEST(FormatHundredths, RoundsHalfAwayFromZeroOnTheDecimalDigits) {
    EXPECT_EQ(FormatHundredths(10.5), "10.50");
    EXPECT_EQ(FormatHundredths(10), "10.00");
    EXPECT_EQ(FormatHundredths(0.125), "0.13");
    EXPECT_EQ(FormatHundredths(-0.125), "-0.13");
    // Binary doubles just below the half still round up, as their decimal text shows a 5.
    EXPECT_EQ(FormatHundredths(1.005), "1.01");
    EXPECT_EQ(FormatHundredths(2.675), "2.68");
    EXPECT_EQ(FormatHundredths(99.995), "100.00");
    EXPECT_EQ(FormatHundredths(10.004), "10.00");
}

TEST(FormatHundredths, SmallAndLargeMagnitudes) {
    EXPECT_EQ(FormatHundredths(0.005), "0.01");
    EXPECT_EQ(FormatHundredths(0.0049), "0.00");
    EXPECT_EQ(FormatHundredths(0.00001), "0.00");
    EXPECT_EQ(FormatHundredths(-0.001), "0.00");
    EXPECT_EQ(FormatHundredths(123456789.125), "123456789.13");
    EXPECT_EQ(FormatHundredths(1e15), "1000000000000000.00");
}

} // namespace
} // namespace tarnwick
