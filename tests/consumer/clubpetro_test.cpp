#include "partnersfixture.h"

#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace {

class ClubPetroTest : public PartnersTest
{
protected:
    void SetUp() override
    {
        PartnersTest::SetUp();
        QSettings(site.filePath("Dados/ClubPetro.ini"), QSettings::IniFormat)
            .setValue("token_url", partners.baseUrl(Partner::ClubPetro) + "/token.php");
        Seam::StartupLookups lookups;
        lookups.getDadosResgSaldo = [this](const QString &) {
            return Variant(packetOf({"DSIDRESGS", "DSSENHARESGS"}, {{clientId, clientSecret}}));
        };
        Seam::Consumers consumers;
        consumers.getCNPJFil = [](const QString &) { return Variant("12345678000199"); };
        lookupScope = std::make_unique<ScopedTable<Seam::StartupLookups>>(lookups);
        consumerScope = std::make_unique<ScopedTable<Seam::Consumers>>(consumers);
        FakePartners::ClubCustomer byCpf;
        byCpf.document = "12345678901";
        FakePartners::ClubCustomer byDni = byCpf;
        byDni.document = "AR-778899";
        byDni.kind = "dni";
        FakePartners::ClubCustomer blocked = byCpf;
        blocked.document = "22222222222";
        blocked.blocked = "1";
        FakePartners::ClubCustomer refused = byCpf;
        refused.document = "33333333333";
        refused.status = "0";
        FakePartners::ClubCustomer empty = byCpf;
        empty.document = "44444444444";
        empty.points = "vazio";
        partners.settings().clubCustomers = {byCpf, byDni, blocked, refused, empty};
    }

    ClubPetroLink &link() { return state().clubPetro; }
    ClubPetroCustomer &club() { return state().clubPetroCustomer; }
    bool token() { return consumer().buscaTokenResgate("1"); }
    bool consult(const QString &document)
    {
        return token() && consumer().buscaDadosConsClubPetro(link().stTokenApiClubPetro, document, "N");
    }
    QString current(const char *column) { return data().cdsConsClubPetro.FieldByName(column).AsString(); }
    QStringList sentKinds()
    {
        QStringList kinds;
        for (const auto &request : partners.requests(Partner::ClubPetro)) {
            const QJsonObject customer = QJsonDocument::fromJson(request.body).object().value("cliente").toObject();
            if (!customer.isEmpty())
                kinds.append(customer.contains("dni") ? "dni" : "cpf");
        }
        return kinds;
    }

    QString clientId = QStringLiteral("club-id");
    QString clientSecret = QStringLiteral("club-secret");
    std::unique_ptr<ScopedTable<Seam::StartupLookups>> lookupScope;
    std::unique_ptr<ScopedTable<Seam::Consumers>> consumerScope;
};

TEST_F(ClubPetroTest, TokenAnswerNamesTheSaleApiWithoutBackslashes)
{
    ASSERT_TRUE(token());
    EXPECT_EQ(link().UrlRaizAPIClubPetro, partners.baseUrl(Partner::ClubPetro) + "/api/sale");
    EXPECT_EQ(link().stTokenApiClubPetro, QStringLiteral("club-token-456"));
    expectNoSecret();
}

// A secret holding characters that JSON and the URL encoding rewrite reaches the log in none of
// its forms: the logged request is built with the secret already replaced.
TEST_F(ClubPetroTest, ASecretJsonEscapesReachesTheLogInNoForm)
{
    clientSecret = QStringLiteral("cl\"ub\\se cret");
    partners.settings().clubSecret = clientSecret;
    ASSERT_TRUE(token());
    QString escaped = clientSecret;
    escaped.replace("\\", "\\\\").replace("\"", "\\\"");
    const QString logs = allLogs();
    ASSERT_TRUE(logs.contains("client_secret")) << logs.toStdString();
    for (const QString &form : {clientSecret, escaped, Qub_requisicaohttp::URLEncode(clientSecret),
                                Qub_requisicaohttp::URLEncode(escaped), QString("se cret"), QString("se%20cret")})
        EXPECT_FALSE(logs.contains(form)) << form.toStdString();
    EXPECT_FALSE(logs.contains(partners.settings().clubToken));
}

