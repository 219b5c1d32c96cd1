#include "settlefixture.h"

#include <order/ordersending.h>

#include <runtime/messages.h>

#include <QRegularExpression>

#include <functional>

namespace {

using Kind = RoadEnd::Kind;

const QString cfeXml = "<CFe><infCFe><ide><nserieSAT>900000001</nserieSAT><nCFe>000012</nCFe></ide></infCFe></CFe>";

SatAnswer satAccepted()
{
    SatAnswer answer;
    answer.accepted = true;
    answer.answer = NameValueList({"EEEEE=06000", "chaveConsulta=CFe35240312345678000195590009000000011234567890",
                                   "timeStamp=20240305143015", "valorTotalCFe=48.90", "CPFCNPJValue=",
                                   "assinaturaQRCODE=abc=", "arqxmlnfce=" + cfeXml});
    return answer;
}

// One till kind: how it is set up and what the road must do with it.
struct TillCase
{
    const char *name;
    std::function<void(SettleTest &)> arrange;
    QString numberCall;     // the number service called ("" = none)
    QString documentNumber; // header value 3: the document number in hand
    QString saleNumber;     // header value 12 and the tickets' number
};

class OrdinaryTillTest : public SettleTest, public ::testing::WithParamInterface<TillCase>
{
};

TEST_P(OrdinaryTillTest, PaysNumbersSavesAndHandsTheSaleToTheEnd)
{
    const TillCase &till = GetParam();
    state().settlement.stRecebAux9 = "000099"; // the last settlement's number must not carry over
    till.arrange(*this);

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
    const QStringList numbering = serverCalls.filter(QRegularExpression("^(setNumeroNFCe|setNrVendaNFisc)"));
    EXPECT_EQ(numbering, till.numberCall.isEmpty() ? QStringList() : QStringList({till.numberCall}));

    ASSERT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 1);
    const ClosingHeader header = host->last(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(header.cdFilial, "0001");
    EXPECT_EQ(header.cdCaixa, "003");
    EXPECT_EQ(header.documentNumber, till.documentNumber);
    EXPECT_EQ(header.stRecebAux9, till.saleNumber);
    EXPECT_EQ(header.valueCount, 51);
    const QList<const ClientDataSet *> datasets = host->lastDatasets(&Pkg_Hrk00002::SetConcluiFechamento);
    const QList<int> rows = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    ASSERT_EQ(datasets.size(), 13);
    EXPECT_EQ(datasets.at(0)->Name(), "cdsVenda");
    EXPECT_EQ(rows.at(0), 3);
    EXPECT_EQ(datasets.at(1)->Name(), "cdsMovCaixa");
    EXPECT_EQ(rows.at(1), 1);

    EXPECT_TRUE(serverCalls.contains("setVendaBeneficioBalcao 0000000042"));
    ASSERT_TRUE(roadEnd().sold.has_value());
    EXPECT_EQ(roadEnd().sold->savedSaleKey, "0000000042");
    EXPECT_EQ(roadEnd().sold->letter, "A");
    EXPECT_EQ(roadEnd().sold->documentNumber, till.saleNumber);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_TRUE(state().settlement.stSenhaPedido.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Tills, OrdinaryTillTest,
    ::testing::Values(TillCase{"FiscalPrinter", [](SettleTest &t) { t.useFiscalPrinter(); }, "", "000777", ""},
                      TillCase{"Nfce", [](SettleTest &t) { t.state().editParams().boSISTEMAQUBNFCE = true; }, "setNumeroNFCe 1",
                               "000045", "000045"},
                      TillCase{"Sat",
                               [](SettleTest &t) {
                                   t.state().editParams().boSISTEMAQUBSAT = true;
                                   t.host->script(&Pkg_Hrk00002::SATOnline, satAccepted());
                               },
                               "setNrVendaNFisc", "000777", "000123"},
                      TillCase{"NoFiscalDocument", [](SettleTest &) {}, "setNrVendaNFisc", "000777", "000123"}),
    [](const ::testing::TestParamInfo<TillCase> &info) { return std::string(info.param.name); });

TEST_F(SettleTest, FiscalPrinterTillDrawsThePagerBeforeThePaymentScreen)
{
    useFiscalPrinter();

    settle();

    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).stSenhaPedido, "17");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).documentNumber, "000777");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).stSenhaPedido, "17");
}

