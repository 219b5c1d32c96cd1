// The bill of the open table or tab and the history of its orders on the receipt.
#include "orderentry.h"

#include "receiptlist_p.h"
#include "tabhistory_p.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/consiste.h>
#include <outside/qub_movrela.h>
#include <runtime/datasetvalues.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QLabel>

#include <stdexcept>

namespace {

void loadPacket(ClientDataSet &dataset, const Variant &value)
{
    dataset.Close();
    if (value.isPacket())
        dataset.SetData(value.packet());
}

void appendRow(ClientDataSet &dataset, std::initializer_list<std::pair<const char *, QString>> cells)
{
    dataset.Append();
    for (const auto &[field, value] : cells)
        dataset.FieldByName(QString::fromLatin1(field)).SetAsString(value);
    dataset.Post();
}

} // namespace

void OrderEntry::PreencheExtrato()
{
    SaleState &state = m_context.state();
    if (state.host.stModoVenda != SaleMode::Counter) {
        TabHistory(m_context, *m_receiptShown).fillBill();
        return;
    }
    state.counters.inNrPessoas = 1;
    state.counters.inExtratoAux1 = 1;
    state.host.stNRCOMANDA.clear();
    state.host.stNRVENDAREST.clear();
}

void OrderEntry::PreencheHistorico(const QString &NRMESA)
{
    TabHistory(m_context, *m_receiptShown).fillHistory(NRMESA);
}

TabHistory::TabHistory(SaleContext &context, ReceiptShown &shown) : m_context(context), m_shown(shown) {}

double TabHistory::itemValue(double quantity, double price, double clientPrice, double discount)
{
    using Qub_movrela::Trunc2;
    const double unit = Trunc2(price + clientPrice);
    return Money::RoundDec(Trunc2(Money::RoundDec(quantity * unit, 9)) - Trunc2(discount), 2);
}

QString TabHistory::text(const ClientDataSet &rows, const char *field) const
{
    return rows.FindField(QString::fromLatin1(field)).AsString();
}

double TabHistory::number(const ClientDataSet &rows, const char *field) const
{
    return rows.FindField(QString::fromLatin1(field)).AsFloat();
}

void TabHistory::fillBill()
{
    SaleState &state = m_context.state();
    double total = 0.0;
    findTabs(state.host.stNRMESA);
    countTabs();
    for (m_tabs.First(); !m_tabs.Eof(); m_tabs.Next()) {
        fetchItems();
        for (m_items.First(); !m_items.Eof(); m_items.Next()) {
            if (listed())
                total += itemValue(number(m_items, "QTPRODCOMVEN"), number(m_items, "VRPRECCOMVEN"),
                                   number(m_items, "VRPRECCLCOMVEN"), number(m_items, "VRDESCCOMVEN"));
        }
        total += state.totals.doVrAcrComanda;
        m_context.screen().Linha(QString());
    }
    m_context.order().CalculaTotal(Money::RoundDec(total, 2));
}

void TabHistory::fillHistory(const QString &table)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    double total = 0.0;
    double quantity = 0.0;
    try {
        data.cdsExtratoTemp.Close();
        data.cdsExtratoTemp.CreateDataSet();
        if (CustomerMonitor *display = m_context.screen().customerDisplay(); display && !display->lines().Active())
            display->lines().CreateDataSet();
        state.totals.doHistoricoAux1 = 0.0;
        // History lines are no part of the new order: they carry no discount or addition of
        // the item being entered into the receipt's running total.
        state.totals.doVrDescontoItem = 0.0;
        state.totals.doVrAcrescimoItem = 0.0;
        findTabs(table);
        readSurcharge(table);
        countTabs();
        m_context.screen().Linha(m_context.Msg(QStringLiteral("Hist_Prod")));
        for (m_tabs.First(); !m_tabs.Eof(); m_tabs.Next()) {
            fetchItems();
            historyLines(total, quantity);
            if (state.totals.doHistoricoAux1 > 0)
                total += state.totals.doHistoricoAux1;
            m_context.screen().Linha(QString());
        }
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), 3);
    }
    showHistoryTotals(Money::RoundDec(total, 2), quantity);
    rememberHistory();
}

