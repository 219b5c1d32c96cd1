#pragma once

#include <support/saleformfixture.h>

#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <settlement/settlement.h>

// The sale form of the settlement tests; the settlement handlers are reached through its
// context. Server functions are replaced where a test needs them.
class SettlementTest : public SaleFormTest
{
protected:
    Settlement &settlement() { return context().settlement(); }
};
