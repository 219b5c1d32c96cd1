// The QR-code sale through the sale form: the reading panel, the code read on Enter, the sale
// built, documented and saved, and every way it stops.
#include "settlefixture.h"

#include <runtime/messages.h>
#include <sale/formnames.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <functional>

namespace {

using Kind = RoadEnd::Kind;

const QString threeItems =
    "<fil$0001,nvr$77,ncd$9,clie$000002,cons$000101,nsu$4455,prods$("
    "cdp$01001,qt$1,vr$22.90,impprod$s,TXPRODCOMVEN$,obs$(),promo$(),"
    "cdp$05001,qt$1,vr$19.90,impprod$s,TXPRODCOMVEN$,obs$(CDOCORR$01,CDGRPOCOR$02,CDOCORR$03,CDGRPOCOR$04),promo$(),"
    "cdp$07001,qt$2,vr$4.00,impprod$s,TXPRODCOMVEN$,obs$(),promo$()),"
    "rec$(cdtrec$002,idtrec$2,vrt$50.80)>";

QString withPayment(const QString &payment)
{
    QString code = threeItems;
    return code.replace("rec$(cdtrec$002,idtrec$2,vrt$50.80)", payment);
}

class QrSaleTest : public SettleTest
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        SaleDatasets &d = data();
        d.cdsItems.EmptyDataSet();
        s.road.stNRSEQ.clear();
        s.totals.doTotalVenda = 0;
        s.startup.dtMovimentoFiscal = QDateTime(QDate(2024, 3, 5), QTime());
        s.editParams().stCDCCUSCLIE = "CC-PADRAO";
        catalogue({{"01001", "PRATO FEITO DE FRANGO"}, {"05001", "X-BURGUER"}, {"07001", "AGUA MINERAL"}});
        ClientDataSet &rates = d.cdsAliquota;
        rates.Close();
        rates.CreateDataSet();
        for (const char *code : {"01001", "05001", "07001"})
            taxRow(code, 18);
        ClientDataSet &printerRates = d.cdsAliqImpFis;
        printerRates.Close();
        printerRates.CreateDataSet();
        printerRates.Append();
        printerRates.FieldByName("CDALIQIMPFIS").SetAsString("T01");
        printerRates.FieldByName("VRALIQIMPFIS").SetAsFloat(18);
        printerRates.FieldByName("IDALIQIMPFIS").SetAsString("T");
        printerRates.Post();
        server.reset();
        server = std::make_unique<ScopedTable<ServerSeams>>(qrServer());
        host->setDefault(&Pkg_Hrk00001::AbreCupom, opened());
        host->setDefault(&Pkg_Hrk00001::VendaItem, ItemSaleAnswer{true, {}, 0});
        host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{true, {}, 0, "5", "fechado"});
        host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
        host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, "000555"});
        host->setDefault(&Pkg_Hrk00002::AtivaProcesso, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::DesativaProcesso, HostResult::done());
    }

    void catalogue(const QList<QStringList> &products)
    {
        ClientDataSet &copy = data().cdsValidaProd;
        copy.Close();
        copy.FieldDefs().Add("CDARVPROD", FieldType::String, 20);
        copy.FieldDefs().Add("SGUNIDADE", FieldType::String, 3);
        copy.CreateDataSet();
        for (const QStringList &p : products) {
            copy.Append();
            copy.FieldByName("CDPRODUTO").SetAsString(p.at(0));
            copy.FieldByName("NMPRODUTO").SetAsString(p.at(1));
            copy.FieldByName("CDARVPROD").SetAsString("ARV" + p.at(0));
            copy.FieldByName("SGUNIDADE").SetAsString("UN");
            copy.Post();
        }
    }

    void taxRow(const QString &code, double rate)
    {
        ClientDataSet &rates = data().cdsAliquota;
        rates.Append();
        rates.FieldByName("CDPRODUTO").SetAsString(code);
        rates.FieldByName("CDIMPOSTO").SetAsString("01");
        rates.FieldByName("VRPEALIMPFIS").SetAsFloat(rate);
        rates.FieldByName("IDTPIMPOSFIS").SetAsString("T");
        rates.Post();
    }

    static CouponOpenAnswer opened()
    {
        CouponOpenAnswer answer;
        answer.ok = true;
        answer.cupNr = "000555";
        answer.contCupom = "0100";
        return answer;
    }

    ServerSeams qrServer()
    {
        ServerSeams table = fakeServer();
        table.lookupsTills.getVendaQRCode = [this](const QString &branch, const QString &sale, const QString &tab) {
            serverCalls << "getVendaQRCode " + branch + " " + sale + " " + tab;
            return taken;
        };
        table.lookupsTills.setReservaQRCode = [this](const QString &, const QString &sale, const QString &tab,
                                                     const QString &desk) {
            serverCalls << "setReservaQRCode " + sale + " " + tab + " " + desk;
            return claimHeld;
        };
        table.lookupsTills.setLiberaQRCode = [this](const QString &, const QString &sale, const QString &tab,
                                                    const QString &desk) {
            serverCalls << "setLiberaQRCode " + sale + " " + tab + " " + desk;
            return Variant();
        };
        table.lookupsTills.getRecebGenerico = [this](const QString &, const QString &) {
            serverCalls << "getRecebGenerico";
            return Variant(QString("001"));
        };
        table.lookupsProducts.getProdCodNCM = [this](const QString &code) {
            serverCalls << "getProdCodNCM " + code;
            return fiscalClass;
        };
        table.consumers.getDadosConsumidor = [this](const QString &client, const QString &consumer) {
            serverCalls << "getDadosConsumidor " + client + " " + consumer;
            DataPacket packet;
            packet.fields = {{"NRCPFRESPCON"}, {"NMCONSUMIDOR"}, {"CDCCUSCLIE"}};
            packet.rows = {{QString("39053344705"), QString("JOSE CARLOS"), consumerCostCentre}};
            return Variant(packet);
        };
        table.counters.setGravaCupomInicial = [this](const QString &, const QString &, const QString &coupon,
                                                     const QDateTime &) {
            serverCalls << "setGravaCupomInicial " + coupon;
            return Variant(QString());
        };
        return table;
    }

    void openPanel()
    {
        QAbstractButton *button = form->findChild<QAbstractButton *>(QString(FormName::spbLerQrCode));
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        button->click();
    }

    // The scanner: every character as a key into the edit box, then Enter.
    void scan(const QString &code)
    {
        QLineEdit *edit = form->findChild<QLineEdit *>(QString(FormName::edtQrCode));
        ASSERT_NE(edit, nullptr);
        for (const QChar c : code) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(edit, &press);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString("\r"));
        QCoreApplication::sendEvent(edit, &enter);
    }

    void openAndScan(const QString &code)
    {
        openPanel();
        scan(code);
    }

    bool panelUp() const { return !form->findChild<QWidget *>(QString(FormName::pnlQrCode))->isHidden(); }
    QString buffer() const { return form->findChild<QLabel *>(QString(FormName::lblBufferQRCODE))->text(); }
    int saves() { return host->count(&Pkg_Hrk00002::SetConcluiFechamento); }
    // Nothing left open on the printer: every coupon opened was closed or cancelled.
    bool couponLeftOpen()
    {
        const int openedCoupons = host->count(&Pkg_Hrk00001::AbreCupom);
        const int ended = host->count(&Pkg_Hrk00001::FechaCupom) + host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp);
        return openedCoupons > ended;
    }

    Variant taken = Variant(false);
    Variant claimHeld = Variant(true);
    Variant fiscalClass = Variant(QString("21069090"));
    QString consumerCostCentre = "CC-7";
};

