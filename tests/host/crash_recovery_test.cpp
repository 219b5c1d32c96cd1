// A host killed in the middle of a counter sale, on every kind of desk: the next start records
// the interrupted sale as cancelled, with the sale's product and the till's movement day, and
// tells the operator; the till is free for the next sale. Played twice in a row.
#include "hostprogram.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

struct Desk
{
    const char *name;
    const char *till;
};

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

struct CancelledSale
{
    QString product;
    QDate movementDay;
    bool operator==(const CancelledSale &) const = default;
};

void PrintTo(const CancelledSale &sale, std::ostream *out)
{
    *out << sale.product.toStdString() << " " << sale.movementDay.toString(Qt::ISODate).toStdString();
}

// A demo site of one desk kind and the host run on it.
class Site
{
public:
    bool init(const char *till)
    {
        path = work.filePath(QStringLiteral("site"));
        return runHost({"--init-site", path, "--till", QString::fromLatin1(till)}, work.path(), output);
    }

    // Runs the host on a sale and kills it once the script stands still with the plate on the receipt.
    bool killMidSale()
    {
        QProcess host;
        host.setProcessEnvironment(hostEnvironment());
        host.setWorkingDirectory(work.path());
        host.setProcessChannelMode(QProcess::MergedChannels);
        host.start(hostProgram(), {"--site", path, "--script", script("venda-interrompida.txt")});
        QByteArray seen;
        while (!seen.contains("linha 10: sync") && host.state() != QProcess::NotRunning) {
            host.waitForReadyRead(1000);
            seen += host.readAll();
        }
        output += QString::fromUtf8(seen);
        host.kill();
        host.waitForFinished();
        return seen.contains("linha 10: sync");
    }

    bool restart()
    {
        output.clear();
        return runHost({"--site", path, "--script", script("caixa-livre.txt")}, work.path(), output);
    }

    QList<CancelledSale> cancelledSales() const
    {
        QList<CancelledSale> sales;
        const QString connection = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(QDir(path).filePath(QStringLiteral("Dados/VendaCons.db")));
            EXPECT_TRUE(db.open());
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(QStringLiteral(
                "SELECT I.CDPRODUTO, V.DTMOVIMENTO FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL "
                "AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA WHERE V.IDSITUVENDA = 'C' ORDER BY V.NRSEQVENDA")));
            while (query.next()) {
                const QVariant day = query.value(1);
                const QDate date = day.metaType().id() == QMetaType::QDateTime
                    ? day.toDateTime().date()
                    : QDate::fromString(day.toString().left(10), Qt::ISODate);
                sales.append({query.value(0).toString(), date});
            }
        }
        QSqlDatabase::removeDatabase(connection);
        return sales;
    }

    QTemporaryDir work;
    QString path;
    QString output;
};

class CrashRecovery : public ::testing::TestWithParam<Desk>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        ASSERT_TRUE(site.init(GetParam().till)) << site.output.toStdString();
    }
    Site site;
};

TEST_P(CrashRecovery, TheInterruptedSaleIsRecordedCancelledOnTheMovementDayAndTheOperatorTold)
{
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(site.killMidSale()) << site.output.toStdString();
        ASSERT_TRUE(site.restart()) << site.output.toStdString();
        EXPECT_TRUE(site.output.contains(QStringLiteral("recuperação: Uma venda foi interrompida"))) << site.output.toStdString();
    }
    const CancelledSale plate{QStringLiteral("01001"), QDate::currentDate()};
    EXPECT_EQ(site.cancelledSales(), QList<CancelledSale>({plate, plate}));
}

INSTANTIATE_TEST_SUITE_P(EveryDesk, CrashRecovery,
                         ::testing::Values(Desk{"FiscalPrinter", "ecf"}, Desk{"Nfce", "nfce"}, Desk{"Sat", "sat"},
                                           Desk{"NonFiscal", "nf"}),
                         [](const ::testing::TestParamInfo<Desk> &info) { return std::string(info.param.name); });

// The fiscal-printer desk has the printer's own lines when the recovery file cannot be read:
// the record keeps the product's code, not the code printed on the receipt.
TEST(CrashRecoveryFiscalPrinter, AnUnreadableRecoveryFileRecordsTheProductsOwnCode)
{
    Site site;
    ASSERT_TRUE(site.init("ecf")) << site.output.toStdString();
    ASSERT_TRUE(site.killMidSale()) << site.output.toStdString();
    QFile recovery(QDir(site.path).filePath(QStringLiteral("cdsVenda.cds")));
    ASSERT_TRUE(recovery.exists());
    ASSERT_TRUE(recovery.open(QIODevice::WriteOnly | QIODevice::Truncate));
    recovery.write("<DATAPACKET Version=\"2.0\"><METADATA><FIE");
    recovery.close();

    ASSERT_TRUE(site.restart()) << site.output.toStdString();

    EXPECT_EQ(site.cancelledSales(), QList<CancelledSale>({{QStringLiteral("01001"), QDate::currentDate()}}));
}

} // namespace
