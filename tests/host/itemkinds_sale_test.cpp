// The item kinds sold at the counter by the real host program, sale after sale: a combined
// product on F11, discount coupons typed for two items, a promotion combo; then a second sale
// in which the single-use coupon, used by the first, is refused.
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include "hostprogram.h"

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString itemScript()
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-itens.txt");
}

// The demo script, then the same items again: the single-use coupon now refused (the coxinha
// at its full 7,50) and the reusable one taken again.
QString twoSaleScript(const QString &folder)
{
    const QString second = QStringLiteral(
        "answer combined 05001;07003*2;06005\n"
        "key F11\n"
        "expect lblVrTotal 37,90\n"
        "answer coupon DESC3\n"
        "type 05002\n"
        "key Enter\n"
        "expect lblVrTotal 56,80\n"
        "answer coupon UNICO10\n"
        "type 06001\n"
        "key Enter\n"
        "expect lblVrTotal 64,30\n"
        "answer promotion 05001;07003\n"
        "type 11001\n"
        "key Enter\n"
        "expect lblVrTotal 90,70\n"
        "answer keypad 100\n"
        "click spbReceb\n"
        "expect lblMensagemCaixa CAIXA LIVRE\n");
    const QString path = QDir(folder).filePath(QStringLiteral("itens-duas-vendas.txt"));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write((readText(itemScript()) + QLatin1Char('\n') + second).toUtf8());
    return path;
}

class SiteBase
{
public:
    explicit SiteBase(const QString &site)
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        m_open = base.open();
    }
    ~SiteBase() { QSqlDatabase::removeDatabase(name()); }
    bool open() const { return m_open; }
    QStringList rows(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name()));
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        QStringList found;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            found << values.join(QLatin1Char('|'));
        }
        return found;
    }

private:
    static QString name() { return QStringLiteral("item-kinds-sale"); }
    bool m_open = false;
};

TEST(ItemKindsSale, CombinedPartsCouponsAndPromotionComboAreSavedSaleAfterSale)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", twoSaleScript(work.path())}, work.path(), output))
        << output.toStdString();

    const SiteBase base(site);
    ASSERT_TRUE(base.open());
    EXPECT_EQ(base.rows(QStringLiteral("SELECT ROUND(VRTOTVENDA, 2) FROM VENDA ORDER BY NRSEQVENDA")),
              QStringList({"91.95", "90.7"}));
    // Each line keeps its coupon, its promotion and its combination group.
    EXPECT_EQ(base.rows(QStringLiteral("SELECT NRSEQVENDA, CDPRODUTO, COALESCE(CDCUPOMDESCQUB, ''), "
                                       "COALESCE(CDPRODPROMOCAO, ''), COALESCE(NRSEQPRODCOMIT, '') FROM ITEMVENDA "
                                       "WHERE CDCUPOMDESCQUB <> '' OR CDPRODUTO IN ('05001', '07003') "
                                       "ORDER BY NRSEQVENDA, NRSEQUITVEND")),
              QStringList({"0000000001|05001|||001", "0000000001|07003|||001", "0000000001|05002|DESC3||",
                           "0000000001|06001|UNICO10||", "0000000002|05001|||001", "0000000002|07003|||001",
                           "0000000002|05002|DESC3||", "0000000002|05001||11001|002",
                           "0000000002|07003||11001|002"}))
        << base.rows(QStringLiteral("SELECT NRSEQVENDA, CDPRODUTO, CDCUPOMDESCQUB, CDPRODPROMOCAO, NRSEQPRODCOMIT "
                                    "FROM ITEMVENDA")).join(QLatin1Char(' ')).toStdString();
    // The single-use coupon is recorded once, with the sale that used it.
    EXPECT_EQ(base.rows(QStringLiteral("SELECT CDCUPOMDESCQUB, NRSEQVENDA FROM USOCUPOMDESCQUB "
                                       "WHERE CDCUPOMDESCQUB = 'UNICO10'")),
              QStringList({"UNICO10|0000000001"}));
    EXPECT_TRUE(output.contains(QStringLiteral("cupom de desconto: UNICO10"))) << output.toStdString();
}

} // namespace
