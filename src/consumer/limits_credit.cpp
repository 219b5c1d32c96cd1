#include "limits_p.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/limitrule.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <algorithm>

namespace Limits {

namespace {

const QString crlf = QStringLiteral("\r\n");

// A family check compares without rounding; only the binary noise of the subtraction (far
// below a tenth of a cent) is dropped, so -0.001 still counts as below zero.
double exact(double value)
{
    return Money::RoundDec(value, 9);
}

} // namespace

bool CreditLimits::run(const Arguments &arguments)
{
    m_args = arguments;
    m_settle = isYes(m_args.FromSettle);
    ConsumerFigures &figures = state().figures;
    figures.limits = {};
    if (!readArguments())
        return false;
    // The sale's total as a number: the label's caption stops converting from a million on.
    m_displayed = state().totals.doTotalVenda;
    if (figures.doTotalVendaAux == 0.0)
        figures.doTotalVendaAux = m_displayed;
    if (!prepare())
        return false;
    ClientDataSet &balances = data().cdsConsultaSaldo;
    m_familyFound = balances.Active() && balances.Locate(QStringLiteral("CDFAMILISALD"), m_args.Family);
    // A family without a balance row has nothing to spend: its balance is 0, never the
    // balance of whatever family the cursor was left on.
    m_balance = m_familyFound ? balances.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat() : 0.0;
    m_familyName = m_familyFound ? balances.FieldByName(QStringLiteral("NMFAMILISALD")).AsString() : m_args.Family;
    if (gateOpen() && !(maxima() && balanceFloor()))
        return false;
    // The warning is no reason to skip the family's own rules: they still run after it.
    if (!lowBalanceWarning())
        return false;
    if (!gateOpen())
        return coveredByLoan();
    return familyNoNegative() && familyDaily();
}

bool CreditLimits::readArguments()
{
    double quantity = 0.0, unit = 0.0, client = 0.0, discount = 0.0, addition = 0.0;
    const struct { const char *name; const QString &text; double &value; } arguments[] = {
        {"quantidade", m_args.Quantity, quantity},   {"preço", m_args.UnitPrice, unit},
        {"preço do cliente", m_args.ClientPrice, client}, {"desconto", m_args.Discount, discount},
        {"acréscimo", m_args.Addition, addition}};
    for (const auto &argument : arguments) {
        if (!readNumber(argument.text, argument.value)) {
            refuseUnreadable(QString::fromUtf8(argument.name), argument.text);
            return false;
        }
    }
    m_itemValue = quantity * (unit + client - discount + addition);
    return true;
}

bool CreditLimits::prepare()
{
    const Parameters &params = state().params;
    const QString &client = state().host.stCdClienteVenda;
    const QString &consumer = state().consumer.stCDCONSUMIDOR;
    const QChar dash = QLatin1Char('-');
    Seam::Consumers &server = m_context.server().consumers;
    Variant order;
    if (!m_context.checkAnswer(server.getOrdemFamilia(params.stCDFILIAL, m_args.Family, client, consumer,
                                                      params.stIDEXTCONSCENTRAL),
                               QStringLiteral("getOrdemFamilia"),
                               QStringList{params.stCDFILIAL, m_args.Family, client, consumer}.join(dash), order))
        return false;
    load(data().cdsOrdFam, order.at(0));
    load(data().cdsSupOrdemFamilia, order.at(1));
    load(data().cdsConsumoFamilia, order.at(2));
    ClientDataSet &before = data().cdsSupOrdemFamilia;
    before.Locate(QStringLiteral("CDFAMILISALD"), m_args.Family);
    before.Prior();
    Variant store;
    if (!m_context.checkAnswer(server.getTipoConsLoja(params.stCDFILIAL, params.stCDLOJA, client, consumer),
                               QStringLiteral("getTipoConsLoja"),
                               QStringList{params.stCDFILIAL, params.stCDLOJA, client, consumer}.join(dash), store))
        return false;
    load(data().cdsTipoConsLoja, store);
    return true;
}

// Per item: open while no family of the branch comes before the item's in approval order
// (orders compared as texts, as the back office writes them: "001", "002"). At settlement:
// open while the sale borrows nothing between families.
bool CreditLimits::gateOpen() const
{
    if (m_settle)
        return !data().cdsEmprestimoFam.Active() || data().cdsEmprestimoFam.IsEmpty();
    if (!isNo(m_args.FromSettle))
        return false;
    const QString order = QStringLiteral("NRORDAPRSALD");
    const ClientDataSet &before = data().cdsSupOrdemFamilia;
    const ClientDataSet &own = data().cdsOrdFam;
    const QString previous = before.IsEmpty() ? QString() : before.FieldByName(order).AsString();
    const QString mine = own.IsEmpty() ? QString() : own.FieldByName(order).AsString();
    return previous >= mine;
}

bool CreditLimits::maxima()
{
    ConsumerFigures &figures = state().figures;
    const ClientDataSet &store = data().cdsTipoConsLoja;
    const QString daily = QStringLiteral("VRMAXCONSDIAC");
    const QString monthly = QStringLiteral("VRMAXCONSMESC");
    return maximum(daily, readLimit(store, daily), figures.doConsumoLojaDia, QStringLiteral("VRMAXCONS_LOJA"),
                   ConsumerLimit::StoreDaily)
           && maximum(monthly, readLimit(store, monthly), figures.doConsumoLojaMes,
                      QStringLiteral("VRMAXCONSMES_LOJA"), ConsumerLimit::StoreMonthly)
           && maximum(QStringLiteral("VRMAXCREDCONS"), readLimit(state().consumer.stRecebAux8), figures.doGastoCons,
                      QStringLiteral("OPE_SALMAX_DEB"), ConsumerLimit::ConsumerMaximum);
}

bool CreditLimits::maximum(const QString &name, const Limit &limit, double spent, const QString &key,
                           ConsumerLimit which)
{
    if (!limit.applies())
        return true;
    if (!limitOf(name, limit)) {
        state().figures.limits.breaks(which, name, 0.0, limit.text);
        return false;
    }
    const double total = spent + (m_settle ? salePart() : itemPart());
    if (exceedsMaximum(limit.value, total)) {
        refuse(key, {consumerText(), PtBr::FormatCurr(limit.value)});
        state().figures.limits.breaks(which, name, LimitRule::room(limit.value, spent));
        return false;
    }
    state().figures.doRecebAux2 = Money::RoundDec(total, 2);
    return true;
}

bool CreditLimits::balanceFloor()
{
    const Limit floor = readLimit(state().consumer.stCredPessoalAux2);
    if (!m_familyFound || !floor.applies())
        return true;
    if (!limitOf(QStringLiteral("VRLIMCREDCONS"), floor))
        return false;
    const bool combination = !m_settle && isNo(m_args.ComboFlag);
    const double left = combination ? m_balance - state().totals.doDigitacaoAux1 : remaining();
    if (!belowLevel(floor.value, left))
        return true;
    refuse(QStringLiteral("SaldInsufCre"), {PtBr::FormatCurr(floor.value)});
    // A combination's items are registered one by one: the whole entry ends here.
    if (isNo(m_args.ComboFlag))
        Abort();
    return false;
}

bool CreditLimits::lowBalanceWarning()
{
    const Limit level = readLimit(state().consumer.stCredPessoalAux1);
    if (!m_familyFound || !level.applies())
        return true;
    if (!limitOf(QStringLiteral("VRAVICREDCONS"), level))
        return false;
    if (!belowLevel(level.value, remaining()))
        return true;
    warn(QStringList{m_context.Msg(QStringLiteral("Consumidor")) + QStringLiteral(" : ") + state().consumer.stNmConsumidor,
                     Lvm_msg::Format(m_context.Msg(QStringLiteral("SaldoFam")), {m_familyName}) + QStringLiteral(" : ")
                         + PtBr::FormatCurr(m_balance),
                     m_context.Msg(QStringLiteral("NovoRecarg"))}
             .join(crlf));
    return true;
}

bool CreditLimits::familyNoNegative()
{
    if (data().cdsOrdFam.IsEmpty() || !isNo(data().cdsOrdFam.FieldByName(QStringLiteral("IDSALDNEGFAM")).AsString()))
        return true;
    const double left = m_settle ? m_balance - m_displayed : m_balance - Money::Trunc2(itemPart());
    if (exact(left) >= 0.0)
        return true;
    refuseNegative();
    return false;
}

void CreditLimits::refuseNegative() const
{
    warn(m_familyName + QLatin1Char(' ') + m_context.Msg(QStringLiteral("FamiliaNeg")) + crlf
         + m_context.Msg(QStringLiteral("Consumidor")) + QStringLiteral(" : ") + state().consumer.stNmConsumidor);
}

// A family after others in approval order may borrow from one of them when the sale is
// settled, so its own rules wait for the settlement. An item that no earlier family could
// cover would then refuse the whole coupon at Receber: it is refused here, by the rule the
// server lends by. The sale's families are walked in the order Receber hands them over; a short
// family borrows from the nearest earlier family that can lend the missing amount, which
// offers its balance less what it already lends in this sale less its own part of the sale.
bool CreditLimits::coveredByLoan() const
{
    const ClientDataSet &own = data().cdsOrdFam;
    if (m_settle || !isNo(m_args.FromSettle) || own.IsEmpty()
        || !isNo(own.FieldByName(QStringLiteral("IDSALDNEGFAM")).AsString()))
        return true;
    const QList<Lender> lenders = earlierFamilies();
    const QList<std::pair<QString, double>> amounts = saleAmounts();
    QMap<QString, double> moved; // this sale's loans so far: + received, - lent
    for (const auto &[family, amount] : amounts) {
        const bool mine = family == m_args.Family;
        QString order;
        if (mine) {
            order = own.FieldByName(QStringLiteral("NRORDAPRSALD")).AsString();
        } else {
            // Only a family whose rule the till holds is known to borrow: one that may go
            // negative, or whose order comes after the item's, is left to the server.
            const auto rule = std::find_if(lenders.cbegin(), lenders.cend(), [&](const Lender &l) { return l.family == family; });
            if (rule == lenders.cend() || !isNo(rule->negative))
                continue;
            order = rule->order;
        }
        const double balance = Money::RoundDec(familyBalance(family, lenders) + moved.value(family), 2);
        if (Money::RoundDec(amount, 2) <= balance) {
            if (mine)
                return true;
            continue;
        }
        const double missing = Money::RoundDec(balance > 0 ? amount - balance : amount, 2);
        const QString lender = lenderFor(family, order, missing, lenders, amounts, moved);
        if (mine) {
            if (!lender.isEmpty())
                return true;
            refuseNegative();
            return false;
        }
        if (!lender.isEmpty()) {
            moved[lender] -= missing;
            moved[family] += missing;
        }
    }
    return true;
}

// The families up to the item's in approval order, as the family order answered them.
QList<CreditLimits::Lender> CreditLimits::earlierFamilies() const
{
    QList<Lender> lenders;
    ClientDataSet rows;
    rows.CopyFrom(data().cdsSupOrdemFamilia);
    const bool flagged = rows.HasField(QStringLiteral("IDSALDNEGFAM"));
    const bool balanced = rows.HasField(QStringLiteral("VRSALDCONFAM"));
    for (rows.First(); !rows.Eof(); rows.Next())
        lenders.append({rows.FieldByName(QStringLiteral("CDFAMILISALD")).AsString(),
                        rows.FieldByName(QStringLiteral("NRORDAPRSALD")).AsString(),
                        flagged ? rows.FieldByName(QStringLiteral("IDSALDNEGFAM")).AsString() : QString(),
                        balanced ? rows.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat() : 0.0});
    return lenders;
}

// The sale's part of each family as Receber hands it to the server, with this item added to
// its family.
QList<std::pair<QString, double>> CreditLimits::saleAmounts() const
{
    QList<std::pair<QString, double>> amounts;
    ClientDataSet rows;
    rows.CopyFrom(data().cdsFamiliaSaldo);
    if (rows.Active())
        for (rows.First(); !rows.Eof(); rows.Next())
            amounts.append({rows.FieldByName(QStringLiteral("CDFAMILISALD")).AsString(),
                            rows.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat()});
    const double item = Money::Trunc2(m_itemValue);
    for (auto &[family, amount] : amounts) {
        if (family == m_args.Family) {
            amount += item;
            return amounts;
        }
    }
    amounts.append({m_args.Family, item});
    return amounts;
}

// The nearest family before `family` in approval order that covers `missing` (or may go
// negative); empty when none.
QString CreditLimits::lenderFor(const QString &family, const QString &order, double missing, const QList<Lender> &lenders,
                                const QList<std::pair<QString, double>> &amounts, const QMap<QString, double> &moved) const
{
    qsizetype position = lenders.size();
    for (qsizetype i = 0; i < lenders.size(); ++i)
        position = lenders.at(i).family == family ? i : position;
    for (qsizetype i = position - 1; i >= 0; --i) {
        const Lender &candidate = lenders.at(i);
        if (!(candidate.order < order))
            continue;
        double available = familyBalance(candidate.family, lenders) + moved.value(candidate.family);
        for (const auto &[inSale, amount] : amounts)
            available -= inSale == candidate.family ? amount : 0.0;
        if (isYes(candidate.negative) || !LimitRule::below(missing, available))
            return candidate.family;
    }
    return QString();
}

// A family's balance as the consumer's figures hold it, else as the family order gave it.
double CreditLimits::familyBalance(const QString &family, const QList<Lender> &lenders) const
{
    ClientDataSet balances;
    balances.CopyFrom(data().cdsConsultaSaldo);
    if (balances.Active() && balances.Locate(QStringLiteral("CDFAMILISALD"), family))
        return balances.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
    for (const Lender &lender : lenders) {
        if (lender.family == family)
            return lender.balance;
    }
    return 0.0;
}

bool CreditLimits::familyDaily()
{
    const Limit limit = readLimit(data().cdsOrdFam, QStringLiteral("VRCONSDIAFAM"));
    if (!limit.applies())
        return true;
    if (!limitOf(QStringLiteral("VRCONSDIAFAM"), limit))
        return false;
    const ClientDataSet &today = data().cdsConsumoFamilia;
    const double spent = today.IsEmpty() ? 0.0 : today.FieldByName(QStringLiteral("VRDIARIOFAM")).AsFloat();
    // The family's daily value is spent by the family's own items only, as the server counts
    // it at the save: what the sale holds of the family, plus the item being entered (at
    // settlement the sale already holds every item).
    const double total = spent + familyInSale() + (m_settle ? 0.0 : m_itemValue);
    if (exact(total - limit.value) <= 0.0)
        return true;
    warn(m_context.Msg(QStringLiteral("Consumidor")) + QStringLiteral(" : ") + state().consumer.stNmConsumidor + crlf
         + Lvm_msg::Format(m_context.Msg(QStringLiteral("VrConsDiaFam")), {m_familyName}) + QLatin1Char(' ')
         + PtBr::FormatCurr(limit.value) + QLatin1Char('.'));
    return false;
}

// What the sale holds of the item's family (its consumption per family, kept as items are
// entered).
double CreditLimits::familyInSale() const
{
    ClientDataSet consumed;
    consumed.CopyFrom(data().cdsFamiliaSaldo);
    if (!consumed.Active() || !consumed.Locate(QStringLiteral("CDFAMILISALD"), m_args.Family))
        return 0.0;
    return consumed.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
}

double CreditLimits::itemPart() const
{
    return m_displayed + m_itemValue;
}

double CreditLimits::salePart() const
{
    const SaleState &s = state();
    return s.figures.doTotalVendaAux - s.loyalty.doFidelidadeAux1 - s.loyalty.doCashbackAux2;
}

// What the family keeps after this item (truncated to cents) or this sale.
double CreditLimits::remaining() const
{
    return m_settle ? m_balance - salePart() : m_balance - Money::Trunc2(itemPart());
}

// ---- the daily quantity of personal credit ------------------------------------------------------

bool DailyQuantity::run(const QString &Family, const QString &Product, const QString &Quantity,
                        const ClientDataSet &Items)
{
    double quantity = 0.0;
    if (!readNumber(Quantity, quantity)) {
        refuseUnreadable(QStringLiteral("quantidade"), Quantity);
        return false;
    }
    const Parameters &params = state().params;
    const ConsumerState &consumer = state().consumer;
    const QString &client = state().host.stCdClienteVenda;
    Variant answer;
    // Without the server's word the day's quantity is unknown: the item is refused with the
    // server's message rather than sold past its limit.
    if (!m_context.checkAnswer(m_context.server().consumers.getQtdeProdDia(params.stCDFILIAL, client,
                                                                           consumer.stCDCONSUMIDOR, Family, Product,
                                                                           quantity, Variant(Items.Data())),
                               QStringLiteral("getQtdeProdDia"),
                               QStringList{params.stCDFILIAL, client, consumer.stCDCONSUMIDOR, Family, Product}.join(
                                   QLatin1Char('-')),
                               answer))
        return false;
    const QString code = answer.toString();
    const QString badge = consumer.stNrCracha + QStringLiteral(" - ") + consumer.stNmConsumidor;
    if (code == QLatin1String("QTDE_OK"))
        return true;
    if (code == QLatin1String("QTDE_NOT_CONS"))
        refuse(QStringLiteral("Qtde_Not_Cons"), {badge});
    else if (code == QLatin1String("PROD_NOT_CONS"))
        refuse(QStringLiteral("Prod_Not_Cons"), {badge});
    else if (code == QLatin1String("QTDE_NOT_FAM"))
        refuse(QStringLiteral("Qtde_Not_Fam"));
    else if (code == QLatin1String("PROD_NOT_FAM"))
        refuse(QStringLiteral("Prod_Not_Fam"));
    else
        warn(code); // an answer that is no code is the server's own error text
    return false;
}

} // namespace Limits
