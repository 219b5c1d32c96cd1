#include <runtime/money.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct CutCase
{
    const char *name;
    double value;
    double expected;
};

std::ostream &operator<<(std::ostream &out, const CutCase &c)
{
    return out << c.name;
}

// Expected values are written as literals, so EXPECT_EQ compares with the very double the
// literal gives: the cut must land exactly on it, not merely near it.
class Trunc2Table : public testing::TestWithParam<CutCase>
{
};

TEST_P(Trunc2Table, CutsOnTheDecimalDigits)
{
    EXPECT_EQ(Money::Trunc2(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Money, Trunc2Table,
    testing::Values(
        CutCase{"KeepsACleanValue", 0.29, 0.29},
        CutCase{"BinaryArtefactOfTimesHundred", 0.29 * 100, 29.0},
        CutCase{"ArtefactJustBelowAWholeNumber", 4.35 * 100, 435.0},
        CutCase{"ArtefactJustAboveTheValue", 0.1 + 0.2, 0.3},
        CutCase{"KeepsNineteenNinetyNine", 19.99, 19.99},
        CutCase{"DifferenceOfTwoPrices", 8.50 - 8.49, 0.01},
        CutCase{"DifferenceBelowAWholeNumber", 10.0 - 9.99, 0.01},
        CutCase{"ThirdDecimalIsCutNotRounded", 1.005, 1.0},
        CutCase{"HalfOfThreeNinetyNine", 0.5 * 3.99, 1.99},
        CutCase{"HalfOfSevenNinetyNine", 7.99 * 0.5, 3.99},
        CutCase{"FifteenPercentOfNineNinetyNine", 9.99 * 0.15, 1.49},
        CutCase{"ThirdOfOne", 1.00 / 3, 0.33},
        CutCase{"SumCutAfterSumming", 0.49 + 0.495, 0.98},
        CutCase{"HalfOfOneAndAHalf", 1.5 / 2, 0.75},
        CutCase{"NegativeGoesTowardZero", -1.999, -1.99},
        CutCase{"NegativeArtefact", -(0.29 * 100), -29.0},
        CutCase{"NegativeHalfOfThreeNinetyNine", -0.5 * 3.99, -1.99},
        CutCase{"TinyNegativeBecomesPlainZero", -0.001, 0.0},
        CutCase{"Zero", 0.0, 0.0},
        CutCase{"LargeAmount", 1234567.899, 1234567.89},
        CutCase{"WholeNumber", 42.0, 42.0}),
    [](const testing::TestParamInfo<CutCase> &info) { return std::string(info.param.name); });


} // namespace

TEST(Money, Trunc3CutsWeights)
{
    EXPECT_EQ(Money::Trunc3(1.2349), 1.234);
    EXPECT_EQ(Money::Trunc3(0.1 * 3), 0.3);
    EXPECT_EQ(Money::Trunc3(-0.0019), -0.001);
    EXPECT_EQ(Money::Trunc3(2.0 / 3), 0.666);
}

TEST(Money, RoundDecTiesGoAwayFromZero)
{
    struct Case { const char *name; double value; int decimals; double expected; };
    const Case cases[] = {
        {"TieUp", 1.005, 2, 1.01},
        {"NegativeTieDown", -1.005, 2, -1.01},
        {"BelowTie", 1.0049, 2, 1.0},
        {"WeightMinusTare", 1.2345 - 0.2, 3, 1.035},
        {"HalfToWhole", 2.5, 0, 3.0},
        {"NegativeHalfToWhole", -2.5, 0, -3.0},
        {"CarryIntoNewDigit", 9.995, 2, 10.0},
        {"BinaryArtefact", 0.29 * 100, 2, 29.0},
        {"SmallToZero", 0.004, 2, 0.0},
        {"SmallRoundsUpToFirstCent", 0.005, 2, 0.01},
        {"NegativeDecimalsCountAsZero", 7.6, -1, 8.0},
        {"HalfOfThreeNinetyNine", 0.5 * 3.99, 2, 2.0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Money::RoundDec(c.value, c.decimals), c.expected) << c.name;
}

TEST(Money, NegativeZeroNeverLeaks)
{
    EXPECT_FALSE(std::signbit(Money::Trunc2(-0.004)));
    EXPECT_FALSE(std::signbit(Money::RoundDec(-0.004, 2)));
    EXPECT_FALSE(std::signbit(Money::Trunc2(-0.0)));
}

TEST(Money, NonFiniteValuesPassThrough)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Money::Trunc2(inf), inf);
    EXPECT_EQ(Money::RoundDec(-inf, 2), -inf);
    EXPECT_TRUE(std::isnan(Money::Trunc2(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Money, RunningTotalOfTruncatedLines)
{
    // The receipt total: Trunc2(q * v - Trunc2(disc) + Trunc2(add) + total) line by line.
    double total = 0;
    const double lines[][2] = {{3, 4.35}, {0.5, 3.99}, {1, 19.99}, {0.333, 9.99}};
    for (const auto &line : lines)
        total = Money::Trunc2(line[0] * line[1] + total);
    // 13.05; 13.05 + 1.995 -> 15.04; + 19.99 -> 35.03; + 3.32667 -> 38.35
    EXPECT_EQ(total, 38.35);
}
