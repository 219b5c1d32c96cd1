#include "settlementfixture.h"

#include <sale/serverseams.h>
#include <consumer/consumersale.h>
#include <order/recoveryfiles.h>
#include <runtime/cdsfile.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

namespace {

DataPacket packet(const QList<FieldDef> &fields, const QList<QList<Variant>> &rows)
{
    DataPacket result;
    result.fields = fields;
    result.rows = rows;
    return result;
}

FieldDef text(const char *name)
{
    return FieldDef{QString::fromLatin1(name), FieldType::String, 40};
}

FieldDef number(const char *name)
{
    return FieldDef{QString::fromLatin1(name), FieldType::Double};
}

// A counter till with a sale of two lines on screen, fake host and messages, no server: the
// server tables the end of a settlement reads are scripted and record their calls.
class SettlementEndTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_site.isValid());
        SitePaths::setHome(m_site.path());
        QDir(m_site.path()).mkpath(QStringLiteral("Dados"));
        ServerSeams startup = ServerSeams::current();
        startup.lookupsProducts.setPromoCombAux = [](const QString &, const QString &) { return Variant(); };
        m_startup = std::make_unique<ScopedTable<ServerSeams>>(std::move(startup));
        ServerSeams access = ServerSeams::current();
        access.lookupsTills.getCartaoCHART = [] { return Variant(false); };
        m_access = std::make_unique<ScopedTable<ServerSeams>>(std::move(access));
        ServerSeams consumer = ServerSeams::current();
        consumer.consumers.getCadConsumidor = [this](const QString &, const QString &, const QString &, const QString &,
                                                        const QString &) {
            consumerCalls << QStringLiteral("getCadConsumidor");
            return Variant(packet({text("NMCONSUMIDOR"), text("IDTPVENDACONS")}, {{QStringLiteral("Ana"), saleKind}}));
        };
        consumer.consumers.getConsSaldFam = [this](const QString &, const QString &, const QString &) {
            consumerCalls << QStringLiteral("getConsSaldFam");
            return Variant(balances);
        };
        consumer.consumers.getGastoDia = [this](const Seam::Consumers::DayRequest &request) {
            consumerCalls << QStringLiteral("getGastoDia ") + QString::number(request.cdsFamiliaSaldo.rows.size());
            return Variant(spentToday);
        };
        consumer.consumers.getLimitConsDiario = [this](const Seam::Consumers::DayRequest &) { return Variant(dailyLimit); };
        m_consumer = std::make_unique<ScopedTable<ServerSeams>>(std::move(consumer));
        SettlementTest::SetUp();

        Parameters &p = state().editParams();
        p.stCDFILIAL = "0001";
        p.stCDCAIXA = "001";
        p.stCDEMPRESA = "01";
        p.stNRSERIEIMP = "SIM0000000001";
        p.stDSMODELOECFVE = "MODELO";
        p.stDSMARCAECFVE = "MARCA";
        p.stECFIMP = "ECF01";
        p.stIDESQUEMA = "1";
        p.stDSDIRCAD = "Dados\\";
        p.boDISPLAYOK = true;
        p.stIDUTLINTFACELE = "S";
        state().host.stModoVenda = "B";
        state().host.stCdClienteVenda = "000001";
        state().consumer.stCDCONSUMIDOR = "12345";
        state().rights.stCDOPERADOR = "0007";
        state().rights.stNMOPERADOR = "Maria";
        state().access.stRetAcesso = "SUPERVISOR";
        state().startup.stRecebAux7 = "BAL_QUB";
        state().startup.stRecebAux20 = "E";
        state().startup.dtDATAMOVIMENTO = QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        state().flags.boRecebendo = true;
        state().flags.boCupomAberto = true;
        state().settlement.stRecebAux9 = "000777";
        putSaleOnScreen();
    }
    void TearDown() override
    {
        SettlementTest::TearDown();
        m_consumer.reset();
        m_access.reset();
        m_startup.reset();
        SitePaths::setHome(QString());
    }

    void putSaleOnScreen()
    {
        ClientDataSet &items = data().cdsItems;
        items.CreateDataSet();
        data().cdsItensCancelados.CreateDataSet();
        for (const auto &[seq, product, price] : {std::tuple{"001", "01001", 10.0}, std::tuple{"002", "01002", 5.5}}) {
            items.Append();
            items.FieldByName("NRSEQ").SetAsString(seq);
            items.FieldByName("CDPRODUTO").SetAsString(product);
            items.FieldByName("QTPRODCOMVEN").SetValue(1.0);
            items.FieldByName("VRPRECCOMVEN").SetValue(price);
            items.Post();
        }
        ClientDataSet &rows = data().cdsVenda;
        rows.CreateDataSet();
        for (const auto &[product, family, quantity, price] :
             {std::tuple{"01001", "F1", 2.0, 5.0}, std::tuple{"01002", "F2", 1.0, 5.5}}) {
            rows.Append();
            rows.FieldByName("CDPRODUTO").SetAsString(product);
            rows.FieldByName("CDFAMILISALD").SetAsString(family);
            rows.FieldByName("QTPRODCOMVEN").SetValue(quantity);
            rows.FieldByName("VRPRECCOMVEN").SetValue(price);
            rows.Post();
        }
        data().cdsMovCaixa.CreateDataSet();
        data().cdsMovCaixa.Append();
        data().cdsMovCaixa.FieldByName("CDTIPORECE").SetAsString("001");
        data().cdsMovCaixa.Post();
    }

    void withFiscalPrinter()
    {
        state().editParams().boUTILIZAIMPFIS = true;
        RecoveryFiles::save(data().cdsItems, state().params.stDSDIRCAD, RecoveryFiles::Venda);
        RecoveryFiles::save(data().cdsItems, state().params.stDSDIRCAD, RecoveryFiles::ItensCancelados);
    }
    bool recoveryFilesLeft() const
    {
        return QFile::exists(RecoveryFiles::path("Dados\\", RecoveryFiles::Venda))
            || QFile::exists(RecoveryFiles::path("Dados\\", RecoveryFiles::ItensCancelados));
    }
    QStringList displayTexts() const
    {
        QStringList texts;
        for (const DisplayTextRequest &line : host->requests(&Pkg_Hrk00001::DisplayEnviaTexto))
            texts << line.text;
        return texts;
    }
    // The screen after a reset: a free till, nothing of the sale left.
    void expectFreeTill()
    {
        EXPECT_TRUE(data().cdsItems.IsEmpty());
        EXPECT_TRUE(data().cdsVenda.IsEmpty());
        EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
        EXPECT_FALSE(state().flags.boCupomAberto);
        EXPECT_FALSE(state().flags.boRecebendo);
        EXPECT_TRUE(displayTexts().contains("CAIXA LIVRE"));
        EXPECT_FALSE(recoveryFilesLeft());
    }
    void expectSaleOnScreen()
    {
        EXPECT_EQ(data().cdsItems.RecordCount(), 2);
        EXPECT_TRUE(state().flags.boCupomAberto);
        EXPECT_FALSE(state().flags.boRecebendo);
        EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
        EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), 0);
    }
    void balancePaymentType()
    {
        ASSERT_TRUE(data().cdsConfTipoRece.SetData(
            packet({text("CDTIPORECE"), text("NMTIPORECE"), text("IDTIPORECE"), text("CDFPIMPFIS"), text("IDHABVENDAMAN")},
                   {{"001", "Dinheiro", "1", "01", "N"}, {"009", "Saldo", "9", "06", "N"}})));
    }
    void offerCompletion(const QString &kind)
    {
        state().editParams().stIDPERCOMVENCPDC = "S";
        saleKind = kind;
    }

    QString saleKind = QStringLiteral("3");
    DataPacket balances;
    double spentToday = 0;
    double dailyLimit = 0;
    QStringList consumerCalls;

