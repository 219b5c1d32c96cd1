// The consumer-debit road of the settle button: the whole sale on the debit, the part the debit
// still covers with the rest paid in cash, and the failures of the close, the number and the save.
#include "settlefixture.h"

#include <settlement/debitroad_p.h>
#include <order/ordersending.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>

#include <cmath>

namespace {

// DebitRooms members in order: floor, maximum debit, store daily, monthly, store monthly,
// basic, extra.
struct PartCase
{
    const char *name;
    DebitRooms rooms;
    double subsidy;
    double expected;
};

TEST(DebitPart, IsTheSmallestRoomOfTheBrokenLimitsWithinZeroAndTheSaleTotal)
{
    const double total = 48.90;
    const PartCase cases[] = {
        {"one broken limit", {std::nullopt, std::nullopt, 20.0}, 0, 20.0},
        {"two broken limits take the smaller room, not their sum", {std::nullopt, 12.5, 20.0}, 0, 12.5},
        {"zero balance leaves nothing on the debit", {std::nullopt, 0.0}, 0, 0.0},
        {"a room above the sale is capped at the total", {std::nullopt, std::nullopt, 100.0}, 0, total},
        {"a negative room counts as none", {-7.0}, 3.0, 3.0},
        {"no broken limit: only the subsidy granted", {}, 2.0, 2.0},
        {"the subsidy does not carry the part over the total", {std::nullopt, std::nullopt, 48.0}, 5.0, total},
    };
    for (const PartCase &c : cases) {
        const double part = debitPart(c.rooms, c.subsidy, total);
        EXPECT_LT(std::abs(part - c.expected), 0.001) << c.name << ": " << part;
        EXPECT_LE(part, total) << c.name;
        EXPECT_GE(part, 0.0) << c.name;
    }
}

struct ClosingCase
{
    const char *closingDay;
    QDate today;
    QDate expected;
    const char *text;
};

TEST(PayrollClosingDate, ComparesTheDayAsANumberAndClampsToTheMonthsLastDay)
{
    const ClosingCase cases[] = {
        {"10", {2027, 3, 10}, {2027, 2, 10}, "10/2/2027"},
        {"10", {2027, 3, 11}, {2027, 3, 10}, "10/03/2027"},
        {"30", {2028, 3, 5}, {2028, 2, 29}, "29/2/2028"},
        {"30", {2027, 3, 5}, {2027, 2, 28}, "28/2/2027"},
        {"05", {2027, 1, 6}, {2027, 1, 5}, "05/01/2027"},
        {"05", {2027, 1, 5}, {2026, 12, 5}, "05/12/2026"},
        {"5", {2027, 1, 6}, {2027, 1, 5}, "05/01/2027"},     // day 5 on the 6th
        {"31", {2027, 5, 15}, {2027, 4, 30}, "30/4/2027"},   // day 31 in April
        {"31", {2027, 4, 20}, {2027, 3, 31}, "31/3/2027"},
        {"30", {2100, 3, 5}, {2100, 2, 28}, "28/2/2100"},    // 2100 is not a leap year
    };
    for (const ClosingCase &c : cases) {
        QString text;
        const std::optional<QDate> date = payrollClosingDate(c.today, QString::fromLatin1(c.closingDay), &text);
        ASSERT_TRUE(date.has_value()) << c.closingDay;
        EXPECT_EQ(*date, c.expected) << c.closingDay << " on " << c.today.toString().toStdString();
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.closingDay;
    }
    for (const char *bad : {"", "abc", "0", "32"})
        EXPECT_FALSE(payrollClosingDate(QDate(2027, 1, 6), QString::fromLatin1(bad)).has_value()) << bad;
}

// The till's receipt types: cash and the consumer-debit type "A".
void receiptTypes(ClientDataSet &types)
{
    types.Close();
    types.FieldDefs().Clear();
    for (const char *name : {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDMOSTRARECE", "CDFPIMPFIS", "DSIMPFISCAL"})
        types.FieldDefs().Add(name, FieldType::String, 40);
    types.CreateDataSet();
    const QList<QStringList> rows{{"001", "Dinheiro", "1", "S", "01", "DINHEIRO"},
                                  {"010", "Débito consumidor", "A", "S", "08", "DEBITO CONSUMIDOR"}};
    for (const QStringList &row : rows) {
        types.Append();
        for (int i = 0; i < row.size(); ++i)
            types.Fields(i).SetAsString(row[i]);
        types.Post();
    }
}

class DebitRoadTest : public SettleTest
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        if (HasFatalFailure())
            return;
        receiptTypes(data().cdsConfTipoRece);
        SaleState &s = state();
        s.flags.boVendaDebito = true;
        s.consumer.stCDCONSUMIDOR = "000101";
        s.consumer.stNmConsumidor = "JOSE";
        s.consumer.stVRMAXDEBCONS = "";
        s.consumer.stVRMESUBCONS = "";
        s.editParams().stIDPERCOMVENCPDC = "N";
        host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [this](const ClosingHeader &, ClosingDatasets &datasets) {
            ++saves;
            savedPayments = datasets.cdsMovCaixa.Data();
            return saveAnswer;
        });
        saveAnswer = saved("0000000042");
    }