// ---- the reading panel ------------------------------------------------------------------------

TEST_F(QrSaleTest, ReadingPanelOpensInReadingModeAndCancelEndsIt)
{
    openPanel();
    EXPECT_TRUE(panelUp());
    EXPECT_TRUE(state().flags.boInicializaAux1);
    EXPECT_TRUE(state().screen.boLeituraQrCode);

    form->findChild<QAbstractButton *>(QString(FormName::btnCancelaQrCode))->click();

    EXPECT_FALSE(panelUp());
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_FALSE(state().screen.boLeituraQrCode);
}

TEST_F(QrSaleTest, ReadingPanelIsRefusedWhileACouponIsOpen)
{
    state().flags.boCupomAberto = true;

    openPanel();

    EXPECT_FALSE(panelUp());
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("OPE_N_QRCODE")}));
}

// A sign the scanner types is part of the code: dropping it would turn -19.90 into 19.90.
TEST_F(QrSaleTest, ScannerSignsStayInTheBuffer)
{
    openPanel();
    QLineEdit *edit = form->findChild<QLineEdit *>(QString(FormName::edtQrCode));
    for (const QChar c : QString("a+b-c")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &press);
    }
    EXPECT_EQ(buffer(), "a+b-c");
}

TEST_F(QrSaleTest, ACodeOfNoiseOnlyClosesThePanelWithoutASale)
{
    openAndScan("<>**");

    EXPECT_FALSE(panelUp());
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_EQ(saves(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::DesativaProcesso), 1);
}

