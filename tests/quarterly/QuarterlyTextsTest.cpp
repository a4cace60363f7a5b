// The texts the quarterly rows are written with: numbers and the names of type codes.
#include "quarterly/CodeTables.h"
#include "quarterly/StatisticText.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

// Under a locale with a decimal comma, the texts keep their period.
TEST(NumberTexts, PeriodAndExponentFormsWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // A leading blank unless negative; seven significant digits; exponents from ten million
    // and below one ten-thousandth.
    const std::pair<float, const char*> statistics[] = {{10.5f, " 10.5"},
                                                        {1000.0f, " 1000"},
                                                        {12345.0f, " 12345"},
                                                        {-3.0f, "-3"},
                                                        {0.0f, " 0"},
                                                        {-0.0f, " 0"},
                                                        {9999999.0f, " 9999999"},
                                                        {1234567.8f, " 1234568"},
                                                        {12345678.0f, " 1.234568E+07"},
                                                        {1e8f, " 1E+08"},
                                                        {-2.5e8f, "-2.5E+08"},
                                                        {3.0e20f, " 3E+20"},
                                                        {0.1234f, " 0.1234"},
                                                        {0.0001f, " 0.0001"},
                                                        {0.00001f, " 1E-05"},
                                                        {-0.000025f, "-2.5E-05"},
                                                        {39.175f, " 39.175"},
                                                        {-86.25f, "-86.25"}};
    for (const auto& [value, text] : statistics) {
        EXPECT_EQ(StatisticText(value), text) << value;
        EXPECT_EQ(SevenDigitText(value), QString::fromLatin1(text).trimmed()) << value;
    }
    const std::pair<double, const char*> shortest[] = {{12345, "12345"},
                                                       {0.12345, "0.12345"},
                                                       {-3, "-3"},
                                                       {0.1 + 0.2, "0.3"},
                                                       {123456789012345.0, "123456789012345"},
                                                       {1e15, "1E+15"},
                                                       {0.00001, "1E-05"},
                                                       {-0.0, "0"}};
    for (const auto& [value, text] : shortest)
        EXPECT_EQ(ShortestNumberText(value), text) << value;
    // Half away from zero on the decimal digits: binary doubles just below the half still round
    // up, as their decimal text shows a 5.
    const std::pair<double, const char*> hundredths[] = {{10.5, "10.50"},
                                                         {10, "10.00"},
                                                         {0.125, "0.13"},
                                                         {-0.125, "-0.13"},
                                                         {1.005, "1.01"},
                                                         {2.675, "2.68"},
                                                         {99.995, "100.00"},
                                                         {10.004, "10.00"},
                                                         {0.005, "0.01"},
                                                         {0.0049, "0.00"},
                                                         {0.00001, "0.00"},
                                                         {-0.001, "0.00"},
                                                         {123456789.125, "123456789.13"},
                                                         {1e15, "1000000000000000.00"}};
    for (const auto& [value, text] : hundredths)
        EXPECT_EQ(FormatHundredths(value), text) << value;
    QLocale::setDefault(previous);
}

TEST(CodeTables, CodesMatchWholeAndInTheirCaseElseComeBackUnchanged) {
    const std::pair<const char*, const char*> fuels[] = {{"C", "Coal"},  {"DSL", "Diesel Oil"},
                                                         {"DS", "DS"},   {"png", "png"},
                                                         {"XYZ", "XYZ"}, {"", ""}};
    for (const auto& [code, name] : fuels)
        EXPECT_EQ(FuelTypeName(code), name) << code;
    const std::pair<const char*, const char*> units[] = {
        {"C", "Boiler: Cyclone boiler"},   {"CF", "CF"},   {" CC", " CC"}, {"CC ", "CC "},
        {"CC", "Turbine: Combined cycle"}, {"XYZ", "XYZ"}, {"", ""}};
    for (const auto& [code, name] : units)
        EXPECT_EQ(UnitTypeName(code), name) << code;
}

} // namespace
} // namespace tarnwick
