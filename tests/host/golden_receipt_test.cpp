// The texts the host prints for a sale, compared whole with their golden files: a counter
// receipt, an NFC-e receipt paid by card and in cash with change, and the production tickets
// of a table order.
#include <support/golden.h>

#include <host/devices/nonfiscal.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class GoldenPrints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        SitePaths::setHome(site.path());
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)); });
    }
    void TearDown() override
    {
        Clock::setNow({});
        SitePaths::setHome({});
    }
    QTemporaryDir site;
};

TEST_F(GoldenPrints, CounterReceiptOfASalePaidWithChange)
{
    DataPacket sale;
    sale.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"VRPRECCOMVEN", FieldType::Double},
                   {"VRDESCCOMVEN", FieldType::Double}};
    sale.rows = {{"001", "PRATO FEITO", 1.0, 25.9, 0.0},
                 {"002", "SUCO DE LARANJA", 2.0, 7.5, 1.0},
                 {"003", "BUFFET KG", 0.455, 69.9, 0.0}};
    DataPacket parameters;
    parameters.fields = {{"stCdPortImpNF1"}, {"TOTALPAGO", FieldType::Double}, {"NRSEQVENDA"}, {"NMCONSUMIDOR"}};
    parameters.rows = {{"COM1", 100.0, "0000000042", "JOSE DA SILVA"}};
    NonFiscalPrintRequest request;
    request.kind = "CUPOM";
    request.sale = sale;
    request.parameters = parameters;

    expectMatchesGolden("counter_receipt", NonFiscal::receiptText(request));
}

TEST_F(GoldenPrints, NfceReceiptShowsEachMeansOfPaymentAndTheChange)
{
    DataPacket sale;
    sale.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"VRPRECCOMVEN", FieldType::Double},
                   {"VRDESCCOMVEN", FieldType::Double}};
    sale.rows = {{"001", "PRATO FEITO", 1.0, 25.9, 0.0}, {"002", "SUCO DE LARANJA", 2.0, 7.5, 1.0}};
    DataPacket parameters;
    parameters.fields = {{"TOTALPAGO", FieldType::Double}, {"NRSEQVENDA"}};
    parameters.rows = {{60.0, "0000000042"}};
    DataPacket payments;
    payments.fields = {{"NMTIPORECE"}, {"VRMOVIVEND", FieldType::Double}, {"VRTROCO", FieldType::Double}};
    payments.rows = {{"CARTAO DE CREDITO", 20.0, 0.0}, {"DINHEIRO", 40.0, 20.1}};
    NonFiscalPrintRequest request;
    request.kind = "VENDA_NFCe";
    request.sale = sale;
    request.parameters = parameters;

    expectMatchesGolden("nfce_receipt_card_and_cash_with_change", NonFiscal::receiptText(request, payments));
}

// Each job as the printer gets it, headed by where it goes and under which name.
QString describe(const QList<NonFiscal::ProductionJob> &jobs)
{
    QString text;
    for (const NonFiscal::ProductionJob &job : jobs)
        text += QStringLiteral("### %1 (%2) %3\n%4").arg(job.port, job.address, job.documentName, job.text);
    return text;
}

TEST_F(GoldenPrints, ProductionTicketsOfATableOrder)
{
    // The tickets as the order writes them: the last written first in the packet.
    DataPacket tickets;
    tickets.fields = {{"NRSEQITEM", FieldType::Integer}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double},
                      {"DSOBSERVACAO"}, {"CDPORIMPPROD"}, {"CDPORIMPPROD2"}, {"PORTAPUXA"}, {"IDIMPRODUVEZ"},
                      {"DSENDPORTA"}, {"SENHACUPOM"}, {"NRMESA"}};
    tickets.rows = {{996, "Cerveja", 3.0, "", "BAR", "", "", "S", "", "042", "0012"},
                    {997, "Pudim", 1.0, "", "COZINHA", "", "", "", "\\\\srv\\cozinha", "042", "0012"},
                    {998, "Suco", 2.0, "sem gelo", "BAR", "EXPEDICAO", "", "S", "", "042", "0012"},
                    {999, "Prato feito", 1.0, "sem sal", "COZINHA", "EXPEDICAO", "cozinha", "", "\\\\srv\\cozinha",
                     "042", "0012"}};
    NonFiscal::TillSpool till;
    till.cdCaixa = "003";
    till.sequenceOfAddress.insert("\\\\SRV\\COZINHA", "7");

    expectMatchesGolden("production_tickets_table_order", describe(NonFiscal::productionJobs(tickets, till)));
}

} // namespace
