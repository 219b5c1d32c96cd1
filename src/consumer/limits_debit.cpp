#include "limits_p.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <runtime/clientdataset.h>
#include <runtime/limitrule.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace Limits {

bool DebitLimits::run(const Arguments &arguments)
{
    m_args = arguments;
    m_settle = isYes(m_args.FromSettle);
    ConsumerFigures &f = state().figures;
    f.limits = {};
    if (!readArguments())
        return false;
    m_displayed = state().totals.doTotalVenda;
    if (f.doDebitoConsAux2 == 0.0)
        f.doDebitoConsAux2 = m_displayed;
    const Parameters &params = state().params;
    const QString &client = state().host.stCdClienteVenda;
    const QString &consumer = state().consumer.stCDCONSUMIDOR;
    Variant store;
    if (!m_context.checkAnswer(m_context.server().consumers.getTipoConsLoja(params.stCDFILIAL, params.stCDLOJA, client,
                                                                            consumer),
                               QStringLiteral("getTipoConsLoja"),
                               QStringList{params.stCDFILIAL, params.stCDLOJA, client, consumer}.join(QLatin1Char('-')),
                               store))
        return false;
    load(data().cdsTipoConsLoja, store);
    const ClientDataSet &limits = data().cdsTipoConsLoja;
    const QString monthly = QStringLiteral("VRMAXCONSMENSAL");
    const QString storeDaily = QStringLiteral("VRMAXCONSDIAD");
    const QString storeMonthly = QStringLiteral("VRMAXCONSMESD");
    return basicBalance() && extraBalance()
           && maximum(monthly, readLimit(limits, monthly), f.doConsumoMes, QStringLiteral("VRMAXCONSMES"),
                      ConsumerLimit::Monthly, false)
           && maximum(storeDaily, readLimit(limits, storeDaily), f.doConsumoLojaDia, QStringLiteral("VRMAXCONS_LOJA"),
                      ConsumerLimit::StoreDaily, true)
           && maximum(storeMonthly, readLimit(limits, storeMonthly), f.doConsumoLojaMes,
                      QStringLiteral("VRMAXCONSMES_LOJA"), ConsumerLimit::StoreMonthly, false)
           && maximum(QStringLiteral("VRMAXDEBCONS"), readLimit(state().consumer.stVRMAXDEBCONS), f.doGastoCons,
                      QStringLiteral("OPE_SALMAX_DEB"), ConsumerLimit::ConsumerMaximum, true)
           && balanceFloor() && lowBalanceWarning();
}

bool DebitLimits::readArguments()
{
    double client = 0.0, discount = 0.0, addition = 0.0;
    const struct { const char *name; const QString &text; double &value; } arguments[] = {
        {"quantidade", m_args.Quantity, m_quantity},      {"preço", m_args.UnitPrice, m_unitPrice},
        {"preço do cliente", m_args.ClientPrice, client}, {"desconto", m_args.Discount, discount},
        {"acréscimo", m_args.Addition, addition}};
    for (const auto &argument : arguments) {
        if (!readNumber(argument.text, argument.value)) {
            refuseUnreadable(QString::fromUtf8(argument.name), argument.text);
            return false;
        }
    }
    m_itemValue = m_quantity * (m_unitPrice + client - discount + addition);
    return true;
}

bool DebitLimits::basicBalance()
{
    ConsumerFigures &f = state().figures;
    const Limit limit = readLimit(data().cdsTipoConsFili, QStringLiteral("VRSALDOBASICO"));
    if (!isYes(state().params.stIDSALDEXTDEBCON) || f.doDebitoConsAux3 <= 0.0 || !limit.applies())
        return true;
    if (!limitOf(QStringLiteral("VRSALDOBASICO"), limit)) {
        f.limits.breaks(ConsumerLimit::BasicBalance, QStringLiteral("VRSALDOBASICO"), 0.0, limit.text);
        return false;
    }
    const double fidelity = state().loyalty.doFidelidadeAux1;
    const double total = f.doSubsidioBasicoEmp + (m_settle ? f.doDebitoConsAux3 - fidelity : part());
    if (exceedsMaximum(limit.value, total)) {
        refuseBalances();
        f.limits.breaks(ConsumerLimit::BasicBalance, QStringLiteral("VRSALDOBASICO"),
                        LimitRule::room(limit.value, f.doSubsidioBasicoEmp));
        return false;
    }
    f.doRecebAux2 = Money::RoundDec(total, 2);
    return true;
}

