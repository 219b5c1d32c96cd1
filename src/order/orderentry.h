#pragma once

#include "itemargs.h"

#include <runtime/variant.h>

#include <QString>

#include <functional>
#include <memory>

class ClientDataSet;
class ProductCodeIndex;
class QObject;
class SaleContext;
struct PendingRefill;
struct ProductRow;
struct ReceiptShown;

// What the coupon check made of a typed discount coupon for one line.
struct CouponCheck
{
    bool accepted = false; // false: refused after its message ("CUPOM_IND", "CUPOMUNICO_JA")
    double value = 0.0;    // the discount it gives the line
};

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
    ~OrderEntry();
    OrderEntry(const OrderEntry &) = delete;
    OrderEntry &operator=(const OrderEntry &) = delete;

    // The waiter of `Code` (adjusted to 4, else taken as an operator code adjusted to 12) in
    // the waiter copy; its name goes into `WaiterName`. An empty code clears stCDVENDEDOR and
    // is accepted. False when the copy is empty or holds no such waiter ("GAR_N_CAD").
    bool ValidaGarcom(QString &WaiterName, const QString &Code, const QString &CheckKind);

    // At the counter: one person and no table or tab numbers. In the other modes the open
    // tabs of the table (or the tab) give the people, seats, sale and tab numbers, and the
    // total already ordered is shown. A server failure is shown and counts nothing.
    void PreencheExtrato();

    // Click handlers of the buttons order entry answers.
    void spbPesquisaClick(QObject *Sender);
    void spbProdCombinadoClick(QObject *Sender);

    // ---- item registration (registration.cpp) -----------------------------------------------
    // Runs the registration checks in their order and registers the line. Answers false only
    // when the consumer-debit or personal-credit limits refused the item; every other refusal
    // and every registration answer true. Throws EAbort only when an observation product it
    // adds after the line ends the whole entry (AdicionaItemObs in a personal-credit sale);
    // otherwise a refusal has shown its message and left cdsItems as it was. The busy flags of
    // the entry roads are cleared on every way out. A refill marked by ControlaRefil is counted
    // here, once its refill line is registered.
    bool PreenchePedido(const PreenchePedidoArgs &Item);
    // Whether the last PreenchePedido added a line (the Boolean above cannot tell).
    bool lastItemRegistered() const { return m_lastRegistered; }

    // ---- the in-memory sale (addproduto.cpp) ------------------------------------------------
    // Appends and posts one line of cdsItems. A failed print-location lookup is shown and ends
    // in EAbort with no line added; so does a 1000th line, which three digits cannot number.
    void AddProduto(const AddProdutoArgs &Line);
    // The recovery file of a counter sale: the line just added to cdsItems goes to cdsVenda.cds
    // in the DSDIRCAD folder (one journal record, or the whole file where the journal cannot
    // take it), on the disk when this returns. Throws on a file error.
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

    // ---- steps of other roads ----------------------------------------------------------------
    // Tax data of the product; refused after its own message.
    ItemTax ValidaImpostoProduto(const QString &CDPRODUTO);
    // At the counter with an item-by-item fiscal printer: opens the receipt on the first item
    // and sells the item on the printer. On Sold the registration adds the line itself.
    FiscalItemSale VendeItemImpFiscal(const PreenchePedidoArgs &Item, const QString &Preco,
                                       const QString &Desconto, const ItemTax &Taxa);
    // Registers the observation product in lblBuffer as a line under the line stPedidoAux4
    // (observations of a line, promotion observation products, combo components printed as
    // their own lines). A price refusal is shown and nothing is registered; in a
    // personal-credit sale a product without family removes the current line and aborts.
    void AdicionaItemObs(double Quantity, double Discount, double Addition, const QString &ObsText,
                         const QString &TypedObs, const QString &CancelledItemSeq,
                         const QString &PrintGroupMark, const QString &OriginSeq,
                         const QString &WeighedMark);
    // Copies the promotion observations keyed NRSEQ onto the line just registered.
    void TrataObsPromo(const QString &NRSEQ);

    // ---- automatic tab sale (automatictab.cpp) ---------------------------------------------
    // Enters the till's automatic tab product as if typed and confirmed with Enter.
    void VendaComandaAuto();
    // "Produto lançado com sucesso" for three seconds with the buttons and input off, without
    // holding the event loop; then arms timComandaAuto, whose first tick comes a second later.
    void MsgComandaAuto();
    // A tick of timComandaAuto: with lines, sends the order once; written, it closes the screen
    // with "VENDA_COMANDA"; not written, it keeps the screen and its lines and gives the buttons
    // back, so the order button can send them. Without lines it waits for the next tick.
    void timComandaAutoTimer(QObject *Sender);
    // Nothing to trim here: the system gives memory back by itself. Never fails.
    void TrimAppMemorySize();

    // ---- the table or tab's bill and history (tabhistory.cpp) ----------------------------------
    // The orders already placed for the table or tab, listed on the receipt above the lines of
    // the new order, which keep them there.
    void PreencheHistorico(const QString &NRMESA);

    // ---- take-away (tfrmpraviagem.cpp) --------------------------------------------------------
    // The take-away dialog over the sale's own lines: each confirmed tick is posted at once.
    void ProdParaViagem(const QString &ModoVenda);

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
    // and runs its own checks, then hands the product here with its two steps inside the
    // pipeline (an empty caption sells nothing; an accepted promotion sold again replaces its
    // earlier lines). Returns when the item was registered, shown as a consultation or left
    // unsold by one of those steps; throws EAbort on a refusal.
    void sellButtonProduct(const ProductRow &product, const std::function<bool()> &goesOnAfterLineValues = {},
                           const std::function<void()> &promotionAccepted = {});
    // A press on a product button of the touch grid (productbutton*.cpp): a page turn, a price
    // consultation or one or more lines of the sale.
    void tcbBalcao01Click(QObject *Sender);

    // ---- order sending (ordersending.cpp) ---------------------------------------------------
    // Hands the open sale to the outside world: in table, tab and delivery mode the order write
    // with its surcharge and access log, in every mode the give-ups and the production tickets.
    // The three texts only travel to the print parameter record. A failure after the password
    // is shown and ends the operation without raising to the caller, which learns from the
    // answer whether the order is written: False when it was not (the sale must stay on screen
    // for another try); True when it was, or at the counter, also when a later step failed.
    bool VendeProduto(const QString &NrSeqVenda, const QString &VendaRealizada,
                      const QString &NrNaoFiscal);

    // ---- production tickets and the print parameter record (tickets*.cpp) ----------------------
    // What the order operation hands to the ticket step besides the form's state.
    struct TicketContext
    {
        QString WaiterName;
        QString ConsumerName;
        QString Room;          // CDSALA of the sale's table
        QString NrSeqVenda;
        QString VendaRealizada;
        QString NrNaoFiscal;
    };
    // Builds cdsImprimePedido from the lines of cdsItems and hands the tickets (and, at the
    // counter, the receipt and the card receipt) to the host's print service. Print failures
    // are swallowed here; the order operation goes on.
    void ImprimeProducao(const TicketContext &Context);
    // Fills the one row of cdsParamImpCupNF that goes with every non-fiscal print.
    void PreencheParamImpCupNF(const QString &PrintKind, const QString &NrNaoFiscal,
                               const QString &VendaRealizada, const QString &NrSeqVenda,
                               double TotalPaid);

    // ---- item kinds (refill.cpp, observationitem.cpp, combinedproduct.cpp, prizes.cpp,
    // coupons.cpp) ------------------------------------------------------------------------------
    // Table and tab modes: marks the entry as a free refill when the seat already ordered the
    // product (refill-controlled) as an ordinary line. The count on that line is raised only
    // when the refill line is registered, so a refused entry counts nothing.
    void ControlaRefil(const QString &CDPRODUTO);
    // Asks the coupon of the item being entered (coupons on, fiscal printer in use) and keeps
    // its value for the registration. Never stops the item.
    void controlaValorCupom(double quantity, double price, double discount, double addition,
                            const QString &CDPRODUTO);
    // The one coupon check, for the item being entered and for a line already in the sale:
    // the code (exact letter case) valid for the product at this branch today, not a
    // single-use coupon already used in this sale, worth more than 0. A refusal has been shown.
    CouponCheck validaCupomDesc(const QString &CDCUPOMDESCQUB, const QString &CDPRODUTO, double lineValue);
    // Takes the prize total doComboAux1 off one component of cdsItPromoCombAux.
    void AjustaPrecoCombo(const QString &CDPRODUTO);
    // Registers the chosen prizes (cdsPremio, cdsPremioComb, cdsPremioObs) as lines; empties
    // the prize datasets on every way out.
    void AdicionaPremio();
    // Price of the promotion combo being entered: the sum of its chosen components.
    double RetornaPrecoCombo();
    // Settlement in counter mode: tags cdsVenda's rows with the promotion components recorded
    // for the desk. Never fails the settlement.
    void Vd_PromocaoComb();
    // The buy-and-win dialog over the campaign's prizes (values as the product entry fills
    // them). vaRetorno gets the chosen prizes, their components, their observations and their
    // money value; the answer is True only when the operator confirmed the choice.
    Variant CriaCampCompGanhe(const QList<Variant> &values, Variant &vaRetorno);

private:
    ProductCodeIndex &productIndex();

    SaleContext &m_context;
    std::shared_ptr<ProductCodeIndex> m_productIndex;   // the product copy's code lookups
    std::unique_ptr<ReceiptShown> m_receiptShown;       // what the on-screen receipt shows
    bool m_lastRegistered = false;
    std::unique_ptr<PendingRefill> m_pendingRefill; // refill of the entry on its way
};