private:
    QTemporaryDir m_site;
    std::unique_ptr<ScopedTable<ServerSeams>> m_startup;
    std::unique_ptr<ScopedTable<ServerSeams>> m_access;
    std::unique_ptr<ScopedTable<ServerSeams>> m_consumer;
};

// ---- the failure texts ---------------------------------------------------------------------------

struct FailureCase
{
    const char *name;
    QString failure;
    QString operation; // the failed central operation, for "%s"
    QString shown;     // empty: no message
    bool offered;      // the completion offer follows
};

void PrintTo(const FailureCase &row, std::ostream *out)
{
    *out << row.name;
}

const QString dailyLimitText = QStringLiteral("Operação bloqueada. Não pode ser excedido o consumo diário da família");

const FailureCase failureCases[] = {
    {"DailyLimitWithNothingSpent", "ERRO_1 12 - Bebidas@@10==0@@25", "",
     dailyLimitText + "  12 - Bebidas que é de R$ 10,00", true},
    {"DailyLimitWithSpending", "ERRO_1 12 - Bebidas@@10==4@@25", "",
     dailyLimitText + "  12 - Bebidas que é de R$ 10,00. Já foram gastos R$ 4,00 ficando com o limite disponível de R$ 6,00",
     true},
    {"DailyLimitWithDecimalFigures", "ERRO_1 12 - Bebidas@@10,5==4,25@@1", "",
     dailyLimitText + "  12 - Bebidas que é de R$ 10,50. Já foram gastos R$ 4,25 ficando com o limite disponível de R$ 6,25",
     true},
    {"DailyLimitWithUnreadableFigures", "ERRO_1 12 - Bebidas@@dez==0@@25", "", "ERRO_1 12 - Bebidas@@dez==0@@25", true},
    {"NoFamilyWithoutBlankAfterTheCode", "ERRO_212 - Bebidas", "",
     "Produto sem família associada ou saldo insuficiente da família 12 - Bebidas.", true},
    {"RestrictedFamily", "ERRO_3 12 - Bebidas", "",
     "Operação bloqueada. A venda possui restrição para a família  12 - Bebidas.", true},
    {"DailyPerConsumer", "ERRO_4 12 - Bebidas@@10==4@@25", "",
     "Operação bloqueada. O valor de consumo diário por consumidor não pode ser execedido para família  12 - Bebidas.", true},
    {"ConsumerLimit", "ERRO_5 12 - Bebidas@@10==4@@25", "",
     "Operação bloqueada. O valor limite do consumidor não pode ser excedido.  12 - Bebidas.", true},
    {"BalanceErrorShowsNothing", "ERRO_SALDO", "", "", true},
    {"ServerUnreachable", "FALHA_CONEXAO_SRV", "",
     "Atenção! Não foi possível estabelecer uma conexão com o servidor. Tente novamente.", false},
    {"CentralMovement", "MOVICLIECENTRAL_ERRO", "SALDO_EXCEDE",
     "Falha de conexão com o banco centralizado. Operação: SALDO_EXCEDE", false},
    {"CentralStatement", "EXTCONSCENTRAL_ERRO", "CONSULTA_SALDO_FAM",
     "Falha de conexão com o banco centralizado. Operação: CONSULTA_SALDO_FAM", false},
    {"AnyOtherText", "Tabela VENDA bloqueada", "", "Tabela VENDA bloqueada", true},
};