// ---- the paid code on a fiscal-printer desk ----------------------------------------------------

TEST_F(QrSaleTest, PaidCodeOnFiscalPrinterSellsClosesAndSavesWithoutPaymentScreen)
{
    useFiscalPrinter();

    openAndScan(threeItems);

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_TRUE(messages->texts().isEmpty()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00001::AbreCupom).nrVendaRest, "77");
    const auto items = host->requests(&Pkg_Hrk00001::VendaItem);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items.at(0).itemCode, "ARV01001");
    EXPECT_EQ(items.at(0).aliquotCode, "T01");
    EXPECT_DOUBLE_EQ(items.at(2).quantity, 2.0);
    EXPECT_DOUBLE_EQ(items.at(2).price, 4.0);
    ASSERT_EQ(host->count(&Pkg_Hrk00001::FechaCupom), 1);
    const FiscalCloseRequest close = host->last(&Pkg_Hrk00001::FechaCupom);
    ASSERT_EQ(close.payments.rows.size(), 1);
    EXPECT_EQ(close.payments.value(0, "CDTIPORECE").toString(), "001"); // the desk's generic type
    EXPECT_EQ(close.nrSeq, "003");
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Atu_TotGeral), 1);
    EXPECT_TRUE(serverCalls.contains("setGravaCupomInicial 000555"));

    ASSERT_EQ(saves(), 1);
    const ClosingHeader header = host->last(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(header.documentNumber, "000555");
    EXPECT_EQ(header.value6, "9");
    EXPECT_EQ(header.nrVendaRest, "77");
    EXPECT_EQ(header.value33, Variant(3));
    EXPECT_EQ(header.stSenhaPedido, "17");
    const QList<int> rows = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(rows.at(0), 3); // cdsVenda
    EXPECT_EQ(rows.at(1), 1); // cdsMovCaixa: the code's own payment
    EXPECT_FALSE(couponLeftOpen());
    EXPECT_FALSE(panelUp());
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_FALSE(roadEnd().sold->savedSaleKey.isEmpty());
    EXPECT_TRUE(serverCalls.contains("setReservaQRCode 77 9 003"));
    EXPECT_FALSE(serverCalls.contains("setLiberaQRCode 77 9 003"));
}

TEST_F(QrSaleTest, ItemRowsAreNumberedAndCarryTheBuyerAndNoSurcharge)
{
    host->setDefault(&Pkg_Hrk00002::CriaInfAdicional, AdditionalDataAnswer{true, "0", "FULANO", "RUA 1", {}, {}, "X1", {}});
    DataPacket items;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&items, this](const ClosingHeader &, ClosingDatasets &) {
        items = data().cdsItems.Data();
        return saved("0000000042");
    });

    openAndScan(threeItems);

    ASSERT_EQ(items.rows.size(), 3) << shown().toStdString();
    EXPECT_EQ(items.value(0, "NRSEQ").toString(), "001");
    EXPECT_EQ(items.value(2, "NRSEQ").toString(), "003");
    EXPECT_EQ(items.value(1, "NMPRODUTO").toString(), "X-BURGUER");
    EXPECT_DOUBLE_EQ(items.value(1, "VRACRCOMVEN").toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(items.value(2, "SOMA").toDouble(), 8.0);
    // "0" as the CPF clears CPF and name; the address stays.
    EXPECT_EQ(items.value(0, "NRINSCRCONS").toString(), "");
    EXPECT_EQ(items.value(0, "NMCONSVEND").toString(), "");
    const AdditionalDataRequest asked = host->last(&Pkg_Hrk00002::CriaInfAdicional);
    EXPECT_EQ(asked.document, "39053344705");
    EXPECT_EQ(asked.name, "JOSE CARLOS");
    EXPECT_DOUBLE_EQ(state().totals.doVrTxServico, 0.0);
}

