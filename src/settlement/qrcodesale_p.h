#pragma once

#include "qrcodepayload_p.h"
#include "settlement_p.h"

#include <runtime/clientdataset.h>
#include <sale/salestate.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

class SaleContext;

// The reading panel of the QR-code sale: the button that opens it, the cancel button and the
// edit box that takes the scanner's keys. The reading mode (boInicializaAux1, the same mode as
// boLeituraQrCode) is set by the button and cleared by every way the reading ends.
class QrCodeReading
{
public:
    explicit QrCodeReading(SaleContext &context) : m_context(context) {}

    void open();
    void close();
    // The panel stays up for another scan: buffer and edit box emptied, focus on the edit box.
    void readyForNextScan();
    void keyPress(QChar &Key);
    void keyDown(int &Key);
    // The waiting window and the expanded text; empty when nothing could be read.
    QString expand(const QString &scanned);
    void setMode(bool on);

private:
    SaleContext &m_context;
};

// One QR-code sale from its expanded text to a free till: checks, items, payment rows, the
// fiscal document (coupon on the printer, NFC-e or SAT), the save and the end. Every stop
// goes through one clean-up: before anything is written a refusal leaves the panel up for
// another scan; after the coupon opened or the save was tried the sale is undone (coupon
// cancelled, card undone, sale recorded as cancelled) and the till is made free.
class QrCodeSale
{
public:
    QrCodeSale(SaleContext &context, RoadEnd &end);
    QrCodeSale(const QrCodeSale &) = delete;
    QrCodeSale &operator=(const QrCodeSale &) = delete;

    void run(const QString &expanded);

    // The buyer of the fiscal document from the additional-data dialog.
    void ValidaCPFQRCode(const QString &Cpf, const QString &Name);

private:
    // qrcodesale.cpp: the checks and the sale's rows, nothing written outside the till.
    bool readPayload(const QString &expanded);
    bool checkBranch();
    bool checkSaleIsFree();
    bool claim();
    void releaseClaim();
    bool loadConsumer();
    bool buildItems();
    bool addItem(const QrCodePayload::Product &product);
    QString fiscalClassOf(const QString &code, bool &failed);
    bool checkPaidValue();
    bool fillSaleRows();
    void drawPager();
    bool writePaymentRows();
    QString costCentre() const;
    QString paymentName(const QString &type) const;

    // qrcodesale_fiscal.cpp: the coupon on the fiscal printer and the payment screen.
    bool sellOnPrinter();
    bool openCoupon();
    bool sellItem();
    bool usesPrinterAliquots() const;
    bool locatePrinterAliquot();
    bool closeCoupon();
    void estimateTaxes();
    bool takePaymentAtTill();

    // qrcodesale_save.cpp: the save, the electronic documents and the ends.
    void saveAndFinish();
    bool numberNfce();
    bool transmitSat();
    void finishSold();
    void nfceContingency();
    // A check refused the code: one message, the attempt's rows dropped, the panel up again.
    void refuse(const QString &message);
    // The server did not answer a check: one clear message, its own text in the detail and
    // the log.
    void refuseUnanswered(const QString &call, const QString &failure);
    // A stop after the attempt began: one message (none when `message` is empty, it was shown),
    // then the sale is undone and the till freed.
    void fail(const QString &message, bool keepPanel = false);
    void dropAttemptRows();
    void cancelOpenCoupon();
    void closePanelAndWindow();

    SaleContext &m_context;
    RoadEnd &m_end;
    QrCodePayload::Sale m_sale;
    QStringList m_addedLines;    // NRSEQ of the rows this attempt added
    // The sale as the till held it before the code was read, and its client: a refused code
    // gives it back whole, so nothing the code brought (client, consumer, buyer) stays behind.
    SaleRecord m_saleBefore;
    QString m_clientBefore;
    ClientDataSet m_movCaixaImp{QStringLiteral("cdsMovCaixaImp")};
    ClientDataSet m_consumerData{QStringLiteral("cdsDadosConsumidor")};
    Variant m_vaRetornoAux;       // the approximate-tax answer, read by the coupon's close
    QString m_saleKey;            // the stored sale's number, once saved
    bool m_saveTried = false;
    bool m_couponIssued = false;
    bool m_claimed = false;       // this desk holds the day's claim on the code  // a coupon was opened on the printer for this attempt
    bool m_stopped = false;
};

