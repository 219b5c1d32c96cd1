// The save of a consumer-debit sale (the debit is posted inside it), the NFC-e or SAT document,
// the failures of that block, and the end with the production tickets.
#include "debitroad_p.h"

#include "closingrecord_p.h"
#include "settlementend_p.h"

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
#include <screen/tfrmvendacons.h>

#include <exception>

namespace {

constexpr int storedKeyLength = 10;

double taxFigure(const QString &value)
{
    QString plain = value.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    return plain.toDouble();
}

} // namespace

ConsumerDebitRoad::Saved ConsumerDebitRoad::saveSale(Settlement::ClosingRoad road)
{
    Saved saved;
    try {
        saveBlock(road, saved);
    } catch (const std::exception &error) {
        saveFailed(road, saved, QString::fromUtf8(error.what()));
    }
    return saved;
}

void ConsumerDebitRoad::saveBlock(Settlement::ClosingRoad road, Saved &saved)
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    if (s.params.boUTILIZAIMPFIS && s.host.stModoVenda == SaleMode::Counter && d.cdsItensCancelados.Active())
        d.cdsItensCancelados.EmptyDataSet();
    SettlementEnd(m_context, m_end).relateSaleEmail();
    const ClosingHeader header = ClosingRecord(m_context).closingHeader(m_run.documentInHand, m_run.paymentText11);
    const Settlement::SaveResult result = m_context.settlement().SetConcluiFechamento(road, header);
    saved.points = result.answer.points;
    if (!result.saved) {
        if (!result.answer.savedSaleKey.isFailure())
            saved.saleKey = result.answer.savedSaleKey.toString();
        saveFailed(road, saved, result.failure);
        return;
    }
    saved.saleKey = result.saleKey;
    const bool issuedByPayment = isYes(s.settlement.stConfRecebimento);
    if (s.params.boSISTEMAQUBNFCE && !issuedByPayment) {
        s.settlement.stRecebAux17 = result.answer.nfceText1;
        s.settlement.stRecebAux18 = result.answer.nfceText2;
        s.settlement.stRecebAux23 = result.answer.nfceStatus;
        if (result.answer.nfceStatus == QLatin1String("CONTIGENCIA_SP")) {
            SettlementEnd(m_context, m_end).nfceContingency(saved.saleKey);
            s.settlement.stSenhaPedido.clear();
            return;
        }
    } else if (s.params.boSISTEMAQUBSAT && !issuedByPayment) {
        const QString failure = m_context.settlement().FinalizaVendaSat(saved.saleKey);
        if (!failure.isEmpty()) {
            satRefused(saved.saleKey, failure);
            return;
        }
    }
    saved.goesOn = true;
}

// A failure of the save block. A stored sale (its key came back) stays sold, but with SAT its
// refused document cancels it. A sale that was not stored never reaches the tickets: nothing
// of it was debited, and it is recorded as cancelled or left on the screen.
void ConsumerDebitRoad::saveFailed(Settlement::ClosingRoad road, Saved &saved, const QString &failure)
{
    const SaleState &s = m_context.state();
    if (saved.saleKey.size() == storedKeyLength) {
        if (s.params.boSISTEMAQUBSAT && !isYes(s.settlement.stConfRecebimento)) {
            satRefused(saved.saleKey, failure);
            return;
        }
        m_context.message(failure, Ravuvozozod::Error);
        saved.goesOn = true;
        return;
    }
    saved.saleKey.clear();
    if (!s.params.boUTILIZAIMPFIS)
        nothingStored(failure);
    else if (road == Settlement::ClosingRoad::DebitFull)
        couponAlreadyIssued(failure);
    else
        couponCancelledOrKept(failure);
}

// The payment screen closed the coupon of a sale that could not be saved: it is cancelled on
// the printer and the sale recorded as cancelled; a coupon the printer keeps keeps the sale on
// the screen.
void ConsumerDebitRoad::couponCancelledOrKept(const QString &failure)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const QString text = m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO"));
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          p.stIDESQUEMA, 0);
    SettlementEnd end(m_context, m_end);
    end.undoCardPayment();
    const CouponCancelAnswer cancelled = m_context.devices().Cancela_Cupom_Imp(
        CouponCancelRequest{p.stIDESQUEMA, false, false, false, p.stCDFILIAL, p.stCDCAIXA, p.stNRSERIEIMP});
    if (!cancelled.ok) {
        refuse(QStringLiteral("O cupom fiscal não pôde ser cancelado na impressora. A venda continua na tela: cancele o "
                              "cupom antes de nova venda."),
               RoadEnd::Kind::Failed);
        return;
    }
    end.recordCancelledSale(m_run.documentInHand);
    end.logCouponCancelled(m_run.documentInHand);
    end.endWithReset(RoadEnd::Kind::Reset, text);
}

// The coupon of the whole debit is closed and its receipt printed after it, so the printer can
// no longer cancel it: the cashier keeps the coupon, the sale is recorded as cancelled and
// nothing is debited.
void ConsumerDebitRoad::couponAlreadyIssued(const QString &failure)
{
    const QString text = m_context.Msg(QStringLiteral("ERRO_CONCLUI_FECHAMENTO_AUX"));
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          m_context.state().params.stIDESQUEMA, 0);
    SettlementEnd end(m_context, m_end);
    end.recordCancelledSale(m_run.documentInHand);
    end.endWithReset(RoadEnd::Kind::Reset, text + QLatin1Char(' ') + failure);
}

