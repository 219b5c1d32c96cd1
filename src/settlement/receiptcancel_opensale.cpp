// The open counter sale cancelled from the screen: its rows rebuilt, a number and a voucher
// without a fiscal printer, the host's record of the cancelled sale, the kitchen display, the
// sale's benefits given back and the access log.
#include "receiptcancel_p.h"

#include "pendingrecords_p.h"
#include "settlement.h"
#include "settlementend_p.h"

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>

namespace {

const QString colombia = QStringLiteral("01");
const QString noRecordCountry = QStringLiteral("02");

bool drawerConfigured(const Parameters &params)
{
    return !params.stIDTIPOGAVETA.isEmpty() && params.stIDTIPOGAVETA != QLatin1String("0");
}

} // namespace

// Nothing is recorded, and the sale stays on screen, unless its record can be written whole:
// rows built, a number taken and the voucher printed.
void ReceiptCancel::recordOpenSale()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (!m_context.settlement().PreencheVendCanc()) {
        m_values.cancelled = false;
        Abort();
    }
    QString number = m_values.couponNumber;
    if (!params.boUTILIZAIMPFIS && (!takeOpenSaleNumber(number) || !printOpenSaleVoucher(number))) {
        m_values.cancelled = false;
        Abort();
    }
    if (params.stIDPAISINTEGRA != noRecordCountry)
        writeOpenSaleRecord(number);
    state.flags.boCupomAberto = false;
}

bool ReceiptCancel::takeOpenSaleNumber(QString &number)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (!state.till.stNrCupomReservado.isEmpty()) {
        number = state.till.stNrCupomReservado;
        state.till.stNrCupomReservado.clear();
        return true;
    }
    Variant taken;
    if (params.stIDPAISINTEGRA == colombia) {
        if (!m_context.checkAnswer(m_context.server().counters.getPrxVendaColombia(params.stCDFILIAL, params.stCDCAIXA,
                                                                                  params.stCDPREFINTGCOL,
                                                                                  params.stNRCUPINIINTGCOL,
                                                                                  params.stNRCUPFININTGCOL),
                                   QStringLiteral("getPrxVendaColombia"), params.stCDFILIAL + QLatin1Char('-') + params.stCDCAIXA,
                                   taken))
            return false;
        // An exhausted range gives no number: the cancellation is not recorded under "CUPINV".
        if (taken.toString() == QLatin1String("CUPINV")) {
            m_context.message(m_context.messages().Msg(QStringLiteral("Cup_inv"),
                                                       {params.stNRCUPINIINTGCOL, params.stNRCUPFININTGCOL}),
                              Ravuvozozod::Error);
            return false;
        }
    } else if (!m_context.checkAnswer(m_context.server().counters.setNrVendaNFisc(
                                          params.stCDFILIAL, params.stCDCAIXA,
                                          state.flags.boCreditoPessoal ? QStringLiteral("C") : QString()),
                                      QStringLiteral("setNrVendaNFisc"),
                                      params.stCDFILIAL + QLatin1Char('-') + params.stCDCAIXA, taken)) {
        return false;
    }
    number = taken.toString();
    return !number.isEmpty();
}

bool ReceiptCancel::printOpenSaleVoucher(const QString &number)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const bool nfceTill = params.boSISTEMAQUBNFCE;
    CancelVoucherRequest voucher = cancelVoucher(state.flags.boCreditoPessoal ? QStringLiteral("C") : QString(), number,
                                                 m_context.data().cdsVenda.Data());
    voucher.idTipoImpNf = nfceTill ? params.stIDTIPOIMPNF3 : params.stIDTIPOIMPNF1;
    voucher.cdPortImpNf = nfceTill ? params.stCDPORTIMPNF3 : params.stCDPORTIMPNF1;
    if (!printCancelVoucher(voucher))
        return false;
    openDrawer(!state.flags.boCreditoPessoal);
    return true;
}

// The non-fiscal cancellation voucher on printer 1 (the caller may name another), with the
// labels of the voucher.
CancelVoucherRequest ReceiptCancel::cancelVoucher(const QString &kind, const QString &number, const DataPacket &sale) const
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    CancelVoucherRequest voucher;
    voucher.idTipoImpNf = params.stIDTIPOIMPNF1;
    voucher.cdPortImpNf = params.stCDPORTIMPNF1;
    voucher.idTipoImpNf2 = params.stIDTIPOIMPNF2;
    voucher.cdPortImpNf2 = params.stCDPORTIMPNF2;
    voucher.kind = kind;
    voucher.cdFilial = params.stCDFILIAL;
    voucher.cdCaixa = params.stCDCAIXA;
    voucher.nmCaixa = params.stNMCAIXA;
    voucher.nrSerieImp = params.stNRSERIEIMP;
    voucher.documentNumber = number;
    voucher.dsObsCupFis = params.stDSOBSCUPFIS;
    voucher.idPaisIntegra = params.stIDPAISINTEGRA;
    voucher.cdPrefIntgCol = params.stCDPREFINTGCOL;
    voucher.boCupomAberto = state.flags.boCupomAberto;
    for (const char *key : {"MSG_INSMUN", "MSG_CXSERIE", "MSG_DATA", "MSG_HORA", "MSG_NRCUPOM", "MSG_TOTAL", "CuponCanc"})
        voucher.labels << m_context.Msg(QString::fromLatin1(key));
    voucher.sale = sale;
    return voucher;
}

