// The whole road with the sale's own registration: a typed code becomes a line of cdsItems.
#include "entryfixture.h"

#include <order/orderentry.h>
#include <sale/salecontext.h>

namespace {

class EntryRegistration : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        preenchePedidoHook() = [](SaleContext &context, const PreenchePedidoArgs &args) {
            return context.order().PreenchePedido(args);
        };
        setProducts({{"100", "COXINHA", "1.1", "7891"}, {"900", "QUEIJO", "9.1", "", "", "S", "0.250", "KG"}});
        prices.insert(QStringLiteral("100"), PriceRow{6.5});
        // The registration's tax validation wants the one tax row of each product.
        ClientDataSet &rates = data().cdsAliquota;
        rates.Close();
        rates.CreateDataSet();
        for (const char *code : {"100", "900"}) {
            rates.Append();
            rates.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QString::fromLatin1(code));
            rates.FieldByName(QStringLiteral("CDIMPOSTO")).SetAsString(QStringLiteral("01"));
            rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).SetAsString(QStringLiteral("18"));
            rates.FieldByName(QStringLiteral("SGIMPOSTO")).SetAsString(QStringLiteral("T01"));
            rates.FieldByName(QStringLiteral("IDTPIMPOSFIS")).SetAsString(QStringLiteral("T"));
            rates.Post();
        }
    }
    ClientDataSet &items() { return data().cdsItems; }
};

TEST_F(EntryRegistration, AScannedCodeBecomesALineOfTheSale)
{
    enter(QStringLiteral("7891"));
    ASSERT_TRUE(items().Active());
    ASSERT_EQ(items().RecordCount(), 1) << lastMessage().toStdString();
    items().First();
    EXPECT_EQ(items().FieldByName(QStringLiteral("CDPRODUTO")).AsString(), QStringLiteral("100"));
    EXPECT_EQ(items().FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat(), 6.5);
    EXPECT_EQ(items().FieldByName(QStringLiteral("NRSEQ")).AsString(), QStringLiteral("001"));
    EXPECT_EQ(caption("lblBuffer"), QString());
    EXPECT_FALSE(state().busy.boDigitacaoAux1);
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
}

TEST_F(EntryRegistration, AWeighedLineCarriesItsNetWeight)
{
    state().editParams().stIDTIPOBAL = QStringLiteral("1");
    host->script(&Pkg_Hrk00001::BuscaPeso, ScaleAnswer{true, 1.5, {}});
    enter(QStringLiteral("900"));
    ASSERT_EQ(items().RecordCount(), 1) << lastMessage().toStdString();
    items().First();
    EXPECT_EQ(items().FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat(), 1.25);
}

TEST_F(EntryRegistration, ARefusedItemLeavesTheSaleAsItWas)
{
    prices.insert(QStringLiteral("100"), PriceRow{0, 0, 0, 0, QStringLiteral("N"), QStringLiteral("PRECZERO")});
    enter(QStringLiteral("7891"));
    EXPECT_TRUE(!items().Active() || items().IsEmpty());
}

} // namespace
