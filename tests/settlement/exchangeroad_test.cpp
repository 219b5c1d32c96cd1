#include "settlefixture.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/sitepaths.h>
#include <screen/screenshell.h>

#include <QDir>
#include <QFile>
#include <QLabel>

namespace {

using Kind = RoadEnd::Kind;

// The till's receipt types: cash and the exchange type.
void receiptTypes(ClientDataSet &types, bool withExchange = true)
{
    types.Close();
    types.FieldDefs().Clear();
    for (const char *name : {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDTPRECTROCAMER", "CDFPIMPFIS", "DSIMPFISCAL"})
        types.FieldDefs().Add(name, FieldType::String, 40);
    types.CreateDataSet();
    for (const QStringList &row : QList<QStringList>{{"001", "Dinheiro", "1", "N", "01", "DINHEIRO"},
                                                     {"015", "Troca", "1", withExchange ? "S" : "N", "09", "TROCA"}}) {
        types.Append();
        for (int i = 0; i < row.size(); ++i)
            types.Fields(i).SetAsString(row[i]);
        types.Post();
    }
    types.First();
}

// A counter sale of 48,90 (three lines, four units) and a returned-items file in the cadastre
// folder.
class ExchangeTest : public SettleTest
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        if (HasFatalFailure())
            return;
        state().editParams().stDSDIRCAD = "Dados\\Cadastros\\";
        receiptTypes(data().cdsConfTipoRece);
    }

    QString cadastreFile() const
    {
        return SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\ITENSDEVOLVIDOS.CDS"));
    }

    void writeReturned(const QList<double> &values, const QString &path)
    {
        ClientDataSet items;
        items.FieldDefs().Add("VALOR", FieldType::Double);
        items.FieldDefs().Add("CDSUPERVISOR", FieldType::String, 12);
        items.FieldDefs().Add("CDPRODUTO", FieldType::String, 10);
        items.FieldDefs().Add("QTPRODVEND", FieldType::String, 10);
        items.CreateDataSet();
        for (double value : values) {
            items.Append();
            items.FieldByName("VALOR").SetAsFloat(value);
            items.FieldByName("CDSUPERVISOR").SetAsString("SUP01");
            items.FieldByName("CDPRODUTO").SetAsString("000101");
            items.FieldByName("QTPRODVEND").SetAsString("1");
            items.Post();
        }
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(items.SaveToFile(path));
    }

    void startExchange(const QList<double> &values)
    {
        writeReturned(values, cadastreFile());
        ASSERT_TRUE(settlement().TrocaProdutos());
    }
};

TEST_F(ExchangeTest, ReturnedItemsGiveTheCreditRoundedToCentsAndRestrictTheScreen)
{
    startExchange({10.004, 5.003});

    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
    EXPECT_DOUBLE_EQ(state().exchange.doRecebAux1, 15.01);
    QLabel *left = form->findChild<QLabel *>("lblValSaldDisp");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->text(), "15,01");
    QWidget *cancel = form->findChild<QWidget *>("spbCancelaTroca");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isHidden());
}

// A file in the program folder is not the cadastre folder's: no stale credit is taken from it.
TEST_F(ExchangeTest, AFileOutsideTheCadastreFolderStartsNoExchange)
{
    writeReturned({30.0}, SitePaths::resolve(QStringLiteral("ITENSDEVOLVIDOS.CDS")));

    EXPECT_FALSE(settlement().TrocaProdutos());
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_DOUBLE_EQ(state().exchange.doRecebAux1, 0);
}

