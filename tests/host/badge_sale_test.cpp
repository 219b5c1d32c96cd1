// Badge consumer sales through the real host program on a fresh demo site: Alt+P, the badge,
// the chooser and the service's plate, sale after sale (host/scripts/venda-cracha.txt).
#include "hostprogram.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(BadgeSale, TwoBadgeSalesInARowSaveTheConsumersPlateAndFreeTheTill)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-cracha.txt")},
                        work.path(), output))
        << output.toStdString();

    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("badgeSale"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ASSERT_TRUE(base.open());
        QSqlQuery sales(base);
        ASSERT_TRUE(sales.exec(QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA WHERE CDPRODUTO = '01001'")));
        ASSERT_TRUE(sales.next());
        EXPECT_EQ(sales.value(0).toInt(), 2);
        QSqlQuery consumers(base);
        ASSERT_TRUE(consumers.exec(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE CDCLIENTE = '000002' AND CDCONSUMIDOR = '000101'")));
        ASSERT_TRUE(consumers.next());
        EXPECT_EQ(consumers.value(0).toInt(), 2);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("badgeSale"));
}

// The store's daily maximum for employees (30,00) through the host: the plate and a drink fit,
// a sandwich over it is refused with its message and the total stays (host/scripts/limite-cracha.txt).
TEST(BadgeSale, PayrollDebitItemOverTheStoreDailyMaximumIsRefusedAndTheSaleKeepsItsTotal)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/limite-cracha.txt")},
                        work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("não pode exceder o valor máximo de consumo diário por tipo de "
                                               "consumidor/loja - R$ 30,00")))
        << output.toStdString();
}

// Personal credit through the host: the meal family, first in approval order, is empty, so the
// service's plate is refused with its message and nothing is sold (host/scripts/limite-credito.txt).
TEST(BadgeSale, PersonalCreditItemOverTheFirstFamilysBalanceIsRefused)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/limite-credito.txt")},
                        work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("REFEIÇÃO não permite que o saldo fique negativo para esta filial")))
        << output.toStdString();
}

} // namespace
