// The 4ALL and UDS cashback of a sale through the host's partner routines: what each refusal
// tells the cashier, and the discount spread over the personal-credit families to the cent.
#include "benefitsfixture.h"

#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>

namespace {

class Cashback : public ConsumerFormTest
{
protected:
    void SetUp() override
    {
        ConsumerFormTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ClientDataSet &items = data().cdsItems;
        if (!items.Active())
            items.CreateDataSet();
        items.Append();
        items.FieldByName("QTPRODCOMVEN").SetAsFloat(1);
        items.Post();
        state().totals.doTotalVenda = 30.00;
        AdditionalDataAnswer cpf;
        cpf.document = "12345678901";
        host->script(&Pkg_Hrk00002::CriaInfAdicional, cpf);
    }
    QString msg(const char *key, const QStringList &args = {})
    {
        return context().messages().Msg(QString::fromLatin1(key), args);
    }
    void expectSaleUntouched()
    {
        EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 30.00);
        EXPECT_DOUBLE_EQ(data().cdsItems.FieldByName("VRDESCOMANDA").AsFloat(), 0.0);
    }
};

UdsAnswer uds(bool answered, bool error, const char *message, const char *name, double balance, bool blocked)
{
    UdsAnswer answer;
    answer.answered = answered;
    answer.error = error;
    answer.message = QString::fromUtf8(message);
    answer.name = QString::fromUtf8(name);
    answer.balance = balance;
    answer.blocked = blocked;
    return answer;
}

struct UdsCase
{
    const char *name;
    UdsAnswer answer;
    const char *key;     // the message shown, or empty when the partner's own text is
    const char *partner; // the partner's own text
    int kind;
};

const UdsCase udsCases[] = {
    {"Unreachable", uds(false, false, "", "", 0, false), "FALHA_CONEXAO_UDS", "", 3},
    {"Error", uds(true, true, "", "", 0, false), "ERRO_UDS", "", 3},
    {"ErrorInThePartnersWords", uds(true, true, "CPF sem cadastro", "", 0, false), "", "CPF sem cadastro", 3},
    {"Blocked", uds(true, false, "", "ANA", 15, true), "SALDO_BLOQ", "", 3},
    {"ZeroBalance", uds(true, false, "", "ANA", 0, false), "SALD_CASH_ZERO", "", 0},
};

TEST_P(Cashback, UdsRefusalsTellTheCashierWhyAndGrantNothing)
{
    bool first = true;
    for (const UdsCase &c : udsCases) {
        SCOPED_TRACE(c.name);
        if (!first) {
            AdditionalDataAnswer cpf;
            cpf.document = "12345678901";
            host->script(&Pkg_Hrk00002::CriaInfAdicional, cpf);
        }
        first = false;
        messages->clear();
        host->script(&Pkg_Hrk00002::IntegracaoFidUds, c.answer);
        consumer().spbCashbackUDSClick(nullptr);
        ASSERT_EQ(messages->count(), 1);
        const QString expected = *c.key ? msg(c.key, {c.answer.name}) : QString::fromUtf8(c.partner);
        EXPECT_EQ(messages->texts().first(), expected);
        EXPECT_EQ(messages->calls().first().kind, c.kind);
        expectSaleUntouched();
        EXPECT_DOUBLE_EQ(state().loyalty.doCashbackUDSAux1, 0.0);
    }
}

Fid4AllAnswer fourAll(bool answered, bool refused, const char *message, const char *name, double balance)
{
    Fid4AllAnswer answer;
    answer.answered = answered;
    answer.refused = refused;
    answer.message = QString::fromUtf8(message);
    answer.name = QString::fromUtf8(name);
    answer.balance = balance;
    return answer;
}

TEST_P(Cashback, FourAllUnreachableIsToldAndGrantsNothing)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(false, false, "", "", 0));
    consumer().spbCashbackClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({msg("FALHA_CONEXAO_4ALL")}));
    expectSaleUntouched();
}

