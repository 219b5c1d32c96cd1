// The history of a table through the real host program: the orders sent to table 12 are listed
// when the table is opened again, and the order written keeps what the base was given.
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "hostprogram.h"

#include <gtest/gtest.h>

namespace {

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

TEST(TableHistory, TheOrdersOfTableTwelveAreListedWhenItIsOpenedAgain)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    // The script itself checks the receipt's lines ("expect-row"); a failed check ends it with 1.
    ASSERT_TRUE(runHost({"--site", site, "--script", script("historico-mesa.txt")}, work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(work.path()).filePath(QStringLiteral("mesa-12-historico.png"))));

    QStringList products;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("table-history"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ASSERT_TRUE(base.open());
        QSqlQuery query(base);
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT I.CDPRODUTO FROM ITCOMANDAVEN I JOIN VENDAREST V "
                                              "ON V.CDFILIAL = I.CDFILIAL AND V.NRVENDAREST = I.NRVENDAREST "
                                              "WHERE V.NRMESA = '0012' ORDER BY I.NRPRODCOMVEN")));
        while (query.next())
            products << query.value(0).toString();
        base.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("table-history"));
    EXPECT_EQ(products, (QStringList{"01001", "08001"}));
}

} // namespace