class FailureTexts : public SettlementEndTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FailureTexts, ShowTheirMessageAndLeaveTheSaleWithoutAPrinter)
{
    const FailureCase &row = GetParam();
    state().consumer.stSaldGastAux2 = row.operation;
    failureRecovery().settlementFailed(row.failure);
    if (row.shown.isEmpty()) {
        EXPECT_EQ(messages->count(), 0);
    } else {
        ASSERT_EQ(messages->count(), 1);
        EXPECT_EQ(messages->calls().at(0).text, row.shown);
        EXPECT_EQ(messages->calls().at(0).kind, 3);
        EXPECT_EQ(messages->calls().at(0).defaultAnswer, "N");
    }
    // The offer reads the consumer again; the connection failures end at once.
    EXPECT_EQ(consumerCalls.contains("getCadConsumidor"), row.offered);
    expectSaleOnScreen();
    EXPECT_EQ(data().cdsMovCaixa.RecordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(SettlementEnd, FailureTexts, ::testing::ValuesIn(failureCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- completion offer and coupon cancel ----------------------------------------------------------

struct OfferCase
{
    const char *name;
    const char *permission; // IDPERCOMVENCPDC
    const char *saleKind;   // IDTPVENDACONS
    bool asked;
};

void PrintTo(const OfferCase &row, std::ostream *out)
{
    *out << row.name;
}

class CompletionOffer : public SettlementEndTest, public ::testing::WithParamInterface<OfferCase>
{
};

TEST_P(CompletionOffer, IsAskedOnlyOfConsumersThatMayPayOtherwise)
{
    const OfferCase &row = GetParam();
    state().editParams().stIDPERCOMVENCPDC = row.permission;
    saleKind = QString::fromLatin1(row.saleKind);
    messages->script({false});
    failureRecovery().settlementFailed("ERRO_SALDO");
    const bool asked = messages->count() == 1 && messages->calls().at(0).text == "Deseja completar a venda com outra forma de pagamento?";
    EXPECT_EQ(asked, row.asked);
    if (asked) {
        EXPECT_TRUE(messages->calls().at(0).question);
        EXPECT_EQ(messages->calls().at(0).defaultAnswer, "S");
    }
    // Declined or not offered, without a fiscal printer the sale stays as it was.
    expectSaleOnScreen();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
}

INSTANTIATE_TEST_SUITE_P(SettlementEnd, CompletionOffer,
                         ::testing::Values(OfferCase{"CashConsumer", "S", "3", true}, OfferCase{"UnknownKind", "S", "", true},
                                           OfferCase{"DebitConsumer", "S", "1", false},
                                           OfferCase{"CreditConsumer", "S", "2", false},
                                           OfferCase{"NotPermitted", "N", "3", false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettlementEndTest, DebitConsumerFailureCancelsTheCouponAndRecordsItCancelled)
{
    withFiscalPrinter();
    offerCompletion("1");
    host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, "000123"});
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant(QStringLiteral("0000000001")), {}});
    host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
    const DataPacket rows = data().cdsVenda.Data();
    failureRecovery().settlementFailed("ERRO_212 - Bebidas");

    const CouponCancelRequest cancel = host->last(&Pkg_Hrk00001::Cancela_Cupom_Imp);
    EXPECT_EQ(cancel, (CouponCancelRequest{"1", false, false, false, "0001", "001", "SIM0000000001", {}, 7}));
    ASSERT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    const CancelledSaleRecord record = host->last(&Pkg_Hrk00002::IncluiVendaCan);
    EXPECT_EQ(record.cdsVenda, rows);
    EXPECT_EQ(record.documentNumber, "000777");
    EXPECT_EQ(record.cdCaixa, "001");
    EXPECT_EQ(record.ecfImp, "ECF01");
    EXPECT_EQ(record.stRecebAux7, "BAL_QUB");
    EXPECT_EQ(record.dtDataMovimento, QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    const AccessLogRequest log = host->last(&Pkg_Hrk00002::LogControleAcess);
    EXPECT_EQ(log.action, "CAN_CUP");
    EXPECT_EQ(log.cdOperador, "0007");
    EXPECT_EQ(log.stRetAcesso, "SUPERVISOR");
    EXPECT_EQ(log.description, "Cancelamento de cupom.");
    EXPECT_EQ(log.text, "Cupom cancelado nº: 000123");
    expectFreeTill();
}

TEST_F(SettlementEndTest, CouponThePrinterKeepsLeavesTheSaleOnScreen)
{
    withFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{false, "sem papel", {}});
    failureRecovery().settlementFailed("Tabela VENDA bloqueada");
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_TRUE(recoveryFilesLeft());
}

// ---- payment screen not confirmed ----------------------------------------------------------------

TEST_F(SettlementEndTest, RefusedPaymentWithoutRecordLeavesTheSaleAndCouponUntouched)
{
    withFiscalPrinter();
    settlementEnd().paymentNotConfirmed(false, "000123");
    expectSaleOnScreen();
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_TRUE(state().busy.boProcessando);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::LimpaDisplay), 1);
    EXPECT_TRUE(displayTexts().isEmpty());
    EXPECT_EQ(data().cdsVenda.RecordCount(), 2);
    EXPECT_TRUE(recoveryFilesLeft());
}