    // Sum of the saved payments and the debit rows among them.
    double savedSum() const
    {
        double sum = 0;
        for (int row = 0; row < savedPayments.rows.size(); ++row)
            sum += savedPayments.value(row, "VRMOVIVEND").toDouble();
        return sum;
    }
    double savedDebit() const
    {
        double sum = 0;
        for (int row = 0; row < savedPayments.rows.size(); ++row)
            if (savedPayments.value(row, "IDTIPOMOVIVE").toString() == QLatin1String("T"))
                sum += savedPayments.value(row, "VRMOVIVEND").toDouble();
        return sum;
    }

    // The payment screen takes in cash what the debit leaves of the 48,90 sale; the part it was
    // shown (the debit's) goes to shownPart.
    void payRestInCash()
    {
        host->handle(&Pkg_Hrk00002::Recebimento, [this](const PaymentRequest &request, PaymentDatasets &datasets) {
            shownPart = request.amountPaid.toDouble();
            ClientDataSet &payments = datasets.cdsMovCaixa;
            payments.Append();
            payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
            payments.FieldByName("VRMOVIVEND").SetAsFloat(48.90 - shownPart);
            payments.Post();
            PaymentAnswer answer;
            answer.paid = true;
            return answer;
        });
    }

    int saves = 0;
    DataPacket savedPayments;
    ClosingAnswer saveAnswer;
    double shownPart = -1;
};

TEST_F(DebitRoadTest, WholeSaleOnTheDebitSavesOneDebitRowWithoutThePaymentScreen)
{
    settle();
    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(saves, 1);
    ASSERT_EQ(savedPayments.rows.size(), 1);
    EXPECT_NEAR(savedDebit(), 48.90, 0.001);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(serverCalls.count("setNrVendaNFisc"), 1);
    EXPECT_EQ(state().till.stCancCupomAux3, "DB");
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

// The points earned are told once the production tickets are out and the till is free, never
// holding the kitchen up behind the cashier's OK.
TEST_F(DebitRoadTest, PointsAreToldOnceTheTicketsAreOut)
{
    saveAnswer.points = 8;
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
    EXPECT_EQ(messages->texts().filter("Nesta compra você ganhou 8 pontos!").size(), 1) << shown().toStdString();
}

TEST_F(DebitRoadTest, BaseDownAtTheSaveKeepsTheSaleOnScreenAndRecordsItsNumberCancelled)
{
    saveAnswer = failedSave("conexão perdida");
    settle();
    EXPECT_FALSE(sold());
    EXPECT_EQ(roadEnd().kind, RoadEnd::Kind::Failed);
    EXPECT_TRUE(shown().contains("Nada foi debitado")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);

    // Settled again once the base is back: stored once, debited once.
    saveAnswer = saved("0000000044");
    settle();
    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(saves, 2);
    EXPECT_NEAR(savedDebit(), 48.90, 0.001);
}

TEST_F(DebitRoadTest, PrinterRefusingTheCloseSavesNothingAndKeepsTheSale)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{false, "sem papel", 0, {}, {}});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
    settle();
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(roadEnd().kind, RoadEnd::Kind::Failed);
    EXPECT_TRUE(shown().contains("não fechou o cupom")) << shown().toStdString();
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

