#include <host/partners/cancelhooks.h>
#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <outside/qub_requisicaohttp.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Behaviour = FakePartners::Behaviour;
using Partner = FakePartners::Partner;

// One hook of a cancelled sale, its partner and the id the partner applies.
struct Hook
{
    const char *name;
    Partner partner;
    std::function<PartnerAnswer(const QString &url)> call;
    QString applied;
};

QList<Hook> hooks()
{
    return {
        {"FidelidadeOnline", Partner::OnlineLoyalty,
         [](const QString &url) {
             OnlineLoyaltyNotice n;
             n.url = url;
             n.cdCliente = "C1";
             n.cdConsumidor = "K1";
             n.cdFilial = "01";
             n.cdCaixa = "001";
             n.nrSeqVenda = "0000000005";
             return CancelHooks::FidelidadeOnline(n);
         },
         "cancel:01/001/0000000005"},
        {"ValePresente", Partner::GiftVoucher,
         [](const QString &url) {
             GiftVoucherNotice n;
             n.url = url;
             n.timeout = "5";
             n.idReqValPre = "REQ-VP-1";
             return CancelHooks::ValePresente(n);
         },
         "cancel:REQ-VP-1"},
        {"CoreBancario", Partner::CoreBanking,
         [](const QString &url) {
             CoreBankingNotice n;
             n.url = url;
             n.idReqCoreBanc = "REQ-CB-1";
             n.nrCpfCoreBanc = "33344455566";
             return CancelHooks::CoreBancario(n);
         },
         "cancel:REQ-CB-1"},
        {"FidelidadeVimo", Partner::Vimo,
         [](const QString &url) {
             VimoNotice n;
             n.url = url;
             n.idCupomVimo = "CUPOM-7";
             n.vrTotVimo = "12.50";
             return CancelHooks::FidelidadeVimo(n);
         },
         "cancel:CUPOM-7"},
        {"FixeCRM", Partner::FixeCrm,
         [](const QString &url) {
             FixeCrmNotice n;
             n.url = url;
             n.cdFilial = "01";
             n.cdCaixa = "001";
             n.nrSeqVenda = "0000000005";
             n.vrResgFixeCrm = "3.00";
             return CancelHooks::FixeCRM(n);
         },
         "cancel:01/001/0000000005"},
    };
}

class CancelHooksTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(partners.start()); }

    FakePartners partners;
    PartnerWaits waits;
};

TEST_F(CancelHooksTest, EachHookPostsToItsPartnerAndReadsItsVerdict)
{
    for (const Hook &hook : hooks()) {
        SCOPED_TRACE(hook.name);
        const PartnerAnswer answer = hook.call(partners.baseUrl(hook.partner));
        EXPECT_TRUE(answer.answered);
        EXPECT_TRUE(answer.failure.isEmpty());
        EXPECT_EQ(partners.applied(hook.partner), QStringList{hook.applied});
        ASSERT_EQ(partners.requests(hook.partner).size(), 1);
        EXPECT_EQ(partners.requests(hook.partner).first().method, "POST");
    }
    // Online loyalty answers a message (empty: nothing to show); the others True when done.
    EXPECT_EQ(hooks().at(0).call(partners.baseUrl(Partner::OnlineLoyalty)).value, Variant(""));
    EXPECT_EQ(hooks().at(1).call(partners.baseUrl(Partner::GiftVoucher)).value, Variant(true));
    // A repeat is applied once.
    EXPECT_EQ(partners.applied(Partner::GiftVoucher), QStringList{"cancel:REQ-VP-1"});
}

TEST_F(CancelHooksTest, GiftVoucherAsksHowTheCancellationStandsWithGet)
{
    GiftVoucherNotice n;
    n.url = partners.baseUrl(Partner::GiftVoucher);
    n.idReqValPre = "REQ-VP-2";
    n.method = "GET";
    EXPECT_TRUE(CancelHooks::ValePresente(n).answered);
    EXPECT_EQ(partners.requests(Partner::GiftVoucher).value(0).method, "GET");
    EXPECT_TRUE(partners.applied(Partner::GiftVoucher).isEmpty());
}

// A partner that stalls, refuses, answers garbage or closes its answer is no answer.
TEST_F(CancelHooksTest, PartnerThatStallsRefusesAnswersGarbageOrClosesIsNoAnswer)
{
    for (const Behaviour behaviour : {Behaviour::Silent, Behaviour::Refuse, Behaviour::Garbage, Behaviour::AnswerLost,
                                      Behaviour::ServerError}) {
        waits.setBehaviourForAll(partners, behaviour);
        for (const Hook &hook : hooks()) {
            SCOPED_TRACE(hook.name);
            const PartnerAnswer answer = hook.call(partners.baseUrl(hook.partner));
            EXPECT_FALSE(answer.answered) << int(behaviour);
        }
    }
    // Without an address nothing is sent.
    EXPECT_FALSE(hooks().at(2).call(QString()).answered);
}

} // namespace