TEST_F(QrSaleTest, PaymentRowsTakeTheParameterCostCentreWhenTheConsumerHasNone)
{
    consumerCostCentre.clear();
    DataPacket payments;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&payments, this](const ClosingHeader &, ClosingDatasets &) {
        payments = data().cdsMovCaixa.Data();
        return saved("0000000042");
    });

    openAndScan(threeItems);

    ASSERT_EQ(payments.rows.size(), 1) << shown().toStdString();
    EXPECT_EQ(payments.value(0, "CDCCUSCLIE").toString(), "CC-PADRAO");
    EXPECT_EQ(payments.value(0, "CDNSUHOSTTEF").toString(), "4455");
    EXPECT_EQ(payments.value(0, "CDTIPORECE").toString(), "002");
    EXPECT_DOUBLE_EQ(payments.value(0, "VRMOVIVEND").toDouble(), 50.80);
}

// ---- refusals: nothing written, the panel ready for another scan ------------------------------

class QrRefusalTest;

struct RefusalCase
{
    const char *name;
    std::function<void(QrRefusalTest &, QString &)> arrange;
    QString messageHolds;
};

class QrRefusalTest : public QrSaleTest, public ::testing::WithParamInterface<RefusalCase>
{
public:
    using QrSaleTest::catalogue;
    using QrSaleTest::claimHeld;
    using QrSaleTest::fiscalClass;
    using QrSaleTest::taken;
    using QrSaleTest::taxRow;
    using QrSaleTest::state;
};

