#pragma once

// Private to order entry: the Enter key's and the search button's roads to a product, and the
// product lookups they share.

#include "productentry.h"

#include <runtime/variant.h>

#include <QString>

class ClientDataSet;
class OrderEntry;
class ProductCodeIndex;
class QWidget;
class SaleContext;

// The product row at the cursor of the product copy or of the search list: the columns every
// entry reads, the tare "0" when the row has none. The one loader of both lookups.
ProductRow loadProductRow(const ClientDataSet &row);

// A typed or scanned code resolved in the product copy: a shortcut code of the screen's menu,
// a bar code, one of the product's own codes, or a scale label whose product part is one of
// those. Shows "TAB_VAZIA_PROD" (empty copy) or "Prod_NCad" (no such product) and answers
// false; `product` is written only when a product was found.
class ProductLookup
{
public:
    ProductLookup(SaleContext &context, ProductCodeIndex &index);
    ProductLookup(const ProductLookup &) = delete;
    ProductLookup &operator=(const ProductLookup &) = delete;

    bool find(const QString &Code, ProductRow &product);

private:
    QString answerText(const Variant &result, const QString &method, const QString &context) const;
    QString shortcutProduct(const QString &code) const;
    QString barcodeProduct(const QString &code) const;
    bool locate(const char *column, const QString &value);
    bool locateCode(const QString &Code);
    bool locateScaleLabel(const QString &Code);
    bool refuse(const char *key);

    SaleContext &m_context;
    ProductCodeIndex &m_index;
    ClientDataSet &m_products;
};

// One Enter with a typed or scanned code: the entry checks, the code's product, and the product
// pipeline. Owns boDigitacaoAux1 and the label's quantity for the length of the item.
class TypedCodeEntry
{
public:
    TypedCodeEntry(SaleContext &context, OrderEntry &order);
    TypedCodeEntry(const TypedCodeEntry &) = delete;
    TypedCodeEntry &operator=(const TypedCodeEntry &) = delete;

    void run(const QString &code);

private:
    void sell(const QString &code);
    void entryChecks();
    ProductRow typedProduct(const QString &code);

    SaleContext &m_context;
    OrderEntry &m_order;
};

// One press of the search button: the entry checks, the search dialog over the branch's list,
// and the chosen product through the product pipeline. Owns boCancCupomAux1 and puts the
// screen back on every way out.
class ProductSearch
{
public:
    explicit ProductSearch(SaleContext &context);
    ProductSearch(const ProductSearch &) = delete;
    ProductSearch &operator=(const ProductSearch &) = delete;

    void run();

private:
    void restoreScreen(QWidget *grid);
    bool consulting() const;
    bool searchChecks(QWidget *grid);
    void checkCreditPrinting();
    void checkClosedDesk(bool consultation);
    bool chooseSearchedProduct(ProductRow &product);
    void loadSearchList();
    bool underWithdrawalLimits();
    void applyButtonConfig(ProductRow &product);
    QString family(const ProductRow &product);
    void checkChosenProduct(const ProductRow &product);
    void logSearch(const ProductRow &product);

    SaleContext &m_context;
    QString m_authoriser; // who allowed this search: its own log's, never the sale's
};
