// The double-click on a receipt line: promotion re-sell, observations, discount coupon.
#include "linedoubleclick_p.h"

#include "screenshell.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <order/orderentry.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <QAbstractButton>

namespace {

QString text(const ClientDataSet &dataset, const char *column)
{
    return dataset.FieldByName(QString::fromLatin1(column)).AsString();
}

} // namespace

void ScreenShell::dbgCupomDblClick(QObject *)
{
    LineDoubleClick(m_context).dbgCupomDblClick();
}

bool LineDoubleClick::locateLine(const QString &nrSeq)
{
    ClientDataSet &items = m_context.data().cdsItems;
    return !nrSeq.isEmpty() && items.Active() && items.Locate(QStringLiteral("NRSEQ"), nrSeq);
}

void LineDoubleClick::dbgCupomDblClick()
{
    const ClientDataSet &rows = m_context.data().cdsExtratoTemp;
    // History and blank rows carry no line number: they stand for no sale line.
    const QString nrSeq = rows.Active() && !rows.IsEmpty() ? text(rows, "NRSEQ") : QString();
    if (!locateLine(nrSeq))
        return;
    resellPromotionOrObserve();
    if (!locateLine(nrSeq))
        return;
    const SaleState &state = m_context.state();
    if (isYes(state.startup.stCupomAux1) && (state.params.boSISTEMAQUBNFCE || state.params.boSISTEMAQUBSAT))
        applyCoupon();
}

void LineDoubleClick::resellPromotionOrObserve()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    const QString promotion = text(data.cdsItems, "CDPRODPROMOCAO");
    if (!promotion.isEmpty() && !state.params.boUTILIZAIMPFIS && state.host.stModoVenda == SaleMode::Counter) {
        if (isYes(state.startup.stCupomAux1))
            return;
        state.road.stBalcaoAux2 = promotion;
        state.road.stBalcaoAux3 = text(data.cdsItems, "NRSEQPRODCOM");
        m_context.shell().tcbBalcao01Click(m_context.button(FormName::tcbBalcao01));
        return;
    }
    Variant packet;
    if (!packetOf(m_context.server().tabs.getOcorPed(state.params.stCDFILIAL, state.params.stCDLOJA, text(data.cdsItems, "CDPRODUTO")),
                  QStringLiteral("getOcorPed"), text(data.cdsItems, "CDPRODUTO"), packet)) {
        data.cdsObs.Close();
        return;
    }
    data.cdsObs.SetData(packet.packet());
    if (data.cdsObs.Active() && !data.cdsObs.IsEmpty())
        m_context.shell().spbObsClick(m_context.button(FormName::spbObs));
}

bool LineDoubleClick::packetOf(const Variant &answer, const QString &method, const QString &context, Variant &packet)
{
    if (!m_context.checkAnswer(answer, method, context, packet))
        return false;
    if (packet.isPacket())
        return true;
    // A text in place of the rows is the server's error: shown once, and no rows.
    if (!packet.isBlank())
        m_context.message(method + QStringLiteral(": ") + packet.toString(), Ravuvozozod::Error);
    return false;
}

void LineDoubleClick::applyCoupon()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    state.results.vaRetorno = Variant::array(10);
    AdditionalDataRequest request;
    request.idEsquema = state.params.stIDESQUEMA;
    request.value8 = QStringLiteral("S");
    request.valueCount = 9;
    const AdditionalDataAnswer typed = m_context.services().CriaInfAdicional(request);
    state.loyalty.stCDCUPOMDESCQUB = typed.code;
    if (typed.code.isEmpty())
        return;
    ClientDataSet &items = data.cdsItems;
    if (!text(items, "CDCUPOMDESCQUB").isEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("CUPOMDESC_JA")), Ravuvozozod::Error);
        return;
    }
    Variant packet;
    if (!packetOf(m_context.server().lookupsProducts.getCuponsValidos(state.params.stCDFILIAL, text(items, "CDPRODUTO")),
                  QStringLiteral("getCuponsValidos"), text(items, "CDPRODUTO"), packet))
        return;
    ClientDataSet coupons(QStringLiteral("cdsCuponsValidos"));
    coupons.SetData(packet.packet());
    if (!coupons.Active() || !coupons.Locate(QStringLiteral("CDCUPOMDESCQUB"), typed.code)) {
        m_context.message(m_context.Msg(QStringLiteral("CUPOM_IND")), Ravuvozozod::Error);
        return;
    }
    ClientDataSet &used = data.cdsCupomDescVenda;
    if (isYes(text(coupons, "IDUSOUNICO")) && used.Active() && used.Locate(QStringLiteral("CDCUPOMDESCQUB"), typed.code)) {
        m_context.message(m_context.Msg(QStringLiteral("CUPOMUNICO_JA")), Ravuvozozod::Error);
        return;
    }
    using Qub_movrela::Trunc2;
    const double rate = coupons.FieldByName(QStringLiteral("VRDESCCUPOM")).AsFloat();
    const double sum = items.FieldByName(QStringLiteral("SOMA")).AsFloat();
    const double value = text(coupons, "IDTIPODESC") == QLatin1String("P") ? Trunc2(rate * sum / 100) : Trunc2(rate);
    state.loyalty.doVrCupomDesc = value;
    const double discount = items.FieldByName(QStringLiteral("VRDESCCOMVEN")).AsFloat();
    items.Edit();
    items.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).SetAsString(typed.code);
    if (sum > value) {
        items.FieldByName(QStringLiteral("SOMA")).SetAsFloat(Trunc2(sum - value));
        items.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(discount + value);
    } else {
        // A coupon worth the whole line leaves it at one cent.
        const double gross = Trunc2(Trunc2(items.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat())
                                    * items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat());
        items.FieldByName(QStringLiteral("SOMA")).SetAsFloat(0.01);
        items.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(gross - 0.01);
    }
    items.Post();
    m_context.order().incluiCupomVenda(text(items, "CDCUPOMDESCQUB"));
    m_context.order().AtualizaExtrato();
}
