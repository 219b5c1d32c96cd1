// The money rules of the consumer limits: how a limit is read, when a maximum or a floor
// refuses, the cent rounding and the unit splits of the subsidy.
#include <consumer/limits_p.h>

#include <runtime/money.h>

#include <gtest/gtest.h>

using namespace Limits;

namespace {

struct ReadCase
{
    const char *name;
    QString text;
    Limit::Kind kind;
    double value;
};

class LimitText : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(LimitText, ReadsAsNoneNumberOrInvalid)
{
    const ReadCase &c = GetParam();
    const Limit limit = readLimit(c.text);
    EXPECT_EQ(limit.kind, c.kind);
    EXPECT_DOUBLE_EQ(limit.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(Limits, LimitText,
                         ::testing::Values(ReadCase{"Empty", QString(), Limit::Kind::None, 0.0},
                                           ReadCase{"Blanks", QStringLiteral("   "), Limit::Kind::None, 0.0},
                                           ReadCase{"Zero", QStringLiteral("0"), Limit::Kind::Value, 0.0},
                                           ReadCase{"DecimalComma", QStringLiteral("30,50"), Limit::Kind::Value, 30.5},
                                           ReadCase{"Letters", QStringLiteral("trinta"), Limit::Kind::Invalid, 0.0},
                                           ReadCase{"ThousandsDotAndComma", QStringLiteral("1.234,5"),
                                                    Limit::Kind::Invalid, 0.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LimitValue, NullColumnIsNoLimitAndNumberIsItsValue)
{
    EXPECT_FALSE(readLimit(Variant::null()).applies());
    EXPECT_FALSE(readLimit(Variant()).applies());
    const Limit limit = readLimit(Variant(30.0));
    EXPECT_EQ(limit.kind, Limit::Kind::Value);
    EXPECT_DOUBLE_EQ(limit.value, 30.0);
}

struct CompareCase
{
    const char *name;
    double limit;
    double figure;
    bool maximumRefuses;
    bool floorFires;
};

class LimitCompare : public ::testing::TestWithParam<CompareCase>
{
};

TEST_P(LimitCompare, RoundsBothSidesToCents)
{
    const CompareCase &c = GetParam();
    EXPECT_EQ(exceedsMaximum(c.limit, c.figure), c.maximumRefuses);
    EXPECT_EQ(belowLevel(c.limit, c.figure), c.floorFires);
}

INSTANTIATE_TEST_SUITE_P(Limits, LimitCompare,
                         ::testing::Values(CompareCase{"EqualPasses", 30.0, 30.0, false, false},
                                           CompareCase{"OneCentOverRefuses", 30.0, 30.01, true, false},
                                           CompareCase{"OneCentUnderFires", 30.0, 29.99, false, true},
                                           CompareCase{"FractionRoundsToEqual", 30.0, 30.004, false, false},
                                           CompareCase{"HalfCentRoundsUp", 30.0, 30.005, true, false},
                                           CompareCase{"BinarySum", 0.3, 0.1 + 0.2, false, false},
                                           CompareCase{"ZeroLimitPositiveTotal", 0.0, 0.01, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CentRounding, AddsHalfACentThenRoundsTiesToEven)
{
    EXPECT_DOUBLE_EQ(centRound(2.5 / 3.0), 0.83);
    EXPECT_DOUBLE_EQ(centRound(0.5 / 3.0), 0.17);
    EXPECT_DOUBLE_EQ(centRound(6.0), 6.0);
    EXPECT_DOUBLE_EQ(centRound(0.124), 0.12);   // 12.405
    EXPECT_DOUBLE_EQ(centRound(0.115), 0.12);   // 11.505
    EXPECT_DOUBLE_EQ(centRound(0.12495), 0.12); // 12.5: a tie, to the even cent
    EXPECT_DOUBLE_EQ(centRound(0.13495), 0.14); // 13.5: a tie, to the even cent
}

struct SplitCase
{
    const char *name;
    double V, Q, B;
    double P, C;
};

class BasicSplit : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(BasicSplit, PartsAddUpToTheRowValue)
{
    const SplitCase &c = GetParam();
    const UnitSplit split = partialBasic(c.V, c.Q, c.B);
    EXPECT_DOUBLE_EQ(split.P, c.P);
    EXPECT_DOUBLE_EQ(split.C, c.C);
    EXPECT_DOUBLE_EQ(Money::RoundDec(c.Q * (split.P + split.C), 2), Money::RoundDec(c.V, 2));
}

INSTANTIATE_TEST_SUITE_P(Subsidy, BasicSplit,
                         ::testing::Values(SplitCase{"OneUnitFourOfTen", 10.0, 1.0, 4.0, 6.0, 4.0},
                                           SplitCase{"ThreeUnitsMissingCentToConsumer", 3.0, 3.0, 0.5, 0.84, 0.16},
                                           // Q = 3, P + C = 1.00, whole-row discount 0.30: V = 2.70.
                                           SplitCase{"DiscountedRowNeverNegative", 2.70, 3.0, 0.5, 0.74, 0.16}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ConsumerSubsidySplit, CentRoundsBothPartsWithoutAdjustment)
{
    const UnitSplit split = partialSubsidy(3.0, 3.0, 0.5);
    EXPECT_DOUBLE_EQ(split.P, 0.83);
    EXPECT_DOUBLE_EQ(split.C, 0.17);
}

TEST(WholeCover, ConsumerPaysNothing)
{
    const UnitSplit split = wholeCover(2.0, 3.0);
    EXPECT_DOUBLE_EQ(split.P, 0.0);
    EXPECT_DOUBLE_EQ(split.C, 0.67);
}

} // namespace
