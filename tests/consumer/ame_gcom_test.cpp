#include "partnersfixture.h"

#include <consumer/partners_p.h>

#include <sale/saledatasets.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

const QDateTime opening(QDate(2024, 3, 5), QTime(8, 0));

class AmeRefundTest : public PartnersTest
{
protected:
    void SetUp() override
    {
        PartnersTest::SetUp();
        Seam::Partners seams;
        seams.getDadosAme = [this](const QString &) {
            return Variant(packetOf({"DSLOGINAME", "DSSENHAAME", "DSLOGINAMEHOM", "DSSENHAAMEHOM", "IDAMBIENTEAME", "DSURLSERVAME"},
                                    {{"ame-prod", "ame-prod-senha", "ame-hom", "ame-hom-senha", mode,
                                      partners.baseUrl(Partner::Ame)}}));
        };
        seams.getMovCaixaAME = [this](const QString &, const QString &, const QString &, const QDateTime &) {
            return payments;
        };
        scope = std::make_unique<ScopedTable<Seam::Partners>>(seams);
        setPayments({{"PAG-1", "1", 12.5, "CAPT-1"}});
    }

    void setPayments(const QList<QList<Variant>> &rows)
    {
        payments = Variant(packetOf({"IDTRANSAME", "NRSEQUMOVI", "VRMOVIVEND", "IDTRANSAMECAPT"}, rows, {"VRMOVIVEND"}));
    }

    PartnerCall refund() { return consumer().EstornoAME("1", "2", "345", opening); }

    QStringList refundBodies()
    {
        QStringList bodies;
        for (const auto &request : partners.requests(Partner::Ame))
            if (request.path == "/refund")
                bodies.append(QUrl::fromPercentEncoding(request.body));
        return bodies;
    }

    QString mode = QStringLiteral("P");
    Variant payments;
    std::unique_ptr<ScopedTable<Seam::Partners>> scope;
};

TEST_F(AmeRefundTest, EveryWalletPaymentIsRefundedAndOneSuccessIsShown)
{
    setPayments({{"PAG-1", "1", 12.5, "CAPT-1"}, {"PAG-\"2", "2", 2.5, "CAPT-2"}});
    refund();
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1", "refund:PAG-\"2"}));
    EXPECT_EQ(refundBodies(), QStringList({"{\"amount\":1250,\"orderId\":\"CAPT-1\",\"refundId\":\"PAG-1\"}",
                                           "{\"amount\":250,\"orderId\":\"CAPT-2\",\"refundId\":\"PAG-\\\"2\"}"}));
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("REQESTAMEOK")}));
    EXPECT_TRUE(allLogs().contains("Ordem da AME cancelada. Id: PAG-1"));
    expectNoSecret();
}

TEST_F(AmeRefundTest, SaleWithoutWalletPaymentSendsWritesAndShowsNothing)
{
    setPayments({});
    refund();
    EXPECT_TRUE(partners.requests(Partner::Ame).isEmpty());
    EXPECT_EQ(messages->count(), 0);
    EXPECT_TRUE(allLogs().isEmpty());
}

TEST_F(AmeRefundTest, HomologationSendsItsOwnLoginAndTheRawMode)
{
    mode = QStringLiteral("H");
    refund();
    const auto sent = partners.requests(Partner::Ame);
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.first().header("Authorization"), "Basic " + QByteArray("ame-hom:ame-hom-senha").toBase64());
    EXPECT_EQ(sent.first().header("x-api-mode"), QByteArray("H"));
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
}

