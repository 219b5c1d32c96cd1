// The on-screen receipt of the open sale: its text lines, rebuilt from cdsItems, and the totals.
#include "orderentry.h"

#include "receiptlist_p.h"
#include "salemoney.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <consumer/consumersale.h>

#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QDialog>

#include <algorithm>

namespace {

bool compactLayout(const QString &layout)
{
    return layout == QLatin1String("4") || layout == QLatin1String("6") || layout == QLatin1String("8");
}

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("#,##0.00"), value);
}

} // namespace

void OrderEntry::AtualizaExtrato()
{
    ReceiptList(m_context, *m_receiptShown).update();
}

ReceiptList::ReceiptList(SaleContext &context, ReceiptShown &shown) : m_context(context), m_shown(shown) {}

void ReceiptList::update()
{
    SaleTotals &totals = m_context.state().totals;
    if (m_context.data().cdsItems.Active())
        addLines();
    else
        startReceipt();
    // The lines sum to the gross total (kept so for the next pass); a sale-wide discount that
    // was granted (cashback, points) stays off it through every rebuild, or the customer would
    // pay in full.
    totals.doTotalVenda = Money::Trunc2(totals.doTotalVenda - saleDiscount());
    showTotals();
    totals.doQuantidade = 1.0;
    totals.doVrDescontoItem = 0.0;
    totals.doVrAcrescimoItem = 0.0;
}

// The lines the receipt does not show yet; all of them when what it shows no longer holds.
void ReceiptList::addLines()
{
    SaleState &state = m_context.state();
    SaleTotals &totals = state.totals;
    ClientDataSet &items = m_context.data().cdsItems;
    const bool compact = compactLayout(state.params.stIdTpTelaVe);
    // The lines are read, not shown one by one: the grid hears of the move once, at the end.
    items.DisableControls();
    const OnExit enable([&items] { items.EnableControls(); });
    const int shown = shownReceiptLines();
    m_shown.valid = false; // until this pass has finished
    if (shown == 0) {
        startReceipt();
        items.First();
    } else {
        totals.doTotalVenda = m_shown.total;
        totals.doExtratoAux1 = m_shown.quantity;
        totals.doVrTxServico = m_shown.serviceFee;
        items.SetRecNo(shown);
        items.Next();
    }
    for (; !items.Eof(); items.Next()) {
        receiptLine(compact);
        m_shown.lines.emplace_back(items.GetBookmark().rowId, items.RecordStamp());
    }
    rememberReceipt();
}

// The sale-wide discount: every line it was granted on carries the whole of it in
// VRDESCOMANDA, so it counts once, whatever lines were sold after it.
double ReceiptList::saleDiscount()
{
    ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active())
        return 0.0;
    // Read without moving what the grid and the roads see as the current line.
    items.DisableControls();
    const int at = items.RecNo();
    const bool atEnd = items.Eof();
    double discount = 0.0;
    for (items.First(); !items.Eof(); items.Next())
        discount = std::max(discount, items.FieldByName(QStringLiteral("VRDESCOMANDA")).AsFloat());
    items.SetRecNo(at);
    if (atEnd)
        items.Next();
    items.EnableControls();
    return discount;
}

void ReceiptList::startReceipt()
{
    SaleTotals &totals = m_context.state().totals;
    totals.doTotalVenda = 0.0;
    totals.doExtratoAux1 = 0.0;
    totals.doVrTxServico = 0.0;
    const ReceiptShown::History history = m_shown.history;
    keepHistoryOnly(m_context.data().cdsExtratoTemp, history.lines, history.lastRow);
    if (CustomerMonitor *display = m_context.screen().customerDisplay())
        keepHistoryOnly(display->lines(), history.displayLines, history.displayLastRow);
    m_shown = ReceiptShown{};
    m_shown.history = history;
}

// A waiter keeps seeing what the table already ordered while the new order grows below it.
void ReceiptList::keepHistoryOnly(ClientDataSet &rows, int lines, quint64 lastRow)
{
    if (lines <= 0 || !rows.Active() || rows.RecordCount() < lines || !rows.SetRecNo(lines)
        || rows.GetBookmark().rowId != lastRow) {
        rows.Close();
        return;
    }
    rows.DisableControls();
    while (rows.RecordCount() > lines) {
        rows.Last();
        rows.Delete();
    }
    rows.EnableControls();
}

