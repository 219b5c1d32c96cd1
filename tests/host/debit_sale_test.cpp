// Payroll debit sales through the real host program on a fresh demo site: the whole sale on
// the badge consumer's debit, saved with its debit posting and its receipt on the fiscal
// printer's tape, sale after sale (host/scripts/venda-debito.txt).
#include "hostprogram.h"

#include <runtime/ptbr.h>

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int countOf(QSqlDatabase &base, const QString &sql)
{
    QSqlQuery query(base);
    if (!query.exec(sql) || !query.next())
        return -1;
    return query.value(0).toInt();
}

// Every text the simulated fiscal printer put on its tapes.
QString tapes(const QString &site)
{
    QString all;
    QDirIterator files(site, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            all += QString::fromUtf8(file.readAll());
    }
    return all;
}

TEST(DebitSale, TwoPayrollDebitSalesAreSavedDebitedOnceEachWithTheirReceipt)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-debito.txt")},
                        work.path(), output))
        << output.toStdString();
    const QString tape = tapes(site);
    EXPECT_EQ(tape.count(QStringLiteral("COMPROVANTE DE VENDA DÉBITO CONSUMIDOR")), 2) << output.toStdString();
    // Each receipt shows what its save booked: the first sale takes the day's 15,00 of subsidy
    // and 5,61 of the consumer's own, who owed 12,50; the second finds the subsidy spent.
    const auto shown = [&tape](const char *label) {
        QStringList values;
        const QRegularExpression line(QStringLiteral("^%1 +(.+)$").arg(QString::fromUtf8(label)),
                                      QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(tape); it.hasNext();)
            values << it.next().captured(1).trimmed();
        return values;
    };
    EXPECT_EQ(shown("Subsídio"), (QStringList{PtBr::FormatCurr(15.0), PtBr::FormatCurr(0.0)})) << tape.toStdString();
    EXPECT_EQ(shown("Saldo"), (QStringList{PtBr::FormatCurr(-18.11), PtBr::FormatCurr(-38.72)})) << tape.toStdString();
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("debitSale"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ASSERT_TRUE(base.open());
        EXPECT_EQ(countOf(base, QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE CDCLIENTE = '000002' AND "
                                               "CDCONSUMIDOR = '000101'")),
                  2);
        // One debit movement for each of the two sales, never two for one.
        const QString ofTheseSales = QStringLiteral(
            "FROM MOVICLIE M WHERE M.CDCONSUMIDOR = '000101' AND EXISTS (SELECT 1 FROM VENDA V WHERE "
            "V.CDFILIAL = M.CDFILIAL AND V.CDCAIXA = M.CDCAIXA AND V.NRSEQVENDA = M.NRSEQVENDA AND "
            "V.CDCONSUMIDOR = '000101')");
        EXPECT_EQ(countOf(base, QStringLiteral("SELECT COUNT(*) ") + ofTheseSales), 2);
        EXPECT_EQ(countOf(base, QStringLiteral("SELECT COUNT(DISTINCT M.NRSEQVENDA) ") + ofTheseSales), 2);
        // The balance the receipts showed is the one saved: 12,50 + 5,61 + 20,61 owed.
        EXPECT_EQ(countOf(base, QStringLiteral("SELECT COUNT(*) FROM MOVICLIE WHERE CDCONSUMIDOR = '000101' "
                                               "AND ABS(VRSALDOCONS + 38.72) < 0.001")),
                  1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("debitSale"));
}

} // namespace