// The refund went through but its answer was lost: the cashier is told it is kept, not that it
// failed (a manual refund would pay twice), and the kept refund sent again pays nothing more.
TEST_F(AmeRefundTest, LostAnswerIsKeptPendingAndItsRetryRefundsNothingMore)
{
    partners.loseAnswerOnce(Partner::Ame, "/refund");
    const PartnerCall call = refund();
    EXPECT_EQ(call.outcome, PartnerCall::Outcome::Pending);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().startsWith("O estorno AME do pagamento PAG-1 não foi confirmado. A AME "
                                                     "respondeu: sem resposta"))
        << messages->texts().first().toStdString();
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
    EXPECT_EQ(PartnerClients::pendingCalls().size(), 1);

    messages->clear();
    consumer().retryPartnerCalls();
    EXPECT_EQ(messages->texts(), QStringList({"Confirmado agora: estorno AME PAG-1."}));
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
    EXPECT_EQ(refundBodies().size(), 2);
    EXPECT_TRUE(PartnerClients::pendingCalls().isEmpty());
}

TEST_F(AmeRefundTest, ARefundAmeRefusesIsShownWithItsAnswerAndNotKept)
{
    setPayments({{"", "1", 12.5, "CAPT-1"}}); // no refund id: AME answers 400
    const PartnerCall call = refund();
    EXPECT_EQ(call.outcome, PartnerCall::Outcome::Refused);
    EXPECT_EQ(messages->texts(), QStringList({call.text}));
    EXPECT_TRUE(call.text.contains("A AME respondeu: HTTP 400")) << call.text.toStdString();
    EXPECT_TRUE(PartnerClients::pendingCalls().isEmpty());
}

// The cancellation pressed again after AME refused one of the sale's payments sends only the
// refunds not done yet: AME may answer a repeat of one it paid with a refusal.
TEST_F(AmeRefundTest, ARefundDoneIsNotSentAgainWhenTheCancellationIsPressedAgain)
{
    setPayments({{"PAG-1", "1", 12.5, "CAPT-1"}, {"", "2", 2.5, "CAPT-2"}}); // AME answers 400 to the second
    EXPECT_EQ(refund().outcome, PartnerCall::Outcome::Refused);
    EXPECT_EQ(refundBodies().size(), 2);

    setPayments({{"PAG-1", "1", 12.5, "CAPT-1"}, {"PAG-2", "2", 2.5, "CAPT-2"}});
    messages->clear();
    EXPECT_EQ(refund().outcome, PartnerCall::Outcome::Done);
    EXPECT_EQ(refundBodies().size(), 3);
    EXPECT_EQ(refundBodies().last(), "{\"amount\":250,\"orderId\":\"CAPT-2\",\"refundId\":\"PAG-2\"}");
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1", "refund:PAG-2"}));
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("REQESTAMEOK")}));
}

// A silent AME holds the till once: the sale's other refunds are kept without being sent.
TEST_F(AmeRefundTest, ASilentProviderIsWaitedForOnceAndTheOtherRefundsAreKept)
{
    setPayments({{"PAG-1", "1", 12.5, "CAPT-1"}, {"PAG-2", "2", 2.5, "CAPT-2"}, {"PAG-3", "3", 1.0, "CAPT-3"}});
    waits.setBehaviour(partners, Partner::Ame, Behaviour::Silent);
    const PartnerCall call = refund();
    EXPECT_EQ(call.outcome, PartnerCall::Outcome::Pending);
    EXPECT_TRUE(call.unanswered);
    EXPECT_EQ(partners.requests(Partner::Ame).size(), 1);
    EXPECT_EQ(PartnerClients::pendingCalls().size(), 3);
}

TEST_F(AmeRefundTest, ServerFailureIsShownNotSwallowed)
{
    payments = Variant::failure("conexão perdida");
    EXPECT_EQ(refund().outcome, PartnerCall::Outcome::Refused);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().startsWith(context().Msg("ERROESTAME")));
    EXPECT_TRUE(partners.requests(Partner::Ame).isEmpty());
}

struct PartnerFailure
{
    const char *name;
    Behaviour behaviour;
    const char *answered; // what the operator is told the partner answered
};

