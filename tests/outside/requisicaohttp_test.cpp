#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <outside/qub_requisicaohttp.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace Qub_requisicaohttp;
using Behaviour = FakePartners::Behaviour;
using Partner = FakePartners::Partner;

namespace {

class RequisicaoHttpTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(partners.start()); }

    // A token request the AME stand-in accepts.
    HttpAnswer askToken()
    {
        const QString header = QStringLiteral("Authorization:Basic %1;Content-Type:application/json;x-api-mode:P;")
                                   .arg(encodeBase64(QStringLiteral("ame-prod:ame-prod-senha")));
        return send(partners.baseUrl(Partner::Ame) + QStringLiteral("/auth/oauth/token"), QStringLiteral("URLENCODED"),
                    QStringLiteral("POST"), header, QString(), QStringLiteral("10"));
    }

    PartnerWaits waits{64 * 1024};
    FakePartners partners;
};

TEST_F(RequisicaoHttpTest, AnsweredRequestGivesStatusAndBodyAndSendsTheHeaderPairs)
{
    const HttpAnswer answer = askToken();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(answer.text.toUtf8()).object().value("access_token").toString(),
              QStringLiteral("ame-token-123"));
    const auto sent = partners.requests(Partner::Ame);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().header("x-api-mode"), QByteArray("P"));
    EXPECT_EQ(sent.first().header("Content-Type"), QByteArray("application/json"));
}

struct FailureCase
{
    const char *name;
    Behaviour behaviour;
    int status;
};

class RequisicaoHttpFailureTest : public RequisicaoHttpTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(RequisicaoHttpFailureTest, PartnerFailureGivesItsStatusWithAText)
{
    waits.setBehaviour(partners, Partner::Ame, GetParam().behaviour);
    const HttpAnswer answer = askToken();
    EXPECT_EQ(answer.status, GetParam().status);
    EXPECT_FALSE(answer.text.isEmpty());
    EXPECT_FALSE(answer.ok());
}

INSTANTIATE_TEST_SUITE_P(Partner, RequisicaoHttpFailureTest,
                         ::testing::Values(FailureCase{"Refused", Behaviour::Refuse, NotCompleted},
                                           FailureCase{"Silent", Behaviour::Silent, NotCompleted},
                                           FailureCase{"Oversized", Behaviour::Oversized, NotCompleted},
                                           FailureCase{"Unauthorized", Behaviour::Unauthorized, 401},
                                           FailureCase{"ServerError", Behaviour::ServerError, 500},
                                           FailureCase{"AnswerLost", Behaviour::AnswerLost, NotCompleted}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RequisicaoHttpTest, ClosedPortAndBadAddressAreNotCompleted)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    EXPECT_EQ(send(QStringLiteral("http://127.0.0.1:%1/x").arg(port), "JSON", "POST", QString(), "{}", "1").status,
              NotCompleted);
    EXPECT_EQ(send(QStringLiteral("sem endereço"), "JSON", "POST", QString(), "{}", "1").status, NotCompleted);
}

TEST_F(RequisicaoHttpTest, SecureCallCarriesTheRealStatusInItsMarker)
{
    waits.setBehaviour(partners, Partner::Gcom, Behaviour::ServerError);
    const QString text = RequisicaoHTTPS(partners.baseUrl(Partner::Gcom) + "/cancelBalance", "<root/>", "POST",
                                         "Bearer x", "15", QString(), "xml");
    EXPECT_TRUE(text.startsWith(QStringLiteral("{\"response_code\":500}"))) << text.toStdString();
}

TEST(RequisicaoHttpEncodings, JsonKeepsOrderAndEscapesValues)
{
    EXPECT_EQ(retornaJSON({"grant_type=client_credentials", "client_id=a\"b", "x=1=2"}),
              QStringLiteral("{\"grant_type\":\"client_credentials\",\"client_id\":\"a\\\"b\",\"x\":\"1=2\"}"));
    EXPECT_EQ(URLEncode(QStringLiteral("{\"a\":1} ç")), QStringLiteral("%7B%22a%22%3A1%7D%20%C3%A7"));
    EXPECT_EQ(encodeBase64(QStringLiteral("user:pass")), QStringLiteral("dXNlcjpwYXNz"));
}

TEST(RequisicaoHttpEncodings, RedactedHeaderHidesEverySecretValue)
{
    EXPECT_EQ(redactedHeader(QStringLiteral("Authorization:Basic abc;x-api-mode:P;token:t1;client_secret:s;")),
              QStringLiteral("Authorization:***;x-api-mode:P;token:***;client_secret:***;"));
}

} // namespace
