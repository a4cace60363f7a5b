#include "quarterly/StatisticText.h"

#include <cmath>

namespace tarnwick {

namespace {

// QString::number is locale-independent; only its exponent letter differs from ours.
QString SignificantDigits(double value, int digits) {
    if (value == 0)
        value = 0; // no "-0"
    return QString::number(value, 'g', digits).replace(QLatin1Char('e'), QLatin1Char('E'));
}

// The 15 significant digits of a positive value as an integer, and the power of ten of its
// last digit: value ~= digits * 10^lastDigitPower.
struct DecimalDigits {
    qint64 Digits = 0;
    int LastDigitPower = 0;
};

DecimalDigits FifteenDigits(double magnitude) {
    const QString scientific = QString::number(magnitude, 'e', 14); // d.dddddddddddddde+XX
    const qsizetype exponentAt = scientific.indexOf(QLatin1Char('e'));
    QString mantissa = scientific.left(exponentAt);
    mantissa.remove(QLatin1Char('.'));
    const int exponent = scientific.mid(exponentAt + 1).toInt();
    return {mantissa.toLongLong(), exponent - 14};
}

qint64 PowerOfTen(int power) {
    qint64 result = 1;
    for (int i = 0; i < power; ++i)
        result *= 10;
    return result;
}

// Whole hundredths of a positive value, halves rounded up.
qint64 RoundedHundredths(double magnitude) {
    const DecimalDigits decimal = FifteenDigits(magnitude);
    const int dropped = -2 - decimal.LastDigitPower; // digits below the hundredths
    if (dropped <= 0)
        return decimal.Digits * PowerOfTen(-dropped);
    if (dropped > 15)
        return 0; // below 0.001: rounds to zero
    const qint64 divisor = PowerOfTen(dropped);
    const qint64 remainder = decimal.Digits % divisor;
    return decimal.Digits / divisor + (remainder * 2 >= divisor ? 1 : 0);
}

} // namespace

QString SevenDigitText(float value) {
    return SignificantDigits(double(value), 7);
}

QString StatisticText(float value) {
    const QString digits = SevenDigitText(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString ShortestNumberText(double value) {
    return SignificantDigits(value, 15);
}

QString FormatHundredths(double value) {
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || magnitude >= 1e15)
        return QString::number(value, 'f', 2); // no decimals left to round
    const qint64 hundredths = RoundedHundredths(magnitude);
    const QString sign = value < 0 && hundredths != 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(hundredths / 100) + QLatin1Char('.') +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

} // namespace tarnwick
