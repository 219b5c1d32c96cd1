// The credit load at the counter as a cashier makes it: the real host program on a fresh demo
// site plays the load script twice in a row (Alt+E, badge 1001, the meal family, 50,00 in
// cash), and the loads are read back from the site's base, the printer's tape and the
// non-fiscal printer of an electronic-document desk.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "hostprogram.h"

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString filesText(const QString &folder, const QString &contains)
{
    QString text;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(contains))
            text += readText(path);
    }
    return text;
}

// The load script played twice in one run.
QString twoLoadScript(const QString &folder)
{
    const QString text = readText(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/carga-credito.txt"));
    const QString path = QDir(folder).filePath(QStringLiteral("duas-cargas.txt"));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write((text + QLatin1Char('\n') + text).toUtf8());
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
    QVariant single(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name()));
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return query.next() ? query.value(0) : QVariant();
    }

private:
    static QString name() { return QStringLiteral("credit-purchase"); }
    bool m_open = false;
};

struct TillKind
{
    const char *name;     // --till
    const char *voucher;  // where the voucher shows: the fiscal printer's tape or a non-fiscal file
};

class CreditPurchase : public ::testing::TestWithParam<TillKind>
{
protected:
    // A fresh demo site of the row's desk kind, and `script` played on it.
    bool play(const QString &script)
    {
        return QFile::exists(hostProgram()) && runHost({"--init-site", site, "--till", GetParam().name}, work.path(), output)
            && runHost({"--site", site, "--script", script}, work.path(), output);
    }

    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
};

TEST_P(CreditPurchase, TwoLoadsInARowRaiseTheBalanceAndPrintTheirVouchers)
{
    ASSERT_TRUE(play(twoLoadScript(work.path()))) << output.toStdString();

    const SiteBase base(site);
    ASSERT_TRUE(base.open());
    const QString consumer = QStringLiteral("CDCLIENTE = '000002' AND CDCONSUMIDOR = '000101' AND CDFAMILISALD = 'REF'");
    EXPECT_NEAR(base.single("SELECT VRSALDCONFAM FROM SALDOCONS WHERE " + consumer).toDouble(), 280.0, 0.001)
        << output.toStdString();
    EXPECT_EQ(base.single("SELECT COUNT(*) FROM EXTRATOCONS WHERE IDTPMOVEXT = 'C' AND LENGTH(NRDEPOSICONS) = 10 AND "
                          + consumer)
                  .toInt(),
              2);
    EXPECT_EQ(base.single("SELECT COUNT(DISTINCT NRDEPOSICONS) FROM EXTRATOCONS WHERE LENGTH(NRDEPOSICONS) = 10").toInt(), 2);
    EXPECT_NEAR(base.single("SELECT MAX(VRSALDCONEXT) FROM EXTRATOCONS WHERE " + consumer).toDouble(), 280.0, 0.001);
    EXPECT_EQ(base.single("SELECT COUNT(*) FROM MOVCAIXA WHERE NRSEQVENDA IS NULL AND ABS(VRMOVIVEND - 50) < 0.001").toInt(), 2);

    const QString vouchers = QString::fromLatin1(GetParam().voucher) == QLatin1String("tape")
        ? filesText(QDir(site).filePath("Dados/ImpressoraFiscal"), "fita-")
        : filesText(QDir(site).filePath("Dados/ImpressoraNaoFiscal"), ".txt");
    EXPECT_EQ(vouchers.count(QStringLiteral("JOSÉ CARLOS OLIVEIRA")), 2) << vouchers.toStdString();
    EXPECT_EQ(vouchers.count(QStringLiteral("TOTAL DA CARGA")), 2) << vouchers.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Tills, CreditPurchase,
                         ::testing::Values(TillKind{"ecf", "tape"}, TillKind{"nfce", "file"}),
                         [](const ::testing::TestParamInfo<TillKind> &info) { return std::string(info.param.name); });

// A load paid by card, on every kind of desk: its charge is confirmed once in the card
// program's ledger, on the fiscal printer's desks once its voucher is out.
class CardLoad : public CreditPurchase
{
};

TEST_P(CardLoad, ConfirmsItsCardChargeOnce)
{
    ASSERT_TRUE(play(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/carga-cartao.txt"))) << output.toStdString();

    EXPECT_EQ(readText(QDir(site).filePath(QStringLiteral("Dados/Cartao/transacoes.txt"))),
              "000001;3000;PENDENTE\n000001;;CONFIRMADA\n")
        << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Tills, CardLoad,
                         ::testing::Values(TillKind{"ecf", "tape"}, TillKind{"nf", "tape"}, TillKind{"nfce", "file"}),
                         [](const ::testing::TestParamInfo<TillKind> &info) { return std::string(info.param.name); });

} // namespace
