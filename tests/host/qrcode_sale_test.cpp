// The QR-code sale through the real host program on a fresh demo site: a paid code at the
// fiscal-printer desk (coupon on the tape, the sale under the code's restaurant sale and tab,
// the same code refused the second time), a code paid at the till on the NFC-e desk, and the
// SAT desk refusing the document.
#include "hostprogram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString tapeOf(const QString &site)
{
    QString text;
    QDirIterator it(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal")), QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QStringLiteral("fita-")))
            text += readText(path);
    }
    return text;
}

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

QVariant single(const QString &site, const QString &sql)
{
    return siteBaseValue(site, sql);
}

class QrCodeSale : public ::testing::Test
{
protected:
    void initSite(const char *till)
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", till}, work.path(), output)) << output.toStdString();
    }
    bool play(const char *name) { return runHost({"--site", site, "--script", script(name)}, work.path(), output); }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_F(QrCodeSale, PaidCodeOnTheFiscalPrinterDeskSellsOnceAndIsRefusedTheSecondTime)
{
    initSite("ecf");

    ASSERT_TRUE(play("venda-qrcode.txt")) << output.toStdString();

    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM VENDA").toInt(), 1);
    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM VENDA WHERE NRVENDAREST = '7701' AND NRCOMANDAVND = '31' "
                           "AND IDSITUVENDA = 'O'").toInt(), 1);
    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM ITEMVENDA").toInt(), 3);
    EXPECT_NEAR(single(site, "SELECT VRTOTVENDA FROM VENDA").toDouble(), 50.80, 0.001);
    EXPECT_EQ(single(site, "SELECT CDTIPORECE FROM MOVCAIXA").toString(), "002");
    const QString tape = tapeOf(site);
    EXPECT_EQ(tape.count(QStringLiteral("CUPOM FISCAL FECHADO")), 1) << tape.toStdString();
    EXPECT_TRUE(tape.contains(QStringLiteral("50,80"))) << tape.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Este cupom já foi impresso"))) << output.toStdString();
}

TEST_F(QrCodeSale, NulCodeOnTheNfceDeskIsPaidInCashOnThePaymentScreen)
{
    initSite("nfce");

    ASSERT_TRUE(play("venda-qrcode-nul.txt")) << output.toStdString();

    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM VENDA WHERE NRVENDAREST = '7702' AND NRCOMANDAVND = '32' "
                           "AND IDSITUVENDA = 'O'").toInt(), 1);
    EXPECT_NEAR(single(site, "SELECT VRTOTVENDA FROM VENDA").toDouble(), 28.90, 0.001);
    EXPECT_EQ(single(site, "SELECT CDTIPORECE FROM MOVCAIXA").toString(), "001");
    // The NFC-e number taken before the save names the sale.
    EXPECT_FALSE(single(site, "SELECT NRVENDAEXT FROM VENDA").toString().isEmpty());
}

TEST_F(QrCodeSale, SatRefusingTheDocumentLeavesNoSaleAndTheTillFree)
{
    initSite("sat");
    QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
    ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
    refusal.write("SAT=RECUSA\n");
    refusal.close();

    ASSERT_TRUE(play("venda-qrcode-nul.txt")) << output.toStdString();

    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'").toInt(), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("A venda será cancelada"))) << output.toStdString();
}

} // namespace