TEST_F(SettlementEndTest, RefusedPaymentToRecordIsRecordedCancelledWithTheCouponNumber)
{
    withFiscalPrinter();
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant(QStringLiteral("0000000001")), {}});
    host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
    settlementEnd().paymentNotConfirmed(true, "000123");
    ASSERT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    const CancelledSaleRecord record = host->last(&Pkg_Hrk00002::IncluiVendaCan);
    EXPECT_EQ(record.documentNumber, "000123");
    EXPECT_EQ(record.cdsVenda.rows.size(), 2); // rebuilt from the lines on screen
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).text, "Cupom cancelado nº: 000123");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 0);
    expectFreeTill();
}

TEST_F(SettlementEndTest, RefusedSatPaymentRecordsTheUnsavedSaleInsteadOfChangingAnEmptyKey)
{
    state().editParams().boSISTEMAQUBSAT = true;
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant(QStringLiteral("0000000001")), {}});
    settlementEnd().paymentNotConfirmed(true, "");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 0);
    ASSERT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_TRUE(host->last(&Pkg_Hrk00002::IncluiVendaCan).sistemaQubSat);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_EQ(messages->count(), 0);
    expectFreeTill();
}

TEST_F(SettlementEndTest, RefusedPaymentWithoutPrinterOrSatKeepsTheSale)
{
    settlementEnd().paymentNotConfirmed(true, "000123");
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
}

