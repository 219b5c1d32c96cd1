// The ordinary sale road: loyalty marks, the payment screen, the pager and the document
// number. The save and what follows it are in ordinaryroad_save.cpp.
#include "settlement.h"

#include "settlementserver.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <screen/salecontext.h>
#include <screen/saledatasets.h>
#include <screen/salestate.h>
#include <screen/tfrmvendacons.h>

#include <QDebug>

namespace {

const QString unitName = QStringLiteral("Cli_Kal51000");
const QString noNumberText = QStringLiteral("Não foi possível obter o número do documento da venda. "
                                            "O pagamento foi desfeito e a venda continua na tela para novo recebimento.");

// The text a number service answered, through the result check; empty on a failure (shown).
QString numberText(const Variant &result, const QString &method, const QString &scheme)
{
    Variant value;
    Ravuvozozod::MensagemMetodo(result, true, 0, method, unitName, QString(), scheme, value);
    return value.toString();
}

} // namespace

void Settlement::ordinarySaleRoad(SettlementRun &run)
{
    SaleState &s = m_context.state();
    const QString lookupFailure = markLoyaltyProducts();
    if (!lookupFailure.isEmpty()) {
        refuseBeforePayment(lookupFailure, QStringLiteral("getProdPromoFidelidade"));
        return;
    }
    if (s.host.stCdConsumidorVenda.isEmpty() && s.loyalty.boFidelidade && s.host.stModoVenda != QLatin1String("B")) {
        const QString text = m_context.Msg(QStringLiteral("CONS_N_INF"));
        m_context.message(text, Ravuvozozod::Error);
        s.flags.boRecebendo = false;
        m_lastRoadEnd = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
        return;
    }
    applyManualSaleReceipt();
    if (!takePayment(run))
        return;
    drawPagerIfMissing();
    if (!takeDocumentNumber(run))
        return;
    writeOrderNumber();
    // Paid by now: a lookup that fails here only leaves the loyalty marks as they were.
    const QString lateFailure = markLoyaltyProducts();
    if (!lateFailure.isEmpty())
        qWarning().noquote() << "getProdPromoFidelidade after the payment:" << lateFailure;
    const SaveOutcome outcome = saveAndIssue(run);
    if (outcome.goesOn)
        finishSoldSale(outcome);
}

// Products of the sale that belong to a loyalty campaign mark the sale for the posting. The
// first lookup that fails ends the walk: with the base gone each row would only repeat it.
QString Settlement::markLoyaltyProducts()
{
    SaleState &s = m_context.state();
    ClientDataSet &venda = m_context.data().cdsVenda;
    if (!venda.Active())
        return {};
    ClientDataSet campaign(QStringLiteral("cdsProdPromoFidelidade"));
    for (venda.First(); !venda.Eof(); venda.Next()) {
        Variant packet;
        if (!Ravuvozozod::MensagemMetodo(settlementServer().getProdPromoFidelidade(
                                             s.params.stCDFILIAL, venda.FieldByName(QStringLiteral("CDPRODUTO")).AsString()),
                                         false, 0, QStringLiteral("getProdPromoFidelidade"), unitName, QString(),
                                         s.params.stIDESQUEMA, packet))
            return packet.failureText();
        if (!packet.isPacket() || !campaign.SetData(packet.packet()) || campaign.IsEmpty())
            continue;
        s.loyalty.boFidelidade = true;
        s.loyalty.stNRSEQPRODCAMP = campaign.FieldByName(QStringLiteral("NRSEQPRODCAMP")).AsString();
    }
    return {};
}

// A receipt type that allows a manual sale needs no number from the till.
void Settlement::applyManualSaleReceipt()
{
    const Field manual = m_context.data().cdsConfTipoRece.FindField(QStringLiteral("IDHABVENDAMAN"));
    if (manual.IsValid() && manual.AsString() == QLatin1String("S"))
        m_context.state().settlement.stConfRecebimento = QStringLiteral("S");
}

bool Settlement::takePayment(SettlementRun &run)
{
    SaleState &s = m_context.state();
    m_context.form().repaint();
    s.flags.boBalcaoAux1 = false;
    PaymentDatasets datasets = paymentDatasets();
    const PaymentAnswer answer = m_context.services().Recebimento(paymentRequest(run.documentInHand, run.waiterName),
                                                                  datasets);
    // The screen's by-reference values are kept whatever it answered.
    keepPaymentOutputs(answer);
    run.documentInHand = answer.documentNumber;
    run.paymentText11 = answer.text11;
    const Variant result = answer.failure.isEmpty() ? Variant(answer.paid) : Variant::failure(answer.failure);
    Variant paid;
    Ravuvozozod::MensagemMetodo(result, true, 0, QStringLiteral("Recebimento"), unitName, QString(),
                                s.params.stIDESQUEMA, paid);
    if (paid.toBool())
        return true;
    m_lastRoadEnd = RoadEnd{RoadEnd::Kind::Unpaid, std::nullopt, answer.recordAsCancelled, answer.documentNumber, {}};
    paymentNotConfirmed(answer.recordAsCancelled, answer.documentNumber);
    return false;
}