const auto failures = ::testing::Values(PartnerFailure{"Refused", Behaviour::Refuse, "sem resposta"},
                                        PartnerFailure{"Silent", Behaviour::Silent, "sem resposta"},
                                        PartnerFailure{"Garbage", Behaviour::Garbage, "resposta que não se lê"},
                                        PartnerFailure{"Oversized", Behaviour::Oversized, "sem resposta"},
                                        PartnerFailure{"Unauthorized", Behaviour::Unauthorized, "HTTP 401"},
                                        PartnerFailure{"ServerError", Behaviour::ServerError, "HTTP 500"});
const auto failureName = [](const auto &info) { return std::string(info.param.name); };

class AmeFailureTest : public AmeRefundTest, public ::testing::WithParamInterface<PartnerFailure>
{
};

// No token, no refund sent: the refund is kept and sent once the provider answers.
TEST_P(AmeFailureTest, FailingProviderRefundsNothingSaysWhatItAnsweredAndKeepsTheRefund)
{
    waits.setBehaviour(partners, Partner::Ame, GetParam().behaviour);
    EXPECT_EQ(refund().outcome, PartnerCall::Outcome::Pending);
    EXPECT_TRUE(partners.applied(Partner::Ame).isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QString("A AME respondeu: ") + GetParam().answered))
        << messages->texts().first().toStdString();
    EXPECT_TRUE(allLogs().contains("Erro na requisição"));
    expectNoSecret();

    waits.setBehaviour(partners, Partner::Ame, Behaviour::Answer);
    consumer().retryPartnerCalls();
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
    EXPECT_TRUE(PartnerClients::pendingCalls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Provider, AmeFailureTest, failures, failureName);

// ---- GCOM -------------------------------------------------------------------------------------

class GcomTest : public PartnersTest
{
protected:
    void SetUp() override
    {
        PartnersTest::SetUp();
        Seam::Partners seams;
        seams.getDadosGCOM = [this](const QString &, const QString &) {
            return Variant(packetOf({"IDUTLINTEGCOM", "CDBRANDIDGCOM", "CDURLGCOM", "IDTOKENAPIGCOM"},
                                    {{inUse, "B1", partners.baseUrl(Partner::Gcom), "gcom-token-789"}}));
        };
        seams.getVendaGCOM = [this](const QString &, const QString &, const QString &) {
            return Variant(packetOf({"NRINSJURIEST", "NRNOTAFISCALCE", "NRCOMANDAEXT", "NRTELGCOM"}, {sale}));
        };
        scope = std::make_unique<ScopedTable<Seam::Partners>>(seams);
    }

    PartnerCall::Outcome cancel() { return consumer().cancelGcomCashback("1", "01", "2", "345").outcome; }

    QString inUse = QStringLiteral("S");
    QList<Variant> sale{"12345678000199", "991", "", "11988887777"};
    std::unique_ptr<ScopedTable<Seam::Partners>> scope;
};

TEST_F(GcomTest, CancellationSendsTheDocumentWithTheBearerTokenOnly)
{
    EXPECT_EQ(cancel(), PartnerCall::Outcome::Done);
    const auto sent = partners.requests(Partner::Gcom);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().body, QByteArray("<root><data><brandId>B1</brandId><cnpj>12345678000199</cnpj>"
                                            "<saleCode>991</saleCode><saleExtCode>null</saleExtCode></data></root>"));
    EXPECT_EQ(sent.first().header("Authorization"), QByteArray("Bearer gcom-token-789"));
    EXPECT_EQ(partners.applied(Partner::Gcom), QStringList({"cancel:12345678000199/991"}));
    EXPECT_EQ(messages->count(), 0);
    expectNoSecret();
}

TEST_F(GcomTest, LostAnswerIsKeptAndItsRetryCancelsOnce)
{
    partners.loseAnswerOnce(Partner::Gcom, "/cancelBalance");
    EXPECT_EQ(cancel(), PartnerCall::Outcome::Pending);
    EXPECT_EQ(partners.requests(Partner::Gcom).size(), 1);
    EXPECT_EQ(messages->count(), 1);
    consumer().retryPartnerCalls();
    EXPECT_EQ(partners.requests(Partner::Gcom).size(), 2);
    EXPECT_EQ(partners.applied(Partner::Gcom), QStringList({"cancel:12345678000199/991"}));
    EXPECT_TRUE(PartnerClients::pendingCalls().isEmpty());
}

