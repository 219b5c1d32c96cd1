// The personal-credit checks of an item and of a sale at settlement, and the daily quantity.
#include "limitsfixture.h"

#include <runtime/abort.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace {

enum class Which { StoreDaily, StoreMonthly, Consumer };

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
    for (const auto &[label, which] : {std::pair{"StoreDaily", Which::StoreDaily},
                                       std::pair{"StoreMonthly", Which::StoreMonthly},
                                       std::pair{"Consumer", Which::Consumer}}) {
        const std::string prefix(label);
        cases.push_back({prefix + "EqualPasses", which, Variant(30.0), "10,00", true});
        cases.push_back({prefix + "OneCentOverRefuses", which, Variant(30.0), "10,01", false});
        cases.push_back({prefix + "EmptySkips", which, Variant::null(), "1000,00", true});
        cases.push_back({prefix + "ZeroRefuses", which, Variant(0.0), "0,01", false});
    }
    return cases;
}

class CreditMaximum : public LimitsTest, public ::testing::WithParamInterface<MaximumCase>
{
};

TEST_P(CreditMaximum, RefusesOnlyAboveTheLimitAtCents)
{
    const MaximumCase &c = GetParam();
    ConsumerFigures &f = state().figures;
    const double spent = 20.0;
    QString key = QStringLiteral("VRMAXCONS_LOJA");
    ConsumerLimit limit = ConsumerLimit::StoreDaily;
    switch (c.which) {
    case Which::StoreDaily:
        storeLimits(c.limit, Variant::null(), Variant::null(), Variant::null(), Variant::null());
        f.doConsumoLojaDia = spent;
        break;
    case Which::StoreMonthly:
        storeLimits(Variant::null(), c.limit, Variant::null(), Variant::null(), Variant::null());
        f.doConsumoLojaMes = spent;
        key = QStringLiteral("VRMAXCONSMES_LOJA");
        limit = ConsumerLimit::StoreMonthly;
        break;
    case Which::Consumer:
        state().consumer.stRecebAux8 = c.limit.isBlank() ? QString() : PtBr::FloatToStr(c.limit.toDouble());
        f.doGastoCons = spent;
        key = QStringLiteral("OPE_SALMAX_DEB");
        limit = ConsumerLimit::ConsumerMaximum;
        break;
    }
    f.doRecebAux2 = -1.0;
    const double price = PtBr::StrToFloat(QString::fromLatin1(c.price));

    EXPECT_EQ(credit(QString::fromLatin1(c.price)), c.passes);

    EXPECT_EQ(f.limits.holds(), c.passes);
    if (c.passes) {
        EXPECT_EQ(messages->count(), 0);
        if (!c.limit.isBlank()) {
            EXPECT_DOUBLE_EQ(f.doRecebAux2, Money::RoundDec(spent + price, 2));
        }
    } else {
        EXPECT_EQ(lastMessage(), message(key, {QStringLiteral("000101 - JOSÉ CARLOS OLIVEIRA"),
                                               PtBr::FormatCurr(c.limit.toDouble())}));
        EXPECT_EQ(messages->calls().last().kind, 3);
        ASSERT_EQ(f.limits.broken.size(), 1);
        EXPECT_EQ(f.limits.broken.first().limit, limit);
        EXPECT_DOUBLE_EQ(f.limits.broken.first().room, Money::RoundDec(c.limit.toDouble() - spent, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, CreditMaximum, ::testing::ValuesIn(maximumCases()),
                         [](const auto &info) { return info.param.name; });

TEST_F(LimitsTest, CreditLimitThatDoesNotReadRefusesNamingIt)
{
    state().consumer.stRecebAux8 = QStringLiteral("sem limite");
    EXPECT_FALSE(credit(QStringLiteral("1,00")));
    EXPECT_TRUE(lastMessage().contains(QLatin1String("VRMAXCREDCONS")));
    const LimitVerdict::Broken *broken = state().figures.limits.find(ConsumerLimit::ConsumerMaximum);
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->unreadable, QStringLiteral("sem limite"));
}

TEST_F(LimitsTest, CreditVerdictStartsAgainOnEntry)
{
    state().consumer.stRecebAux8 = QStringLiteral("0");
    EXPECT_FALSE(credit(QStringLiteral("1,00")));
    EXPECT_FALSE(state().figures.limits.holds(ConsumerLimit::ConsumerMaximum));
    state().consumer.stRecebAux8.clear();
    EXPECT_TRUE(credit(QStringLiteral("1,00")));
    EXPECT_TRUE(state().figures.limits.holds());
}

struct FloorCase
{
    const char *name;
    const char *price;
    bool passes;
};

class CreditFloor : public LimitsTest, public ::testing::WithParamInterface<FloorCase>
{
};

TEST_P(CreditFloor, BalanceMayReachTheFloorButNotGoBelow)
{
    balances({{"REF", "REFEIÇÃO", 50.0}});
    state().consumer.stCredPessoalAux2 = QStringLiteral("20,00");
    EXPECT_EQ(credit(QString::fromLatin1(GetParam().price)), GetParam().passes);
    if (!GetParam().passes) {
        EXPECT_EQ(lastMessage(), message(QStringLiteral("SaldInsufCre"), {PtBr::FormatCurr(20.0)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, CreditFloor,
                         ::testing::Values(FloorCase{"EqualPasses", "30,00", true},
                                           FloorCase{"OneCentBelowRefuses", "30,01", false},
                                           FloorCase{"TruncatedItemPartPasses", "30,009", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LimitsTest, CreditFloorOfACombinationEndsTheEntry)
{
    balances({{"REF", "REFEIÇÃO", 50.0}});
    state().consumer.stCredPessoalAux2 = QStringLiteral("20");
    state().totals.doDigitacaoAux1 = 30.01;
    EXPECT_THROW(credit(QStringLiteral("1,00"), QStringLiteral("N"), QStringLiteral("REF"), QStringLiteral("N")),
                 EAbort);
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(LimitsTest, LowBalanceWarningStillRunsTheFamilyRules)
{
    familyOrder(QStringLiteral("REF"), QStringLiteral("001"), QStringLiteral("N"), Variant::null(),
                {{QStringLiteral("REF"), QStringLiteral("001")}}, 0.0);
    balances({{"REF", "REFEIÇÃO", 9.999}});
    state().consumer.stCredPessoalAux1 = QStringLiteral("20");

    EXPECT_FALSE(credit(QStringLiteral("10,00")));

    ASSERT_EQ(messages->count(), 2);
    EXPECT_TRUE(messages->texts().at(0).contains(QStringLiteral("Saldo Família REFEIÇÃO")));
    EXPECT_TRUE(messages->texts().at(0).endsWith(message(QStringLiteral("NovoRecarg"))));
    EXPECT_TRUE(messages->texts().at(1).startsWith(QStringLiteral("REFEIÇÃO ") + message(QStringLiteral("FamiliaNeg"))));
}

struct FamilyCase
{
    const char *name;
    double balance;
    double spentToday;
    bool passes;
};

class FamilyRules : public LimitsTest, public ::testing::WithParamInterface<FamilyCase>
{
};

// No rounding: a balance left at -0.001 is below zero, a day 0.001 over is over.
TEST_P(FamilyRules, CompareWithoutRounding)
{
    const FamilyCase &c = GetParam();
    familyOrder(QStringLiteral("REF"), QStringLiteral("001"), QStringLiteral("N"), Variant(30.0),
                {{QStringLiteral("REF"), QStringLiteral("001")}}, c.spentToday);
    balances({{"REF", "REFEIÇÃO", c.balance}});
    EXPECT_EQ(credit(QStringLiteral("10,00")), c.passes);
    EXPECT_EQ(messages->count(), c.passes ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Limits, FamilyRules,
                         ::testing::Values(FamilyCase{"BalanceReachesZero", 10.0, 20.0, true},
                                           FamilyCase{"BalanceMinusOneThousandth", 9.999, 0.0, false},
                                           FamilyCase{"DayOneThousandthOver", 50.0, 20.001, false}),
                         [](const auto &info) { return std::string(info.param.name); });

struct FamilyDayCase
{
    const char *name;
    const char *fromSettle;
    double snacksInSale; // what the sale holds of the snacks family (before the item, per item)
    bool passes;
};

class FamilyDayOfItsOwnItems : public LimitsTest, public ::testing::WithParamInterface<FamilyDayCase>
{
};

// The snacks' daily value of 30,00 is spent by snacks only: a sale of a 20,61 meal and 14,00 of
// snacks passes, whether an item is entered (7,50 after 6,50) or the sale is settled.
TEST_P(FamilyDayOfItsOwnItems, OtherFamiliesDoNotSpendIt)
{
    const FamilyDayCase &c = GetParam();
    familyOrder(QStringLiteral("LAN"), QStringLiteral("001"), QStringLiteral("S"), Variant(30.0),
                {{QStringLiteral("LAN"), QStringLiteral("001")}}, 0.0);
    balances({{"REF", "REFEIÇÃO", 100.0}, {"LAN", "LANCHES E BEBIDAS", 45.50}});
    fill(data().cdsFamiliaSaldo, {"CDFAMILISALD", "VRSALDCONFAM"}, {{"REF", 20.61}, {"LAN", c.snacksInSale}});
    state().totals.doTotalVenda = 20.61 + c.snacksInSale;

    EXPECT_EQ(credit(QStringLiteral("7,50"), QString::fromLatin1(c.fromSettle), QStringLiteral("LAN")), c.passes);
    EXPECT_EQ(messages->count(), c.passes ? 0 : 1) << lastMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Limits, FamilyDayOfItsOwnItems,
                         ::testing::Values(FamilyDayCase{"ItemWithinTheFamilysDay", "N", 6.50, true},
                                           FamilyDayCase{"ItemOverTheFamilysDay", "N", 22.51, false},
                                           FamilyDayCase{"SaleWithinTheFamilysDay", "S", 14.00, true},
                                           FamilyDayCase{"SaleOverTheFamilysDay", "S", 30.01, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LimitsTest, FamilyWithoutBalanceRowHasNothingToSpend)
{
    familyOrder(QStringLiteral("REF"), QStringLiteral("001"), QStringLiteral("N"), Variant::null(),
                {{QStringLiteral("REF"), QStringLiteral("001")}}, 0.0);
    balances({{"LAN", "LANCHES", 100.0}});
    data().cdsConsultaSaldo.Last();
    EXPECT_FALSE(credit(QStringLiteral("0,01")));
    EXPECT_TRUE(lastMessage().contains(message(QStringLiteral("FamiliaNeg"))));
}

TEST_F(LimitsTest, ItemOfALaterFamilySkipsTheGatedChecks)
{
    familyOrder(QStringLiteral("LAN"), QStringLiteral("002"), QStringLiteral("N"), Variant(0.0),
                {{QStringLiteral("REF"), QStringLiteral("001")}, {QStringLiteral("LAN"), QStringLiteral("002")}}, 0.0);
    storeLimits(Variant(0.0), Variant(0.0), Variant::null(), Variant::null(), Variant::null());
    // REFEICAO, first in order, can lend what LANCHES lacks at settlement.
    balances({{"REF", "REFEICAO", 50.0}, {"LAN", "LANCHES", 5.0}});
    state().consumer.stCredPessoalAux1 = QStringLiteral("20");

    EXPECT_TRUE(credit(QStringLiteral("10,00"), QStringLiteral("N"), QStringLiteral("LAN")));

    ASSERT_EQ(messages->count(), 1); // the low-balance warning only
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("Saldo Família LANCHES")));
}

TEST_F(LimitsTest, FirstFamilyInApprovalOrderIsChecked)
{
    familyOrder(QStringLiteral("REF"), QStringLiteral("001"), QStringLiteral("S"), Variant::null(),
                {{QStringLiteral("REF"), QStringLiteral("001")}}, 0.0);
    storeLimits(Variant(0.0), Variant::null(), Variant::null(), Variant::null(), Variant::null());
    EXPECT_FALSE(credit(QStringLiteral("10,00")));
}

// The snack family (LAN, order 002, no negative balance) is short and the meal family (REF,
// order 001) may lend at Receber. The item passes exactly when the server would lend: the
// lender offers its balance less what it already lends in the sale less its own part of it, and
// the borrower misses only its own part of the sale.
struct LoanCase
{
    const char *name;
    double mealBalance;
    const char *mealMayGoNegative;
    QList<QList<Variant>> saleFamilies; // CDFAMILISALD, VRSALDCONFAM before the item
    bool passes;
};

class CoveredByAnEarlierFamily : public LimitsTest, public ::testing::WithParamInterface<LoanCase>
{
};

TEST_P(CoveredByAnEarlierFamily, AsTheServerLendsAtReceber)
{
    const LoanCase &c = GetParam();
    // The families up to the snack's order; the dessert family (SOB, also 002) borrows too.
    ordemFamilia = Variant(QList<Variant>{
        Variant(packetOf({"CDFAMILISALD", "NRORDAPRSALD", "IDSALDNEGFAM", "VRCONSDIAFAM"}, {{"LAN", "002", "N", Variant::null()}})),
        Variant(packetOf({"CDFAMILISALD", "NRORDAPRSALD", "IDSALDNEGFAM", "VRSALDCONFAM"},
                         {{"REF", "001", c.mealMayGoNegative, c.mealBalance}, {"LAN", "002", "N", 0.0},
                          {"SOB", "002", "N", 0.0}})),
        Variant(packetOf({"VRDIARIOFAM"}, {{0.0}}))});
    balances({{"REF", "REFEICAO", c.mealBalance}, {"LAN", "LANCHES", 0.0}, {"SOB", "SOBREMESA", 0.0},
              {"BEB", "BEBIDAS", 50.0}});
    double total = 0.0;
    for (const QList<Variant> &row : c.saleFamilies)
        total += row.at(1).toDouble();
    fill(data().cdsFamiliaSaldo, {"CDFAMILISALD", "VRSALDCONFAM"}, c.saleFamilies);
    state().totals.doTotalVenda = total;

    EXPECT_EQ(credit(QStringLiteral("10,00"), QStringLiteral("N"), QStringLiteral("LAN")), c.passes);

    EXPECT_EQ(messages->count(), c.passes ? 0 : 1);
    if (!c.passes) {
        EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("LANCHES ") + message(QStringLiteral("FamiliaNeg"))));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CoveredByAnEarlierFamily,
    ::testing::Values(LoanCase{"MealCoversTheSnack", 10.0, "N", {}, true},
                      LoanCase{"MealOneCentShort", 9.99, "N", {}, false},
                      // The drinks pay for themselves: they take nothing from the meal's balance.
                      LoanCase{"OtherFamiliesPayingTheirOwnPartDoNotCount", 20.0, "N", {{"BEB", 30.0}}, true},
                      LoanCase{"TheMealsOwnItemsCount", 20.0, "N", {{"REF", 15.0}}, false},
                      LoanCase{"WhatTheMealAlreadyLendsCounts", 20.0, "N", {{"SOB", 12.0}}, false},
                      LoanCase{"WhatTheMealAlreadyLendsLeavesEnough", 22.0, "N", {{"SOB", 12.0}}, true},
                      LoanCase{"TheSnacksEarlierItemsCount", 20.0, "N", {{"LAN", 10.01}}, false},
                      LoanCase{"AMealThatMayGoNegativeLendsAnyway", 0.0, "S", {{"REF", 15.0}}, true}),
    [](const auto &info) { return std::string(info.param.name); });

struct SettleGateCase
{
    const char *name;
    bool loans;
    bool passes;
};

class CreditAtSettle : public LimitsTest, public ::testing::WithParamInterface<SettleGateCase>
{
};

TEST_P(CreditAtSettle, FamilyLoansCloseTheGate)
{
    storeLimits(Variant(30.0), Variant::null(), Variant::null(), Variant::null(), Variant::null());
    state().figures.doConsumoLojaDia = 20.0;
    state().figures.doTotalVendaAux = 12.0;
    state().loyalty.doFidelidadeAux1 = 1.0;
    state().loyalty.doCashbackAux2 = 0.5;
    fill(data().cdsEmprestimoFam, {"CDFAMILISALD", "VRMOVEXTCONS"},
         GetParam().loans ? QList<QList<Variant>>{{"REF", 5.0}} : QList<QList<Variant>>{});
    EXPECT_EQ(credit(QStringLiteral("12,00"), QStringLiteral("S")), GetParam().passes);
}

// The sale part is 12 - 1 - 0.5 = 10.50, over the 10.00 left of the day.
INSTANTIATE_TEST_SUITE_P(Limits, CreditAtSettle,
                         ::testing::Values(SettleGateCase{"WithoutLoansChecks", false, false},
                                           SettleGateCase{"WithLoansSkips", true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LimitsTest, SaleTotalAboveAMillionIsReadAsANumber)
{
    state().totals.doTotalVenda = 1234567.89;
    storeLimits(Variant(1234577.89), Variant::null(), Variant::null(), Variant::null(), Variant::null());
    EXPECT_TRUE(credit(QStringLiteral("10,00")));
    EXPECT_DOUBLE_EQ(state().figures.doTotalVendaAux, 1234567.89);
    EXPECT_FALSE(credit(QStringLiteral("10,01")));
}

TEST_F(LimitsTest, FamilyOrderFailureRefusesWithTheServerMessage)
{
    ordemFamilia = Variant::failure(QStringLiteral("conexão perdida"));
    EXPECT_FALSE(credit(QStringLiteral("1,00")));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(messages->count(), 1);
}

struct QuantityCase
{
    const char *name;
    Variant answer;
    bool passes;
    const char *key;
    bool badge;
};

class DailyQuantity : public LimitsTest, public ::testing::WithParamInterface<QuantityCase>
{
};

TEST_P(DailyQuantity, ServerCodeDecides)
{
    const QuantityCase &c = GetParam();
    qtdeProdDia = c.answer;
    EXPECT_EQ(consumer().Valida_QtdeDia_Credito_Pessoal(QStringLiteral("REF"), QStringLiteral("01001"),
                                                        QStringLiteral("1"), data().cdsItems),
              c.passes);
    if (c.passes) {
        EXPECT_EQ(messages->count(), 0);
        return;
    }
    ASSERT_EQ(messages->count(), 1);
    if (c.key) {
        const QStringList args = c.badge ? QStringList{QStringLiteral("1001 - JOSÉ CARLOS OLIVEIRA")} : QStringList{};
        EXPECT_EQ(lastMessage(), message(QString::fromLatin1(c.key), args));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, DailyQuantity,
    ::testing::Values(QuantityCase{"Ok", Variant(QStringLiteral("QTDE_OK")), true, nullptr, false},
                      QuantityCase{"ConsumerQuantity", Variant(QStringLiteral("QTDE_NOT_CONS")), false, "Qtde_Not_Cons", true},
                      QuantityCase{"ConsumerProduct", Variant(QStringLiteral("PROD_NOT_CONS")), false, "Prod_Not_Cons", true},
                      QuantityCase{"FamilyQuantity", Variant(QStringLiteral("QTDE_NOT_FAM")), false, "Qtde_Not_Fam", false},
                      QuantityCase{"FamilyProduct", Variant(QStringLiteral("PROD_NOT_FAM")), false, "Prod_Not_Fam", false},
                      QuantityCase{"ServerFailureRefuses", Variant::failure(QStringLiteral("tempo esgotado")), false,
                                   nullptr, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
