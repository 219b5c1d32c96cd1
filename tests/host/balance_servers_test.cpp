// The consumer balances read from the online statement and the central balance servers: the
// host's routines over real HTTP to the demo's servers and their fault modes. The demo site's
// sales with each switch on are played by service_roads_test.cpp.
#include <host/partners/balanceservers.h>
#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>

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

} // namespace
