// Combined products: one item put together from parts chosen in the host's dialog, each part a
// line of its own, all lines of one combination group.
#include "itemkinds_p.h"

#include "orderentry.h"
#include "salemoney.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <runtime/abort.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QWidget>

using Qub_movrela::Trunc2;

void OrderEntry::spbProdCombinadoClick(QObject *)
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    CombinedProductRoad(m_context).press();
}

void CombinedProductRoad::press()
{
    SaleState &state = m_context.state();
    state.busy.boCancCupomAux1 = true;
    SaleTotals &totals = state.totals;
    // The flag, the panel and the part's extra value never outlive the operation.
    OnExit done([&state, &totals, this] {
        state.busy.boCancCupomAux1 = false;
        totals.doProdCombAux1 = 0;
        totals.doProdCombAux2 = 0;
        enableProducts();
    });
    refuseBeforeDialog();
    if (!allowed())
        return;
    ClientDataSet &parts = m_context.data().cdsProdCombinado;
    if (choose(parts)) {
        // Free for the group observation, which tests and sets the same flag.
        state.busy.boCancCupomAux1 = false;
        checkParts(parts);
        const QString group = ItemKinds::nextComboGroup(m_context);
        if (group.isEmpty())
            Abort();
        registerParts(parts, group);
        groupObservation();
        showTotals();
    }
    log();
}

void CombinedProductRoad::refuseBeforeDialog()
{
    if (m_context.state().busy.boImprimindoCompCred) {
        if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
            credit->setDown(false);
        refuse(QStringLiteral("OPE_COMP_CRED"));
    }
    if (m_context.state().screen.boConsultaPreco)
        refuse(QStringLiteral("Prod_N_Vend"));
}

