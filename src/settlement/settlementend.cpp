// How a settlement ends: the screen reset, the payment screen left without paying, the silent
// abort, and the records of a cancelled sale.
#include "settlementend_p.h"

#include "pendingrecords_p.h"
#include "settlement.h"

#include <order/orderentry.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <QDebug>
#include <QDialog>

#include <exception>

namespace {

const QString contingency = QStringLiteral("CONTIGENCIA_SP");
const QString nfceRefused = QStringLiteral("REJEITADA"); // the save's NFC-e status when the authority refused it
const QString contingencyText = QStringLiteral("A NFC-e da venda ficou em contingência e não foi autorizada. "
                                               "A venda foi cancelada e o pagamento em cartão desfeito. "
                                               "A venda deverá ser realizada novamente.");

void emptyIfOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
}

} // namespace

void SettlementEnd::resetAfterSettlement(const std::optional<SoldSale> &sold)
{
    SaleState &state = m_context.state();
    SaleShell &shell = m_context.screen();
    if (sold) {
        // The sale is stored: a failed ticket must not leave it on screen to be settled again.
        try {
            m_context.order().VendeProduto(sold->savedSaleKey, sold->letter, sold->documentNumber);
        } catch (const EAbort &) {
        } catch (const std::exception &failure) {
            m_context.message(QString::fromLocal8Bit(failure.what()), Ravuvozozod::Error);
        }
    }
    shell.LimpaCDS();
    shell.LimpaVariaveis();
    shell.ControleAcessoBotoes();
    shell.ApagaCdsVenda_CdsItensCancelados();
    // The points are told once the kitchen has its tickets and the till is free, never holding
    // them up; and before the next customer's badge sale opens over the message.
    if (sold && sold->points != 0)
        m_context.message(Lvm_msg::Format(m_context.Msg(QStringLiteral("PONTUACAO")), {PtBr::FloatToStr(sold->points)}),
                          Ravuvozozod::Information);
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    prepareNextConsumerSale();
    state.flags.boRecebendo = false;
}

bool SettlementEnd::paymentNotConfirmed(bool recordCancelled, const QString &couponNumber)
{
    SaleState &state = m_context.state();
    state.flags.boRecebendo = false;
    state.busy.boProcessando = true;
    emptyIfOpen(m_context.data().cdsMovCaixa);
    m_context.screen().Atualiza_Display(QString(), false);
    if (!recordCancelled)
        return false;
    // Half-built cancelled rows are never recorded; the sale stays on screen then.
    if (!m_context.settlement().PreencheVendCanc())
        return false;
    state.settlement.stRecebAux1 = cancellationTrace(couponNumber);
    const Parameters &params = state.params;
    // A record the host refuses has shown its failure; the payment screen has already given
    // the document up, so the till is freed all the same.
    if (params.boUTILIZAIMPFIS) {
        recordCancelledSale(couponNumber);
        logCouponCancelled(couponNumber);
        resetAfterSettlement();
        return true;
    }
    if (params.boSISTEMAQUBSAT) {
        // Nothing was stored before the payment, so there is no stored sale to mark: the sale
        // is recorded as cancelled instead of asking for the status change of an empty key.
        recordCancelledSale(couponNumber);
        resetAfterSettlement();
        bringFormToFront();
        return true;
    }
    return false;
}

void SettlementEnd::settlementAborted()
{
    m_context.state().flags.boRecebendo = false;
}

void SettlementEnd::endWithReset(RoadEnd::Kind kind, const QString &reason)
{
    m_end = RoadEnd{kind, std::nullopt, false, QString(), reason};
    resetAfterSettlement(std::nullopt);
    m_context.state().flags.boRecebendo = false;
}

// The stored sale is recorded as cancelled (kept on the till when the base does not take the
// record), so it must not stay paid: the card is undone and the cashier knows to settle again.
void SettlementEnd::nfceContingency(const QString &saleKey)
{
    SaleState &s = m_context.state();
    Ravuvozozod::Mensagem(contingencyText, contingency, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error,
                          QString(), s.params.stIDESQUEMA, 0);
    undoCardPayment();
    if (!saleKey.isEmpty())
        markStoredSaleCancelled(saleKey);
    s.flags.boCupomAberto = false;
    endWithReset(RoadEnd::Kind::Reset, contingencyText);
}

