#pragma once

// Private to order entry: the on-screen receipt.

#include <QString>

#include <utility>
#include <vector>

class ClientDataSet;
class SaleContext;

// What the on-screen receipt shows, so that lines added at the end of the sale add their own
// receipt lines only instead of the whole receipt being written again. Kept by OrderEntry
// between updates.
struct ReceiptShown
{
    // The history of the orders already placed, written above the new order's lines; kept
    // when those are rewritten. Recognised by its count and its last row, so a receipt that
    // was closed and written again by someone else keeps nothing.
    struct History
    {
        int lines = 0;
        quint64 lastRow = 0;
        int displayLines = 0;
        quint64 displayLastRow = 0;
    };
    History history;
    std::vector<std::pair<quint64, quint64>> lines; // cdsItems row and its stamp, in order
    quint64 gridStamp = 0;
    quint64 displayStamp = 0;
    const void *display = nullptr;
    QString layout;
    QString mode;
    double total = 0.0;
    double quantity = 0.0;
    double serviceFee = 0.0;
    bool valid = false;
};

// One update of the receipt lines and totals from cdsItems (AtualizaExtrato).
class ReceiptList
{
public:
    ReceiptList(SaleContext &context, ReceiptShown &shown);
    ReceiptList(const ReceiptList &) = delete;
    ReceiptList &operator=(const ReceiptList &) = delete;

    void update();

private:
    void addLines();
    // The sale total, the total quantity and the exchange balance.
    void showTotals();
    void startReceipt();
    double saleDiscount();
    int shownReceiptLines();
    void rememberReceipt();
    // Drops the receipt's lines below the history (all of them when there is none).
    void keepHistoryOnly(ClientDataSet &rows, int lines, quint64 lastRow);
    void receiptLine(bool compact);

    SaleContext &m_context;
    ReceiptShown &m_shown;
};