// The open tabs: of the table and the tables joined with it, or the one tab.
void TabHistory::findTabs(const QString &table)
{
    SaleState &state = m_context.state();
    Seam::Tabs &server = m_context.server().tabs;
    const QString &branch = state.params.stCDFILIAL;
    state.road.stExtratoAux2.clear();
    Variant answer;
    if (state.host.stModoVenda == SaleMode::Table) {
        answer = m_context.checkedValue(server.getBuscaComandas(branch, state.params.stCDLOJA, table, QString()),
                                        QStringLiteral("getBuscaComandas"),
                                        QStringList{branch, state.params.stCDLOJA, table, QString()}.join(u'-'));
    } else {
        answer = m_context.checkedValue(server.getDadosComanda(branch, state.host.stNRCOMANDA),
                                        QStringLiteral("getDadosComanda"), branch + u'-' + state.host.stNRCOMANDA);
    }
    loadPacket(m_tabs, answer);
    if (!m_tabs.Active())
        m_tabs.CreateDataSet();
    m_tabs.SetIndexFieldNames(QStringLiteral("NRCOMANDA"));
    state.counters.inNrPessoas = 0;
    state.counters.inExtratoAux1 = 0;
    m_tabs.First();
    if (m_tabs.IsEmpty())
        return;
    state.host.stNRVENDAREST = text(m_tabs, "NRVENDAREST");
    state.host.stNRCOMANDA = text(m_tabs, "NRCOMANDA");
    state.host.stNrComandaExib = text(m_tabs, "DSCOMANDA");
}

void TabHistory::readSurcharge(const QString &table)
{
    SaleState &state = m_context.state();
    Seam::Tabs &server = m_context.server().tabs;
    const QString &branch = state.params.stCDFILIAL;
    Variant answer;
    if (state.host.stModoVenda == SaleMode::Table) {
        answer = m_context.checkedValue(server.getAcrescimo(branch, state.params.stCDLOJA, table),
                                        QStringLiteral("getAcrescimo"),
                                        QStringList{branch, state.params.stCDLOJA, table}.join(u'-'));
    } else {
        answer = m_context.checkedValue(server.getDadosComanda(branch, state.host.stNRCOMANDA),
                                        QStringLiteral("getDadosComanda"), branch + u'-' + state.host.stNRCOMANDA);
    }
    loadPacket(m_surcharge, answer);
    m_surcharge.First();
    state.totals.doHistoricoAux1 = m_surcharge.Active() && !m_surcharge.IsEmpty() ? number(m_surcharge, "VRACRCOMANDA") : 0.0;
}

// People and seats summed over the tabs, the tab list for the item query, and the tabs
// filtered to the first: its one pass reads the items of every listed tab.
void TabHistory::countTabs()
{
    SaleState &state = m_context.state();
    QString &list = state.road.stExtratoAux2;
    for (m_tabs.First(); !m_tabs.Eof(); m_tabs.Next()) {
        list += u'_' + text(m_tabs, "NRCOMANDA");
        state.counters.inNrPessoas += int(number(m_tabs, "NRPESMESAVEN"));
        state.counters.inExtratoAux1 += int(number(m_tabs, "NRPOSICAOMESA"));
    }
    list += u'_';
    m_context.setCaption(QStringLiteral("lblNrPes"), QString::number(state.counters.inNrPessoas));
    m_tabs.First();
    if (m_tabs.IsEmpty())
        return;
    const QString first = text(m_tabs, "NRCOMANDA");
    m_tabs.SetFilter([first](const ClientDataSet &row) {
        return row.FindField(QStringLiteral("NRCOMANDA")).AsString() == first;
    });
    m_tabs.SetFiltered(true);
}

void TabHistory::fetchItems()
{
    const SaleState &state = m_context.state();
    const QString &branch = state.params.stCDFILIAL;
    const QString &list = state.road.stExtratoAux2;
    const Variant answer = m_context.checkedValue(m_context.server().tabs.getBuscaItComanda(branch, list),
                                                  QStringLiteral("getBuscaItComanda"), branch + u'-' + list);
    loadPacket(m_items, answer);
    if (!m_items.Active())
        m_items.CreateDataSet();
}

// Neither the cover charge nor the consumption product is ever listed or counted.
bool TabHistory::listed() const
{
    const Parameters &params = m_context.state().params;
    const QString product = text(m_items, "CDPRODUTO");
    return (params.stCDPRODCOUVER.isEmpty() || product != params.stCDPRODCOUVER)
           && (params.stCDPRODCONSUM.isEmpty() || product != params.stCDPRODCONSUM);
}