// ---- silent abort and screen reset ---------------------------------------------------------------

TEST_F(SettlementEndTest, AbortOnlyStopsTheSettlement)
{
    withFiscalPrinter();
    settlementEnd().settlementAborted();
    expectSaleOnScreen();
    EXPECT_EQ(data().cdsMovCaixa.RecordCount(), 1);
    EXPECT_EQ(messages->count(), 0);
    EXPECT_TRUE(recoveryFilesLeft());
    EXPECT_TRUE(host->calls().isEmpty());
}

TEST_F(SettlementEndTest, ResetLeavesAFreeTill)
{
    withFiscalPrinter();
    settlementEnd().resetAfterSettlement();
    expectFreeTill();
    EXPECT_TRUE(data().cdsItensCancelados.IsEmpty());
}

// ---- completion with another payment form --------------------------------------------------------

class Completion : public SettlementEndTest
{
protected:
    void SetUp() override
    {
        SettlementEndTest::SetUp();
        balancePaymentType();
        offerCompletion("3");
        state().editParams().stIDSENHACUP = "D";
        state().settlement.stSenhaPedido = "00042";
        ASSERT_TRUE(data().cdsFamiliaSaldo.SetData(
            packet({text("CDFAMILISALD"), number("VRSALDCONFAM")}, {{"F1", 10.0}, {"F2", 5.5}})));
    }
    void balancesOf(double first, double second)
    {
        balances = packet({text("CDFAMILISALD"), number("VRSALDCONFAM")}, {{"F1", first}, {"F2", second}});
        ASSERT_TRUE(data().cdsConsultaSaldo.SetData(balances));
    }
    // The payment screen refuses, noting the balance rows it was handed.
    void refuseRecordingPayment()
    {
        host->handle(&Pkg_Hrk00002::Recebimento, [this](const PaymentRequest &, PaymentDatasets &datasets) {
            ClientDataSet &rows = datasets.cdsMovCaixa;
            for (rows.First(); !rows.Eof(); rows.Next())
                paymentRows << rows.FieldByName("VRMOVIVEND").AsFloat();
            return PaymentAnswer{};
        });
    }
    QList<double> paymentRows;
    double familyValue(const QString &family)
    {
        ClientDataSet &families = data().cdsFamiliaSaldo;
        return families.Locate("CDFAMILISALD", family) ? families.FieldByName("VRSALDCONFAM").AsFloat() : -1;
    }
};

TEST_F(Completion, WithoutUsableBalanceThePaymentScreenStartsFromZero)
{
    balancesOf(0, -1);
    refuseRecordingPayment();
    failureRecovery().settlementFailed("ERRO_SALDO");
    ASSERT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
    const PaymentRequest request = host->last(&Pkg_Hrk00002::Recebimento);
    EXPECT_EQ(request.amountPaid, Variant(0.0));
    EXPECT_EQ(request.roadMarker, "S");
    EXPECT_EQ(request.stSenhaPedido, "00042");
    EXPECT_TRUE(paymentRows.isEmpty());
}

