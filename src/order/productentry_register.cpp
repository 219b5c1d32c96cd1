// The second half of the product pipeline: promotion products, price consultation, variable
// price, the buy-and-win prizes and the registration of the line or lines.
#include "productentry.h"

#include "orderentry.h"

#include <consumer/consumersale.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QDebug>
#include <QLabel>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {


double priceValue(SaleContext &context, const char *column)
{
    return context.data().cdsRetornaPreco.FindField(QString::fromLatin1(column)).AsFloat();
}

QString priceText(SaleContext &context, const char *column)
{
    return context.data().cdsRetornaPreco.FindField(QString::fromLatin1(column)).AsString();
}

QString text(const ClientDataSet &dataset, const char *column)
{
    return dataset.FindField(QString::fromLatin1(column)).AsString();
}

// A validity date of the product copy: "dd/mm/yyyy" (with or without a time) or ISO.
QDate readDate(const QString &value)
{
    bool ok = false;
    const QDateTime stamp = PtBr::StrToDateTime(value, &ok);
    if (ok)
        return stamp.date();
    const QDate date = PtBr::StrToDate(value, &ok);
    if (ok)
        return date;
    return QDate::fromString(value.left(10), Qt::ISODate);
}

void loadPacket(ClientDataSet &dataset, const Variant &value)
{
    if (value.isPacket())
        dataset.SetData(value.packet());
    else if (dataset.Active())
        dataset.EmptyDataSet();
}

bool holdsRows(const ClientDataSet &dataset)
{
    return dataset.Active() && !dataset.IsEmpty();
}

} // namespace

std::function<bool(SaleContext &, const PreenchePedidoArgs &)> &preenchePedidoHook()
{
    static std::function<bool(SaleContext &, const PreenchePedidoArgs &)> hook =
        [](SaleContext &context, const PreenchePedidoArgs &args) {
            return context.order().PreenchePedido(args);
        };
    return hook;
}

bool ProductEntry::registerItem(const PreenchePedidoArgs &args)
{
    // A benefit use reserved for this item goes back when the item does not register.
    OnExit settleBenefit([this] { m_context.consumer().settlePendingBenefit(); });
    return preenchePedidoHook()(m_context, args);
}

// ---- promotion -----------------------------------------------------------------------------

// False when the promotion function declined the item on an entry that goes on quietly (the
// product button); the other entries end there with the silent abort.
bool ProductEntry::expandPromotion()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    data.cdsItPromoCombAux.Close();
    m_group.clear();
    const QString &kind = m_product.IDTIPOCOMPPROD;
    if ((kind != QLatin1String("3") && kind != QLatin1String("6")) || consulting())
        return true;
    checkPromotionDates();
    SmartPromotionRequest request;
    request.cdProduto = m_product.priceCode();
    request.nmProduto = m_product.NMPRODUTO;
    request.cdClienteVenda = state.host.stCdClienteVenda;
    request.cdConsumidor = state.consumer.stCDCONSUMIDOR;
    request.idImpProduto = m_product.IDIMPPRODUTO;
    request.idPercValor = priceText(m_context, "IDPERCVALOR");
    request.idAcreDesc = priceText(m_context, "IDACREDESC");
    request.vrPreco = priceValue(m_context, "VRPRECO");
    request.vrPrecoDia = priceValue(m_context, "VRPRECODIA");
    request.doQuantidade = state.totals.doQuantidade;
    request.hasDiscount = m_hasDiscount;
    request.vendaDebito = state.flags.boVendaDebito;
    request.nrVendaRest = state.host.stNRVENDAREST;
    request.modoVenda = state.host.stModoVenda;
    SmartPromotionDatasets datasets{data.cdsItPromoCombAux, data.cdsItPromoObs,
                                    data.cdsControlPromoObs, data.cdsItems};
    if (!m_context.services().CriaPromocaoInteligente(request, datasets)) {
        if (m_options.undoesLineValuesWhenPromotionDeclined) {
            SaleTotals &totals = state.totals;
            totals.doVrAcrComanda -= Qub_movrela::Trunc2(priceValue(m_context, "VRACRESCIMO")
                                                         * totals.doQuantidade);
            totals.doVrAcrescimoItem = 0;
            totals.doVrDescontoItem = 0;
            state.road.stBalcaoAux2.clear();
            itemGroup();
            return false;
        }
        if (m_options.clearsBufferOnRefusal)
            clearBuffer();
        Abort();
    }
    itemGroup();
    if (m_options.promotionAccepted)
        m_options.promotionAccepted();
    return true;
}

