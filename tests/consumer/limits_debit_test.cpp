// The consumer-debit checks of an item and of a sale at settlement.
#include "limitsfixture.h"

#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace {

enum class Which { Monthly, StoreDaily, StoreMonthly, Consumer };

struct MaximumCase
{
    std::string name;
    Which which;
    Variant limit;
    const char *price;
    bool passes;
};

std::vector<MaximumCase> maximumCases()
{
    std::vector<MaximumCase> cases;
    for (const auto &[label, which] :
         {std::pair{"Monthly", Which::Monthly}, std::pair{"StoreDaily", Which::StoreDaily},
          std::pair{"StoreMonthly", Which::StoreMonthly}, std::pair{"Consumer", Which::Consumer}}) {
        const std::string prefix(label);
        cases.push_back({prefix + "EqualPasses", which, Variant(30.0), "10,00", true});
        cases.push_back({prefix + "OneCentOverRefuses", which, Variant(30.0), "10,01", false});
        cases.push_back({prefix + "EmptySkips", which, Variant::null(), "1000,00", true});
        cases.push_back({prefix + "ZeroRefuses", which, Variant(0.0), "0,01", false});
    }
    return cases;
}

class DebitMaximum : public LimitsTest, public ::testing::WithParamInterface<MaximumCase>
{
};

// The store daily and consumer maxima leave the refused total in doRecebAux2; the others
// leave what was there.
TEST_P(DebitMaximum, RefusesOnlyAboveTheLimitAtCents)
{
    const MaximumCase &c = GetParam();
    ConsumerFigures &f = state().figures;
    const double spent = 20.0;
    const Variant none = Variant::null();
    QString key;
    ConsumerLimit limit = ConsumerLimit::Monthly;
    bool keepsRefusedTotal = false;
    switch (c.which) {
    case Which::Monthly:
        storeLimits(none, none, none, none, c.limit);
        f.doConsumoMes = spent;
        key = QStringLiteral("VRMAXCONSMES");
        limit = ConsumerLimit::Monthly;
        break;
    case Which::StoreDaily:
        storeLimits(none, none, c.limit, none, none);
        f.doConsumoLojaDia = spent;
        key = QStringLiteral("VRMAXCONS_LOJA");
        limit = ConsumerLimit::StoreDaily;
        keepsRefusedTotal = true;
        break;
    case Which::StoreMonthly:
        storeLimits(none, none, none, c.limit, none);
        f.doConsumoLojaMes = spent;
        key = QStringLiteral("VRMAXCONSMES_LOJA");
        limit = ConsumerLimit::StoreMonthly;
        break;
    case Which::Consumer:
        state().consumer.stVRMAXDEBCONS = c.limit.isBlank() ? QString() : PtBr::FloatToStr(c.limit.toDouble());
        f.doGastoCons = spent;
        key = QStringLiteral("OPE_SALMAX_DEB");
        limit = ConsumerLimit::ConsumerMaximum;
        keepsRefusedTotal = true;
        break;
    }
    f.doRecebAux2 = 7.77;
    const double total = Money::RoundDec(spent + PtBr::StrToFloat(QString::fromLatin1(c.price)), 2);

    EXPECT_EQ(debit(QString::fromLatin1(c.price)), c.passes);

    EXPECT_EQ(f.limits.holds(), c.passes);
    if (c.passes) {
        EXPECT_EQ(messages->count(), 0);
        EXPECT_DOUBLE_EQ(f.doRecebAux2, c.limit.isBlank() ? 7.77 : total);
        return;
    }
    EXPECT_EQ(lastMessage(), message(key, {QStringLiteral("000101 - JOSÉ CARLOS OLIVEIRA"),
                                           PtBr::FormatCurr(c.limit.toDouble())}));
    EXPECT_DOUBLE_EQ(f.doRecebAux2, keepsRefusedTotal ? total : 7.77);
    // The verdict names the one maximum broken and what it leaves over today's spending.
    ASSERT_EQ(f.limits.broken.size(), 1);
    EXPECT_EQ(f.limits.broken.first().limit, limit);
    EXPECT_DOUBLE_EQ(f.limits.broken.first().room, Money::RoundDec(c.limit.toDouble() - spent, 2));
}

INSTANTIATE_TEST_SUITE_P(Limits, DebitMaximum, ::testing::ValuesIn(maximumCases()),
                         [](const auto &info) { return info.param.name; });

struct FloorCase
{
    const char *name;
    const char *price;
    bool passes;
};

class DebitFloor : public LimitsTest, public ::testing::WithParamInterface<FloorCase>
{
};