// The whole debit's coupon is closed and the save fails. A debit receipt printed after the
// coupon leaves it standing: the sale is recorded cancelled and the cashier keeps the coupon.
// Without a receipt after it the printer cancels the coupon and the sale is recorded
// cancelled; a printer that does not cancel keeps the sale on the screen.
struct CouponCase
{
    const char *name;
    int model;
    const char *printsReceipt; // IDIMPVENDCON
    bool printerCancels;
    bool couponCancelled;      // Cancela_Cupom_Imp was asked
    RoadEnd::Kind end;
    const char *shownText;
};

class DebitSaveFailureAfterTheCouponTest : public DebitRoadTest, public ::testing::WithParamInterface<CouponCase>
{
};

TEST_P(DebitSaveFailureAfterTheCouponTest, TheCouponIsCancelledUnlessAReceiptFollowedIt)
{
    const CouponCase &c = GetParam();
    useFiscalPrinter();
    SaleState &s = state();
    s.editParams().inIDTIPOIMPFIS = c.model;
    s.editParams().stIDIMPVENDCON = c.printsReceipt;
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{true, {}, 0, "0", "000778"});
    host->setDefault(&Pkg_Hrk00001::ImpressaoVenda, TextAnswer{true, "000779", {}});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
    host->setDefault(&Pkg_Hrk00001::Comp_DebitoCons, HostResult::done());
    CouponCancelAnswer cancel;
    cancel.ok = c.printerCancels;
    cancel.failure = c.printerCancels ? QString() : QStringLiteral("cupom não encontrado");
    host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, cancel);
    ServerSeams table = ServerSeams::current();
    table.consumers.getCadConsumidor = [](const QString &, const QString &, const QString &, const QString &,
                                          const QString &) {
        ClientDataSet consumer(QStringLiteral("consumer"));
        consumer.FieldDefs().Add("CDCONSUMIDOR", FieldType::String, 10);
        consumer.FieldDefs().Add("NMCONSUMIDOR", FieldType::String, 40);
        consumer.CreateDataSet();
        consumer.Append();
        consumer.FieldByName("CDCONSUMIDOR").SetAsString("000101");
        consumer.FieldByName("NMCONSUMIDOR").SetAsString("JOSE");
        consumer.Post();
        return Variant(consumer.Data());
    };
    ScopedTable<ServerSeams> registration(table);
    saveAnswer = failedSave("conexão perdida");

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(roadEnd().kind, c.end) << shown().toStdString();
    EXPECT_TRUE(shown().contains(QString::fromUtf8(c.shownText))) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), c.couponCancelled ? 1 : 0);
    const bool recorded = c.end == RoadEnd::Kind::Reset;
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), recorded ? 1 : 0);
    EXPECT_EQ(data().cdsItems.IsEmpty(), recorded);
    EXPECT_FALSE(state().flags.boRecebendo);
}