TEST_P(QrRefusalTest, RefusesWithOneMessageAndWritesNothing)
{
    useFiscalPrinter();
    QString code = threeItems;
    GetParam().arrange(*this, code);

    openAndScan(code);

    ASSERT_EQ(messages->count(), 1) << shown().toStdString();
    EXPECT_TRUE(shown().contains(GetParam().messageHolds)) << shown().toStdString();
    EXPECT_EQ(saves(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(state().road.stNRSEQ.isEmpty());
    EXPECT_TRUE(panelUp());
    EXPECT_TRUE(state().flags.boInicializaAux1);
    EXPECT_TRUE(buffer().isEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QrRefusalTest,
    ::testing::Values(
        RefusalCase{"AnotherBranch", [](QrSaleTest &, QString &code) { code.replace("fil$0001", "fil$0002"); },
                    "não foi gerado para esta filial"},
        RefusalCase{"AlreadySold", [](QrRefusalTest &t, QString &) { t.taken = Variant(true); }, "já foi impresso"},
        RefusalCase{"AnotherTillHoldsTheCode", [](QrRefusalTest &t, QString &) { t.claimHeld = Variant(false); },
                    "já foi impresso"},
        RefusalCase{"BaseCannotClaimTheCode",
                    [](QrRefusalTest &t, QString &) { t.claimHeld = Variant::failure("tabela bloqueada"); },
                    "conexão com o servidor"},
        RefusalCase{"BaseCannotSayWhetherSold",
                    [](QrRefusalTest &t, QString &) { t.taken = Variant::failure("conexão perdida"); },
                    "conexão com o servidor"},
        RefusalCase{"BrokenLayout", [](QrSaleTest &, QString &code) { code.remove("ncd$9,"); }, "NRCOMANDA"},
        RefusalCase{"UnknownProduct", [](QrSaleTest &, QString &code) { code.replace("cdp$07001", "cdp$99999"); },
                    "99999"},
        RefusalCase{"ProductWithoutTaxRow",
                    [](QrRefusalTest &t, QString &) {
                        t.data().cdsAliquota.Locate("CDPRODUTO", QString("05001"));
                        t.data().cdsAliquota.Delete();
                    },
                    "não possui um imposto parametrizado"},
        RefusalCase{"ProductWithTwoTaxRows", [](QrRefusalTest &t, QString &) { t.taxRow("05001", 7); },
                    "mais de um imposto"},
        RefusalCase{"FiscalClassUnreadable",
                    [](QrRefusalTest &t, QString &) { t.fiscalClass = Variant::failure("tabela PRODUTO indisponível"); },
                    "conexão com o servidor"},
        RefusalCase{"ZeroQuantity", [](QrSaleTest &, QString &code) { code.replace("qt$2", "qt$0"); }, "quantidade"},
        RefusalCase{"NegativePrice", [](QrSaleTest &, QString &code) { code.replace("vr$19.90", "vr$-19.90"); },
                    "preço"},
        RefusalCase{"ZeroPrice", [](QrSaleTest &, QString &code) { code.replace("vr$19.90", "vr$0.00"); }, "preço"},
        RefusalCase{"UnreadablePrice", [](QrSaleTest &, QString &code) { code.replace("vr$19.90", "vr$19,90"); },
                    "Erro na leitura"},
        RefusalCase{"TwoPayments",
                    [](QrSaleTest &, QString &code) {
                        code = withPayment("rec$(cdtrec$002,idtrec$2,vrt$20.70,cdtrec$001,idtrec$1,vrt$30.00)");
                    },
                    "mais de um recebimento"},
        RefusalCase{"PromotionsWithContent",
                    [](QrSaleTest &, QString &code) {
                        code.replace("obs$(),promo$()),rec", "obs$(),promo$(cdp$1,qt$1,vr$0)),rec");
                    },
                    "promoções"},
        // A card payment has no change: the code must be paid what the sale comes to, to the cent.
        RefusalCase{"PaidLessThanTheItems",
                    [](QrSaleTest &, QString &code) { code = withPayment("rec$(cdtrec$002,idtrec$2,vrt$40.00)"); },
                    "(R$ 40,00) não confere com o total da venda (R$ 50,80)"},
        RefusalCase{"PaidMoreThanTheItems",
                    [](QrSaleTest &, QString &code) { code = withPayment("rec$(cdtrec$002,idtrec$2,vrt$60.00)"); },
                    "(R$ 60,00) não confere com o total da venda (R$ 50,80)"},
        RefusalCase{"PaidTheItemsWithoutTheServiceCharge",
                    [](QrRefusalTest &t, QString &) { t.state().editParams().stIDACRIMPOSTO = "S"; },
                    "(R$ 50,80) não confere com o total da venda (R$ 59,94: itens R$ 50,80 e taxa de serviço R$ 9,14)"}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

// The cashier reads one clear message; what the base said goes to the detail.
TEST_F(QrSaleTest, AServerFailureShowsItsOwnTextOnlyInTheDetail)
{
    taken = Variant::failure("could not connect to server: Connection refused");

    openAndScan(threeItems);

    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).text, context().Msg("FALHA_CONEXAO_SRV"));
    EXPECT_EQ(messages->calls().at(0).detail, "could not connect to server: Connection refused");
    EXPECT_EQ(saves(), 0);
}

// On the NFC-e desk a code paid short is refused before a document number is taken.
TEST_F(QrSaleTest, ACodePaidShortOnTheNfceDeskTakesNoNumberAndSavesNothing)
{
    state().editParams().boSISTEMAQUBNFCE = true;

    openAndScan(withPayment("rec$(cdtrec$002,idtrec$2,vrt$40.00)"));

    EXPECT_EQ(messages->count(), 1) << shown().toStdString();
    EXPECT_TRUE(shown().contains("R$ 40,00")) << shown().toStdString();
    EXPECT_TRUE(shown().contains("R$ 50,80")) << shown().toStdString();
    EXPECT_TRUE(serverCalls.filter("setNumeroNFCe").isEmpty());
    EXPECT_EQ(saves(), 0);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(panelUp());
}

// A till that adds the service charge is paid the items and the charge (18 % of 50,80, cut to
// the cent): the code sells.
TEST_F(QrSaleTest, ACodePaidWithTheServiceChargeOnTopOfTheItemsSells)
{
    state().editParams().stIDACRIMPOSTO = "S";

    openAndScan(withPayment("rec$(cdtrec$002,idtrec$2,vrt$59.94)"));

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(saves(), 1);
}

// The tape and the stored payment name the payment type, not only its code.
TEST_F(QrSaleTest, PaymentRowsCarryTheNameOfTheirPaymentType)
{
    useFiscalPrinter();
    ClientDataSet &types = data().cdsConfTipoRece;
    types.Close();
    types.FieldDefs().Clear();
    for (const char *name : {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE"})
        types.FieldDefs().Add(name, FieldType::String, 40);
    types.CreateDataSet();
    for (const QStringList &row : QList<QStringList>{{"001", "Recebimento genérico", "2"}, {"002", "Cartão de crédito", "2"}}) {
        types.Append();
        for (int i = 0; i < row.size(); ++i)
            types.Fields(i).SetAsString(row[i]);
        types.Post();
    }
    DataPacket payments;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&payments, this](const ClosingHeader &, ClosingDatasets &) {
        payments = data().cdsMovCaixa.Data();
        return saved("0000000042");
    });

    openAndScan(threeItems);

    ASSERT_TRUE(sold()) << shown().toStdString();
    const FiscalCloseRequest close = host->last(&Pkg_Hrk00001::FechaCupom);
    ASSERT_EQ(close.payments.rows.size(), 1);
    EXPECT_EQ(close.payments.value(0, "NMTIPORECE").toString(), "Recebimento genérico");
    ASSERT_EQ(payments.rows.size(), 1);
    EXPECT_EQ(payments.value(0, "NMTIPORECE").toString(), "Cartão de crédito");
}

TEST_F(QrSaleTest, AnotherBranchStopsBeforeAnyServerCall)
{
    QString code = threeItems;
    openAndScan(code.replace("fil$0001", "fil$0002"));

    EXPECT_TRUE(serverCalls.isEmpty()) << serverCalls.join(", ").toStdString();
}

TEST_F(QrSaleTest, ARefusedCodeLeavesTheTillReadyForTheNextScanWhichSells)
{
    useFiscalPrinter();
    taken = Variant(true);
    openAndScan(threeItems);
    ASSERT_EQ(saves(), 0);

    taken = Variant(false);
    scan(threeItems);

    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::VendaItem).size(), 3);
}

// ---- failures after the attempt began: nothing kept, no coupon open, one message, till free ---

class QrFailureTest;

struct FailureCase
{
    const char *name;
    std::function<void(QrFailureTest &)> arrange;
    QString messageHolds;
    bool couponOpened;
};

class QrFailureTest : public QrSaleTest, public ::testing::WithParamInterface<FailureCase>
{
public:
    using QrSaleTest::host;
    using QrSaleTest::useFiscalPrinter;
};

TEST_P(QrFailureTest, UndoesTheSaleAndFreesTheTill)
{
    GetParam().arrange(*this);

    openAndScan(threeItems);

    EXPECT_FALSE(sold());
    ASSERT_EQ(messages->count(), 1) << shown().toStdString();
    EXPECT_TRUE(shown().contains(GetParam().messageHolds)) << shown().toStdString();
    // A coupon opened for the attempt is cancelled; a refused opening leaves none to cancel.
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), GetParam().couponOpened ? 1 : 0);
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_FALSE(panelUp());
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(state().settlement.stSenhaPedido.isEmpty());
    // The code is given up, so that it can be read again.
    EXPECT_TRUE(serverCalls.contains("setLiberaQRCode 77 9 003")) << serverCalls.join(", ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QrFailureTest,
    ::testing::Values(
        FailureCase{"BaseDownAtTheSave",
                    [](QrFailureTest &t) {
                        t.useFiscalPrinter();
                        t.host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento,
                                           SettleTest::failedSave("servidor fora do ar"));
                    },
                    "servidor fora do ar", true},
        FailureCase{"PrinterRefusesTheCoupon",
                    [](QrFailureTest &t) {
                        t.useFiscalPrinter();
                        t.host->setDefault(&Pkg_Hrk00001::AbreCupom, CouponOpenAnswer{false, "impressora sem papel"});
                    },
                    "impressora sem papel", false},
        FailureCase{"PrinterRefusesAnItem",
                    [](QrFailureTest &t) {
                        t.useFiscalPrinter();
                        t.host->script(&Pkg_Hrk00001::VendaItem, ItemSaleAnswer{true, {}, 0});
                        t.host->script(&Pkg_Hrk00001::VendaItem, ItemSaleAnswer{false, "item recusado", 0});
                    },
                    "item recusado", true},
        FailureCase{"PrinterRefusesToClose",
                    [](QrFailureTest &t) {
                        t.useFiscalPrinter();
                        t.host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{false, "tampa aberta", 0, {}, {}});
                    },
                    "tampa aberta", true},
        FailureCase{"SatRefuses",
                    [](QrFailureTest &t) {
                        t.state().editParams().boSISTEMAQUBSAT = true;
                        t.host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "<CFe/>", {}});
                        SatAnswer refused;
                        refused.answer = NameValueList({"EEEEE=06010", "mensagem=CF-e rejeitado"});
                        t.host->setDefault(&Pkg_Hrk00001::EmitirVenda, refused);
                    },
                    "CF-e rejeitado", false},
        FailureCase{"SatSilent",
                    [](QrFailureTest &t) {
                        t.state().editParams().boSISTEMAQUBSAT = true;
                        t.host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "<CFe/>", {}});
                        t.host->setDefault(&Pkg_Hrk00001::EmitirVenda, SatAnswer{});
                    },
                    "Falha na conexão", false}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST_F(QrSaleTest, BaseDownAtTheSaveRecordsTheUnstoredSaleAsCancelled)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("servidor fora do ar"));

    openAndScan(threeItems);

    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 0);
}

