#pragma once

#include <outside/pkg_hrk00001.h>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A simulated fiscal printer. It keeps what a real one keeps (receipt counter COO, fiscal
// receipt counter CCF, grand total, the open receipt) in "estado.txt" of its folder, saved
// after every change so that a restart carries on where it stopped, and prints a readable
// tape, one file a day: "fita-<yyyy-MM-dd>.txt" (opened receipts, items, totals, payments,
// cancellations). Its folder is the site's Dados/ImpressoraFiscal.
//
// A receipt is closed in two steps, as on a real printer: its payments are registered
// (total, means, change on the tape), then the closing ends it and adds it to the grand total.
// The payment screen registers the payments of a counter sale; the sale save ends the
// closing once the sale is stored, so a sale that could not be stored is cancelled while its
// receipt is still open. FechaCupom does both at once.
//
// Refusals (no receipt open, a receipt already open, a wrong serial, nothing to cancel)
// answer false and are told to the operator through the reporter, as a real printer's
// package tells its own errors.
class FiscalPrinter
{
public:
    // The serial number every simulated printer reports.
    static QString defaultSerial();

    explicit FiscalPrinter(const QString &folder);

    // The printer of the current site (made again when the site folder changes).
    static FiscalPrinter &forSite();

    void setReporter(std::function<void(const QString &)> reporter) { m_reporter = std::move(reporter); }

    DateAnswer DataMoviFiscal(const SchemeRequest &request);
    CouponOpenAnswer AbreCupom(const CouponOpenRequest &request);
    ItemSaleAnswer VendaItem(const ItemSaleRequest &request);
    FiscalCloseAnswer FechaCupom(const FiscalCloseRequest &request);
    CouponCancelAnswer Cancela_Cupom_Imp(const CouponCancelRequest &request);
    HostResult VerificaSerialImp(const SerialCheckRequest &request);
    DateCheckAnswer VerificaData(const DateCheckRequest &request);
    TextAnswer Nr_Cupom(const ReceiptNumberRequest &request);
    HostResult Atu_TotGeral(const GrandTotalRequest &request);
    HostResult Abre_Gaveta_Imp(const FiscalDrawerRequest &request);
    // The personal-credit purchase voucher: a non-fiscal voucher on the tape with the tenders.
    CreditPurchaseFiscalAnswer Compr_CredPessoal(const CreditPurchaseFiscalRequest &request, const DataPacket &payments);
    // The models that print a sale whole at its close (16, 21, 30): the sale's rows (cdsVenda:
    // code, name, quantity, price and client price, discounts, surcharges; the sale-wide
    // VRDESCOMANDA once) and its payments (cdsMovCaixa) as one receipt, opened, paid and closed
    // at once. Answers the receipt's COO, or "Erro" (with the refusal in `failure`) when a
    // receipt is open already, the sale has no rows or payments, or the printer refuses a
    // row; a receipt refused half-way is cancelled on the tape.
    TextAnswer ImpressaoVenda(const SalePrintRequest &request, const DataPacket &sale, const DataPacket &payments);
    // The X reading (counters and grand total) on the tape; refused while a receipt is open.
    QString readingX();
    // A non-fiscal voucher on the tape (the credit load, the debit and personal-credit
    // vouchers): a document of its own number, the printer's heading, "COMPROVANTE NÃO
    // FISCAL", `title` and `body`. Refused while a fiscal receipt is open. Answers the refusal,
    // empty when printed.
    QString printVoucher(const QString &title, const QStringList &body);

    // One line of the open receipt, as the printer keeps it.
    struct Item
    {
        QString code;
        QString name;
        QString unit;
        QString rate;
        double quantity = 0;
        double price = 0;
        double discount = 0;
        double addition = 0;
        bool cancelled = false; // cancelled on the receipt: printed, counts for nothing
        double total() const;
    };

    // Registers the payments of the open receipt (rows with NMTIPORECE or CDTIPORECE,
    // VRMOVIVEND and, when present, VRTROCO: what the customer handed over is their sum) and
    // prints its total, means and change. Refused when no receipt is open, when its payments
    // are registered already or when there is no payment. Answers the refusal, empty when done.
    QString registerPayments(const DataPacket &payments, double discount = 0);
    // Ends the closing of the open receipt whose payments are registered: adds it to the grand
    // total and frees the printer. Answers the refusal, empty when done.
    QString endClosing(const QString &note = QString());
    // Cancels item `number` (from 1, in the order sold) of the open receipt: a line on the tape,
    // and the item no longer counts. Refused when no receipt is open, when its payments are
    // registered, or when the item does not exist or is cancelled already. Answers the refusal,
    // empty when done.
    QString cancelItem(int number);
    bool paymentsRegistered() const { return m_paid; }
    const QList<Item> &openItems() const { return m_items; }
    QString serial() const { return m_serial; }

    QString folder() const { return m_folder; }
    QString tapePath(const QDate &day) const;
    bool receiptOpen() const { return m_open; }
    int coo() const { return m_coo; }
    double grandTotal() const { return m_grandTotal; }
    double openTotal() const;

private:
    bool refuse(const QString &text);
    void load();
    void save() const;
    void print(const QStringList &lines);
    QStringList itemLines(int number, const Item &item) const;

    QString m_folder;
    QString m_serial;
    int m_coo = 0;
    int m_ccf = 0;
    double m_grandTotal = 0;
    bool m_open = false;
    bool m_paid = false;      // the open receipt's payments are registered
    double m_paidTotal = 0;   // its total, less the discount given at registration
    QList<Item> m_items;
    int m_lastCoo = 0;        // the last receipt closed
    double m_lastTotal = 0;
    bool m_lastCancelled = true; // nothing to cancel until a receipt is closed
    std::function<void(const QString &)> m_reporter;
};
