// The routes of the receipt cancellation: how each till names the document it cancels and
// cancels it at the fiscal device (the printer's last coupon, a CF-e at the SAT), or takes the
// number of an NFC-e or non-fiscal sale.
#include "receiptcancel_p.h"

#include "settlement.h"

#include <consumer/consumersale.h>
#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDialog>

namespace {

bool allZeros(const QString &number)
{
    const QString trimmed = number.trimmed();
    for (const QChar c : trimmed)
        if (c != QLatin1Char('0'))
            return false;
    return true;
}

} // namespace

// ---- fiscal printer: its last coupon ------------------------------------------------------------

void ReceiptCancel::fiscalPrinterRoute()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    // A last movement that cannot be cancelled here is refused before anything is asked or
    // reversed: the cashier is not asked to confirm a cancellation that will not happen.
    const QString last = state.till.stCancCupomAux3;
    if (last == QLatin1String("CC"))
        stop(m_context.Msg(QStringLiteral("CANC_SALD_CRED")));
    if (last != QLatin1String("VV") && last != QLatin1String("CP") && last != QLatin1String("DB"))
        refuseLastCoupon();
    if (isYes(params.stIDEXTCONSONLINE))
        m_context.consumer().ConectaExtConsOnline(QString());
    if (!state.consumer.boCartaoAux1 && !question(m_context.Msg(QStringLiteral("CancelaCupom"))))
        return;
    const int model = params.inIDTIPOIMPFIS;
    if (model == PrinterModel::ReceiptAtClose16 || model == PrinterModel::NoItemSale21 || model == PrinterModel::ReceiptAtClose30)
        stop(m_context.Msg(QStringLiteral("Nao_Canc_ibm")));
    CouponCancelRequest request;
    request.idEsquema = params.stIDESQUEMA;
    request.boCupomAberto = state.flags.boCupomAberto;
    request.cdFilial = params.stCDFILIAL;
    request.cdCaixa = params.stCDCAIXA;
    request.nrSerieImp = params.stNRSERIEIMP;
    request.receiptOpen = state.flags.boCupomAberto ? QStringLiteral("S") : QStringLiteral("N");
    request.valueCount = 8;
    const CouponCancelAnswer answer = m_context.devices().Cancela_Cupom_Imp(request);
    if (!answer.ok)
        refuseLastCoupon();
    m_values.couponNumber = answer.couponNumber;
    m_context.settlement().Cancela_Item_Imp_NFis(m_values.couponNumber);
    // The same coupon cannot be cancelled twice: the next press is refused.
    state.till.stCancCupomAux3.clear();
    m_values.cancelled = true;
}

void ReceiptCancel::refuseLastCoupon()
{
    const QString text = m_context.Msg(QStringLiteral("Nao_Canc_Per"));
    m_context.screen().Atualiza_Display(text, false);
    stop(text);
}

// ---- SAT: a CF-e by its number, or the open sale ---------------------------------------------

void ReceiptCancel::satRoute()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (openCounterSale()) {
        m_values.cancelled = true;
        return;
    }
    if (!askSatNumber())
        return;
    WaitWindowRequest wait;
    wait.owner = &m_context.form();
    wait.text = m_context.Msg(QStringLiteral("Emit_nota_canc_sat"));
    m_context.services().AtivaProcesso(wait);
    const QString trace = params.stCDFILIAL + QLatin1Char('-') + params.stCDCAIXA;
    const Variant found = m_context.checkedValue(
        m_context.server().lookupsFiscal.getUltVendaSat(params.stCDFILIAL, params.stCDCAIXA, m_values.stCancCupomAux2),
        QStringLiteral("getUltVendaSat"), trace);
    m_cdsCancSat.Close();
    if (found.isPacket())
        m_cdsCancSat.SetData(found.packet());
    m_cdsCancSat.First();
    auto field = [this](const char *name) { return m_cdsCancSat.FindField(QString::fromLatin1(name)).AsString(); };
    if (m_cdsCancSat.IsEmpty() || field("NRNOTAFISCALCE").trimmed().isEmpty()) {
        m_context.services().DesativaProcesso();
        stop(m_context.Msg(QStringLiteral("NOTA_N_EXISTE")));
    }
    m_values.documentNumber = field("NRNOTAFISCALCE");
    refuseKeptCancellation(QStringLiteral("NFCe-Sat"));
    const TextAnswer xml = m_context.services().GeraArqXmlSat(
        SatXmlRequest{QStringLiteral("CANC"), field("NRSEQVENDA"), field("NRACESSONFCE")});
    m_values.stCancCupomAux1 = xml.text;
    if (xml.text.isEmpty()) {
        m_context.services().DesativaProcesso();
        stop(m_context.Msg(QStringLiteral("Xml_Canc_N")));
    }
    if (!question(m_context.messages().Msg(QStringLiteral("Conf_canc_vend"), {m_values.documentNumber})))
        Abort();
    m_values.kind = QStringLiteral("NFCe-Sat");
    cancelAtSat();
}

