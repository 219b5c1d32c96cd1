// A host killed (SIGKILL) in the middle of a counter sale, right after its third line is
// registered, on every kind of desk: the next start records the interrupted sale as cancelled,
// with every line, the till's client, opening and movement day, and tells the operator; the
// till is free for the next sale. Played twice in a row.
#include "hostprogram.h"

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include <QDate>
#include <QDateTime>
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
    QStringList products;
    QDate movementDay;
    QString client;
    QDateTime opening;
    bool operator==(const CancelledSale &) const = default;
};

void PrintTo(const CancelledSale &sale, std::ostream *out)
{
    *out << sale.products.join(QLatin1Char(',')).toStdString() << " "
         << sale.movementDay.toString(Qt::ISODate).toStdString() << " client " << sale.client.toStdString()
         << " opened " << sale.opening.toString(Qt::ISODate).toStdString();
}

QDateTime dateTimeOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    QDateTime moment = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return moment.isValid() ? moment : QDateTime::fromString(value.toString(), Qt::ISODate);
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

    // Runs the host on a sale and kills it once the script stands still with the plates on the
    // receipt: the last line registered, nothing else done after it.
    bool killMidSale()
    {
        QProcess host;
        host.setProcessEnvironment(hostEnvironment());
        host.setWorkingDirectory(work.path());
        host.setProcessChannelMode(QProcess::MergedChannels);
        host.start(hostProgram(), {"--site", path, "--script", script("venda-interrompida.txt")});
        QByteArray seen;
        while (!seen.contains(": sync ") && host.state() != QProcess::NotRunning) {
            host.waitForReadyRead(1000);
            seen += host.readAll();
        }
        output += QString::fromUtf8(seen);
        host.kill();
        host.waitForFinished();
        return seen.contains(": sync ");
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
                "SELECT V.NRSEQVENDA, I.CDPRODUTO, V.DTMOVIMENTO, V.CDCLIENTE, V.DTABERTUR FROM VENDA V "
                "JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA "
                "WHERE V.IDSITUVENDA = 'C' ORDER BY V.NRSEQVENDA, I.NRSEQUITVEND")));
            QString sale;
            while (query.next()) {
                if (query.value(0).toString() != sale) {
                    sale = query.value(0).toString();
                    sales.append({{}, dateTimeOf(query.value(2)).date(), query.value(3).toString().trimmed(),
                                  dateTimeOf(query.value(4))});
                }
                sales.last().products.append(query.value(1).toString());
            }
        }
        QSqlDatabase::removeDatabase(connection);
        return sales;
    }

    // The till's client and opening, as its parameter file holds them.
    QString parameter(const char *name) const
    {
        DataPacket parameters;
        EXPECT_TRUE(CdsFile::load(QDir(path).filePath(QStringLiteral("PARAMETROSQUB.CDS")), &parameters));
        return parameters.value(0, QString::fromLatin1(name)).toString().trimmed();
    }
    QDateTime opening() const
    {
        DataPacket parameters;
        EXPECT_TRUE(CdsFile::load(QDir(path).filePath(QStringLiteral("PARAMETROSQUB.CDS")), &parameters));
        return parameters.value(0, QStringLiteral("DTABERCAIX")).toDateTime();
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

// Each line is on the disk once it is registered: the third line, the last before the kill,
// is in the record as well as the first.
TEST_P(CrashRecovery, TheInterruptedSaleIsRecordedCancelledWithItsLastLineAndTheOperatorTold)
{
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(site.killMidSale()) << site.output.toStdString();
        ASSERT_TRUE(site.restart()) << site.output.toStdString();
        EXPECT_TRUE(site.output.contains(QStringLiteral("recuperação: Uma venda foi interrompida"))) << site.output.toStdString();
    }
    const CancelledSale plates{{QStringLiteral("01001"), QStringLiteral("01002"), QStringLiteral("01003")},
                               QDate::currentDate(), site.parameter("CDCLIENTE"), site.opening()};
    ASSERT_FALSE(plates.client.isEmpty());
    ASSERT_TRUE(plates.opening.isValid());
    ASSERT_NE(plates.opening.time(), QTime(0, 0));
    EXPECT_EQ(site.cancelledSales(), QList<CancelledSale>({plates, plates}));
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

    const QList<CancelledSale> sales = site.cancelledSales();
    ASSERT_EQ(sales.size(), 1);
    EXPECT_EQ(sales.first().products,
              QStringList({QStringLiteral("01001"), QStringLiteral("01002"), QStringLiteral("01003")}));
}

// A desk without a printer to fall back on is told of a damaged journal, and keeps it.
TEST(CrashRecoveryNfce, ADamagedJournalIsReportedAndKeptNotSkipped)
{
    Site site;
    ASSERT_TRUE(site.init("nfce")) << site.output.toStdString();
    ASSERT_TRUE(site.killMidSale()) << site.output.toStdString();
    QFile journal(QDir(site.path).filePath(QStringLiteral("cdsVenda.cds.jnl")));
    ASSERT_TRUE(journal.open(QIODevice::ReadWrite));
    QByteArray bytes = journal.readAll();
    const qsizetype firstRecord = bytes.indexOf('\n', bytes.indexOf('\n') + 1) + 1;
    ASSERT_GT(firstRecord, 0);
    bytes[firstRecord + 40] = bytes[firstRecord + 40] == 'x' ? 'y' : 'x';
    journal.seek(0);
    journal.write(bytes);
    journal.close();

    ASSERT_TRUE(site.restart()) << site.output.toStdString();

    EXPECT_TRUE(site.output.contains(QStringLiteral("arquivo de recuperação está ilegível"))) << site.output.toStdString();
    EXPECT_TRUE(site.cancelledSales().isEmpty());
    EXPECT_TRUE(QFile::exists(QDir(site.path).filePath(QStringLiteral("cdsVenda.cds.jnl.ilegivel"))));
}

} // namespace