TEST_F(Completion, BalancesCoverTheirFamiliesUpToTheLimitOfTheDay)
{
    balancesOf(20, 3);
    dailyLimit = 12;
    spentToday = 4; // 8 left today
    refuseRecordingPayment();
    failureRecovery().settlementFailed("ERRO_SALDO");
    // F1: items 10, balance 20, 8 left today -> 8; F2: items 5.5, balance 3 -> 3.
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).amountPaid, Variant(11.0));
    EXPECT_EQ(paymentRows, QList<double>{11.0});
    // Each family's figures are asked with that family's row alone.
    EXPECT_EQ(consumerCalls.filter("getGastoDia"), QStringList({"getGastoDia 1", "getGastoDia 1"}));
}

TEST_F(Completion, FamilyWithoutDailyLimitPaysAtMostItsItems)
{
    balancesOf(50, 0);
    dailyLimit = 0;
    host->setDefault(&Pkg_Hrk00002::Recebimento, PaymentAnswer{});
    failureRecovery().settlementFailed("ERRO_SALDO");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).amountPaid, Variant(10.0));
}

TEST_F(Completion, RefusedCompletionKeepsTheSaleAndCountsItsItemsOnce)
{
    balancesOf(20, 3);
    dailyLimit = 0;
    host->setDefault(&Pkg_Hrk00002::Recebimento, PaymentAnswer{});
    failureRecovery().settlementFailed("ERRO_SALDO");
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_TRUE(data().cdsFamSaldoComp.IsEmpty());
    EXPECT_DOUBLE_EQ(familyValue("F1"), 10.0);
    EXPECT_DOUBLE_EQ(familyValue("F2"), 5.5);
    EXPECT_EQ(data().cdsFamiliaSaldo.RecordCount(), 2);
    EXPECT_TRUE(consumerCalls.contains("getConsSaldFam"));
    EXPECT_TRUE(state().busy.boProcessando);
    EXPECT_TRUE(state().settlement.stSenhaPedido.isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
}

TEST_F(Completion, FailedCentralStatementIsShownAndKeepsTheBalancesLoaded)
{
    balancesOf(20, 3);
    state().editParams().stIDEXTCONSCENTRAL = "S";
    host->setDefault(&Pkg_Hrk00002::Recebimento, PaymentAnswer{});
    host->setDefault(&Pkg_Hrk00002::ExtratoConsCentral, StatementAnswer{});
    failureRecovery().settlementFailed("ERRO_SALDO");
    EXPECT_EQ(messages->texts().last(), "Falha de conexão com o banco centralizado. Operação: CONSULTA_SALDO_FAM");
    EXPECT_EQ(data().cdsConsultaSaldo.RecordCount(), 2);
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
}

TEST_F(Completion, PaidCompletionSavesWithTheBalanceRowAndFreesTheTill)
{
    withFiscalPrinter();
    balancesOf(20, 3);
    dailyLimit = 0;
    PaymentAnswer paid;
    paid.paid = true;
    paid.documentNumber = "000123";
    host->setDefault(&Pkg_Hrk00002::Recebimento, paid);
    ClosingAnswer saved;
    saved.savedSaleKey = QStringLiteral("0000000009");
    int balanceRows = -1;
    double covered = -1;
    host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [&](const ClosingHeader &header, ClosingDatasets &datasets) {
        EXPECT_EQ(header.documentNumber, "000123");
        balanceRows = datasets.familySlot.RecordCount();
        datasets.cdsMovCaixa.First();
        covered = datasets.cdsMovCaixa.FieldByName("VRMOVIVEND").AsFloat();
        EXPECT_EQ(datasets.cdsMovCaixa.FieldByName("CDTIPORECE").AsString(), "009");
        return saved;
    });
    failureRecovery().settlementFailed("ERRO_SALDO");
    ASSERT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 1);
    EXPECT_EQ(balanceRows, 2); // cdsFamSaldoComp: what each family paid
    EXPECT_DOUBLE_EQ(covered, 13.0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    expectFreeTill();
    EXPECT_TRUE(state().settlement.stSenhaPedido.isEmpty());
}

