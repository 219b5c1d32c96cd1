// The settle button: the guards every settlement passes, the buyer, the consumer's name, the
// waiter and the sale rows, then the choice of road inside the outer block.
#include "settlement.h"

#include "settlementserver.h"

#include <order/orderentry.h>
#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <screen/salecontext.h>
#include <screen/saledatasets.h>
#include <screen/salestate.h>
#include <screen/screenshell.h>

namespace {

// Clears boRecebendo on every way out of the common start, unless a road took the settlement
// over (the roads clear it at their own ends).
class ReceivingGuard
{
public:
    explicit ReceivingGuard(SaleFlags &flags) : m_flags(flags) {}
    ~ReceivingGuard()
    {
        if (!m_released)
            m_flags.boRecebendo = false;
    }
    ReceivingGuard(const ReceivingGuard &) = delete;
    ReceivingGuard &operator=(const ReceivingGuard &) = delete;
    void release() { m_released = true; }

private:
    SaleFlags &m_flags;
    bool m_released = false;
};

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

void Settlement::spbRecebClick(QObject *)
{
    SaleState &s = m_context.state();
    if (!biometricConfirmed())
        return;
    if (m_context.shell().VerificaImpressoraOk(true)) {
        s.flags.boRecebendo = false;
        return;
    }
    if (s.flags.boRecebendo)
        return; // a settlement is running: a second press does nothing
    s.flags.boRecebendo = true;
    s.figures.boRecebAux1 = true;
    m_lastRoadEnd = RoadEnd{};

    ReceivingGuard guard(s.flags);
    SettlementRun run;
    if (!saleMaySettle() || !operatorMessageAccepted())
        return;
    if (!m_context.shell().VerificaEstadoGaveta(s.params.stIDTIPOGAVETA))
        return;
    if (!buyerIdentifiedWhenRequired())
        return;
    if (!serverAnswers())
        return;
    writePendingRecords();
    const Field coupon = m_context.data().cdsItems.FindField(QStringLiteral("NRCUPOMFIS"));
    run.documentInHand = coupon.IsValid() ? coupon.AsString() : QString();
    askConsumerName();
    if (!waiterConfirmed(run))
        return;
    guard.release();

    try {
        clearPreviousDocumentValues();
        if (s.host.stModoVenda == QLatin1String("B"))
            combinedPromotions();
        chooseRoad(run);
    } catch (const EAbort &) {
        settlementAborted();
    } catch (const Consiste::EResultServ &error) {
        settlementFailed(error.text());
    } catch (const std::exception &error) {
        settlementFailed(QString::fromUtf8(error.what()));
    }
}

// The badge consumer asked for a biometric confirmation: the host's reading must name the
// sale's consumer.
bool Settlement::biometricConfirmed()
{
    SaleState &s = m_context.state();
    if (s.consumer.stRecebAux4 != QLatin1String("S"))
        return true;
    const BiometricAnswer answer = m_context.services().CriaConfirmaBio(BiometricRequest{s.host.stCdClienteVenda});
    if (answer.cdConsumidor == s.consumer.stCDCONSUMIDOR)
        return true;
    s.flags.boRecebendo = false;
    m_context.message(m_context.Msg(QStringLiteral("CONFBIO_NAO")), Ravuvozozod::Error);
    return false;
}

bool Settlement::saleMaySettle()
{
    SaleState &s = m_context.state();
    if (s.flags.boConsultaPreco) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_Preco")), Ravuvozozod::Error);
        return false;
    }
    const ClientDataSet &items = m_context.data().cdsItems;
    return items.Active() && !items.IsEmpty(); // an empty receipt settles nothing, silently
}

// The store's message to the operator; after a refusal the next press skips it once.
bool Settlement::operatorMessageAccepted()
{
    SaleState &s = m_context.state();
    const ClientDataSet &parameters = m_context.data().cdsParametrosQub;
    if (parameterColumn(parameters, "IDEXIBEMENSOP") == QLatin1String("S") && !s.flags.boProcessando) {
        const bool accepted = Ravuvozozod::Mensagem(parameterColumn(parameters, "DSMENSOPERLOJA"), QString(),
                                                    QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Information,
                                                    QString(), s.params.stIDESQUEMA, 0);
        if (!accepted) {
            s.flags.boProcessando = true;
            return false;
        }
        return true;
    }
    s.flags.boProcessando = false;
    return true;
}

