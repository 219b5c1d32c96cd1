// The settle button: the guards every settlement passes, the buyer, the consumer's name, the
// waiter and the sale rows, then the choice of road inside the outer block.
#include "settlebutton_p.h"

#include "buyer_p.h"
#include "ordinaryroad_p.h"
#include "pendingrecords_p.h"
#include "settlement.h"
#include "settlementend_p.h"

#include <order/orderentry.h>
#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

namespace {

QString parameterColumn(const ClientDataSet &parameters, const char *name)
{
    const Field field = parameters.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString() : QString();
}

// Writes one text into a field of every receipt line, first to last.
void writeIntoEveryLine(ClientDataSet &items, const char *fieldName, const QString &value)
{
    const QString name = QString::fromLatin1(fieldName);
    if (!items.Active() || !items.HasField(name))
        return;
    items.First();
    while (!items.Eof()) {
        items.Edit();
        items.FieldByName(name).SetAsString(value);
        items.Post();
        items.Next();
    }
}

} // namespace

void SettleButton::run()
{
    SaleState &s = m_context.state();
    if (!biometricConfirmed())
        return;
    if (m_context.screen().VerificaImpressoraOk(true)) {
        s.flags.boRecebendo = false;
        return;
    }
    if (s.flags.boRecebendo)
        return; // a settlement is running: a second press does nothing
    s.flags.boRecebendo = true;
    s.figures.boRecebAux1 = true;
    m_end = RoadEnd{};
    if (commonStart())
        roadsInOuterBlock();
}

// Every stop of the common start clears boRecebendo; once a road takes the settlement over,
// the road clears it at its own end.
bool SettleButton::commonStart()
{
    bool roadTakesOver = false;
    const OnExit clearUnlessTaken([&] {
        if (!roadTakesOver)
            m_context.state().flags.boRecebendo = false;
    });
    if (!saleMaySettle() || !operatorMessageAccepted())
        return false;
    if (!m_context.screen().VerificaEstadoGaveta(m_context.state().params.stIDTIPOGAVETA))
        return false;
    if (!buyerIdentifiedWhenRequired() || !serverAnswers())
        return false;
    PendingRecords(m_context).write();
    const Field coupon = m_context.data().cdsItems.FindField(QStringLiteral("NRCUPOMFIS"));
    m_run.documentInHand = coupon.IsValid() ? coupon.AsString() : QString();
    askConsumerName();
    if (!waiterConfirmed())
        return false;
    roadTakesOver = true;
    return true;
}

// The outer block: the silent abort ends quietly, every other failure in the failure recovery.
void SettleButton::roadsInOuterBlock()
{
    try {
        clearPreviousDocumentValues();
        if (m_context.state().host.stModoVenda == SaleMode::Counter)
            combinedPromotions();
        chooseRoad();
    } catch (const EAbort &) {
        SettlementEnd(m_context, m_end).settlementAborted();
    } catch (const Consiste::EResultServ &error) {
        FailureRecovery(m_context, m_end).settlementFailed(error.text());
    } catch (const std::exception &error) {
        FailureRecovery(m_context, m_end).settlementFailed(QString::fromUtf8(error.what()));
    }
}

// The badge consumer asked for a biometric confirmation: the host's reading must name the
// sale's consumer.
bool SettleButton::biometricConfirmed()
{
    SaleState &s = m_context.state();
    if (!isYes(s.consumer.stRecebAux4))
        return true;
    const BiometricAnswer answer = m_context.services().CriaConfirmaBio(BiometricRequest{s.host.stCdClienteVenda});
    if (answer.cdConsumidor == s.consumer.stCDCONSUMIDOR)
        return true;
    s.flags.boRecebendo = false;
    m_context.message(m_context.Msg(QStringLiteral("CONFBIO_NAO")), Ravuvozozod::Error);
    return false;
}

bool SettleButton::saleMaySettle()
{
    SaleState &s = m_context.state();
    if (s.screen.boConsultaPreco) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_Preco")), Ravuvozozod::Error);
        return false;
    }
    const ClientDataSet &items = m_context.data().cdsItems;
    return items.Active() && !items.IsEmpty(); // an empty receipt settles nothing, silently
}

