#pragma once

#include <outside/pkg_hrk00002_sale.h>

#include <QMutex>
#include <QString>

#include <optional>

class QObject;
class SaleContext;

// Settlement, fiscal documents, cancellation and the production-printer failover. This class
// holds what the sale form's shell and start-up call; the settlement roads grow it.
class Settlement
{
public:
    explicit Settlement(SaleContext &context);
    Settlement(const Settlement &) = delete;
    Settlement &operator=(const Settlement &) = delete;

    void spbRecebClick(QObject *Sender);
    void spbCancelaCupomClick(QObject *Sender);
    void spbIncluiCpfClick(QObject *Sender);
    void btnCancelaQrCodeClick(QObject *Sender);

    // ---- buyer of the fiscal document (buyer*.cpp) --------------------------------------------
    // spbIncluiCpfClick (above) asks who the buyer is (PinPad or the additional-data dialog),
    // keeps CPF/CNPJ, name, address and foreign id in the buyer fields, writes them into every
    // line of cdsItems and shows them on the footer. A dialog the operator abandons leaves the
    // buyer as it was; "Não Informar" on the panel clears it.
    //
    // SolicitaCpf: the buyer for the item being registered: the client company or the badge
    // consumer of a counter sale, or the buyer identification; in the other sale modes (or once
    // the coupon is open) the consumer's name from the consumer register.
    void SolicitaCpf();
    // The panel panCPFPinPad: waits for the operator's choice, "PINPAD", "SISTEMA" or "SAIR".
    QString MensagemCPFPinpad();
    void btnCPFPinPadClick(QObject *Sender);
    void btnCPFSistemaClick(QObject *Sender);
    void btnSairCPFClick(QObject *Sender);
    // True when the NFC-e or SAT of this counter sale must name its buyer: the sale total has
    // reached VROBRIGCPFNOTA (0 switches the rule off) on a till that is not a collector.
    bool buyerIdentificationMandatory() const;

    // The QR-code sale of the Enter key, filled in by the QR-code sale road: the sale text of
    // the code read (empty: nothing usable), and the sale it stands for.
    QString FormataQRCode(const QString &code);
    void GerarVendaQRCode(const QString &saleText);

    // The failover watchdog (timImpressoraBackup, 30000 ms): switches its timer off; the
    // failover worker that re-prints stuck tickets comes with the failover road.
    void timImpressoraBackupTimer(QObject *Sender);

    // The lock the failover worker holds for its whole run. Made once per process and never
    // replaced, so a worker still running keeps a valid lock across host calls.
    static QMutex &cs();

    // --- Settlement foundations: payment row, cancelled lines, closing record, pager number,
    // SAT finishing. The roads call these.

    // Which settlement saves the sale: the datasets in slots 3, 6, 11 and 12 differ per road.
    enum class ClosingRoad {
        Ordinary,                 // ordinary sale
        Completion,               // sale completed with other payment means after the balances
        ExchangeFull,             // merchandise exchange
        PersonalCreditFull,
        PersonalCreditComplement,
        DebitFull,
        DebitComplement,
        QrCode,
    };

    // The outcome of one save: the saved sale key when stored, else the failure's text (the
    // road's failure handling decides what follows). `answer` keeps the result elements.
    struct SaveResult
    {
        bool saved = false;
        QString saleKey;
        QString failure;
        ClosingAnswer answer;
    };

    // The single cash-movement row of a sale the consumer's balance pays whole: personal credit
    // (True) or consumer debit (False), from the till's receipt type "9" or "A". False, after
    // an error message and with boRecebendo cleared, when no such receipt type is configured or
    // the row could not be written: the road must stop before the save.
    bool InsereMovCaixa(bool creditoPessoal);

    // Rebuilds cdsVenda from the receipt lines and cdsVendaCancelada from the lines cancelled
    // during the sale, with their tax data (empty, and logged, for a product without a tax
    // row). With every line cancelled cdsVenda is left empty. False, after an error message,
    // when a row could not be written: the road must not record half-built rows.
    bool PreencheVendCanc();

    // The 51-value header of the save, read from the form state now; the document number in
    // hand and the payment screen's output 11 are the road's own.
    ClosingHeader closingHeader(const QString &documentInHand, const QString &paymentText11) const;
    // The thirteen datasets of the save for the road.
    ClosingDatasets closingDatasets(ClosingRoad road);
    // The diagnostic trace text of the save.
    QString closingTrace(const ClosingHeader &header) const;
    // Saves the sale with the host's service: vaRetorno made a ten-element array first, the
    // answer through MensagemMetodo (code 10) and its result array back into vaRetorno.
    SaveResult SetConcluiFechamento(ClosingRoad road, const ClosingHeader &header);

