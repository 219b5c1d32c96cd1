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

#include <tuple>

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
    // A script of the test's own, written beside the site.
    bool playText(const QString &name, const QString &text)
    {
        const QString path = work.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(text.toUtf8());
        file.close();
        return runHost({"--site", site, "--script", path}, work.path(), output);
    }

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

// The demo code paid by card for other than its 50,80: refused in words naming both values
// before a coupon is opened or a row written, on the printer desk and on the NFC-e desk alike.
class QrCodePaidValue : public QrCodeSale, public ::testing::WithParamInterface<std::tuple<const char *, const char *>>
{
};

TEST_P(QrCodePaidValue, ACodeNotPaidWhatItsItemsComeToIsRefusedAndNothingIsWritten)
{
    const auto &[till, paid] = GetParam();
    initSite(till);
    const QString code = QStringLiteral(
        "<fil$0001,nvr$7701,ncd$31,clie$000002,cons$000101,nsu$884411,prods$(cdp$01001,qt$1,vr$22.90,impprod$s,"
        "TXPRODCOMVEN$,obs$(),promo$(),cdp$05001,qt$1,vr$19.90,impprod$s,TXPRODCOMVEN$,obs$(),promo$(),cdp$07001,qt$2,"
        "vr$4.00,impprod$s,TXPRODCOMVEN$,obs$(),promo$()),rec$(cdtrec$002,idtrec$2,vrt$%1)>").arg(QString::fromLatin1(paid));

    ASSERT_TRUE(playText(QStringLiteral("qrcode-valor.txt"),
                         QStringLiteral("wait-form\nexpect lblMensagemCaixa CAIXA LIVRE\nclick spbLerQrCode\ntype ") + code
                             + QStringLiteral("\nkey Enter\nclick btnCancelaQrCode\nexpect lblMensagemCaixa CAIXA LIVRE\n")))
        << output.toStdString();

    const QString shown = QStringLiteral("R$ %1").arg(QString::fromLatin1(paid).replace('.', ','));
    EXPECT_TRUE(output.contains(shown + QStringLiteral(") não confere com o total da venda (R$ 50,80)")))
        << output.toStdString();
    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM VENDA").toInt(), 0);
    EXPECT_EQ(single(site, "SELECT COUNT(*) FROM MOVCAIXA").toInt(), 0);
    EXPECT_FALSE(tapeOf(site).contains(QStringLiteral("CUPOM FISCAL"))) << tapeOf(site).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Desks, QrCodePaidValue,
                         ::testing::Values(std::make_tuple("ecf", "40.00"), std::make_tuple("ecf", "60.00"),
                                           std::make_tuple("nfce", "40.00"), std::make_tuple("nfce", "60.00")),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param)) + "_"
                                 + (std::string(std::get<1>(info.param)) == "40.00" ? "Short" : "Over");
                         });

// The NFC-e number names the QR sale as it names a typed-code sale: F7 with it cancels the sale.
TEST_F(QrCodeSale, NulCodeOnTheNfceDeskIsCancelledByItsNfceNumber)
{
    initSite("nfce");
    ASSERT_TRUE(play("venda-qrcode-nul.txt")) << output.toStdString();
    const QString number = single(site, "SELECT NRNOTAFISCALCE FROM VENDA").toString();
    ASSERT_FALSE(number.isEmpty());

    ASSERT_TRUE(playText(QStringLiteral("cancela-qrcode.txt"),
                         QStringLiteral("wait-form\nexpect lblMensagemCaixa CAIXA LIVRE\nanswer keypad %1\n"
                                        "answer yesno S\nkey F7\nwait 1000\nexpect lblMensagemCaixa CAIXA LIVRE\n")
                             .arg(number.toInt())))
        << output.toStdString();

    EXPECT_EQ(single(site, "SELECT IDSITUVENDA FROM VENDA").toString(), "C");
    EXPECT_FALSE(output.contains(QStringLiteral("Venda não encontrada"))) << output.toStdString();
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