// One above the highest group of the order, on the server and in this sale.
void ProductEntry::itemGroup()
{
    SaleState &state = m_context.state();
    const Variant answer = m_context.checkedValue(
        m_context.server().lookupsProducts.getAgrupProd(state.params.stCDFILIAL, state.host.stNRCOMANDA, state.host.stNRVENDAREST),
        QStringLiteral("getAgrupProd"), state.params.stCDFILIAL);
    QString group = Consiste::Ajusta(answer.toString(), 3);
    ClientDataSet &items = m_context.data().cdsItems;
    if (items.Active()) {
        const Bookmark kept = items.GetBookmark();
        for (items.First(); !items.Eof(); items.Next())
            group = qMax(group, text(items, "NRSEQPRODCOM"));
        if (!kept.isNull())
            items.GotoBookmark(kept);
    }
    m_group = Consiste::Ajusta(QString::number(group.toInt() + 1), 3);
}

void ProductEntry::checkPromotionDates()
{
    QString start = m_product.DTINIVGPROMOC;
    QString end = m_product.DTFINVGPROMOC;
    const QDate today = Clock::now().date();
    if (m_options.fillsOpenPromotionDates) {
        if (start.isEmpty())
            start = PtBr::DateToStr(today.addDays(-1));
        if (end.isEmpty())
            end = PtBr::DateToStr(today.addDays(1));
    }
    const QDate from = readDate(start);
    const QDate to = readDate(end);
    if ((to.isValid() && today > to) || (from.isValid() && today < from))
        refuse(QStringLiteral("DT_PROMO_INV"), 3, false, {start, end});
}

// ---- consultation, variable price, limits --------------------------------------------------

void ProductEntry::showConsultation()
{
    const SaleState &state = m_context.state();
    m_context.services().CriaConsultaProd({m_product.CDARVPROD, state.host.stCdClienteVenda,
                                           state.consumer.stCDCONSUMIDOR, state.flags.boCupomAberto});
    if (m_options.entry != EntryOptions::Entry::Search)
        clearBuffer();
    m_context.state().busy.boDigitacaoAux1 = false;
}

void ProductEntry::variablePrice()
{
    if (!isYes(priceText(m_context, "IDPRECVARIA")))
        return;
    const QString tablePrice = PtBr::FloatToStr(priceValue(m_context, "VRPRECO"));
    KeypadRequest request;
    request.value = m_price;
    request.title = m_context.Msg(QStringLiteral("venda"));
    request.prompt = m_context.messages().find(QStringLiteral("Inf_Prec")).value_or(QStringLiteral("Informe o preço do produto"));
    request.emptyMessage = m_context.Msg(QStringLiteral("Valor_Deve"));
    request.maxLength = 10;
    request.option1 = 1;
    request.option2 = 1;
    request.option3 = 0;
    request.defaultText = tablePrice;
    request.lastFlag = 0;
    const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
    bool ok = false;
    PtBr::StrToFloat(answer.value, &ok);
    m_price = answer.confirmed && ok ? answer.value : tablePrice;
}

// The button road's value checks. The sale total is the sale's own number, never the total
// label's caption read back.
void ProductEntry::checkValueLimits()
{
    SaleState &state = m_context.state();
    const double price = PtBr::StrToFloat(m_price);
    if (Qub_movrela::Trunc2(price + priceValue(m_context, "VRPRECOCLIE")) == 0)
        refuse(QStringLiteral("Valor_zerado"));
    if (price * state.totals.doQuantidade + state.totals.doTotalVenda > 999999.99) {
        reenableButtons();
        refuse(QStringLiteral("Lim_Pag"));
    }
}

// ---- buy-and-win ---------------------------------------------------------------------------

