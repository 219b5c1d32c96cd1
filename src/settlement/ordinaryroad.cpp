// The ordinary sale road: loyalty marks, the payment screen, the pager and the document
// number. The save and what follows it are in ordinaryroad_save.cpp.
#include "ordinaryroad_p.h"

#include "paymentscreen_p.h"
#include "personalcreditroad_p.h"
#include "settlement.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <QDebug>
#include <QDialog>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

const QString noNumberText = QStringLiteral("Não foi possível obter o número do documento da venda. "
                                            "O pagamento foi desfeito e a venda continua na tela para novo recebimento.");

} // namespace

void OrdinaryRoad::run()
{
    const QString lookupFailure = markLoyaltyProducts();
    if (!lookupFailure.isEmpty()) {
        refuseBeforePayment(m_context, m_end, lookupFailure, QStringLiteral("getProdPromoFidelidade"));
        return;
    }
    if (!loyaltyConsumerPresent())
        return;
    applyManualSaleReceipt();
    if (!takePayment())
        return;
    drawPagerIfMissing();
    if (!takeDocumentNumber())
        return;
    writeOrderNumber();
    // Paid by now: a lookup that fails here only leaves the loyalty marks as they were.
    const QString lateFailure = markLoyaltyProducts();
    if (!lateFailure.isEmpty())
        qWarning().noquote() << "getProdPromoFidelidade after the payment:" << lateFailure;
    const SaveOutcome outcome = saveAndIssue();
    if (outcome.goesOn)
        finishSoldSale(outcome);
}

// A loyalty sale outside the counter needs its consumer.
bool OrdinaryRoad::loyaltyConsumerPresent()
{
    SaleState &s = m_context.state();
    if (!s.host.stCdConsumidorVenda.isEmpty() || !s.loyalty.boFidelidade || s.host.stModoVenda == SaleMode::Counter)
        return true;
    const QString text = m_context.Msg(QStringLiteral("CONS_N_INF"));
    m_context.message(text, Ravuvozozod::Error);
    s.flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
    return false;
}

// Products of the sale that belong to a loyalty campaign mark the sale for the posting. The
// first lookup that fails ends the walk: with the base gone each row would only repeat it.
QString OrdinaryRoad::markLoyaltyProducts()
{
    SaleState &s = m_context.state();
    ClientDataSet &venda = m_context.data().cdsVenda;
    if (!venda.Active())
        return {};
    ClientDataSet campaign(QStringLiteral("cdsProdPromoFidelidade"));
    for (venda.First(); !venda.Eof(); venda.Next()) {
        Variant packet;
        const Variant answer = m_context.server().loyalty.getProdPromoFidelidade(
            s.params.stCDFILIAL, venda.FieldByName(QStringLiteral("CDPRODUTO")).AsString());
        if (!m_context.checkAnswer(answer, QStringLiteral("getProdPromoFidelidade"), QString(), packet,
                                   SaleContext::Failure::Quiet))
            return packet.failureText();
        if (!packet.isPacket() || !campaign.SetData(packet.packet()) || campaign.IsEmpty())
            continue;
        s.loyalty.boFidelidade = true;
        s.loyalty.stNRSEQPRODCAMP = campaign.FieldByName(QStringLiteral("NRSEQPRODCAMP")).AsString();
    }
    return {};
}

// A receipt type that allows a manual sale needs no number from the till.
void OrdinaryRoad::applyManualSaleReceipt()
{
    const Field manual = m_context.data().cdsConfTipoRece.FindField(QStringLiteral("IDHABVENDAMAN"));
    if (manual.IsValid() && isYes(manual.AsString()))
        m_context.state().settlement.stConfRecebimento = QStringLiteral("S");
}

bool OrdinaryRoad::takePayment()
{
    SaleState &s = m_context.state();
    m_context.form().repaint();
    s.flags.boBalcaoAux1 = false;
    PaymentScreen screen(m_context);
    PaymentDatasets datasets = screen.paymentDatasets();
    const PaymentAnswer answer =
        m_context.services().Recebimento(screen.paymentRequest(m_run.documentInHand, m_run.waiterName), datasets);
    // The screen's by-reference values are kept whatever it answered.
    screen.keepPaymentOutputs(answer);
    m_run.documentInHand = answer.documentNumber;
    m_run.paymentText11 = answer.text11;
    const Variant result = answer.failure.isEmpty() ? Variant(answer.paid) : Variant::failure(answer.failure);
    if (m_context.checkedValue(result, QStringLiteral("Recebimento"), QString()).toBool())
        return true;
    m_end = RoadEnd{RoadEnd::Kind::Unpaid, std::nullopt, answer.recordAsCancelled, answer.documentNumber, {}};
    settlementEnd().paymentNotConfirmed(answer.recordAsCancelled, answer.documentNumber);
    return false;
}

void OrdinaryRoad::drawPagerIfMissing()
{
    SaleState &s = m_context.state();
    if (s.settlement.stSenhaPedido.isEmpty())
        s.settlement.stSenhaPedido = m_context.settlement().GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
}

// The sale's own number, taken after the payment and never handed back: a reserved number, a
// Colombian range number, an NFC-e number or a non-fiscal number. Not taken with a fiscal
// printer, with the electronic interface, or when the payment screen issued the document.
// False, after the operator was told and the payment undone, when no number could be had.
bool OrdinaryRoad::takeDocumentNumber()
{
    SaleState &s = m_context.state();
    if (s.params.boUTILIZAIMPFIS || !isNo(s.params.stIDUTLINTFACELE)
        || isYes(s.settlement.stConfRecebimento))
        return true;
    const QString failure = takeOwnRoadNumber(m_context, m_run.documentInHand, noNumberText);
    if (failure.isEmpty())
        return true;
    stopAfterPayment(failure);
    return false;
}

void OrdinaryRoad::writeOrderNumber()
{
    ClientDataSet &venda = m_context.data().cdsVenda;
    if (!venda.Active() || !venda.HasField(QStringLiteral("NRORDEMVND")))
        return;
    const QString number = m_context.state().settlement.stNrOrdemVnd;
    for (venda.First(); !venda.Eof(); venda.Next()) {
        venda.Edit();
        venda.FieldByName(QStringLiteral("NRORDEMVND")).SetAsString(number);
        venda.Post();
    }
}

// A stop after the payment screen and before anything was stored: the operator is told, the
// card transaction undone, the payments dropped, and the sale stays on the screen to be
// settled again.
void OrdinaryRoad::stopAfterPayment(const QString &reason)
{
    m_context.message(reason, Ravuvozozod::Error);
    settlementEnd().undoCardPayment();
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (payments.Active())
        payments.EmptyDataSet();
    m_context.state().flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), reason};
}
