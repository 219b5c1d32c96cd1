// The save of a road that settles on its own and what follows it: the NFC-e or SAT document,
// the failures of that block, and the hand-over with the tickets.
#include "personalcreditroad_p.h"

#include "closingrecord_p.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <server/srv_consumers_posting.h>

#include <QDialog>

#include <exception>

namespace {

constexpr int storedKeyLength = 10;

void emptyIfOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
}

} // namespace

bool OwnRoadSave::run(const QString &documentInHand, const QString &paymentText11, const QString &numberBefore)
{
    Settlement::SaveResult saved;
    if (!save(documentInHand, paymentText11, saved)) {
        const QString key = saved.answer.savedSaleKey.isFailure() ? QString() : saved.answer.savedSaleKey.toString();
        if (key.size() == storedKeyLength) {
            // Stored, but what followed failed: without SAT the sale stands as sold.
            const SaleState &s = m_context.state();
            if ((!s.params.boSISTEMAQUBSAT || isYes(s.settlement.stConfRecebimento)) && m_options.onStored)
                m_options.onStored();
            storedSaleFailed(key, saved.failure);
            return m_end.kind == RoadEnd::Kind::Sold;
        }
        notStored(documentInHand, numberBefore, saved.failure, saved.answer.nfceStatus);
        return false;
    }
    if (!electronicDocumentIssued(saved))
        return false;
    if (m_options.onStored)
        m_options.onStored();
    handOver(saved.saleKey, saved.answer.points);
    return true;
}

bool OwnRoadSave::save(const QString &documentInHand, const QString &paymentText11, Settlement::SaveResult &saved)
{
    SaleState &s = m_context.state();
    try {
        m_context.form().repaint();
        if (s.params.boUTILIZAIMPFIS && s.host.stModoVenda == SaleMode::Counter)
            emptyIfOpen(m_context.data().cdsItensCancelados);
        settlementEnd().relateSaleEmail();
        const ClosingHeader header = ClosingRecord(m_context).closingHeader(documentInHand, paymentText11);
        saved = m_context.settlement().SetConcluiFechamento(m_options.road, header);
    } catch (const std::exception &error) {
        saved.saved = false;
        saved.failure = QString::fromUtf8(error.what());
    }
    return saved.saved;
}

// NFC-e: the save issued the document; contingency cancels the stored sale. SAT: the CF-e of
// the stored sale goes out now; a refusal cancels the stored sale. A document the payment
// screen already issued (stConfRecebimento "S") is not issued twice.
bool OwnRoadSave::electronicDocumentIssued(const Settlement::SaveResult &saved)
{
    SaleState &s = m_context.state();
    if (isYes(s.settlement.stConfRecebimento))
        return true;
    if (s.params.boSISTEMAQUBNFCE) {
        s.settlement.stRecebAux17 = saved.answer.nfceText1;
        s.settlement.stRecebAux18 = saved.answer.nfceText2;
        s.settlement.stRecebAux23 = saved.answer.nfceStatus;
        if (saved.answer.nfceStatus != QLatin1String("CONTIGENCIA_SP"))
            return true;
        settlementEnd().nfceContingency(saved.saleKey);
        // The pager went with the cancelled sale: the next one draws its own.
        s.settlement.stSenhaPedido.clear();
        return false;
    }
    if (!s.params.boSISTEMAQUBSAT)
        return true;
    const QString failure = m_context.settlement().FinalizaVendaSat(saved.saleKey);
    if (failure.isEmpty()) {
        m_context.devices().FinalizaTransTef(TefFinishRequest{true}); // the card part stands with the CF-e
        return true;
    }
    storedSaleFailed(saved.saleKey, failure);
    return false;
}

// The sale is stored but what followed failed: with SAT its document is cancelled with it
// (unless the payment screen issued it); otherwise the failure is shown and the stored sale is
// handed over as sold.
void OwnRoadSave::storedSaleFailed(const QString &saleKey, const QString &failure)
{
    SaleState &s = m_context.state();
    if (!s.params.boSISTEMAQUBSAT || isYes(s.settlement.stConfRecebimento)) {
        m_context.message(failure, Ravuvozozod::Error);
        handOver(saleKey, 0);
        return;
    }
    if (m_options.satMessage)
        Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("VENDA_SAT_CAN")), failure, QStringLiteral("N"),
                              QStringLiteral("N"), Ravuvozozod::Error, QString(), s.params.stIDESQUEMA, 0);
    SettlementEnd end = settlementEnd();
    end.undoCardPayment();
    end.markStoredSaleCancelled(saleKey);
    // The exchange was spent on this sale, which is cancelled: the next customer must not take
    // the exchange road on its credit.
    if (m_options.endsExchange)
        m_context.settlement().Limpa_TrocaMercadoria();
    end.endWithReset(RoadEnd::Kind::Reset, failure);
    s.settlement.stSenhaPedido.clear();
}

