// The ordinary sale road from the save on: the save, the NFC-e or SAT document, the loyalty
// posting, the failures of that block, and the end with the production tickets.
#include "ordinaryroad_p.h"

#include "closingrecord_p.h"
#include "settlement.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <QDebug>
#include <QDialog>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

const QString asyncFailure = QStringLiteral("A operação não pode ser executada durante uma execução assíncrona");
const QString contingency = QStringLiteral("CONTIGENCIA_SP");
constexpr int storedKeyLength = 10;

// A server answer whose value the road does not need: a failure is shown, the road goes on.
void report(const SaleContext &context, const Variant &answer, const QString &method)
{
    Variant ignored;
    context.checkAnswer(answer, method, QString(), ignored);
}

// The end-of-sale observation goes with every row of the sale.
void askEndOfSaleObservation(SaleContext &context)
{
    context.screen().GetObsFinVen();
    const QString text = context.state().settlement.stDSOBSFINVEN;
    ClientDataSet &rows = context.data().cdsVenda;
    if (text.isEmpty() || !rows.Active() || rows.IsEmpty() || !rows.HasField(QStringLiteral("DSOBSFINVEN")))
        return;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("DSOBSFINVEN")).SetAsString(text);
        rows.Post();
    }
    rows.First();
}

} // namespace

// A failure anywhere in the save block ends in the save's failure handling.
OrdinaryRoad::SaveOutcome OrdinaryRoad::saveAndIssue()
{
    SaveOutcome outcome;
    try {
        saveBlock(outcome);
    } catch (const std::exception &error) {
        handleSaveFailure(outcome, QString::fromUtf8(error.what()));
    }
    return outcome;
}

void OrdinaryRoad::saveBlock(SaveOutcome &outcome)
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    m_context.form().repaint();
    if (s.params.boUTILIZAIMPFIS && s.host.stModoVenda == SaleMode::Counter && d.cdsItensCancelados.Active())
        d.cdsItensCancelados.EmptyDataSet();
    askEndOfSaleObservation(m_context);
    settlementEnd().relateSaleEmail();
    applyManualSaleReceipt();
    const ClosingHeader header = ClosingRecord(m_context).closingHeader(m_run.documentInHand, m_run.paymentText11);
    const Settlement::SaveResult saved = m_context.settlement().SetConcluiFechamento(Settlement::ClosingRoad::Ordinary, header);
    outcome.points = saved.answer.points;
    outcome.nfceStatus = saved.answer.nfceStatus;
    if (!saved.saved) {
        if (!saved.answer.savedSaleKey.isFailure())
            outcome.saleKey = saved.answer.savedSaleKey.toString();
        handleSaveFailure(outcome, saved.failure);
        return;
    }
    outcome.saleKey = saved.saleKey;
    if (!issueElectronicDocument(outcome, saved.answer))
        return;
    postLoyalty();
    report(m_context, m_context.server().loyalty.setVendaBeneficioBalcao(outcome.saleKey, s.params.stCDFILIAL, s.params.stCDCAIXA),
           QStringLiteral("setVendaBeneficioBalcao"));
    outcome.goesOn = true;
}

// NFC-e: the save issued the document; a contingency answer records the sale as cancelled.
// SAT: the CF-e of the stored sale is transmitted now. False when the road ended here.
bool OrdinaryRoad::issueElectronicDocument(const SaveOutcome &outcome, const ClosingAnswer &answer)
{
    SaleState &s = m_context.state();
    const bool issuedByPayment = isYes(s.settlement.stConfRecebimento);
    if (s.params.boSISTEMAQUBNFCE) {
        if (issuedByPayment) {
            printElectronicReceipt(outcome.saleKey);
            return true;
        }
        s.settlement.stRecebAux17 = answer.nfceText1;
        s.settlement.stRecebAux18 = answer.nfceText2;
        s.settlement.stRecebAux23 = answer.nfceStatus;
        if (answer.nfceStatus != contingency)
            return true;
        settlementEnd().nfceContingency(outcome.saleKey);
        return false;
    }
    if (!s.params.boSISTEMAQUBSAT)
        return true;
    if (issuedByPayment) {
        printElectronicReceipt(outcome.saleKey);
        return true;
    }
    const QString failure = m_context.settlement().FinalizaVendaSat(outcome.saleKey);
    if (!failure.isEmpty()) {
        satFailed(outcome.saleKey, failure);
        return false;
    }
    m_context.devices().FinalizaTransTef(TefFinishRequest{true});
    return true;
}

