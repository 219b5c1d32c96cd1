#include "money.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificant = 15;

// value = sign * 0.d1 d2 ... d15 * 10^integerDigits
struct Decimal
{
    bool negative = false;
    char digits[kSignificant] = {};
    int integerDigits = 0; // digits before the decimal point; may be zero or negative
};

Decimal toDecimal(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", kSignificant - 1, value);
    Decimal d;
    const char *p = text;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    int count = 0;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && count < kSignificant)
            d.digits[count++] = *p;
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    d.integerDigits = exponent + 1;
    return d;
}

// The double nearest to sign * mantissa * 10^power10, read back by the C library, which is exact.
double fromMantissa(bool negative, long long mantissa, int power10)
{
    if (mantissa == 0)
        return 0.0;
    char text[48];
    std::snprintf(text, sizeof text, "%s%llde%d", negative ? "-" : "", mantissa, power10);
    return std::strtod(text, nullptr);
}

long long leadingDigits(const Decimal &d, int count)
{
    long long mantissa = 0;
    for (int i = 0; i < count; ++i)
        mantissa = mantissa * 10 + (d.digits[i] - '0');
    return mantissa;
}

// Money carries at most nine real decimals (prices 2, quantities 3, percentages 2, over 100).
// Rounding there first drops the noise a subtraction leaves below them: 8.50 - 8.49 is
// 0.0099999999999998 in binary, which fifteen significant digits alone would cut to 0.00.
constexpr int kRealDecimals = 9;

double dropNoise(double value)
{
    if (std::fabs(value) >= 1e6) // fifteen significant digits already stop above the ninth decimal
        return value;
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", kRealDecimals, value);
    return std::strtod(text, nullptr);
}

double cut(double value, int decimals, bool roundHalfAway)
{
    if (!std::isfinite(value))
        return value;
    if (decimals < 0)
        decimals = 0;
    const Decimal d = toDecimal(dropNoise(value));
    const int keep = d.integerDigits + decimals;
    if (keep >= kSignificant) // nothing to cut: only the binary noise goes
        return fromMantissa(d.negative, leadingDigits(d, kSignificant),
                            d.integerDigits - kSignificant);
    if (keep < 0) // the value lies below a tenth of the last kept decimal
        return 0.0;
    long long mantissa = leadingDigits(d, keep);
    if (roundHalfAway && d.digits[keep] >= '5')
        ++mantissa;
    return fromMantissa(d.negative, mantissa, -decimals);
}

} // namespace

namespace Money {

double TruncDec(double value, int decimals)
{
    return cut(value, decimals, false);
}

double Trunc2(double value)
{
    return cut(value, 2, false);
}

double Trunc3(double value)
{
    return cut(value, 3, false);
}

double RoundDec(double value, int decimals)
{
    return cut(value, decimals, true);
}

} // namespace Money
