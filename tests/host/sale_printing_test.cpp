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

    const QString receipt = printed("COM1");
    EXPECT_TRUE(receipt.contains("CUPOM NÃO FISCAL"));
    EXPECT_TRUE(receipt.contains("Prato feito"));
    EXPECT_TRUE(receipt.contains("TOTAL R$                           35,90"));
    EXPECT_TRUE(receipt.contains("TROCO R$                            4,10"));
    const QString ticket = printed("COZINHA");
    EXPECT_TRUE(ticket.contains("SENHA: 00042"));
    EXPECT_TRUE(ticket.contains("1 x Prato feito"));
}

TEST_F(SalePrinting, TheSatExtractListsTheSaleItsPaymentAndItsDocument)
{
    SatReceiptRequest request;
    request.savedSaleKey = "0000000001";
    request.cfeNumber = "000123";
    request.satSerial = "900004019";
    request.cdsVenda.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double},
                               {"VRPRECCOMVEN", FieldType::Double}};
    request.cdsVenda.rows = {{"001", "Prato feito", 1.0, 22.9}, {"002", "Buffet kg", 0.45, 69.9}};
    request.cdsMovCaixa.fields = {{"NMTIPORECE"}, {"VRMOVIVEND", FieldType::Double}, {"VRTROCO", FieldType::Double}};
    request.cdsMovCaixa.rows = {{"Dinheiro", 54.35, 5.65}};

    const QString text = NonFiscal::electronicReceiptText(request);

    EXPECT_TRUE(text.contains("EXTRATO CF-e SAT No 000123"));
    EXPECT_TRUE(text.contains("TOTAL R$                           54,35")) << text.toStdString();
    EXPECT_TRUE(text.contains("TROCO R$                            5,65")) << text.toStdString();
    EXPECT_TRUE(text.contains("SAT No 900004019"));
    request.cfeNumber.clear();
    EXPECT_TRUE(NonFiscal::electronicReceiptText(request).contains("DANFE NFC-e"));
    // Without a parameter file the receipt goes to the default printer.
    EXPECT_TRUE(NonFiscal::Imp_Extrato_SAT_Ger(request).ok);
    EXPECT_TRUE(printed("").contains("Prato feito"));
}

TEST_F(SalePrinting, PlainTextIsPrintedUnchanged)
{
    EXPECT_TRUE(NonFiscal::ImprimePadrao({"LPT3", "18", "linha 1\nlinha 2\n"}).ok);
    EXPECT_EQ(printed("LPT3"), "linha 1\nlinha 2\n");
}

} // namespace
