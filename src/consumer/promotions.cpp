#include "promotions_p.h"

#include <order/orderentry.h>

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <runtime/messages.h>
#include <outside/ping.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>

#include <QDialog>
#include <QMap>
#include <runtime/ptbr.h>

namespace {

QString text(const ClientDataSet &data, const char *field)
{
    return data.FindField(QString::fromLatin1(field)).AsString();
}

// Loads an answered list; a list that cannot be read leaves the dataset open and empty.
void load(ClientDataSet &dataset, const DataPacket &packet)
{
    if (dataset.SetData(packet))
        return;
    if (!dataset.Active())
        dataset.CreateDataSet();
    dataset.EmptyDataSet();
}

bool locateLine(ClientDataSet &items, const QString &NRSEQ, const QString &CDPRODUTO)
{
    if (!items.Active())
        return false;
    for (items.First(); !items.Eof(); items.Next()) {
        if (text(items, "NRSEQ") == NRSEQ && text(items, "CDPRODUTO") == CDPRODUTO)
            return true;
    }
    return false;
}

} // namespace

PromotionConsultation::PromotionConsultation(SaleContext &context)
    : m_context(context)
{
}

void PromotionConsultation::run()
{
    if (alreadyUsed())
        return;
    SaleState &state = m_context.state();
    AdditionalDataRequest cpfForm;
    cpfForm.idEsquema = state.params.stIDESQUEMA;
    cpfForm.valueCount = 8;
    const QString cpf = m_context.services().CriaInfAdicional(cpfForm).document.trimmed();
    if (cpf.isEmpty())
        return;
    AdditionalDataRequest codeForm;
    codeForm.idEsquema = state.params.stIDESQUEMA;
    codeForm.value8 = QStringLiteral("S");
    codeForm.value10 = QStringLiteral("S");
    codeForm.valueCount = 11;
    const QString code = m_context.services().CriaInfAdicional(codeForm).code.toUpper();
    QString orderId;
    if (!exchange(cpf, code, orderId))
        return;
    SaleDatasets &data = m_context.data();
    if (data.cdsPromocaoInt.IsEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("NAO_HA_PROMO")), Ravuvozozod::Error);
        return;
    }
    setPromoComanda(cpf, orderId);
    OnExit unfilter([this] { clearFilters(); });
    QString chosen;
    if (!chooseOffered(chosen))
        return;
    QList<Change> changes;
    if (!gatherChanges(chosen, changes))
        return;
    if (apply(changes))
        markApplied(chosen);
}

bool PromotionConsultation::alreadyUsed()
{
    ClientDataSet &kept = m_context.data().cdsPromoComanda;
    if (!kept.Active())
        return false;
    for (kept.First(); !kept.Eof(); kept.Next()) {
        if (text(kept, "IDTPPROMOCOM") == QLatin1String("O") && text(kept, "IDUTPROMOCOM") == QLatin1String("S")) {
            m_context.message(m_context.messages().Msg(QStringLiteral("PROMO_JA_UTIL"), {text(kept, "NMPROMOCOM")}),
                              Ravuvozozod::Error);
            return true;
        }
    }
    return false;
}

