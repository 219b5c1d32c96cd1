// Merchandise exchanges through the real host program on a fresh demo site
// (host/scripts/troca.txt): a credit that pays part of the sale (the first sale) and one that
// pays it whole (the second). Either way the credit is stored as the exchange's payment, and
// the sale, its lines, its payments and its document come to the same.
#include "hostprogram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
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

// The second sale of the script: a credit of 7,50 pays a snack of 7,50 whole. One model with
// the partly-paid sale: the credit is the exchange's payment, the line keeps its value and no
// discount appears anywhere; base, tape and NFC-e all say 7,50 paid by the exchange.
TEST_P(ExchangePaidPartlyInCash, ACreditThatPaysTheSaleWholeIsItsPaymentAndTheDocumentsAgree)
{
    const char *lastSale = "(SELECT MAX(NRSEQVENDA) FROM VENDA)";
    const auto of = [lastSale](const char *sql) { return QString::fromLatin1(sql).arg(QLatin1String(lastSale)).toLatin1(); };

    EXPECT_NEAR(value(of("SELECT VRTOTVENDA FROM VENDA WHERE NRSEQVENDA = %1")), 7.50, 1e-9);
    EXPECT_NEAR(value(of("SELECT SUM(QTPRODCOMVEN * VRPRECCOMVEN - COALESCE(VRDESCCOMVEN, 0)) FROM ITEMVENDA "
                         "WHERE NRSEQVENDA = %1")),
                7.50, 1e-9);
    EXPECT_NEAR(value(of("SELECT SUM(VRMOVIVEND) FROM MOVCAIXA WHERE NRSEQVENDA = %1")), 7.50, 1e-9);
    EXPECT_NEAR(value(of("SELECT VRMOVIVEND FROM MOVCAIXA WHERE CDTIPORECE = '011' AND NRSEQVENDA = %1")), 7.50, 1e-9);
    if (GetParam().fiscalPrinter) {
        const QString text = tape();
        const int last = text.lastIndexOf(QStringLiteral("TOTAL R$"));
        ASSERT_GE(last, 0) << text.toStdString();
        const QString closing = text.mid(last);
        EXPECT_TRUE(closing.contains(QRegularExpression(QStringLiteral("^TOTAL R\\$ +7,50\\s*$"),
                                                        QRegularExpression::MultilineOption)))
            << closing.toStdString();
        EXPECT_TRUE(closing.contains(QRegularExpression(QStringLiteral("Troca de mercadoria +7,50"))))
            << closing.toStdString();
        EXPECT_FALSE(closing.contains(QStringLiteral("DESCONTO"))) << closing.toStdString();
    } else {
        QString xml;
        QDirIterator it(QDir(site).filePath(QStringLiteral("Dados/XML_NFCe_Sat")), {QStringLiteral("*-nfce.xml")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly) && file.peek(1 << 20).contains("<cProd>06001</cProd>"))
                xml = QString::fromUtf8(file.readAll());
        }
        ASSERT_FALSE(xml.isEmpty());
        EXPECT_TRUE(xml.contains(QStringLiteral("<vProd>7.50</vProd><vDesc>0.00</vDesc>"))) << xml.toStdString();
        EXPECT_TRUE(xml.contains(QStringLiteral("<vNF>7.50</vNF>"))) << xml.toStdString();
        EXPECT_TRUE(xml.contains(QStringLiteral("<vPag>7.50</vPag>"))) << xml.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Desks, ExchangePaidPartlyInCash,
                         ::testing::Values(DeskCase{"ecf", true}, DeskCase{"nfce", false}),
                         [](const ::testing::TestParamInfo<DeskCase> &info) { return std::string(info.param.till); });

// The SAT desk refusing the CF-e of the partly-paid exchange sale: the sale is cancelled and
// the screen emptied, the exchange stays in force with its whole credit, the balance shows that
// credit (not the rest the cancelled sale left to pay) and the cashier is told in words.
TEST(ExchangeRefusedBySat, TheWholeCreditIsShownAgainAndTheCashierIsTold)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", "sat"}, work.path(), output)) << output.toStdString();
    QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
    ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
    refusal.write("SAT=RECUSA\n");
    refusal.close();
    const QString script = work.filePath(QStringLiteral("troca-sat.txt"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("wait-form\nexpect lblMensagemCaixa CAIXA LIVRE\nanswer functions troca 10,004 5,003\nkey F9\nwait 500\n"
               "expect lblValSaldDisp 15,01\ntype 06005\nkey Enter\ntype 06005\nkey Enter\ntype 06005\nkey Enter\n"
               "type 06005\nkey Enter\nwait 300\nexpect lblVrTotal 20,00\nanswer keypad 4,99\nclick spbReceb\n"
               "wait 1500\nexpect lblVrTotal 0,00\nexpect lblValSaldDisp 15,01\n");
    file.close();

    ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();

    EXPECT_EQ(siteBaseValue(site, QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'")).toInt(), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("A troca de mercadoria continua em andamento: o crédito de R$ 15,01")))
        << output.toStdString();
}

} // namespace
