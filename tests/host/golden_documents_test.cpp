// Every document a desk prints, built by its one builder and compared whole with its golden
// file, tests/golden/<desk>/<document>.txt: the fiscal printer's tape (ecf), the NFC-e and SAT
// receipts and their XML (nfce, sat), and what the non-fiscal printers print on the desks
// without a fiscal printer (nf; the same texts on the NFC-e and SAT desks). The clock is fixed
// and each test has a fresh site, so the dates and the printer's counters are the same on
// every run; numbers drawn from the base are given by the test.
#include <support/golden.h>

#include <host/devices/fiscalprinter.h>
#include <host/devices/nonfiscal.h>
#include <host/documents/creditpurchase.h>
#include <host/documents/creditvouchers.h>
#include <host/documents/debitreceipt.h>
#include <host/documents/receiptcancel.h>
#include <host/partners/authorities.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime Now(QDate(2024, 3, 5), QTime(14, 30, 15));

class GoldenDocuments : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        SitePaths::setHome(site.path());
        Clock::setNow([] { return Now; });
    }
    void TearDown() override
    {
        Clock::setNow({});
        SitePaths::setHome({});
    }
    static QString readText(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static FiscalPrinter &printer() { return FiscalPrinter::forSite(); }
    static QString tape() { return readText(printer().tapePath(Now.date())); }
    static QString printed(const QString &port) { return readText(NonFiscal::fileOf(port)); }

    QTemporaryDir site;
};

// A lunch of two plates, a discounted drink and a weighed buffet: the rows every sale document
// of these tests lists.
DataPacket lunch()
{
    DataPacket sale;
    sale.fields = {{"NRSEQ"}, {"CDPRODUTO"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double},
                   {"VRPRECCOMVEN", FieldType::Double}, {"VRDESCCOMVEN", FieldType::Double}};
    sale.rows = {{"001", "01001", "PRATO FEITO", 1.0, 25.9, 0.0},
                 {"002", "02001", "SUCO DE LARANJA", 2.0, 7.5, 1.0},
                 {"003", "04001", "BUFFET KG", 0.455, 69.9, 0.0}};
    return sale;
}

// Its payments as the sale keeps them (MOVCAIXA): what each means took of the 71,70, and
// beside the cash the change handed back (the customer gave 60,00 in cash).
DataPacket cardAndCashWithChange()
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE"}, {"VRMOVIVEND", FieldType::Double}, {"VRTROCO", FieldType::Double}};
    payments.rows = {{"CARTAO DE CREDITO", 20.0, 0.0}, {"DINHEIRO", 51.7, 8.3}};
    return payments;
}

ItemSaleRequest tapeItem(const QString &code, const QString &name, double quantity, double price, double discount,
                         const QString &unit = QStringLiteral("UN"))
{
    ItemSaleRequest item;
    item.itemCode = code;
    item.description = QStringLiteral("#1700100#21069090#") + name;
    item.idAliqImpFis = "T";
    item.aliquotValue = "3,20";
    item.sgUnidade = unit;
    item.quantity = quantity;
    item.price = price;
    item.discount = discount;
    return item;
}

// The print record of the order sending (cdsParamImpCupNF) with the fields the receipt reads.
DataPacket printRecord(const QList<QPair<QString, Variant>> &values)
{
    DataPacket record;
    record.rows.append(QList<Variant>());
    for (const auto &[name, value] : values) {
        record.fields.append({name, value.isNumber() ? FieldType::Double : FieldType::String});
        record.rows.first().append(value);
    }
    return record;
}

// --- the fiscal printer (ecf) ---------------------------------------------------------------

TEST_F(GoldenDocuments, FiscalPrinterTapeOfASalePaidByCardAndCashWithChange)
{
    CouponOpenRequest open;
    open.stCpfCnpjNota = "39053344705";
    ASSERT_TRUE(printer().AbreCupom(open).ok);
    ASSERT_TRUE(printer().VendaItem(tapeItem("01001", "PRATO FEITO", 1, 25.90, 0)).ok);
    ASSERT_TRUE(printer().VendaItem(tapeItem("02001", "SUCO DE LARANJA", 2, 7.50, 1.00)).ok);
    ASSERT_TRUE(printer().VendaItem(tapeItem("04001", "BUFFET KG", 0.455, 69.90, 0, "KG")).ok);
    ASSERT_EQ(printer().registerPayments(cardAndCashWithChange()), QString());
    ASSERT_EQ(printer().endClosing(QStringLiteral("Senha: 042")), QString());

    expectMatchesGolden("ecf/sale_tape", tape());
}