// How many leading lines of cdsItems the receipt already shows as they are now (0: write it
// again). Only when nothing else touched the receipt since, and every line it shows is still
// there, unchanged and in its place; new lines may follow them. Leaves the cursor anywhere.
int ReceiptList::shownReceiptLines()
{
    const ReceiptShown &shown = m_shown;
    const SaleState &state = m_context.state();
    CustomerMonitor *display = m_context.screen().customerDisplay();
    const ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    if (!shown.valid || shown.lines.empty() || !grid.Active() || grid.ChangeStamp() != shown.gridStamp
        || shown.display != display || (display && display->lines().ChangeStamp() != shown.displayStamp)
        || shown.layout != state.params.stIdTpTelaVe || shown.mode != state.host.stModoVenda)
        return 0;
    ClientDataSet &items = m_context.data().cdsItems;
    if (items.RecordCount() < int(shown.lines.size()))
        return 0;
    items.First();
    for (const auto &[row, stamp] : shown.lines) {
        if (items.Eof() || items.GetBookmark().rowId != row || items.RecordStamp() != stamp)
            return 0;
        items.Next();
    }
    return int(shown.lines.size());
}

void ReceiptList::rememberReceipt()
{
    const SaleState &state = m_context.state();
    ReceiptShown &shown = m_shown;
    CustomerMonitor *display = m_context.screen().customerDisplay();
    shown.gridStamp = m_context.data().cdsExtratoTemp.ChangeStamp();
    shown.display = display;
    shown.displayStamp = display ? display->lines().ChangeStamp() : 0;
    shown.layout = state.params.stIdTpTelaVe;
    shown.mode = state.host.stModoVenda;
    shown.total = state.totals.doTotalVenda;
    shown.quantity = state.totals.doExtratoAux1;
    shown.serviceFee = state.totals.doVrTxServico;
    shown.valid = true;
}

// The receipt lines of the current line of cdsItems.
void ReceiptList::receiptLine(bool compact)
{
    SaleTotals &totals = m_context.state().totals;
    ClientDataSet &items = m_context.data().cdsItems;
    auto text = [&items](const char *field) { return items.FieldByName(QString::fromLatin1(field)).AsString(); };
    auto value = [&items](const char *field) { return items.FieldByName(QString::fromLatin1(field)).AsFloat(); };
    totals.doVrAcrescimoItem = value("VRACRCOMVEN");
    totals.doVrDescontoItem = value("VRDESCCOMVEN");
    totals.doVrTxServico += value("VRTXSERVICO");
    const QString obs = text("STOBSPEDIDO");
    if (compact) {
        m_context.consumer().LinhaEx3(text("CDARVPROD"), text("NMPRODUTO"), text("NRSEQ"),
                                      text("QTPRODCOMVEN"), text("VRPRECCOMVEN"), text("VRUNITVENDCL"),
                                      !obs.isEmpty(), text("NRLUGARMESA"), text("SGUNIDADE"),
                                      totals.doVrDescontoItem, totals.doVrAcrescimoItem, obs);
    } else {
        SaleShell &shell = m_context.screen();
        shell.LinhaEx1(text("CDARVPROD"), text("NMPRODUTO"), text("NRSEQ"), obs, text("QTPRODCOMVEN"),
                       text("VRPRECCOMVEN"), text("VRUNITVENDCL"));
        shell.LinhaEx2(text("QTPRODCOMVEN"), text("VRPRECCOMVEN"), text("VRUNITVENDCL"), text("NRSEQ"),
                       !obs.isEmpty(), text("NRLUGARMESA"), text("SGUNIDADE"), totals.doVrDescontoItem,
                       totals.doVrAcrescimoItem, obs);
    }
    totals.doExtratoAux1 += SaleMoney::number(text("QTPRODCOMVEN"));
}

// The exchange balance is worked out from the total itself, never from its caption read back.
void ReceiptList::showTotals()
{
    const SaleTotals &totals = m_context.state().totals;
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), totals.doExtratoAux1);
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + money(totals.doTotalVenda));
    m_context.setCaption(FormName::lblQtdeTotal, quantity);
    m_context.setCaption(FormName::lblQtdeTotal2, quantity);
    m_context.setCaption(
        FormName::lblValSaldDisp, PtBr::FormatFloat(QStringLiteral("0.00"), totals.doRecebAux1 - totals.doTotalVenda));
    // The exchange balance means something only while an exchange is under way; a bare
    // negative figure beside every sale would only puzzle the cashier.
    m_context.setVisible(FormName::lblValSaldDisp, m_context.state().flags.boTrocaMercadoria);
    m_context.setCaption(FormName::lblVrTotal, money(totals.doTotalVenda));
}

void OrderEntry::CalculaTotal(double Total)
{
    m_context.setCaption(FormName::lblVrTotal, money(Total));
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + money(Total));
    m_context.form().update();
}
