#pragma once

#include <runtime/datapacket.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QObject;
class SaleContext;

// The credit purchase at the cash desk (Alt+E): a badge consumer buys prepaid credit for one
// balance family, or a partner card is recharged through the card program, paid with the
// till's tenders. One run object per press; its fields are the road's scratch values.
class CreditPurchase
{
public:
    explicit CreditPurchase(SaleContext &context);

    void press(QObject *Sender);
    // A load of this desk written before the till stopped, its voucher and card confirmation
    // not done: the operator is told, then both are done now, nothing is written again.
    // `pending` is one row of the desk's unfinished loads.
    void finishInterrupted(const DataPacket &pending, int row);

private:
    // Steps, in the order the road runs them.
    void start();
    bool printerBlocked();
    void refusals();
    void loadKind();
    bool findConsumer();
    void showConsumer();
    void refreshBalances();
    void checkFamilies();
    void chooseFamily();
    void checkPermission();
    bool familyChosen();
    void familyBalance();
    bool pay();
    void settle();
    bool rechargeCard();
    bool takeVoucherNumber();
    bool write();
    void printVouchers();
    void confirmInterruptedCharges();
    // The vouchers, then the load is finished whatever they did: the failure's text, or empty.
    QString printVouchersAndFinish();
    void printOnFiscalPrinter();
    void printOnNonFiscalPrinter();
    void finishOk();
    void markFinished();
    void commonEnd(bool toFront);

    // Helpers.
    bool recharge() const;
    void release();
    void refuse(const QString &key, const QString &text = {});
    void undoCardPayment();
    double loadTotal() const;

    SaleContext &m_context;
    QAbstractButton *m_button = nullptr;
    QString m_kind;          // the load kind text shown as the consumer search's prompt
    QString m_family;        // CDFAMILISALD
    QString m_familyName;    // NMFAMILISALD
    QString m_deposit;       // NRDEPOSICONS
    QDateTime m_movementDate;
    QDateTime m_loadTime;    // when the load was written: its voucher says so, printed then or later
    double m_total = 0;
    QString m_voucher;       // voucher number
    QString m_receipt;       // receipt number and counter, filled by the fiscal voucher
    QString m_receiptCounter;
    QString m_printerSequence;
    // What the voucher shows of the consumer, kept with the load until it is finished.
    QString m_consumerName;
    double m_familyBalance = 0;
    QString m_cardReceipt; // stCompraCredAux2: a card-payment receipt is due
    // A load finished after a restart: the card program holds none of its charges pending any
    // more, so they are confirmed by the NSUs its cash movements kept.
    bool m_interrupted = false;
    QStringList m_cardNsus;
};

// The bonus rules of a consumer type: balance ceiling and loads per month or week. Shows its
// own refusal; false refuses the load.
class BonusRules
{
public:
    explicit BonusRules(SaleContext &context) : m_context(context) {}

    bool VerificaBonus(const QString &CDFAMILISALD, const QString &NMFAMILISALD);

    // The Monday of the week of `day` (the week runs Monday to Sunday).
    static QDate weekStart(const QDate &day);

private:
    bool refuse(const QString &text);

    SaleContext &m_context;
};