TEST_F(GoldenDocuments, FiscalPrinterTapeOfASalePrintedWholeThenCancelled)
{
    SalePrintRequest request;
    request.pager = "17";
    request.nmConsumidor = "JOSÉ DA SILVA";
    ASSERT_TRUE(printer().ImpressaoVenda(request, lunch(), cardAndCashWithChange()).ok);
    ASSERT_TRUE(printer().Cancela_Cupom_Imp({}).ok);

    expectMatchesGolden("ecf/sale_printed_whole_then_cancelled", tape());
}

TEST_F(GoldenDocuments, FiscalPrinterTapeOfAnXReading)
{
    ASSERT_EQ(printer().readingX(), QString());

    expectMatchesGolden("ecf/reading_x", tape());
}

DataPacket loadPayments()
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE"}, {"VRMOVIVEND", FieldType::Double}};
    payments.rows = {{"DINHEIRO", 30.0}, {"CARTAO DE DEBITO", 20.0}};
    return payments;
}

TEST_F(GoldenDocuments, FiscalPrinterTapeOfACreditLoadVoucher)
{
    CreditPurchaseFiscalRequest request;
    request.nmConsumidor = "JOSÉ CARLOS OLIVEIRA";
    request.familyName = "REFEIÇÃO";
    request.depositNumber = "0000000007";
    request.voucherNumber = "000012";
    ASSERT_TRUE(printer().Compr_CredPessoal(request, loadPayments()).ok);

    expectMatchesGolden("ecf/credit_load_voucher", tape());
}

DebitReceiptHost::Booked booked()
{
    return {5.00, 123.45};
}

TEST_F(GoldenDocuments, FiscalPrinterTapeOfAConsumerDebitReceipt)
{
    DebitVoucherRequest request;
    request.dsImpFiscal = "DEBITO FOLHA";
    request.vrMoviVend = 71.70;
    request.cdConsumidor = "000101";
    request.nmConsumidor = "JOSÉ CARLOS OLIVEIRA";
    request.nmFantClie = "METALÚRGICA AURORA";
    request.stSenhaPedido = "042";
    request.observation = "ALMOÇO DA DIRETORIA";
    ASSERT_EQ(printer().printVoucher(DebitReceiptHost::receiptTitle(),
                                     DebitReceiptHost::receiptLines(DebitReceiptHost::fiscalReceipt(request, booked()))),
              QString());

    expectMatchesGolden("ecf/debit_receipt", tape());
}

CreditVoucherRequest personalCredit()
{
    CreditVoucherRequest request;
    request.cdsVenda = lunch();
    request.cdsConsultaSaldo.fields = {{"CDFAMILISALD"}, {"NMFAMILISALD"}, {"VRSALDCONFAM", FieldType::Double}};
    request.cdsConsultaSaldo.rows = {{"REF", "REFEIÇÃO", 150.0}, {"LAN", "LANCHES", 45.5}};
    request.vrMoviVend = 71.70;
    request.dsImpFiscal = "CREDITO PESSOAL";
    request.cdConsumidor = "000101";
    request.nmConsumidor = "JOSÉ CARLOS OLIVEIRA";
    request.cdCliente = "000002";
    request.nmFantClie = "METALÚRGICA AURORA";
    request.stSenhaPedido = "042";
    request.idImpSaldoCupom = "1";
    return request;
}

TEST_F(GoldenDocuments, FiscalPrinterTapeOfAPersonalCreditVoucher)
{
    ASSERT_TRUE(CreditVouchers::Imp_CompVenCred(personalCredit()).ok);

    expectMatchesGolden("ecf/personal_credit_voucher", tape());
}

TEST_F(GoldenDocuments, AVoucherWaitsForTheOpenFiscalReceipt)
{
    ASSERT_TRUE(printer().AbreCupom({}).ok);

    EXPECT_FALSE(CreditVouchers::Imp_CompVenCred(personalCredit()).ok);
    EXPECT_FALSE(tape().contains(CreditVouchers::voucherTitle()));
}

