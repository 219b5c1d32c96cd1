#include <host/devices/fiscalprinter.h>

#include <runtime/clock.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime Now(QDate(2024, 3, 6), QTime(12, 30, 15));

class FiscalPrinterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setNow([] { return Now; });
        printer = std::make_unique<FiscalPrinter>(folder.path());
        printer->setReporter([this](const QString &text) { reported.append(text); });
    }
    void TearDown() override { Clock::setNow({}); }

    QString tape() const
    {
        QFile file(printer->tapePath(Now.date()));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static ItemSaleRequest item(const QString &code, const QString &name, double quantity, double price,
                                double discount = 0)
    {
        ItemSaleRequest request;
        request.itemCode = code;
        request.description = QStringLiteral("#1700100#21069090#") + name;
        request.aliquotCode = "01";
        request.idAliqImpFis = "T";
        request.aliquotValue = "3,20";
        request.sgUnidade = "UN";
        request.quantity = quantity;
        request.price = price;
        request.discount = discount;
        return request;
    }
    static FiscalCloseRequest close(double cash)
    {
        FiscalCloseRequest request;
        request.payments.fields = {{"NMTIPORECE", FieldType::String, 60}, {"VRMOVIVEND", FieldType::Double, 0}};
        request.payments.rows = {{QStringLiteral("Dinheiro"), cash}};
        return request;
    }

    QTemporaryDir folder;
    std::unique_ptr<FiscalPrinter> printer;
    QStringList reported;
};

TEST_F(FiscalPrinterTest, AReceiptOpenedSoldAndClosedAnswersItsCountersAndReachesTheGrandTotal)
{
    CouponOpenRequest open;
    open.stCpfCnpjNota = "39053344705";
    const CouponOpenAnswer opened = printer->AbreCupom(open);
    ASSERT_TRUE(opened.ok);
    EXPECT_EQ(opened.cupNr, "000001");
    EXPECT_EQ(opened.contCupom, "000001");
    // The buyer's data as printed, which the sale keeps for its document.
    EXPECT_EQ(opened.incluiCpf, "39053344705");
    EXPECT_EQ(opened.incluiNome, "");
    ASSERT_TRUE(printer->VendaItem(item("1.01.001", "PRATO FEITO DE FRANGO", 1, 22.90)).ok);
    ASSERT_TRUE(printer->VendaItem(item("7891234000016", "AGUA MINERAL 500 ML", 2, 4.00, 0.50)).ok);
    EXPECT_DOUBLE_EQ(printer->openTotal(), 30.40);
    const FiscalCloseAnswer closed = printer->FechaCupom(close(50.00));
    ASSERT_TRUE(closed.ok);
    EXPECT_EQ(closed.closeAnswer, "000001");
    EXPECT_FALSE(printer->receiptOpen());
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 30.40);

    // What the tape shows is compared whole in golden_documents_test.cpp.
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(FiscalPrinterTest, CancelsTheOpenReceiptThenNothingIsLeftToCancel)
{
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1.01.001", "PRATO", 1, 22.90)).ok);
    const CouponCancelAnswer cancelled = printer->Cancela_Cupom_Imp({});
    ASSERT_TRUE(cancelled.ok);
    EXPECT_EQ(cancelled.couponNumber, "000001");
    EXPECT_FALSE(printer->receiptOpen());
    EXPECT_TRUE(tape().contains("CUPOM FISCAL CANCELADO  COO: 000001"));
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);

    EXPECT_FALSE(printer->Cancela_Cupom_Imp({}).ok);
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(FiscalPrinterTest, CancelsTheLastClosedReceiptWithADocumentOfItsOwn)
{
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1.01.001", "PRATO", 2, 10.00)).ok);
    ASSERT_TRUE(printer->FechaCupom(close(20.00)).ok);
    const CouponCancelAnswer cancelled = printer->Cancela_Cupom_Imp({});
    ASSERT_TRUE(cancelled.ok);
    EXPECT_EQ(cancelled.couponNumber, "000001");
    EXPECT_EQ(printer->coo(), 2);
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);
    EXPECT_TRUE(tape().contains("CANCELAMENTO DO CUPOM  COO: 000001"));
    EXPECT_FALSE(printer->Cancela_Cupom_Imp({}).ok); // a receipt is cancelled once
}

TEST_F(FiscalPrinterTest, RefusesWhatARealPrinterRefuses)
{
    EXPECT_FALSE(printer->VendaItem(item("1", "X", 1, 1)).ok);
    EXPECT_FALSE(printer->FechaCupom(close(1)).ok);
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    EXPECT_FALSE(printer->AbreCupom({}).ok);
    EXPECT_FALSE(printer->VendaItem(item("1", "X", 0, 1)).ok);
    EXPECT_FALSE(printer->VendaItem(item("1", "X", 1, -1)).ok);
    EXPECT_EQ(reported.size(), 5);
    EXPECT_EQ(printer->coo(), 1);
}

