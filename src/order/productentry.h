#pragma once

#include "itemargs.h"

#include <sale/salestate_sale.h>
#include <sale/salestate_till.h>

#include <runtime/clientdataset.h>

#include <QList>
#include <QString>

#include <functional>

class SaleContext;
struct SaleState;

// The product row the entry works on, whichever entry found it: the outputs of
// ValidaProduto_Codigo (typed code), the chosen row of the search list, or a button's row.
struct ProductRow
{
    QString CDPRODUTO;
    QString NMPRODUTO;
    QString CDARVPROD;
    QString CDFAMILISALD;
    QString IDPESAPROD;
    QString SGUNIDADE;
    QString QTTARAPROD;     // text; "0" when the copy has none
    QString IDIMPPRODUTO;   // "1": promotion components attached to the product's line
    QString IDTIPOCOMPPROD; // "3" promotion, "6" all-you-can-eat promotion
    QString DTFINVGPROMOC;
    QString DTINIVGPROMOC;
    // The code the price function, the seat lookup and the registration use: the button
    // road's CDIDENTBUTON; CDPRODUTO on the other roads.
    QString CDIDENTBUTON;
    bool fromScaleLabel = false;

    QString priceCode() const { return CDIDENTBUTON.isEmpty() ? CDPRODUTO : CDIDENTBUTON; }
};

// Where the three entries of the one product pipeline differ. Each step of the pipeline is
// written once and reads these switches; an entry is one of the three presets.
struct EntryOptions
{
    enum class Entry { EnterKey, ProductButton, Search };
    enum class SeatCheck { BeforeWeighing, AfterWeighing, AfterLineValues };
    enum class PrinterLookup { BeforePrice, AfterConsultation };
    enum class BufferAfterRegistration { Always, NotAfterAttached, OnlyPlain };

    Entry entry = Entry::EnterKey;
    bool HandlerGuards::*busyFlag = &HandlerGuards::boDigitacaoAux1;
    // Price consultation read from the consultation button's state (search) rather than from
    // boConsultaPreco.
    bool consultationByButton = false;
    // The price function and the line values run also in price consultation (Enter key).
    bool pricesInConsultation = false;
    bool checksCollectorAfterPrice = false;   // "Ope_Col" after the price (button)
    bool checksFraction = false;              // "PROD_FRAC" (button)
    SeatCheck seatCheck = SeatCheck::AfterWeighing;
    bool decodesScaleErrors = false;          // model "12" error codes
    bool decodesScaleLabel = false;           // label quantity or value (Enter key)
    bool limitsTypedQuantity = false;         // quantity limit after a typed quantity
    PrinterLookup printerLookup = PrinterLookup::BeforePrice;
    bool checksValueLimits = false;           // "Valor_zerado" and "Lim_Pag" (button)
    bool namesProductInPriceError = false;    // "Preco_deve" followed by code and name
    bool reenablesButtonsOnPriceError = false;
    bool fillsOpenPromotionDates = false;     // empty validity shown as yesterday/tomorrow
    bool clearsBufferOnRefusal = false;       // refusals that say so clear lblBuffer
    bool undoesLineValuesWhenPromotionDeclined = false;
    BufferAfterRegistration bufferAfterRegistration = BufferAfterRegistration::Always;
    // Steps an entry adds at fixed points (the product button's). Once the quantity and the
    // line values are known: false ends the item unsold, without a message.
    std::function<bool()> goesOnAfterLineValues;
    // After the promotion function accepted the item.
    std::function<void()> promotionAccepted;

    static EntryOptions enterKey();
    static EntryOptions productButton();
    static EntryOptions search();
};

// One item on its way from a found product to registered lines: price, weighing, the entry
// rules, promotion, price consultation, variable price, production printer, buy-and-win and
// registration. A refusal shows its message and ends through Abort(); the entry handler
// around it owns the busy flag and the clean-up.
class ProductEntry
{
public:
    ProductEntry(SaleContext &context, const EntryOptions &options);
    ProductEntry(const ProductEntry &) = delete;
    ProductEntry &operator=(const ProductEntry &) = delete;

    enum class Outcome {
        Registered,
        Consulted, // shown as a price consultation
        NotSold,   // ended quietly by a step of the entry (goesOnAfterLineValues) or, on the
                   // button road, by a declined promotion
    };

    // Runs the pipeline for `product`. `typedCode` is the buffer's text on the Enter road (the
    // scale label), empty otherwise. Returns how the item ended; throws EAbort on every
    // refusal.
    Outcome sell(const ProductRow &product, const QString &typedCode = QString());

    // The price function's refusal codes and the message each is shown with.
    static QString priceRefusalKey(const QString &code);

private:

    bool consulting() const;
    void refuse(const QString &key, int kind = 3, bool clearBuffer = false,
                const QStringList &args = {});
    void resetQuantity(bool reenableButtons);
    void reenableButtons();
    void clearBuffer();

    void findProductionPrinter();
    void askPrice();
    void failPrice(const QString &code);
    void checkCollectorDesk();
    void checkFraction();
    void checkSeat();
    void weighOrLimit();
    void weigh();
    double readScale();
    void checkQuantityLimit(double quantity);
    void lineValues();
    bool decodeScaleLabel();
    void plainLineValues();
    void checkAllYouCanEat();
    bool expandPromotion();
    void itemGroup();
    void checkPromotionDates();
    void showConsultation();
    void variablePrice();
    void checkValueLimits();
    void offerPrizes();
    void registerLines();
    // The scratch of one registerAttached: the promotion mark of the line, whether a new line
    // is registered, and the rows kept for it (dropped again when the line is refused).
    struct AttachedRun
    {
        QString attached;
        bool newLine = true;
        QList<Bookmark> keptRows;
        QList<Bookmark> keptObservations;
    };
    void registerAttached();
    AttachedRun attachComponents();
    bool joinsSeatLine();
    void couponValue();
    void registerAttachedLine(const AttachedRun &run);
    QList<Bookmark> keepComponents();
    void addComponentDiscounts();
    QList<Bookmark> keepObservations();
    static void dropRows(ClientDataSet &dataset, const QList<Bookmark> &rows);
    void registerComponents();
    void registerPlain();
    void afterRegistration(bool attachedForm, bool plainForm);
    bool registerItem(const PreenchePedidoArgs &args);
    PreenchePedidoArgs productArgs() const;

    SaleContext &m_context;
    EntryOptions m_options;
    ProductRow m_product;
    QString m_typedCode;
    QString m_price;        // unit price text to register
    QString m_group;        // combination group
    QString m_printer;      // CDPORIMPPROD
    QString m_cancelPrint;  // IDIMPCANITEM
    bool m_hasDiscount = false;
};

namespace EntryRules {
// The counter's receipt number of the Colombian numbering, reserved before the first item. A
// held number is kept; an exhausted range or a failed request refuses the item (EAbort).
// False when the rule does not apply (another mode, a fiscal printer, a consultation, another
// country).
bool reserveReceiptNumber(SaleContext &context, bool consulting);
// Shows the message of `key` and ends the item through the silent abort.
[[noreturn]] void refuse(SaleContext &context, const QString &key, int kind = 3, const QStringList &args = {});
// A data collector at the counter takes no items ("Ope_Col").
bool collectorAtCounter(const SaleState &state);
} // namespace EntryRules

// The one place a registration leaves the product entry: OrderEntry::PreenchePedido by
// default; tests and benchmarks may put a recorder in its place.
std::function<bool(SaleContext &, const PreenchePedidoArgs &)> &preenchePedidoHook();
