// A merchandise exchange whose credit pays part of the sale, through the real host program on
// a fresh demo site (host/scripts/troca.txt, its first sale): the credit is stored as the
// exchange's payment beside the cash, and the sale, its lines and its payments come to the same.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DeskCase
{
    const char *till;
    bool fiscalPrinter;
};

std::ostream &operator<<(std::ostream &out, const DeskCase &c) { return out << c.till; }

class ExchangePaidPartlyInCash : public ::testing::TestWithParam<DeskCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", GetParam().till}, work.path(), output)) << output.toStdString();
        ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/troca.txt")},
                            work.path(), output))
            << output.toStdString();
    }

    double value(const char *sql) { return siteBaseValue(site, QString::fromLatin1(sql)).toDouble(); }

    QString tape() const
    {
        QString text;
        const QDir folder(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal")));
        for (const QString &name : folder.entryList({QStringLiteral("fita-*.txt")})) {
            QFile day(folder.filePath(name));
            if (day.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(day.readAll());
        }
        return text;
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_P(ExchangePaidPartlyInCash, TheCreditIsStoredAsTheExchangePaymentAndTheTotalsAgree)
{
    const char *firstSale = "(SELECT MIN(NRSEQVENDA) FROM VENDA)";
    const auto of = [firstSale](const char *sql) { return QString::fromLatin1(sql).arg(QLatin1String(firstSale)).toLatin1(); };

    EXPECT_NEAR(value(of("SELECT VRTOTVENDA FROM VENDA WHERE NRSEQVENDA = %1")), 20.00, 1e-9);
    EXPECT_NEAR(value(of("SELECT SUM(QTPRODCOMVEN * VRPRECCOMVEN) FROM ITEMVENDA WHERE NRSEQVENDA = %1")), 20.00, 1e-9);
    EXPECT_NEAR(value(of("SELECT SUM(VRMOVIVEND) FROM MOVCAIXA WHERE NRSEQVENDA = %1")), 20.00, 1e-9);
    EXPECT_NEAR(value(of("SELECT VRMOVIVEND FROM MOVCAIXA WHERE CDTIPORECE = '011' AND NRSEQVENDA = %1")), 15.01, 1e-9);
    EXPECT_NEAR(value(of("SELECT VRMOVIVEND FROM MOVCAIXA WHERE CDTIPORECE = '001' AND NRSEQVENDA = %1")), 4.99, 1e-9);
    if (GetParam().fiscalPrinter) {
        EXPECT_TRUE(tape().contains(QStringLiteral("Troca de mercadoria                        15,01"))) << tape().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Desks, ExchangePaidPartlyInCash,
                         ::testing::Values(DeskCase{"ecf", true}, DeskCase{"nfce", false}),
                         [](const ::testing::TestParamInfo<DeskCase> &info) { return std::string(info.param.till); });

} // namespace