// Leaving the keypad ends the cancellation; a number of all zeros names no document.
bool ReceiptCancel::askSatNumber()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    KeypadRequest request;
    request.title = m_context.Msg(QStringLiteral("Can_SAT"));
    request.prompt = m_context.Msg(QStringLiteral("Inf_Sat"));
    request.emptyMessage = m_context.Msg(QStringLiteral("Sat_Inf"));
    request.maxLength = 10;
    request.option1 = 0;
    request.option2 = 1;
    request.option3 = 0;
    request.defaultText = 0;
    request.lastFlag = state.flags.boCupomAberto;
    const KeypadAnswer typed = m_context.services().TecladoNumerico(request);
    if (!typed.confirmed || allZeros(typed.value))
        return false;
    m_values.stCancCupomAux2 = Consiste::Ajusta(typed.value.trimmed(), 6);
    if (m_context.server().lookupsFiscal.getSituVendaSat(params.stCDFILIAL, params.stCDCAIXA, m_values.stCancCupomAux2))
        stop(m_context.Msg(QStringLiteral("NOTA_CANC")));
    if (isYes(params.stIDEXTCONSONLINE))
        m_context.consumer().ConectaExtConsOnline(m_values.stCancCupomAux2);
    return true;
}

void ReceiptCancel::cancelAtSat()
{
    const SaleState &state = m_context.state();
    auto field = [this](const char *name) { return m_cdsCancSat.FindField(QString::fromLatin1(name)).AsString(); };
    SatCancelRequest request;
    request.cdAtivacaoSat = state.startup.stCDATIVACAOSAT;
    request.cancelXml = m_values.stCancCupomAux1;
    request.accessKey = field("NRACESSONFCE");
    request.stRecebAux2 = state.startup.stRecebAux2;
    request.endVendaRouter = field("ENDVENDAROUTER");
    const SatAnswer sat = m_context.devices().CancelarVenda(request);
    m_values.satAnswer = sat.answer;
    m_values.satAccessKey = sat.answer.value(QStringLiteral("chaveConsulta"));
    const QString code = sat.answer.value(QStringLiteral("CCCC"));
    if (code == QLatin1String("0000")) {
        m_values.cancelled = true;
        return;
    }
    m_context.services().DesativaProcesso();
    if (!sat.failure.isEmpty())
        qWarning().noquote() << "CancelarVenda:" << sat.failure;
    stop(m_context.Msg(code == QLatin1String("1210") ? QStringLiteral("Canc_Fora_Temp") : QStringLiteral("Falha_Conex_SAT")));
}

// ---- NFC-e or non-fiscal: a number typed, or the open sale -------------------------------------

void ReceiptCancel::plainRoute()
{
    const Parameters &params = m_context.state().params;
    if (openCounterSale()) {
        m_values.cancelled = question(m_context.Msg(QStringLiteral("CancelaCupom")));
        return;
    }
    KeypadRequest request;
    request.title = m_context.Msg(QStringLiteral("Mot_Can_Cup1"));
    request.prompt = m_context.Msg(QStringLiteral("Mot_Can_Cup"));
    request.emptyMessage = m_context.Msg(QStringLiteral("Canc_NInf"));
    request.maxLength = 10;
    const KeypadAnswer typed = m_context.services().TecladoNumerico(request);
    if (!typed.confirmed)
        return;
    m_values.documentNumber = Consiste::Ajusta(typed.value.trimmed(), 10);
    m_values.cancelled = true;
    if (isYes(params.stIDEXTCONSONLINE))
        m_context.consumer().ConectaExtConsOnline(Consiste::Ajusta(typed.value.trimmed(), 9));
}

// What follows a route that named its document: the open counter sale is recorded here, a
// closed sale goes to its reversals.
void ReceiptCancel::afterRoute()
{
    SaleState &state = m_context.state();
    state.settlement.stSenhaPedido.clear();
    m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CuponCanc")), false);
    if (!openCounterSale()) {
        closedSale();
        return;
    }
    // A SAT till issues nothing for a sale not yet transmitted: there is nothing to record.
    if (state.params.boSISTEMAQUBSAT && !state.params.boUTILIZAIMPFIS) {
        state.flags.boCupomAberto = false;
        return;
    }
    recordOpenSale();
}
