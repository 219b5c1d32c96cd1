#include <host/devices/nonfiscal.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SalePrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SitePaths::setHome(site.path());
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(12, 0)); });
    }
    void TearDown() override
    {
        Clock::setNow({});
        SitePaths::setHome({});
    }
    QString printed(const QString &port)
    {
        QFile file(NonFiscal::fileOf(port));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QTemporaryDir site;
};

TEST_F(SalePrinting, PortNamesAQueueOnlyWithTheCupsPrefix)
{
    EXPECT_EQ(NonFiscal::queueOf("cups:Cozinha"), "Cozinha");
    EXPECT_EQ(NonFiscal::queueOf("CUPS: Bar "), "Bar");
    EXPECT_EQ(NonFiscal::queueOf("COM1"), "");
    EXPECT_TRUE(NonFiscal::fileOf("\\\\srv\\imp").endsWith("Dados/ImpressoraNaoFiscal/__srv_imp.txt"));
}

TEST_F(SalePrinting, ReceiptAndTicketsGoToTheirPrinters)
{
    DataPacket sale;
    sale.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"VRPRECCOMVEN", FieldType::Double}};
    sale.rows = {{"001", "Prato feito", 1.0, 22.9}, {"002", "Refrigerante", 2.0, 6.5}};
    DataPacket parameters;
    parameters.fields = {{"stCdPortImpNF1"}, {"TOTALPAGO", FieldType::Double}};
    parameters.rows = {{"COM1", 40.0}};
    DataPacket tickets;
    tickets.fields = {{"CDPORIMPPROD"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"SENHACUPOM"}};
    tickets.rows = {{"COZINHA", "Prato feito", 1.0, "00042"}};
    NonFiscalPrintRequest request;
    request.kind = "CUPOM";
    request.sale = sale;
    request.tickets = tickets;
    request.parameters = parameters;

    EXPECT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(request).ok);

    // The texts themselves are compared whole in golden_documents_test.cpp.
    EXPECT_EQ(printed("COM1"), NonFiscal::receiptText(request));
    const QList<NonFiscal::ProductionJob> jobs = NonFiscal::productionJobs(tickets, NonFiscal::TillSpool());
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(printed("COZINHA"), jobs.first().text);
}

TEST_F(SalePrinting, WithoutTheTillsParametersTheElectronicReceiptGoesToTheDefaultPrinter)
{
    SatReceiptRequest request;
    request.savedSaleKey = "0000000001";
    request.cfeNumber = "000123";
    request.cdsVenda.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double},
                               {"VRPRECCOMVEN", FieldType::Double}};
    request.cdsVenda.rows = {{"001", "Prato feito", 1.0, 22.9}};

    EXPECT_TRUE(NonFiscal::Imp_Extrato_SAT_Ger(request).ok);

    EXPECT_EQ(printed(""), NonFiscal::electronicReceiptText(request));
}

TEST_F(SalePrinting, PlainTextIsPrintedUnchanged)
{
    EXPECT_TRUE(NonFiscal::ImprimePadrao({"LPT3", "18", "linha 1\nlinha 2\n"}).ok);
    EXPECT_EQ(printed("LPT3"), "linha 1\nlinha 2\n");
}

} // namespace