// --- the NFC-e and SAT desks ----------------------------------------------------------------

const QString NfceKey = QStringLiteral("35240300000000000000650010000000421123456780");

TEST_F(GoldenDocuments, NfceReceiptOfTheOrderSending)
{
    NonFiscalPrintRequest request;
    request.kind = "VENDA_NFCe";
    request.sale = lunch();
    request.parameters = printRecord({{"NRSEQVENDA", "0000000042"},
                                      {"NRNAOFISCAL", "000000042"},
                                      {"TOTALPAGO", 80.0},
                                      {"SENHACUPOM", "042"},
                                      {"DATAEMISSNFCE", "2024-03-05T14:30:10-03:00"},
                                      {"QRCODENFCe", "https://nfce.simulada/qrcode?p=" + NfceKey + "|2|2|1|"},
                                      {"CHAVEACESSONFCe", NfceKey},
                                      {"STIBPT", "9,65"},
                                      {"STIBPTES", "12,91"},
                                      {"PROTAUTNFCE", "AUTORIZADA"}});

    expectMatchesGolden("nfce/sale_receipt", NonFiscal::receiptText(request, cardAndCashWithChange()));
}

SatReceiptRequest electronicReceipt()
{
    SatReceiptRequest request;
    request.savedSaleKey = "0000000042";
    request.emissionDate = "2024-03-05T14:30:10-03:00";
    request.cdsVenda = lunch();
    request.cdsMovCaixa = cardAndCashWithChange();
    request.stSenhaPedido = "042";
    request.tax0 = "9,65";
    request.tax2 = "12,91";
    return request;
}

TEST_F(GoldenDocuments, NfceReceiptOfThePaymentScreensDocument)
{
    expectMatchesGolden("nfce/electronic_receipt", NonFiscal::electronicReceiptText(electronicReceipt()));
}

TEST_F(GoldenDocuments, SatExtractOfThePaymentScreensDocument)
{
    SatReceiptRequest request = electronicReceipt();
    request.cfeNumber = "000042";
    request.satSerial = "900000001";
    request.stRecebAux15 = "Saldo Final: R$ 78,30";

    expectMatchesGolden("sat/electronic_receipt", NonFiscal::electronicReceiptText(request));
}

TEST_F(GoldenDocuments, SatExtractOfTheOrderSending)
{
    const QString key = QStringLiteral("CFe35240300000000000000590010000000421234567891");
    NonFiscalPrintRequest request;
    request.kind = "EXTRATO_SAT";
    request.sale = lunch();
    request.parameters = printRecord({{"NRSEQVENDA", "0000000042"},
                                      {"SENHACUPOM", "042"},
                                      {"QRCODENFCe", key + "|20240305143010|71.70||c2lnbmF0dXJl"},
                                      {"CHAVEACESSONFCe", key},
                                      {"NRSERIESAT", "900000001"},
                                      {"STNRNOTAFISCALCE", "000042"}});

    expectMatchesGolden("sat/sale_receipt", NonFiscal::receiptText(request, cardAndCashWithChange()));
}

DataPacket xmlItems()
{
    DataPacket items;
    items.fields = {{"CDPRODUTO"}, {"NMPRODUTO"}, {"QTPRODCOMVEN", FieldType::Double}, {"VRPRECCOMVEN", FieldType::Double},
                    {"VRDESCCOMVEN", FieldType::Double}};
    items.rows = {{"01001", "PRATO FEITO", 1.0, 25.9, 0.0}, {"02001", "SUCO \"NATURAL\" & GELO", 2.0, 7.5, 1.0}};
    return items;
}

// Paid 20,00 by credit card and the rest in cash, 50,00 handed over.
DataPacket xmlPayments()
{
    DataPacket payments;
    payments.fields = {{"IDTIPORECE"}, {"VRMOVIVEND", FieldType::Double}, {"VRTROCO", FieldType::Double}};
    payments.rows = {{"2", 20.0, 0.0}, {"1", 19.9, 30.1}};
    return payments;
}

