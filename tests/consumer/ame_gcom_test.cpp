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

    void refund() { consumer().EstornoAME("1", "2", "345", opening); }

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

TEST_F(AmeRefundTest, LostAnswerShowsTheErrorAndTheRepeatRefundsNothingMore)
{
    partners.loseAnswerOnce(Partner::Ame, "/refund");
    refund();
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("ERROESTAME")}));
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
    messages->clear();
    refund();
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("REQESTAMEOK")}));
    EXPECT_EQ(partners.applied(Partner::Ame), QStringList({"refund:PAG-1"}));
    EXPECT_EQ(refundBodies().size(), 2);
}

TEST_F(AmeRefundTest, ServerFailureIsShownNotSwallowed)
{
    payments = Variant::failure("conexão perdida");
    refund();
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("ERROESTAME")}));
    EXPECT_TRUE(partners.requests(Partner::Ame).isEmpty());
}

struct PartnerFailure
{
    const char *name;
    Behaviour behaviour;
};

const auto failures = ::testing::Values(PartnerFailure{"Refused", Behaviour::Refuse}, PartnerFailure{"Silent", Behaviour::Silent},
                                        PartnerFailure{"Garbage", Behaviour::Garbage},
                                        PartnerFailure{"Oversized", Behaviour::Oversized},
                                        PartnerFailure{"Unauthorized", Behaviour::Unauthorized},
                                        PartnerFailure{"ServerError", Behaviour::ServerError});
const auto failureName = [](const auto &info) { return std::string(info.param.name); };

class AmeFailureTest : public AmeRefundTest, public ::testing::WithParamInterface<PartnerFailure>
{
};

TEST_P(AmeFailureTest, FailingProviderRefundsNothingAndShowsTheError)
{
    partners.setBehaviour(Partner::Ame, GetParam().behaviour);
    refund();
    EXPECT_TRUE(partners.applied(Partner::Ame).isEmpty());
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("ERROESTAME")}));
    EXPECT_TRUE(allLogs().contains("Erro na requisição"));
    expectNoSecret();
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

    bool cancel() { return consumer().cancelGcomCashback("1", "01", "2", "345"); }

    QString inUse = QStringLiteral("S");
    QList<Variant> sale{"12345678000199", "991", "", "11988887777"};
    std::unique_ptr<ScopedTable<Seam::Partners>> scope;
};

TEST_F(GcomTest, CancellationSendsTheDocumentWithTheBearerTokenOnly)
{
    EXPECT_TRUE(cancel());
    const auto sent = partners.requests(Partner::Gcom);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().body, QByteArray("<root><data><brandId>B1</brandId><cnpj>12345678000199</cnpj>"
                                            "<saleCode>991</saleCode><saleExtCode>null</saleExtCode></data></root>"));
    EXPECT_EQ(sent.first().header("Authorization"), QByteArray("Bearer gcom-token-789"));
    EXPECT_EQ(partners.applied(Partner::Gcom), QStringList({"cancel:12345678000199/991"}));
    EXPECT_EQ(messages->count(), 0);
    expectNoSecret();
}

TEST_F(GcomTest, LostAnswerIsRetriedAndThePlatformCancelsOnce)
{
    partners.loseAnswerOnce(Partner::Gcom, "/cancelBalance");
    EXPECT_TRUE(cancel());
    EXPECT_EQ(partners.requests(Partner::Gcom).size(), 2);
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("FALHA_GCOM")}));
    EXPECT_EQ(partners.applied(Partner::Gcom), QStringList({"cancel:12345678000199/991"}));
}

TEST_F(GcomTest, SaleWithoutPhoneOrStoreWithoutGcomSendsNothing)
{
    sale = {"12345678000199", "991", "", "  "};
    EXPECT_TRUE(cancel());
    inUse = QStringLiteral("N");
    EXPECT_TRUE(cancel());
    EXPECT_TRUE(partners.requests(Partner::Gcom).isEmpty());
}

class GcomFailureTest : public GcomTest, public ::testing::WithParamInterface<PartnerFailure>
{
};

TEST_P(GcomFailureTest, FailingPlatformIsTriedThreeTimesAndTheSaleLeftIsLogged)
{
    partners.setBehaviour(Partner::Gcom, GetParam().behaviour);
    EXPECT_FALSE(cancel());
    EXPECT_GE(partners.requests(Partner::Gcom).size(), 3); // the HTTP stack may send a dropped one again
    EXPECT_TRUE(partners.applied(Partner::Gcom).isEmpty());
    EXPECT_EQ(messages->texts().count(context().Msg("FALHA_GCOM")), 3);
    EXPECT_TRUE(allLogs().contains("Cancelamento de cashback pendente na GCOM. Filial: 1 Caixa: 2 Sequencial Venda: 345"));
    expectNoSecret();
}

INSTANTIATE_TEST_SUITE_P(Platform, GcomFailureTest, failures, failureName);

TEST(GcomDocument, ValuesAreEscapedAndEmptyOnesStayEmpty)
{
    EXPECT_EQ(GcomCancellation::montaXmlCancelBalance("", "A&B", "<1>", "X"),
              QStringLiteral("<root><data><brandId></brandId><cnpj>A&amp;B</cnpj><saleCode>&lt;1&gt;</saleCode>"
                             "<saleExtCode>X</saleExtCode></data></root>"));
}

} // namespace
