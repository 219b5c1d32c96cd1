#include "orderfixture.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>
#include <runtime/messages.h>

#include <QLabel>

namespace {

// 4ALL and UDS cashback on a whole counter sale: the discount, its floor of 0.01 a unit, and
// that it stays granted once, through later items and rebuilds of the receipt.
class Cashback : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        sell(item("10", "SUCO", "10,00", "2"));
        sell(item("11", "PASTEL", "5,00"));
        sell(item("12", "CAFE", "5,00"));
        ASSERT_DOUBLE_EQ(state().totals.doTotalVenda, 30.0);
        AdditionalDataAnswer cpf;
        cpf.document = QStringLiteral("12345678901");
        host->setDefault(&Pkg_Hrk00002::CriaInfAdicional, cpf);
    }

    static Fid4AllAnswer balance(double value, const DataPacket &promotions = {})
    {
        Fid4AllAnswer answer;
        answer.answered = true;
        answer.name = QStringLiteral("MARIA");
        answer.balance = value;
        answer.promotions = promotions;
        return answer;
    }

    static DataPacket promotion(const QString &code, const QString &type, double value)
    {
        ClientDataSet promotions(QStringLiteral("p"));
        promotions.FieldDefs().Add(QStringLiteral("CDPROMOCAO"), FieldType::String, 50);
        promotions.FieldDefs().Add(QStringLiteral("DSTIPPROMO"), FieldType::String, 50);
        promotions.FieldDefs().Add(QStringLiteral("VRPROMOCAO"), FieldType::Double);
        promotions.CreateDataSet();
        promotions.Append();
        promotions.FieldByName(QStringLiteral("CDPROMOCAO")).SetAsString(code);
        promotions.FieldByName(QStringLiteral("DSTIPPROMO")).SetAsString(type);
        promotions.FieldByName(QStringLiteral("VRPROMOCAO")).SetAsFloat(value);
        promotions.Post();
        return promotions.Data();
    }

    void askCode(const QString &code)
    {
        AdditionalDataAnswer typed;
        typed.code = code;
        host->script(&Pkg_Hrk00002::CriaInfAdicional, AdditionalDataAnswer{true, "12345678901"});
        host->script(&Pkg_Hrk00002::CriaInfAdicional, typed);
        host->script(&Pkg_Hrk00002::CriaInfAdicional, AdditionalDataAnswer{});
    }

    Fid4AllAnswer accepted() const
    {
        Fid4AllAnswer answer;
        answer.answered = true;
        return answer;
    }

    double total() { return state().totals.doTotalVenda; }
    QString caption() { return form().findChild<QLabel *>(QStringLiteral("lblVrTotal"))->text(); }
};

TEST_F(Cashback, BalanceAboveTheTotalLeavesACentAUnit)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, balance(50.0));
    messages->script({true});
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_DOUBLE_EQ(total(), 0.04);
    EXPECT_DOUBLE_EQ(state().loyalty.doCashbackAux2, 29.96);
    EXPECT_DOUBLE_EQ(state().loyalty.doCashbackAux1, 30.0);
    EXPECT_EQ(column(data().cdsItems, "VRDESCOMANDA"), QStringList({"29,96", "29,96", "29,96"}));
    EXPECT_EQ(column(data().cdsItems, "NRCPFFID4ALL"), QStringList({"12345678901", "12345678901", "12345678901"}));
}

TEST_F(Cashback, PromotionThenCashbackTogetherTakeTheWholeSaleButTheFloor)
{
    askCode(QStringLiteral("promo10"));
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, balance(50.0, promotion("PROMO10", "reais", 10.0)));
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, accepted());
    messages->script({true});
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_DOUBLE_EQ(total(), 0.04);
    EXPECT_EQ(column(data().cdsItems, "VRDESCOMANDA"), QStringList({"29,96", "29,96", "29,96"}));
    EXPECT_EQ(column(data().cdsItems, "CDPROMOFID4ALL"), QStringList({"PROMO10", "PROMO10", "PROMO10"}));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IntegracaoFid4All).promoCode, QStringLiteral("PROMO10"));
}

TEST_F(Cashback, OneMoreItemKeepsTheDiscountAndTheButtonAnswersAlreadyUsed)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, balance(50.0));
    messages->script({true});
    context().consumer().spbCashbackClick(nullptr);
    sell(item("13", "AGUA", "3,00"));
    EXPECT_DOUBLE_EQ(total(), 3.04);
    context().order().AtualizaExtrato();
    EXPECT_DOUBLE_EQ(total(), 3.04);
    EXPECT_EQ(caption(), QStringLiteral("3,04"));
    messages->clear();
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({context().messages().Msg("CASH_JA_UTIL", {"123.456.789-01"})}));
    EXPECT_DOUBLE_EQ(total(), 3.04);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IntegracaoFid4All), 1);
}

TEST_F(Cashback, AcceptedCodeNotAmongThePromotionsIsInvalid)
{
    askCode(QStringLiteral("OUTRO"));
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, balance(0.0, promotion("PROMO10", "percentual", 10.0)));
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, accepted());
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_DOUBLE_EQ(total(), 30.0);
    ASSERT_FALSE(messages->texts().isEmpty());
    EXPECT_TRUE(messages->texts().first().startsWith(context().Msg("PROMOCODE_INV")));
}

TEST_F(Cashback, UnreachablePartnerChangesNothing)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, Fid4AllAnswer{});
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_DOUBLE_EQ(total(), 30.0);
    EXPECT_EQ(messages->texts(), QStringList({context().Msg("FALHA_CONEXAO_4ALL")}));
}

TEST_F(Cashback, FourAllLowersTheFamiliesAsTheTotalDrops)
{
    ClientDataSet &families = data().cdsFamiliaSaldo;
    context().consumer().addFamiliaSaldo(families, "001", 20.0, true);
    context().consumer().addFamiliaSaldo(families, "002", 10.0, true);
    Fid4AllAnswer answer = balance(6.0);
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, answer);
    messages->script({true});
    context().consumer().spbCashbackClick(nullptr);
    EXPECT_DOUBLE_EQ(total(), 24.0);
    EXPECT_EQ(column(families, "VRSALDCONFAM"), QStringList({"16", "8"}));
}

TEST_F(Cashback, UdsPartnerMessageReplacesTheQuestionAndTheDiscountIsApplied)
{
    UdsAnswer answer;
    answer.answered = true;
    answer.name = QStringLiteral("JOAO");
    answer.balance = 7.5;
    answer.message = QStringLiteral("Use seu saldo UDS!");
    host->script(&Pkg_Hrk00002::IntegracaoFidUds, answer);
    messages->script({true});
    context().consumer().spbCashbackUDSClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({"Use seu saldo UDS!"}));
    EXPECT_DOUBLE_EQ(total(), 22.5);
    EXPECT_DOUBLE_EQ(state().loyalty.doFidelidadeAux1, 7.5);
    EXPECT_EQ(column(data().cdsItems, "NMCONSVEND"), QStringList({"JOAO", "JOAO", "JOAO"}));
    messages->clear();
    context().consumer().spbCashbackUDSClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({context().messages().Msg("CASH_JA_UTIL", {"123.456.789-01"})}));
}

} // namespace
