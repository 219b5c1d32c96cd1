// Taking lines back out of the open sale or order (F8).
#include "itemcancel_p.h"

#include "lineaction_p.h"
#include "screenshell.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <order/orderentry.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QStringList>
#include <QWidget>

namespace {

QString textOf(const ClientDataSet &dataset, const char *column)
{
    return dataset.FieldByName(QString::fromLatin1(column)).AsString();
}

QList<Variant> keys(const QString &first, const QString &second)
{
    return QList<Variant>{first, second};
}

} // namespace

void ScreenShell::spbCancProdClick(QObject *)
{
    ItemCancel(m_context).spbCancProdClick();
}

QString ItemCancelText::withoutEntry(const QString &entries, const QString &entry)
{
    QStringList pieces;
    for (const QString &piece : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        // Entries are kept trimmed: written back as " entry;", a piece that kept its blank would
        // gain one more on every cancellation.
        if (!piece.trimmed().isEmpty())
            pieces.append(piece.trimmed());
    }
    const qsizetype found = pieces.indexOf(entry.trimmed());
    if (found >= 0)
        pieces.removeAt(found);
    QString text;
    for (const QString &piece : pieces)
        text += QLatin1Char(' ') + piece + QLatin1Char(';');
    return text;
}

ItemCancel::ItemCancel(SaleContext &context) : m_context(context) {}

void ItemCancel::spbCancProdClick()
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    if (m_context.shell().VerificaImpressoraOk(true))
        return;
    if (!saleHasLines()) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        return;
    }
    BusyFlag busy(state.busy.boCancCupomAux1);
    CounterPanelHeld panel(m_context);
    refuseWhileCreditVoucherPrints(m_context);
    panel.take();
    if (!m_context.shell().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        return;
    refuseOnCollectorCounter();

    int firstAdded = 0;
    const double surcharge = callDialog(firstAdded);
    cleanUpTraces(firstAdded);
    if (state.host.stModoVenda == SaleMode::Table || state.host.stModoVenda == SaleMode::Tab)
        undoRefills(firstAdded);
    totalsAndDisplay(surcharge);
    m_context.shell().ControleCdsVenda_Diretorio(state.host.stModoVenda);
}

bool ItemCancel::saleHasLines() const
{
    const ClientDataSet &items = m_context.data().cdsItems;
    return items.Active() && !items.IsEmpty();
}

void ItemCancel::refuseOnCollectorCounter()
{
    const SaleState &state = m_context.state();
    if (state.host.stModoVenda != SaleMode::Counter || state.params.stIDCOLETOR != QLatin1String("C"))
        return;
    m_context.message(m_context.Msg(QStringLiteral("Ope_Col")), Ravuvozozod::Error);
    Abort();
}

double ItemCancel::callDialog(int &firstAdded)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    if (!data.cdsItensCancelados.Active())
        data.cdsItensCancelados.CreateDataSet();
    // The rows this cancellation added are those past the ones already there: a dialog that
    // cancels nothing must not make the earlier rows count (and their refills undo) again.
    firstAdded = data.cdsItensCancelados.RecordCount() + 1;
    OrderCancelRequest request;
    request.vendaDebito = state.flags.boVendaDebito;
    request.creditoPessoal = state.flags.boCreditoPessoal;
    request.nrMesa = state.host.stNRMESA;
    request.stRecebAux5 = state.fiscal.stRecebAux5;
    request.modoVenda = state.host.stModoVenda;
    OrderCancelDatasets datasets{data.cdsItems, data.cdsItensCancelados, data.cdsFamiliaSaldo};
    return m_context.services().CancelaPedido(request, datasets).surcharge;
}

template <class Step>
void ItemCancel::forEachAdded(int firstAdded, Step step)
{
    ClientDataSet &cancelled = m_context.data().cdsItensCancelados;
    if (cancelled.RecordCount() < firstAdded)
        return;
    for (cancelled.SetRecNo(firstAdded); !cancelled.Eof(); cancelled.Next())
        step(cancelled);
}

// A cancelled line that hung under another (an observation item, a combo part) leaves its
// text in that line's observations, or the part in the combo; a line with no parent leaves
// nothing to clear.
void ItemCancel::cleanUpTraces(int firstAdded)
{
    forEachAdded(firstAdded, [this](ClientDataSet &cancelled) {
        const QString parent = textOf(cancelled, "NRSEQPRODPAI");
        if (parent.isEmpty())
            return;
        const QString product = textOf(cancelled, "CDPRODUTO");
        removeFromLineObservations(parent, product);
        removeComboPart(parent, textOf(cancelled, "NRSEQITCANC"));
        removeFromComboPartObservations(parent, product);
    });
}

void ItemCancel::removeFromLineObservations(const QString &parent, const QString &product)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &items = data.cdsItems;
    ClientDataSet &observations = data.cdsObsItens;
    if (!items.Active() || !observations.Active() || !items.Locate(QStringLiteral("NRSEQ"), parent)
        || !observations.Locate(QStringLiteral("NRSEQ;CDPRODOBS"), keys(parent, product)))
        return;
    items.Edit();
    items.FieldByName(QStringLiteral("STOBSPEDIDO"))
        .SetAsString(ItemCancelText::withoutEntry(textOf(items, "STOBSPEDIDO"), textOf(observations, "DSOCORR")));
    items.Post();
}