// Sends the cart and asks its promotions, with the waiting window up the whole time.
bool PromotionConsultation::exchange(const QString &cpf, const QString &code, QString &orderId)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    Pkg_Hrk00002 &host = m_context.services();
    host.AtivaProcesso({&m_context.form(), m_context.Msg(QStringLiteral("AGUARDE_CONS_PROMO")), 0, 0});
    OnExit close([&host] { host.DesativaProcesso(); });
    PromoRequest send;
    send.operation = QStringLiteral("ENVIO_CARRINHO");
    send.url = state.params.stCDURLINTEPROMO;
    send.cpf = cpf;
    send.origin = QStringLiteral("BAL");
    send.when = Variant(Clock::now());
    send.items = Variant(data.cdsItems.Data());
    send.cdFilial = state.params.stCDFILIAL;
    send.cdLoja = state.params.stCDLOJA;
    send.promoCode = code;
    const PromoAnswer sent = host.IntegracaoPromo(send);
    if (!sent.answered) {
        m_context.message(m_context.Msg(QStringLiteral("FALHA_CONEXAO_PROMO")), Ravuvozozod::Error);
        return false;
    }
    load(data.cdsErros, sent.errors);
    if (sent.error) {
        m_context.message(ErrosPromocoes(m_context.Msg(QStringLiteral("ERRO_ENVIO_CAR"))), Ravuvozozod::Error);
        return false;
    }
    orderId = sent.orderId;
    PromoRequest consult;
    consult.operation = QStringLiteral("CONSULTA_CARRINHO");
    consult.url = state.params.stCDURLINTEPROMO;
    consult.when = Variant(0);
    consult.items = Variant::null();
    consult.orderId = orderId;
    const PromoAnswer answer = host.IntegracaoPromo(consult);
    if (!answer.answered) {
        m_context.message(m_context.Msg(QStringLiteral("FALHA_CONEXAO_PROMO")), Ravuvozozod::Error);
        return false;
    }
    load(data.cdsPromocaoInt, answer.promotions);
    load(data.cdsProdutosInt, answer.products);
    load(data.cdsErros, answer.errors);
    if (answer.error) {
        m_context.message(ErrosPromocoes(m_context.Msg(QStringLiteral("ERRO_CONSULTA_CAR"))), Ravuvozozod::Error);
        return false;
    }
    return true;
}

bool PromotionConsultation::chooseOffered(QString &chosen)
{
    ClientDataSet &offered = m_context.data().cdsPromocaoInt;
    // A typed predicate: the service's identifiers never become filter text.
    offered.SetFilter([](const ClientDataSet &row) {
        return row.FieldByName(QStringLiteral("IDTPPROMOCAO")).AsString() == QLatin1String("O");
    });
    offered.SetFiltered(true);
    offered.First();
    if (offered.IsEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("NAO_HA_PROMO_PROD")), Ravuvozozod::Error);
        return false;
    }
    SearchRequest request;
    request.secondValue = QStringLiteral("N");
    if (!m_context.services().Pesquisa(request, offered) || offered.IsEmpty())
        return false;
    chosen = text(offered, "IDPROMOCAO");
    return !chosen.isEmpty();
}

// Reads and checks every product row of the chosen promotion before anything changes, so a
// bad row or an unknown product leaves the sale as it was (never half a promotion).
bool PromotionConsultation::gatherChanges(const QString &chosen, QList<Change> &changes)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &products = data.cdsProdutosInt;
    const Parameters &params = m_context.state().params;
    // Lines sold item by item on the fiscal printer are already on its coupon.
    const bool printedLines = params.boUTILIZAIMPFIS && PrinterModel::sellsItemByItem(params.inIDTIPOIMPFIS);
    for (products.First(); !products.Eof(); products.Next()) {
        if (text(products, "IDPROMOCAO") != chosen)
            continue;
        Change change;
        change.row = products.RecNo();
        change.CDPRODUTO = text(products, "CDPRODUTO");
        const Field price = products.FieldByName(QStringLiteral("VRPRECCOMVEN"));
        const Field quantity = products.FieldByName(QStringLiteral("QTPRODCOMVEN"));
        change.price = price.AsFloat();
        change.quantity = quantity.AsFloat();
        const QString line = Consiste::Ajusta(text(products, "NRPRODCOMVEN"), 3);
        change.lineFound = locateLine(data.cdsItems, line, change.CDPRODUTO);
        change.add = !change.lineFound && text(products, "INCLUIDO") == QLatin1String("true");
        if (!change.lineFound && !change.add)
            continue;
        const bool badPrice = price.IsNull() || change.price < 0;
        const bool badQuantity = change.add && (quantity.IsNull() || change.quantity <= 0);
        if (change.CDPRODUTO.trimmed().isEmpty() || badPrice || badQuantity) {
            m_context.message(QStringLiteral("Promoção não aplicada: o produto '%1' veio do serviço sem preço ou "
                                             "quantidade válidos.").arg(change.CDPRODUTO),
                              Ravuvozozod::Error);
            return false;
        }
        if (change.lineFound && printedLines
            && Money::Trunc2(data.cdsItems.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat())
                   != Money::Trunc2(change.price)) {
            // The fiscal coupon already holds the line at its price; sale and coupon must agree.
            m_context.message(QStringLiteral("Promoção não aplicada: o item %1 já está impresso no cupom fiscal e "
                                             "não pode mudar de preço.").arg(line),
                              Ravuvozozod::Error);
            return false;
        }
        if (change.add && !productResolves(change.CDPRODUTO))
            return false;
        changes.append(change);
    }
    return !changes.isEmpty();
}

