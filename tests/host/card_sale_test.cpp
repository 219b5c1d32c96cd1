// A counter sale paid by card through the real host program and its simulated card program:
// the charge is confirmed when the sale ends, on every kind of desk, and undone when the sale
// cannot be finished.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList ledgerOf(const QString &site)
{
    QFile file(QDir(site).filePath(QStringLiteral("Dados/Cartao/transacoes.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

struct Desk
{
    const char *name;
    const char *till;
};

class CardSale : public ::testing::TestWithParam<Desk>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", QString::fromLatin1(GetParam().till)}, work.path(), output))
            << output.toStdString();
    }
    bool play()
    {
        return runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-cartao.txt")},
                       work.path(), output);
    }
    void refuseDocuments(const char *line)
    {
        QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
        ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
        refusal.write(line);
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_P(CardSale, EachSaleConfirmsItsChargeWhenItEnds)
{
    ASSERT_TRUE(play()) << output.toStdString();
    ASSERT_TRUE(play()) << output.toStdString();

    EXPECT_EQ(ledgerOf(site), QStringList({"000001;2290;PENDENTE", "000001;;CONFIRMADA", "000002;2290;PENDENTE",
                                           "000002;;CONFIRMADA"}));
}

INSTANTIATE_TEST_SUITE_P(EveryDesk, CardSale,
                         ::testing::Values(Desk{"FiscalPrinter", "ecf"}, Desk{"Nfce", "nfce"}, Desk{"Sat", "sat"},
                                           Desk{"NonFiscal", "nf"}),
                         [](const ::testing::TestParamInfo<Desk> &info) { return std::string(info.param.name); });

using CardSaleRefused = CardSale;

TEST_P(CardSaleRefused, ChargeIsUndoneWhenTheDocumentIsRefused)
{
    refuseDocuments(GetParam().till == std::string("sat") ? "SAT=RECUSA\n" : "NFCE=RECUSA\n");

    play(); // the screen stays on the sale, which the script's last check reports

    EXPECT_EQ(ledgerOf(site), QStringList({"000001;2290;PENDENTE", "000001;;DESFEITA"}));
}

// The cashier reads that the authority refused the NFC-e, not that the base failed.
TEST(CardSaleNfceRefused, TheMessageNamesTheAuthoritysRefusal)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", "nfce"}, work.path(), output)) << output.toStdString();
    QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
    ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
    refusal.write("NFCE=RECUSA\n");
    refusal.close();
    output.clear();

    runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-cartao.txt")},
            work.path(), output);

    EXPECT_TRUE(output.contains(QStringLiteral("mensagem [3]: A SEFAZ rejeitou a NFC-e da venda, que não foi gravada."))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("gravar a venda no banco de dados"))) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ElectronicDesks, CardSaleRefused,
                         ::testing::Values(Desk{"Nfce", "nfce"}, Desk{"Sat", "sat"}),
                         [](const ::testing::TestParamInfo<Desk> &info) { return std::string(info.param.name); });

} // namespace
