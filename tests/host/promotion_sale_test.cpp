#include "hostprogram.h"

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

class SiteRows
{
public:
    explicit SiteRows(const QString &site)
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        m_open = base.open();
    }
    ~SiteRows() { QSqlDatabase::removeDatabase(name()); }
    bool open() const { return m_open; }
    QStringList column(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name()));
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }

private:
    static QString name() { return QStringLiteral("promotion-sale"); }
    bool m_open = false;
};

// The site's promotions service moved to an address where nothing answers.
void pointPromotionsAt(const QString &site, const QString &url)
{
    const QString file = QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS"));
    DataPacket parameters;
    ASSERT_TRUE(CdsFile::load(file, &parameters));
    const int column = parameters.fieldIndex(QStringLiteral("CDURLINTEPROMO"));
    ASSERT_GE(column, 0);
    parameters.rows[0][column] = Variant(url);
    ASSERT_TRUE(CdsFile::save(file, parameters));
}

TEST(PromotionSale, TheDemoPromotionAddsItsProductAndIsSavedAsUsedWithTheSale)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", script("promocao.txt")}, work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Promoção já utilizada nesta venda: Combo refrigerante")))
        << output.toStdString();
    const SiteRows base(site);
    ASSERT_TRUE(base.open());
    EXPECT_EQ(base.column("SELECT CDPRODUTO || ':' || VRPRECCOMVEN || ':' || NRORDITCUPFIS FROM ITEMVENDA "
                          "ORDER BY NRORDITCUPFIS"),
              (QStringList{"01001:22.9:00001", "07003:3:00002"}));
    const QStringList order = base.column("SELECT IDPEDINTEPROMO FROM VENDA");
    ASSERT_EQ(order.size(), 1);
    EXPECT_EQ(order.first().size(), 36);
    EXPECT_EQ(base.column("SELECT NMPROMOCOM || ':' || IDUTPROMOCOM FROM PROMOCOMANDA"),
              QStringList{"Combo refrigerante:S"});
}

TEST(PromotionSale, AServiceThatDoesNotAnswerLeavesTheSaleAsItWas)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString url = QStringLiteral("http://127.0.0.1:%1/promocoes").arg(closed.serverPort());
    closed.close();
    pointPromotionsAt(site, url);
    const QString steps = work.filePath(QStringLiteral("sem-servico.txt"));
    QFile file(steps);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("wait-form\ntype 01001\nkey Enter\nexpect lblVrTotal 22,90\nanswer keypad 52998224725\n"
               "answer keypad combo\nclick spbConsultaPromo\nexpect lblVrTotal 22,90\nanswer keypad 30\n"
               "click spbReceb\nexpect lblMensagemCaixa CAIXA LIVRE\n");
    file.close();
    ASSERT_TRUE(runHost({"--site", site, "--script", steps}, work.path(), output)) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Não foi possível estabelecer uma conexão com a integração")))
        << output.toStdString();
    const SiteRows base(site);
    ASSERT_TRUE(base.open());
    EXPECT_EQ(base.column("SELECT CDPRODUTO FROM ITEMVENDA"), QStringList{"01001"});
    EXPECT_EQ(base.column("SELECT COALESCE(IDPEDINTEPROMO, '') FROM VENDA"), QStringList{""});
    EXPECT_TRUE(base.column("SELECT IDPROMOCOM FROM PROMOCOMANDA").isEmpty());
}

} // namespace
