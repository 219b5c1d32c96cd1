#pragma once

#include "itemargs.h"

#include <QString>

class ClientDataSet;
class QObject;
class SaleContext;

// Order entry: the road of one product to the open sale, the receipt list, the rows handed to
// settlement, orders and tickets. The open sale lives in the form's datasets (cdsItems and
// its companions); this class holds no state of its own beyond the context.
//
// Refusals show their message and end through the silent abort (EAbort), except where a
// member says it answers instead; other failures (a dataset or a file error) are raised to the
// caller as exceptions, which the form's dispatch shows.
class OrderEntry
{
public:
    explicit OrderEntry(SaleContext &context);
    OrderEntry(const OrderEntry &) = delete;
    OrderEntry &operator=(const OrderEntry &) = delete;

    // The waiter of `Code` (adjusted to 4, else taken as an operator code adjusted to 12) in
    // the waiter copy; its name goes into `WaiterName`. An empty code clears stCDVENDEDOR and
    // is accepted. False when the copy is empty or holds no such waiter ("GAR_N_CAD").
    bool ValidaGarcom(QString &WaiterName, const QString &Code, const QString &CheckKind);

    // Fills the receipt grid with the bill of the open table or tab of the call. At the counter
    // it leaves one person and no table or tab numbers.
    void PreencheExtrato();

    // Click handlers of the buttons order entry answers.
    void spbPesquisaClick(QObject *Sender);
    void spbProdCombinadoClick(QObject *Sender);

    // ---- item registration (registration.cpp) -----------------------------------------------
    // Runs the registration checks in their order and registers the line. Answers false only
    // when the consumer-debit or personal-credit limits refused the item; every other refusal
    // and every registration answer true. Never throws EAbort: a refusal has shown its message
    // and left cdsItems as it was. The busy flags of the entry roads are cleared on every way
    // out.
    bool PreenchePedido(const PreenchePedidoArgs &Item);
    // Whether the last PreenchePedido added a line (the Boolean above cannot tell).
    bool lastItemRegistered() const { return m_lastRegistered; }

    // ---- the in-memory sale (addproduto.cpp) ------------------------------------------------
    // Appends and posts one line of cdsItems. A failed print-location lookup is shown and ends
    // in EAbort with no line added; so does a 1000th line, which three digits cannot number.
    void AddProduto(const AddProdutoArgs &Line);
    // The recovery file of a counter sale with a fiscal printer: cdsItems into cdsVenda.cds in
    // the DSDIRCAD folder, written whole or not at all. Throws on a file error.
    void SalvaCdsVenda();

    // Discount-coupon state of the item being entered and the coupons of the sale.
    void zeraVariaveisCupomDesc();
    void incluiCupomVenda(const QString &CDCUPOMDESCQUB);

    // ---- on-screen receipt (receiptlist.cpp) ------------------------------------------------
    // Rebuilds the receipt lines, the sale total, the total quantity and the exchange balance
    // from cdsItems.
    void AtualizaExtrato();
    // Shows a total computed elsewhere (the table or tab bill).
    void CalculaTotal(double Total);

    // ---- rows for settlement (salerows.cpp) -------------------------------------------------
    // Rebuilds cdsVenda and cdsImpImposto from cdsItems and, with a fiscal printer,
    // cdsVendaCancelada from cdsItensCancelados; adds each line's client-company value to
    // Total. A failure clears boRecebendo, is shown, and ends in EAbort.
    void PreencheVenda(double &Total);

    // ---- seams of other roads (orderseams.cpp) ----------------------------------------------
    // Tax data of the product; refused after its own message.
    ItemTax ValidaImpostoProduto(const QString &CDPRODUTO);
    // At the counter with an item-by-item fiscal printer: opens the receipt on the first item
    // and sells the item on the printer. On Sold the registration adds the line itself.
    FiscalItemSale VendeItemImpFiscal(const PreenchePedidoArgs &Item, const QString &Preco,
                                       const QString &Desconto, const ItemTax &Taxa);
    void AdicionaItemObs(double Quantity, double Discount, double Addition, const QString &ObsText,
                         const QString &TypedObs, const QString &CancelledItemSeq,
                         const QString &PrintGroupMark, const QString &OriginSeq,
                         const QString &WeighedMark);
    void TrataObsPromo(const QString &NRSEQ);
    void MsgComandaAuto();

private:
    void showTotals();

    SaleContext &m_context;
    bool m_lastRegistered = false;
};
