#include "hostbasefixture.h"

#include <host/partners/fakepartners.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/partners/partnerservices.h>
#include <host/site/salesaving.h>

#include <support/databasefixture.h>
#include <support/partnerwaits.h>

#include <outside/qub_proximocodigo.h>
#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>

namespace {

using Behaviour = FakePartners::Behaviour;
using Partner = FakePartners::Partner;

const QDateTime opening(QDate(2024, 3, 5), QTime(6, 0));

void define(ClientDataSet &dataset, const QList<FieldDef> &fields)
{
    for (const FieldDef &field : fields)
        dataset.FieldDefs().Add(field.name, field.type, field.size);
    dataset.CreateDataSet();
}

// A counter sale of 30.00 on which 4ALL granted 30.00 of cashback and 29.96 came off; a fourth
// item of 3.00 was sold afterwards; the customer paid the 3.04 left.
struct CashbackSale
{
    ClientDataSet venda{"cdsVenda"}, movCaixa{"cdsMovCaixa"}, vendaCancelada{"cdsVendaCancelada"},
        familias{"cdsFamiliaSaldo"}, emprestimos{"cdsEmprestimoFam"}, promoComb{"cdsItPromoComb"},
        devolucao{"cdsDevolucao"}, vazio{"cdsVazio"}, obs{"cdsObsItens"}, obsEst{"cdsObsItensEst"},
        cancelados{"cdsItensCancelados"}, fidelidade{"cdsExtConsFid"}, promoComanda{"cdsPromoComanda"};

    CashbackSale()
    {
        const FieldType S = FieldType::String, D = FieldType::Double;
        define(venda, {{"CDFILIAL", S, 4}, {"CDLOJA", S, 10}, {"CDPRODUTO", S, 10}, {"NMPRODUTO", S, 50},
                       {"QTPRODCOMVEN", D}, {"VRPRECCOMVEN", D}, {"VRDESCCOMVEN", D}, {"NRSEQ", S, 3},
                       {"CDIMPOSTO", S, 2}, {"CDCLIENTE", S, 21}, {"CDOPERADOR", S, 12}, {"VRDESCOMANDA", D},
                       {"NRCPFFID4ALL", S, 20}, {"VRDESCCASH4ALL", D}, {"VRDESCPROMO4ALL", D}});
        define(movCaixa, {{"CDTIPORECE", S, 3}, {"NMTIPORECE", S, 40}, {"IDTIPORECE", S, 2}, {"IDTIPOMOVIVE", S, 1},
                          {"VRMOVIVEND", D}, {"VRTROCO", D}});
        define(vendaCancelada, {{"CDPRODUTO", S, 10}});
        for (ClientDataSet *empty : {&familias, &emprestimos, &promoComb, &devolucao, &vazio, &obs, &obsEst, &cancelados,
                                     &fidelidade, &promoComanda})
            define(*empty, {{"X", S, 1}});
        item("10", 2, 10.0, "001", true);
        item("11", 1, 5.0, "002", true);
        item("12", 1, 5.0, "003", true);
        item("13", 1, 3.0, "004", false);
        movCaixa.Append();
        movCaixa.FieldByName("CDTIPORECE").SetAsString("001");
        movCaixa.FieldByName("NMTIPORECE").SetAsString("Dinheiro");
        movCaixa.FieldByName("IDTIPORECE").SetAsString("1");
        movCaixa.FieldByName("IDTIPOMOVIVE").SetAsString("V");
        movCaixa.FieldByName("VRMOVIVEND").SetAsFloat(3.04);
        movCaixa.Post();
    }

    void item(const QString &code, double quantity, double price, const QString &seq, bool discounted)
    {
        venda.Append();
        venda.FieldByName("CDFILIAL").SetAsString("0001");
        venda.FieldByName("CDLOJA").SetAsString("01");
        venda.FieldByName("CDPRODUTO").SetAsString(code);
        venda.FieldByName("NMPRODUTO").SetAsString("ITEM " + code);
        venda.FieldByName("QTPRODCOMVEN").SetAsFloat(quantity);
        venda.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        venda.FieldByName("NRSEQ").SetAsString(seq);
        venda.FieldByName("CDIMPOSTO").SetAsString("01");
        venda.FieldByName("CDCLIENTE").SetAsString("000001");
        venda.FieldByName("CDOPERADOR").SetAsString("0001");
        if (discounted) {
            venda.FieldByName("VRDESCOMANDA").SetAsFloat(29.96);
            venda.FieldByName("NRCPFFID4ALL").SetAsString("12345678901");
            venda.FieldByName("VRDESCCASH4ALL").SetAsFloat(30.0);
        }
        venda.Post();
    }

    ClosingDatasets closing()
    {
        return {venda, movCaixa, vendaCancelada, familias, emprestimos, promoComb, devolucao,
                vazio, obs, obsEst, cancelados, fidelidade, promoComanda};
    }
};

class CashbackPartnersTest : public HostBaseTest
{
protected:
    void SetUp() override
    {
        HostBaseTest::SetUp();
        ASSERT_TRUE(partners.start());
        FakePartners::CashbackAccount maria{"12345678901", "MARIA", 50.0, false,
                                            {{"PROMO10", "Dez reais", "reais", 10.0}}};
        partners.settings().fourAll = {maria};
        partners.settings().uds = {FakePartners::CashbackAccount{"12345678901", "MARIA", 7.5, true, {}}};
    }

