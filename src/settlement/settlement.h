#pragma once

#include <outside/pkg_hrk00002_sale.h>

#include <QChar>
#include <QMutex>
#include <QString>
#include <QtCore/qnamespace.h>

#include <memory>

class FailoverWorker;
class QObject;
class SaleContext;
struct RoadEnd;

// Settlement, fiscal documents, cancellation and the production-printer failover: the
// handlers the sale form and the other sale subsystems call. Each handler delegates to the
// class of its road or step (settle button, ordinary and completion roads, settlement end,
// buyer identification, kept cancellation records), declared in this folder's private headers.
class Settlement
{
public:
    explicit Settlement(SaleContext &context);
    ~Settlement();
    Settlement(const Settlement &) = delete;
    Settlement &operator=(const Settlement &) = delete;

    // The settle button: the common start, then the road of the sale. Every way out clears
    // boRecebendo; a failure of a road is shown and ends in the failure recovery.
    void spbRecebClick(QObject *Sender);
    // The receipt cancellation (receiptcancel_p.h): the open counter sale, or a closed sale by
    // the till's document, with its reversals; every way out runs the common end.
    void spbCancelaCupomClick(QObject *Sender);
    // The production ticket of a cancelled receipt's items whose products ask for one, sent once
    // per production printer pass. A failure is shown and never stops the caller.
    void Cancela_Item_Imp_NFis(const QString &receiptNumber);
    // Ends a merchandise exchange: the returned items' credit and its file are dropped.
    void Limpa_TrocaMercadoria();
    // Starts a merchandise exchange from the returned items' file in the cadastre folder: the
    // credit shown, the screen restricted to a counter sale. False, after a clear message and
    // with nothing started, when the file is missing or unreadable.
    bool TrocaProdutos();
    void spbCancelaTrocaClick(QObject *Sender);
    // Where the host leaves the returned items: the cadastre folder (DSDIRCAD) only.
    QString returnedItemsPath() const;

    // ---- QR-code sale ---------------------------------------------------------------------------
    // The reading panel: opened by spbLerQrCode (refused while a coupon is open), closed by its
    // cancel button; while it is up the scanner's characters collect in lblBufferQRCODE and
    // Enter turns them into a sale.
    void spbLerQrCodeClick(QObject *Sender);
    void btnCancelaQrCodeClick(QObject *Sender);
    void edtQrCodeKeyPress(QObject *Sender, QChar &Key);
    void edtQrCodeKeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift);

    // ---- buyer of the fiscal document ---------------------------------------------------------
    // Asks who the buyer is (PinPad or the additional-data dialog), keeps CPF/CNPJ, name,
    // address and foreign id in the buyer fields, writes them into every line of cdsItems and
    // shows them on the footer. A dialog the operator abandons leaves the buyer as it was;
    // "Não Informar" on the panel clears it.
    void spbIncluiCpfClick(QObject *Sender);
    // The buyer for the item being registered: the client company or the badge consumer of a
    // counter sale, or the buyer identification; in the other sale modes (or once the coupon
    // is open) the consumer's name from the consumer register.
    void SolicitaCpf();
    // The panel panCPFPinPad: waits for the operator's choice, "PINPAD", "SISTEMA" or "SAIR".
    QString MensagemCPFPinpad();
    void btnCPFPinPadClick(QObject *Sender);
    void btnCPFSistemaClick(QObject *Sender);
    void btnSairCPFClick(QObject *Sender);

    // The scanner's text expanded (qrcodepayload_p.h), with the waiting window opened for the
    // sale; empty when nothing was read. GerarVendaQRCode builds, documents and saves the sale
    // of an expanded text (qrcodesale_p.h); every end leaves the till free or the panel ready
    // for another scan.
    QString FormataQRCode(const QString &code);
    void GerarVendaQRCode(const QString &saleText);

    // The failover watchdog (timImpressoraBackup, 30000 ms): switches its timer off and starts
    // one failover run on the worker thread (printerfailover.h); the run switches it on again.
    void timImpressoraBackupTimer(QObject *Sender);
    // The worker of the failover runs, for the tests to wait on.
    FailoverWorker &failover() { return *m_failover; }
    // Whether a network printer answers a ping within 500 ms.
    bool VerificaImpressoraRede(const QString &host);

    // ---- card-program file exchange --------------------------------------------------------
    // One credit purchase through the card program's request and answer folders: "ok" when
    // it approved, "can" when it refused, did not take the request up, did not answer in time,
    // answered garbage or the operator gave up waiting; "" for an empty amount.
    QString FuncChartRec(const QString &amount);
    // Creates both exchange folders when missing and deletes the files directly inside them.
    void cleanDirectoryChart();

    // The lock the failover worker holds for its whole run. Made once per process and never
    // replaced, so a worker still running keeps a valid lock across host calls.
    static QMutex &cs();

    // ---- settlement foundations the roads call -------------------------------------------------

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

    // Saves the sale with the host's service: vaRetorno made a ten-element array first, the
    // answer checked and its result array back into vaRetorno. The header comes from
    // ClosingRecord (closingrecord_p.h).
    SaveResult SetConcluiFechamento(ClosingRoad road, const ClosingHeader &header);

    // The order pager number in the mode of IDSENHACUP ("S" sequential, "D" typed, "A" random
    // five digits, else random three digits); empty, after a message, when none could be had.
    QString GeraSenhaCupom(const QString &mode, int lowest);

    // Transmits the CF-e of the saved sale and keeps its data in the form; answers empty when
    // the SAT accepted, else the failure's text (the caller cancels the sale).
    QString FinalizaVendaSat(const QString &savedSaleKey);

    // How the last settlement ended (settlement_p.h): read by the tests and the journal,
    // written by the roads.
    RoadEnd &lastRoadEnd() { return *m_lastRoadEnd; }
    const RoadEnd &lastRoadEnd() const { return *m_lastRoadEnd; }
    // The same for callers outside the subsystem: whether the last settlement sold its sale, and
    // the text it showed when it refused or failed (empty otherwise).
    bool lastRoadSold() const;
    QString lastRoadReason() const;

private:
    SaleContext &m_context;
    std::unique_ptr<RoadEnd> m_lastRoadEnd;
    std::unique_ptr<FailoverWorker> m_failover;
};