TEST_F(FiscalPrinterTest, ARestartCarriesOnWithTheOpenReceiptAndCounters)
{
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1.01.001", "PRATO", 1, 22.90)).ok);
    FiscalPrinter again(folder.path());
    EXPECT_TRUE(again.receiptOpen());
    EXPECT_EQ(again.coo(), 1);
    EXPECT_DOUBLE_EQ(again.openTotal(), 22.90);
    ASSERT_TRUE(again.FechaCupom(close(22.90)).ok);
    EXPECT_EQ(again.AbreCupom({}).cupNr, "000002");
}

static DataPacket cashWithChange(double kept, double change)
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE", FieldType::String, 60}, {"VRMOVIVEND", FieldType::Double, 0},
                       {"VRTROCO", FieldType::Double, 0}};
    payments.rows = {{QStringLiteral("Dinheiro"), kept, change}};
    return payments;
}

TEST_F(FiscalPrinterTest, RegisteredPaymentsWaitForTheClosingAcrossARestart)
{
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1.01.001", "PRATO", 1, 30.40)).ok);
    EXPECT_EQ(printer->registerPayments(cashWithChange(30.40, 19.60)), QString());
    EXPECT_TRUE(printer->receiptOpen());
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);
    const QString paid = tape();
    for (const char *expected : {"TOTAL R$", "30,40", "Dinheiro", "50,00", "TROCO R$", "19,60"})
        EXPECT_TRUE(paid.contains(QString::fromUtf8(expected))) << expected << "\n" << paid.toStdString();
    EXPECT_FALSE(paid.contains("FECHADO"));

    FiscalPrinter again(folder.path());
    again.setReporter([this](const QString &text) { reported.append(text); });
    EXPECT_TRUE(again.paymentsRegistered());
    EXPECT_FALSE(again.VendaItem(item("2", "AGUA", 1, 4.00)).ok); // a totalled receipt takes no item
    EXPECT_EQ(again.endClosing(), QString());
    EXPECT_FALSE(again.receiptOpen());
    EXPECT_DOUBLE_EQ(again.grandTotal(), 30.40);
    EXPECT_TRUE(tape().contains("CUPOM FISCAL FECHADO  COO: 000001"));
    EXPECT_EQ(again.AbreCupom({}).cupNr, "000002");
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(FiscalPrinterTest, ClosingStepsOutOfOrderAreRefused)
{
    EXPECT_FALSE(printer->registerPayments(cashWithChange(1, 0)).isEmpty()); // no receipt
    EXPECT_FALSE(printer->endClosing().isEmpty());
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1", "PRATO", 1, 10.00)).ok);
    EXPECT_FALSE(printer->endClosing().isEmpty());                  // no payment registered
    EXPECT_FALSE(printer->registerPayments(DataPacket()).isEmpty()); // no payment given
    EXPECT_EQ(printer->registerPayments(cashWithChange(10, 0)), QString());
    EXPECT_FALSE(printer->registerPayments(cashWithChange(10, 0)).isEmpty()); // registered once
    EXPECT_EQ(reported.size(), 5);
    EXPECT_TRUE(printer->receiptOpen());
}

TEST_F(FiscalPrinterTest, PaidReceiptNotClosedIsCancelledWithoutReachingTheGrandTotal)
{
    ASSERT_TRUE(printer->AbreCupom({}).ok);
    ASSERT_TRUE(printer->VendaItem(item("1", "PRATO", 1, 10.00)).ok);
    ASSERT_EQ(printer->registerPayments(cashWithChange(10, 0)), QString());
    ASSERT_TRUE(printer->Cancela_Cupom_Imp({}).ok);
    EXPECT_FALSE(printer->receiptOpen());
    EXPECT_FALSE(printer->paymentsRegistered());
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);
    EXPECT_TRUE(tape().contains("CUPOM FISCAL CANCELADO  COO: 000001"));
}

// The rows of a sale as the roads that print it whole hand them over: two plates and a drink,
// with the sale-wide discount on every row (counted once).
DataPacket saleRows(double saleDiscount, double quantity = 2)
{
    DataPacket sale;
    sale.fields = {{"CDPRODUTO", FieldType::String, 10},  {"NMPRODUTO", FieldType::String, 50},
                   {"QTPRODCOMVEN", FieldType::Double, 0}, {"VRPRECCOMVEN", FieldType::Double, 0},
                   {"VRUNITVENDCL", FieldType::Double, 0}, {"VRDESCCOMVEN", FieldType::Double, 0},
                   {"VRDESCOMANDA", FieldType::Double, 0}};
    sale.rows = {{QStringLiteral("01001"), QStringLiteral("PRATO FEITO"), quantity, 20.00, 0.0, 0.0, saleDiscount},
                 {QStringLiteral("07003"), QStringLiteral("SUCO DE LARANJA"), 1.0, 7.50, 0.0, 0.50, saleDiscount}};
    return sale;
}