TEST_F(GoldenDocuments, NfceXmlAuthorisedAndInContingency)
{
    Authorities::NfceDocument document;
    document.number = "000000042";
    document.series = "1";
    document.environment = "2";
    document.buyerDocument = "39053344705";
    document.total = 39.90;
    document.items = xmlItems();
    document.payments = xmlPayments();
    document.issuedAt = Now;

    expectMatchesGolden("nfce/xml_authorised", Authorities::nfceXml(document, NfceKey, "135240000000042", false) + "\n");
    expectMatchesGolden("nfce/xml_contingency", Authorities::nfceXml(document, NfceKey, QString(), true) + "\n");
}

TEST_F(GoldenDocuments, SatCfeXml)
{
    expectMatchesGolden("sat/xml", Authorities::cfeXml("35240300000000000000590010000000421234567891", "900000001",
                                                       "000042", Now, "39053344705", xmlItems(), xmlPayments(), 39.90,
                                                       "9,65")
                                       + "\n");
}

TEST_F(GoldenDocuments, NfceCancellationVoucher)
{
    NfceCancelVoucherRequest request;
    request.cdFilial = "0001";
    request.cdCaixa = "001";
    request.nmCaixa = "CAIXA 01";
    request.documentNumber = "000000042";
    request.dsObsCupFis = "CLIENTE DESISTIU";
    request.cdsVendaNFisc = lunch();
    expectMatchesGolden("nfce/cancellation_voucher", ReceiptCancelHost::nfceCancelVoucherText(request));
    request.contingency = true;
    expectMatchesGolden("nfce/cancellation_voucher_contingency", ReceiptCancelHost::nfceCancelVoucherText(request));
}

TEST_F(GoldenDocuments, SatCancellationReceipt)
{
    SatCancelReceiptRequest request;
    request.timeStamp = "20240305143015";
    request.chaveConsulta = "CFe35240300000000000000590010000000431234567892";
    request.cfeNumber = "000043";
    request.satSerial = "900000001";
    request.valorTotalCfe = "71.70";
    request.nrSeqVenda = "0000000042";
    request.nrNotaFiscalCe = "000042";
    request.nrAcessoNfce = "35240300000000000000590010000000421234567891";
    request.cdCaixa = "001";

    expectMatchesGolden("sat/cancellation_receipt", ReceiptCancelHost::satCancelReceiptText(request));
}

// --- the non-fiscal printers (nf, and the same texts on the NFC-e and SAT desks) -------------

TEST_F(GoldenDocuments, NonFiscalReceiptOfASalePaidWithChange)
{
    NonFiscalPrintRequest request;
    request.kind = "CUPOM";
    request.sale = lunch();
    request.parameters = printRecord({{"stCdPortImpNF1", "COM1"},
                                      {"TOTALPAGO", 100.0},
                                      {"NRSEQVENDA", "0000000042"},
                                      {"NMCONSUMIDOR", "JOSE DA SILVA"}});

    ASSERT_TRUE(NonFiscal::DisparaImpressaoNaoFiscal(request).ok);

    expectMatchesGolden("nf/sale_receipt", printed("COM1"));
}

TEST_F(GoldenDocuments, NonFiscalPersonalCreditVoucher)
{
    CreditVoucherRequest request = personalCredit();
    request.cdsFamiliaSaldo.fields = {{"CDFAMILISALD"}, {"VRSALDCONFAM", FieldType::Double}};
    request.cdsFamiliaSaldo.rows = {{"REF", 56.70}, {"LAN", 15.0}};
    request.cdPortImpNf3 = "LPT3";
    ASSERT_TRUE(CreditVouchers::ImpCompVenCredNFCeSAT(request).ok);

    expectMatchesGolden("nf/personal_credit_voucher", printed("LPT3"));
}

TEST_F(GoldenDocuments, NonFiscalPersonalCreditVoucherOfATillThatPrintsNoBalance)
{
    CreditVoucherRequest request = personalCredit();
    request.idImpSaldoCupom = "2";

    expectMatchesGolden("nf/personal_credit_voucher_without_balance", CreditVouchers::nonFiscalVoucherText(request));
}

