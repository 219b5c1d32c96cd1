#pragma once

#include <vendacons_export.h>

// Money and measures are plain doubles, as the sale fields are declared, but every cut to a
// number of decimals goes through here. The cut works on the decimal digits of the value, never
// on `x * 100` of a binary double: 0.29 * 100 is 28.999... in binary, and 4.35 * 100 is
// 434.99999999999994, so a naive floor would lose a cent.
//
// How a value is read: first as its nearest decimal of 15 significant digits (all that a double
// carries faithfully; what lies beyond is noise of the binary arithmetic), then cut or rounded
// on those digits, and the result is the double nearest to that decimal. A negative zero comes
// back as 0. NaN and infinities come back unchanged.
namespace Money VENDACONS_EXPORT {

// Cut toward zero to `decimals` decimals: 1.995 -> 1.99, -1.999 -> -1.99.
double TruncDec(double value, int decimals);

// Money is cut, never rounded, at every step: 0.5 * 3.99 -> 1.99, 1.00 / 3 -> 0.33.
double Trunc2(double value);
// Quantities and weights cut to three decimals.
double Trunc3(double value);

// Rounded to `decimals` decimals, ties away from zero (the rule of money: 1.005 -> 1.01,
// -1.005 -> -1.01, 2.5 -> 3 with no decimals). A negative count of decimals counts as 0.
double RoundDec(double value, int decimals);

} // namespace Money