TEST_F(Completion, RefusedSatDocumentCancelsTheStoredSale)
{
    state().editParams().boSISTEMAQUBSAT = true;
    state().editParams().stIDUTLINTFACELE = "S";
    balancesOf(0, 0);
    PaymentAnswer paid;
    paid.paid = true;
    host->setDefault(&Pkg_Hrk00002::Recebimento, paid);
    ClosingAnswer saved;
    saved.savedSaleKey = QStringLiteral("0000000009");
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, saved);
    host->setDefault(&Pkg_Hrk00002::SATOnline, SatAnswer{false, {}, "SAT desligado"});
    host->setDefault(&Pkg_Hrk00002::AlteraVendaCan, CancellationAnswer{Variant(true), {}});
    failureRecovery().settlementFailed("ERRO_SALDO");
    EXPECT_TRUE(messages->texts().contains(
        "Ocorreu um erro na transmissão para o SAT. A venda será cancelada. O recebimento da venda precisa ser realizado novamente."));
    ASSERT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AlteraVendaCan).saleKey, "0000000009");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AlteraVendaCan).kind, "SAT");
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

TEST_F(Completion, FailedSaveUndoesTheCardAndKeepsTheSale)
{
    balancesOf(20, 3);
    PaymentAnswer paid;
    paid.paid = true;
    host->setDefault(&Pkg_Hrk00002::Recebimento, paid);
    ClosingAnswer failed;
    failed.failure = QStringLiteral("Tabela VENDA bloqueada");
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failed);
    failureRecovery().settlementFailed("ERRO_SALDO");
    EXPECT_EQ(messages->texts().last(), "Tabela VENDA bloqueada");
    ASSERT_EQ(host->count(&Pkg_Hrk00001::FinalizaTransTef), 1);
    EXPECT_FALSE(host->last(&Pkg_Hrk00001::FinalizaTransTef).confirm);
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_TRUE(data().cdsMovCaixa.IsEmpty());
    EXPECT_TRUE(data().cdsFamSaldoComp.IsEmpty());
}

// The completion's NFC-e number is filed for voiding like the ordinary sale's, and a save that
// fails records the sale as cancelled under it: a number taken is never lost.
TEST_F(Completion, FailedNfceSaveRecordsItsNumberCancelledAndFilesItForVoiding)
{
    balancesOf(20, 3);
    state().editParams().stIDUTLINTFACELE = "N";
    state().editParams().boSISTEMAQUBNFCE = true;
    state().startup.stRecebAux20 = "N";
    QList<bool> voiding;
    ServerSeams numbers = ServerSeams::current();
    numbers.counters.setNumeroNFCe = [&voiding](const QString &, const QString &, const QString &, const QString &, bool flag) {
        voiding << flag;
        return Variant(QStringLiteral("000045"));
    };
    ScopedTable<ServerSeams> scoped(std::move(numbers));
    host->setDefault(&Pkg_Hrk00002::CalculoIcmsDFederal, TaxEstimateAnswer{true, "1,50", "0,00", "0,75", {}});
    host->setDefault(&Pkg_Hrk00002::getNumeroSerieNFCe, TextAnswer{true, "1", {}});
    host->setDefault(&Pkg_Hrk00002::getDataEmissNFCe, TextAnswer{true, "05/03/2024 14:30:15", {}});
    PaymentAnswer paid;
    paid.paid = true;
    host->setDefault(&Pkg_Hrk00002::Recebimento, paid);
    ClosingAnswer failed;
    failed.failure = QStringLiteral("Tabela VENDA bloqueada");
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failed);
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant("0000000043"), Variant("0000000043")});

    failureRecovery().settlementFailed("ERRO_SALDO");

    EXPECT_EQ(voiding, QList<bool>({true}));
    ASSERT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IncluiVendaCan).documentNumber, "000045");
    EXPECT_FALSE(host->last(&Pkg_Hrk00001::FinalizaTransTef).confirm);
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
}

} // namespace