TEST_F(SettleTest, NfceTillKeepsTheSeriesDateAndTaxesOfThisSale)
{
    state().editParams().boSISTEMAQUBNFCE = true;

    settle();

    const ClosingHeader header = host->last(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(header.stRecebAux24, "1");
    EXPECT_EQ(header.stRecebAux19, "05/03/2024 14:30:15");
    // 1,50 federal and 0,75 state; the texts themselves went with the finished sale.
    EXPECT_DOUBLE_EQ(header.doVrImpostoAprox, 2.25);
}

TEST_F(SettleTest, SatTillConfirmsTheCardAndStoresTheCfe)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->script(&Pkg_Hrk00002::SATOnline, satAccepted());

    settle();

    ASSERT_TRUE(sold());
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SATOnline).savedSaleKey, "0000000042");
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{true}}));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AtualizaVendaSat).cfeNumber, "000012");
}

TEST_F(SettleTest, ReservedNumberIsUsedOnceAndTheReservationCleared)
{
    state().till.stNrCupomReservado = "000900";

    settle();

    const ClosingHeader header = host->last(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(header.stRecebAux9, "000900");
    EXPECT_EQ(header.documentNumber, "000900");
    EXPECT_TRUE(state().till.stNrCupomReservado.isEmpty());
    EXPECT_TRUE(serverCalls.filter("setNrVendaNFisc").isEmpty());
}

TEST_F(SettleTest, DocumentIssuedForAnEarlierSaleDoesNotSpareThisOneItsNumber)
{
    state().settlement.stConfRecebimento = "S";

    settle();

    EXPECT_EQ(serverCalls.filter("setNrVendaNFisc").size(), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).stRecebAux9, "000123");
}

// A payment screen hands back the mark it was given unless it issued the document itself. One
// left unpaid after marking the document issued does not spare the next press its number.
TEST_F(SettleTest, DocumentIssuedMarkOfAnUnpaidPressDoesNotSpareTheNextPressItsNumber)
{
    QStringList marksGiven;
    host->handle(&Pkg_Hrk00002::Recebimento, [&](const PaymentRequest &request, PaymentDatasets &datasets) {
        marksGiven << request.stConfRecebimento;
        PaymentAnswer answer;
        answer.documentNumber = request.documentNumber;
        if (marksGiven.size() == 1) {
            answer.stConfRecebimento = "S";
            return answer;
        }
        answer.stConfRecebimento = request.stConfRecebimento;
        ClientDataSet &payments = datasets.cdsMovCaixa;
        payments.Close();
        payments.CreateDataSet();
        payments.Append();
        payments.FieldByName("CDCLIENTE").SetAsString("000001");
        payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
        payments.FieldByName("VRMOVIVEND").SetAsFloat(48.90);
        payments.Post();
        answer.paid = true;
        return answer;
    });

    settle();
    ASSERT_FALSE(sold());
    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(marksGiven, QStringList({"", ""}));
    EXPECT_EQ(serverCalls.filter("setNrVendaNFisc").size(), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).stRecebAux9, "000123");
}

TEST_F(SettleTest, PaymentScreenThatIssuedTheDocumentTakesNoNumber)
{
    payment.stConfRecebimento = "S";

    settle();

    EXPECT_TRUE(serverCalls.filter("setNrVendaNFisc").isEmpty());
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).stConfRecebimento, "S");
    EXPECT_TRUE(sold());
}

TEST_F(SettleTest, PaymentScreenLeftTakesNoNumberAndSavesNothing)
{
    payment.paid = false;
    payment.recordAsCancelled = true;
    payment.documentNumber = "000777";

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Unpaid);
    EXPECT_TRUE(roadEnd().recordCancelled);
    EXPECT_EQ(roadEnd().couponNumber, "000777");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(serverCalls.filter(QRegularExpression("setNrVendaNFisc|setNumeroNFCe|setVendaBeneficio")).isEmpty());
    EXPECT_FALSE(sold());
}

TEST_F(SettleTest, UsedUpColombianRangeRefusesBeforeSaving)
{
    state().editParams().stIDPAISINTEGRA = "01";
    state().editParams().stNRCUPINIINTGCOL = "100";
    state().editParams().stNRCUPFININTGCOL = "200";
    colombianNumber = "CUPINV";

    settle();

    EXPECT_TRUE(messages->texts().contains(Lvm_msg::Format(context().Msg("Cup_inv"), {"100", "200"}))) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{false}}));
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(SettleTest, ColombianNumberBecomesTheSaleNumber)
{
    state().editParams().stIDPAISINTEGRA = "01";

    settle();

    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).stRecebAux9, "CO0000101");
    EXPECT_TRUE(sold());
}