// The drawer, the operator's right and the desk kind.
bool CombinedProductRoad::allowed()
{
    SaleState &state = m_context.state();
    if (QWidget *panel = m_context.widget(FormName::panBalcao))
        panel->setEnabled(false);
    if (!m_context.screen().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        Abort();
    const AccessAnswer access =
        m_context.services().VerificaAcesso({state.rights.inCTPRODCOMBINADO, state.rights.stCDOPERADOR});
    m_authoriser = access.stRetAcesso;
    if (!access.allowed)
        return false;
    state.totals.doProdCombAux2 = 0;
    if (state.host.stModoVenda == SaleMode::Counter && state.params.stIDCOLETOR == QLatin1String("C"))
        refuse(QStringLiteral("Ope_Col"));
    return true;
}

// The host's dialog; false when nothing was chosen.
bool CombinedProductRoad::choose(ClientDataSet &parts)
{
    const SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    CombinedProductRequest request;
    request.boCupomAberto = state.flags.boCupomAberto;
    request.cdClienteVenda = state.host.stCdClienteVenda;
    request.cdConsumidor = state.consumer.stCDCONSUMIDOR;
    const CombinedProductAnswer answer =
        m_context.services().ProdCombinado(request, data.cdsProdutoCombinado, data.cdsMenuComb);
    if (!answer.failure.isEmpty()) {
        m_context.message(answer.failure, 3);
        Abort();
    }
    if (answer.chosen.rows.isEmpty())
        return false;
    QString error;
    if (!parts.SetData(answer.chosen, &error)) {
        m_context.message(error, 3);
        Abort();
    }
    return !parts.IsEmpty();
}

// Every part is checked before the first is registered: a refusal leaves the sale as it was.
void CombinedProductRoad::checkParts(ClientDataSet &parts)
{
    const bool byFamily = m_context.state().flags.boCreditoPessoal;
    for (parts.First(); !parts.Eof(); parts.Next()) {
        if (byFamily && parts.FieldByName(QStringLiteral("CDFAMILISALD")).AsString().isEmpty()) {
            m_context.setCaption(FormName::lblBuffer, QString());
            refuse(QStringLiteral("Ope_Fam"));
        }
        if (parts.FieldByName(QStringLiteral("VRQUANT")).AsFloat() <= 0) {
            m_context.message(QStringLiteral("Operação bloqueada. A quantidade de cada produto combinado deve ser "
                                             "maior que zero."),
                              3);
            Abort();
        }
    }
}

void CombinedProductRoad::registerParts(ClientDataSet &parts, const QString &group)
{
    const int count = parts.RecordCount();
    for (int recNo = 1; recNo <= count; ++recNo) {
        parts.SetRecNo(recNo);
        registerPart(parts, group);
    }
}

void CombinedProductRoad::registerPart(ClientDataSet &parts, const QString &group)
{
    SaleState &state = m_context.state();
    SaleTotals &totals = state.totals;
    auto text = [&parts](const char *name) { return parts.FieldByName(QString::fromLatin1(name)).AsString(); };
    auto number = [&parts](const char *name) { return parts.FieldByName(QString::fromLatin1(name)).AsFloat(); };
    const QString product = text("CDPRODUTO");
    totals.doProdCombAux1 = totals.doProdCombAux2 = number("VRCOMISVENDE");
    totals.doVrAcrComanda += number("VRCOMISVENDE");
    const ItemKinds::ItemPrice price = ItemKinds::askPrice(m_context, product, QStringLiteral("S"));
    if (!price.ok) {
        // Components registered before stay in the sale.
        state.busy.boCancCupomAux1 = false;
        ItemKinds::showPriceRefusal(m_context, price.refusal, QString());
        Abort();
    }
    const ItemKinds::ProductionPrinter printer = ItemKinds::printerOf(m_context, product);
    const double quantity = number("VRQUANT");
    const double addition = Trunc2(quantity * price.VRACRESCIMO);
    totals.doVrDescontoItem = Trunc2(quantity * price.VRDESCONTO);
    totals.doVrAcrComanda += addition;
    PreenchePedidoArgs args;
    args.CDPRODUTO = product;
    args.CDPRODPROMOCAO = product;
    args.CDARVPROD = text("CDARVPROD");
    args.NMPRODUTO = text("NMPRODUTO");
    args.CDFAMILISALD = text("CDFAMILISALD");
    args.VRPRECO = state.params.stIDTIPCOBRA == QLatin1String("M") ? PtBr::FloatToStr(number("VRPRECO"))
                                                                    : price.VRPRECO;
    args.VRDESCONTO = PtBr::FloatToStr(totals.doVrDescontoItem);
    args.VRACRESCIMO = PtBr::FloatToStr(addition);
    args.IDPESAPROD = text("IDPESAPROD");
    args.VRPRECOCLIE = price.VRPRECOCLIE;
    args.QTPRODCOMVEN = PtBr::FloatToStr(quantity);
    args.SGUNIDADE = text("SGUNIDADE");
    args.NRSEQPRODCOM = group;
    args.QTTARAPROD = 0;
    args.validaServico = true;
    args.CDPORIMPPROD = printer.port;
    args.IDIMPCANITEM = printer.cancelMark;
    args.IDIMPPRGRPROMO = QStringLiteral("N");
    m_context.order().PreenchePedido(args);
    if (m_context.order().lastItemRegistered())
        CombinedPartMerge(m_context).run();
    m_context.order().AtualizaExtrato();
}

void CombinedProductRoad::groupObservation()
{
    SaleState &state = m_context.state();
    if (!isYes(state.params.stIDSOLOBSPED))
        return;
    state.flags.boAddProdAux1 = true;
    state.flags.boObsAux1 = true;
    {
        OnExit cleared([&state] { state.flags.boAddProdAux1 = false; });
        m_context.screen().spbObsClick(m_context.button(FormName::spbObs));
    }
    ClientDataSet &items = m_context.data().cdsItems;
    if (items.Active())
        items.Last();
}

void CombinedProductRoad::showTotals()
{
    m_context.order().AtualizaExtrato();
}

void CombinedProductRoad::log()
{
    const QString reason = m_context.Msg(QStringLiteral("Mot_Pro_Com"));
    m_context.services().LogControleAcess(m_context.accessLog(QStringLiteral("PRO_COM"), reason, reason, m_authoriser));
}

void CombinedProductRoad::refuse(const QString &key)
{
    m_context.message(m_context.Msg(key), 3);
    Abort();
}

void CombinedProductRoad::enableProducts()
{
    if (m_context.state().params.boBOERROIMPRESSORA)
        return;
    if (QWidget *panel = m_context.widget(FormName::panBalcao))
        panel->setEnabled(true);
}

// ---- the merge of a part chosen again ------------------------------------------------------

// The line just registered (or, when it is a child line, its parent) is folded into an earlier
// part line of the same group, product and observation. Discount and additions are summed with
// the quantity, so that the kept line is worth what both were.
void CombinedPartMerge::run()
{
    ClientDataSet &items = m_context.data().cdsItems;
    auto text = [&items](const char *name) { return items.FieldByName(QString::fromLatin1(name)).AsString(); };
    const QString parent = text("NRSEQPRODPAI");
    if (!parent.isEmpty() && !items.Locate(QStringLiteral("NRSEQ"), parent))
        return;
    const QString group = text("NRSEQPRODCOM");
    const QString line = text("NRSEQ");
    const QString product = text("CDPRODUTO");
    const QString observation = text("STOBSPEDIDO");
    static const char *const summed[] = {"SOMA", "VRTXSERVICO", "VRDESCCOMVEN", "VRACRCOMVEN", "ACRESITEM"};
    QHash<QString, double> values;
    for (const char *name : summed)
        values.insert(QString::fromLatin1(name), items.FieldByName(QString::fromLatin1(name)).AsFloat());
    const double quantity = SaleMoney::number(text("QTPRODCOMVEN"), true);
    QString kept;
    for (items.First(); !items.Eof(); items.Next()) {
        if (text("NRSEQ") != line && text("NRSEQPRODCOM") == group && text("CDPRODUTO") == product
            && text("STOBSPEDIDO") == observation && text("NRSEQPRODPAI").isEmpty()) {
            kept = text("NRSEQ");
            break;
        }
    }
    if (kept.isEmpty())
        return;
    items.Edit();
    items.FieldByName(QStringLiteral("QTPRODCOMVEN"))
        .SetAsString(SaleMoney::text(SaleMoney::number(text("QTPRODCOMVEN"), true) + quantity));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        Field field = items.FieldByName(it.key());
        field.SetAsFloat(field.AsFloat() + it.value());
    }
    items.Post();
    for (items.First(); !items.Eof(); items.Next()) {
        if (text("NRSEQPRODPAI") == line) {
            items.Edit();
            items.FieldByName(QStringLiteral("NRSEQPRODPAI")).SetAsString(kept);
            items.Post();
        }
    }
    if (items.Locate(QStringLiteral("NRSEQ"), line))
        items.Delete();
    rekeyObservations(line, kept);
    foldChildren(kept);
    items.Locate(QStringLiteral("NRSEQ"), kept);
}

