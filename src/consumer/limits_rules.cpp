#include "limits_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <runtime/clientdataset.h>
#include <runtime/limitrule.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <cmath>

namespace Limits {

Limit readLimit(const QString &text)
{
    Limit limit;
    limit.text = text;
    if (Consiste::EmptyString(text))
        return limit;
    bool ok = false;
    limit.value = PtBr::StrToFloat(text, &ok);
    limit.kind = ok ? Limit::Kind::Value : Limit::Kind::Invalid;
    return limit;
}

Limit readLimit(const Variant &value)
{
    if (value.isBlank())
        return {};
    if (value.isNumber()) {
        Limit limit;
        limit.kind = Limit::Kind::Value;
        limit.value = value.toDouble();
        limit.text = PtBr::FloatToStr(limit.value);
        return limit;
    }
    return readLimit(value.toString());
}

Limit readLimit(const ClientDataSet &dataSet, const QString &field)
{
    if (!dataSet.Active() || dataSet.IsEmpty() || !dataSet.HasField(field))
        return {};
    return readLimit(dataSet.FieldByName(field).Value());
}

bool exceedsMaximum(double limit, double total)
{
    return LimitRule::exceeds(limit, total);
}

bool belowLevel(double level, double remaining)
{
    return LimitRule::below(level, remaining);
}

double centRound(double value)
{
    // Nine decimals hold every digit the sums of cents carry and drop the binary noise, so a
    // true tie stays a tie and goes to the even cent.
    const double shifted = Money::RoundDec(value * 100.0 + 0.005, 9);
    return Money::RoundDec(std::nearbyint(shifted) / 100.0, 2);
}

UnitSplit wholeCover(double V, double Q)
{
    return {0.0, Money::RoundDec(V / Q, 2)};
}

UnitSplit partialSubsidy(double V, double Q, double R)
{
    return {centRound((V - R) / Q), centRound(R / Q)};
}

UnitSplit partialBasic(double V, double Q, double B)
{
    UnitSplit split{centRound((V - B) / Q), Money::Trunc2(((B / Q) * 100.0 + 0.005) / 100.0)};
    const double target = Money::RoundDec(V / Q, 2);
    const double sum = Money::RoundDec(split.P + split.C, 2);
    if (sum > target)
        split.C = Money::RoundDec(target - split.P, 2);
    else if (sum < target)
        split.P = Money::RoundDec(target - split.C, 2);
    return split;
}

bool readNumber(const QString &text, double &value)
{
    value = 0.0;
    if (Consiste::EmptyString(text))
        return true;
    bool ok = false;
    value = PtBr::StrToFloat(text, &ok);
    return ok;
}

// ---- Steps ----------------------------------------------------------------------------------

Steps::Steps(SaleContext &context) : m_context(context) {}

SaleState &Steps::state() const
{
    return m_context.state();
}

SaleDatasets &Steps::data() const
{
    return m_context.data();
}

QString Steps::consumerText() const
{
    return state().consumer.stCDCONSUMIDOR + QStringLiteral(" - ") + state().consumer.stNmConsumidor;
}

void Steps::refuse(const QString &key, const QStringList &args) const
{
    m_context.message(Lvm_msg::Format(m_context.Msg(key), args), 3);
}

void Steps::warn(const QString &text) const
{
    m_context.message(text, 3);
}

void Steps::refuseUnreadable(const QString &name, const QString &text) const
{
    m_context.message(QStringLiteral("Operação bloqueada. O valor de %1 não é um número válido: \"%2\". "
                                     "Favor verificar parametrização no sistema Zmq.")
                          .arg(name, text),
                      3);
}

bool Steps::limitOf(const QString &name, const Limit &limit) const
{
    if (limit.kind != Limit::Kind::Invalid)
        return true;
    refuseUnreadable(name, limit.text);
    return false;
}

void Steps::load(ClientDataSet &target, const Variant &value)
{
    target.Close();
    if (value.isPacket())
        target.SetData(value.packet());
    else
        target.CreateDataSet();
    target.First();
}

} // namespace Limits