void SettlementEnd::undoCardPayment()
{
    m_context.devices().FinalizaTransTef(TefFinishRequest{false});
}

QString SettlementEnd::notStoredReason(const QString &nfceStatus) const
{
    // The authority's own words, with the document's number, go to the detail.
    return nfceStatus == nfceRefused ? QStringLiteral("A SEFAZ rejeitou a NFC-e da venda, que não foi gravada.")
                                     : QStringLiteral("Não foi possível gravar a venda no banco de dados.");
}

// ---- records of a cancelled sale ---------------------------------------------------------------

QString SettlementEnd::cancellationTrace(const QString &documentNumber) const
{
    const Parameters &params = m_context.state().params;
    return QStringLiteral("cdsvenda.data-cdsVendaCancelada.Data-")
        + QStringList{params.stCDCAIXA, params.stCDEMPRESA, documentNumber, params.stNRSERIEIMP}.join(QLatin1Char('-'));
}

CancelledSaleRecord SettlementEnd::cancelledSaleRecord(const QString &documentNumber) const
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const SaleDatasets &data = m_context.data();
    CancelledSaleRecord record;
    record.cdsVenda = data.cdsVenda.Data();
    record.cdsVendaCancelada = data.cdsVendaCancelada.Data();
    record.cdCaixa = params.stCDCAIXA;
    record.cdEmpresa = params.stCDEMPRESA;
    record.documentNumber = documentNumber;
    record.nrSerieImp = params.stNRSERIEIMP;
    record.dsModeloEcfVe = params.stDSMODELOECFVE;
    record.dsMarcaEcfVe = params.stDSMARCAECFVE;
    record.ecfImp = params.stECFIMP;
    record.dtDataMovimento = state.startup.dtDATAMOVIMENTO;
    record.stRecebAux7 = state.startup.stRecebAux7;
    record.stRecebAux20 = state.startup.stRecebAux20;
    record.sistemaQubSat = params.boSISTEMAQUBSAT;
    return record;
}

bool SettlementEnd::recordCancelledSale(const QString &documentNumber)
{
    return PendingRecords(m_context).sendCancelledSale(cancelledSaleRecord(documentNumber), cancellationTrace(documentNumber));
}

bool SettlementEnd::markStoredSaleCancelled(const QString &savedSaleKey)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    CancelledStatusChange change;
    change.saleKey = savedSaleKey;
    change.cdFilial = params.stCDFILIAL;
    change.cdCaixa = params.stCDCAIXA;
    change.dtMovimento = state.startup.dtDATAMOVIMENTO;
    change.stRetAcesso = state.access.stRetAcesso;
    change.kind = QStringLiteral("SAT");
    return PendingRecords(m_context).sendStoredSaleCancelled(change,
                                   QStringList{savedSaleKey, params.stCDFILIAL, params.stCDCAIXA}.join(QLatin1Char('-')));
}

void SettlementEnd::logCouponCancelled(const QString &couponNumber)
{
    logCouponCancelled(couponNumber, m_context.state().access.stRetAcesso);
}

void SettlementEnd::logCouponCancelled(const QString &couponNumber, const QString &authoriser)
{
    const HostResult logged = m_context.services().LogControleAcess(
        m_context.accessLog(QStringLiteral("CAN_CUP"), m_context.Msg(QStringLiteral("Mot_Can_Cup1")),
                            m_context.Msg(QStringLiteral("Mot_Can_Cup")) + QLatin1Char(' ') + couponNumber,
                            authoriser));
    if (!logged.ok)
        qWarning().noquote() << "LogControleAcess CAN_CUP:" << logged.failure;
}

// ---- seams and window ---------------------------------------------------------------------------

void SettlementEnd::prepareNextConsumerSale()
{
    m_context.screen().ChamaClick_BotaoVendaConsumidor(m_context.state().params.stIdTpTelaVe);
}

void SettlementEnd::relateSaleEmail()
{
    m_context.screen().relacionaEmailVenda();
}

void SettlementEnd::bringFormToFront()
{
    QDialog &form = m_context.form();
    form.raise();
    form.activateWindow();
}
