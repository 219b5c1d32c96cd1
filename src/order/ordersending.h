#pragma once

#include "orderentry.h"

#include <runtime/variant.h>

#include <QString>

#include <functional>

class ClientDataSet;
class SaleContext;
struct SaleState;

// One run of VendeProduto: the order of a table, tab or delivery sale written with its
// surcharge and access log, the give-ups recorded, the tickets handed to the ticket step.
// Private to order entry; the steps are members so that each reads as one step of the road.
class OrderSending
{
public:
    OrderSending(SaleContext &context, const OrderEntry::TicketContext &texts);
    OrderSending(const OrderSending &) = delete;
    OrderSending &operator=(const OrderSending &) = delete;

    // True when the order is written (at the counter: when there was none to write), also when
    // a later step failed, so that a caller never sends the same order twice. False when the
    // order was not written; the failure has been shown. A failure of the password step is
    // raised to the caller.
    bool run();

private:
    void ensureOrderPassword();
    bool sendWithinGuard();
    bool sendSteps();
    bool tableTakesOrders();
    QString writeOrder();
    bool orderAccepted(const QString &result);
    QString failureMessage(const QString &failure) const;
    void storeSurcharge();
    double linesSurcharge();
    void logAccess(const QString &text);
    QString actionCode() const;
    QString actionTarget() const;
    void logProducts();
    void recordGiveUps();
    OrderEntry::TicketContext ticketContext();
    QString waiterName();
    QString consumerName();
    QString room();
    void printWeighingReceipt();
    void restartFailover();

    // The server answer through the result checker, as the form uses it.
    Variant checked(const Variant &result, bool report, const char *method, const QString &context);
    bool counter() const;

    SaleContext &m_context;
    SaleState &m_state;
    ClientDataSet &m_items;
    OrderEntry::TicketContext m_texts;
    bool m_written = false;
    QString m_writeFailure; // the text of a failed order write
};

// The ticket step the operation hands its context to: OrderEntry::ImprimeProducao, unless a
// test observes the hand-over through a ScopedTicketStep.
using TicketStep = std::function<void(OrderEntry &, const OrderEntry::TicketContext &)>;
const TicketStep &orderTicketStep();

class ScopedTicketStep
{
public:
    explicit ScopedTicketStep(TicketStep step);
    ~ScopedTicketStep();
    ScopedTicketStep(const ScopedTicketStep &) = delete;
    ScopedTicketStep &operator=(const ScopedTicketStep &) = delete;

private:
    TicketStep m_previous;
};
