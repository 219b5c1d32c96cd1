#pragma once

// What the settlement's roads share, for the length of one settlement: the run the common
// start hands to a road, and the end the road reached. Private to the settlement subsystem.

#include <QString>

#include <optional>

class SaleContext;

// A stored sale handed to the order operation (tickets, receipt): the sale's number, the
// print letter ("A" ordinary, "C" completion) and the document number; and the loyalty points
// the customer earned with it, told once the till is free (0: nothing to tell).
struct SoldSale
{
    QString savedSaleKey;
    QString letter;
    QString documentNumber;
    double points = 0.0;
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

// What the common start hands to the road it chooses.
struct SettlementRun
{
    QString documentInHand; // the open coupon's number; the NFC-e number once taken
    QString waiterName;     // answered by the waiter check; empty when none was asked
    double saleTotal = 0;   // what PreencheVenda added up (read by the consumer roads)
    QString paymentText11;  // the payment screen's output 11, header value 14 of the save
};

// A server call before the payment failed: one message (the database's own text only as its
// detail), boRecebendo cleared, the sale left on screen to be settled again.
void refuseBeforePayment(SaleContext &context, RoadEnd &end, const QString &failure, const QString &method = {});
