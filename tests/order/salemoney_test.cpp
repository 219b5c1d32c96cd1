#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/salemoney.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

#include <stdexcept>

// ---- the rules alone ------------------------------------------------------------------------------

TEST(SaleMoneyRules, LineValueIsCutAtEachStep)
{
    EXPECT_DOUBLE_EQ(SaleMoney::lineValue(0.5, 3.99, 0, 0), 1.99);
    EXPECT_DOUBLE_EQ(SaleMoney::lineValue(3, 0.29, 0, 0), 0.87);
    EXPECT_DOUBLE_EQ(SaleMoney::lineValue(2, 10.009, 1.0, 0.5), 19.5);
    EXPECT_DOUBLE_EQ(SaleMoney::lineValue(1.5, 4.35, 0, 0), 6.52);
}

TEST(SaleMoneyRules, ServiceFeeIsKeptWhole)
{
    EXPECT_DOUBLE_EQ(SaleMoney::serviceFee(10, 1, 3.33, 0), 0.333);
}

TEST(SaleMoneyRules, ACouponNeverLeavesALineBelowOneCent)
{
    const SaleMoney::CouponLine whole = SaleMoney::applyCoupon(8.5, 0, 8.5, 1, 10.0, 8.5);
    EXPECT_DOUBLE_EQ(whole.soma, 0.01);
    EXPECT_DOUBLE_EQ(whole.discount, 8.49);
    const SaleMoney::CouponLine part = SaleMoney::applyCoupon(8.5, 0, 8.5, 1, 3.0, 8.5);
    EXPECT_DOUBLE_EQ(part.soma, 5.5);
    EXPECT_DOUBLE_EQ(part.discount, 3.0);
}

TEST(SaleMoneyRules, TextsOfNumbers)
{
    EXPECT_DOUBLE_EQ(SaleMoney::number(QStringLiteral("1,5")), 1.5);
    EXPECT_DOUBLE_EQ(SaleMoney::number(QStringLiteral("2.25")), 2.25);
    EXPECT_DOUBLE_EQ(SaleMoney::number(QStringLiteral(" "), true), 0.0);
    EXPECT_THROW(SaleMoney::number(QStringLiteral("")), std::invalid_argument);
    EXPECT_THROW(SaleMoney::number(QStringLiteral("dois")), std::invalid_argument);
    EXPECT_EQ(SaleMoney::text(0.5), QStringLiteral("0,5"));
}

// ---- coupons through the registration -------------------------------------------------------------

class Coupons : public OrderTest
{
protected:
    void coupon(double value, double comparedValue)
    {
        LoyaltyState &loyalty = state().loyalty;
        state().startup.stCupomAux1 = QStringLiteral("S");
        loyalty.stCDCUPOMDESCQUB = QStringLiteral("PROMO10");
        loyalty.doVrCupomDesc = value;
        loyalty.doCupomDescAux1 = comparedValue;
    }
    double line(const char *field)
    {
        data().cdsItems.First();
        return data().cdsItems.FieldByName(QString::fromLatin1(field)).AsFloat();
    }
};

TEST_F(Coupons, ACouponCoveringTheLineLeavesOneCent)
{
    useFiscalPrinter();
    coupon(10.0, 8.5);
    sell(item("10", "PIZZA", "8,50"));
    EXPECT_DOUBLE_EQ(line("SOMA"), 0.01);
    EXPECT_DOUBLE_EQ(line("VRDESCCOMVEN"), 8.49);
    EXPECT_EQ(column(data().cdsItems, "CDCUPOMDESCQUB"), QStringList{"PROMO10"});
    EXPECT_EQ(column(data().cdsCupomDescVenda, "CDCUPOMDESCQUB"), QStringList{"PROMO10"});
    EXPECT_TRUE(state().loyalty.stCDCUPOMDESCQUB.isEmpty());
    EXPECT_EQ(state().loyalty.doVrCupomDesc, 0.0);
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("0,01"));
    EXPECT_TRUE(column(data().cdsExtratoTemp, "DSITEM").at(2).endsWith(QStringLiteral(" 0,01")))
        << column(data().cdsExtratoTemp, "DSITEM").at(2).toStdString();
}

TEST_F(Coupons, ASmallerCouponComesOffTheValue)
{
    useFiscalPrinter();
    coupon(3.0, 8.5);
    sell(item("10", "PIZZA", "8,50"));
    EXPECT_DOUBLE_EQ(line("SOMA"), 5.5);
    EXPECT_DOUBLE_EQ(line("VRDESCCOMVEN"), 3.0);
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("5,50"));
}

TEST_F(Coupons, WithoutAFiscalPrinterNoCouponIsApplied)
{
    coupon(3.0, 8.5);
    sell(item("10", "PIZZA", "8,50"));
    EXPECT_DOUBLE_EQ(line("SOMA"), 8.5);
    EXPECT_EQ(column(data().cdsItems, "CDCUPOMDESCQUB"), QStringList{""});
    EXPECT_EQ(state().loyalty.stCDCUPOMDESCQUB, QStringLiteral("PROMO10"));
}