    Fid4AllAnswer consult(const QString &cpf = "12345678901")
    {
        Fid4AllRequest request;
        request.operation = "CONSULTA";
        request.url = partners.baseUrl(Partner::FourAll);
        request.cpf = cpf;
        return PartnerServices::IntegracaoFid4All(request);
    }

    ClosingAnswer save(CashbackSale &sale)
    {
        ClosingHeader header;
        header.cdCaixa = "001";
        header.dtAberCaix = opening;
        header.cdEmpresa = "01";
        header.documentNumber = "000321";
        header.cdFilial = "0001";
        header.cdLoja = "01";
        header.stRecebAux20 = "E";
        ClosingDatasets datasets = sale.closing();
        return SaleSaving::SetConcluiFechamento(header, datasets);
    }

    PartnerWaits waits;
    FakePartners partners;
};

TEST_P(CashbackPartnersTest, FourAllConsultOverHttpGivesBalanceAndPromotions)
{
    const Fid4AllAnswer answer = consult();
    EXPECT_TRUE(answer.answered);
    EXPECT_FALSE(answer.refused);
    EXPECT_EQ(answer.name, QStringLiteral("MARIA"));
    EXPECT_DOUBLE_EQ(answer.balance, 50.0);
    ASSERT_EQ(answer.promotions.rows.size(), 1);
    EXPECT_EQ(answer.promotions.value(0, "CDPROMOCAO").toString(), QStringLiteral("PROMO10"));
    EXPECT_TRUE(consult("000").refused);
}

TEST_P(CashbackPartnersTest, UdsConsultReadsTheBlockedFlag)
{
    UdsRequest request;
    request.operation = "CONSULTA";
    request.url = partners.baseUrl(Partner::Uds);
    request.cpf = "12345678901";
    const UdsAnswer answer = PartnerServices::IntegracaoFidUds(request);
    EXPECT_TRUE(answer.answered);
    EXPECT_TRUE(answer.blocked);
    EXPECT_DOUBLE_EQ(answer.balance, 7.5);
}

struct Failure
{
    const char *name;
    Behaviour behaviour;
};

// The base fixture runs on each database kind already, so the failures are a table here.
TEST_P(CashbackPartnersTest, FailingPartnerIsNoAnswer)
{
    const QList<Failure> failures{{"Refused", Behaviour::Refuse},       {"Silent", Behaviour::Silent},
                                  {"Garbage", Behaviour::Garbage},      {"Oversized", Behaviour::Oversized},
                                  {"Unauthorized", Behaviour::Unauthorized}, {"ServerError", Behaviour::ServerError}};
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.name);
        waits.setBehaviourForAll(partners, failure.behaviour);
        EXPECT_FALSE(consult().answered);
        UdsRequest request;
        request.operation = "CONSULTA";
        request.url = partners.baseUrl(Partner::Uds);
        EXPECT_FALSE(PartnerServices::IntegracaoFidUds(request).answered);
    }
}

TEST_P(CashbackPartnersTest, SavedSaleTotalsItsPaymentsStoresTheCpfAndPostsTheUseOnce)
{
    ASSERT_TRUE(consult().answered); // the till consulted 4ALL at its address
    CashbackSale sale;
    const ClosingAnswer answer = save(sale);
    ASSERT_FALSE(answer.savedSaleKey.isFailure()) << answer.savedSaleKey.failureText().toStdString();
    const auto header = rows("SELECT VRTOTVENDA, NRCPFFID4ALL, NRSEQVENDA FROM VENDA");
    ASSERT_EQ(header.size(), 1);
    const double paid = rows("SELECT SUM(VRMOVIVEND) FROM MOVCAIXA").first().first().toDouble();
    EXPECT_DOUBLE_EQ(header[0][0].toDouble(), 3.04);
    EXPECT_DOUBLE_EQ(header[0][0].toDouble(), paid);
    EXPECT_EQ(header[0][1].toString(), QStringLiteral("12345678901"));
    const QString key = "sale:0001/001/" + header[0][2].toString();
    EXPECT_EQ(partners.applied(Partner::FourAll), QStringList({key}));
    PartnerServices::postCashbackUses("0001", "001", header[0][2].toString(), sale.venda.Data());
    EXPECT_EQ(partners.applied(Partner::FourAll), QStringList({key}));
    EXPECT_DOUBLE_EQ(partners.settings().fourAll.first().balance, 20.0);
}

TEST_P(CashbackPartnersTest, UnreachablePartnerLeavesTheSaleSaved)
{
    ASSERT_TRUE(consult().answered);
    waits.setBehaviour(partners, Partner::FourAll, Behaviour::Refuse);
    CashbackSale sale;
    EXPECT_FALSE(save(sale).savedSaleKey.isFailure());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM VENDA").first().first().toInt(), 1);
    EXPECT_TRUE(partners.applied(Partner::FourAll).isEmpty());
}

VENDACONS_DATABASE_KINDS(CashbackPartnersTest);

} // namespace
