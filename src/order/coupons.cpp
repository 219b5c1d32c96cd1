// Discount coupons: the code typed for the item being entered, checked against the server's
// coupons of the product and the coupons already used in the sale.
#include "orderentry.h"


#include <sale/codes.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <runtime/clock.h>
#include <runtime/money.h>

using Qub_movrela::Trunc2;

namespace {

// One coupon check; its refusals are the sale's second-table messages, shown as errors.
class CouponValidation
{
public:
    explicit CouponValidation(SaleContext &context) : m_context(context) {}
    CouponCheck run(const QString &code, const QString &CDPRODUTO, double lineValue);

private:
    bool offered(const QString &code, const QString &CDPRODUTO);
    bool validToday() const;
    bool usedInThisSale(const QString &code) const;
    CouponCheck refuse(const char *key) const;

    SaleContext &m_context;
    ClientDataSet m_cdsCuponsValidos{QStringLiteral("cdsCuponsValidos")};
};

CouponCheck CouponValidation::run(const QString &code, const QString &CDPRODUTO, double lineValue)
{
    if (!offered(code, CDPRODUTO) || !validToday())
        return refuse("CUPOM_IND");
    if (isYes(m_cdsCuponsValidos.FieldByName(QStringLiteral("IDUSOUNICO")).AsString()) && usedInThisSale(code))
        return refuse("CUPOMUNICO_JA");
    const double amount = m_cdsCuponsValidos.FieldByName(QStringLiteral("VRDESCCUPOM")).AsFloat();
    // A coupon worth nothing (or less) is no coupon: it would raise the line.
    if (amount <= 0.0)
        return refuse("CUPOM_IND");
    CouponCheck check;
    check.accepted = true;
    if (m_cdsCuponsValidos.FieldByName(QStringLiteral("IDTIPODESC")).AsString() == QLatin1String("P"))
        check.value = Trunc2(amount * lineValue / 100.0);
    else
        check.value = Trunc2(amount);
    // One cent of the line always remains, whatever the kind of coupon: the printer takes this
    // value as the item's discount, and it must leave the item what the line keeps, or the
    // tape would close below the sale that is stored and paid.
    if (check.value >= lineValue)
        check.value = Money::RoundDec(lineValue - 0.01, 2);
    return check;
}

// The code exactly as the server holds it: letter case counts.
bool CouponValidation::offered(const QString &code, const QString &CDPRODUTO)
{
    const Parameters &params = m_context.state().params;
    const Variant coupons = m_context.checkedValue(m_context.server().lookupsProducts.getCuponsValidos(params.stCDFILIAL, CDPRODUTO),
                                                   QStringLiteral("getCuponsValidos"),
                                                   params.stCDFILIAL + QLatin1Char('-') + CDPRODUTO);
    if (!coupons.isPacket() || !m_cdsCuponsValidos.SetData(coupons.packet()))
        return false;
    for (m_cdsCuponsValidos.First(); !m_cdsCuponsValidos.Eof(); m_cdsCuponsValidos.Next()) {
        if (m_cdsCuponsValidos.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).AsString() == code)
            return true;
    }
    return false;
}

// The server hands the validity dates over unjudged; an empty date leaves that side open.
bool CouponValidation::validToday() const
{
    const QDate today = Clock::now().date();
    const Field start = m_cdsCuponsValidos.FieldByName(QStringLiteral("DTINIVIGENCIA"));
    const Field end = m_cdsCuponsValidos.FieldByName(QStringLiteral("DTFIMVIGENCIA"));
    if (!start.IsNull() && start.AsDateTime().isValid() && today < start.AsDateTime().date())
        return false;
    return end.IsNull() || !end.AsDateTime().isValid() || today <= end.AsDateTime().date();
}

bool CouponValidation::usedInThisSale(const QString &code) const
{
    ClientDataSet &used = m_context.data().cdsCupomDescVenda;
    if (!used.Active())
        return false;
    const auto mark = used.GetBookmark();
    bool found = false;
    for (used.First(); !used.Eof() && !found; used.Next())
        found = used.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).AsString() == code;
    used.GotoBookmark(mark);
    return found;
}

CouponCheck CouponValidation::refuse(const char *key) const
{
    m_context.message(m_context.Msg(QString::fromLatin1(key)), 3);
    return {};
}

} // namespace

CouponCheck OrderEntry::validaCupomDesc(const QString &CDCUPOMDESCQUB, const QString &CDPRODUTO, double lineValue)
{
    return CouponValidation(m_context).run(CDCUPOMDESCQUB, CDPRODUTO, lineValue);
}

void OrderEntry::controlaValorCupom(double quantity, double price, double discount, double addition,
                                    const QString &CDPRODUTO)
{
    SaleState &state = m_context.state();
    if (!isYes(state.startup.stCupomAux1) || !state.params.boUTILIZAIMPFIS)
        return;
    zeraVariaveisCupomDesc();
    AdditionalDataRequest request;
    request.idEsquema = state.params.stIDESQUEMA;
    request.value8 = QStringLiteral("S");
    request.valueCount = 9;
    const AdditionalDataAnswer answer = m_context.services().CriaInfAdicional(request);
    LoyaltyState &coupon = state.loyalty;
    coupon.stCDCUPOMDESCQUB = answer.code;
    if (coupon.stCDCUPOMDESCQUB.isEmpty())
        return;
    const double lineValue = Trunc2(Trunc2(Trunc2(price) * quantity) - discount + addition);
    const CouponCheck check = validaCupomDesc(coupon.stCDCUPOMDESCQUB, CDPRODUTO, lineValue);
    if (!check.accepted)
        return;
    coupon.doCupomDescAux1 = lineValue;
    coupon.doVrCupomDesc = check.value;
}