// Without a fiscal printer the sale that was not stored keeps nothing paid: the card is undone,
// the number taken is recorded as cancelled, and the sale stays on the screen.
void ConsumerDebitRoad::nothingStored(const QString &failure)
{
    SaleState &s = m_context.state();
    const QString text = QStringLiteral("Não foi possível gravar a venda no banco de dados. Nada foi debitado e a venda "
                                        "continua na tela para novo recebimento.");
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          s.params.stIDESQUEMA, 0);
    SettlementEnd end(m_context, m_end);
    end.undoCardPayment();
    if (!s.settlement.stRecebAux9.isEmpty())
        end.recordCancelledSale(s.settlement.stRecebAux9);
    for (ClientDataSet *dataset : {&m_context.data().cdsMovCaixa, &m_context.data().cdsFamSaldoComp})
        if (dataset->Active())
            dataset->EmptyDataSet();
    s.flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), text + QLatin1Char(' ') + failure};
}

// The SAT refused the stored sale's CF-e: the sale is marked cancelled, the card undone and
// the till freed without tickets.
void ConsumerDebitRoad::satRefused(const QString &saleKey, const QString &failure)
{
    Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("VENDA_SAT_CAN")), failure, QStringLiteral("N"),
                          QStringLiteral("N"), Ravuvozozod::Error, QString(), m_context.state().params.stIDESQUEMA, 0);
    SettlementEnd end(m_context, m_end);
    end.undoCardPayment();
    end.markStoredSaleCancelled(saleKey);
    end.endWithReset(RoadEnd::Kind::Reset, failure);
    m_context.state().settlement.stSenhaPedido.clear();
}

// The approximate taxes, then the NFC-e number or the till's non-fiscal number.
void ConsumerDebitRoad::takeElectronicOrPlainNumber()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    s.results.vaRetornoAux = Variant::array(3);
    const TaxEstimateAnswer taxes = m_context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, m_context.data().cdsVenda);
    t.stRecebAux21 = taxes.ok ? taxes.tax0 : QString();
    t.stRecebAux22 = taxes.ok ? taxes.tax2 : QString();
    s.totals.doVrImpostoAprox = taxFigure(t.stRecebAux21) + taxFigure(t.stRecebAux22);
    if (!p.boSISTEMAQUBNFCE) {
        t.stRecebAux9 = m_context
                            .checkedValue(m_context.server().counters.setNrVendaNFisc(p.stCDFILIAL, p.stCDCAIXA, QString()),
                                          QStringLiteral("setNrVendaNFisc"), QString())
                            .toString();
        m_run.documentInHand = t.stRecebAux9;
        return;
    }
    const TextAnswer series = m_context.services().getNumeroSerieNFCe(NfceSeriesRequest{p.stCDFILIAL, p.stCDCAIXA});
    t.stRecebAux24 = series.ok ? series.text : QString();
    t.stRecebAux9 =
        m_context
            .checkedValue(m_context.server().counters.setNumeroNFCe(p.stCDFILIAL, p.stCDCAIXA, t.stRecebAux24,
                                                                    p.stIDAMBTRABNFCE, true),
                          QStringLiteral("setNumeroNFCe"), QString())
            .toString();
    const TextAnswer emission = m_context.services().getDataEmissNFCe();
    t.stRecebAux19 = emission.ok ? emission.text : QString();
    m_run.documentInHand = t.stRecebAux9;
}

// The stored sale's end: the buyer's CPF into the consumer register, the production tickets,
// the screen freed, the points earned, and the next badge sale where the screen asks for it.
void ConsumerDebitRoad::finishSale(const Saved &saved, const QString &letter)
{
    SaleState &s = m_context.state();
    const QString buyer = s.fiscal.stCpfCnpjNota;
    if (!buyer.isEmpty() && buyer.size() < 12) {
        const QString client = s.host.stCdClienteVenda;
        const QString consumer = s.consumer.stCDCONSUMIDOR;
        Variant ignored;
        m_context.checkAnswer(m_context.server().consumers.setGravaConsumidor(
                                  {client, QString(), consumer, QString(), QString(), QString(), QString(), buyer,
                                   QString(), QString(), s.params.stSTPROCESSAMENTO, QStringLiteral("2")}),
                              QStringLiteral("setGravaConsumidor"), QStringList{client, consumer, buyer}.join(QLatin1Char('-')),
                              ignored);
    }
    m_context.form().repaint();
    m_context.data().cdsConfTipoRece.SetFiltered(false);
    const SoldSale sold{saved.saleKey, letter, s.settlement.stRecebAux9};
    m_end = RoadEnd{RoadEnd::Kind::Sold, sold, false, QString(), QString()};
    SettlementEnd(m_context, m_end).resetAfterSettlement(sold);
    if (saved.points != 0)
        m_context.message(Lvm_msg::Format(m_context.Msg(QStringLiteral("PONTUACAO")), {PtBr::FloatToStr(saved.points)}),
                          Ravuvozozod::Information);
    s.settlement.stSenhaPedido.clear();
    s.flags.boRecebendo = false;
}