INSTANTIATE_TEST_SUITE_P(
    DebitRoad, DebitSaveFailureAfterTheCouponTest,
    ::testing::Values(
        CouponCase{"ReceiptAfterTheCouponKeepsIt", 1, "S", true, false, RoadEnd::Kind::Reset, "não poderá ser cancelado"},
        CouponCase{"NoReceiptAskedCancelsTheCoupon", 1, "N", true, true, RoadEnd::Kind::Reset, "O cupom será cancelado"},
        CouponCase{"Model16PrintsNoReceiptAndCancels", 16, "S", true, true, RoadEnd::Kind::Reset,
                   "O cupom será cancelado"},
        CouponCase{"Model21PrintsTheReceiptAndKeeps", 21, "S", true, false, RoadEnd::Kind::Reset,
                   "não poderá ser cancelado"},
        CouponCase{"PrinterNotCancellingKeepsTheSale", 1, "N", false, true, RoadEnd::Kind::Failed,
                   "não pôde ser cancelado"}),
    [](const ::testing::TestParamInfo<CouponCase> &info) { return std::string(info.param.name); });

TEST_F(DebitRoadTest, ExhaustedColombianRangeStopsBeforeTheSave)
{
    state().editParams().stIDPAISINTEGRA = "01";
    colombianNumber = "CUPINV";
    settle();
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(roadEnd().kind, RoadEnd::Kind::Refused);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(DebitRoadTest, LimitThatIsNotANumberIsRefusedWithAClearMessageAndNothingBooked)
{
    state().consumer.stVRMAXDEBCONS = "cinquenta";
    settle();
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(shown().contains("\"cinquenta\" não é um valor válido") || shown().contains("(\"cinquenta\")"))
        << shown().toStdString();
    EXPECT_EQ(serverCalls.count("setNrVendaNFisc"), 0);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
}

// The store's daily maximum of 20,00 is broken by the 48,90 sale: 20,00 go on the debit, the
// payment screen is shown the debit part and takes the rest in cash, and the two add up to the
// sale, once.
TEST_F(DebitRoadTest, DebitComplementWithCashAddsUpToTheSaleTotal)
{
    SaleState &s = state();
    s.editParams().stIDPERCOMVENCPDC = "S";
    s.consumer.stRecebAux6 = "S";
    ServerSeams table = ServerSeams::current();
    table.consumers.getTipoConsLoja = [](const QString &, const QString &, const QString &, const QString &) {
        ClientDataSet limits(QStringLiteral("limits"));
        limits.FieldDefs().Add("VRMAXCONSDIAD", FieldType::Double);
        limits.CreateDataSet();
        limits.Append();
        limits.FieldByName("VRMAXCONSDIAD").SetAsFloat(20.0);
        limits.Post();
        return Variant(limits.Data());
    };
    ScopedTable<ServerSeams> limits(table);
    messages->script({true}); // "Comp_Venda": complete with another payment
    payRestInCash();
    settle();
    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_NEAR(shownPart, 20.0, 0.001);
    EXPECT_NEAR(savedDebit(), 20.0, 0.001);
    EXPECT_NEAR(savedSum(), 48.90, 0.001);
    EXPECT_EQ(serverCalls.count("setNrVendaNFisc"), 1); // one number, before the payment screen
}

// The balance is what the consumer has after the last movement, owed below zero, and the floor
// says how far below zero it may go. A consumer who already owes part of the month and breaks
// the maximum debit is still debited the room under the maximum, above the floor.
TEST_F(DebitRoadTest, AConsumerWhoOwesIsDebitedTheRoomLeftUnderTheMaximum)
{
    SaleState &s = state();
    s.editParams().stIDPERCOMVENCPDC = "S";
    s.consumer.stRecebAux6 = "S";
    s.consumer.stVRMAXDEBCONS = "50";
    s.consumer.stVRMESUBCONS = "-100";
    s.figures.doGastoCons = 40.0;
    s.figures.doSaldoCons = -20.0;
    messages->script({true}); // "Comp_Venda": complete with another payment
    payRestInCash();
    settle();
    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_NEAR(shownPart, 10.0, 0.001);
    EXPECT_NEAR(savedDebit(), 10.0, 0.001);
    EXPECT_NEAR(savedSum(), 48.90, 0.001);
}

// The debit receipt prints the consumer's monthly subsidy (VRMESUBCONS); the floor the checks
// use (VRLIMDEBCONS) is not replaced by it, also when the close fails and the sale stays on
// the screen to be settled again.
TEST_F(DebitRoadTest, TheReceiptsMonthlySubsidyNeverReplacesTheBalanceFloor)
{
    useFiscalPrinter();
    SaleState &s = state();
    s.consumer.stVRMESUBCONS = "-100";
    ServerSeams table = ServerSeams::current();
    table.consumers.getLimiteCons = [](const QString &, const QString &) {
        DataPacket limits;
        limits.fields = {FieldDef{"VRMAXDEBCONS", FieldType::Double, 0}, FieldDef{"VRMESUBCONS", FieldType::Double, 0}};
        limits.rows.append({200.0, 30.0});
        return Variant(limits);
    };
    ScopedTable<ServerSeams> limits(table);
    host->setDefault(&Pkg_Hrk00001::FechaCupom, FiscalCloseAnswer{false, "sem papel", 0, {}, {}});
    host->setDefault(&Pkg_Hrk00001::Atu_TotGeral, HostResult::done());
    settle();
    EXPECT_FALSE(sold());
    ASSERT_EQ(host->count(&Pkg_Hrk00001::FechaCupom), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00001::FechaCupom).stVrMeSubCons, "30");
    EXPECT_EQ(state().consumer.stVRMESUBCONS, "-100");
}

