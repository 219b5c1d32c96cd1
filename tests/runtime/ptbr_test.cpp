#include <runtime/ptbr.h>
#include <runtime/variant.h>

#include <gtest/gtest.h>

#include <limits>

namespace {

struct FormatCase
{
    const char *name;
    const char *pattern;
    double value;
    const char *expected;
};

std::ostream &operator<<(std::ostream &out, const FormatCase &c)
{
    return out << c.name;
}

class FormatFloatTable : public testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatFloatTable, WritesThePtBrForm)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(PtBr::FormatFloat(QString::fromUtf8(c.pattern), c.value), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    PtBr, FormatFloatTable,
    testing::Values(
        FormatCase{"TwoDecimals", "0.00", 12.5, "12,50"},
        FormatCase{"TwoDecimalsZero", "0.00", 0, "0,00"},
        FormatCase{"TwoDecimalsTieAwayFromZero", "0.00", 1.005, "1,01"},
        FormatCase{"TwoDecimalsHalfOfThreeNinetyNine", "0.00", 0.5 * 3.99, "2,00"},
        FormatCase{"TwoDecimalsNegative", "0.00", -3.456, "-3,46"},
        FormatCase{"TinyNegativeHasNoSign", "0.00", -0.001, "0,00"},
        FormatCase{"NoThousandsInPlainPicture", "0.00", 1234567.5, "1234567,50"},
        FormatCase{"MoneyCaption", "#,##0.00", 1234.5, "1.234,50"},
        FormatCase{"MoneyCaptionMillions", "#,##0.00", 1234567.891, "1.234.567,89"},
        FormatCase{"MoneyCaptionSmall", "#,##0.00", 0.07, "0,07"},
        FormatCase{"MoneyCaptionNegative", "#,##0.00", -1234.5, "-1.234,50"},
        FormatCase{"MoneyCaptionHundreds", "#,##0.00", 999.999, "1.000,00"},
        FormatCase{"NoThousandsSeparator", "###0.00", 1234.5, "1234,50"},
        FormatCase{"TwoIntegerDigits", "#00.00", 1.5, "01,50"},
        FormatCase{"TwoIntegerDigitsWhenLonger", "#00.00", 123.456, "123,46"},
        FormatCase{"OneIntegerDigit", "#0.00", 0.5, "0,50"},
        FormatCase{"QuantityWithThousands", "#,###0.000", 12345.6789, "12.345,679"},
        FormatCase{"QuantityZero", "#,###0.000", 0, "0,000"},
        FormatCase{"ThreeDecimals", "0.000", 0.5, "0,500"},
        FormatCase{"ThreeDecimalsRounded", "0.000", 1.2345, "1,235"},
        FormatCase{"ScaleQuantity", "000000.000", 1.25, "000001,250"},
        FormatCase{"FourDecimals", "0.0000", 2.5, "2,5000"},
        FormatCase{"Whole", "0", 2.5, "3"},
        FormatCase{"WholeNegativeTie", "0", -2.5, "-3"},
        FormatCase{"TwoDigits", "00", 7, "07"},
        FormatCase{"ThreeDigits", "000", 7, "007"},
        FormatCase{"FourDigits", "0000", 12, "0012"},
        FormatCase{"WholeWithThousands", "#,##0", 1234567, "1.234.567"},
        FormatCase{"OptionalDecimals", "#.##", 1.5, "1,5"},
        FormatCase{"OptionalDecimalsWhole", "#.##", 2, "2"},
        FormatCase{"OptionalDecimalsBelowOne", "#.##", 0.25, ",25"},
        FormatCase{"NothingToWriteIsZero", "#.##", 0, "0"},
        FormatCase{"LiteralsAround", "\"R$ \"#,##0.00\" un\"", 5, "R$ 5,00 un"},
        FormatCase{"NegativeSection", "0.00;(0.00)", -5, "(5,00)"},
        FormatCase{"ZeroSection", "0.00;-0.00;zero", 0.001, "zero"},
        FormatCase{"EmptyNegativeSectionUsesFirst", "0.00;", -5, "-5,00"},
        FormatCase{"EmptyPictureIsTheGeneralForm", "", 2.5, "2,5"}),
    [](const testing::TestParamInfo<FormatCase> &info) { return std::string(info.param.name); });

} // namespace