// Child lines of the kept line of one product become one line.
void CombinedPartMerge::foldChildren(const QString &keptNRSEQ)
{
    ClientDataSet &items = m_context.data().cdsItems;
    auto text = [&items](const char *name) { return items.FieldByName(QString::fromLatin1(name)).AsString(); };
    QHash<QString, QString> firstOfProduct;
    items.First();
    while (!items.Eof()) {
        if (text("NRSEQPRODPAI") != keptNRSEQ) {
            items.Next();
            continue;
        }
        const QString product = text("CDPRODUTO");
        if (!firstOfProduct.contains(product)) {
            firstOfProduct.insert(product, text("NRSEQ"));
            items.Next();
            continue;
        }
        const QString line = text("NRSEQ");
        const double quantity = SaleMoney::number(text("QTPRODCOMVEN"), true);
        const double soma = items.FieldByName(QStringLiteral("SOMA")).AsFloat();
        const double fee = items.FieldByName(QStringLiteral("VRTXSERVICO")).AsFloat();
        items.Delete();
        const auto next = items.GetBookmark();
        if (items.Locate(QStringLiteral("NRSEQ"), firstOfProduct.value(product))) {
            items.Edit();
            items.FieldByName(QStringLiteral("QTPRODCOMVEN"))
                .SetAsString(SaleMoney::text(SaleMoney::number(text("QTPRODCOMVEN"), true) + quantity));
            Field somaField = items.FieldByName(QStringLiteral("SOMA"));
            somaField.SetAsFloat(somaField.AsFloat() + soma);
            Field feeField = items.FieldByName(QStringLiteral("VRTXSERVICO"));
            feeField.SetAsFloat(feeField.AsFloat() + fee);
            items.Post();
        }
        rekeyObservations(line, firstOfProduct.value(product));
        if (!items.GotoBookmark(next))
            items.First();
    }
}

// Observations follow their line into the line it was folded into.
void CombinedPartMerge::rekeyObservations(const QString &from, const QString &to)
{
    ClientDataSet &observations = m_context.data().cdsObsItens;
    if (!observations.Active())
        return;
    for (observations.First(); !observations.Eof(); observations.Next()) {
        if (observations.FieldByName(QStringLiteral("NRSEQ")).AsString() == from) {
            observations.Edit();
            observations.FieldByName(QStringLiteral("NRSEQ")).SetAsString(to);
            observations.Post();
        }
    }
}