// A sale that is not stored keeps nothing paid and reaches no ticket, whatever failed.
struct NotStoredCase
{
    const char *name;
    std::function<void(SettleTest &)> arrange;
    QString recordedNumber; // the number recorded as cancelled
    QString told;           // the message's first sentence: why nothing was stored
};

class NotStoredTest : public SettleTest, public ::testing::WithParamInterface<NotStoredCase>
{
};

TEST_P(NotStoredTest, NothingPaidNoTicketAndAClearMessage)
{
    GetParam().arrange(*this);

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_FALSE(messages->texts().isEmpty());
    EXPECT_TRUE(shown().startsWith(GetParam().told)) << shown().toStdString();
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{false}}));
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
    EXPECT_TRUE(serverCalls.filter("setVendaBeneficioBalcao").isEmpty());
    ASSERT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IncluiVendaCan).documentNumber, GetParam().recordedNumber);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 0);
    EXPECT_FALSE(state().flags.boRecebendo);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, NotStoredTest,
    ::testing::Values(
        NotStoredCase{"NfceRefusedByTheAuthority",
                      [](SettleTest &t) {
                          t.state().editParams().boSISTEMAQUBNFCE = true;
                          ClosingAnswer refused = SettleTest::failedSave("Rejeição 539: duplicidade de NF-e");
                          refused.nfceStatus = "REJEITADA";
                          t.host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, refused);
                      },
                      "000045", "A SEFAZ rejeitou a NFC-e da venda, que não foi gravada."},
        NotStoredCase{"BaseUnreachableAtSave",
                      [](SettleTest &t) {
                          t.host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento,
                                             SettleTest::failedSave("could not connect to server"));
                      },
                      "000123", "Não foi possível gravar a venda no banco de dados."},
        NotStoredCase{"BaseUnreachableAlsoForTheRecord",
                      [](SettleTest &t) {
                          t.host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento,
                                             SettleTest::failedSave("could not connect to server"));
                          t.host->setDefault(&Pkg_Hrk00002::IncluiVendaCan,
                                             CancellationAnswer{Variant::failure("could not connect to server"), {}});
                      },
                      "000123", "Não foi possível gravar a venda no banco de dados."},
        NotStoredCase{"AsynchronousTextWithoutAKey",
                      [](SettleTest &t) {
                          t.host->setDefault(
                              &Pkg_Hrk00002::SetConcluiFechamento,
                              SettleTest::failedSave("A operação não pode ser executada durante uma execução assíncrona"));
                      },
                      "000123", "Não foi possível gravar a venda no banco de dados."}),
    [](const ::testing::TestParamInfo<NotStoredCase> &info) { return std::string(info.param.name); });

TEST_F(SettleTest, AsynchronousTextWithAStoredKeyIsTolerated)
{
    ClosingAnswer answer = failedSave("A operação não pode ser executada durante uma execução assíncrona");
    answer.savedSaleKey = QString("0000000042");
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, answer);

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(roadEnd().sold->savedSaleKey, "0000000042");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
}

// A contingency answer cancels the stored sale: the cashier is told, the card payment undone
// and the sale recorded as cancelled, and no production ticket goes out.
TEST_F(SettleTest, NfceContingencyTellsTheCashierUndoesTheCardAndRecordsTheSaleCancelled)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    ClosingAnswer answer = saved("0000000042");
    answer.nfceStatus = "CONTIGENCIA_SP";
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, answer);
    state().flags.boCupomAberto = true;

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Reset);
    EXPECT_FALSE(sold());
    ASSERT_EQ(messages->calls().size(), 1) << shown().toStdString();
    EXPECT_TRUE(messages->calls().first().text.contains("contingência")) << shown().toStdString();
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{false}}));
    const CancelledStatusChange change = host->last(&Pkg_Hrk00002::AlteraVendaCan);
    EXPECT_EQ(change.saleKey, "0000000042");
    EXPECT_EQ(change.kind, "SAT");
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

// The SAT refuses or does not answer: the stored sale is cancelled with its card payment.
class SatFailureTest : public SettleTest, public ::testing::WithParamInterface<std::pair<const char *, SatAnswer>>
{
};

