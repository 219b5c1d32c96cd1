// Badge consumer sales through the real host program on a fresh demo site: Alt+P, the badge,
// the chooser and a debit sale with the service's plate, sale after sale.
#include "hostprogram.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(BadgeSale, TwoDebitSalesInARowPostTheConsumersPlateAndFreeTheTill)
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
        QSqlQuery debits(base);
        ASSERT_TRUE(debits.exec(QStringLiteral("SELECT COUNT(*) FROM MOVICLIE WHERE CDCONSUMIDOR = '000101' "
                                               "AND NRSEQVENDA IS NOT NULL")));
        ASSERT_TRUE(debits.next());
        EXPECT_EQ(debits.value(0).toInt(), 2);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("badgeSale"));
}

} // namespace
