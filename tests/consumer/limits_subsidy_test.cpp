// The subsidy split of the sale rows at settlement and the minimum consumption of a product.
#include "limitsfixture.h"

#include <runtime/money.h>

namespace {

class SubsidyTest : public LimitsTest
{
protected:
    void SetUp() override
    {
        LimitsTest::SetUp();
        fill(data().cdsProdutos, {"CDPRODUTO", "IDTPPRODDEBCONS", "VRMINCONSUMODEB"},
             {{"01001", "B", 10.0}, {"02001", "N", Variant::null()}});
        ClientDataSet &sale = data().cdsVenda;
        if (!sale.Active())
            sale.CreateDataSet();
        sale.EmptyDataSet();
    }

    // One sale row: quantity, consumer's and client's unit parts, whole-row discount and
    // addition, balance kind.
    void row(double Q, double P, double C, double D, double A, const QString &kind,
             const QString &product = QStringLiteral("01001"))
    {
        ClientDataSet &sale = data().cdsVenda;
        sale.Append();
        sale.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(product);
        sale.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsFloat(Q);
        sale.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(P);
        sale.FieldByName(QStringLiteral("VRUNITVENDCL")).SetAsFloat(C);
        sale.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(D);
        sale.FieldByName(QStringLiteral("ACRESITEM")).SetAsFloat(A);
        sale.FieldByName(QStringLiteral("IDTIPOSALDOPROD")).SetAsString(kind);
        sale.Post();
    }

    double field(const char *name)
    {
        return data().cdsVenda.FieldByName(QString::fromLatin1(name)).AsFloat();
    }