TEST_P(SatFailureTest, CancelsTheStoredSaleAndUndoesTheCard)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->script(&Pkg_Hrk00002::SATOnline, GetParam().second);

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(roadEnd().kind, Kind::Reset);
    ASSERT_FALSE(messages->calls().isEmpty());
    EXPECT_EQ(messages->calls().first().text, context().Msg("VENDA_SAT_CAN"));
    EXPECT_FALSE(messages->calls().first().detail.isEmpty());
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{false}}));
    EXPECT_TRUE(serverCalls.contains("CancelaPedidoKDS 0000000042"));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AlteraVendaCan).saleKey, "0000000042");
    EXPECT_TRUE(serverCalls.filter("setVendaBeneficioBalcao").isEmpty());
}

SatAnswer satRefused()
{
    SatAnswer answer;
    answer.answer = NameValueList({"EEEEE=06010", "mensagem=Rejeição: código de ativação inválido"});
    return answer;
}

SatAnswer satTimedOut()
{
    SatAnswer answer;
    answer.failure = "Tempo esgotado na comunicação com o SAT";
    return answer;
}

INSTANTIATE_TEST_SUITE_P(Answers, SatFailureTest,
                         ::testing::Values(std::make_pair("Refused", satRefused()),
                                           std::make_pair("TimedOut", satTimedOut())),
                         [](const auto &info) { return std::string(info.param.first); });

TEST_F(SettleTest, FiscalPrinterSaveFailureCancelsTheCouponAndRecordsTheSale)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("disk I/O error"));
    host->script(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, {}});

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Reset);
    EXPECT_TRUE(messages->texts().contains(context().Msg("ERRO_CONCLUI_FECHAMENTO")));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IncluiVendaCan).documentNumber, "000777");
    const AccessLogRequest log = host->last(&Pkg_Hrk00002::LogControleAcess);
    EXPECT_EQ(log.action, "CAN_CUP");
    EXPECT_EQ(log.text, "Cupom cancelado nº: 000777");
    EXPECT_FALSE(sold());
}

TEST_F(SettleTest, FiscalPrinterThatKeepsTheCouponLeavesTheSaleOnScreen)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("disk I/O error"));
    host->script(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{false, "sem papel", {}});

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(SettleTest, PointsEarnedAreShownAfterTheEnd)
{
    ClosingAnswer answer = saved("0000000042");
    answer.points = 15;
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, answer);

    settle();

    EXPECT_TRUE(messages->texts().contains("Nesta compra você ganhou 15 pontos!")) << shown().toStdString();
}

// On the badge screens the till opens the next customer's badge sale as it is freed: the points
// of the sale just stored are told after its production tickets and before that sale opens.
TEST_F(SettleTest, PointsAreToldAfterTheTicketsAndBeforeTheNextCustomersBadgeSale)
{
    state().editParams().stIdTpTelaVe = "3";
    ClosingAnswer answer = saved("0000000042");
    answer.points = 15;
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, answer);
    QStringList shownWhenTheTicketsWentOut;
    const ScopedTicketStep tickets([&](OrderEntry &, const OrderEntry::TicketContext &) {
        shownWhenTheTicketsWentOut = messages->texts();
    });
    QStringList shownWhenTheBadgeDialogOpened;
    host->handle(&Pkg_Hrk00002::PesqConsumidor, [&](const ConsumerSearchRequest &, ClientDataSet &) {
        shownWhenTheBadgeDialogOpened = messages->texts();
        return ConsumerSearchAnswer{};
    });
    if (QAbstractButton *badge = context().button("spbCartao"))
        badge->setEnabled(true);

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::PesqConsumidor), 1);
    EXPECT_TRUE(shownWhenTheTicketsWentOut.filter("pontos").isEmpty()) << shownWhenTheTicketsWentOut.join(" | ").toStdString();
    EXPECT_EQ(shownWhenTheBadgeDialogOpened.filter("Nesta compra você ganhou 15 pontos!").size(), 1)
        << shownWhenTheBadgeDialogOpened.join(" | ").toStdString();
}

TEST_F(SettleTest, BuyerCpfGoesToTheConsumerRegisterButACnpjDoesNot)
{
    state().fiscal.stCpfCnpjNota = "12345678909";
    settle();
    EXPECT_TRUE(serverCalls.contains("setGravaConsumidor 12345678909 2"));

    serverCalls.clear();
    state().fiscal.stCpfCnpjNota = "12345678000195";
    settle();
    EXPECT_TRUE(serverCalls.filter("setGravaConsumidor").isEmpty());
}

