#pragma once

#include <support/databasefixture.h>
#include <support/fakehost.h>
#include <support/fakemessages.h>

#include <consumer/consumersale.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>

#include <runtime/clock.h>

#include <memory>

// The sale form of a counter desk (branch "1", desk "002", client "CLI", consumer "CONS") on a
// fresh base of each kind, with recording fakes of the host and the message window.
class ConsumerFormTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([this] { return now; });
        host = std::make_unique<FakeHost>();
        messages = std::make_unique<FakeMessages>();
        form = std::make_unique<TfrmVendaCons>();
        Parameters &p = state().editParams();
        p.stCDFILIAL = QStringLiteral("1");
        p.stCDCAIXA = QStringLiteral("002");
        p.stCDLOJA = QStringLiteral("01");
        state().host.stModoVenda = QStringLiteral("B");
        state().host.stCdClienteVenda = QStringLiteral("CLI");
        state().host.stCdConsumidorVenda = QStringLiteral("CONS");
        state().consumer.stCDCONSUMIDOR = QStringLiteral("CONS");
    }
    void TearDown() override
    {
        form.reset();
        messages.reset();
        host.reset();
        DatabaseTest::TearDown();
    }

    SaleContext &context() { return form->context(); }
    SaleState &state() { return form->state(); }
    SaleDatasets &data() { return form->datasets(); }
    ConsumerSale &consumer() { return context().consumer(); }

    QDateTime now{QDate(2026, 4, 10), QTime(15, 30)};
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<FakeMessages> messages;
    std::unique_ptr<TfrmVendaCons> form;
};