TEST_P(Cashback, FourAllInvalidCpfShowsThePartnersReasonAndMarksNoLine)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(true, true, "dígito verificador", "", 0));
    consumer().spbCashbackClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({msg("CPF_INV") + " dígito verificador"}));
    EXPECT_EQ(data().cdsItems.FieldByName("NRCPFFID4ALL").AsString(), QString());
    expectSaleUntouched();
}

TEST_P(Cashback, FourAllZeroBalanceIsAnInformationAndGrantsNothing)
{
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(true, false, "", "ANA", 0));
    consumer().spbCashbackClick(nullptr);
    EXPECT_EQ(messages->texts(), QStringList({msg("SALD_CASH_ZERO", {"ANA"})}));
    EXPECT_EQ(messages->calls().first().kind, 0);
    expectSaleUntouched();
}

// A promotion code the partner cannot validate is told and asked again; an empty code ends the
// loop and the balance question follows.
TEST_P(Cashback, FourAllPromotionCodeFailuresAreToldAndTheCodeAskedAgain)
{
    Fid4AllAnswer consult = fourAll(true, false, "", "ANA", 0);
    ClientDataSet promotions;
    promotions.FieldDefs().Add("CDPROMOCAO", FieldType::String, 20);
    promotions.FieldDefs().Add("DSTIPPROMO", FieldType::String, 20);
    promotions.FieldDefs().Add("VRPROMOCAO", FieldType::Double);
    promotions.CreateDataSet();
    promotions.Append();
    promotions.FieldByName("CDPROMOCAO").SetAsString("P10");
    promotions.FieldByName("DSTIPPROMO").SetAsString("valor");
    promotions.FieldByName("VRPROMOCAO").SetAsFloat(10);
    promotions.Post();
    consult.promotions = promotions.Data();
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, consult);
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(false, false, "", "", 0));      // no connection
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(true, true, "expirado", "", 0)); // refused
    for (const char *code : {"P10", "P10", ""}) {
        AdditionalDataAnswer typed;
        typed.code = QString::fromLatin1(code);
        host->script(&Pkg_Hrk00002::CriaInfAdicional, typed);
    }

    consumer().spbCashbackClick(nullptr);

    EXPECT_EQ(messages->texts(), QStringList({msg("FALHA_VAL_PROMOCODE"), msg("PROMOCODE_INV") + " expirado",
                                              msg("SALD_CASH_ZERO", {"ANA"})}));
    expectSaleUntouched();
}

// Three families of 10,00 and a cashback of 10,00: the families lose 10,00 together, so the
// consumer is debited 20,00 for a sale of 20,00.
TEST_P(Cashback, FourAllDiscountLowersTheFamiliesByExactlyTheDiscount)
{
    state().flags.boCreditoPessoal = true;
    ClientDataSet &families = data().cdsFamiliaSaldo;
    families.Close();
    families.FieldDefs().Clear();
    families.FieldDefs().Add("CDFAMILISALD", FieldType::String, 3);
    families.FieldDefs().Add("VRSALDCONFAM", FieldType::Double);
    families.CreateDataSet();
    for (const char *family : {"REF", "LAN", "SOB"}) {
        families.Append();
        families.FieldByName("CDFAMILISALD").SetAsString(family);
        families.FieldByName("VRSALDCONFAM").SetAsFloat(10.00);
        families.Post();
    }
    host->script(&Pkg_Hrk00002::IntegracaoFid4All, fourAll(true, false, "", "ANA", 10.00));
    messages->script({true});

    consumer().spbCashbackClick(nullptr);

    ASSERT_DOUBLE_EQ(state().totals.doTotalVenda, 20.00);
    double left = 0;
    for (families.First(); !families.Eof(); families.Next())
        left += families.FieldByName("VRSALDCONFAM").AsFloat();
    EXPECT_DOUBLE_EQ(Money::RoundDec(left, 2), 20.00);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Cashback, ::testing::Values(DatabaseKind::SQLite), databaseKindName);

} // namespace
