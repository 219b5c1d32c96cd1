#pragma once

#include <support/saleformfixture.h>

#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <settlement/buyer_p.h>
#include <settlement/closingrecord_p.h>
#include <settlement/pendingrecords_p.h>
#include <settlement/settlement.h>
#include <settlement/settlement_p.h>
#include <settlement/settlementend_p.h>

// The sale form of the settlement tests; the settlement handlers are reached through its
// context. Server functions are replaced where a test needs them.
class SettlementTest : public SaleFormTest
{
protected:
    Settlement &settlement() { return context().settlement(); }
    // The settlement's steps, each on the form's context and the settlement's road end.
    SettlementEnd settlementEnd() { return SettlementEnd(context(), settlement().lastRoadEnd()); }
    FailureRecovery failureRecovery() { return FailureRecovery(context(), settlement().lastRoadEnd()); }
    ClosingRecord closingRecord() { return ClosingRecord(context()); }
    PendingRecords pendingRecords() { return PendingRecords(context()); }
    BuyerIdentification buyerIdentification() { return BuyerIdentification(context()); }
};
