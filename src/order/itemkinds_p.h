#pragma once

// Private to order entry: the roads of the item kinds that are more than one plain product
// line (refills, observation products, combined products, promotion combos and prizes,
// discount coupons) and the small steps they share.
#include "itemargs.h"

#include <runtime/variant.h>

#include <QString>

class ClientDataSet;
class SaleContext;
struct SaleState;
class SaleDatasets;

namespace ItemKinds {

// The price function's answer for one product, read from cdsRetornaPreco.
struct ItemPrice
{
    bool ok = false;
    QString refusal; // the host's code ("PRECNCAD", ...) or its text when !ok
    QString VRPRECO, VRPRECOCLIE;
    double VRDESCONTO = 0, VRACRESCIMO = 0;
};

// Asks the host's price function for `CDPRODUTO` (combined = "S" for a part of a combined
// product). Never throws; a refusal is answered.
ItemPrice askPrice(SaleContext &context, const QString &CDPRODUTO, const QString &combined);
// Shows a price refusal as the product entry does; `productText` ("code - name") follows
// "Preco_deve" when not empty. With a fiscal printer the product buttons are enabled first.
void showPriceRefusal(SaleContext &context, const QString &code, const QString &productText);

// The production printer of the product in the store: port and cancellation mark, empty
// when the product has none.
struct ProductionPrinter
{
    QString port, cancelMark;
};
ProductionPrinter printerOf(SaleContext &context, const QString &CDPRODUTO);

// The next combination group of the open order: one above the highest the tab holds in the
// base and the open sale's lines hold. Empty, after a shown message, when the base did not
// answer or all 999 groups are taken.
QString nextComboGroup(SaleContext &context);

// A money text as the registration reads it.
QString moneyText(double value);

} // namespace ItemKinds

// A refill counted for the entry on its way: applied only once its refill line is registered.
struct PendingRefill
{
    QString CDPRODUTO;
    QString localNRSEQ;     // the unsent ordinary line that counts it, or
    QString NRPRODCOMVEN;   // the order line in the base that counts it
    bool pending() const { return !CDPRODUTO.isEmpty(); }
};

// Refills of a seat: decides whether the entry is a free refill of a line already ordered for
// the seat, and counts it on that line once the refill line is registered.
class RefillControl
{
public:
    RefillControl(SaleContext &context, PendingRefill &pending) : m_context(context), m_pending(pending) {}
    void decide(const QString &CDPRODUTO);
    // After the registration of the entry: counts the refill when the refill line of that
    // product was registered; forgets it in every case.
    void settle(const PendingRefill &taken, bool registered, const PreenchePedidoArgs &item);

private:
    bool controlled(const QString &CDPRODUTO) const;
    QString seat() const;
    bool unsentOrdinaryLine(const QString &CDPRODUTO);
    bool orderedOrdinaryLine(const QString &CDPRODUTO);

    SaleContext &m_context;
    PendingRefill &m_pending;
};

// An observation product registered as a line of its own under the parent line stPedidoAux4.
class ObservationItem
{
public:
    struct Args
    {
        double Quantity = 0, Discount = 0, Addition = 0;
        QString ObsText, TypedObs, CancelledItemSeq, PrintGroupMark, OriginSeq, WeighedMark;
    };
    ObservationItem(SaleContext &context, const Args &args) : m_context(context), m_args(args) {}
    void run();

private:
    bool resolve();
    void refuseWithoutFamily();
    void removeCurrentLine();
    double quantity();
    void discountAndAddition(double quantity, const ItemKinds::ItemPrice &price);

    SaleContext &m_context;
    const Args &m_args;
    QString m_code, m_name, m_tree, m_family, m_weighed, m_unit, m_tare;
};

// The combined product: parts chosen in the host's dialog, registered as lines of one group.
class CombinedProductRoad
{
public:
    explicit CombinedProductRoad(SaleContext &context) : m_context(context) {}
    void press();

private:
    void refuseBeforeDialog();
    bool allowed();
    bool choose(ClientDataSet &parts);
    void checkParts(ClientDataSet &parts);
    void registerParts(ClientDataSet &parts, const QString &group);
    void registerPart(ClientDataSet &parts, const QString &group);
    void merge();
    void groupObservation();
    void showTotals();
    void log();
    void refuse(const QString &key);
    void enableProducts();

    SaleContext &m_context;
    QString m_authoriser; // who allowed this press: its own log's, never the sale's
};

// Folds a part registered again into the line of the same group, product and observation.
class CombinedPartMerge
{
public:
    explicit CombinedPartMerge(SaleContext &context) : m_context(context) {}
    void run();

private:
    void foldChildren(const QString &keptNRSEQ);
    void rekeyObservations(const QString &from, const QString &to);

    SaleContext &m_context;
};

// Prizes of a buy-and-win campaign, registered as lines.
class PrizeRegistration
{
public:
    explicit PrizeRegistration(SaleContext &context) : m_context(context) {}
    void run();

private:
    void prize();
    void comboHeader(const QString &group, const ItemKinds::ProductionPrinter &printer);
    void ownLineComponents(const QString &group, const ItemKinds::ProductionPrinter &printer);
    void simplePrize(const ItemKinds::ProductionPrinter &printer);
    PreenchePedidoArgs productArgs(const ItemKinds::ProductionPrinter &printer) const;
    bool registerLine(const PreenchePedidoArgs &args);
    QString nextLineNumber() const;
    void clearPrizes();

    SaleContext &m_context;
    QString m_code, m_name, m_tree, m_family, m_weighed, m_unit, m_tare;
};

// Tags the sale's rows with the promotion components recorded for the desk, before settlement.
class PromotionTagging
{
public:
    explicit PromotionTagging(SaleContext &context) : m_context(context) {}
    void run();

private:
    void tag(ClientDataSet &sale, ClientDataSet &saleCopy, ClientDataSet &cancelledCopy, const QString &product,
             const QString &promotion);

    SaleContext &m_context;
};
