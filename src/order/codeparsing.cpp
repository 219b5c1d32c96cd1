#include "codeparsing.h"

#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <cmath>

namespace CodeParsing {

QString cutPositions(const QString &code, const QString &first, const QString &last)
{
    bool firstOk = false;
    bool lastOk = false;
    const int from = first.trimmed().toInt(&firstOk);
    const int to = last.trimmed().toInt(&lastOk);
    if (!firstOk || !lastOk || from < 1 || to < from || from > code.size())
        return QString();
    return code.mid(from - 1, to - from + 1);
}

QString withImpliedDecimals(const QString &digits, int decimals)
{
    const int whole = qMax(0, int(digits.size()) - decimals);
    return digits.left(whole) + PtBr::DecimalSeparator + digits.mid(whole);
}

static std::optional<double> readDigits(const QString &digits, int decimals)
{
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (!c.isDigit())
            return std::nullopt;
    }
    bool ok = false;
    const double value = PtBr::StrToFloat(withImpliedDecimals(digits, decimals), &ok);
    if (!ok)
        return std::nullopt;
    return Money::RoundDec(value, decimals);
}

std::optional<double> labelQuantity(const QString &digits, bool weighable)
{
    std::optional<double> quantity = readDigits(digits, 3);
    if (quantity && !weighable && *quantity < 1)
        *quantity = Money::RoundDec(*quantity * 1000, 0);
    return quantity;
}

std::optional<double> labelValue(const QString &digits)
{
    return readDigits(digits, 2);
}

double quantityForValue(double value, double unitPrice)
{
    if (unitPrice <= 0)
        return 0;
    return Money::RoundDec(value / unitPrice, 3);
}

QString priceHour(const QTime &time)
{
    return time.toString(QStringLiteral("HHmm"));
}

bool isFractional(double quantity)
{
    return std::floor(quantity) != quantity;
}

} // namespace CodeParsing