TEST_F(ClubPetroTest, CustomerFoundByCpfGetsARowWithNormalisedPoints)
{
    ASSERT_TRUE(consult("12345678901"));
    EXPECT_EQ(sentKinds(), QStringList({"cpf"}));
    EXPECT_EQ(current("SALDOPONTOS"), QStringLiteral("1234,5000"));
    EXPECT_EQ(current("CDCONSRESGSALDO"), QStringLiteral("12345678901"));
    EXPECT_EQ(current("CPF_ATIVO"), QStringLiteral("SIM"));
    EXPECT_EQ(club().stGrupoConsClubPetro, QStringLiteral("OURO"));
    EXPECT_TRUE(club().boCliClubPetroExiste);
    expectNoSecret();
}

TEST_F(ClubPetroTest, CpfNotFoundIsAskedAgainAsDniAndFound)
{
    ASSERT_TRUE(consult("AR-778899"));
    EXPECT_EQ(sentKinds(), QStringList({"cpf", "dni"}));
    EXPECT_EQ(current("CDCONSRESGSALDO"), QStringLiteral("AR-778899"));
}

struct RefusedCustomer
{
    const char *name;
    const char *document;
    const char *key;
    int consults;
};

class ClubPetroRefusalTest : public ClubPetroTest, public ::testing::WithParamInterface<RefusedCustomer>
{
};

