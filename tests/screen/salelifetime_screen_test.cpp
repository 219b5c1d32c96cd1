// The screen's reset ends the sale whole: whatever a settlement, a QR-code attempt or a keyed
// quantity left in the sale's fields is gone for the next customer, and what outlives the sale
// stays.
#include "screenfixture.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <functional>

namespace {

struct ResetCase
{
    const char *name;
    std::function<void(SaleState &)> leftBySale;
    std::function<void(const SaleState &)> freshTill;
};

std::ostream &operator<<(std::ostream &out, const ResetCase &c) { return out << c.name; }

class ScreenResetOfTheSale : public ScreenTest, public ::testing::WithParamInterface<ResetCase>
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ServerSeams table = ServerSeams::current();
        table.lookupsTills.getCartaoCHART = [] { return Variant(false); };
        m_server = std::make_unique<ScopedTable<ServerSeams>>(std::move(table));
        m_form = std::make_unique<TfrmVendaCons>();
        m_form->state().host.stModoVenda = QStringLiteral("B");
        m_form->state().editParams().stCDCLIENTE = QStringLiteral("000001");
    }
    void TearDown() override
    {
        m_form.reset();
        m_server.reset();
        ScreenTest::TearDown();
    }

    std::unique_ptr<ScopedTable<ServerSeams>> m_server;
    std::unique_ptr<TfrmVendaCons> m_form;
};

TEST_P(ScreenResetOfTheSale, LeavesAFreshTill)
{
    SaleState &state = m_form->state();
    GetParam().leftBySale(state);

    m_form->context().shell().RestauraCaixa();

    GetParam().freshTill(state);
}

INSTANTIATE_TEST_SUITE_P(
    Sales, ScreenResetOfTheSale,
    ::testing::Values(
        // An NFC-e or SAT sale read from a QR code right after must take its own number.
        ResetCase{"ConfirmationOfAnEarlierSettlement",
                  [](SaleState &s) { s.settlement.stConfRecebimento = QStringLiteral("S"); },
                  [](const SaleState &s) { EXPECT_EQ(s.settlement.stConfRecebimento, QString()); }},
        ResetCase{"QuantityKeyedWithNoItemAfterIt",
                  [](SaleState &s) {
                      s.flags.boAddProdAux2 = true;
                      s.flags.boBalcaoAux1 = true;
                      s.totals.doQuantidade = 3.0;
                  },
                  [](const SaleState &s) {
                      EXPECT_FALSE(s.flags.boAddProdAux2);
                      EXPECT_FALSE(s.flags.boBalcaoAux1);
                      EXPECT_EQ(s.totals.doQuantidade, 1.0);
                  }},
        ResetCase{"BuyerAndConsumerOfAQrCode",
                  [](SaleState &s) {
                      s.host.stCdClienteVenda = QStringLiteral("000002");
                      s.consumer.stCDCONSUMIDOR = QStringLiteral("000102");
                      s.consumer.stNrInscrConsVenda = QStringLiteral("52998224725");
                      s.fiscal.stIdEstrangeiroNota = QStringLiteral("X1");
                      s.settlement.stSenhaPedido = QStringLiteral("12");
                  },
                  [](const SaleState &s) {
                      EXPECT_EQ(s.host.stCdClienteVenda, QStringLiteral("000001"));
                      EXPECT_EQ(s.consumer.stCDCONSUMIDOR, QString());
                      EXPECT_EQ(s.consumer.stNrInscrConsVenda, QString());
                      EXPECT_EQ(s.fiscal.stIdEstrangeiroNota, QString());
                      EXPECT_EQ(s.settlement.stSenhaPedido, QString());
                  }},
        ResetCase{"AnExchangeInForceStays",
                  [](SaleState &s) {
                      s.exchange.boTrocaMercadoria = true;
                      s.exchange.doRecebAux1 = 7.5;
                  },
                  [](const SaleState &s) {
                      EXPECT_TRUE(s.exchange.boTrocaMercadoria);
                      EXPECT_EQ(s.exchange.doRecebAux1, 7.5);
                  }}),
    [](const ::testing::TestParamInfo<ResetCase> &info) { return std::string(info.param.name); });

} // namespace
