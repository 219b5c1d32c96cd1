#include <outside/qub_movrela.h>

#include <gtest/gtest.h>

TEST(Qub_movrela, Trunc2AndAjustaZero)
{
    EXPECT_EQ(Qub_movrela::Trunc2(0.29 * 100), 29.0);
    EXPECT_EQ(Qub_movrela::Trunc2(9.99 * 0.15), 1.49);
    EXPECT_EQ(Qub_movrela::Trunc2(-1.999), -1.99);
    EXPECT_EQ(Qub_movrela::AjustaZero(QStringLiteral("2"), 3), QStringLiteral("002"));
}

TEST(Qub_movrela, RecebeParamsReadsByNameWithoutCase)
{
    Qub_movrela::ParamRecord record;
    record.set(QStringLiteral("CUPNR"), QStringLiteral("000123"));
    record.set(QStringLiteral("IntTefErro"), 0);
    record.set(QStringLiteral("cupnr"), QStringLiteral("000124")); // replaces, keeps its place
    ASSERT_EQ(record.values.size(), 2);
    EXPECT_EQ(record.values.first().first, QStringLiteral("CUPNR"));
    EXPECT_EQ(Qub_movrela::RecebeParams(record, QStringLiteral("CUPNR")).toString(), QStringLiteral("000124"));
    EXPECT_EQ(Qub_movrela::RecebeParams(record, QStringLiteral("INTTEFERRO")).toInt(), 0);
    EXPECT_TRUE(Qub_movrela::RecebeParams(record, QStringLiteral("CONTCUPOM")).isEmpty());
    EXPECT_FALSE(record.contains(QStringLiteral("INCLUICPF")));
}

TEST(Qub_movrela, PrinterLinesEndWithCrLf)
{
    EXPECT_EQ(Qub_movrela::PropriedadesImpNF(QStringLiteral("1")).lineEnd, QStringLiteral("\r\n"));
    EXPECT_EQ(Qub_movrela::PropriedadesImpNF(QString()).lineEnd, QStringLiteral("\r\n"));
}