TEST_F(ExchangeTest, AnUnreadableFileIsReportedAndStartsNoExchange)
{
    QDir().mkpath(QFileInfo(cadastreFile()).path());
    QFile file(cadastreFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("isto não é um arquivo de itens");
    file.close();

    EXPECT_FALSE(settlement().TrocaProdutos());
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_TRUE(shown().contains("não pôde ser lido")) << shown().toStdString();
}

// A file that turns unreadable while an exchange is on the screen ends that exchange: the flag,
// the credit's labels, the cancel button and the exchange footer go.
TEST_F(ExchangeTest, AnUnreadableFileDuringAnExchangeEndsIt)
{
    startExchange({15.01});
    QFile file(cadastreFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("isto não é um arquivo de itens");
    file.close();

    EXPECT_FALSE(settlement().TrocaProdutos());

    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_TRUE(shown().contains("não pôde ser lido")) << shown().toStdString();
    for (const char *name : {"lblValSaldDisp", "lblSaldoDisp", "spbCancelaTroca", "lblRodape"}) {
        QWidget *widget = form->findChild<QWidget *>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_TRUE(widget->isHidden()) << name;
    }
    QWidget *cashier = form->findChild<QWidget *>("lblMensagemCaixa");
    ASSERT_NE(cashier, nullptr);
    EXPECT_FALSE(cashier->isHidden());    // The unreadable file is the only record of the goods brought back: it is kept.
    EXPECT_TRUE(QFileInfo::exists(cadastreFile()));
}

// An exchange whose rest was left unpaid and then cancelled: the ordinary sale that follows
// carries none of the returned items.
TEST_F(ExchangeTest, ASaleAfterACancelledExchangeCarriesNoReturnedItems)
{
    startExchange({10.004, 5.003});
    payment.paid = false;
    settle();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    ASSERT_FALSE(data().cdsItems.IsEmpty());

    settlement().spbCancelaTrocaClick(nullptr);
    payment.paid = true;
    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).roadMarker, "N");
    const QList<int> counts = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    ASSERT_GT(counts.size(), 6);
    EXPECT_EQ(counts.at(6), 0);
}

// Without its returned items the exchange cannot go on, and with items on the coupon its cancel
// button is gone: the refusal ends the exchange, so the next press settles the sale.
TEST_F(ExchangeTest, AnExchangeWithoutReturnedItemsEndsSoTheNextPressSettlesTheSale)
{
    startExchange({10.0});
    data().cdsItensDevolv.EmptyDataSet();

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_TRUE(shown().contains("A troca foi cancelada")) << shown().toStdString();
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_FALSE(data().cdsItems.IsEmpty());

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).roadMarker, "N");
}

TEST_F(ExchangeTest, CreditAboveTheSaleIsRefusedBeforeAnythingIsWritten)
{
    startExchange({60.0});

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_TRUE(shown().contains("O valor da venda deve ser igual ou maior")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
}

TEST_F(ExchangeTest, WithoutAnExchangeReceiptTypeTheSaleStays)
{
    receiptTypes(data().cdsConfTipoRece, false);
    startExchange({15.01});

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_TRUE(shown().contains("Troca de Mercadoria")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
}

TEST_F(ExchangeTest, CreditEqualToTheSaleClosesWithoutThePaymentScreenAndEndsTheExchange)
{
    startExchange({30.0, 18.90});

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    const QList<const ClientDataSet *> datasets = host->lastDatasets(&Pkg_Hrk00002::SetConcluiFechamento);
    const QList<int> counts = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(counts.at(1), 1);
    EXPECT_EQ(datasets.at(6)->Name(), "cdsDevolucao");
    EXPECT_EQ(counts.at(6), 2);
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_FALSE(QFile::exists(cadastreFile()));
}

// One model for the credit, whole or in part: a payment of the exchange's receipt type, never
// a discount. A credit that pays the sale whole is one payment of the sale's value, and the
// lines keep theirs, on every desk: lines = total = payments, and the printer's close carries
// no discount.
class ExchangePaysAllTest : public ExchangeTest, public ::testing::WithParamInterface<std::pair<const char *, bool>>
{
};

TEST_P(ExchangePaysAllTest, TheCreditIsOnePaymentOfTheWholeSaleAndNoDiscount)
{
    if (GetParam().second) {
        useFiscalPrinter();
        host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{true, {}, 0, "5", "fechado"});
        host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
    }
    startExchange({30.0, 18.90});
    DataPacket savedRows, savedPayments;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&](const ClosingHeader &, ClosingDatasets &datasets) {
        savedRows = datasets.cdsVenda.Data();
        savedPayments = datasets.cdsMovCaixa.Data();
        return saved(QStringLiteral("0000000042"));
    });

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(savedPayments.rows.size(), 1);
    EXPECT_EQ(savedPayments.value(0, "CDTIPORECE").toString(), "015");
    EXPECT_DOUBLE_EQ(savedPayments.value(0, "VRMOVIVEND").toDouble(), 48.90);
    ASSERT_FALSE(savedRows.rows.isEmpty());
    for (int row = 0; row < savedRows.rows.size(); ++row) {
        EXPECT_EQ(savedRows.value(row, "VRDESCOMANDA").toDouble(), 0.0) << row;
        EXPECT_EQ(savedRows.value(row, "DSOBSDESC").toString(), "TROCA DE MERCADORIA") << row;
    }
    if (GetParam().second) {
        const FiscalCloseRequest close = host->last(&Pkg_Hrk00001::FechaCupom);
        EXPECT_DOUBLE_EQ(close.discount.toDouble(), 0.0);
        ASSERT_EQ(close.payments.rows.size(), 1);
        EXPECT_DOUBLE_EQ(close.payments.value(0, "VRMOVIVEND").toDouble(), 48.90);
    }
}