// The store's message to the operator; after a refusal the next press skips it once.
bool SettleButton::operatorMessageAccepted()
{
    SaleState &s = m_context.state();
    const ClientDataSet &parameters = m_context.data().cdsParametrosQub;
    if (isYes(parameterColumn(parameters, "IDEXIBEMENSOP")) && !s.busy.boProcessando) {
        const bool accepted = Ravuvozozod::Mensagem(parameterColumn(parameters, "DSMENSOPERLOJA"), QString(),
                                                    QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Information,
                                                    QString(), s.params.stIDESQUEMA, 0);
        if (!accepted) {
            s.busy.boProcessando = true;
            return false;
        }
        return true;
    }
    s.busy.boProcessando = false;
    return true;
}

bool SettleButton::buyerRuleApplies() const
{
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    return isNo(p.stIDUTLINTFACELE) && !isYes(p.stIDUTLNFSVENCONS)
        && (p.boSISTEMAQUBNFCE || p.boSISTEMAQUBSAT) && p.stIDCOLETOR != QLatin1String("C")
        && s.host.stModoVenda == SaleMode::Counter && p.doVROBRIGCPFNOTA != 0
        && !(s.totals.doTotalVenda < p.doVROBRIGCPFNOTA);
}

// Above the configured total the electronic document must name its buyer: the operator is
// told, the buyer dialog opens, its data goes onto every line, and the settlement stops so
// that the next press finds the data present.
bool SettleButton::buyerIdentifiedWhenRequired()
{
    SaleState &s = m_context.state();
    const FiscalTexts &buyer = s.fiscal;
    if (!buyerRuleApplies()
        || (!buyer.stCpfCnpjNota.isEmpty() && !buyer.stNomeNota.isEmpty() && !buyer.stEnderecoNota.isEmpty()))
        return true;
    Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("VlrLimSemCPF")), QString(), QStringLiteral("N"),
                          QStringLiteral("N"), Ravuvozozod::Warning, QString(), s.params.stIDESQUEMA, 0);
    s.flags.boRecebendo = false;
    BuyerIdentification(m_context).run();
    ClientDataSet &items = m_context.data().cdsItems;
    writeIntoEveryLine(items, "NRINSCRCONS", s.fiscal.stCpfCnpjNota);
    writeIntoEveryLine(items, "NMCONSVEND", s.fiscal.stNomeNota);
    writeIntoEveryLine(items, "DSENDEVENDA", s.fiscal.stEnderecoNota);
    return false;
}

// The first server call of the settlement: a base that does not answer stops it here with one
// clear message, before the waiter, the sale rows or the payment screen ask it one by one.
bool SettleButton::serverAnswers()
{
    const QString failure = m_context.server().access.serverProbe();
    if (failure.isEmpty())
        return true;
    refuseBeforePayment(m_context, m_end, failure);
    return false;
}

void SettleButton::askConsumerName()
{
    SaleState &s = m_context.state();
    if (!isYes(s.params.stIDSOLDIGCONS) || !s.fiscal.stNomeNota.isEmpty())
        return;
    s.results.vaRetorno = Variant::array(10);
    AdditionalDataRequest request;
    request.askConsumerName = s.params.stIDSOLDIGCONS;
    request.idEsquema = s.params.stIDESQUEMA;
    request.askNameAddress = s.params.stIDINFNOMEEND;
    request.valueCount = 8;
    const AdditionalDataAnswer answer = m_context.services().CriaInfAdicional(request);
    s.results.vaRetorno = answer.toArray();
    s.fiscal.stNomeNota = answer.name;
    if (!s.fiscal.stNomeNota.isEmpty() && !m_context.data().cdsItems.IsEmpty())
        writeIntoEveryLine(m_context.data().cdsItems, "NMCONSVEND", s.fiscal.stNomeNota);
}