void ProductEntry::offerPrizes()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    // Prizes belong to the item that chose them, never to a later one.
    for (ClientDataSet *prizes : {&data.cdsPremio, &data.cdsPremioComb, &data.cdsPremioObs})
        prizes->Close();
    const Variant campaign = m_context.checkedValue(m_context.server().loyalty.getCampCompGanhe(m_product.CDPRODUTO),
                                                    QStringLiteral("getCampCompGanhe"), m_product.CDPRODUTO);
    loadPacket(data.cdsCampanha, campaign);
    if (!holdsRows(data.cdsCampanha) || !isYes(text(data.cdsCampanha, "IDDIAUTIL")))
        return;
    const QString code = text(data.cdsCampanha, "CDCAMPCOMPGANHE");
    const QDateTime start = data.cdsCampanha.FieldByName(QStringLiteral("DTINIVGCAMPCG")).AsDateTime();
    const Variant prizes = m_context.checkedValue(m_context.server().loyalty.getBrCampCompGanhe(code, start),
                                                  QStringLiteral("getBrCampCompGanhe"),
                                                  code + QLatin1Char('-') + PtBr::DateTimeToStr(start));
    loadPacket(data.cdsBrindeCamp, prizes);
    const double quantity = state.totals.doQuantidade;
    const QList<Variant> values = {
        Variant(data.cdsBrindeCamp.Data()), m_product.CDARVPROD, m_product.NMPRODUTO, code,
        text(data.cdsCampanha, "DSCAMPCOMPGANHE"),
        Qub_movrela::Trunc2(data.cdsCampanha.FieldByName(QStringLiteral("QTCOMPGANHE")).AsFloat() * quantity),
        start, state.params.stCDFILIAL, state.params.stCDLOJA, state.host.stCdClienteVenda,
        state.consumer.stCDCONSUMIDOR,
        priceValue(m_context, "VRPRECO") + priceValue(m_context, "VRPRECOCLIE")
            - priceValue(m_context, "VRDESCONTO") + priceValue(m_context, "VRACRESCIMO")};
    state.results.vaRetorno = Variant::array(10);
    const Variant confirmed = m_context.order().CriaCampCompGanhe(values, state.results.vaRetorno);
    if (!(confirmed.kind() == Variant::Kind::Boolean && confirmed.toBool()))
        Abort();
    const Variant &answer = state.results.vaRetorno;
    loadPacket(data.cdsPremio, answer.at(0));
    loadPacket(data.cdsPremioComb, answer.at(1));
    loadPacket(data.cdsPremioObs, answer.at(2));
    state.totals.doComboAux1 = answer.at(3).toDouble();
    if (!holdsRows(data.cdsPremio) || quantity == 0)
        return;
    const double unitPrize = Qub_movrela::Trunc2(state.totals.doComboAux1 / quantity);
    const double price = Qub_movrela::Trunc2(PtBr::StrToFloat(m_price));
    if (unitPrize < price)
        m_price = PtBr::FloatToStr(Qub_movrela::Trunc2(price - unitPrize));
}

// ---- registration --------------------------------------------------------------------------

PreenchePedidoArgs ProductEntry::productArgs() const
{
    const SaleTotals &totals = m_context.state().totals;
    PreenchePedidoArgs args;
    args.CDPRODUTO = m_product.priceCode();
    args.CDPRODPROMOCAO = m_product.priceCode();
    args.CDARVPROD = m_product.CDARVPROD;
    args.NMPRODUTO = m_product.NMPRODUTO;
    args.CDFAMILISALD = m_product.CDFAMILISALD;
    args.VRPRECO = m_price;
    args.VRDESCONTO = PtBr::FloatToStr(totals.doVrDescontoItem);
    args.VRACRESCIMO = PtBr::FloatToStr(totals.doVrAcrescimoItem);
    args.IDPESAPROD = m_product.IDPESAPROD;
    args.VRPRECOCLIE = PtBr::FloatToStr(priceValue(m_context, "VRPRECOCLIE"));
    args.QTPRODCOMVEN = PtBr::FloatToStr(totals.doQuantidade);
    args.SGUNIDADE = m_product.SGUNIDADE;
    args.QTTARAPROD = PtBr::StrToFloat(m_product.QTTARAPROD);
    args.validaServico = true;
    args.CDPORIMPPROD = m_printer;
    args.IDIMPCANITEM = m_cancelPrint;
    args.IDIMPPRGRPROMO = QStringLiteral("N");
    return args;
}

