#pragma once

// Private to order entry: the bill of the open table or tab and the history of the orders it
// already holds.

#include <runtime/clientdataset.h>

#include <QString>

class SaleContext;
struct ReceiptShown;

// The tabs of the table (or the one tab) and their items, read from the server. Both the bill
// (PreencheExtrato) and the history (PreencheHistorico) start from it.
class TabHistory
{
public:
    TabHistory(SaleContext &context, ReceiptShown &shown);
    TabHistory(const TabHistory &) = delete;
    TabHistory &operator=(const TabHistory &) = delete;

    // The table or tab's people, seats and numbers, and the total already ordered on the
    // receipt's total labels. Not at the counter.
    void fillBill();
    // The receipt rebuilt from scratch with "PEDIDOS REALIZADOS" and five lines per item
    // already ordered. A failure is shown; the lines written so far stay.
    void fillHistory(const QString &table);

    // What one ordered item counts on the bill and on the history: its quantity times the
    // unit price (client part included, cut to cents), cut to cents, less its discount. One
    // rule for both, so the history's lines add up to its total.
    static double itemValue(double quantity, double price, double clientPrice, double discount);

private:
    void findTabs(const QString &table);
    void readSurcharge(const QString &table);
    void countTabs();
    void fetchItems();
    bool listed() const;
    void historyLines(double &total, double &quantity);
    void displayLine(double quantity, double unit);
    void showHistoryTotals(double total, double quantity);
    void rememberHistory();

    QString text(const ClientDataSet &rows, const char *field) const;
    double number(const ClientDataSet &rows, const char *field) const;

    SaleContext &m_context;
    ReceiptShown &m_shown;
    ClientDataSet m_tabs{QStringLiteral("cdsBuscaComandas")};
    ClientDataSet m_items{QStringLiteral("cdsItemComanda")};
    ClientDataSet m_surcharge{QStringLiteral("cdsAcrescimo")};
};