bool PromotionConsultation::productResolves(const QString &code)
{
    QString product, name, tree, family, weighed, unit, tare, print, composition, end, start;
    bool scale = false;
    QString typed = code;
    return m_context.order().ValidaProduto_Codigo(product, name, tree, family, weighed, unit, tare, print, composition,
                                                  end, start, typed, scale);
}

bool PromotionConsultation::apply(const QList<Change> &changes)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &items = data.cdsItems;
    ClientDataSet &products = data.cdsProdutosInt;
    bool changed = false;
    for (const Change &change : changes) {
        products.SetRecNo(change.row);
        if (!change.lineFound) {
            changed = setProdPromocao() || changed;
            continue;
        }
        locateLine(items, Consiste::Ajusta(text(products, "NRPRODCOMVEN"), 3), change.CDPRODUTO);
        Field price = items.FieldByName(QStringLiteral("VRPRECCOMVEN"));
        if (Money::Trunc2(price.AsFloat()) == Money::Trunc2(change.price))
            continue;
        items.Edit();
        price.SetAsFloat(change.price);
        items.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(0);
        items.FieldByName(QStringLiteral("VRACRCOMVEN")).SetAsFloat(0);
        items.Post();
        changed = true;
    }
    if (!changed)
        return false;
    m_context.order().AtualizaExtrato();
    recomputeFamilies();
    return true;
}

// Each family's consumption is the sum of its lines again, now that prices changed and lines
// were added.
void PromotionConsultation::recomputeFamilies()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &families = data.cdsFamiliaSaldo;
    if (!families.Active())
        return;
    QMap<QString, double> sums;
    ClientDataSet &items = data.cdsItems;
    for (items.First(); !items.Eof(); items.Next()) {
        const QString family = text(items, "CDFAMILISALD");
        if (family.isEmpty())
            continue;
        const double quantity = PtBr::StrToFloat(text(items, "QTPRODCOMVEN"));
        const double value = Money::Trunc2(Money::Trunc2(items.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat()) * quantity)
                             - Money::Trunc2(items.FieldByName(QStringLiteral("VRDESCCOMVEN")).AsFloat())
                             + Money::Trunc2(items.FieldByName(QStringLiteral("VRACRCOMVEN")).AsFloat());
        sums[family] = Money::RoundDec(sums.value(family) + value, 2);
    }
    families.EmptyDataSet();
    for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
        families.Append();
        families.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(it.key());
        families.FieldByName(QStringLiteral("VRSALDCONFAM")).SetAsFloat(it.value());
        families.Post();
    }
}

void PromotionConsultation::markApplied(const QString &chosen)
{
    ClientDataSet &kept = m_context.data().cdsPromoComanda;
    for (kept.First(); !kept.Eof(); kept.Next()) {
        if (text(kept, "IDPROMOCOM") != chosen)
            continue;
        kept.Edit();
        kept.FieldByName(QStringLiteral("IDUTPROMOCOM")).SetAsString(QStringLiteral("S"));
        kept.Post();
        return;
    }
}

void PromotionConsultation::clearFilters()
{
    SaleDatasets &data = m_context.data();
    for (ClientDataSet *dataset : {&data.cdsProdutosInt, &data.cdsPromocaoInt}) {
        dataset->SetFiltered(false);
        dataset->SetFilter({});
    }
}

