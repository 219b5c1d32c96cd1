#pragma once

#include "settlement_p.h"

#include <outside/pkg_hrk00002_sale.h>

#include <QString>

#include <optional>

class SaleContext;

// How a settlement ends: the screen reset every finished or cancelled settlement runs, the
// payment screen left without paying, the silent abort, and the records of a cancelled sale.
class SettlementEnd
{
public:
    SettlementEnd(SaleContext &context, RoadEnd &end) : m_context(context), m_end(end) {}

    // With `sold`, VendeProduto first hands the saved sale to the order operation (tickets,
    // receipt); a failure there is shown and the screen is reset all the same. The sale's
    // points are told after the reset, before the next consumer sale is prepared.
    void resetAfterSettlement(const std::optional<SoldSale> &sold = std::nullopt);
    // The screen reset of a settlement that ends without a sale to hand on, recorded as `kind`.
    void endWithReset(RoadEnd::Kind kind, const QString &reason = {});
    // The payment screen answered False. `recordCancelled` is the screen's var Boolean;
    // `couponNumber` the coupon it returned. True when the sale, recorded as cancelled, left
    // the screen; false when it stays there for another settlement.
    bool paymentNotConfirmed(bool recordCancelled, const QString &couponNumber);
    // The outer block's silent abort.
    void settlementAborted();
    // The NFC-e was left in contingency by the save: the cashier is told, the card undone and
    // the stored sale recorded as cancelled; the screen is made free.
    void nfceContingency(const QString &saleKey);
    void undoCardPayment();
    // The first sentence of the message of a sale the save did not store: the authority's
    // refusal of its NFC-e when the save's NFC-e status says so, else the base's.
    QString notStoredReason(const QString &nfceStatus) const;

    QString cancellationTrace(const QString &documentNumber) const;
    // IncluiVendaCan for a sale that was never stored; false when the host did not record it
    // now (the record is then kept for later and the cashier told).
    bool recordCancelledSale(const QString &documentNumber);
    // The record of a sale never stored, from the sale datasets and the till's parameters.
    CancelledSaleRecord cancelledSaleRecord(const QString &documentNumber) const;
    // AlteraVendaCan for a stored sale; false when the host did not change it now (kept).
    bool markStoredSaleCancelled(const QString &savedSaleKey);
    // The access-log line of a cancelled coupon, with who allowed it: by default the sale's
    // authoriser; a receipt cancellation passes its own.
    void logCouponCancelled(const QString &couponNumber);
    void logCouponCancelled(const QString &couponNumber, const QString &authoriser);

    // The shell's ChamaClick_BotaoVendaConsumidor: the next badge consumer sale, or the
    // consumer's telephone, as the screen layout asks.
    void prepareNextConsumerSale();
    // The shell's relacionaEmailVenda: the consumer's e-mail for the receipt on every sale row.
    void relateSaleEmail();
    void bringFormToFront();

private:
    SaleContext &m_context;
    RoadEnd &m_end;
};

// The failure handler of the settle button's outer block: the operator message of a failure,
// the offer to complete a badge consumer's sale with another payment form, and the coupon
// cancel.
class FailureRecovery
{
public:
    FailureRecovery(SaleContext &context, RoadEnd &end) : m_context(context), m_end(end) {}

    // Every failure of the roads but the silent abort (its message text).
    void settlementFailed(const QString &message);

    // What the handler shows for a failure text: the operator message (empty: none) and
    // whether the completion offer follows (else the sale stays on screen). A balance error
    // whose figures cannot be read is shown as it came.
    struct FailureNotice
    {
        QString text;
        bool completionOffer = true;
    };
    FailureNotice failureNotice(const QString &message) const;

private:
    void keepSaleOnScreen();
    void completionOffer();
    bool consumerMayComplete();
    void cancelCouponAfterFailure();

    SaleContext &m_context;
    RoadEnd &m_end;
};