    // The order pager number in the mode of IDSENHACUP ("S" sequential, "D" typed, "A" random
    // five digits, else random three digits); empty, after a message, when none could be had.
    QString GeraSenhaCupom(const QString &mode, int lowest);

    // Transmits the CF-e of the saved sale and keeps its data in the form; answers empty when
    // the SAT accepted, else the failure's text (the caller cancels the sale).
    QString FinalizaVendaSat(const QString &savedSaleKey);

    // ---- settlement end and failure recovery (settlementend*.cpp) ----------------------------
    // The screen reset every finished or cancelled settlement runs before it leaves. With
    // `sold`, VendeProduto first hands the saved sale to the order operation (tickets, receipt)
    // with the sale's number, the print letter ("A" ordinary, "C" completion) and the document
    // number.
    struct SoldSale
    {
        QString savedSaleKey;
        QString letter;
        QString documentNumber;
    };
    void resetAfterSettlement(const std::optional<SoldSale> &sold = std::nullopt);
    // The payment screen answered False. `recordCancelled` is the screen's var Boolean;
    // `couponNumber` the coupon it returned.
    void paymentNotConfirmed(bool recordCancelled, const QString &couponNumber);
    // The outer block's two handlers: the silent abort, and every other failure of the roads
    // (its message text).
    void settlementAborted();
    void settlementFailed(const QString &message);

    // What the failure handler shows for a failure text: the operator message (empty: none) and
    // whether the completion offer follows (else the sale stays on screen). A balance error
    // whose figures cannot be read is shown as it came.
    struct FailureNotice
    {
        QString text;
        bool completionOffer = true;
    };
    FailureNotice failureNotice(const QString &message) const;

    // ---- cancellation records the base could not take (pendingrecords.cpp) ------------------
    // A cancellation record (IncluiVendaCan, AlteraVendaCan) the host could not write is kept
    // as one data-packet file in this folder (under DSDIRCAD), and the cashier told once.
    QString pendingRecordsFolder() const;
    // Writes the kept records, oldest first, deleting each file once the host wrote it; stops
    // at the first one the host still refuses. The settle button calls it at every settlement
    // once the base has answered. Answers how many were written.
    int writePendingRecords();

    // ---- the settle button and the ordinary sale road (settlebutton*.cpp, ordinaryroad*.cpp) --
    // What the common start hands to the road it chooses, for the length of one settlement.
    struct SettlementRun
    {
        QString documentInHand; // the open coupon's number; the NFC-e number once taken
        QString waiterName;     // answered by the waiter check; empty when none was asked
        double saleTotal = 0;   // what PreencheVenda added up (read by the consumer roads)
        QString paymentText11;  // the payment screen's output 11, header value 14 of the save
    };

    // How the last settlement left the road, for whoever follows settlements (the journal,
    // tests): the end it handed over, the unpaid answer, or a stop with its reason.
    struct RoadEnd
    {
        enum class Kind { None, Sold, Reset, Unpaid, Refused, Failed };
        Kind kind = Kind::None;
        std::optional<SoldSale> sold;   // Sold: what the end received
        bool recordCancelled = false;   // Unpaid: the payment screen's flag
        QString couponNumber;           // Unpaid: the coupon it returned
        QString reason;                 // Refused / Failed: the text shown
    };
    const RoadEnd &lastRoadEnd() const { return m_lastRoadEnd; }

    // The ordinary sale: payment screen, document number, save, electronic document,
    // loyalty, then the end with the production tickets. Runs inside the outer block.
    void ordinarySaleRoad(SettlementRun &run);