// Nothing was stored, so nothing was posted to the consumer's balances. With a fiscal printer
// the coupon is cancelled and the sale recorded as cancelled; without one (or when the printer
// does not cancel) the sale stays on the screen to be settled again.
void OwnRoadSave::notStored(const QString &documentInHand, const QString &numberBefore, const QString &failure,
                            const QString &nfceStatus)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    if (!p.boUTILIZAIMPFIS) {
        settlementEnd().undoCardPayment();
        if (!s.settlement.stRecebAux9.isEmpty() && s.settlement.stRecebAux9 != numberBefore)
            settlementEnd().recordCancelledSale(s.settlement.stRecebAux9);
        const QString refusal = balanceRefusal(failure);
        stopWithSaleOnScreen(!refusal.isEmpty()
                                 ? refusal + QStringLiteral(" Nada foi lançado no saldo do consumidor e a venda continua "
                                                            "na tela para novo recebimento.")
                                 : settlementEnd().notStoredReason(nfceStatus) + QLatin1Char(' ')
                                     + (m_options.notStoredText.isEmpty()
                                            ? QStringLiteral("Nada foi lançado no saldo do consumidor e a venda continua "
                                                             "na tela para novo recebimento.")
                                            : m_options.notStoredText),
                             failure);
        return;
    }
    if (m_options.couponStands) {
        couponKept(documentInHand, failure);
        return;
    }
    const QString refusal = balanceRefusal(failure);
    Ravuvozozod::Mensagem(refusal.isEmpty() ? m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO")) : refusal, failure,
                          QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(), p.stIDESQUEMA, 0);
    settlementEnd().undoCardPayment();
    const CouponCancelAnswer cancelled = m_context.devices().Cancela_Cupom_Imp(
        CouponCancelRequest{p.stIDESQUEMA, false, false, false, p.stCDFILIAL, p.stCDCAIXA, p.stNRSERIEIMP});
    if (!cancelled.ok) {
        stopWithSaleOnScreen(QStringLiteral("O cupom fiscal não pôde ser cancelado na impressora. "
                                            "A venda continua na tela: cancele o cupom antes de nova venda."),
                             cancelled.failure);
        return;
    }
    SettlementEnd end = settlementEnd();
    s.settlement.stRecebAux1 = end.cancellationTrace(documentInHand);
    end.recordCancelledSale(s.settlement.stRecebAux9.isEmpty() ? documentInHand : s.settlement.stRecebAux9);
    end.logCouponCancelled(documentInHand);
    if (m_options.endsExchange)
        m_context.settlement().Limpa_TrocaMercadoria();
    end.endWithReset(RoadEnd::Kind::Reset, m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO")));
}

// The base refuses a save whose balances or limits no longer allow it (another till spent them
// first) with a balance code or a limit refusal: the cashier is told in words which balance fell
// short or which maximum would be passed; empty for any other failure.
QString OwnRoadSave::balanceRefusal(const QString &failure) const
{
    const QString limit = QString::fromLatin1(consumerLimitRefusal);
    if (failure.startsWith(limit))
        return failure.mid(limit.size());
    static const QStringList codes{QStringLiteral("ERRO_1"), QStringLiteral("ERRO_2"), QStringLiteral("ERRO_3"),
                                   QStringLiteral("ERRO_4"), QStringLiteral("ERRO_5")};
    if (!codes.contains(failure.left(6)))
        return QString();
    RoadEnd unused;
    return FailureRecovery(m_context, unused).failureNotice(failure).text;
}

// A receipt was printed after the coupon, so the printer can no longer cancel it: the cashier
// keeps the coupon and the sale is recorded as cancelled.
void OwnRoadSave::couponKept(const QString &documentInHand, const QString &failure)
{
    const QString text = m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO_AUX"));
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          m_context.state().params.stIDESQUEMA, 0);
    SettlementEnd end = settlementEnd();
    end.recordCancelledSale(documentInHand);
    end.endWithReset(RoadEnd::Kind::Reset, text + QLatin1Char(' ') + failure);
}

void OwnRoadSave::stopWithSaleOnScreen(const QString &text, const QString &detail)
{
    SaleState &s = m_context.state();
    Ravuvozozod::Mensagem(text, detail, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          s.params.stIDESQUEMA, 0);
    emptyIfOpen(m_context.data().cdsMovCaixa);
    emptyIfOpen(m_context.data().cdsFamSaldoComp);
    s.flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(),
                    detail.isEmpty() ? text : text + QLatin1Char(' ') + detail};
}

// The stored sale: the buyer's CPF into the consumer register, the tickets, a free till.
void OwnRoadSave::handOver(const QString &saleKey, double points)
{
    SaleState &s = m_context.state();
    const QString buyer = s.fiscal.stCpfCnpjNota;
    if (!buyer.isEmpty() && buyer.size() < 12) {
        const QString client = s.host.stCdClienteVenda;
        const QString consumer = s.consumer.stCDCONSUMIDOR.isEmpty() ? s.host.stCdConsumidorVenda : s.consumer.stCDCONSUMIDOR;
        const QStringList values{client,    QString(), consumer,  QString(), QString(), QString(), QString(), buyer,
                                 QString(), QString(), s.params.stSTPROCESSAMENTO, QStringLiteral("2")};
        Variant ignored;
        m_context.checkAnswer(m_context.server().consumers.setGravaConsumidor(values), QStringLiteral("setGravaConsumidor"),
                              QStringList{client, consumer, buyer}.join(QLatin1Char('-')), ignored);
    }
    m_context.form().repaint();
    if (m_options.clearsReceiptFilter)
        m_context.data().cdsConfTipoRece.SetFiltered(false);
    if (m_options.endsExchange)
        m_context.settlement().Limpa_TrocaMercadoria();
    const SoldSale sold{saleKey, m_options.letter, s.settlement.stRecebAux9, m_options.showsPoints ? points : 0.0};
    m_end = RoadEnd{RoadEnd::Kind::Sold, sold, false, QString(), QString()};
    settlementEnd().resetAfterSettlement(sold);
    s.flags.boRecebendo = false;
    if (m_options.showsPoints)
        s.settlement.stSenhaPedido.clear();
}
