#pragma once

#include <QString>

// The money rules of the open sale, apart from the datasets so each can be tested alone.
// Every amount is cut (never rounded) to two decimals at the step where the sale cuts it; the
// service fee is the one amount kept whole.
namespace SaleMoney {

// A number the sale carries as text ("1,5", "0,01", "2"; a decimal point is read too). A text
// that is no number raises std::invalid_argument naming it; `blankIsZero` reads an empty or
// blank text as 0 (absent discounts and additions).
double number(const QString &text, bool blankIsZero = false);
// The text a number is stored as in a text column: "2", "0,5", "1,25".
QString text(double value);

// Money cut to two decimals after the noise of binary arithmetic is dropped: 8.50 - 8.49 is
// 0.0099999999999998 in binary, which a plain cut would make 0.00. Sale amounts carry at most
// nine real decimals (prices 2, quantities 3, rates 2, over 100), so rounding at the ninth
// first changes no real value.
double cut(double value);

// Value of a line: Trunc2(Trunc2(quantity x Trunc2(price)) - discount + addition).
double lineValue(double quantity, double price, double discount, double addition);
// Service fee of a line at `rate` percent, uncut.
double serviceFee(double rate, double quantity, double price, double discount);

// A discount coupon applied to a line of value `soma` and discount `discount`.
struct CouponLine
{
    double soma;
    double discount;
};
// The coupon covers the line when it is worth at least `comparedValue`: the line then keeps
// one cent. Otherwise the coupon comes off the value and is added to the discount.
CouponLine applyCoupon(double soma, double discount, double price, double quantity,
                       double coupon, double comparedValue);

} // namespace SaleMoney