bool DebitLimits::extraBalance()
{
    ConsumerFigures &f = state().figures;
    const Limit limit = readLimit(data().cdsTipoConsFili, QStringLiteral("VRSALDOEXTRA"));
    if (!isYes(state().params.stIDSALDEXTDEBCON) || f.doSubsidioAux2 <= 0.0 || !limit.applies())
        return true;
    if (!limitOf(QStringLiteral("VRSALDOEXTRA"), limit)) {
        f.limits.breaks(ConsumerLimit::ExtraBalance, QStringLiteral("VRSALDOEXTRA"), 0.0, limit.text);
        return false;
    }
    const double fidelity = state().loyalty.doFidelidadeAux1;
    const double total = f.doConsumoSaldoExtra + (m_settle ? f.doSubsidioAux2 - fidelity : part());
    if (exceedsMaximum(limit.value, total)) {
        refuseBalances();
        f.limits.breaks(ConsumerLimit::ExtraBalance, QStringLiteral("VRSALDOEXTRA"),
                        LimitRule::room(limit.value, f.doConsumoSaldoExtra));
        return false;
    }
    f.doRecebAux2 = Money::RoundDec(total, 2);
    return true;
}

void DebitLimits::refuseBalances()
{
    const ConsumerFigures &f = state().figures;
    refuse(QStringLiteral("VRSALDOBASEXT"), {PtBr::FormatCurr(f.doVRSALDOBASICO - f.doSubsidioBasicoEmp),
                                             PtBr::FormatCurr(f.doVRSALDOEXTRA - f.doConsumoSaldoExtra)});
}

// The store daily and consumer maxima leave the refused total for the settlement to work out
// how much the account can still take; the others leave the last total that passed.
bool DebitLimits::maximum(const QString &name, const Limit &limit, double spent, const QString &key,
                          ConsumerLimit which, bool recordRefused)
{
    if (!limit.applies())
        return true;
    if (!limitOf(name, limit)) {
        state().figures.limits.breaks(which, name, 0.0, limit.text);
        return false;
    }
    const double total = spent + part();
    const bool refused = exceedsMaximum(limit.value, total);
    if (!refused || recordRefused)
        state().figures.doRecebAux2 = Money::RoundDec(total, 2);
    if (!refused)
        return true;
    refuse(key, {consumerText(), PtBr::FormatCurr(limit.value)});
    state().figures.limits.breaks(which, name, LimitRule::room(limit.value, spent));
    return false;
}

bool DebitLimits::balanceFloor()
{
    const Limit floor = readLimit(state().consumer.stVRMESUBCONS);
    if (!floor.applies())
        return true;
    if (!limitOf(QStringLiteral("VRLIMDEBCONS"), floor)) {
        state().figures.boRecebAux1 = false;
        return false;
    }
    const double taken = m_settle ? m_displayed : part();
    if (!belowLevel(floor.value, state().figures.doSaldoCons - taken))
        return true;
    const double shown = m_settle ? m_displayed : m_displayed + m_quantity * m_unitPrice;
    refuse(QStringLiteral("SaldInsufCons"),
           {PtBr::FormatCurr(Money::RoundDec(floor.value, 2)), PtBr::FormatCurr(shown)});
    state().figures.boRecebAux1 = false;
    return false;
}

bool DebitLimits::lowBalanceWarning()
{
    const Limit level = readLimit(state().consumer.stDebitoConsAux1);
    if (!level.applies())
        return true;
    if (!limitOf(QStringLiteral("VRAVIDEBCONS"), level))
        return false;
    const double balance = state().figures.doSaldoCons;
    if (!belowLevel(level.value, balance - (m_settle ? m_displayed : part())))
        return true;
    warn(QStringList{m_context.Msg(QStringLiteral("Consumidor")) + QStringLiteral(" : ") + state().consumer.stNmConsumidor,
                     m_context.Msg(QStringLiteral("SaldoEmpr")) + QStringLiteral(" : ") + PtBr::FormatCurr(balance),
                     m_context.Msg(QStringLiteral("NovoCred"))}
             .join(QStringLiteral("\r\n")));
    return true;
}

// The consumption this item or this sale adds to a figure of the account.
double DebitLimits::part() const
{
    if (!m_settle)
        return m_displayed + m_itemValue;
    const SaleState &s = state();
    return s.figures.doDebitoConsAux2 - s.figures.doDebitoConsAux1 - s.loyalty.doFidelidadeAux1;
}

} // namespace Limits
