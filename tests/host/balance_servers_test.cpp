// The consumer balances read from the online statement and the central balance servers: the
// host's routines over real HTTP to the demo's servers, their fault modes, and the badge
// sales of the demo site played with each switch on, sale after sale.
#include "hostprogram.h"

#include <host/partners/balanceservers.h>
#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Behaviour = FakePartners::Behaviour;

struct FaultCase
{
    const char *name;
    Behaviour behaviour;
    bool answered;
};

class StatementServerFaults : public ::testing::TestWithParam<FaultCase>
{
};

// Taking a load needs no base: each fault mode of the server is seen as it is.
TEST_P(StatementServerFaults, OnlyAnAnswerOfTheProtocolCountsAsReached)
{
    FakePartners partners;
    ASSERT_TRUE(partners.start());
    BalanceServers::serve(partners);
    PartnerWaits waits{64 * 1024};
    waits.setBehaviour(partners, FakePartners::Partner::OnlineStatement, GetParam().behaviour);
    ClientDataSet lines;
    OnlineStatementRequest request;
    request.url = partners.baseUrl(FakePartners::Partner::OnlineStatement);
    request.operation = QStringLiteral("CARGA_CRED");

    const StatementAnswer answer = BalanceServers::ExtratoConsOnline(request, lines);

    EXPECT_EQ(answer.answered, GetParam().answered);
    EXPECT_FALSE(partners.requests(FakePartners::Partner::OnlineStatement).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryBehaviour, StatementServerFaults,
    ::testing::Values(FaultCase{"Answer", Behaviour::Answer, true}, FaultCase{"Refuse", Behaviour::Refuse, false},
                      FaultCase{"Silent", Behaviour::Silent, false}, FaultCase{"Garbage", Behaviour::Garbage, false},
                      FaultCase{"Oversized", Behaviour::Oversized, false},
                      FaultCase{"Unauthorized", Behaviour::Unauthorized, false},
                      FaultCase{"ServerError", Behaviour::ServerError, false},
                      FaultCase{"AnswerLost", Behaviour::AnswerLost, false}),
    [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST(StatementServer, AnOperationItDoesNotServeIsNotReached)
{
    FakePartners partners;
    ASSERT_TRUE(partners.start());
    BalanceServers::serve(partners);
    ClientDataSet none;
    OnlineStatementRequest request;
    request.url = partners.baseUrl(FakePartners::Partner::OnlineStatement);
    request.operation = QStringLiteral("CONSULTA_ORDEM_FAMILIA");

    EXPECT_FALSE(BalanceServers::ExtratoConsOnline(request, none).answered);
}

struct RoadCase
{
    const char *name;
    const char *till;
    const char *switchName;
    const char *script;
};

class BalanceServerRoads : public ::testing::TestWithParam<RoadCase>
{
};

// The site's own sales with its balances read from the server, twice in a row: each sale
// leaves a free till and no call goes unanswered.
TEST_P(BalanceServerRoads, BadgeSalesWithTheSwitchOnEndEachSale)
{
    const RoadCase &c = GetParam();
    QTemporaryDir work;
    QString output;
    const QString site = work.filePath(QStringLiteral("site"));
    ASSERT_TRUE(runHost({"--init-site", site, "--till", QString::fromLatin1(c.till)}, work.path(), output))
        << output.toStdString();
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                         QString::fromLatin1(c.switchName), QStringLiteral("S")));
    const QString script = QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(c.script);
    for (int round = 1; round <= 2; ++round) {
        output.clear();
        ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("servidor de saldos"))) << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("serviço não instalado"))) << output.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    DemoSite, BalanceServerRoads,
    ::testing::Values(RoadCase{"OnlineStatementCredit", "ecf", "IDEXTCONSONLINE", "venda-credito.txt"},
                      RoadCase{"CentralCredit", "ecf", "IDEXTCONSCENTRAL", "venda-credito.txt"}),
    [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

} // namespace
