#pragma once

#include "settlement_p.h"

class SaleContext;

// The common start of the settle button: the guards every settlement passes, the buyer, the
// consumer's name, the waiter and the sale rows, then the choice of road inside the outer
// block, whose failures end in the failure recovery.
class SettleButton
{
public:
    SettleButton(SaleContext &context, RoadEnd &end) : m_context(context), m_end(end) {}
    SettleButton(const SettleButton &) = delete;
    SettleButton &operator=(const SettleButton &) = delete;

    void run();

private:
    bool commonStart();
    void roadsInOuterBlock();
    bool biometricConfirmed();
    bool saleMaySettle();
    bool operatorMessageAccepted();
    bool buyerRuleApplies() const;
    bool buyerIdentifiedWhenRequired();
    bool serverAnswers();
    void askConsumerName();
    bool waiterConfirmed();
    void clearPreviousDocumentValues();
    void chooseRoad();
    void sharedExchangeAndOrdinaryStart();

    // The badge consumer's roads and the merchandise exchange, one file each.
    void personalCreditRoad();
    void consumerDebitRoad();
    void exchangeRoad();
    void fillReturnedItems();
    void exchangePaysAll();
    void exchangeStillInForce();
    void combinedPromotions();

    SaleContext &m_context;
    RoadEnd &m_end;
    SettlementRun m_run;
};