bool Settlement::buyerRuleApplies() const
{
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    return p.stIDUTLINTFACELE == QLatin1String("N") && p.stIDUTLNFSVENCONS != QLatin1String("S")
        && (p.boSISTEMAQUBNFCE || p.boSISTEMAQUBSAT) && p.stIDCOLETOR != QLatin1String("C")
        && s.host.stModoVenda == QLatin1String("B") && p.doVROBRIGCPFNOTA != 0
        && !(s.totals.doTotalVenda < p.doVROBRIGCPFNOTA);
}

// Above the configured total the electronic document must name its buyer: the operator is
// told, the buyer dialog opens, its data goes onto every line, and the settlement stops so
// that the next press finds the data present.
bool Settlement::buyerIdentifiedWhenRequired()
{
    SaleState &s = m_context.state();
    const FiscalTexts &buyer = s.fiscal;
    if (!buyerRuleApplies()
        || (!buyer.stCpfCnpjNota.isEmpty() && !buyer.stNomeNota.isEmpty() && !buyer.stEnderecoNota.isEmpty()))
        return true;
    Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("VlrLimSemCPF")), QString(), QStringLiteral("N"),
                          QStringLiteral("N"), Ravuvozozod::Warning, QString(), s.params.stIDESQUEMA, 0);
    s.flags.boRecebendo = false;
    spbIncluiCpfClick(nullptr);
    ClientDataSet &items = m_context.data().cdsItems;
    writeIntoEveryLine(items, "NRINSCRCONS", s.fiscal.stCpfCnpjNota);
    writeIntoEveryLine(items, "NMCONSVEND", s.fiscal.stNomeNota);
    writeIntoEveryLine(items, "DSENDEVENDA", s.fiscal.stEnderecoNota);
    return false;
}

// The first server call of the settlement: a base that does not answer stops it here with one
// clear message, before the waiter, the sale rows or the payment screen ask it one by one.
bool Settlement::serverAnswers()
{
    const QString failure = settlementServer().serverProbe();
    if (failure.isEmpty())
        return true;
    refuseBeforePayment(failure);
    return false;
}

void Settlement::askConsumerName()
{
    SaleState &s = m_context.state();
    if (s.params.stIDSOLDIGCONS != QLatin1String("S") || !s.fiscal.stNomeNota.isEmpty())
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
bool Settlement::waiterConfirmed(SettlementRun &run)
{
    SaleState &s = m_context.state();
    OrderEntry &order = m_context.order();
    if (s.params.stIDINFVENBAL != QLatin1String("S")) {
        s.host.stCDVENDEDOR = s.rights.stCdVendedorOperador;
        // An operator with no waiter of its own is not looked up: the padded empty code would
        // only tell the cashier at every sale that waiter "0000" does not exist.
        if (!s.host.stCDVENDEDOR.trimmed().isEmpty())
            order.ValidaGarcom(run.waiterName, Consiste::Ajusta(s.host.stCDVENDEDOR, 4), QString());
        order.PreencheVenda(run.saleTotal);
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
        if (!order.ValidaGarcom(run.waiterName, s.host.stCDVENDEDOR, QStringLiteral("1"))) {
            s.host.stCDVENDEDOR.clear();
            return false;
        }
        order.PreencheVenda(run.saleTotal);
    } while (run.waiterName.isEmpty());
    return true;
}

// A settlement that takes no number of its own must not carry the last one's: the sale
// number, the NFC-e series and emission date and the approximate taxes would otherwise go
// into this sale's header, tickets and cancellation record. Likewise a document issued by the
// payment screen of an earlier sale must not spare this sale its number.
void Settlement::clearPreviousDocumentValues()
{
    SaleState &s = m_context.state();
    SettlementTexts &texts = s.settlement;
    texts.stRecebAux9.clear();
    texts.stConfRecebimento.clear();
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

void Settlement::chooseRoad(SettlementRun &run)
{
    const SaleFlags &flags = m_context.state().flags;
    if (flags.boCreditoPessoal)
        personalCreditRoad(run);
    else if (flags.boVendaDebito)
        consumerDebitRoad(run);
    else
        sharedExchangeAndOrdinaryStart(run);
}

// The block the exchange and the ordinary sale share: with a fiscal printer the pager number
// is drawn before the payment screen.
void Settlement::sharedExchangeAndOrdinaryStart(SettlementRun &run)
{
    SaleState &s = m_context.state();
    if (s.flags.boTrocaMercadoria) {
        exchangeRoad(run);
        return;
    }
    if (s.settlement.stSenhaPedido.isEmpty() && s.params.boUTILIZAIMPFIS)
        s.settlement.stSenhaPedido = GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
    ordinarySaleRoad(run);
}