INSTANTIATE_TEST_SUITE_P(Desks, ExchangePaysAllTest,
                         ::testing::Values(std::make_pair("FiscalPrinter", true), std::make_pair("NoPrinter", false)),
                         [](const auto &info) { return std::string(info.param.first); });

// A refused CF-e cancels the sale the credit was paying in part: the exchange stays in force,
// the screen shows the whole credit again (not the rest the cancelled sale left to pay), and the
// cashier is told in words.
TEST_F(ExchangeTest, ARefusedCfeLeavesTheWholeCreditShownAndTellsTheCashier)
{
    state().editParams().boSISTEMAQUBSAT = true;
    SatAnswer refused;
    refused.answer = NameValueList({"EEEEE=06010", "mensagem=Rejeição: código de ativação inválido"});
    host->setDefault(&Pkg_Hrk00002::SATOnline, refused);
    startExchange({10.004, 5.003});

    settle();

    EXPECT_FALSE(sold());
    ASSERT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
    QLabel *left = form->findChild<QLabel *>("lblValSaldDisp");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->text(), "15,01");
    EXPECT_TRUE(shown().contains("A troca de mercadoria continua em andamento: o crédito de R$ 15,01 está disponível"))
        << shown().toStdString();
}

TEST_F(ExchangeTest, CreditBelowTheSaleGoesToThePaymentScreenAsAlreadyPaid)
{
    startExchange({10.004, 5.003});

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
    const PaymentRequest request = host->last(&Pkg_Hrk00002::Recebimento);
    EXPECT_EQ(request.roadMarker, "T");
    EXPECT_DOUBLE_EQ(request.amountPaid.toDouble(), 15.01);
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_FALSE(QFile::exists(cadastreFile()));
}

// The rest paid in cash: the credit is a payment of the exchange's type booked before the
// screen, beside the cash, and not a discount as well; the payments add up to the sale.
TEST_F(ExchangeTest, CreditBelowTheSaleIsSavedAsTheExchangePaymentBesideTheCash)
{
    startExchange({10.004, 5.003});
    DataPacket handedToTheScreen;
    host->handle(&Pkg_Hrk00002::Recebimento, [&](const PaymentRequest &, PaymentDatasets &datasets) {
        ClientDataSet &payments = datasets.cdsMovCaixa;
        handedToTheScreen = payments.Data();
        payments.Append();
        payments.FieldByName("CDTIPORECE").SetAsString("001");
        payments.FieldByName("VRMOVIVEND").SetAsFloat(33.89);
        payments.Post();
        return payment;
    });
    DataPacket savedRows, savedPayments;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&](const ClosingHeader &, ClosingDatasets &datasets) {
        savedRows = datasets.cdsVenda.Data();
        savedPayments = datasets.cdsMovCaixa.Data();
        return saved(QStringLiteral("0000000042"));
    });

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(handedToTheScreen.rows.size(), 1);
    EXPECT_EQ(handedToTheScreen.value(0, "CDTIPORECE").toString(), "015");
    EXPECT_DOUBLE_EQ(handedToTheScreen.value(0, "VRMOVIVEND").toDouble(), 15.01);
    ASSERT_EQ(savedPayments.rows.size(), 2);
    EXPECT_EQ(savedPayments.value(0, "CDTIPORECE").toString(), "015");
    EXPECT_EQ(savedPayments.value(1, "CDTIPORECE").toString(), "001");
    double paid = 0;
    for (int row = 0; row < savedPayments.rows.size(); ++row)
        paid += savedPayments.value(row, "VRMOVIVEND").toDouble();
    EXPECT_NEAR(paid, 48.90, 1e-9);
    ASSERT_FALSE(savedRows.rows.isEmpty());
    for (int row = 0; row < savedRows.rows.size(); ++row) {
        EXPECT_EQ(savedRows.value(row, "VRDESCOMANDA").toDouble(), 0.0) << row;
        EXPECT_EQ(savedRows.value(row, "DSOBSDESC").toString(), "TROCA DE MERCADORIA") << row;
        EXPECT_EQ(savedRows.value(row, "CDSUPERVISOR").toString(), "SUP01") << row;
    }
}

