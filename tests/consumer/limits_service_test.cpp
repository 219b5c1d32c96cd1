// The daily limits of a service and the product's belonging to it.
#include "limitsfixture.h"

#include <runtime/ptbr.h>

namespace {

class ServiceLimitsTest : public LimitsTest
{
protected:
    void SetUp() override
    {
        LimitsTest::SetUp();
        fill(data().cdsProdServ, {"CDSERVFILI", "CDPRODUTO", "QTLIMCONPROD", "VRLIMCONSERV"},
             {{"ALM", "01001", 3.0, 50.0}, {"ALM", "07001", Variant::null(), Variant::null()}});
        data().cdsItems.EmptyDataSet();
    }

    // A line already in the sale.
    void line(const QString &product, const QString &service, double quantity, double price, double discount = 0.0)
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Active())
            items.CreateDataSet();
        items.Append();
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(product);
        items.FieldByName(QStringLiteral("CDSERVFILI")).SetAsString(service);
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsString(PtBr::FloatToStr(quantity));
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(price);
        items.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(discount);
        items.Post();
    }

    bool sell(const QString &product, const QString &price, const QString &clientPrice = QString())
    {
        return consumer().Valida_Produtos_Servico(product, QStringLiteral("PRATO FEITO"), QStringLiteral("1"), price,
                                                  clientPrice, data().cdsItems);
    }
};

TEST_F(ServiceLimitsTest, LimitThreeWithTwoSoldPassesOneThenRefusesTheNext)
{
    prodVenDiaServ = Variant(2.0);
    EXPECT_TRUE(sell(QStringLiteral("01001"), QStringLiteral("10,00")));
    EXPECT_EQ(state().consumer.stCDSERVFILI, QStringLiteral("ALM"));
    line(QStringLiteral("01001"), QStringLiteral("ALM"), 1.0, 10.0);

    EXPECT_FALSE(sell(QStringLiteral("01001"), QStringLiteral("10,00")));
    EXPECT_EQ(lastMessage(), message(QStringLiteral("OPE_QTDE_SERV"), {QStringLiteral("3"),
                                                                       QStringLiteral("01001 - PRATO FEITO")}));
}

struct ValueCase
{
    const char *name;
    double today;
    const char *price;
    bool passes;
};

class ServiceValue : public ServiceLimitsTest, public ::testing::WithParamInterface<ValueCase>
{
};

// Every line of the service counts, net of its discount: 12.00 - 2.00 in the sale.
TEST_P(ServiceValue, CountsTheDayAndTheServiceLinesOfTheSale)
{
    line(QStringLiteral("07001"), QStringLiteral("ALM"), 1.0, 12.0, 2.0);
    gtDiaServ = Variant(GetParam().today);
    EXPECT_EQ(sell(QStringLiteral("01001"), QString::fromLatin1(GetParam().price), QStringLiteral("5,00")),
              GetParam().passes);
    if (!GetParam().passes) {
        EXPECT_EQ(lastMessage(), message(QStringLiteral("OPE_CONS_SERV"),
                                         {QStringLiteral("01001 - PRATO FEITO"), PtBr::FormatCurr(50.0)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, ServiceValue,
                         ::testing::Values(ValueCase{"EqualPasses", 20.0, "15,00", true},
                                           ValueCase{"OneCentOverRefuses", 20.0, "15,01", false},
                                           ValueCase{"ClientPartCounts", 20.01, "15,00", false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ServiceLimitsTest, ProductOutsideTheServiceIsRefusedBeforeAnyServerCall)
{
    EXPECT_FALSE(sell(QStringLiteral("99999"), QStringLiteral("1,00")));
    EXPECT_EQ(lastMessage(), message(QStringLiteral("PROD_CAD_SERV")));
    EXPECT_EQ(calls, 0);
}

TEST_F(ServiceLimitsTest, NoServiceRowsLetsEveryItemPassWithoutServerCalls)
{
    data().cdsProdServ.EmptyDataSet();
    EXPECT_TRUE(sell(QStringLiteral("99999"), QStringLiteral("1,00")));
    EXPECT_EQ(calls, 0);
}

TEST_F(ServiceLimitsTest, EmptyLimitsStillAskTheDayButLimitNothing)
{
    prodVenDiaServ = Variant(50.0);
    gtDiaServ = Variant(1000.0);
    EXPECT_TRUE(sell(QStringLiteral("07001"), QStringLiteral("1,00")));
    EXPECT_EQ(calls, 2);
}

struct FailureCase
{
    const char *name;
    bool quantityFails;
};

class ServiceDayFailure : public ServiceLimitsTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ServiceDayFailure, RefusesTheItemWithTheServerMessage)
{
    (GetParam().quantityFails ? prodVenDiaServ : gtDiaServ) = Variant::failure(QStringLiteral("base fora do ar"));
    EXPECT_FALSE(sell(QStringLiteral("01001"), QStringLiteral("1,00")));
    EXPECT_EQ(messages->count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Limits, ServiceDayFailure,
                         ::testing::Values(FailureCase{"DayQuantity", true}, FailureCase{"DayValue", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// The consumer type's row rules even with an empty quantity limit; the service row's 1 is
// never consulted.
TEST_F(ServiceLimitsTest, ConsumerTypeRowRulesOverTheServiceRow)
{
    state().consumer.boCartaoAux3 = true;
    fill(data().cdsProdServTCon, {"CDSERVFILI", "CDTIPOCONS", "CDPRODUTO", "QTLIMCONPRSE", "VRLIMCONSERV"},
         {{"ALM", "01", "01001", Variant::null(), Variant::null()}});
    fill(data().cdsProdServ, {"CDSERVFILI", "CDPRODUTO", "QTLIMCONPROD", "VRLIMCONSERV"}, {{"ALM", "01001", 1.0, 1.0}});
    prodVenDiaServ = Variant(5.0);
    EXPECT_TRUE(sell(QStringLiteral("01001"), QStringLiteral("10,00")));
}

// Codes with quotes are compared as values, never pasted into a filter text.
TEST_F(ServiceLimitsTest, CodesWithQuotesAreComparedAsValues)
{
    fill(data().cdsProdServ, {"CDSERVFILI", "CDPRODUTO", "QTLIMCONPROD", "VRLIMCONSERV"},
         {{"A'L", "01'01", 1.0, Variant::null()}});
    prodVenDiaServ = Variant(1.0);
    EXPECT_FALSE(sell(QStringLiteral("01'01"), QStringLiteral("1,00")));
    EXPECT_EQ(state().consumer.stCDSERVFILI, QStringLiteral("A'L"));
    EXPECT_TRUE(lastMessage().contains(QLatin1String("01'01 - PRATO FEITO")));
}

} // namespace