TEST_F(QrSaleTest, SatRefusalMarksTheStoredSaleCancelled)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "<CFe/>", {}});
    SatAnswer refused;
    refused.answer = NameValueList({"EEEEE=06010", "mensagem=CF-e rejeitado"});
    host->setDefault(&Pkg_Hrk00001::EmitirVenda, refused);

    openAndScan(threeItems);

    ASSERT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AlteraVendaCan).saleKey, "0000000042");
    EXPECT_TRUE(shown().contains(context().Msg("VENDA_SAT_CAN"))) << shown().toStdString();
}

TEST_F(QrSaleTest, SatAcceptedKeepsTheCfeAndConfirmsTheCard)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "<CFe/>", {}});
    SatAnswer accepted;
    accepted.accepted = true;
    accepted.answer = NameValueList({"EEEEE=06000", "chaveConsulta=CFe351", "timeStamp=20240305143015",
                                     "valorTotalCFe=50.80", "CPFCNPJValue=", "assinaturaQRCODE=abc",
                                     "arqxmlnfce=<ide><nserieSAT>900000001</nserieSAT><nCFe>000012</nCFe></ide>"});
    host->setDefault(&Pkg_Hrk00001::EmitirVenda, accepted);

    openAndScan(threeItems);

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->last(&Pkg_Hrk00002::GeraArqXmlSat).operation, "VENDA");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AtualizaVendaSat).cfeNumber, "000012");
    ASSERT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef).size(), 1);
    EXPECT_TRUE(host->last(&Pkg_Hrk00001::FinalizaTransTef).confirm);
}