TEST(PtBr, FixedAndCurrencyForms)
{
    EXPECT_EQ(PtBr::FloatToStrFixed(1234.5, 2), QStringLiteral("1234,50"));
    EXPECT_EQ(PtBr::FloatToStrFixed(2.0, 3), QStringLiteral("2,000"));
    EXPECT_EQ(PtBr::FloatToStrFixed(2.4, 0), QStringLiteral("2"));
    EXPECT_EQ(PtBr::FormatCurr(1234.5), QStringLiteral("R$ 1.234,50"));
    EXPECT_EQ(PtBr::FormatCurr(0), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(PtBr::FormatCurr(-0.99), QStringLiteral("-R$ 0,99"));
    EXPECT_EQ(PtBr::FormatCurr(-0.001), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(QLatin1String(PtBr::CurrencyString), QStringLiteral("R$"));
}

TEST(PtBr, FloatToStrIsTheShortestTextAndMatchesVariant)
{
    struct Case { double value; const char *expected; };
    const Case cases[] = {
        {2.5, "2,5"}, {0.1 + 0.2, "0,3"}, {100, "100"}, {-0.01, "-0,01"}, {0, "0"},
        {1.0 / 3, "0,333333333333333"}, {0.00001, "0,00001"}, {123456789.125, "123456789,125"},
        {1e20, "1e+20"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PtBr::FloatToStr(c.value), QString::fromUtf8(c.expected)) << c.expected;
        EXPECT_EQ(PtBr::FloatToStr(c.value), Variant(c.value).toString()) << c.expected;
    }
    EXPECT_EQ(PtBr::FloatToStr(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NAN"));
}

TEST(PtBr, StrToFloatReadsTheDecimalComma)
{
    struct Case { const char *text; double value; bool ok; };
    const Case cases[] = {
        {"1,5", 1.5, true},     {" -0,01 ", -0.01, true}, {"1.5", 1.5, true},
        {"1234", 1234, true},   {"1.234,5", 0, false},    {"", 0, false},
        {"abc", 0, false},      {"1,5x", 0, false},       {"inf", 0, false},
        {"nan", 0, false},
    };
    for (const Case &c : cases) {
        bool ok = !c.ok;
        EXPECT_DOUBLE_EQ(PtBr::StrToFloat(QString::fromUtf8(c.text), &ok), c.value) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    // What FloatToStr writes reads back to the same number.
    for (const double v : {0.1 + 0.2, 19.99, -7.125, 1e-5})
        EXPECT_DOUBLE_EQ(PtBr::StrToFloat(PtBr::FloatToStr(v)), v);
}

TEST(PtBr, DatesAndTimes)
{
    const QDateTime dt(QDate(2024, 3, 5), QTime(9, 7, 4, 12));
    EXPECT_EQ(PtBr::DateToStr(dt.date()), QStringLiteral("05/03/2024"));
    EXPECT_EQ(PtBr::TimeToStr(dt.time()), QStringLiteral("09:07:04"));
    EXPECT_EQ(PtBr::DateTimeToStr(dt), QStringLiteral("05/03/2024 09:07:04"));
    EXPECT_EQ(PtBr::DateTimeToStr(QDateTime(QDate(2024, 3, 5), QTime(0, 0))), QStringLiteral("05/03/2024"));
    EXPECT_EQ(PtBr::DateToStr(QDate()), QString());
    EXPECT_EQ(QLatin1String(PtBr::ShortDateFormat), QStringLiteral("dd/mm/yyyy"));
}

TEST(PtBr, FormatDateTimePictures)
{
    const QDateTime dt(QDate(2024, 3, 5), QTime(9, 7, 4, 12));
    struct Case { const char *pattern; const char *expected; };
    const Case cases[] = {
        {"yyyy-mm-dd", "2024-03-05"},
        {"YYYY", "2024"},
        {"DDMM", "0503"},
        {"yymmddhhnn", "2403050907"},
        {"hh:mm:ss", "09:07:04"},
        {"dd/mm/yyyy hh:nn:ss.zzz", "05/03/2024 09:07:04.012"},
        {"d/m/yy h:n", "5/3/24 9:7"},
        {"dddd", "terça-feira"},
        {"'Dia' dd", "Dia 05"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PtBr::FormatDateTime(QString::fromUtf8(c.pattern), dt), QString::fromUtf8(c.expected))
            << c.pattern;
}

TEST(PtBr, ReadsDates)
{
    bool ok = false;
    EXPECT_EQ(PtBr::StrToDate(QStringLiteral("05/03/2024"), &ok), QDate(2024, 3, 5));
    EXPECT_TRUE(ok);
    EXPECT_EQ(PtBr::StrToDate(QStringLiteral("5/3/2024"), &ok), QDate(2024, 3, 5));
    EXPECT_FALSE(PtBr::StrToDate(QStringLiteral("31/02/2024"), &ok).isValid());
    EXPECT_FALSE(ok);
    EXPECT_EQ(PtBr::StrToDateTime(QStringLiteral("05/03/2024 09:07:04"), &ok),
              QDateTime(QDate(2024, 3, 5), QTime(9, 7, 4)));
    EXPECT_TRUE(ok);
    EXPECT_EQ(PtBr::StrToDateTime(QStringLiteral("05/03/2024"), &ok), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_FALSE(PtBr::StrToDateTime(QStringLiteral("ontem"), &ok).isValid());
    EXPECT_FALSE(ok);
}
