// The host's print service for production tickets: one job per printer, a saved copy under
// the name the printer failover looks for, and no ticket lost to a printer that is away.
#include <host/devices/nonfiscal.h>

#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class NonFiscalTickets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        SitePaths::setHome(site.path());
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(12, 30, 45)); });
    }
    void TearDown() override
    {
        Clock::setNow({});
        SitePaths::setHome({});
    }
    static QString read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString printed(const QString &port) const { return read(NonFiscal::fileOf(port)); }
    QStringList saved() const
    {
        return QDir(NonFiscal::backupFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    }
    void writeTill(const QString &ownTickets)
    {
        DataPacket parameters;
        parameters.fields = {{"CDCAIXA"}, {"IDIMPPEDPROD"}};
        parameters.rows = {{"003", ownTickets}};
        ASSERT_TRUE(CdsFile::save(QDir(site.path()).filePath("PARAMETROSQUB.CDS"), parameters));
        DataPacket map;
        map.fields = {{"NRSEQIMPRLOJA"}, {"DSENDPORTA"}, {"DSENDPORTABK"}};
        map.rows = {{"7", "\\\\srv\\cozinha", "\\\\srv\\bar"}};
        ASSERT_TRUE(QDir().mkpath(QDir(site.path()).filePath("Dados/IMPBACKUP")));
        ASSERT_TRUE(CdsFile::save(QDir(site.path()).filePath("Dados/IMPBACKUP/cdsImpBackup.cds"), map));
    }
    // Three tickets as the order writes them (the last written first in the packet).
    static DataPacket tickets()
    {
        DataPacket packet;
        packet.fields = {{"NRSEQITEM", FieldType::Integer}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double},
                         {"DSOBSERVACAO"}, {"CDPORIMPPROD"}, {"CDPORIMPPROD2"}, {"PORTAPUXA"}, {"IDIMPRODUVEZ"},
                         {"DSENDPORTA"}, {"SENHACUPOM"}, {"NRMESA"}};
        packet.rows = {{997, "Pudim", 1.0, "", "COZINHA", "", "", "", "\\\\srv\\cozinha", "042", "0012"},
                       {998, "Suco", 2.0, "", "BAR", "EXPEDICAO", "", "S", "", "042", "0012"},
                       {999, "Prato feito", 1.0, "sem sal", "COZINHA", "EXPEDICAO", "cozinha", "", "\\\\srv\\cozinha",
                        "042", "0012"}};
        return packet;
    }
    static NonFiscalPrintRequest order(const QString &kind)
    {
        NonFiscalPrintRequest request;
        request.kind = kind;
        request.tickets = tickets();
        return request;
    }
    QTemporaryDir site;
};

TEST_F(NonFiscalTickets, OneJobPerProductionPrinterWithItsTicketsInOrder)
{
    writeTill("S");
    ASSERT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(order("PEDIDO")).ok);

    // Each printer gets its own job whole; what the jobs say is compared with their golden file
    // in golden_documents_test.cpp.
    const QList<NonFiscal::ProductionJob> jobs = NonFiscal::productionJobs(tickets(), NonFiscal::TillSpool::forSite());
    QStringList ports;
    for (const NonFiscal::ProductionJob &job : jobs) {
        ports << job.port;
        EXPECT_EQ(printed(job.port), job.text) << job.port.toStdString();
    }
    EXPECT_EQ(ports, QStringList({"COZINHA", "EXPEDICAO", "BAR"}));
}

TEST_F(NonFiscalTickets, EachJobIsSavedUnderAFailoverName)
{
    writeTill("S");
    ASSERT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(order("PEDIDO")).ok);
    const QStringList names = saved();
    ASSERT_EQ(names.size(), 3);
    const QRegularExpression rule(QStringLiteral("^240305123045PD_(7|00000)_003_\\d{4}\\.txt$"));
    for (const QString &name : names)
        EXPECT_TRUE(rule.match(name).hasMatch()) << name.toStdString();
    const QStringList kitchen = names.filter("PD_7_");
    ASSERT_EQ(kitchen.size(), 1) << "the printer with a backup carries its sequence";
    const QString copy = read(QDir(NonFiscal::backupFolder()).filePath(kitchen.first()));
    EXPECT_EQ(copy, printed("COZINHA"));
}

TEST_F(NonFiscalTickets, DocumentNameFollowsTheFailoverRule)
{
    const QDateTime when(QDate(2024, 12, 1), QTime(8, 5, 9));
    const QString own = NonFiscal::documentName(when, "12", "003", 5);
    EXPECT_EQ(own, "241201080509PD_12_003_0005.txt");
    EXPECT_TRUE(own.contains("_12_") && own.contains("003_"));
    const QString anyPrinter = NonFiscal::documentName(when, "", "", 6);
    EXPECT_EQ(anyPrinter.indexOf("_00000_"), 14) << "begins at character 15";
    EXPECT_TRUE(anyPrinter.contains("000_"));
}

TEST_F(NonFiscalTickets, TicketsWithAReceiptPrintOnlyWhenNoOrderPrintFollows)
{
    writeTill("S");
    ASSERT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(order("CUPOM_PEDIDO")).ok);
    EXPECT_EQ(printed("COZINHA"), "");
    EXPECT_TRUE(saved().isEmpty());

    writeTill("N");
    ASSERT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(order("CUPOM_PEDIDO")).ok);
    EXPECT_TRUE(printed("COZINHA").contains("Prato feito"));
}

TEST_F(NonFiscalTickets, AnUnreachablePrinterIsReportedAndItsTicketKept)
{
    writeTill("S");
    NonFiscalPrintRequest request = order("PEDIDO");
    DataPacket packet = tickets();
    packet.rows[0][4] = QStringLiteral("cups:VendaConsFilaInexistente");
    request.tickets = packet;

    const HostResult result = NonFiscal::DisparaImpressaoNaoFiscal(request);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.failure.contains("cups:VendaConsFilaInexistente")) << result.failure.toStdString();
    EXPECT_TRUE(printed("cups:VendaConsFilaInexistente").contains("1 x Pudim"));
    EXPECT_TRUE(printed("COZINHA").contains("Prato feito")) << "the other printers still print";
    EXPECT_EQ(saved().size(), 4);
}

} // namespace
