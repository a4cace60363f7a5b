#pragma once

#include <QString>

namespace tarnwick {

// The texts in which the quarterly reader and the header writers spell numbers. All use a
// period as decimal separator whatever the locale, and "E+07" / "E-05" for exponents.

// A single-precision value with at most 7 significant digits and no leading blank: "39.175",
// "-86.25", "0". Magnitudes from 1E7 up, and nonzero ones below 1E-4, take the exponent form
// ("1.234568E+07", "1E-05"). Also the number literal of the SQL statements.
QString SevenDigitText(float value);

// The text of a CO2 or flow statistic: SevenDigitText with one leading blank when the value
// is not negative (" 10.5", " 1E+08", "-3").
QString StatisticText(float value);

// The shortest decimal text of a number with at most 15 significant digits, no leading blank
// ("12345", "0.12345"); from 1E15 up and below 1E-4 in exponent form.
QString ShortestNumberText(double value);

// The value formatted with the pattern "0.00": two decimals, rounded half away from zero on
// the 15-digit decimal form of the value (so 1.005 gives "1.01", as a decimal reader expects).
QString FormatHundredths(double value);

} // namespace tarnwick