void PromotionConsultation::setPromoComanda(const QString &Cpf, const QString &IdPedido)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &kept = data.cdsPromoComanda;
    if (!kept.Active())
        kept.CreateDataSet();
    kept.EmptyDataSet();
    ClientDataSet &offered = data.cdsPromocaoInt;
    const std::pair<const char *, const char *> fields[] = {
        {"IDPROMOCAO", "IDPROMOCOM"}, {"NMPROMOCAO", "NMPROMOCOM"}, {"DSPROMOCAO", "DSPROMOCOM"},
        {"IDTPPROMOCAO", "IDTPPROMOCOM"}, {"IDTPDESCPROMO", "IDTPDESCPROMO"}, {"VRDESCPROMO", "VRDESCPROMO"},
        {"VRVENDAPROMO", "VRVENDAPROMO"}};
    for (offered.First(); !offered.Eof(); offered.Next()) {
        kept.Append();
        for (const auto &[from, to] : fields)
            kept.FieldByName(QString::fromLatin1(to)).SetValue(offered.FindField(QString::fromLatin1(from)).Value());
        kept.FieldByName(QStringLiteral("IDUTPROMOCOM")).SetAsString(QStringLiteral("N"));
        kept.Post();
    }
    ClientDataSet &items = data.cdsItems;
    if (!items.Active())
        return;
    for (items.First(); !items.Eof(); items.Next()) {
        items.Edit();
        items.FieldByName(QStringLiteral("NRCPFINTEPROMO")).SetAsString(Cpf);
        items.FieldByName(QStringLiteral("IDPEDINTEPROMO")).SetAsString(IdPedido);
        items.Post();
    }
}

QString PromotionConsultation::ErrosPromocoes(const QString &Default) const
{
    ClientDataSet &errors = m_context.data().cdsErros;
    if (!errors.Active() || errors.IsEmpty())
        return Default;
    QString list;
    for (errors.First(); !errors.Eof(); errors.Next())
        list += QStringLiteral("ERRO-") + text(errors, "CDERRO") + QLatin1Char(':') + text(errors, "DSERROCONS")
                + QChar(13);
    return list;
}

bool PromotionConsultation::setProdPromocao()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    const ClientDataSet &row = data.cdsProdutosInt;
    const QString code = text(row, "CDPRODUTO");
    m_context.setCaption(FormName::lblBuffer, code);
    OnExit clearBuffer([this] { m_context.setCaption(FormName::lblBuffer, QString()); });
    PreenchePedidoArgs args;
    QString tare, print, composition, end, start, typed = code;
    bool scale = false;
    if (!m_context.order().ValidaProduto_Codigo(args.CDPRODUTO, args.NMPRODUTO, args.CDARVPROD, args.CDFAMILISALD,
                                                args.IDPESAPROD, args.SGUNIDADE, tare, print, composition, end, start,
                                                typed, scale)) {
        state.busy.boDigitacaoAux1 = false;
        return false;
    }
    args.CDPRODPROMOCAO = args.CDPRODUTO;
    ClientDataSet &ports = data.cdsPortaProd;
    if (ports.Active()) {
        for (ports.First(); !ports.Eof(); ports.Next()) {
            if (text(ports, "CDLOJA") != state.params.stCDLOJA || text(ports, "CDPRODUTO") != args.CDPRODUTO)
                continue;
            args.CDPORIMPPROD = text(ports, "CDPORIMPPROD");
            // A network printer that does not answer sends the ticket to its backup, when
            // there is one; without a backup the ticket stays with the printer it belongs to.
            const QString backup = text(ports, "CDPORIMPPRODBKP");
            if (args.CDPORIMPPROD.size() > 6 && !backup.isEmpty() && !Ping::echo(args.CDPORIMPPROD, 500).replied)
                args.CDPORIMPPROD = backup;
            args.IDIMPCANITEM = text(ports, "IDIMPCANITEM");
            break;
        }
    }
    args.VRPRECO = PtBr::FloatToStr(row.FindField(QStringLiteral("VRPRECCOMVEN")).AsFloat());
    args.VRDESCONTO = QStringLiteral("0");
    args.VRACRESCIMO = QStringLiteral("0");
    args.VRPRECOCLIE = QStringLiteral("0");
    args.QTPRODCOMVEN = PtBr::FloatToStr(row.FindField(QStringLiteral("QTPRODCOMVEN")).AsFloat());
    args.QTTARAPROD = PtBr::StrToFloat(tare);
    args.validaServico = true;
    args.IDIMPPRGRPROMO = QStringLiteral("N");
    OrderEntry &order = m_context.order();
    order.PreenchePedido(args);
    return order.lastItemRegistered();
}
