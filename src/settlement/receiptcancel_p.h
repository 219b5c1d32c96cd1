#pragma once

// The receipt cancellation (cancel-receipt button and its key): the open counter sale, or a
// sale already closed on the fiscal printer, the SAT, an NFC-e or a non-fiscal number, with
// the reversals of everything the sale started elsewhere. Private to the settlement subsystem.

#include <outside/pkg_hrk00002_printing.h>
#include <outside/pkg_hrk0000_common.h>
#include <runtime/clientdataset.h>
#include <runtime/variant.h>

#include <QString>

class SaleContext;

class ReceiptCancel
{
public:
    explicit ReceiptCancel(SaleContext &context);

    // One press. A press while another runs (a dialog of it open) does nothing at all.
    void press();

    // The values of one press, shared by the routes and the closed-sale reversals.
    struct Values
    {
        QString note;                // the cancellation note; "erro" from the dialog counts as none
        // Who allowed the cancellation: recorded with what it cancels. A closed receipt's
        // cancellation comes between sales, so it is kept here, never in the next sale.
        QString authoriser;
        QString noteSecondValue;
        QString couponNumber;        // the fiscal printer's cancelled coupon
        QString documentNumber;      // the CF-e, NFC-e or non-fiscal number
        QString kind;                // "NFCe-Sat", "NFCe", "" (cash) or "C" (personal credit)
        NameValueList satAnswer;
        QString satAccessKey;
        // The CF-e number typed on the SAT cancellation and the SAT's cancellation XML: asked
        // anew on every press, so a number of an earlier press never chooses this one's document.
        QString stCancCupomAux2;
        QString stCancCupomAux1;
        QString stCancCupomAux8;     // "S": the 30-minute rule also for an NFC-e not yet authorised
        bool cancelled = false;      // a route identified what to cancel: the end clears the screen
    };

private:
    // ---- the press (receiptcancel.cpp) ----
    void run();
    bool guardsPass();
    bool noteGiven();
    void chooseRoute();
    bool question(const QString &text) const;
    void stop(const QString &text) const; // an error message, then the silent abort
    void commonEnd();
    bool openCounterSale() const;

    // ---- routes (receiptcancel_routes.cpp) ----
    void fiscalPrinterRoute();
    void refuseLastCoupon();
    void satRoute();
    bool askSatNumber();
    void cancelAtSat();
    void plainRoute();
    void afterRoute();

    // ---- the open counter sale (receiptcancel_opensale.cpp) ----
    void recordOpenSale();
    bool takeOpenSaleNumber(QString &number);
    bool printOpenSaleVoucher(const QString &number);
    CancelVoucherRequest cancelVoucher(const QString &kind, const QString &number, const DataPacket &sale) const;
    bool printCancelVoucher(const CancelVoucherRequest &voucher);
    void openDrawer(bool cashSale);
    void writeOpenSaleRecord(const QString &number);
    void logCancellation(const QString &number);

    // ---- the closed sale (receiptcancel_closed.cpp) ----
    void closedSale();
    void fiscalPrinterSale();
    void reverseCardPayment();
    void nfceSale();
    bool nfceTooLate();
    void satOrPlainSale();
    // What the server's cancellation came to. Kept: it failed after the document was
    // cancelled outside (`doneOutside` names what was done), so it is kept to be written when
    // the base answers; without `doneOutside` a failure ends the press.
    enum class ServerCancel { Cancelled, NotFound, Kept };
    ServerCancel cancelOnServer(const QString &cfeFile, const QString &doneOutside);
    void refuseKeptCancellation(const QString &kind);
    void cancelGcom(const QString &saleSequence);
    QString notCancelledText();
    void finishDocument();
    void printSatReceipt();
    void printPlainVoucher();
    bool printNfceVoucher(bool contingency);
    QString cfeFileText() const;
    void withdrawFromKitchen(const DataPacket &sale, const QString &saleSequence);

    SaleContext &m_context;
    Values m_values;
    // The sales the server answers for the press: the SAT sale found by number, the NFC-e to
    // cancel and the cancelled sale.
    ClientDataSet m_cdsCancSat{QStringLiteral("cdsCancSat")};
    ClientDataSet m_cdsVendaCanNFCe{QStringLiteral("cdsVendaCanNFCe")};
    ClientDataSet m_cdsVendaNFisc{QStringLiteral("cdsVendaNFisc")};
    bool m_serverKept = false; // the server's cancellation is kept in the till, not yet written
    // A partner of this press left the till waiting until its time-out: the press waits on no
    // other partner, whose calls are kept and sent later.
    bool m_partnerUnanswered = false;
};

// The CF-e number and the SAT serial of a CF-e document: the text of its nCFe and nserieSAT
// elements, each all digits of its fixed length; empty when the document lacks it.
struct CfeNumbers
{
    QString number;  // six digits
    QString serial;  // nine digits
};
CfeNumbers cfeNumbersOf(const QString &cfeXml);