TEST_P(DebitFloor, RefusalMarksTheBalanceFloor)
{
    state().figures.doSaldoCons = 50.0;
    state().figures.boRecebAux1 = true;
    state().consumer.stVRMESUBCONS = QStringLiteral("20");
    EXPECT_EQ(debit(QString::fromLatin1(GetParam().price)), GetParam().passes);
    EXPECT_EQ(state().figures.boRecebAux1, GetParam().passes);
    if (!GetParam().passes) {
        EXPECT_EQ(lastMessage(), message(QStringLiteral("SaldInsufCons"),
                                         {PtBr::FormatCurr(20.0), PtBr::FormatCurr(30.01)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, DebitFloor,
                         ::testing::Values(FloorCase{"EqualPasses", "30,00", true},
                                           FloorCase{"OneCentBelowRefuses", "30,01", false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LimitsTest, DebitLowBalanceWarnsAndLetsTheItemPass)
{
    state().figures.doSaldoCons = 25.0;
    state().consumer.stDebitoConsAux1 = QStringLiteral("20");
    EXPECT_TRUE(debit(QStringLiteral("10,00")));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(lastMessage().contains(message(QStringLiteral("SaldoEmpr")) + QStringLiteral(" : ")
                                       + PtBr::FormatCurr(25.0)));
}

TEST_F(LimitsTest, DebitLimitThatDoesNotReadRefusesNamingIt)
{
    state().consumer.stVRMAXDEBCONS = QStringLiteral("10.000,00,0");
    EXPECT_FALSE(debit(QStringLiteral("1,00")));
    EXPECT_TRUE(lastMessage().contains(QLatin1String("VRMAXDEBCONS")));
    const LimitVerdict::Broken *broken = state().figures.limits.find(ConsumerLimit::ConsumerMaximum);
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->unreadable, QStringLiteral("10.000,00,0"));
}

struct BalanceCase
{
    const char *name;
    bool basic;
    double presented;
    bool passes;
};

class DebitBalances : public LimitsTest, public ::testing::WithParamInterface<BalanceCase>
{
};

TEST_P(DebitBalances, SettlementChecksWhatEachBalanceCarries)
{
    const BalanceCase &c = GetParam();
    ConsumerFigures &f = state().figures;
    state().editParams().stIDSALDEXTDEBCON = QStringLiteral("S");
    fill(data().cdsTipoConsFili, {"VRSALDOBASICO", "VRSALDOEXTRA"}, {{15.0, 40.0}});
    f.doVRSALDOBASICO = 15.0;
    f.doVRSALDOEXTRA = 40.0;
    f.doSubsidioBasicoEmp = 5.0;
    f.doConsumoSaldoExtra = 30.0;
    (c.basic ? f.doDebitoConsAux3 : f.doSubsidioAux2) = c.presented;
    f.doDebitoConsAux2 = 20.0;

    EXPECT_EQ(debit(QStringLiteral("1,00"), QStringLiteral("S")), c.passes);

    EXPECT_EQ(f.limits.holds(c.basic ? ConsumerLimit::BasicBalance : ConsumerLimit::ExtraBalance), c.passes);
    if (!c.passes) {
        EXPECT_EQ(lastMessage(), message(QStringLiteral("VRSALDOBASEXT"),
                                         {PtBr::FormatCurr(10.0), PtBr::FormatCurr(10.0)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, DebitBalances,
                         ::testing::Values(BalanceCase{"BasicEqualPasses", true, 10.0, true},
                                           BalanceCase{"BasicOneCentOver", true, 10.01, false},
                                           BalanceCase{"ExtraEqualPasses", false, 10.0, true},
                                           BalanceCase{"ExtraOneCentOver", false, 10.01, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LimitsTest, DebitSalePartAtSettleTakesOffSubsidyAndLoyalty)
{
    storeLimits(Variant::null(), Variant::null(), Variant(30.0), Variant::null(), Variant::null());
    ConsumerFigures &f = state().figures;
    f.doConsumoLojaDia = 20.0;
    f.doDebitoConsAux2 = 14.0;
    f.doDebitoConsAux1 = 3.0;
    state().loyalty.doFidelidadeAux1 = 1.0;
    EXPECT_TRUE(debit(QStringLiteral("14,00"), QStringLiteral("S")));
    EXPECT_DOUBLE_EQ(f.doRecebAux2, 30.0);
    state().loyalty.doFidelidadeAux1 = 0.99;
    EXPECT_FALSE(debit(QStringLiteral("14,00"), QStringLiteral("S")));
}

TEST_F(LimitsTest, StoreLimitsFailureRefusesTheDebitItem)
{
    tipoConsLoja = Variant::failure(QStringLiteral("conexão perdida"));
    EXPECT_FALSE(debit(QStringLiteral("1,00")));
    EXPECT_EQ(messages->count(), 1);
}

} // namespace
