// Personal credit and the merchandise exchange through the real host program on a fresh demo
// site, each script played twice (host/scripts/venda-credito.txt, host/scripts/troca.txt).
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The fiscal printer's tape of every day the site printed on.
QString tapeOf(const QString &site)
{
    QString tape;
    for (const QFileInfo &file : QDir(QDir(site).filePath("Dados/ImpressoraFiscal")).entryInfoList({"fita-*.txt"})) {
        QFile day(file.filePath());
        if (day.open(QIODevice::ReadOnly))
            tape += QString::fromUtf8(day.readAll());
    }
    return tape;
}

QList<QVariantList> rowsOf(const QString &site, const QString &sql)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("creditExchange"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        if (base.open()) {
            QSqlQuery query(base);
            if (query.exec(sql)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row << query.value(i);
                    rows << row;
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("creditExchange"));
    return rows;
}

class CreditExchangeHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    }

    void play(const char *script)
    {
        for (int round = 0; round < 2; ++round)
            ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + script},
                                work.path(), output))
                << output.toStdString();
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

// Three items on personal credit: one "9" payment per sale, the voucher, and each balance
// family debited by its own items (the plate 20,61 from meals, drink and snack 14,00 from snacks).
TEST_F(CreditExchangeHost, PersonalCreditSalesDebitEachFamilyAndPrintTheVoucher)
{
    play("venda-credito.txt");

    // The voucher of each sale on the fiscal printer's tape.
    const QString tape = tapeOf(site);
    EXPECT_EQ(tape.count(QStringLiteral("COMPROVANTE DE VENDA CRÉDITO PESSOAL")), 2) << tape.toStdString();
    const QList<QVariantList> payments =
        rowsOf(site, "SELECT CDTIPORECE, VRMOVIVEND FROM MOVCAIXA ORDER BY NRSEQVENDA");
    ASSERT_EQ(payments.size(), 2);
    for (const QVariantList &payment : payments) {
        EXPECT_EQ(payment.at(0).toString(), "009");
        EXPECT_NEAR(payment.at(1).toDouble(), 34.61, 1e-9);
    }
    const QList<QVariantList> balances = rowsOf(
        site, "SELECT CDFAMILISALD, VRSALDCONFAM FROM SALDOCONS WHERE CDCONSUMIDOR = '000101' ORDER BY CDFAMILISALD");
    ASSERT_EQ(balances.size(), 2);
    EXPECT_EQ(balances.at(0).at(0).toString(), "LAN");
    EXPECT_NEAR(balances.at(0).at(1).toDouble(), 45.50 - 2 * 14.00, 1e-9);
    EXPECT_EQ(balances.at(1).at(0).toString(), "REF");
    EXPECT_NEAR(balances.at(1).at(1).toDouble(), 180.00 - 2 * 20.61, 1e-9);
}

// A credit of 15,01 against 20,00 is paid by the exchange type beside 4,99 in cash; a credit
// equal to the sale (7,50) needs no payment screen and is the sale's one payment, of the
// exchange type.
// The file is gone afterwards.
TEST_F(CreditExchangeHost, ExchangeCreditPaysPartOrAllOfTheSale)
{
    play("troca.txt");

    const QList<QVariantList> payments =
        rowsOf(site, "SELECT CDTIPORECE, VRMOVIVEND FROM MOVCAIXA ORDER BY NRSEQVENDA, NRSEQUMOVI");
    ASSERT_EQ(payments.size(), 6) << output.toStdString();
    for (int round = 0; round < 6; round += 3) {
        EXPECT_EQ(payments.at(round).at(0).toString(), "001");
        EXPECT_NEAR(payments.at(round).at(1).toDouble(), 4.99, 1e-9);
        EXPECT_EQ(payments.at(round + 1).at(0).toString(), "011");
        EXPECT_NEAR(payments.at(round + 1).at(1).toDouble(), 15.01, 1e-9);
        EXPECT_EQ(payments.at(round + 2).at(0).toString(), "011");
        EXPECT_NEAR(payments.at(round + 2).at(1).toDouble(), 7.50, 1e-9);
    }
    EXPECT_FALSE(QFile::exists(QDir(site).filePath("ITENSDEVOLVIDOS.CDS")));
}

// The till keeps its cadastre copies in a folder of their own: the functions menu's returned
// items go there, where the sale screen looks for them.
TEST_F(CreditExchangeHost, ExchangeFindsTheReturnedItemsInTheCadastreFolder)
{
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                         QStringLiteral("DSDIRCAD"), QStringLiteral("Dados\\Cadastros\\")));
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/troca.txt")},
                        work.path(), output))
        << output.toStdString();

    const QList<QVariantList> payments =
        rowsOf(site, "SELECT CDTIPORECE, VRMOVIVEND FROM MOVCAIXA ORDER BY NRSEQVENDA, NRSEQUMOVI");
    ASSERT_EQ(payments.size(), 3) << output.toStdString();
    EXPECT_NEAR(payments.at(1).at(1).toDouble(), 15.01, 1e-9);
    EXPECT_NEAR(payments.at(2).at(1).toDouble(), 7.50, 1e-9);
    EXPECT_TRUE(output.contains(QStringLiteral("Dados/Cadastros/ITENSDEVOLVIDOS.CDS"))) << output.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(site).filePath("Dados/Cadastros/ITENSDEVOLVIDOS.CDS")));
}

// A printer that prints the sale whole (model 16) prints the exchange paid by its credit and
// the personal-credit sale as documents of their own, and their numbers go with the sales.
TEST_F(CreditExchangeHost, AModel16DeskPrintsTheSalesItSettlesOnItsOwn)
{
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                         QStringLiteral("IDTIPOIMPFIS"), QStringLiteral("16")));
    for (const char *script : {"troca.txt", "venda-credito.txt"})
        ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + script},
                            work.path(), output))
            << output.toStdString();

    const QList<QVariantList> payments =
        rowsOf(site, "SELECT CDTIPORECE, VRMOVIVEND FROM MOVCAIXA ORDER BY NRSEQVENDA, NRSEQUMOVI");
    ASSERT_EQ(payments.size(), 4) << output.toStdString();
    EXPECT_EQ(payments.at(2).at(0).toString(), "011");
    EXPECT_NEAR(payments.at(2).at(1).toDouble(), 7.50, 1e-9);
    EXPECT_EQ(payments.at(3).at(0).toString(), "009");
    EXPECT_NEAR(payments.at(3).at(1).toDouble(), 34.61, 1e-9);
    const QList<QVariantList> sales = rowsOf(site, "SELECT NRCUPOMFIS FROM VENDA ORDER BY NRSEQVENDA");
    ASSERT_EQ(sales.size(), 3);
    const QString tape = tapeOf(site);
    for (int sale = 1; sale < 3; ++sale) {
        const QString number = sales.at(sale).at(0).toString();
        EXPECT_FALSE(number.isEmpty()) << sale;
        EXPECT_TRUE(tape.contains(QStringLiteral("CUPOM FISCAL FECHADO  COO: ") + number)) << number.toStdString()
                                                                                          << "\n" << tape.toStdString();
    }
}

} // namespace
