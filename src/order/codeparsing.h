#pragma once

#include <QString>
#include <QTime>

#include <optional>

// Reading what the till's operator typed or scanned: parts of a scale label, the hour handed
// to the price function, quantity checks. Pure functions; no form state.
namespace CodeParsing {

// The characters of `code` from position `first` to position `last` inclusive, counted from 1,
// as the parameter row gives them (texts). Positions that are not numbers, or a range that
// starts after the code's end, give an empty text; a range running past the end is cut there.
QString cutPositions(const QString &code, const QString &first, const QString &last);

// A scale label's quantity part: the digits carry three implied decimals ("001500" is 1.5).
// A product that is not sold by weight counts units, so a reading below 1 is multiplied by
// 1000 ("000500" is 500 units). Nothing when the digits are not a number.
std::optional<double> labelQuantity(const QString &digits, bool weighable);

// The text the label's quantity or value is kept as (stQtdeCodBarra): the digits with the
// decimal comma before the last `decimals` of them ("001500", 3 -> "001,500").
QString withImpliedDecimals(const QString &digits, int decimals);

// A scale label's value part: two implied decimals ("001250" is 12.50). Nothing when the
// digits are not a number.
std::optional<double> labelValue(const QString &digits);

// The quantity a value label stands for at `unitPrice`, rounded to three decimals. A price of
// zero or below gives 0, so the caller refuses the item instead of dividing by zero.
double quantityForValue(double value, double unitPrice);

// "HHMM" of a time, for the price function. Written from the hours and minutes themselves:
// cutting the locale's time text breaks on a one-digit hour ("9:05:00" gave "905:").
QString priceHour(const QTime &time);

// True when the quantity has a fractional part.
bool isFractional(double quantity);

} // namespace CodeParsing