TEST_F(GoldenDocuments, NonFiscalCreditLoadVoucher)
{
    CreditPurchaseVoucherRequest request;
    request.nmFilial = "RESTAURANTE CENTRAL";
    request.dsEndeFili = "RUA DAS FLORES, 100";
    request.nmMunicipioFili = "SÃO PAULO";
    request.nmCaixa = "CAIXA 01";
    request.nmConsumidor = "JOSÉ CARLOS OLIVEIRA";
    request.familyName = "REFEIÇÃO";
    request.depositNumber = "0000000007";
    request.voucherNumber = "000012";
    request.payments = loadPayments();
    request.cdPortImpNf3 = "LPT3";
    ASSERT_TRUE(CreditPurchaseHost::Imp_Compr_Cred(request).ok);

    expectMatchesGolden("nf/credit_load_voucher", printed("LPT3"));
}

DebitVoucherNonFiscalRequest nonFiscalDebit()
{
    DebitVoucherNonFiscalRequest request;
    request.vrMoviVend = 71.70;
    request.dsImpFiscal = "DEBITO FOLHA";
    request.cdConsumidor = "000101";
    request.nmConsumidor = "JOSÉ CARLOS OLIVEIRA";
    request.nmFantClie = "METALÚRGICA AURORA";
    request.stSenhaPedido = "042";
    request.cdFilial = "0001";
    request.nmRazSocFili = "RESTAURANTE CENTRAL LTDA";
    request.dsEndeFili = "RUA DAS FLORES, 100";
    request.nmCaixa = "CAIXA 01";
    request.stRecebAux9 = "000000042";
    return request;
}

TEST_F(GoldenDocuments, NonFiscalConsumerDebitReceipt)
{
    expectMatchesGolden("nf/debit_receipt", DebitReceiptHost::nonFiscalText(nonFiscalDebit(), booked()));
}

TEST_F(GoldenDocuments, NonFiscalConsumerDebitReceiptOfATillThatPrintsNoBalance)
{
    DebitVoucherNonFiscalRequest request = nonFiscalDebit();
    request.idImpSaldoCupom = "2";

    expectMatchesGolden("nf/debit_receipt_without_balance", DebitReceiptHost::nonFiscalText(request, booked()));
}

TEST_F(GoldenDocuments, NonFiscalCancellationVoucher)
{
    CancelVoucherRequest request;
    request.kind = "C";
    request.cdCaixa = "001";
    request.nrSerieImp = "BE0510SC55610001";
    request.documentNumber = "000000042";
    request.dsObsCupFis = "CLIENTE DESISTIU";
    request.labels = {"Insc. Mun.:", "Caixa/Série:", "Data:", "Hora:", "Cupom nº:", "Total:", "CUPOM CANCELADO"};
    request.sale = lunch();

    expectMatchesGolden("nf/cancellation_voucher", ReceiptCancelHost::cancelVoucherText(request));
}

TEST_F(GoldenDocuments, CancelledItemsTicketOfOneProductionPrinter)
{
    CancelledItemsTicketRequest request;
    request.nmOperador = "MARIA";
    request.labels = {"CANCELAMENTO", "Cupom:", "Motivo:", "Operador", "Comanda:", "Mesa:", "Senha:"};
    request.nrComandaVnd = "0000000123";
    request.dsComandaVnd = "MESA 12";
    request.cdsItensCanc.fields = {{"CDPORIMPPROD"}, {"QTPRODCOMVEN"}, {"NMPRODUTO"}, {"NMPRODUTOPAI"}, {"NRCUPOMFIS"}};
    request.cdsItensCanc.rows = {{"COZINHA", "1", "PRATO FEITO", "", "000042"},
                                 {"BAR", "2", "SUCO DE LARANJA", "", "000042"},
                                 {"COZINHA", "1", "ARROZ", "PRATO EXECUTIVO", "000042"}};

    expectMatchesGolden("nf/cancelled_items_ticket", ReceiptCancelHost::cancelledItemsText(request, "COZINHA"));
}

// Each job as the printer gets it, headed by where it goes and under which name.
QString describe(const QList<NonFiscal::ProductionJob> &jobs)
{
    QString text;
    for (const NonFiscal::ProductionJob &job : jobs)
        text += QStringLiteral("### %1 (%2) %3\n%4").arg(job.port, job.address, job.documentName, job.text);
    return text;
}

TEST_F(GoldenDocuments, ProductionTicketsOfATableOrder)
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

    expectMatchesGolden("nf/production_tickets_table_order", describe(NonFiscal::productionJobs(tickets, till)));
}

} // namespace