void ItemCancel::removeComboPart(const QString &parent, const QString &cancelledPart)
{
    ClientDataSet &combo = m_context.data().cdsItPromoComb;
    if (combo.Active() && combo.Locate(QStringLiteral("NRSEQ;NRSEQITCANC"), keys(parent, cancelledPart)))
        combo.Delete();
}

void ItemCancel::removeFromComboPartObservations(const QString &parent, const QString &product)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &observations = data.cdsObsItensEst;
    ClientDataSet &combo = data.cdsItPromoComb;
    if (!observations.Active() || !combo.Active()
        || !observations.Locate(QStringLiteral("NRSEQ;CDPRODOBS"), keys(parent, product))
        || !combo.Locate(QStringLiteral("NRSEQ;NRSEQORIG"),
                         keys(textOf(observations, "NRSEQ"), textOf(observations, "NRSEQORIG"))))
        return;
    combo.Edit();
    combo.FieldByName(QStringLiteral("TXPRODCOMVENEST"))
        .SetAsString(ItemCancelText::withoutEntry(textOf(combo, "TXPRODCOMVENEST"), textOf(observations, "DSOCORR")));
    combo.Post();
}

// A refill served at a table or tab counted against the seat's ordinary line of the product;
// cancelling it gives that count back.
void ItemCancel::undoRefills(int firstAdded)
{
    forEachAdded(firstAdded, [this](ClientDataSet &cancelled) {
        if (textOf(cancelled, "IDPRODREFIL") != QLatin1String("S"))
            return;
        undoRefill(textOf(cancelled, "CDPRODUTO"), textOf(cancelled, "NRLUGARMESA"),
                   cancelled.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat());
    });
}

void ItemCancel::undoRefill(const QString &product, const QString &seat, double quantity)
{
    ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active()
        || !items.Locate(QStringLiteral("CDPRODUTO;IDPRODREFIL;NRLUGARMESA"),
                         Variant(QList<Variant>{product, QStringLiteral("N"), seat}))) {
        undoRefillOnServer(product, seat, quantity);
        return;
    }
    items.Edit();
    Field count = items.FieldByName(QStringLiteral("QTITEMREFIL"));
    count.SetAsFloat(count.AsFloat() - quantity);
    items.Post();
}

// The ordinary line went with an earlier order: its count is lowered on the server. A failed
// call has been shown; the cancellation goes on.
bool ItemCancel::undoRefillOnServer(const QString &product, const QString &seat, double quantity)
{
    const SaleState &state = m_context.state();
    const QString &branch = state.params.stCDFILIAL;
    const QString &sale = state.host.stNRVENDAREST;
    const QString &tab = state.host.stNRCOMANDA;
    const Variant lines = m_context.checkedValue(m_context.server().tabs.getProdRefil(branch, sale, tab, product, seat),
                                                 QStringLiteral("getProdRefil"),
                                                 QStringList{branch, sale, tab, product, seat}.join(QLatin1Char('-')));
    ClientDataSet cdsProdRefil{QStringLiteral("cdsProdRefil")};
    if (!lines.isPacket() || !cdsProdRefil.SetData(lines.packet()) || cdsProdRefil.IsEmpty())
        return false;
    cdsProdRefil.First();
    const QString line = textOf(cdsProdRefil, "NRPRODCOMVEN");
    const Variant written = m_context.checkedValue(
        m_context.server().tabs.setProdRefil(branch, sale, tab, line, -quantity), QStringLiteral("setProdRefil"),
        QStringList{branch, sale, tab, line, PtBr::FloatToStr(-quantity)}.join(QLatin1Char('-')));
    return !written.isFailure();
}

void ItemCancel::totalsAndDisplay(double surcharge)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    state.totals.doVrAcrComanda -= surcharge;
    m_context.setCaption(FormName::lblProduto, QStringLiteral(" "));
    m_context.order().AtualizaExtrato();
    const bool closesWithoutPrinter = !params.boUTILIZAIMPFIS || PrinterModel::receiptAtClose(params.inIDTIPOIMPFIS);
    if (closesWithoutPrinter && !saleHasLines())
        closeEmptySale();
    else if (params.boUTILIZAIMPFIS && params.inIDTIPOIMPFIS == PrinterModel::BuyerAtOpening26)
        m_context.shell().Mensagem_Caixa(m_context.Msg(QStringLiteral("Cupom_Aberto")));
}

// Every line was cancelled and no printer keeps a receipt open: the sale is over.
void ItemCancel::closeEmptySale()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    ScreenShell &shell = m_context.shell();
    if (state.host.stModoVenda == SaleMode::Counter && params.stIDCOLETOR != QLatin1String("C")) {
        shell.LimpaVariaveis();
        shell.LimpaCDS();
        shell.RestauraRodape(QStringLiteral("1"), QString());
    }
    state.flags.boCupomAberto = false;
    if (params.inIDTIPOIMPFIS == PrinterModel::ReceiptAtClose16
        || (params.inIDTIPOIMPFIS == PrinterModel::ReceiptAtClose30 && state.flags.boModoCartao)) {
        state.flags.boModoCartao = false;
        if (QAbstractButton *badge = m_context.button(FormName::spbCartao))
            badge->setDown(false);
    }
    shell.ControleAcessoBotoes();
}
