#include "settlefixture.h"

#include <order/ordersending.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <sale/formnames.h>
#include <settlement/personalcreditroad_p.h>

namespace {

using Kind = RoadEnd::Kind;

void receiptTypes(ClientDataSet &types)
{
    types.Close();
    types.FieldDefs().Clear();
    for (const char *name : {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDMOSTRARECE", "CDFPIMPFIS", "DSIMPFISCAL"})
        types.FieldDefs().Add(name, FieldType::String, 40);
    types.CreateDataSet();
    for (const QStringList &row : QList<QStringList>{{"001", "Dinheiro", "1", "S", "01", "DINHEIRO"},
                                                     {"009", "Crédito pessoal", "9", "S", "06", "CREDITO PESSOAL"}}) {
        types.Append();
        for (int i = 0; i < row.size(); ++i)
            types.Fields(i).SetAsString(row[i]);
        types.Post();
    }
}

DataPacket packetOf(const QStringList &columns, const QList<QVariantList> &rows)
{
    ClientDataSet set;
    for (const QString &column : columns)
        set.FieldDefs().Add(column, column.startsWith("VR") ? FieldType::Double : FieldType::String, 20);
    set.CreateDataSet();
    for (const QVariantList &row : rows) {
        set.Append();
        for (int i = 0; i < row.size(); ++i) {
            if (row[i].typeId() == QMetaType::Double)
                set.Fields(i).SetAsFloat(row[i].toDouble());
            else
                set.Fields(i).SetAsString(row[i].toString());
        }
        set.Post();
    }
    return set.Data();
}

// A badge consumer on personal credit: three lines of 48,90, the balance validation and the
// consumer's registration answered here.
class PersonalCreditTest : public SettleTest
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.flags.boCreditoPessoal = true;
        s.consumer.stCDCONSUMIDOR = "000101";
        s.consumer.stNmConsumidor = "JOSÉ";
        s.editParams().stIDIMPCOMPVCP = "S";
        s.editParams().stIDPERCOMVENCPDC = "N";
        receiptTypes(data().cdsConfTipoRece);
        messages->answerAlways(true);
        host->setDefault(&Pkg_Hrk00002::ImpCompVenCredNFCeSAT, HostResult::done());
        host->setDefault(&Pkg_Hrk00001::Imp_CompVenCred, HostResult::done());
        ServerSeams table = ServerSeams::current();
        table.consumers.setValidaSaldoCons = [this](const QString &, const QString &, const QString &, const QString &,
                                                    const QString &, const QString &, const QString &, const QString &,
                                                    const Variant &, const QDateTime &) {
            serverCalls << "setValidaSaldoCons";
            return validation;
        };
        table.consumers.getCadConsumidor = [](const QString &, const QString &, const QString &, const QString &,
                                              const QString &) {
            return Variant(packetOf({"CDCONSUMIDOR", "NMCONSUMIDOR"}, {{"000101", "JOSÉ"}}));
        };
        consumers = std::make_unique<ScopedTable<ServerSeams>>(table);
    }
    void TearDown() override
    {
        consumers.reset();
        SettleTest::TearDown();
    }

    Variant validation = Variant(packetOf({"CDFAMILISALD", "VRSALDCONFAM"}, {}));
    std::unique_ptr<ScopedTable<ServerSeams>> consumers;
};

TEST_F(PersonalCreditTest, WholeCreditSaleBooksOneCreditRowPrintsTheVoucherAndSavesWithoutThePaymentScreen)
{
    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImpCompVenCredNFCeSAT), 1);
    EXPECT_TRUE(serverCalls.contains("setValidaSaldoCons"));
    EXPECT_TRUE(serverCalls.contains("setNrVendaNFisc"));
    ASSERT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 1);
    const QList<const ClientDataSet *> datasets = host->lastDatasets(&Pkg_Hrk00002::SetConcluiFechamento);
    const QList<int> rows = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(datasets.at(1)->Name(), "cdsMovCaixa");
    EXPECT_EQ(rows.at(1), 1);
    EXPECT_EQ(datasets.at(3)->Name(), "cdsFamiliaSaldo");
    EXPECT_EQ(roadEnd().sold->letter, "C");
    EXPECT_EQ(roadEnd().sold->documentNumber, "000123");
    const CreditVoucherRequest voucher = host->last(&Pkg_Hrk00002::ImpCompVenCredNFCeSAT);
    EXPECT_DOUBLE_EQ(voucher.vrMoviVend, 48.90);
    EXPECT_EQ(voucher.dsImpFiscal, "CREDITO PESSOAL");
    EXPECT_EQ(voucher.nmConsumidor, "JOSÉ");
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(PersonalCreditTest, DecliningTheQuestionSettlesNothing)
{
    messages->answerAlways(false);

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_FALSE(serverCalls.contains("setValidaSaldoCons"));
    EXPECT_FALSE(state().flags.boRecebendo);
}