// The complement was paid and the save failed. Without a fiscal printer nothing was debited
// and the sale stays on the screen: settled again, it is stored once with the debit once. With
// a fiscal printer the coupon is cancelled and the sale recorded cancelled.
struct ComplementFailureCase
{
    const char *name;
    bool fiscalPrinter;
    RoadEnd::Kind end;
    const char *shownText;
};

class DebitComplementSaveFailureTest : public DebitRoadTest,
                                       public ::testing::WithParamInterface<ComplementFailureCase>
{
};

TEST_P(DebitComplementSaveFailureTest, NothingIsDebitedTwice)
{
    const ComplementFailureCase &c = GetParam();
    SaleState &s = state();
    s.editParams().stIDPERCOMVENCPDC = "S";
    s.consumer.stRecebAux6 = "S";
    if (c.fiscalPrinter) {
        useFiscalPrinter();
        CouponCancelAnswer cancelled;
        cancelled.ok = true;
        host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, cancelled);
    }
    ServerSeams table = ServerSeams::current();
    table.consumers.getTipoConsLoja = [](const QString &, const QString &, const QString &, const QString &) {
        ClientDataSet limits(QStringLiteral("limits"));
        limits.FieldDefs().Add("VRMAXCONSDIAD", FieldType::Double);
        limits.CreateDataSet();
        limits.Append();
        limits.FieldByName("VRMAXCONSDIAD").SetAsFloat(20.0);
        limits.Post();
        return Variant(limits.Data());
    };
    ScopedTable<ServerSeams> limits(table);
    messages->answerAlways(true); // "Comp_Venda": complete with another payment
    host->handle(&Pkg_Hrk00002::Recebimento, [](const PaymentRequest &request, PaymentDatasets &datasets) {
        ClientDataSet &payments = datasets.cdsMovCaixa;
        payments.Append();
        payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
        payments.FieldByName("VRMOVIVEND").SetAsFloat(48.90 - request.amountPaid.toDouble());
        payments.Post();
        PaymentAnswer answer;
        answer.paid = true;
        return answer;
    });
    saveAnswer = failedSave("conexão perdida");

    settle();

    EXPECT_FALSE(sold());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(roadEnd().kind, c.end) << shown().toStdString();
    EXPECT_TRUE(shown().contains(QString::fromUtf8(c.shownText))) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1); // the number or the coupon, recorded cancelled
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), c.fiscalPrinter ? 1 : 0);
    EXPECT_FALSE(state().flags.boRecebendo);
    if (c.end != RoadEnd::Kind::Failed) {
        EXPECT_TRUE(data().cdsItems.IsEmpty());
        return;
    }
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(!data().cdsMovCaixa.Active() || data().cdsMovCaixa.IsEmpty());

    saveAnswer = saved("0000000044");
    settle();

    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_EQ(saves, 2);
    EXPECT_NEAR(savedDebit(), 20.0, 0.001);
    EXPECT_NEAR(savedSum(), 48.90, 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    DebitRoad, DebitComplementSaveFailureTest,
    ::testing::Values(ComplementFailureCase{"WithoutAPrinterTheSaleStays", false, RoadEnd::Kind::Failed, "Nada foi debitado"},
                      ComplementFailureCase{"WithAPrinterTheCouponIsCancelled", true, RoadEnd::Kind::Reset,
                                            "O cupom será cancelado"}),
    [](const ::testing::TestParamInfo<ComplementFailureCase> &info) { return std::string(info.param.name); });