TEST_F(GcomTest, SaleWithoutPhoneOrStoreWithoutGcomSendsNothing)
{
    sale = {"12345678000199", "991", "", "  "};
    EXPECT_EQ(cancel(), PartnerCall::Outcome::Done);
    inUse = QStringLiteral("N");
    EXPECT_EQ(cancel(), PartnerCall::Outcome::Done);
    EXPECT_TRUE(partners.requests(Partner::Gcom).isEmpty());
}

class GcomFailureTest : public GcomTest, public ::testing::WithParamInterface<PartnerFailure>
{
};

// Asked once, the operator told once what the platform answered; a refused authorisation is
// final, anything else is kept to send again.
TEST_P(GcomFailureTest, FailingPlatformIsAskedOnceAndTheOperatorToldWhatItAnswered)
{
    waits.setBehaviour(partners, Partner::Gcom, GetParam().behaviour);
    const bool final = GetParam().behaviour == Behaviour::Unauthorized;
    EXPECT_EQ(cancel(), final ? PartnerCall::Outcome::Refused : PartnerCall::Outcome::Pending);
    EXPECT_GE(partners.requests(Partner::Gcom).size(), 1);
    EXPECT_LE(partners.requests(Partner::Gcom).size(), 2); // the HTTP stack may send a dropped one again
    EXPECT_TRUE(partners.applied(Partner::Gcom).isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QString("A GCOM respondeu: ") + GetParam().answered))
        << messages->texts().first().toStdString();
    EXPECT_EQ(PartnerClients::pendingCalls().size(), final ? 0 : 1);
    EXPECT_TRUE(allLogs().contains("Cancelamento de cashback pendente na GCOM. Filial: 1 Caixa: 2 Sequencial Venda: 345"));
    expectNoSecret();
}

INSTANTIATE_TEST_SUITE_P(Platform, GcomFailureTest, failures, failureName);

// What the platform answers is logged as readable text: no control or binary byte reaches the
// log, and the token never does.
TEST_F(GcomTest, TheLogCarriesTheAnswerAsReadableTextWithoutTheToken)
{
    waits.setBehaviour(partners, Partner::Gcom, Behaviour::Garbage);
    cancel();
    const QString logs = allLogs();
    ASSERT_TRUE(logs.contains("Response: 200 \\x01<<not an answer>>")) << logs.toStdString();
    for (const QChar c : logs)
        EXPECT_TRUE(c.isPrint() || c == '\r' || c == '\n') << int(c.unicode());
    expectNoSecret();
}

TEST(GcomLog, AnswersAreEscapedCutAndFreeOfSecrets)
{
    EXPECT_EQ(PartnerClients::loggableAnswer(QString::fromUtf8("ok \x01\x1b[2J\t ção \xef\xbf\xbd tok-1"), {"tok-1"}),
              QString::fromUtf8("ok \\x01\\x1b[2J\\x09 ção \\u{fffd} ***"));
    const QString cut = PartnerClients::loggableAnswer(QString(5000, 'x'), {});
    EXPECT_EQ(cut, QString(2000, 'x') + "... (5000 caracteres)");
}

TEST(GcomDocument, ValuesAreEscapedAndEmptyOnesStayEmpty)
{
    EXPECT_EQ(GcomCancellation::montaXmlCancelBalance("", "A&B", "<1>", "X"),
              QStringLiteral("<root><data><brandId></brandId><cnpj>A&amp;B</cnpj><saleCode>&lt;1&gt;</saleCode>"
                             "<saleExtCode>X</saleExtCode></data></root>"));
}

} // namespace