void ProductEntry::registerLines()
{
    SaleDatasets &data = m_context.data();
    if (m_product.IDIMPPRODUTO == QLatin1String("1")) {
        registerAttached();
        afterRegistration(true, false);
    } else if (holdsRows(data.cdsItPromoCombAux)) {
        registerComponents();
        afterRegistration(false, false);
    } else {
        registerPlain();
        afterRegistration(false, true);
    }
}

void ProductEntry::afterRegistration(bool attachedForm, bool plainForm)
{
    using Clear = EntryOptions::BufferAfterRegistration;
    const Clear rule = m_options.bufferAfterRegistration;
    if (rule == Clear::Always || (rule == Clear::NotAfterAttached && !attachedForm)
        || (rule == Clear::OnlyPlain && plainForm))
        clearBuffer();
    SaleDatasets &data = m_context.data();
    if (!holdsRows(data.cdsPremio))
        return;
    if (data.cdsControlPromoObs.Active())
        data.cdsControlPromoObs.EmptyDataSet();
    m_context.order().AdicionaPremio();
}

void ProductEntry::registerPlain()
{
    const SaleState &state = m_context.state();
    m_context.consumer().FidelidadeBalcao(state.host.stCdClienteVenda, state.host.stCdConsumidorVenda,
                                          m_product.priceCode(), m_product.NMPRODUTO, m_price,
                                          PtBr::FloatToStr(state.totals.doVrDescontoItem));
    registerItem(productArgs());
}

// Each component of the promotion becomes a line of its own, in the promotion's group.
void ProductEntry::registerComponents()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    ClientDataSet &components = data.cdsItPromoCombAux;
    OrderEntry &order = m_context.order();
    if (holdsRows(data.cdsPremio))
        order.AjustaPrecoCombo(m_product.CDPRODUTO);
    SaleTotals &totals = state.totals;
    totals.doVrAcrComanda -= Qub_movrela::Trunc2(priceValue(m_context, "VRACRESCIMO") * totals.doQuantidade);
    totals.doVrAcrescimoItem = 0;
    totals.doDigitacaoAux1 = order.RetornaPrecoCombo();
    for (components.First(); !components.Eof(); components.Next()) {
        totals.doVrDescontoItem = 0;
        m_context.consumer().FidelidadeBalcao(state.host.stCdClienteVenda, state.host.stCdConsumidorVenda,
                                              text(components, "CDPRODUTO"), text(components, "NMPRODUTO"),
                                              text(components, "VRUNVENDAEST"), text(components, "VRDESCONTO"));
        totals.doVrAcrComanda += components.FindField(QStringLiteral("VRACRESCIMO")).AsFloat();
        PreenchePedidoArgs args;
        args.CDPRODUTO = text(components, "CDPRODUTO");
        args.CDPRODPROMOCAO = text(components, "CDPRODVENDA");
        args.CDARVPROD = text(components, "CDARVPROD");
        args.NMPRODUTO = text(components, "NMPRODUTO");
        args.CDFAMILISALD = text(components, "CDFAMILISALD");
        args.VRPRECO = text(components, "VRUNVENDAEST");
        args.VRDESCONTO = totals.doVrDescontoItem > 0 ? PtBr::FloatToStr(totals.doVrDescontoItem)
                                                    : text(components, "VRDESCONTO");
        args.VRACRESCIMO = text(components, "VRACRESCIMO");
        args.IDPESAPROD = text(components, "IDPESAPROD");
        args.VRPRECOCLIE = text(components, "VRPRECOCLIE");
        args.QTPRODCOMVEN = text(components, "QTPRODVEND");
        args.SGUNIDADE = text(components, "SGUNIDADE");
        args.IDPROMOCAO = QStringLiteral("N");
        args.NRSEQPRODCOM = m_group;
        args.QTTARAPROD = components.FindField(QStringLiteral("QTTARAPROD")).AsFloat();
        args.CDPORIMPPROD = m_printer;
        args.IDIMPCANITEM = m_cancelPrint;
        args.CDCAMPPROMO = text(components, "CDCAMPPROMO");
        args.STOBSPEDIDO = text(components, "STOBSPEDIDO");
        args.STOBSDIGITADA = text(components, "STOBSDIGITADA");
        args.NRSEQPROMOOBS = text(components, "NRSEQ");
        args.IDIMPPRGRPROMO = QStringLiteral("N");
        registerItem(args);
    }
    components.EmptyDataSet();
}