DataPacket onePayment(const QString &name, double value)
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE", FieldType::String, 60}, {"VRMOVIVEND", FieldType::Double, 0}};
    payments.rows = {{name, value}};
    return payments;
}

TEST_F(FiscalPrinterTest, PrintsASaleWholeAsOneClosedReceiptThatCanBeCancelled)
{
    SalePrintRequest request;
    request.pager = "17";
    request.nmConsumidor = "JOSÉ";
    const TextAnswer printed = printer->ImpressaoVenda(request, saleRows(47.00 - 0.03), onePayment("Troca", 0.03));

    ASSERT_TRUE(printed.ok);
    EXPECT_EQ(printed.text, "000001");
    EXPECT_TRUE(printed.failure.isEmpty());
    EXPECT_FALSE(printer->receiptOpen());
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.03);
    const QString text = tape();
    for (const char *expected : {"COO: 000001", "Nome: JOSÉ", "PRATO FEITO", "SUCO DE LARANJA", "-0,50", "DESCONTO R$",
                                 "-46,97", "TOTAL R$", "0,03", "Troca", "Senha: 17", "CUPOM FISCAL FECHADO  COO: 000001"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(reported.isEmpty());

    // A save that fails after the print cancels the sale's own receipt.
    const CouponCancelAnswer cancelled = printer->Cancela_Cupom_Imp({});
    ASSERT_TRUE(cancelled.ok);
    EXPECT_EQ(cancelled.couponNumber, "000001");
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);
}

struct SalePrintRefusal
{
    const char *name;
    bool receiptOpenBefore;
    DataPacket sale;
    DataPacket payments;
    int coo; // the counter after the refusal
};

class SalePrintRefusalTest : public FiscalPrinterTest, public ::testing::WithParamInterface<SalePrintRefusal>
{
};

TEST_P(SalePrintRefusalTest, AnswersErroAndLeavesNothingOpenNorInTheGrandTotal)
{
    const SalePrintRefusal &c = GetParam();
    if (c.receiptOpenBefore) {
        ASSERT_TRUE(printer->AbreCupom({}).ok);
    }

    const TextAnswer printed = printer->ImpressaoVenda({}, c.sale, c.payments);

    EXPECT_EQ(printed.text, "Erro");
    EXPECT_FALSE(printed.failure.isEmpty());
    EXPECT_EQ(reported.size(), 1) << reported.join(" | ").toStdString();
    EXPECT_EQ(printer->receiptOpen(), c.receiptOpenBefore);
    EXPECT_EQ(printer->coo(), c.coo);
    EXPECT_DOUBLE_EQ(printer->grandTotal(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    FiscalPrinter, SalePrintRefusalTest,
    ::testing::Values(SalePrintRefusal{"AReceiptIsOpen", true, saleRows(0), onePayment("Dinheiro", 47.00), 1},
                      SalePrintRefusal{"NoRows", false, DataPacket(), onePayment("Dinheiro", 47.00), 0},
                      SalePrintRefusal{"NoPayments", false, saleRows(0), DataPacket(), 0},
                      // Opened, then refused at a row: the half-printed receipt is cancelled.
                      SalePrintRefusal{"ARowThePrinterRefuses", false, saleRows(0, 0), onePayment("Dinheiro", 7.00), 1}),
    [](const ::testing::TestParamInfo<SalePrintRefusal> &info) { return std::string(info.param.name); });

TEST_F(FiscalPrinterTest, SerialAndDates)
{
    SerialCheckRequest serial{true, "", "1", FiscalPrinter::defaultSerial()};
    EXPECT_TRUE(printer->VerificaSerialImp(serial).ok);
    serial.nrSerieImp = "OUTRA";
    EXPECT_FALSE(printer->VerificaSerialImp(serial).ok);
    serial.boUtilizaImpFis = false;
    EXPECT_TRUE(printer->VerificaSerialImp(serial).ok);
    EXPECT_TRUE(printer->VerificaData({}).ok);
    const DateAnswer date = printer->DataMoviFiscal({});
    EXPECT_TRUE(date.ok);
    EXPECT_EQ(date.date, Now.date().startOfDay());
}

} // namespace
