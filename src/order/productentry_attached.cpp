// Registration of a promotion product whose components are attached to its own line: the
// components and their observations are kept under the line's number.
#include "productentry.h"

#include "orderentry.h"

#include <consumer/consumersale.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <outside/qub_movrela.h>
#include <runtime/ptbr.h>

#include <QLabel>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

QString text(const ClientDataSet &dataset, const char *column)
{
    return dataset.FindField(QString::fromLatin1(column)).AsString();
}

// Copies the column when both datasets have it; the kept datasets may carry fewer columns.
void copy(ClientDataSet &target, const char *targetColumn, const Variant &value)
{
    const Field field = target.FindField(QString::fromLatin1(targetColumn));
    if (field.IsValid())
        Field(field).SetValue(value);
}

Variant value(const ClientDataSet &dataset, const char *column)
{
    return dataset.FindField(QString::fromLatin1(column)).Value();
}

const char *const componentColumns[] = {
    "CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDFILIAL", "CDGRUPROMOC", "CDPRODVENDA",
    "VRUNVENDAEST", "VRPRECOCLIE", "CDFAMILISALD", "IDPESAPROD", "SGUNIDADE", "QTTARAPROD",
    "VRACRESCIMO", "VRDESCONTO", "QTPRODVEND", "VRDESITVENDAEST", "IDIMPGRPROMO", "NRSEQITCANC",
    "VRACRITVENDAEST", "IDDESCCAMP", "NRSEQITEMADD"};

} // namespace

void ProductEntry::registerAttached()
{
    const AttachedRun run = attachComponents();
    SaleState &state = m_context.state();
    m_context.consumer().FidelidadeBalcao(state.host.stCdClienteVenda, state.host.stCdConsumidorVenda,
                                          m_product.priceCode(), m_product.NMPRODUTO, m_price,
                                          PtBr::FloatToStr(state.totals.doVrDescontoItem));
    if (!run.newLine)
        return;
    couponValue();
    registerAttachedLine(run);
}

// Keeps the components of cdsItPromoCombAux under the line they will belong to (the next
// line, or the line of the same product at the same seat) and empties the working copy.
ProductEntry::AttachedRun ProductEntry::attachComponents()
{
    AttachedRun run;
    ClientDataSet &components = m_context.data().cdsItPromoCombAux;
    if (!components.Active() || components.IsEmpty())
        return run;
    const QString &last = m_context.state().road.stNRSEQ;
    m_context.state().road.stNrSeqObs =
        last.isEmpty() ? QStringLiteral("001") : Consiste::Ajusta(QString::number(last.toInt() + 1), 3);
    run.newLine = !joinsSeatLine();
    run.keptRows = keepComponents();
    addComponentDiscounts();
    run.keptObservations = keepObservations();
    components.EmptyDataSet();
    run.attached = QStringLiteral("S");
    return run;
}

// An all-you-can-eat promotion sold again at the same seat: the components join the line
// already there (stNrSeqObs becomes its number) and no new line is registered.
bool ProductEntry::joinsSeatLine()
{
    SaleState &state = m_context.state();
    const QString &mode = state.host.stModoVenda;
    if (m_product.IDTIPOCOMPPROD != QLatin1String("6") || (mode != QLatin1String("M") && mode != QLatin1String("C")))
        return false;
    const QLabel *seatLabel = m_context.label(FormName::stPosicao);
    const QString seat = seatLabel ? seatLabel->text() : QString::number(state.table.inPosicaoGrid);
    ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active()
        || !items.Locate(QStringLiteral("CDPRODUTO;NRLUGARMESA"),
                         Variant(QList<Variant>{m_product.priceCode(), Consiste::Ajusta(seat, 2)}), loCaseInsensitive))
        return false;
    state.road.stNrSeqObs = text(items, "NRSEQ");
    return true;
}

void ProductEntry::couponValue()
{
    const SaleTotals &totals = m_context.state().totals;
    m_context.order().controlaValorCupom(Qub_movrela::Trunc2(totals.doQuantidade),
                                         Qub_movrela::Trunc2(PtBr::StrToFloat(m_price)),
                                         Qub_movrela::Trunc2(totals.doVrDescontoItem),
                                         Qub_movrela::Trunc2(totals.doVrAcrescimoItem), m_product.priceCode());
}