void OrdinaryRoad::printElectronicReceipt(const QString &saleKey)
{
    const SaleState &s = m_context.state();
    if (isYes(s.params.stIDIMPCUPMEI))
        return;
    const SaleDatasets &d = m_context.data();
    SatReceiptRequest request;
    request.savedSaleKey = saleKey;
    request.idAmbTrabNfce = s.params.stIDAMBTRABNFCE;
    request.stRecebAux2 = s.startup.stRecebAux2;
    request.cfeNumber = s.settlement.stRecebAux3;
    request.satSerial = s.settlement.stRecebAux16;
    request.tax0 = s.settlement.stRecebAux21;
    request.emissionDate = s.settlement.stRecebAux19;
    request.cdProdCouver = s.params.stCDPRODCOUVER;
    request.cdProdConsum = s.params.stCDPRODCONSUM;
    request.cdsVenda = d.cdsVenda.Data();
    request.cdsMovCaixa = d.cdsMovCaixa.Data();
    request.stSenhaPedido = s.settlement.stSenhaPedido;
    request.stRecebAux15 = s.settlement.stRecebAux15;
    request.tax2 = s.settlement.stRecebAux22;
    request.doRecebAux2 = s.figures.doRecebAux2;
    request.cdFilial = s.params.stCDFILIAL;
    request.cdCaixa = s.params.stCDCAIXA;
    const HostResult printed = m_context.services().Imp_Extrato_SAT_Ger(request);
    if (!printed.ok)
        qWarning().noquote() << "Imp_Extrato_SAT_Ger:" << printed.failure;
}

void OrdinaryRoad::postLoyalty()
{
    SaleState &s = m_context.state();
    if (s.host.stCdConsumidorVenda.isEmpty() || !s.loyalty.boFidelidade)
        return;
    const Field client = m_context.data().cdsMovCaixa.FindField(QStringLiteral("CDCLIENTE"));
    if (m_context.server().loyalty.getCadBeneficio(client.IsValid() ? client.AsString() : QString(), s.host.stCdConsumidorVenda)) {
        grantBenefits();
        s.loyalty.boFidelidade = false;
        return;
    }
    s.loyalty.boFidelidade = false;
    m_context.message(m_context.Msg(QStringLiteral("Beneficio_Cad")), Ravuvozozod::Error);
}

// The campaign's benefits that are granted on purchase (IDTPATIVABENEFICIO "2").
void OrdinaryRoad::grantBenefits()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const Field product = m_context.data().cdsVenda.FindField(QStringLiteral("CDPRODUTO"));
    const Variant packet = m_context.checkedValue(
        m_context.server().loyalty.getMovFidelidade(p.stCDFILIAL, s.loyalty.stNRSEQPRODCAMP,
                                            product.IsValid() ? product.AsString() : QString()),
        QStringLiteral("getMovFidelidade"), QString());
    ClientDataSet benefits(QStringLiteral("cdsMovFidelidade"));
    if (!packet.isPacket() || !benefits.SetData(packet.packet()))
        return;
    const QDateTime today = Clock::now();
    for (benefits.First(); !benefits.Eof(); benefits.Next()) {
        auto text = [&benefits](const char *name) { return benefits.FieldByName(QString::fromLatin1(name)).AsString(); };
        if (text("IDTPATIVABENEFICIO") != QLatin1String("2"))
            continue;
        const int days = int(benefits.FieldByName(QStringLiteral("NRDIASVALBENECAMP")).AsInteger());
        report(m_context, m_context.server().loyalty.setMovFidelidade(
                     p.stCDFILIAL, text("CDCAMPANHA"), text("NRSEQPRODCAMP"), text("NRSEQBENEFICIO"), s.host.stCdClienteVenda,
                     s.host.stCdConsumidorVenda, text("IDTPBENEFICIO"), today, today.addDays(days),
                     benefits.FieldByName(QStringLiteral("VRBENEFICIO")).AsFloat(),
                     int(benefits.FieldByName(QStringLiteral("QTBENEFICIOCAMP")).AsInteger())),
               QStringLiteral("setMovFidelidade"));
    }
}

// A failure of the save block. A stored sale (a key of ten characters came back) stays sold:
// with SAT its document is cancelled, otherwise the failure is shown and the sale's end with
// its tickets follows. A sale that was not stored never reaches the tickets: printing them
// and clearing the screen would pass it off as saved.
void OrdinaryRoad::handleSaveFailure(SaveOutcome &outcome, const QString &failure)
{
    SaleState &s = m_context.state();
    const bool stored = outcome.saleKey.size() == storedKeyLength;
    if (stored && s.params.boSISTEMAQUBSAT && !isYes(s.settlement.stConfRecebimento)) {
        satFailed(outcome.saleKey, failure);
        return;
    }
    if (stored) {
        if (failure != asyncFailure)
            m_context.message(failure, Ravuvozozod::Error);
        outcome.goesOn = true;
        return;
    }
    outcome.saleKey.clear();
    if (s.params.boUTILIZAIMPFIS)
        fiscalPrinterSaveFailed();
    else
        saveFailedBeforeStoring(failure, outcome.nfceStatus);
}

