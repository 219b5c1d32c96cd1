// Documents the desks print, each compared whole with its golden file: the receipt of an
// NFC-e desk with its means of payment and change, and the card receipt lines.
#include <support/golden.h>

#include <host/nonfiscal.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class GoldenDocuments : public ::testing::Test
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
    static DataPacket sale()
    {
        DataPacket rows;
        rows.fields = {{"NRSEQ"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"VRPRECCOMVEN", FieldType::Double},
                       {"VRDESCCOMVEN", FieldType::Double}};
        rows.rows = {{"001", "PRATO FEITO", 1.0, 25.9, 0.0}, {"002", "SUCO DE LARANJA", 2.0, 7.5, 1.0}};
        return rows;
    }
    QTemporaryDir site;
};

TEST_F(GoldenDocuments, NfceReceiptShowsEachMeansOfPaymentAndTheChange)
{
    DataPacket parameters;
    parameters.fields = {{"TOTALPAGO", FieldType::Double}, {"NRSEQVENDA"}};
    parameters.rows = {{60.0, "0000000042"}};
    DataPacket payments;
    payments.fields = {{"NMTIPORECE"}, {"VRMOVIVEND", FieldType::Double}, {"VRTROCO", FieldType::Double}};
    payments.rows = {{"CARTAO DE CREDITO", 20.0, 0.0}, {"DINHEIRO", 40.0, 20.1}};
    NonFiscalPrintRequest request;
    request.kind = "VENDA_NFCe";
    request.sale = sale();
    request.parameters = parameters;

    expectMatchesGolden("nfce_receipt_card_and_cash_with_change", NonFiscal::receiptText(request, payments));
}

} // namespace
