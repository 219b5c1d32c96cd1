// A counter sale paid by card through the real host program and its simulated card program:
// the charge is confirmed when the sale ends, and undone when the sale cannot be finished.
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

class CardSale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", "sat"}, work.path(), output)) << output.toStdString();
    }
    bool play()
    {
        return runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-cartao.txt")},
                       work.path(), output);
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_F(CardSale, ChargeIsConfirmedWhenTheSaleEnds)
{
    ASSERT_TRUE(play()) << output.toStdString();

    EXPECT_EQ(ledgerOf(site), QStringList({"000001;2290;PENDENTE", "000001;;CONFIRMADA"}));
}

TEST_F(CardSale, ChargeIsUndoneWhenTheSaleCannotBeFinished)
{
    QFile refusal(QDir(site).filePath(QStringLiteral("Dados/Autoridade.txt")));
    ASSERT_TRUE(refusal.open(QIODevice::WriteOnly));
    refusal.write("SAT=RECUSA\n");
    refusal.close();

    play(); // the screen stays on the sale, which the script's last check reports

    EXPECT_EQ(ledgerOf(site), QStringList({"000001;2290;PENDENTE", "000001;;DESFEITA"}));
}

} // namespace
