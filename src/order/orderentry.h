#pragma once

#include <runtime/variant.h>

#include <QString>

#include <memory>

class ProductCodeIndex;
class QObject;
class QWidget;
class SaleContext;
struct PreenchePedidoArgs;
struct ProductRow;

// Order entry: the road of one product to the open sale, orders and tickets. This class holds
// what the sale form's shell and start-up call; the item road grows it.
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

    // ---- product entry --------------------------------------------------------------------
    // The product of a code as the till accepts it: a shortcut code of the screen's menu, a
    // bar code, one of the product's own codes, or a scale label whose product part is one of
    // those (FromScaleLabel). The eleven outputs are written only when a product was found.
    // False after "TAB_VAZIA_PROD" (empty product copy) or "Prod_NCad" (no such product).
    bool ValidaProduto_Codigo(QString &ProductCode, QString &ProductName, QString &TreeCode,
                              QString &Family, QString &Weighable, QString &Unit, QString &Tare,
                              QString &PrintKind, QString &CompositionKind, QString &PromoEnd,
                              QString &PromoStart, const QString &Code, bool &FromScaleLabel);
    // False when the scale answered one of its error codes instead of a weight (the operator
    // has been told); scale model "12" only, the callers decide.
    bool RealizarTratamentoErroBalanca(double Weight);
    // Prints the weighing receipt of the weighed lines of the open order; never fails the
    // order (a failure is logged).
    void ComprovantePesagem();
    // The weighing receipt's text, lines ended by the printer model's terminator; empty when
    // no line is marked for it.
    QString textoComprovantePesagem();

    // The road of a typed or scanned code (Enter with a non-empty key buffer).
    void enterTypedCode(const QString &code);
    // The product button's entry into the same pipeline: the button road resolves its row
    // and runs its own checks, then hands the product here.
    void sellButtonProduct(const ProductRow &product);

    // Seams of the roads that fill them in later (coupons, refills, combinations, prizes).
    void zeraVariaveisCupomDesc();       // discount coupons
    void ControlaRefil(const QString &CDPRODUTO); // refills of the seat
    void controlaValorCupom(double quantity, double price, double discount, double addition,
                            const QString &CDPRODUTO); // discount coupons
    void AjustaPrecoCombo(const QString &CDPRODUTO);   // prizes of a combination
    void AdicionaPremio();                             // prizes
    double RetornaPrecoCombo();                        // combined products
    // The buy-and-win dialog: the prizes road fills it in; until then no prize is offered and
    // the item goes on (True, nothing chosen).
    Variant CriaCampCompGanhe(const QList<Variant> &values, Variant &vaRetorno);

private:
    friend class ProductEntry;
    ProductCodeIndex &productIndex();
    bool waiterBelongsHere();
    bool searchChecks(QWidget *grid);
    bool chooseSearchedProduct(ProductRow &product);
    void logSearch(const ProductRow &product);
    std::shared_ptr<ProductCodeIndex> m_productIndex;

private:
    SaleContext &m_context;
};