bool ReceiptCancel::printCancelVoucher(const CancelVoucherRequest &voucher)
{
    const HostResult printed = m_context.services().SetCupomCancelado(voucher);
    if (printed.ok)
        return true;
    if (!printed.failure.isEmpty())
        qWarning().noquote() << "SetCupomCancelado:" << printed.failure;
    m_context.message(m_context.Msg(QStringLiteral("Erro_Imp_Nfisc")), Ravuvozozod::Error);
    return false;
}

// Only for a sale in cash, on a till with a drawer that is not a SAT till; a drawer that does
// not open never stops the cancellation.
void ReceiptCancel::openDrawer(bool cashSale)
{
    const Parameters &params = m_context.state().params;
    if (!cashSale || !drawerConfigured(params) || params.boSISTEMAQUBSAT)
        return;
    const HostResult opened = m_context.services().AbreGaveta(DrawerRequest{params.stIDTIPOIMPNF3, params.stCDPORTIMPNF3});
    if (!opened.ok)
        qWarning().noquote() << "AbreGaveta:" << opened.failure;
}

void ReceiptCancel::writeOpenSaleRecord(const QString &number)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QString trace = QStringLiteral("cdsvenda.data-cdsVendaCancelada.Data-")
        + QStringList{params.stCDCAIXA, params.stCDEMPRESA, number, params.stNRSERIEIMP, m_values.note}.join(QLatin1Char('-'));
    state.settlement.stRecebAux1 = trace;
    CancelledSaleRecord record = SettlementEnd(m_context, m_context.settlement().lastRoadEnd()).cancelledSaleRecord(number);
    record.note = m_values.note;
    record.noteSecondValue = m_values.noteSecondValue;
    record.stRetAcesso = m_values.authoriser;
    Variant saleSequence;
    PendingRecords(m_context).sendCancelledSale(record, trace, &saleSequence);
    withdrawFromKitchen(record.cdsVenda, saleSequence.toString());
    const LoyaltyState &loyalty = state.loyalty;
    m_context.checkedValue(m_context.server().loyalty.setApagaBeneficio(state.host.stCdClienteVenda, state.host.stCdConsumidorVenda,
                                                                        loyalty.stFidelidadeAux1, loyalty.stFidelidadeAux2,
                                                                        loyalty.stFidelidadeAux3),
                           QStringLiteral("setApagaBeneficio"),
                           QStringList{state.host.stCdClienteVenda, state.host.stCdConsumidorVenda, loyalty.stFidelidadeAux1,
                                       loyalty.stFidelidadeAux2, loyalty.stFidelidadeAux3}
                               .join(QLatin1Char('-')));
    // The number the sale is recorded under: the printer's coupon, else the number taken here.
    logCancellation(number);
    if (!params.boUTILIZAIMPFIS) {
        const HostResult logged = m_context.services().LogImpNFiscal(NonFiscalLogRequest{
            QStringLiteral("Cancelamento do Cupom ---  Operador: ") + state.rights.stNMOPERADOR + QStringLiteral(" Filial: ")
            + params.stCDFILIAL + QStringLiteral(" Caixa: ") + params.stCDCAIXA});
        if (!logged.ok)
            qWarning().noquote() << "LogImpNFiscal:" << logged.failure;
    }
}

void ReceiptCancel::logCancellation(const QString &number)
{
    SettlementEnd(m_context, m_context.settlement().lastRoadEnd()).logCouponCancelled(number, m_values.authoriser);
}

// The kitchen display never stops a cancellation; a sale without a sequence has nothing there.
// Without the sale's rows its orders are looked for as a counter sale's, by its key.
void ReceiptCancel::withdrawFromKitchen(const DataPacket &sale, const QString &saleSequence)
{
    if (saleSequence.trimmed().isEmpty())
        return;
    const Parameters &params = m_context.state().params;
    DataPacket rows = sale;
    if (rows.rows.isEmpty()) {
        rows = DataPacket{};
        for (const char *name : {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRVENDAREST", "NRCOMANDAVND"})
            rows.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 20});
        rows.rows.append({Variant(params.stCDFILIAL), Variant(params.stCDCAIXA), Variant(saleSequence), Variant(QString()),
                          Variant(QString())});
    }
    const Variant answer =
        m_context.server().kds.CancelaPedidoKDS(Variant(rows), params.stCDCAIXA, params.stCDFILIAL, saleSequence, params.boSISTEMAQUBSAT);
    if (answer.isFailure())
        qWarning().noquote() << "CancelaPedidoKDS:" << answer.failureText();
}