// ---- the code paid at the till ("NUL") ---------------------------------------------------------

TEST_F(QrSaleTest, NulCodeOnNfceDeskIsPaidOnThePaymentScreen)
{
    state().editParams().boSISTEMAQUBNFCE = true;

    openAndScan(withPayment("rec$(cdtrec$nul,idtrec$0,vrt$0)"));

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
    const PaymentRequest paid = host->last(&Pkg_Hrk00002::Recebimento);
    EXPECT_EQ(paid.cdClienteVenda, "000002");
    EXPECT_EQ(paid.cdConsumidorVenda, "000101");
    EXPECT_EQ(paid.saleKind, "C");
    EXPECT_EQ(paid.stCartaoAux1, "CC-7");
    EXPECT_TRUE(serverCalls.contains("setNumeroNFCe 1"));
    const ClosingHeader header = host->last(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(header.valueCount, 51); // the save always takes the whole header
    EXPECT_EQ(header.stRecebAux9, "000045");
    // The NFC-e number is the sale's document, as on a typed-code sale: F7 finds it by it.
    EXPECT_EQ(header.documentNumber, "000045");
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 0);
    ASSERT_TRUE(roadEnd().sold.has_value());
    EXPECT_EQ(roadEnd().sold->letter, "A");
}

TEST_F(QrSaleTest, UnpaidNulCodeDropsTheAttemptAndKeepsThePanelForAnotherScan)
{
    payment.paid = false;

    openAndScan(withPayment("rec$(cdtrec$nul,idtrec$0,vrt$0)"));

    EXPECT_EQ(messages->texts(), QStringList({context().Msg("NReceb_QrCode")}));
    EXPECT_EQ(saves(), 0);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(panelUp());
    EXPECT_TRUE(state().flags.boInicializaAux1);

    payment.paid = true;
    scan(withPayment("rec$(cdtrec$nul,idtrec$0,vrt$0)"));

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento).at(0), 3); // not six
}

TEST_F(QrSaleTest, NfceContingencyCancelsTheStoredSaleAndFreesTheTill)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    ClosingAnswer contingent = saved("0000000042");
    contingent.nfceStatus = "CONTIGENCIA_SP";
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, contingent);

    openAndScan(threeItems);

    EXPECT_FALSE(sold());
    ASSERT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AlteraVendaCan).saleKey, "0000000042");
    EXPECT_FALSE(panelUp());
    EXPECT_FALSE(state().flags.boInicializaAux1);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

} // namespace