    // Roads whose own handlers come later; each refuses the settlement after a clear message.
    void personalCreditRoad(SettlementRun &run); // filled in by the personal-credit road
    void consumerDebitRoad(SettlementRun &run);  // filled in by the consumer-debit road
    void exchangeRoad(SettlementRun &run);       // filled in by the merchandise-exchange road

private:
    // ---- settlement end helpers (settlementend*.cpp) -----------------------------------------
    QString cancellationTrace(const QString &documentNumber) const;
    // IncluiVendaCan for a sale that was never stored; false when the host did not record it
    // now (the record is then kept for later and the cashier told).
    bool recordCancelledSale(const QString &documentNumber);
    // AlteraVendaCan for a stored sale; false when the host did not change it now (kept).
    bool markStoredSaleCancelled(const QString &savedSaleKey);
    bool sendCancelledSale(const CancelledSaleRecord &record, const QString &trace);
    bool sendStoredSaleCancelled(const CancelledStatusChange &change, const QString &trace);
    void keepPendingRecord(const DataPacket &record, const QString &failure);
    void logCouponCancelled(const QString &couponNumber);
    // The shell's ChamaClick_BotaoVendaConsumidor (the next badge consumer sale) is reached
    // here; the next-sale road fills it in, until then the screen stays on its starting page.
    void prepareNextConsumerSale();
    // The shell's relacionaEmailVenda (the consumer's e-mail for the receipt) is reached here;
    // the receipt e-mail road fills it in, until then no address is related.
    void relateSaleEmail();
    void bringFormToFront();
    void keepSaleOnScreen();
    void completionOffer();
    void cancelCouponAfterFailure();
    void completeWithOtherPayment();
    double balanceCoveredAmount();
    double familyCoverage(const QString &family, double balance, double familyTotal);
    bool insertBalancePaymentRow(double covered);
    PaymentAnswer askCompletionPayment(double covered);
    void finishCompletedSale(const PaymentAnswer &paid);
    bool numberCompletedSale(QString &documentNumber);
    void undoCompletedPayment(const QString &failure);
    void refreshAfterRefusedCompletion();
    void reloadBalances();
    void completionTail();

    void showTotalOnDisplay();
    QString fillSaleRows();
    QString fillCancelledRows(bool zeroRuleApplies);
    QString sequentialPager();
    QString typedPager();
    QString randomPager(int lowest, int highest);
    // True when an order uses the number; empty when the server could not say (reported).
    std::optional<bool> pagerInUse(const QString &number);

    // The payment screen (paymentscreen.cpp): the ordinary sale's request (marker "N"; the
    // other roads change what differs), the datasets it works on, and its by-reference values
    // kept in the form.
    PaymentRequest paymentRequest(const QString &documentInHand, const QString &waiterName) const;
    PaymentDatasets paymentDatasets();
    void keepPaymentOutputs(const PaymentAnswer &answer);

    // Common start of the settle button (settlebutton*.cpp).
    bool biometricConfirmed();
    bool saleMaySettle();
    bool operatorMessageAccepted();
    bool buyerIdentifiedWhenRequired();
    void askConsumerName();
    bool waiterConfirmed(SettlementRun &run);
    bool serverAnswers();
    // A server call before the payment failed: one message (the database's own text only as
    // its detail), boRecebendo cleared, the sale left on screen to be settled again.
    void refuseBeforePayment(const QString &failure, const QString &method = {});
    void clearPreviousDocumentValues();
    void chooseRoad(SettlementRun &run);
    void sharedExchangeAndOrdinaryStart(SettlementRun &run);
    bool buyerRuleApplies() const;
    void refuseRoad(const QString &roadName);
    // Seams of other subsystems' routines not built yet (their roads fill them in).
    void combinedPromotions(); // Vd_PromocaoComb of order entry: no combined promotion yet

    // Steps of the ordinary sale road (ordinaryroad*.cpp).
    // Where the save left the ordinary road.
    struct SaveOutcome
    {
        bool goesOn = false; // the sale is stored: the end with its tickets follows
        QString saleKey;     // the saved sale key; empty when nothing was stored
        double points = 0;   // loyalty points the save answered
    };
    // Empty when every lookup answered, else the first failure's text (the rest not asked).
    QString markLoyaltyProducts();
    void applyManualSaleReceipt();
    bool takePayment(SettlementRun &run);
    void drawPagerIfMissing();
    bool takeDocumentNumber(SettlementRun &run);
    bool takeColombianNumber();
    void takeElectronicOrPlainNumber(SettlementRun &run);
    void writeOrderNumber();
    SaveOutcome saveAndIssue(SettlementRun &run);
    bool issueElectronicDocument(const SaveOutcome &outcome, const ClosingAnswer &answer);
    void printElectronicReceipt(const QString &saleKey);
    void postLoyalty();
    void grantBenefits();
    void handleSaveFailure(SaveOutcome &outcome, const SettlementRun &run, const QString &failure);
    void fiscalPrinterSaveFailed(const SettlementRun &run);
    void saveFailedBeforeStoring(const QString &failure);
    void satFailed(const QString &saleKey, const QString &failure);
    void undoCardPayment();
    void stopAfterPayment(const QString &reason);
    // The NFC-e was left in contingency by the save: the cashier is told, the card undone and
    // the stored sale recorded as cancelled; the screen is made free.
    void nfceContingency(const QString &saleKey);
    void finishSoldSale(const SaveOutcome &outcome);
    void endWithReset(RoadEnd::Kind kind, const QString &reason = {});

    RoadEnd m_lastRoadEnd;
    SaleContext &m_context;
};