// A refused line keeps no components: they would hang under the next line registered.
void ProductEntry::registerAttachedLine(const AttachedRun &run)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    PreenchePedidoArgs args = productArgs();
    args.IDPROMOCAO = run.attached;
    args.NRSEQPRODCOM = m_group;
    args.NRSEQITCANC = text(data.cdsItPromoComb, "NRSEQITCANC");
    const QString before = state.road.stNRSEQ;
    registerItem(args);
    if (run.attached.isEmpty() || state.road.stNRSEQ != before)
        return;
    dropRows(data.cdsItPromoComb, run.keptRows);
    dropRows(data.cdsObsItensEst, run.keptObservations);
}

QList<Bookmark> ProductEntry::keepComponents()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &components = data.cdsItPromoCombAux;
    ClientDataSet &kept = data.cdsItPromoComb;
    if (!kept.Active())
        kept.CreateDataSet();
    const QString &line = m_context.state().road.stNrSeqObs;
    QList<Bookmark> added;
    for (components.First(); !components.Eof(); components.Next()) {
        kept.Append();
        for (const char *column : componentColumns)
            copy(kept, column, value(components, column));
        copy(kept, "NRSEQ", line);
        copy(kept, "NRSEQORIG", value(components, "NRSEQ"));
        copy(kept, "NRORDITEM", text(components, "NRSEQ").toInt());
        copy(kept, "TXPRODCOMVENEST", value(components, "STOBSPEDIDO"));
        copy(kept, "DSOBSPEDDIGEST", value(components, "STOBSDIGITADA"));
        copy(kept, "NRSEQITEMADD", text(components, "NRSEQITEMADD").toInt());
        kept.Post();
        added.append(kept.GetBookmark());
    }
    return added;
}

// Campaign discounts of the components add to the line's discount.
void ProductEntry::addComponentDiscounts()
{
    ClientDataSet &kept = m_context.data().cdsItPromoComb;
    const QString &line = m_context.state().road.stNrSeqObs;
    double &discount = m_context.state().totals.doVrDescontoItem;
    for (kept.First(); !kept.Eof(); kept.Next()) {
        const double value = kept.FindField(QStringLiteral("VRDESCONTO")).AsFloat();
        if (text(kept, "NRSEQ") == line && value > 0 && !isYes(text(kept, "IDIMPGRPROMO"))
            && isYes(text(kept, "IDDESCCAMP")))
            discount += value;
    }
}

QList<Bookmark> ProductEntry::keepObservations()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &chosen = data.cdsItPromoObs;
    ClientDataSet &kept = data.cdsObsItensEst;
    QList<Bookmark> added;
    if (!chosen.Active())
        return added;
    if (!kept.Active())
        kept.CreateDataSet();
    const QString &line = m_context.state().road.stNrSeqObs;
    for (chosen.First(); !chosen.Eof(); chosen.Next()) {
        const QList<Variant> key = {line, value(chosen, "CDPRODUTO"), value(chosen, "CDGRPOCOR"),
                                    value(chosen, "CDOCORR"), value(chosen, "NRSEQ")};
        if (kept.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR;NRSEQORIG"), Variant(key),
                        loCaseInsensitive))
            continue;
        QString observationProduct;
        ClientDataSet &owners = data.cdsControlPromoObs;
        if (owners.Active() && owners.Locate(QStringLiteral("CDOCORR"), value(chosen, "CDOCORR")))
            observationProduct = text(owners, "CDPRODUTO");
        kept.Append();
        copy(kept, "NRSEQ", line);
        copy(kept, "CDPRODUTO", key.at(1));
        copy(kept, "CDGRPOCOR", key.at(2));
        copy(kept, "CDOCORR", key.at(3));
        copy(kept, "NRSEQORIG", key.at(4));
        copy(kept, "NRSEQITCANC", value(chosen, "NRSEQITCANC"));
        copy(kept, "DSOCORR", m_context.server().lookupsTills.getDsOcorr(key.at(2).toString(), key.at(3).toString()));
        copy(kept, "NRCOMANDA", QString());
        copy(kept, "CDPRODOBS", observationProduct);
        kept.Post();
        added.append(kept.GetBookmark());
    }
    return added;
}

void ProductEntry::dropRows(ClientDataSet &dataset, const QList<Bookmark> &rows)
{
    for (const Bookmark &row : rows) {
        if (dataset.GotoBookmark(row))
            dataset.Delete();
    }
}
