#include "salemoney.h"

#include <outside/qub_movrela.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <stdexcept>

using Qub_movrela::Trunc2;

namespace SaleMoney {

double number(const QString &text, bool blankIsZero)
{
    if (blankIsZero && text.trimmed().isEmpty())
        return 0.0;
    bool ok = false;
    const double value = PtBr::StrToFloat(text, &ok);
    if (!ok)
        throw std::invalid_argument(
            QStringLiteral("'%1' não é um valor numérico válido").arg(text).toStdString());
    return value;
}

QString text(double value)
{
    return PtBr::FloatToStr(value);
}

double cut(double value)
{
    return Trunc2(Money::RoundDec(value, 9));
}

double lineValue(double quantity, double price, double discount, double addition)
{
    return cut(cut(quantity * Trunc2(price)) - discount + addition);
}

double serviceFee(double rate, double quantity, double price, double discount)
{
    return rate * (quantity * price - discount) / 100.0;
}

CouponLine applyCoupon(double soma, double discount, double price, double quantity,
                       double coupon, double comparedValue)
{
    if (coupon >= comparedValue)
        return {0.01, cut(cut(Trunc2(price) * quantity) - 0.01)};
    return {cut(soma - coupon), discount + coupon};
}


} // namespace SaleMoney