// The waiter of the sale, typed until a known waiter is named (IDINFVENBAL "S"), else the
// operator's own; then the sale rows are rebuilt.
bool SettleButton::waiterConfirmed()
{
    SaleState &s = m_context.state();
    OrderEntry &order = m_context.order();
    if (!isYes(s.params.stIDINFVENBAL)) {
        s.host.stCDVENDEDOR = s.rights.stCdVendedorOperador;
        // An operator with no waiter of its own is not looked up: the padded empty code would
        // only tell the cashier at every sale that waiter "0000" does not exist.
        if (!s.host.stCDVENDEDOR.trimmed().isEmpty())
            order.ValidaGarcom(m_run.waiterName, Consiste::Ajusta(s.host.stCDVENDEDOR, 4), QString());
        order.PreencheVenda(m_run.saleTotal);
        return true;
    }
    do {
        KeypadRequest request;
        request.value = s.host.stCDVENDEDOR;
        request.title = m_context.Msg(QStringLiteral("INF_COD_GAR"));
        request.prompt = m_context.Msg(QStringLiteral("COD_GAR"));
        request.emptyMessage = m_context.Msg(QStringLiteral("GAR_N_INF"));
        request.maxLength = 12;
        request.lastFlag = 1;
        const KeypadAnswer typed = m_context.services().TecladoNumerico(request);
        if (!typed.confirmed) {
            s.host.stCDVENDEDOR.clear();
            return false;
        }
        s.host.stCDVENDEDOR = typed.value;
        if (!order.ValidaGarcom(m_run.waiterName, s.host.stCDVENDEDOR, QStringLiteral("1"))) {
            s.host.stCDVENDEDOR.clear();
            return false;
        }
        order.PreencheVenda(m_run.saleTotal);
    } while (m_run.waiterName.isEmpty());
    return true;
}

// A settlement that takes no number of its own must not carry the last one's: the sale
// number, the NFC-e series and emission date and the approximate taxes would otherwise go
// into this sale's header, tickets and cancellation record. Nor may it carry the "document
// issued" mark of an earlier press of this sale whose payment screen was left unpaid: only the
// badge's debit set-up marks a whole sale so (a receipt kind sold by hand takes no number).
void SettleButton::clearPreviousDocumentValues()
{
    SaleState &s = m_context.state();
    SettlementTexts &texts = s.settlement;
    texts.stConfRecebimento = texts.receiptKindSoldByHand ? QStringLiteral("S") : QString();
    texts.stRecebAux9.clear();
    texts.stRecebAux19.clear();
    texts.stRecebAux21.clear();
    texts.stRecebAux22.clear();
    texts.stRecebAux24.clear();
    s.totals.doVrImpostoAprox = 0;
    // The electronic document of the last sale (CF-e number, SAT serial, key, QR text, NFC-e
    // status) must not be printed or stored with this one.
    texts.stRecebAux3.clear();
    texts.stRecebAux16.clear();
    texts.stRecebAux17.clear();
    texts.stRecebAux18.clear();
    texts.stRecebAux23.clear();
}

void SettleButton::chooseRoad()
{
    const SaleFlags &flags = m_context.state().flags;
    if (flags.boCreditoPessoal)
        personalCreditRoad();
    else if (flags.boVendaDebito)
        consumerDebitRoad();
    else
        sharedExchangeAndOrdinaryStart();
}

// The block the exchange and the ordinary sale share: an exchange credit larger than the sale
// refuses it first; then, with a fiscal printer, the pager number is drawn before the payment
// screen, for either road.
void SettleButton::sharedExchangeAndOrdinaryStart()
{
    SaleState &s = m_context.state();
    if (s.exchange.boTrocaMercadoria
        && Money::RoundDec(s.exchange.doRecebAux1 - Money::Trunc2(s.totals.doTotalVenda), 2) > 0) {
        const QString text = m_context.Msg(QStringLiteral("Valor_Saldo"));
        m_context.message(text, Ravuvozozod::Information);
        s.flags.boRecebendo = false;
        m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
        return;
    }
    if (s.settlement.stSenhaPedido.isEmpty() && s.params.boUTILIZAIMPFIS)
        s.settlement.stSenhaPedido = m_context.settlement().GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
    if (s.exchange.boTrocaMercadoria) {
        exchangeRoad();
        return;
    }
    OrdinaryRoad(m_context, m_end, m_run).run();
}

void refuseBeforePayment(SaleContext &context, RoadEnd &end, const QString &failure, const QString &method)
{
    SaleState &s = context.state();
    const bool connection = method.isEmpty() || failure.contains(QLatin1String("DBNETLIB"));
    const QString text = connection ? context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"))
                                    : QStringLiteral("O servidor não respondeu à consulta %1. A venda continua na tela "
                                                     "para novo recebimento.")
                                          .arg(method);
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          s.params.stIDESQUEMA, 0);
    s.flags.boRecebendo = false;
    end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
}