TEST_F(SettleTest, ConsumerlessLoyaltySaleOutsideTheCounterIsRefused)
{
    state().host.stModoVenda = "M";
    ServerSeams table = fakeServer();
    table.loyalty.getProdPromoFidelidade = [](const QString &, const QString &) {
        DataPacket packet;
        packet.fields = {FieldDef{"CDPRODUTO", FieldType::String, 20}, FieldDef{"NRSEQPRODCAMP", FieldType::String, 10}};
        packet.rows = {{QString("000101"), QString("7")}};
        return Variant(packet);
    };
    ScopedTable<ServerSeams> loyalty(table);

    settle();

    EXPECT_TRUE(messages->texts().contains(context().Msg("CONS_N_INF")));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(roadEnd().kind, Kind::Refused);
}

} // namespace

namespace {

// ---- values of one document do not reach the next sale ------------------------------------------

TEST_F(SettleTest, SecondSatSalePrintsNoCfeValuesOfTheFirst)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->script(&Pkg_Hrk00002::SATOnline, satAccepted());
    settle();
    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(host->last(&Pkg_Hrk00002::AtualizaVendaSat).cfeNumber, "000012");

    // The second sale's document comes from the payment screen; the till prints its receipt.
    addItem("001", "000101", "PRATO FEITO", "1", 25.90);
    payment.stConfRecebimento = "S";
    settle();

    ASSERT_EQ(host->count(&Pkg_Hrk00002::Imp_Extrato_SAT_Ger), 1);
    const SatReceiptRequest receipt = host->last(&Pkg_Hrk00002::Imp_Extrato_SAT_Ger);
    EXPECT_EQ(receipt.cfeNumber, "");
    EXPECT_EQ(receipt.satSerial, "");
}

TEST_F(SettleTest, NfceSaveAnswerKeepsTheDocumentStatusForTheSale)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    ClosingAnswer answer = saved("0000000042");
    answer.nfceText1 = "35240312345678000195650010000000451000000451";
    answer.nfceText2 = "https://nfce.exemplo/qrcode?p=3524";
    answer.nfceStatus = "AUTORIZADA";
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, answer);
    QStringList seen;
    server->table().loyalty.setVendaBeneficioBalcao = [this, &seen](const QString &, const QString &, const QString &) {
        const SettlementTexts &t = state().settlement;
        seen = {t.stRecebAux17, t.stRecebAux18, t.stRecebAux23};
        return Variant(QString());
    };

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(seen, QStringList({answer.nfceText1, answer.nfceText2, "AUTORIZADA"}));
}

// ---- the pause between the electronic receipt and the card receipt -------------------------------

struct PauseCase
{
    const char *name;
    bool sat;
    bool card;
};

class ReceiptPauseTest : public SettleTest, public ::testing::WithParamInterface<PauseCase>
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        Clock::setSleeper([this](int ms) { sleeps << ms; });
    }
    void TearDown() override
    {
        Clock::setSleeper({});
        SettleTest::TearDown();
    }
    QList<int> sleeps;
};

TEST_P(ReceiptPauseTest, PausesOnlyWhereACardReceiptFollows)
{
    const PauseCase &c = GetParam();
    if (c.sat) {
        state().editParams().boSISTEMAQUBSAT = true;
        state().startup.stInicializaAux1 = "EXTRATO_SAT";
        host->script(&Pkg_Hrk00002::SATOnline, satAccepted());
    } else {
        state().editParams().boSISTEMAQUBNFCE = true;
        state().startup.stInicializaAux1 = "VENDA_NFCe";
    }
    if (c.card) {
        payment.stCompraCredAux2 = "48,90";
        state().editParams().stIDUTILTEF = "T";
    }

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::DisparaImpressaoNaoFiscal), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::ImprimeCupomTef), c.card ? 1 : 0);
    EXPECT_EQ(sleeps, c.card ? QList<int>({1000}) : QList<int>());
}

INSTANTIATE_TEST_SUITE_P(Receipts, ReceiptPauseTest,
                         ::testing::Values(PauseCase{"NfceWithoutCard", false, false}, PauseCase{"NfceWithCard", false, true},
                                           PauseCase{"SatWithoutCard", true, false}, PauseCase{"SatWithCard", true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
