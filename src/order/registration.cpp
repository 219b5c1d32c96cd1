// Item registration: the checks every product passes, in their order, before it becomes a line
// of the open sale, and what follows a registration.
#include "orderentry.h"

#include "itemkinds_p.h"
#include "salemoney.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <consumer/consumersale.h>
#include <settlement/settlement.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>

#include <QDialog>
#include <QDebug>
#include <QLabel>
#include <QTimer>

#include <QPair>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <utility>
#include <sale/codes.h>
#include <sale/serverseams.h>

using Qub_movrela::Trunc2;

namespace {



bool isOneOf(int value, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

QTime hourOf(const QString &hhmm)
{
    return QTime(hhmm.left(2).toInt(), hhmm.mid(2, 2).toInt());
}

class Registration
{
public:
    Registration(SaleContext &context, const PreenchePedidoArgs &item)
        : m_context(context), m_state(context.state()), m_data(context.data()), m_item(item)
    {
    }

    // Answers the registration's Boolean; `registered` tells whether a line was added.
    bool run(bool &registered);

private:
    void checksAndRegister();
    void effectiveValues();
    bool quantityIsWhole();
    bool balanceFamily();
    bool balanceKind();
    bool basicProductOncePerDay();
    bool consumptionHours();
    bool debitLimits();
    bool creditLimits();
    bool serviceProducts();
    bool dailyQuantity();
    bool notZero();
    void registerLine(const ItemTax &taxa, const char *logStep);
    void poleDisplay();
    void saleOpen();

    void closing(bool registered);
    void closingQuietly(bool registered) noexcept;
    void promotionObservations();
    void observationProducts(const QString &NRSEQ, bool withCancelledRef);
    void ownLineComponents();
    void moveComponentObservations(const QString &NRSEQORIG);
    void automaticTab();

    void refuse(const QString &text);
    void resetEntry();
    void log(const QString &text);
    bool limitsApply() const;
    QString quantity() const { return m_item.QTPRODCOMVEN; }
    QString clientPrice() const { return m_item.VRPRECOCLIE; }

    SaleContext &m_context;
    SaleState &m_state;
    SaleDatasets &m_data;
    const PreenchePedidoArgs &m_item;
    QString m_price;    // effective unit price
    QString m_discount; // effective discount
    bool m_result = true;
};

bool Registration::run(bool &registered)
{
    const QString before = m_state.road.stNRSEQ;
    const int failuresBefore = std::uncaught_exceptions();
    bool closed = false;
    OnExit closeAfterFailure([this, &before, failuresBefore, &closed] {
        if (!closed && std::uncaught_exceptions() > failuresBefore)
            closingQuietly(m_state.road.stNRSEQ != before);
    });
    checksAndRegister();
    registered = m_state.road.stNRSEQ != before;
    // An observation product of the closing may end the whole entry (a personal-credit sale
    // and a product without family); the closing then must not run a second time.
    closed = true;
    closing(registered);
    return m_result;
}

// The closing of a registration a refusal or failure ended. That failure is what the caller
// learns; a second one raised here is logged rather than thrown out of the unwinding.
void Registration::closingQuietly(bool registered) noexcept
{
    try {
        closing(registered);
    } catch (const EAbort &) {
    } catch (const std::exception &error) {
        qWarning().noquote() << "PreenchePedido closing:" << error.what();
    }
}

void Registration::checksAndRegister()
{
    log(QStringLiteral("PreenchePedido - inicio"));
    effectiveValues();
    if (!quantityIsWhole() || !balanceFamily() || !balanceKind() || !debitLimits() || !creditLimits()
        || !serviceProducts() || !dailyQuantity() || !notZero())
        return;
    const ItemTax taxa = m_context.order().ValidaImpostoProduto(m_item.CDPRODUTO);
    if (!taxa.accepted)
        return;
    const Parameters &params = m_state.params;
    if (params.boUTILIZAIMPFIS || params.stIDMOMENTOCPFVEN == QLatin1String("A"))
        m_context.settlement().SolicitaCpf();

    const bool itemByItem = params.boUTILIZAIMPFIS && m_state.host.stModoVenda == SaleMode::Counter
                            && !isOneOf(params.inIDTIPOIMPFIS, {16, 21, 30});
    if (!itemByItem) {
        registerLine(taxa, "PreenchePedido - addProduto1: ");
    } else {
        const FiscalItemSale sold = m_context.order().VendeItemImpFiscal(m_item, m_price, m_discount, taxa);
        if (sold == FiscalItemSale::OpeningRefused)
            return;
        if (sold == FiscalItemSale::Sold)
            registerLine(taxa, "PreenchePedido - addProduto2: ");
        m_state.flags.boBalcaoAux1 = false;
    }
    poleDisplay();
    SaleTotals &totals = m_state.totals;
    totals.doQuantidade = 1.0;
    totals.doVrDescontoItem = 0.0;
    totals.doVrAcrescimoItem = 0.0;
    m_state.road.stQtdeCodBarra.clear();
    m_state.flags.boBalcaoAux1 = false;
    saleOpen();
}

// A discount that takes the whole line leaves it at one cent, by price rather than discount.
// Only a discount does: a product priced 0 with no discount is refused as worth nothing,
// not sold for a cent.
void Registration::effectiveValues()
{
    const double price = SaleMoney::number(m_item.VRPRECO);
    const double client = SaleMoney::number(clientPrice(), true);
    const double discount = SaleMoney::number(m_item.VRDESCONTO, true);
    const bool whole = discount > 0.0 && discount >= (price + client) * SaleMoney::number(quantity());
    m_price = whole ? QStringLiteral("0,01") : m_item.VRPRECO;
    m_discount = whole ? QStringLiteral("0") : m_item.VRDESCONTO;
}

bool Registration::quantityIsWhole()
{
    const bool fractional = quantity().contains(QLatin1Char('.')) || quantity().contains(QLatin1Char(','));
    if (!fractional || !isNo(m_item.IDPESAPROD) || !m_state.road.stQtdeCodBarra.isEmpty())
        return true;
    refuse(m_context.Msg(QStringLiteral("PROD_FRAC")));
    resetEntry();
    m_state.flags.boBalcaoAux1 = false;
    return false;
}

bool Registration::balanceFamily()
{
    m_state.counters.inPedidoAux2 = 0;
    m_state.counters.inPedidoAux3 = 0;
    m_state.consumer.stPedidoAux6.clear();
    if (!isYes(m_state.params.stIDPREVDSALDO) || m_state.host.stModoVenda != SaleMode::Tab
        || m_state.host.stCdClienteVenda.isEmpty() || m_state.consumer.stCDCONSUMIDOR.isEmpty())
        return true;
    if (m_item.CDFAMILISALD.isEmpty() && m_state.flags.boCreditoPessoal) {
        refuse(m_context.Msg(QStringLiteral("Ope_Fam")));
        return false;
    }
    m_context.consumer().preparaVarPreVDSaldo();
    return true;
}

bool Registration::balanceKind()
{
    const Parameters &params = m_state.params;
    if (!isYes(params.stIDSALDEXTDEBCON) || !m_state.flags.boVendaDebito)
        return true;
    const Variant packet = m_context.checkedValue(
        m_context.server().lookupsProducts.getTipoSaldoProd(params.stCDFILIAL, m_state.consumer.stCDTIPOCONS, m_item.CDPRODUTO),
        QStringLiteral("getTipoSaldoProd"),
        params.stCDFILIAL + QLatin1Char('-') + m_state.consumer.stCDTIPOCONS + QLatin1Char('-') + m_item.CDPRODUTO);
    ClientDataSet &kind = m_data.cdsTipoSaldoProd;
    kind.Close();
    if (packet.isPacket())
        kind.SetData(packet.packet());
    else
        kind.CreateDataSet();
    if (kind.IsEmpty())
        return true;
    kind.First();
    return basicProductOncePerDay() && consumptionHours();
}

bool Registration::basicProductOncePerDay()
{
    if (!isYes(m_data.cdsTipoSaldoProd.FieldByName(QStringLiteral("IDBLOQPROD")).AsString()))
        return true;
    const Parameters &params = m_state.params;
    const QString client = m_state.host.stCdClienteVenda;
    const QString consumer = m_state.consumer.stCDCONSUMIDOR;
    Variant sold;
    // Without today's count the once-a-day rule cannot be kept: the failure is shown and the
    // item is not sold.
    if (!m_context.checkAnswer(
            m_context.server().consumers.getProdBasVenDia(params.stCDFILIAL, client, consumer, m_item.CDPRODUTO),
            QStringLiteral("getProdVenDiaServ"),
            QStringList{params.stCDFILIAL, client, consumer, m_item.CDPRODUTO}.join(QLatin1Char('-')), sold))
        return false;
    if (sold.toDouble() < 1.0)
        return true;
    refuse(Lvm_msg::Format(m_context.Msg(QStringLiteral("PROD_UMAVEZ")), {m_item.CDPRODUTO}));
    return false;
}

bool Registration::consumptionHours()
{
    const ClientDataSet &kind = m_data.cdsTipoSaldoProd;
    const QString start = kind.FieldByName(QStringLiteral("HRINICIAL")).AsString();
    const QString end = kind.FieldByName(QStringLiteral("HRFINAL")).AsString();
    if (Consiste::EmptyString(start) || Consiste::EmptyString(end))
        return true;
    const QTime now = Clock::now().time();
    const QTime minute(now.hour(), now.minute());
    if (minute >= hourOf(start) && minute <= hourOf(end))
        return true;
    const QString format = QStringLiteral("hh:mm");
    refuse(Lvm_msg::Format(m_context.Msg(QStringLiteral("Tp_Sald_Prod_Fora_Hora")),
                           {hourOf(start).toString(format), hourOf(end).toString(format)}));
    resetEntry();
    return false;
}

bool Registration::limitsApply() const
{
    return isYes(m_state.consumer.stRecebAux6) && isNo(m_state.params.stIDPERCOMVENCPDC);
}

bool Registration::debitLimits()
{
    const QString &kinds = m_state.consumer.stPedidoAux6;
    const bool balance = isYes(m_state.params.stIDPREVDSALDO) && (kinds == QLatin1String("A") || kinds == QLatin1String("D"));
    if (!limitsApply() || !(m_state.flags.boVendaDebito || balance))
        return true;
    ConsumerSale &consumer = m_context.consumer();
    consumer.Sald_Gast_Cons(QStringLiteral("1"), m_state.host.stCdClienteVenda, m_state.consumer.stCDCONSUMIDOR,
                            m_state.consumer.stNmConsumidor, m_item.CDFAMILISALD, QString());
    if (consumer.Valida_Parametros_Debito_Consumidor(quantity(), m_price, clientPrice(), m_discount,
                                                     m_item.VRACRESCIMO, QStringLiteral("N")))
        return true;
    resetEntry();
    m_result = false;
    return false;
}

bool Registration::creditLimits()
{
    const QString &kinds = m_state.consumer.stPedidoAux6;
    const bool balance = isYes(m_state.params.stIDPREVDSALDO) && (kinds == QLatin1String("A") || kinds == QLatin1String("C"));
    if (!limitsApply() || !(m_state.flags.boCreditoPessoal || balance))
        return true;
    ConsumerSale &consumer = m_context.consumer();
    consumer.Sald_Gast_Cons(QStringLiteral("2"), m_state.host.stCdClienteVenda, m_state.consumer.stCDCONSUMIDOR,
                            m_state.consumer.stNmConsumidor, m_item.CDFAMILISALD, QString());
    if (consumer.Valida_Parametros_Credito_Pessoal(m_item.CDFAMILISALD, quantity(), m_price, clientPrice(),
                                                   m_discount, m_item.VRACRESCIMO, QStringLiteral("N"),
                                                   m_item.IDPROMOCAO))
        return true;
    resetEntry();
    m_result = false;
    return false;
}

bool Registration::serviceProducts()
{
    const SaleFlags &flags = m_state.flags;
    if (!(flags.boVendaDebito || flags.boVendaVista) || !m_state.consumer.boCartaoAux2 || !m_item.validaServico)
        return true;
    if (m_context.consumer().Valida_Produtos_Servico(m_item.CDPRODUTO, m_item.NMPRODUTO, quantity(), m_price,
                                                     clientPrice(), m_data.cdsItems))
        return true;
    resetEntry();
    SaleTotals &totals = m_state.totals;
    totals.doVrDescontoItem = 0.0;
    totals.doVrAcrComanda -= totals.doVrAcrescimoItem;
    totals.doVrAcrescimoItem = 0.0;
    return false;
}

bool Registration::dailyQuantity()
{
    if (!m_state.flags.boCreditoPessoal
        || m_context.consumer().Valida_QtdeDia_Credito_Pessoal(m_item.CDFAMILISALD, m_item.CDPRODUTO, quantity(),
                                                               m_data.cdsItems))
        return true;
    resetEntry();
    return false;
}

bool Registration::notZero()
{
    const double value = (SaleMoney::number(m_price) + SaleMoney::number(clientPrice(), true))
                         * SaleMoney::number(quantity());
    if (SaleMoney::cut(value) != 0.0)
        return true;
    refuse(m_context.Msg(QStringLiteral("PROD_ZERADO")));
    return false;
}

void Registration::registerLine(const ItemTax &taxa, const char *logStep)
{
    log(QString::fromLatin1(logStep) + m_item.CDPRODUTO + QStringLiteral(" - ") + m_item.NMPRODUTO);
    const PreenchePedidoArgs &i = m_item;
    m_context.order().AddProduto({i.CDPRODUTO, i.CDPRODPROMOCAO, i.NMPRODUTO, i.CDFAMILISALD,
                                  m_state.consumer.stCDSERVFILI, i.QTPRODCOMVEN, i.SGUNIDADE, m_price,
                                  m_discount, i.VRACRESCIMO, i.CDARVPROD, i.VRPRECOCLIE, taxa.CDORDALIQIMPR,
                                  taxa.VRALIQIMPR, i.IDPROMOCAO, i.NRSEQPRODCOM, i.CDPORIMPPROD, i.IDIMPCANITEM,
                                  i.CDCAMPPROMO, i.STOBSPEDIDO, i.STOBSDIGITADA, i.IDPESAPROD, i.NRSEQPROMOOBS,
                                  i.CDCAMPCOMPGANHE, i.DTINIVGCAMPCG, i.NRSEQITCANC, i.IDIMPPRGRPROMO,
                                  i.NRSEQORIG});
    m_context.setCaption(FormName::lblProduto, quantity() + QStringLiteral("x -") + m_item.NMPRODUTO);
    m_context.order().AtualizaExtrato();
}

void Registration::poleDisplay()
{
    const Parameters &params = m_state.params;
    if (!params.boDISPLAYOK)
        return;
    Pkg_Hrk00001 &devices = m_context.devices();
    devices.LimpaDisplay();
    const int width = params.inTAMDISPLAY;
    devices.DisplayEnviaTexto({(quantity() + QStringLiteral("x ") + m_item.NMPRODUTO).left(std::max(width, 0)), 1, 1, 0, 0});
    const double price = Trunc2(SaleMoney::number(m_price));
    const QString priceText = PtBr::FormatFloat(QStringLiteral("0.00"), price);
    const QString valueText =
        PtBr::FormatFloat(QStringLiteral("0.00"), SaleMoney::cut(SaleMoney::number(quantity()) * price));
    const int field = std::max(width - int(priceText.size()) - 1, 0);
    devices.DisplayEnviaTexto({priceText + QLatin1Char(' ') + Consiste::TamFixoR(valueText, field), 2, 1, 0, 0});
}

void Registration::saleOpen()
{
    const Parameters &params = m_state.params;
    if (!params.boUTILIZAIMPFIS || isOneOf(params.inIDTIPOIMPFIS, {16, 30})) {
        m_state.flags.boCupomAberto = true;
        m_context.screen().ControleAcessoBotoes();
        if (m_state.host.stModoVenda == SaleMode::Counter)
            m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Cupom_Aberto")));
    }
    m_context.form().update();
    log(QStringLiteral("PreenchePedido - fim"));
}

// ---- closing steps, run on every way out -------------------------------------------------------

void Registration::closing(bool registered)
{
    // The refill mark belongs to the one entry that set it: left standing, it would make the
    // observation items below and every later line free refills.
    m_state.road.stAddProdAux3.clear();
    // Observation products and components hang under the line just registered; after a
    // refusal they would hang under (and be charged to) the line before it.
    if (!m_item.IDPROMOCAO.isEmpty() && registered)
        promotionObservations();
    automaticTab();
    m_state.busy.boDigitacaoAux1 = false;
}

void Registration::promotionObservations()
{
    m_state.road.stPedidoAux4 = m_state.road.stNRSEQ;
    const QString filterKey = isYes(m_item.IDPROMOCAO) ? QString()
                                                          : Consiste::Ajusta(m_item.NRSEQPROMOOBS, 3);
    ClientDataSet &control = m_data.cdsControlPromoObs;
    if (control.Active()) {
        control.SetFilter([filterKey](const ClientDataSet &row) {
            return filterKey.isEmpty() ? !isYes(row.FieldByName(QStringLiteral("IDIMPGRPROMO")).AsString())
                                       : row.FieldByName(QStringLiteral("NRSEQ")).AsString() == filterKey;
        });
        control.SetFiltered(true);
        observationProducts(m_state.road.stNRSEQ, true);
        control.SetFiltered(false);
        control.SetFilter({});
    }
    ownLineComponents();
    m_state.road.stPedidoAux4.clear();
}

// Registers each filtered row of cdsControlPromoObs as a line under `NRSEQ`, without the
// observation dialog.
void Registration::observationProducts(const QString &NRSEQ, bool withCancelledRef)
{
    RoadFields &road = m_state.road;
    road.stPedidoAux4 = NRSEQ;
    road.stPedidoAux5 = QStringLiteral("S");
    ClientDataSet &control = m_data.cdsControlPromoObs;
    QList<QPair<double, QString>> rows;
    for (control.First(); !control.Eof(); control.Next())
        rows.append({control.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat(),
                     control.FieldByName(QStringLiteral("CDPRODUTO")).AsString()
                         + QLatin1Char('\n') + control.FieldByName(QStringLiteral("NRSEQITCANC")).AsString()});
    for (const auto &[quantity, codes] : rows) {
        const QString product = codes.section(QLatin1Char('\n'), 0, 0);
        const QString cancelled = withCancelledRef ? codes.section(QLatin1Char('\n'), 1) : QString();
        m_context.setCaption(FormName::lblBuffer, product);
        road.stPedidoAux3 = m_state.params.stIDSOLOBSPED;
        m_state.setAskOrderNotes(QStringLiteral("N"));
        OnExit restore([&state = m_state, saved = road.stPedidoAux3] { state.setAskOrderNotes(saved); });
        m_context.order().AdicionaItemObs(quantity, 0.0, 0.0, QString(), QString(), cancelled, QStringLiteral("N"),
                                          QString(), QString());
        m_context.setCaption(FormName::lblBuffer, QString());
    }
    road.stPedidoAux5.clear();
}

// Components printed as lines of their own, with their observations moved onto those lines.
void Registration::ownLineComponents()
{
    ClientDataSet &components = m_data.cdsItPromoComb;
    if (!components.Active())
        return;
    const QString header = m_state.road.stPedidoAux4;
    components.SetFilter([header](const ClientDataSet &row) {
        return row.FieldByName(QStringLiteral("NRSEQ")).AsString() == header;
    });
    components.SetFiltered(true);
    QList<int> rows;
    for (components.First(); !components.Eof(); components.Next()) {
        if (isYes(components.FieldByName(QStringLiteral("IDIMPGRPROMO")).AsString()))
            rows.append(components.RecNo());
    }
    for (int recNo : rows) {
        components.SetRecNo(recNo);
        auto field = [&](const char *name) { return components.FieldByName(QString::fromLatin1(name)); };
        const QString origin = field("NRSEQORIG").AsString();
        m_context.setCaption(FormName::lblBuffer, field("CDPRODUTO").AsString());
        m_context.order().AdicionaItemObs(field("QTPRODVEND").AsFloat(), field("VRDESCONTO").AsFloat(),
                                          field("VRACRESCIMO").AsFloat(), field("TXPRODCOMVENEST").AsString(),
                                          field("DSOBSPEDDIGEST").AsString(), field("NRSEQITCANC").AsString(),
                                          field("IDIMPGRPROMO").AsString(), origin, field("IDPESAPROD").AsString());
        m_context.setCaption(FormName::lblBuffer, QString());
        moveComponentObservations(origin);
        ClientDataSet &control = m_data.cdsControlPromoObs;
        if (control.Active()) {
            const QString key = Consiste::Ajusta(origin, 3);
            control.SetFilter([key](const ClientDataSet &row) {
                return row.FieldByName(QStringLiteral("NRSEQ")).AsString() == key;
            });
            control.SetFiltered(true);
            const QString parent = m_state.road.stPedidoAux4;
            observationProducts(m_state.road.stNRSEQ, false);
            m_state.road.stPedidoAux4 = parent;
            control.SetFiltered(false);
            control.SetFilter({});
        }
    }
    components.SetFiltered(false);
    components.SetFilter({});
}

void Registration::moveComponentObservations(const QString &NRSEQORIG)
{
    ClientDataSet &pending = m_data.cdsObsItensEst;
    ClientDataSet &lines = m_data.cdsObsItens;
    if (!pending.Active())
        return;
    if (!lines.Active())
        lines.CreateDataSet();
    pending.SetFilter([NRSEQORIG](const ClientDataSet &row) {
        return row.FieldByName(QStringLiteral("NRSEQORIG")).AsString() == NRSEQORIG;
    });
    pending.SetFiltered(true);
    ClientDataSet &control = m_data.cdsControlPromoObs;
    pending.First();
    while (!pending.IsEmpty() && !pending.Eof()) {
        auto from = [&](const char *name) { return pending.FieldByName(QString::fromLatin1(name)).AsString(); };
        lines.Append();
        auto to = [&](const char *name, const QString &value) {
            lines.FieldByName(QString::fromLatin1(name)).SetAsString(value);
        };
        to("NRSEQ", m_state.road.stNRSEQ);
        to("CDPRODUTO", from("CDPRODUTO"));
        to("CDGRPOCOR", from("CDGRPOCOR"));
        to("CDOCORR", from("CDOCORR"));
        to("DSOCORR", m_context.server().lookupsTills.getDsOcorr(from("CDGRPOCOR"), from("CDOCORR")));
        if (control.Active() && control.Locate(QStringLiteral("CDOCORR"), from("CDOCORR")))
            to("CDPRODOBS", control.FieldByName(QStringLiteral("CDPRODUTO")).AsString());
        lines.Post();
        pending.Delete();
    }
    pending.SetFiltered(false);
    pending.SetFilter({});
}

void Registration::automaticTab()
{
    if (m_state.host.stModoVenda != SaleMode::Tab || m_state.params.stIdTpTelaVe != QLatin1String("A") || !m_data.cdsItems.Active()
        || m_data.cdsItems.IsEmpty())
        return;
    // The panel arms timComandaAuto when it hides.
    m_context.order().MsgComandaAuto();
}

// ---- small steps --------------------------------------------------------------------------------

void Registration::refuse(const QString &text)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(),
                          m_state.params.stIDESQUEMA, 0);
}

void Registration::resetEntry()
{
    m_context.setCaption(FormName::lblProduto, QString());
    m_state.totals.doQuantidade = 1.0;
}

void Registration::log(const QString &text)
{
    if (m_state.flags.boCreditoPessoal)
        m_context.consumer().LogFamSaldo(text);
}

} // namespace

bool OrderEntry::PreenchePedido(const PreenchePedidoArgs &Item)
{
    m_lastRegistered = false;
    // The refill belongs to this registration alone, not to the observation lines it adds.
    const PendingRefill refill = std::exchange(*m_pendingRefill, PendingRefill{});
    const bool refillLine = !m_context.state().road.stAddProdAux3.isEmpty();
    bool registered = false;
    OnExit settle([this, &refill, &registered, refillLine, &Item] {
        RefillControl(m_context, *m_pendingRefill).settle(refill, registered && refillLine, Item);
    });
    const bool answer = Registration(m_context, Item).run(registered);
    m_lastRegistered = registered;
    return answer;
}