void TabHistory::historyLines(double &total, double &quantity)
{
    SaleShell &shell = m_context.screen();
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    for (m_items.First(); !m_items.Eof(); m_items.Next()) {
        if (!listed())
            continue;
        const double q = number(m_items, "QTPRODCOMVEN");
        const double price = number(m_items, "VRPRECCOMVEN");
        const double unit = Qub_movrela::Trunc2(price + number(m_items, "VRPRECCLCOMVEN"));
        const double value = itemValue(q, price, number(m_items, "VRPRECCLCOMVEN"), number(m_items, "VRDESCCOMVEN"));
        const QString from = text(m_items, "NRMESADSCOMORIT");
        if (!from.isEmpty())
            shell.Linha(m_context.Msg(QStringLiteral("Trans_Prod")) + u' ' + from);
        const QString name = text(m_items, "NMPRODUTO");
        appendRow(grid, {{"DSITEM", DataSetValues::cutText(name, 35)}, {"CDPROD", text(m_items, "CDARVPROD")},
                         {"NMPROD", name}});
        appendRow(grid, {{"DSITEM", Consiste::Ajusta(PtBr::FloatToStrFixed(q, 3), 7) + QStringLiteral(" X ")
                                        + PtBr::FormatFloat(QStringLiteral("0.00"), unit) + u' '
                                        + Consiste::TamFixoR(PtBr::FormatFloat(QStringLiteral("0.00"), value), 16)},
                         {"STQTDE", PtBr::FloatToStr(q)},
                         {"STVALOR", PtBr::FloatToStr(price)}});
        const QDateTime ordered = m_items.FindField(QStringLiteral("DTHRINCOMVEN")).AsDateTime();
        shell.Linha(QStringLiteral("Horário: ") + ordered.time().toString(QStringLiteral("hh:mm:ss"))
                    + QStringLiteral(" Posição: ") + text(m_items, "NRLUGARMESA"));
        shell.Linha(QStringLiteral("Obs: ") + text(m_items, "TXPRODCOMVEN"));
        shell.Linha(QString(35, u'-'));
        displayLine(q, unit);
        total += value;
        quantity += q;
    }
}

void TabHistory::displayLine(double quantity, double unit)
{
    CustomerMonitor *display = m_context.screen().customerDisplay();
    if (!display)
        return;
    ClientDataSet &rows = display->lines();
    appendRow(rows, {{"DSITEM", DataSetValues::cutText(text(m_items, "NMPRODUTO"), 25)},
                     {"DSITEM2", PtBr::FloatToStrFixed(quantity, 3) + QStringLiteral(" X ")
                                     + PtBr::FormatFloat(QStringLiteral("0.00"), unit)},
                     {"DSITEM3", PtBr::FormatFloat(QStringLiteral("0.00"),
                                                   Qub_movrela::Trunc2(Money::RoundDec(quantity * unit, 9)))},
                     {"STQTDE", PtBr::FloatToStr(quantity)},
                     {"CDPROD", text(m_items, "CDARVPROD")},
                     {"STVALOR", PtBr::FloatToStr(number(m_items, "VRPRECCOMVEN"))}});
}

void TabHistory::showHistoryTotals(double total, double quantity)
{
    SaleState &state = m_context.state();
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    if (grid.Active())
        grid.First();
    const QString totalText = PtBr::FloatToStrFixed(total, 2);
    m_context.setCaption(QStringLiteral("lblVrTotal"), totalText);
    m_context.setCaption(QStringLiteral("lblQtdeTotal"), PtBr::FloatToStrFixed(quantity, 3));
    if (CustomerMonitor *display = m_context.screen().customerDisplay()) {
        if (auto *label = display->label(QStringLiteral("lblVrTotal")))
            label->setText(totalText);
    }
    // The receipt's posting rule summed the history lines; the order being taken starts at 0.
    state.totals.doTotalVenda = 0.0;
    state.totals.doExtratoAux1 = 0.0;
}

// The history stays above the lines of the new order: the receipt keeps these lines when it
// rewrites the order's own.
void TabHistory::rememberHistory()
{
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    m_shown = ReceiptShown{};
    if (!grid.Active() || grid.IsEmpty())
        return;
    grid.Last();
    m_shown.history.lines = grid.RecordCount();
    m_shown.history.lastRow = grid.GetBookmark().rowId;
    if (CustomerMonitor *display = m_context.screen().customerDisplay(); display && display->lines().Active()
                                                      && !display->lines().IsEmpty()) {
        display->lines().Last();
        m_shown.history.displayLines = display->lines().RecordCount();
        m_shown.history.displayLastRow = display->lines().GetBookmark().rowId;
    }
    grid.First();
}
