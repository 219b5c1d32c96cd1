#pragma once

#include "taxvalidation.h"

#include <QString>

class SaleContext;
struct CouponOpenAnswer;
struct CouponOpenRequest;

// The fiscal printer road of a counter sale with a printer that sells item by item: the first
// item opens the fiscal receipt (printer model 26 asks for the buyer's data first, again after
// each refusal, until the printer accepts or the operator cancels), then every item is sold on
// the printer before its line is registered. The printer is reached through the host's
// peripheral package only.
//
// The line itself is registered by the registration (AddProduto, the product label and the
// receipt list) when this answers Sold; so a refused item never takes a line number.
class FiscalReceipt
{
public:
    explicit FiscalReceipt(SaleContext &context);
    FiscalReceipt(const FiscalReceipt &) = delete;
    FiscalReceipt &operator=(const FiscalReceipt &) = delete;

    // Item: the registration's arguments; Preco and Desconto: its effective unit price and
    // discount; Taxa: what the tax validation yielded for the item.
    FiscalItemSale sell(const PreenchePedidoArgs &Item, const QString &Preco, const QString &Desconto,
                         const ItemTax &Taxa);

    // The printer's description of an item: "#" + the second code without dots + "#" + the
    // classification + "#" + the name (blank codes leave their place empty).
    static QString itemDescription(const QString &classification, const QString &secondCode,
                                   const QString &name);

private:
    bool openReceipt();
    bool openWithBuyerData();
    bool openPlain();
    void takeClientCompanyAsBuyer();
    bool askBuyerData();
    CouponOpenRequest openingRecord(const QString &nrVendaRest) const;
    void readBack(const CouponOpenAnswer &answer);
    void recordOpening();
    void closeSaleModeButtons();
    void refusedOpening();
    QString itemCode(const PreenchePedidoArgs &item);
    QString description(const PreenchePedidoArgs &item);
    bool sellItem(const PreenchePedidoArgs &item, const QString &price, const QString &discount,
                  const ItemTax &rate);
    void refusedItem();

    SaleContext &m_context;
    // The printer's error integer of this registration: 0, then what the opening reported.
    int m_printerError = 0;
};