// The payment screen gave the printer's coupon up and asked for it to be recorded cancelled:
// the record is written as on every other road, and that sale leaves the screen without its
// balances being read again for a consumer who is gone.
TEST_F(DebitRoadTest, AComplementCouponThePaymentScreenGaveUpIsRecordedCancelled)
{
    SaleState &s = state();
    s.editParams().stIDPERCOMVENCPDC = "S";
    s.consumer.stRecebAux6 = "S";
    useFiscalPrinter();
    int balanceQueries = 0;
    ServerSeams table = ServerSeams::current();
    table.consumers.getTipoConsLoja = [](const QString &, const QString &, const QString &, const QString &) {
        ClientDataSet limits(QStringLiteral("limits"));
        limits.FieldDefs().Add("VRMAXCONSDIAD", FieldType::Double);
        limits.CreateDataSet();
        limits.Append();
        limits.FieldByName("VRMAXCONSDIAD").SetAsFloat(20.0);
        limits.Post();
        return Variant(limits.Data());
    };
    table.consumers.getConsSaldFam = [&balanceQueries](const QString &, const QString &, const QString &) {
        ++balanceQueries;
        return Variant(DataPacket{});
    };
    ScopedTable<ServerSeams> limits(table);
    messages->answerAlways(true); // "Comp_Venda": complete with another payment
    host->handle(&Pkg_Hrk00002::Recebimento, [](const PaymentRequest &, PaymentDatasets &) {
        PaymentAnswer answer;
        answer.recordAsCancelled = true;
        answer.documentNumber = QStringLiteral("000777");
        return answer;
    });

    settle();

    EXPECT_EQ(saves, 0);
    EXPECT_EQ(roadEnd().kind, RoadEnd::Kind::Unpaid);
    EXPECT_TRUE(roadEnd().recordCancelled);
    EXPECT_EQ(roadEnd().couponNumber, "000777");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_EQ(balanceQueries, 0);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(DebitRoadTest, LeavingThePaymentScreenOfAComplementKeepsTheSaleAndSavesNothing)
{
    SaleState &s = state();
    s.editParams().stIDPERCOMVENCPDC = "S";
    s.consumer.stRecebAux6 = "S";
    ServerSeams table = ServerSeams::current();
    table.consumers.getTipoConsLoja = [](const QString &, const QString &, const QString &, const QString &) {
        return Variant::failure(QStringLiteral("limites indisponíveis"));
    };
    table.consumers.getConsSaldFam = [](const QString &, const QString &, const QString &) {
        return Variant(DataPacket{});
    };
    ScopedTable<ServerSeams> limits(table);
    messages->script({true});
    host->handle(&Pkg_Hrk00002::Recebimento, [](const PaymentRequest &, PaymentDatasets &) { return PaymentAnswer{}; });
    settle();
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(roadEnd().kind, RoadEnd::Kind::Unpaid);
    EXPECT_FALSE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(!data().cdsMovCaixa.Active() || data().cdsMovCaixa.IsEmpty());
    EXPECT_FALSE(state().flags.boRecebendo);
}

} // namespace
