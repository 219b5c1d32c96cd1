// Observation products: a product an observation, a promotion or a combo component stands
// for, registered as a line of its own under its parent line.
#include "itemkinds_p.h"

#include "orderentry.h"
#include "salemoney.h"

#include <consumer/consumersale.h>
#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <outside/qub_movrela.h>
#include <runtime/abort.h>
#include <runtime/ptbr.h>

#include <QLabel>
#include <QWidget>

using Qub_movrela::Trunc2;

void OrderEntry::AdicionaItemObs(double Quantity, double Discount, double Addition, const QString &ObsText,
                                 const QString &TypedObs, const QString &CancelledItemSeq,
                                 const QString &PrintGroupMark, const QString &OriginSeq,
                                 const QString &WeighedMark)
{
    const ObservationItem::Args args{Quantity, Discount, Addition, ObsText, TypedObs, CancelledItemSeq,
                                     PrintGroupMark, OriginSeq, WeighedMark};
    ObservationItem(m_context, args).run();
}

void ObservationItem::run()
{
    if (!resolve())
        return;
    if (!m_args.WeighedMark.isEmpty())
        m_weighed = m_args.WeighedMark;
    SaleState &state = m_context.state();
    if (state.flags.boCreditoPessoal && m_family.isEmpty())
        refuseWithoutFamily();
    const ItemKinds::ProductionPrinter printer = ItemKinds::printerOf(m_context, m_code);
    const ItemKinds::ItemPrice price = ItemKinds::askPrice(m_context, m_code, QString());
    if (!price.ok) {
        // The parent line stays; the caller goes on with its next row.
        ItemKinds::showPriceRefusal(m_context, price.refusal, m_code + QStringLiteral(" - ") + m_name);
        return;
    }
    const double count = quantity();
    discountAndAddition(count, price);
    state.flags.boCupomAberto = true;
    m_context.screen().ControleAcessoBotoes();
    PreenchePedidoArgs args;
    args.CDPRODUTO = m_code;
    args.CDPRODPROMOCAO = m_code;
    args.CDARVPROD = m_tree;
    args.NMPRODUTO = m_name;
    args.CDFAMILISALD = m_family;
    args.VRPRECO = price.VRPRECO;
    args.VRDESCONTO = PtBr::FloatToStr(state.totals.doVrDescontoItem);
    args.VRACRESCIMO = PtBr::FloatToStr(state.totals.doVrAcrescimoItem);
    args.IDPESAPROD = m_weighed;
    args.VRPRECOCLIE = price.VRPRECOCLIE;
    args.QTPRODCOMVEN = PtBr::FloatToStr(count);
    args.SGUNIDADE = m_unit;
    args.QTTARAPROD = SaleMoney::number(m_tare, true);
    args.validaServico = true;
    args.CDPORIMPPROD = printer.port;
    args.IDIMPCANITEM = printer.cancelMark;
    args.STOBSPEDIDO = m_args.ObsText;
    args.STOBSDIGITADA = m_args.TypedObs;
    args.NRSEQITCANC = m_args.CancelledItemSeq;
    args.IDIMPPRGRPROMO = m_args.PrintGroupMark;
    args.NRSEQORIG = m_args.OriginSeq;
    m_context.order().PreenchePedido(args);
}

bool ObservationItem::resolve()
{
    QString printKind, composition, promoEnd, promoStart;
    bool fromLabel = false;
    const QLabel *buffer = m_context.label(FormName::lblBuffer);
    const QString code = buffer ? buffer->text() : QString();
    if (m_context.order().ValidaProduto_Codigo(m_code, m_name, m_tree, m_family, m_weighed, m_unit, m_tare, printKind,
                                               composition, promoEnd, promoStart, code, fromLabel))
        return true;
    m_context.setCaption(FormName::lblBuffer, QString());
    m_context.state().busy.boDigitacaoAux1 = false;
    return false;
}

// A personal-credit sale spends balance by family: the line that asked for a product without
// one goes, with its observations and its family amount, and the whole operation ends.
void ObservationItem::refuseWithoutFamily()
{
    SaleState &state = m_context.state();
    m_context.setCaption(FormName::lblBuffer, QString());
    state.busy.boDigitacaoAux1 = false;
    m_context.message(m_context.Msg(QStringLiteral("Ope_Fam")), 3);
    if (QWidget *panel = m_context.widget(FormName::panBalcao);
        panel && !state.params.boBOERROIMPRESSORA)
        panel->setEnabled(true);
    state.busy.boCancCupomAux1 = false;
    state.setAskOrderNotes(state.road.stPedidoAux3);
    removeCurrentLine();
    Abort();
}

void ObservationItem::removeCurrentLine()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &items = data.cdsItems;
    if (!items.Active() || items.IsEmpty())
        return;
    const QString line = items.FieldByName(QStringLiteral("NRSEQ")).AsString();
    ClientDataSet &observations = data.cdsObsItens;
    if (observations.Active()) {
        observations.First();
        while (!observations.Eof()) {
            if (observations.FieldByName(QStringLiteral("NRSEQ")).AsString() == line)
                observations.Delete();
            else
                observations.Next();
        }
    }
    auto value = [&items](const char *name) { return items.FieldByName(QString::fromLatin1(name)).AsFloat(); };
    const double lineValue = Trunc2(Trunc2(value("VRPRECCOMVEN")) * SaleMoney::number(
                                        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString(), true))
                             - Trunc2(value("VRDESCCOMVEN")) + Trunc2(value("VRACRCOMVEN"));
    m_context.consumer().addFamiliaSaldo(data.cdsFamiliaSaldo,
                                         items.FieldByName(QStringLiteral("CDFAMILISALD")).AsString(), lineValue,
                                         false);
    items.Delete();
    m_context.order().AtualizaExtrato();
}

// Under a weighed parent the observation follows the parent's weight when weighed itself,
// else it counts one.
double ObservationItem::quantity()
{
    ClientDataSet &items = m_context.data().cdsItems;
    const bool parentFound = items.Active() && items.Locate(QStringLiteral("NRSEQ"), m_context.state().road.stPedidoAux4);
    if (!parentFound || !isYes(items.FieldByName(QStringLiteral("IDPESAPROD")).AsString()))
        return m_args.Quantity;
    if (!isYes(m_weighed))
        return 1.0;
    return SaleMoney::number(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString(), true);
}

// A combo component brings its own discount and addition; anything else takes the price
// function's.
void ObservationItem::discountAndAddition(double quantity, const ItemKinds::ItemPrice &price)
{
    SaleState &state = m_context.state();
    SaleTotals &totals = state.totals;
    if (m_args.Discount > 0 || m_args.Addition > 0) {
        totals.doVrAcrComanda += m_args.Addition;
        totals.doVrAcrescimoItem = m_args.Addition;
        totals.doVrDescontoItem = m_args.Discount;
        return;
    }
    const double addition = Trunc2(price.VRACRESCIMO * quantity);
    if (!state.screen.boConsultaPreco)
        totals.doVrAcrComanda += addition;
    totals.doVrAcrescimoItem = addition;
    totals.doVrDescontoItem = Trunc2(price.VRDESCONTO * quantity);
}
