#pragma once

#include <support/fakehost.h>
#include <support/fakemessages.h>

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

#include <gtest/gtest.h>

#include <memory>

// A sale form with fake host packages and messages and a fixed clock; the settlement handlers
// are reached through its context. No base: server functions are replaced where a test needs
// them.
class SettlementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)); });
        host = std::make_unique<FakeHost>();
        messages = std::make_unique<FakeMessages>();
        form = std::make_unique<TfrmVendaCons>();
    }
    void TearDown() override
    {
        form.reset();
        messages.reset();
        host.reset();
        Clock::setNow({});
    }

    SaleContext &context() { return form->context(); }
    SaleState &state() { return context().state(); }
    SaleDatasets &data() { return context().data(); }
    Settlement &settlement() { return context().settlement(); }
    // The settlement's steps, each on the form's context and the settlement's road end.
    SettlementEnd settlementEnd() { return SettlementEnd(context(), settlement().lastRoadEnd()); }
    FailureRecovery failureRecovery() { return FailureRecovery(context(), settlement().lastRoadEnd()); }
    ClosingRecord closingRecord() { return ClosingRecord(context()); }
    PendingRecords pendingRecords() { return PendingRecords(context()); }
    BuyerIdentification buyerIdentification() { return BuyerIdentification(context()); }

    std::unique_ptr<FakeHost> host;
    std::unique_ptr<FakeMessages> messages;
    std::unique_ptr<TfrmVendaCons> form;
};