void Settlement::drawPagerIfMissing()
{
    SaleState &s = m_context.state();
    if (s.settlement.stSenhaPedido.isEmpty())
        s.settlement.stSenhaPedido = GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
}

// The sale's own number, taken after the payment and never handed back: a reserved number, a
// Colombian range number, an NFC-e number or a non-fiscal number. Not taken with a fiscal
// printer, with the electronic interface, or when the payment screen issued the document.
// False, after the operator was told and the payment undone, when no number could be had.
bool Settlement::takeDocumentNumber(SettlementRun &run)
{
    SaleState &s = m_context.state();
    if (s.params.boUTILIZAIMPFIS || s.params.stIDUTLINTFACELE != QLatin1String("N")
        || s.settlement.stConfRecebimento == QLatin1String("S"))
        return true;
    QString &reserved = s.fiscal.stNrCupomReservado;
    if (!reserved.isEmpty()) {
        s.settlement.stRecebAux9 = reserved;
        run.documentInHand = reserved;
        reserved.clear();
        return true;
    }
    if (s.params.stIDPAISINTEGRA == QLatin1String("01"))
        return takeColombianNumber();
    takeElectronicOrPlainNumber(run);
    if (!s.settlement.stRecebAux9.isEmpty())
        return true;
    stopAfterPayment(noNumberText);
    return false;
}

// A used-up range refuses the sale before it is saved: the original saved it under "CUPINV".
bool Settlement::takeColombianNumber()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const QString number = numberText(settlementServer().getPrxVendaColombia(p.stCDFILIAL, p.stCDCAIXA, p.stCDPREFINTGCOL,
                                                                             p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL),
                                      QStringLiteral("getPrxVendaColombia"), p.stIDESQUEMA);
    if (number == QLatin1String("CUPINV")) {
        const QString text =
            Lvm_msg::Format(m_context.Msg(QStringLiteral("Cup_inv")), {p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL});
        stopAfterPayment(text);
        return false;
    }
    if (number.isEmpty()) {
        stopAfterPayment(noNumberText);
        return false;
    }
    s.settlement.stRecebAux9 = number;
    return true;
}

void Settlement::takeElectronicOrPlainNumber(SettlementRun &run)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    s.results.vaRetornoAux = Variant::array(3);
    const TaxEstimateAnswer taxes = m_context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, m_context.data().cdsVenda);
    if (taxes.ok) {
        t.stRecebAux21 = taxes.tax0;
        t.stRecebAux22 = taxes.tax2;
        s.totals.doVrImpostoAprox = PtBr::StrToFloat(taxes.tax0) + PtBr::StrToFloat(taxes.tax2);
    }
    if (!p.boSISTEMAQUBNFCE) {
        t.stRecebAux9 = numberText(settlementServer().setNrVendaNFisc(p.stCDFILIAL, p.stCDCAIXA, QString()),
                                   QStringLiteral("setNrVendaNFisc"), p.stIDESQUEMA);
        return;
    }
    const TextAnswer series = m_context.services().getNumeroSerieNFCe(NfceSeriesRequest{p.stCDFILIAL, p.stCDCAIXA});
    t.stRecebAux24 = series.ok ? series.text : QString();
    t.stRecebAux9 = numberText(settlementServer().setNumeroNFCe(p.stCDFILIAL, p.stCDCAIXA, t.stRecebAux24,
                                                                p.stIDAMBTRABNFCE, true),
                               QStringLiteral("setNumeroNFCe"), p.stIDESQUEMA);
    const TextAnswer emission = m_context.services().getDataEmissNFCe();
    t.stRecebAux19 = emission.ok ? emission.text : QString();
    run.documentInHand = t.stRecebAux9;
}

void Settlement::writeOrderNumber()
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

void Settlement::undoCardPayment()
{
    m_context.devices().FinalizaTransTef(TefFinishRequest{false});
}

// A stop after the payment screen and before anything was stored: the operator is told, the
// card transaction undone, the payments dropped, and the sale stays on the screen to be
// settled again.
void Settlement::stopAfterPayment(const QString &reason)
{
    m_context.message(reason, Ravuvozozod::Error);
    undoCardPayment();
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (payments.Active())
        payments.EmptyDataSet();
    m_context.state().flags.boRecebendo = false;
    m_lastRoadEnd = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), reason};
}

void Settlement::refuseBeforePayment(const QString &failure, const QString &method)
{
    SaleState &s = m_context.state();
    const bool connection = method.isEmpty() || failure.contains(QLatin1String("DBNETLIB"));
    const QString text = connection ? m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"))
                                    : QStringLiteral("O servidor não respondeu à consulta %1. A venda continua na tela "
                                                     "para novo recebimento.")
                                          .arg(method);
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          s.params.stIDESQUEMA, 0);
    s.flags.boRecebendo = false;
    m_lastRoadEnd = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
}