// The base refused the save: nothing was stored, so nothing was posted to the balances; the
// number already taken is recorded as cancelled and the sale stays on the screen.
TEST_F(PersonalCreditTest, SaveRefusedByTheBaseKeepsTheSaleOnScreenWithAClearMessage)
{
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("conexão perdida"));

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_TRUE(shown().contains("Não foi possível gravar a venda")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

// Another till spent the balance first: the base refuses the save with the family's code. No
// voucher tells the consumer the credit was used, and the cashier reads why in words.
TEST_F(PersonalCreditTest, SaveRefusedForTheBalanceIssuesNoVoucherAndSaysTheBalanceIsShort)
{
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("ERRO_2REF - REFEIÇÃO"));

    settle();

    EXPECT_EQ(roadEnd().kind, Kind::Failed);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImpCompVenCredNFCeSAT), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Imp_CompVenCred), 0);
    EXPECT_TRUE(shown().contains(context().Msg("INF_SALDO") + " REF - REFEIÇÃO.")) << shown().toStdString();
    EXPECT_FALSE(data().cdsItems.IsEmpty());
}

TEST_F(PersonalCreditTest, PrinterRefusingTheCloseLeavesTheSaleOnScreenWithoutSaving)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{false, "papel acabou", 0, {}, {}});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Atu_TotGeral), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Imp_CompVenCred), 0);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(PersonalCreditTest, FiscalPrinterCloseMarksTheCouponAndPrintsTheVoucherOnThePrinter)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{true, {}, 0, {}, "RESPOSTA"});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(host->last(&Pkg_Hrk00001::FechaCupom).road, "1");
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Imp_CompVenCred), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).paymentText11, "RESPOSTA");
    EXPECT_EQ(state().till.stCancCupomAux3, "CP");
}