TEST_P(ClubPetroRefusalTest, CustomerRefusedLeavesTheMessageAndNoRow)
{
    EXPECT_FALSE(consult(GetParam().document));
    EXPECT_EQ(club().stMensagemClubPetro, context().Msg(GetParam().key));
    EXPECT_FALSE(club().boCliClubPetroExiste);
    EXPECT_EQ(sentKinds().size(), GetParam().consults);
    EXPECT_TRUE(data().cdsConsClubPetro.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Customer, ClubPetroRefusalTest,
                         ::testing::Values(RefusedCustomer{"NotFound", "99999999999", "CLICLUBPETRO_NAO", 2},
                                           RefusedCustomer{"Blocked", "22222222222", "CLICLUBPET_BLOQ", 1},
                                           RefusedCustomer{"NotAccepted", "33333333333", "CLICLUBPET_NACEIT", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClubPetroTest, FalseInAnotherMemberIsNoNotFoundAndVazioStaysAsSent)
{
    partners.settings().clubFalseElsewhere = true;
    ASSERT_TRUE(consult("44444444444"));
    EXPECT_EQ(current("SALDOPONTOS"), QStringLiteral("vazio"));
}

TEST_F(ClubPetroTest, DocumentIsEscapedInTheConsult)
{
    EXPECT_FALSE(consult("1\",\"cpf\":\"12345678901"));
    const auto sent = partners.requests(Partner::ClubPetro);
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(QJsonDocument::fromJson(sent.last().body).object().value("cliente").toObject().value("dni").toString(),
              QStringLiteral("1\",\"cpf\":\"12345678901"));
}

TEST_F(ClubPetroTest, MissingCredentialsSendNothingAndFailTheRedemption)
{
    clientId.clear();
    EXPECT_FALSE(token());
    EXPECT_EQ(club().stMensagemClubPetro, context().Msg("PARAMRESGSALDO"));
    EXPECT_EQ(club().stIDTIPORESGATE, QStringLiteral("F"));
    EXPECT_TRUE(partners.requests(Partner::ClubPetro).isEmpty());
    EXPECT_TRUE(allLogs().isEmpty());
}

struct ProgrammeFailure
{
    const char *name;
    Behaviour behaviour;
};

class ClubPetroFailureTest : public ClubPetroTest, public ::testing::WithParamInterface<ProgrammeFailure>
{
};

TEST_P(ClubPetroFailureTest, FailingTokenRequestTakesTheClientOffline)
{
    waits.setBehaviour(partners, Partner::ClubPetro, GetParam().behaviour);
    EXPECT_FALSE(token());
    EXPECT_EQ(link().stClubPetroOnline, QStringLiteral("N"));
    EXPECT_EQ(club().stIDTIPORESGATE, QStringLiteral("F"));
    EXPECT_TRUE(club().stMensagemClubPetro.startsWith("Erro na requisição"));
    consumer().logClubPetro(club().stMensagemClubPetro, "N", "S");
    expectNoSecret();
}

TEST_P(ClubPetroFailureTest, FailingConsultLeavesTheErrorMessage)
{
    ASSERT_TRUE(token());
    waits.setBehaviour(partners, Partner::ClubPetro, GetParam().behaviour);
    EXPECT_FALSE(consumer().buscaDadosConsClubPetro(link().stTokenApiClubPetro, "12345678901", "N"));
    EXPECT_EQ(club().stMensagemClubPetro, context().Msg("ERROCLUBPETRO"));
    EXPECT_EQ(link().stClubPetroOnline, QStringLiteral("N"));
    EXPECT_TRUE(data().cdsConsClubPetro.IsEmpty());
    consumer().logClubPetro(club().stMensagemClubPetro, "N", "S");
    expectNoSecret();
}

INSTANTIATE_TEST_SUITE_P(Programme, ClubPetroFailureTest,
                         ::testing::Values(ProgrammeFailure{"Refused", Behaviour::Refuse},
                                           ProgrammeFailure{"Silent", Behaviour::Silent},
                                           ProgrammeFailure{"Garbage", Behaviour::Garbage},
                                           ProgrammeFailure{"Oversized", Behaviour::Oversized},
                                           ProgrammeFailure{"Unauthorized", Behaviour::Unauthorized},
                                           ProgrammeFailure{"ServerError", Behaviour::ServerError}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClubPetroTest, RedemptionSendsAKeptIdAndIsTakenOnceAfterALostAnswer)
{
    ASSERT_TRUE(consult("12345678901"));
    partners.loseAnswerOnce(Partner::ClubPetro, "/api/sale");
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 5, 9));
    EXPECT_FALSE(consumer().resgatePontoClubPetro(link().stTokenApiClubPetro, 150, moment));
    const QString id = club().stIdUnicoClubPetro;
    ASSERT_FALSE(id.isEmpty());
    EXPECT_TRUE(consumer().resgatePontoClubPetro(link().stTokenApiClubPetro, 150, moment));
    EXPECT_EQ(partners.applied(Partner::ClubPetro), QStringList({"redeem:" + id}));
    const QJsonObject sent = QJsonDocument::fromJson(partners.requests(Partner::ClubPetro).last().body).object()
                                 .value("resgate").toObject();
    EXPECT_EQ(sent.value("pontostotal").toString(), QStringLiteral("150.00"));
    EXPECT_EQ(sent.value("hora").toString(), QStringLiteral("14-05-09"));
    EXPECT_EQ(sent.value("id_consumo_ponto").toString(), id);
    EXPECT_EQ(club().stIDTIPORESGATE, QStringLiteral("O"));
    EXPECT_EQ(club().stCDINTRESGSALDO, "AUT-" + id);
}

TEST_F(ClubPetroTest, ResetTakesTheRegistrationNumberCutToACpf)
{
    state().consumer.stNrInscrConsVenda = "123456789012345";
    link().UrlRaizAPIClubPetro = "x";
    consumer().inicializaVarClubPetro();
    EXPECT_EQ(club().stCpfClubPetro, QStringLiteral("12345678901"));
    EXPECT_TRUE(link().UrlRaizAPIClubPetro.isEmpty());
    state().consumer.stNrInscrConsVenda.clear();
    consumer().inicializaVarClubPetro();
    EXPECT_TRUE(club().stCpfClubPetro.isEmpty());
}

} // namespace
