// Nothing of one sale reaches the next one, through the real host program on a fresh demo
// site: a QR-code sale, a refused QR code, an exchange the SAT refused and a badge debit of a
// receipt kind sold by hand, each followed (where it matters) by the next customer's sale.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

QString scriptText(const char *name)
{
    QFile file(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The demo's counter sale of a fresh desk: one plate typed and registered at 22,90.
const char *const counterSale = "type 01001\nkey Enter\nwait 300\nexpect lblVrTotal 22,90\n";

class SaleLifetimeHost : public ::testing::Test
{
protected:
    void initSite(const char *till)
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", till}, work.path(), output)) << output.toStdString();
    }

    bool play(const QString &steps)
    {
        const QString path = work.filePath(QStringLiteral("script-%1.txt").arg(++m_scripts));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        file.write(steps.toUtf8());
        file.close();
        return runHost({"--site", site, "--script", path}, work.path(), output);
    }

    void refuseSat()
    {
        QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
        ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
        refusal.write("SAT=RECUSA\n");
    }

    QVariant single(const QString &sql) { return siteBaseValue(site, sql); }

    QTemporaryDir work;
    QString site;
    QString output;

private:
    int m_scripts = 0;
};

struct QrCase
{
    const char *name;
    const char *till;
    const char *script;
};

std::ostream &operator<<(std::ostream &out, const QrCase &c) { return out << c.name; }

class QrCodeThenCounter : public SaleLifetimeHost, public ::testing::WithParamInterface<QrCase>
{
};

// After a QR-code sale the next customer's typed code registers as on a fresh desk.
TEST_P(QrCodeThenCounter, TypedCodeRegistersAsOnAFreshDesk)
{
    initSite(GetParam().till);

    EXPECT_TRUE(play(scriptText(GetParam().script) + QLatin1Char('\n') + QLatin1String(counterSale)))
        << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Desks, QrCodeThenCounter,
    ::testing::Values(QrCase{"PaidCodeOnTheFiscalPrinterDesk", "ecf", "venda-qrcode.txt"},
                      QrCase{"NulCodeOnTheNfceDesk", "nfce", "venda-qrcode-nul.txt"}),
    [](const ::testing::TestParamInfo<QrCase> &info) { return std::string(info.param.name); });

// A code refused after its buyer was named takes its client, consumer and buyer with it: the
// next walk-in sale is the till's own, and the stranger's CPF reaches no consumer's record.
TEST_F(SaleLifetimeHost, QrCodeRefusedAfterTheBuyerLeavesNothingOfItsCustomer)
{
    initSite("nfce");
    const QString cpfBefore = single("SELECT NRCPFRESPCON FROM CONSUMIDOR WHERE CDCONSUMIDOR = '000102'").toString();

    ASSERT_TRUE(play(QStringLiteral(
        "wait-form\n"
        "expect lblMensagemCaixa CAIXA LIVRE\n"
        "answer keypad 11144477735;ESTRANHO DO QR;;\n"
        "click spbLerQrCode\n"
        "type <fil$0001,nvr$7709,ncd$39,clie$000002,cons$000102,nsu$,prods$(cdp$99999,qt$1,vr$24.90,impprod$s,"
        "TXPRODCOMVEN$,obs$(),promo$()),rec$(cdtrec$nul,idtrec$0,vrt$0)>\n"
        "key Enter\n"
        "click btnCancelaQrCode\n")
        + QLatin1String(counterSale)
        + QStringLiteral("answer keypad 50,00\nclick spbReceb\nwait 1500\nexpect lblMensagemCaixa CAIXA LIVRE\n")))
        << output.toStdString();

    EXPECT_TRUE(output.contains(QStringLiteral("99999"))) << output.toStdString();
    EXPECT_EQ(single("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'").toInt(), 1);
    EXPECT_EQ(single("SELECT COUNT(*) FROM VENDA WHERE CDCLIENTE = '000002' OR CDCONSUMIDOR = '000102'").toInt(), 0);
    EXPECT_EQ(single("SELECT COUNT(*) FROM VENDA WHERE NRINSCRCONS = '11144477735'").toInt(), 0);
    EXPECT_EQ(single("SELECT NRCPFRESPCON FROM CONSUMIDOR WHERE CDCONSUMIDOR = '000102'").toString(), cpfBefore);
}

// The credit paid the whole exchange sale and the SAT refused its CF-e: the cashier is told the
// sale is cancelled, and the next customer pays on the payment screen with no exchange credit.
TEST_F(SaleLifetimeHost, ExchangeRefusedBySatEndsTheExchangeAndIsTold)
{
    initSite("sat");
    refuseSat();

    ASSERT_TRUE(play(QStringLiteral(
        "wait-form\n"
        "expect lblMensagemCaixa CAIXA LIVRE\n"
        "answer functions troca 7,50\n"
        "key F9\n"
        "wait 500\n"
        "type 06001\n"
        "key Enter\n"
        "wait 300\n"
        "click spbReceb\n"
        "wait 1500\n"
        "expect lblMensagemCaixa CAIXA LIVRE\n"
        "type 06001\n"
        "key Enter\n"
        "wait 300\n"
        "answer keypad 7,50\n"
        "click spbReceb\n"
        "wait 1500\n"
        "expect lblMensagemCaixa CAIXA LIVRE\n")))
        << output.toStdString();

    EXPECT_EQ(output.count(QStringLiteral("A venda será cancelada")), 2) << output.toStdString();
    // The second customer's sale was paid in cash on the payment screen, not by the credit.
    EXPECT_EQ(single("SELECT COUNT(*) FROM MOVCAIXA WHERE CDTIPORECE = '011'").toInt(), 1);
    EXPECT_EQ(single("SELECT COUNT(*) FROM MOVCAIXA WHERE CDTIPORECE = '001'").toInt(), 1);
    EXPECT_FALSE(QFile::exists(QDir(site).filePath(QStringLiteral("ITENSDEVOLVIDOS.CDS"))));
}

// A consumer-debit receipt kind sold by hand (IDHABVENDAMAN "S") takes no NFC-e number: the
// badge's debit set-up says so and the settle button must not forget it.
TEST_F(SaleLifetimeHost, ManualDebitReceiptKindTakesNoNfceNumber)
{
    initSite("nfce");
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("Dados/Cadastros/ConfTipoRece.cds")),
                         QStringLiteral("IDTIPORECE"), QStringLiteral("A"), QStringLiteral("IDHABVENDAMAN"),
                         QStringLiteral("S")));

    ASSERT_TRUE(play(scriptText("venda-debito.txt"))) << output.toStdString();

    EXPECT_EQ(single("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'").toInt(), 2) << output.toStdString();
    EXPECT_EQ(single("SELECT COUNT(*) FROM VENDA WHERE COALESCE(NRVENDAEXT, '') <> ''").toInt(), 0);
}

} // namespace