// The coupon was closed but the base refused the save: the coupon is cancelled and the sale
// recorded as cancelled, instead of going on to the tickets as if it were saved.
TEST_F(PersonalCreditTest, SaveRefusedAfterTheFiscalCloseCancelsTheCouponAndRecordsTheSale)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{true, {}, 0, {}, "RESPOSTA"});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
    host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, "000777"});
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave("conexão perdida"));

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(roadEnd().kind, Kind::Reset);
    EXPECT_TRUE(shown().contains("Ocorreu um erro no processo de gravação da venda")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(PersonalCreditTest, ExhaustedColombianRangeStopsBeforeTheVoucherAndTheSave)
{
    state().editParams().stIDPAISINTEGRA = "01";
    colombianNumber = "CUPINV";

    settle();

    EXPECT_FALSE(sold());
    EXPECT_TRUE(shown().contains("Operação Bloqueada")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImpCompVenCredNFCeSAT), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_FALSE(state().flags.boRecebendo);
}

// A failure of the base itself is no balance verdict: one clear message, the base's own text
// in the detail, nothing booked and no offer to complete the sale.
TEST_F(PersonalCreditTest, BaseFailureOfTheBalanceCheckShowsOneClearMessageWithItsTextInTheDetail)
{
    validation = Variant::failure("server closed the connection unexpectedly");

    settle();

    EXPECT_FALSE(sold());
    ASSERT_EQ(messages->count(), 2) << shown().toStdString(); // the question, then the failure
    EXPECT_EQ(messages->calls().at(1).text, context().Msg("FALHA_CONEXAO_SRV"));
    EXPECT_EQ(messages->calls().at(1).detail, "server closed the connection unexpectedly");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(PersonalCreditTest, SilentBalanceServerStopsBeforeAnythingIsBooked)
{
    validation = Variant::failure("FALHA_CONEXAO_SRV");

    settle();

    EXPECT_FALSE(sold());
    EXPECT_TRUE(shown().contains("Não foi possível estabelecer uma conexão com o servidor")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(!data().cdsMovCaixa.Active() || data().cdsMovCaixa.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

// On the badge screens the till opens the next customer's badge sale as it is freed: the
// points of the sale just stored are told before that, never over the next badge dialog.
TEST_F(PersonalCreditTest, PointsAreToldBeforeTheNextCustomersBadgeSaleStarts)
{
    state().editParams().stIdTpTelaVe = "3";
    ClosingAnswer stored = saved("0000000042");
    stored.points = 12;
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, stored);
    QStringList shownWhenTheBadgeDialogOpened;
    bool badgeDialogOpened = false;
    host->handle(&Pkg_Hrk00002::PesqConsumidor, [&](const ConsumerSearchRequest &, ClientDataSet &) {
        badgeDialogOpened = true;
        shownWhenTheBadgeDialogOpened = messages->texts();
        return ConsumerSearchAnswer{};
    });
    if (QAbstractButton *badge = context().button(FormName::spbCartao))
        badge->setEnabled(true);

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_TRUE(badgeDialogOpened);
    EXPECT_EQ(shownWhenTheBadgeDialogOpened.filter("Nesta compra você ganhou 12 pontos!").size(), 1)
        << shownWhenTheBadgeDialogOpened.join(" | ").toStdString();
}

// The kitchen does not wait on the cashier: the production tickets are out, and the sale gone
// from the screen, before the points earned are told.
TEST_F(PersonalCreditTest, PointsAreToldOnceTheTicketsAreOutAndTheTillIsFree)
{
    ClosingAnswer stored = saved("0000000042");
    stored.points = 12;
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, stored);
    QStringList shownWhenTheTicketsWentOut;
    int ticketHandOvers = 0;
    const ScopedTicketStep tickets([&](OrderEntry &, const OrderEntry::TicketContext &) {
        ++ticketHandOvers;
        shownWhenTheTicketsWentOut = messages->texts();
    });

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(ticketHandOvers, 1);
    EXPECT_TRUE(shownWhenTheTicketsWentOut.filter("pontos").isEmpty()) << shownWhenTheTicketsWentOut.join(" | ").toStdString();
    EXPECT_EQ(messages->texts().filter("Nesta compra você ganhou 12 pontos!").size(), 1) << shown().toStdString();
}

// ---- the split by family ----------------------------------------------------------------------

struct SplitCase
{
    const char *name;
    std::function<void(SaleState &)> arrange;
    QList<QVariantList> balances;    // family, balance
    QList<FamilyShare> expected;
};

class FamilySplitTest : public SettlementTest, public ::testing::WithParamInterface<SplitCase>
{
};

// Sale rows: REF 2 x 10,00 and LAN 1 x 8,00 (total 28,00). A broken consumer maximum leaves
// 10,00, a broken store daily maximum 5,00.
TEST_P(FamilySplitTest, EachFamilyGivesTheLeastOfBalanceRowsAndRoomAndTheSumNeverPassesTheSale)
{
    const SplitCase &c = GetParam();
    SaleState &s = state();
    s.figures.boRecebAux1 = true;
    s.figures.limits = {};
    c.arrange(s);
    ClientDataSet rows;
    rows.FieldDefs().Add("CDFAMILISALD", FieldType::String, 10);
    rows.FieldDefs().Add("QTPRODCOMVEN", FieldType::Double);
    rows.FieldDefs().Add("VRPRECCOMVEN", FieldType::Double);
    rows.CreateDataSet();
    for (const auto &[family, quantity, price] : {std::tuple{"REF", 2.0, 10.0}, std::tuple{"LAN", 1.0, 8.0}}) {
        rows.Append();
        rows.FieldByName("CDFAMILISALD").SetAsString(family);
        rows.FieldByName("QTPRODCOMVEN").SetAsFloat(quantity);
        rows.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        rows.Post();
    }
    ClientDataSet balances;
    ASSERT_TRUE(balances.SetData(packetOf({"CDFAMILISALD", "VRSALDCONFAM"}, c.balances)));

    const LimitRooms limits = personalCreditRooms(context());
    ASSERT_TRUE(limits.invalid.isEmpty());
    const QList<FamilyShare> shares = splitByFamily(balances, rows, limits, 28.0);

    ASSERT_EQ(shares.size(), c.expected.size());
    double sum = 0;
    for (qsizetype i = 0; i < shares.size(); ++i) {
        EXPECT_EQ(shares[i].family, c.expected[i].family) << i;
        EXPECT_DOUBLE_EQ(shares[i].amount, c.expected[i].amount) << i;
        sum += shares[i].amount;
    }
    EXPECT_LE(sum, 28.0);
    EXPECT_FALSE(rows.Filtered());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, FamilySplitTest,
    ::testing::Values(
        SplitCase{"AllLimitsHold", [](SaleState &) {}, {{"REF", 100.0}, {"LAN", 5.0}}, {{"REF", 20.0}, {"LAN", 5.0}}},
        // The consumer maximum leaves 10,00 for the whole sale, not 10,00 per family.
        SplitCase{"OneBrokenLimit", [](SaleState &s) { s.figures.limits.breaks(ConsumerLimit::ConsumerMaximum, "VRMAXCREDCONS", 10.0); },
                  {{"REF", 100.0}, {"LAN", 50.0}}, {{"REF", 10.0}}},
        // Two broken limits: the smaller room (5,00 of the store's day) caps, not their sum.
        SplitCase{"TwoBrokenLimits",
                  [](SaleState &s) {
                      s.figures.limits.breaks(ConsumerLimit::ConsumerMaximum, "VRMAXCREDCONS", 10.0);
                      s.figures.limits.breaks(ConsumerLimit::StoreDaily, "VRMAXCONSDIAC", 5.0);
                  },
                  {{"REF", 100.0}, {"LAN", 50.0}}, {{"REF", 5.0}}},
        SplitCase{"FamilyWithoutRows", [](SaleState &) {}, {{"SOB", 100.0}, {"LAN", 50.0}}, {{"LAN", 8.0}}},
        SplitCase{"ZeroBalance", [](SaleState &) {}, {{"REF", 0.0}, {"LAN", -3.0}}, {}}),
    [](const ::testing::TestParamInfo<SplitCase> &info) { return std::string(info.param.name); });

TEST_F(SettlementTest, ALimitThatIsNotANumberIsNamed)
{
    state().figures.limits.breaks(ConsumerLimit::ConsumerMaximum, "VRMAXCREDCONS", 0.0, "setenta");
    state().figures.boRecebAux1 = true;
    EXPECT_EQ(personalCreditRooms(context()).invalid, "VRMAXCREDCONS \"setenta\"");
}

} // namespace

namespace {

// The consumer's maximum credit (10,00) breaks at the first row; the operator completes the
// sale: the balances' part is capped at the room the maximum leaves, booked as one "9" row
// and per family, and the payment screen takes the rest.
class PersonalCreditComplementTest : public PersonalCreditTest
{
protected:
    void SetUp() override
    {
        PersonalCreditTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.editParams().stIDPERCOMVENCPDC = "S";
        s.consumer.stRecebAux6 = "S";
        s.consumer.stRecebAux8 = "10";
        ClientDataSet &items = data().cdsItems;
        for (items.First(); !items.Eof(); items.Next()) {
            items.Edit();
            items.FieldByName("CDFAMILISALD").SetAsString("REF");
            items.Post();
        }
        ServerSeams table = ServerSeams::current();
        table.consumers.getConsSaldFam = [this](const QString &, const QString &, const QString &) {
            serverCalls << "getConsSaldFam";
            return Variant(packetOf({"CDFAMILISALD", "VRSALDCONFAM"}, {{"REF", 100.0}, {"LAN", 100.0}}));
        };
        balances = std::make_unique<ScopedTable<ServerSeams>>(table);
    }
    void TearDown() override
    {
        balances.reset();
        PersonalCreditTest::TearDown();
    }
    std::unique_ptr<ScopedTable<ServerSeams>> balances;
};

TEST_F(PersonalCreditComplementTest, BalancesPayWhatTheBrokenLimitLeavesAndThePaymentScreenTheRest)
{
    int creditRows = 0;
    double creditValue = 0;
    host->handle(&Pkg_Hrk00002::Recebimento, [&](const PaymentRequest &, PaymentDatasets &datasets) {
        ClientDataSet &payments = datasets.cdsMovCaixa;
        for (payments.First(); !payments.Eof(); payments.Next()) {
            ++creditRows;
            creditValue += payments.FieldByName("VRMOVIVEND").AsFloat();
        }
        PaymentAnswer answer;
        answer.paid = true;
        return answer;
    });

    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
    const PaymentRequest request = host->last(&Pkg_Hrk00002::Recebimento);
    EXPECT_EQ(request.roadMarker, "S");
    EXPECT_DOUBLE_EQ(request.amountPaid.toDouble(), 10.0);
    EXPECT_EQ(creditRows, 1);
    EXPECT_DOUBLE_EQ(creditValue, 10.0);
    const QList<const ClientDataSet *> datasets = host->lastDatasets(&Pkg_Hrk00002::SetConcluiFechamento);
    const QList<int> rows = host->lastRowCounts(&Pkg_Hrk00002::SetConcluiFechamento);
    EXPECT_EQ(datasets.at(3)->Name(), "cdsFamSaldoComp");
    EXPECT_EQ(rows.at(3), 1);
    EXPECT_TRUE(serverCalls.contains("setNrVendaNFisc"));
}

TEST_F(PersonalCreditComplementTest, LeavingThePaymentScreenDropsTheBalancePartAndReadsTheBalancesAgain)
{
    payment.paid = false;

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_TRUE(!data().cdsFamSaldoComp.Active() || data().cdsFamSaldoComp.IsEmpty());
    EXPECT_EQ(serverCalls.count("getConsSaldFam"), 2);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
}

// The base refused the complement's save after payment: the sale stays on the screen with its
// whole total, so the next press settles all of it, whether the limit still breaks (credit
// part plus the payment screen's rest) or has been raised meanwhile (all on credit).
struct SecondPressCase
{
    const char *name;
    const char *maximumCredit; // the consumer's maximum at the second press
    double creditRow;          // the "9" row the second save carries
};

class ComplementSaveRefusedTest : public PersonalCreditComplementTest,
                                  public ::testing::WithParamInterface<SecondPressCase>
{
};

TEST_P(ComplementSaveRefusedTest, TheNextPressSettlesTheWholeSaleTotal)
{
    const SecondPressCase &c = GetParam();
    host->handle(&Pkg_Hrk00002::Recebimento, [](const PaymentRequest &request, PaymentDatasets &datasets) {
        ClientDataSet &payments = datasets.cdsMovCaixa;
        payments.Append();
        payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
        payments.FieldByName("VRMOVIVEND").SetAsFloat(Money::RoundDec(48.90 - request.amountPaid.toDouble(), 2));
        payments.Post();
        PaymentAnswer answer;
        answer.paid = true;
        return answer;
    });
    int saves = 0;
    DataPacket savedPayments;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&](const ClosingHeader &, ClosingDatasets &datasets) {
        savedPayments = datasets.cdsMovCaixa.Data();
        return ++saves == 1 ? failedSave("conexão perdida") : saved("0000000042");
    });

    settle();

    ASSERT_EQ(roadEnd().kind, Kind::Failed) << shown().toStdString();
    EXPECT_TRUE(shown().contains("Nada foi lançado")) << shown().toStdString();
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 48.90);

    state().consumer.stRecebAux8 = c.maximumCredit;
    settle();

    ASSERT_TRUE(sold()) << shown().toStdString();
    ASSERT_EQ(saves, 2);
    double credit = 0;
    double all = 0;
    for (int row = 0; row < savedPayments.rows.size(); ++row) {
        const double value = savedPayments.value(row, "VRMOVIVEND").toDouble();
        all += value;
        if (savedPayments.value(row, "CDTIPORECE").toString() == "009")
            credit += value;
    }
    EXPECT_NEAR(credit, c.creditRow, 0.001);
    EXPECT_NEAR(all, 48.90, 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    PersonalCredit, ComplementSaveRefusedTest,
    ::testing::Values(SecondPressCase{"LimitStillBroken", "10", 10.0}, SecondPressCase{"LimitRaised", "100", 48.90}),
    [](const ::testing::TestParamInfo<SecondPressCase> &info) { return std::string(info.param.name); });

// The rest was paid and the sale stored, then the SAT refused its CF-e: the card is undone and
// the stored sale cancelled, and the cashier is told so before the customer leaves.
TEST_F(PersonalCreditComplementTest, SatRefusalAfterTheRestWasPaidTellsTheCashier)
{
    state().editParams().boSISTEMAQUBSAT = true;
    SatAnswer refused;
    refused.answer = NameValueList({"EEEEE=06010", "mensagem=Rejeição: código de ativação inválido"});
    host->script(&Pkg_Hrk00002::SATOnline, refused);

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(roadEnd().kind, Kind::Reset);
    EXPECT_TRUE(messages->texts().contains(context().Msg("VENDA_SAT_CAN"))) << shown().toStdString();
    EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), QList<TefFinishRequest>({TefFinishRequest{false}}));
}

TEST_F(PersonalCreditComplementTest, SilentCentralBaseNamesTheBalanceQuery)
{
    state().editParams().stIDEXTCONSCENTRAL = "S";
    host->setDefault(&Pkg_Hrk00002::ExtratoConsCentral, StatementAnswer{});

    settle();

    EXPECT_FALSE(sold());
    EXPECT_TRUE(messages->texts().contains("Falha de conexão com o banco centralizado. Operação: CONSULTA_SALDO_FAM"))
        << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
}

TEST_F(PersonalCreditComplementTest, AMaximumThatIsNotANumberBooksNothing)
{
    state().consumer.stRecebAux8 = "dez";

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_TRUE(!data().cdsMovCaixa.Active() || data().cdsMovCaixa.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

} // namespace