// The fiscal printer's coupon of a sale that could not be saved is cancelled and the sale
// recorded as cancelled. When the printer does not cancel it, the sale stays on the screen.
void OrdinaryRoad::fiscalPrinterSaveFailed()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    m_context.message(m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO")), Ravuvozozod::Error);
    settlementEnd().undoCardPayment();
    const CouponCancelAnswer cancelled =
        m_context.devices().Cancela_Cupom_Imp(CouponCancelRequest{p.stIDESQUEMA, false, false, false, p.stCDFILIAL,
                                                                  p.stCDCAIXA, p.stNRSERIEIMP});
    if (!cancelled.ok) {
        const QString text = QStringLiteral("O cupom fiscal não pôde ser cancelado na impressora. "
                                            "A venda continua na tela: cancele o cupom antes de nova venda.");
        m_context.message(text, Ravuvozozod::Error);
        ClientDataSet &payments = m_context.data().cdsMovCaixa;
        if (payments.Active())
            payments.EmptyDataSet();
        s.flags.boRecebendo = false;
        m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), text};
        return;
    }
    SettlementEnd end = settlementEnd();
    end.recordCancelledSale(s.settlement.stRecebAux9.isEmpty() ? m_run.documentInHand : s.settlement.stRecebAux9);
    end.logCouponCancelled(m_run.documentInHand);
    end.endWithReset(RoadEnd::Kind::Reset, m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO")));
}

// Without a fiscal printer a sale that was not stored keeps nothing paid: the card payment is
// undone, the number already taken is recorded as cancelled (it is never handed back), and
// the sale stays on the screen to be settled again.
void OrdinaryRoad::saveFailedBeforeStoring(const QString &failure, const QString &nfceStatus)
{
    SaleState &s = m_context.state();
    const QString text = settlementEnd().notStoredReason(nfceStatus)
        + QStringLiteral(" O pagamento foi desfeito e a venda continua na tela para novo recebimento.");
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          s.params.stIDESQUEMA, 0);
    settlementEnd().undoCardPayment();
    if (!s.settlement.stRecebAux9.isEmpty())
        settlementEnd().recordCancelledSale(s.settlement.stRecebAux9);
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (payments.Active())
        payments.EmptyDataSet();
    s.flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), text + QLatin1Char(' ') + failure};
}

void OrdinaryRoad::satFailed(const QString &saleKey, const QString &failure)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("VENDA_SAT_CAN")), failure, QStringLiteral("N"), QStringLiteral("N"),
                          Ravuvozozod::Error, QString(), p.stIDESQUEMA, 0);
    settlementEnd().undoCardPayment();
    report(m_context,
           m_context.server().kds.CancelaPedidoKDS(Variant(m_context.data().cdsVenda.Data()), p.stCDCAIXA, p.stCDFILIAL,
                                               saleKey, true),
           QStringLiteral("CancelaPedidoKDS"));
    SettlementEnd end = settlementEnd();
    if (!saleKey.isEmpty())
        end.markStoredSaleCancelled(saleKey);
    end.endWithReset(RoadEnd::Kind::Reset, failure);
}

// The stored sale's end: the buyer's CPF into the consumer register, then the end of the
// settlement with the production tickets, the points earned and the pager cleared.
void OrdinaryRoad::finishSoldSale(const SaveOutcome &outcome)
{
    SaleState &s = m_context.state();
    const QString buyer = s.fiscal.stCpfCnpjNota;
    if (!buyer.isEmpty() && buyer.size() < 12) {
        const QStringList values{s.host.stCdClienteVenda, QString(), s.host.stCdConsumidorVenda, QString(), QString(),
                                 QString(), QString(), buyer, QString(), QString(), s.params.stSTPROCESSAMENTO,
                                 QStringLiteral("2")};
        report(m_context, m_context.server().consumers.setGravaConsumidor(values), QStringLiteral("setGravaConsumidor"));
    }
    m_context.form().repaint();
    const SoldSale sold{outcome.saleKey, QStringLiteral("A"), s.settlement.stRecebAux9, outcome.points};
    m_end = RoadEnd{RoadEnd::Kind::Sold, sold, false, QString(), QString()};
    settlementEnd().resetAfterSettlement(sold);
    s.flags.boRecebendo = false;
    s.settlement.stSenhaPedido.clear();
    m_context.form().activateWindow();
}