// Without a fiscal printer a failed save stops: the sale, the credit and its file stay.
TEST_F(ExchangeTest, FailedSaveWithoutAPrinterKeepsTheSaleAndTheCredit)
{
    startExchange({30.0, 18.90});
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("conexão perdida"));

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
    EXPECT_TRUE(QFile::exists(cadastreFile()));
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

// A printer that prints the sale whole (model 16) numbers the exchange with its document.
TEST_F(ExchangeTest, APrinterThatPrintsTheSaleWholeGivesTheDocumentNumber)
{
    useFiscalPrinter();
    state().editParams().inIDTIPOIMPFIS = 16;
    host->setDefault(&Pkg_Hrk00001::ImpressaoVenda, TextAnswer{true, "000555", {}});
    startExchange({30.0, 18.90});

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::FechaCupom), 0);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).documentNumber, "000555");
    EXPECT_EQ(host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento).at(6), 2);
    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
}

// Whatever way the print fails, no coupon is open on such a printer: nothing is cancelled
// (that would reach the last sale's document) and the sale stays on the screen.
struct PrintFailureCase
{
    const char *name;
    TextAnswer answer;
};

class ExchangePrintFailureTest : public ExchangeTest, public ::testing::WithParamInterface<PrintFailureCase>
{
};

TEST_P(ExchangePrintFailureTest, TheSaleStaysAndNothingIsCancelled)
{
    useFiscalPrinter();
    state().editParams().inIDTIPOIMPFIS = 21;
    host->setDefault(&Pkg_Hrk00001::ImpressaoVenda, GetParam().answer);
    startExchange({30.0, 18.90});

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
    EXPECT_TRUE(QFile::exists(cadastreFile()));
    EXPECT_FALSE(state().flags.boRecebendo);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ExchangePrintFailureTest,
    ::testing::Values(PrintFailureCase{"PrinterAnswersErro", TextAnswer{true, "Erro", {}}},
                      PrintFailureCase{"PrintingUnavailable", TextAnswer{false, {}, "ImpressaoVenda não instalada"}}),
    [](const ::testing::TestParamInfo<PrintFailureCase> &info) { return std::string(info.param.name); });

TEST_F(ExchangeTest, ExhaustedColombianRangeStopsBeforeTheSave)
{
    state().editParams().stIDPAISINTEGRA = "01";
    colombianNumber = "CUPINV";
    startExchange({30.0, 18.90});

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(state().exchange.boTrocaMercadoria);
}

TEST_F(ExchangeTest, CancelButtonDeletesTheFileAndKeepsTheItems)
{
    startExchange({15.01});

    settlement().spbCancelaTrocaClick(nullptr);

    EXPECT_FALSE(state().exchange.boTrocaMercadoria);
    EXPECT_FALSE(QFile::exists(cadastreFile()));
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    QWidget *cancel = form->findChild<QWidget *>("spbCancelaTroca");
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isHidden());
}

} // namespace