    void typeBalances(const Variant &basic, const Variant &extra)
    {
        fill(data().cdsTipoConsFili, {"VRSALDOBASICO", "VRSALDOEXTRA"}, {{basic, extra}});
    }
};

struct OwnCase
{
    const char *name;
    double Q, P;
    Variant subsidy;
    double spent;
    double newP, newC, granted;
    double D = 0.0;
};

class ConsumerSubsidy : public SubsidyTest, public ::testing::WithParamInterface<OwnCase>
{
};

TEST_P(ConsumerSubsidy, SplitsTheRowByWhatIsLeft)
{
    const OwnCase &c = GetParam();
    cadConsumidor = Variant(packetOf({"VRSUBSBASICO"}, {{c.subsidy}}));
    state().figures.doSubsidioBasicoEmp = c.spent;
    row(c.Q, c.P, 0.0, c.D, 0.0, QString());
    double total = -1.0;

    consumer().VerifVrSubsBasico(total);

    EXPECT_DOUBLE_EQ(field("VRPRECCOMVEN"), c.newP);
    EXPECT_DOUBLE_EQ(field("VRUNITVENDCL"), c.newC);
    EXPECT_DOUBLE_EQ(state().figures.doDebitoConsAux1, c.granted);
    if (c.granted > 0) {
        EXPECT_DOUBLE_EQ(total, c.granted);
    }
}

INSTANTIATE_TEST_SUITE_P(Subsidy, ConsumerSubsidy,
                         ::testing::Values(OwnCase{"WholeRow", 1.0, 8.0, Variant(10.0), 0.0, 0.0, 8.0, 8.0},
                                           OwnCase{"ThreeUnitsNeverGrantMoreThanTheSubsidyLeft", 3.0, 1.0, Variant(0.5), 0.0, 0.83, 0.17, 0.50},
                                           // 2,90 over three units: each is 0,97, the subsidy is the row.
                                           OwnCase{"DiscountedRowCoveredWholeGrantsTheRow", 3.0, 1.0, Variant(10.0), 0.0,
                                                   0.0, 0.97, 2.90, 0.10},
                                           OwnCase{"NothingLeft", 1.0, 8.0, Variant(5.0), 5.0, 8.0, 0.0, 0.0},
                                           OwnCase{"NoSubsidy", 1.0, 8.0, Variant::null(), 0.0, 8.0, 0.0, 0.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SubsidyTest, ProductOutsideTheSubsidyIsLeftAlone)
{
    cadConsumidor = Variant(packetOf({"VRSUBSBASICO"}, {{10.0}}));
    row(1.0, 8.0, 0.0, 0.0, 0.0, QString(), QStringLiteral("02001"));
    double total = 0.0;
    consumer().VerifVrSubsBasico(total);
    EXPECT_DOUBLE_EQ(field("VRPRECCOMVEN"), 8.0);
    EXPECT_EQ(calls, 0);
}

struct BalanceCase
{
    const char *name;
    double Q, P, D;
    const char *kind;
    Variant basic, extra;
    double newP, newC;
    double aux1, aux2, aux3, debit3;
};

class BalanceSplit : public SubsidyTest, public ::testing::WithParamInterface<BalanceCase>
{
};

TEST_P(BalanceSplit, AssignsTheRowToTheTypeBalances)
{
    const BalanceCase &c = GetParam();
    typeBalances(c.basic, c.extra);
    row(c.Q, c.P, 0.0, c.D, 0.0, QString::fromLatin1(c.kind));
    double total = 0.0;

    consumer().VerifVrSubsBasicExtra(total);

    const ConsumerFigures &f = state().figures;
    EXPECT_DOUBLE_EQ(field("VRPRECCOMVEN"), c.newP);
    EXPECT_DOUBLE_EQ(field("VRUNITVENDCL"), c.newC);
    EXPECT_DOUBLE_EQ(f.doSubsidioAux1, c.aux1);
    EXPECT_DOUBLE_EQ(f.doSubsidioAux2, c.aux2);
    EXPECT_DOUBLE_EQ(f.doSubsidioAux3, c.aux3);
    EXPECT_DOUBLE_EQ(f.doDebitoConsAux3, c.debit3);
    // What the row now asks of both sides is its value, never less, never a negative part.
    EXPECT_GE(field("VRPRECCOMVEN"), 0.0);
    EXPECT_GE(field("VRUNITVENDCL"), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Subsidy, BalanceSplit,
    ::testing::Values(
        BalanceCase{"BasicTakesFourOfTen", 1.0, 10.0, 0.0, "N", Variant(4.0), Variant::null(), 6.0, 4.0, 4.0, 6.0, 6.0, 0.0},
        BalanceCase{"ConsumerTakesTheMissingCent", 3.0, 1.0, 0.0, "N", Variant(0.5), Variant::null(), 0.84, 0.16, 0.48,
                    2.52, 2.52, 0.0},
        BalanceCase{"DiscountedRowAddsUpToItsValue", 3.0, 1.0, 0.30, "N", Variant(0.5), Variant::null(), 0.74, 0.16,
                    0.48, 2.22, 2.22, 0.0},
        BalanceCase{"NoBasicGoesToExtra", 1.0, 10.0, 0.0, "N", Variant(0.0), Variant(20.0), 10.0, 0.0, 0.0, 10.0, 10.0,
                    0.0},
        BalanceCase{"ExtraTooSmallAssignsNothing", 1.0, 10.0, 0.0, "E", Variant::null(), Variant(5.0), 10.0, 0.0, 0.0,
                    10.0, 0.0, 0.0},
        BalanceCase{"BasicOnlyTooSmallLeavesTheRow", 1.0, 10.0, 0.0, "B", Variant(5.0), Variant::null(), 10.0, 0.0, 0.0,
                    0.0, 0.0, 10.0},
        BalanceCase{"BasicOnlyCovers", 2.0, 2.5, 0.0, "B", Variant(5.0), Variant::null(), 0.0, 2.5, 5.0, 0.0, 0.0, 5.0},
        // A row of 2,90 over three units: the balances book 2,90, not 3 x 0,97.
        BalanceCase{"BasicCoversADiscountedRowToTheCent", 3.0, 1.0, 0.10, "N", Variant(5.0), Variant::null(), 0.0, 0.97,
                    2.90, 0.0, 0.0, 0.0},
        BalanceCase{"BasicOnlyCoversADiscountedRowToTheCent", 3.0, 1.0, 0.10, "B", Variant(5.0), Variant::null(), 0.0,
                    0.97, 2.90, 0.0, 0.0, 2.90},
        BalanceCase{"ExtraCoversADiscountedRowToTheCent", 3.0, 1.0, 0.10, "E", Variant::null(), Variant(5.0), 1.0, 0.0,
                    0.0, 2.90, 2.90, 0.0},
        BalanceCase{"OtherKindNothing", 1.0, 10.0, 0.0, "", Variant(50.0), Variant(50.0), 10.0, 0.0, 0.0, 0.0, 0.0, 0.0}),
    [](const auto &info) { return std::string(info.param.name); });

struct MinimumCase
{
    const char *name;
    const char *product;
    double price;
    double quantity;
    bool consumedToday;
    bool inSale;
    double expected;
};

class MinimumConsumption : public SubsidyTest, public ::testing::WithParamInterface<MinimumCase>
{
};

TEST_P(MinimumConsumption, RaisesTheFirstQuantityOfTheDayToTheMinimum)
{
    const MinimumCase &c = GetParam();
    fill(data().cdsRetornaPreco, {"VRPRECO"}, {{c.price}});
    if (c.consumedToday)
        verifProdConsumi = Variant(packetOf({"CDPRODUTO"}, {{"01001"}}));
    if (c.inSale) {
        ClientDataSet &items = data().cdsItems;
        if (!items.Active())
            items.CreateDataSet();
        items.Append();
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("01001"));
        items.Post();
    }
    state().totals.doQuantidade = c.quantity;

    consumer().VerifVrMinConsumoProd(QString::fromLatin1(c.product));

    EXPECT_DOUBLE_EQ(state().totals.doQuantidade, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Subsidy, MinimumConsumption,
                         ::testing::Values(MinimumCase{"RaisedToMinimum", "01001", 3.0, 1.0, false, false, 3.333},
                                           MinimumCase{"EqualStays", "01001", 5.0, 2.0, false, false, 2.0},
                                           MinimumCase{"AlreadyInTheSale", "01001", 3.0, 1.0, false, true, 1.0},
                                           MinimumCase{"ConsumedToday", "01001", 3.0, 1.0, true, false, 1.0},
                                           MinimumCase{"ZeroPriceSkipped", "01001", 0.0, 1.0, false, false, 1.0},
                                           MinimumCase{"NoMinimum", "02001", 3.0, 1.0, false, false, 1.0}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
