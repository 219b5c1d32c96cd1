// What lives how long in the sale form's state: the per-sale record is dropped whole when a sale
// ends, and the fields that outlive a sale are exactly the listed ones.
#include <sale/codes.h>
#include <sale/salestate.h>
#include <sale/salestate_load.h>

#include <QStringList>

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <variant>

namespace {

// Converts to any member type, so that brace-initialising an aggregate with N of them tells
// whether it has at least N fields.
struct AnyField
{
    template <class T>
    operator T() const;
};

template <class T, class... Given>
constexpr std::size_t fieldCount()
{
    if constexpr (requires { T{Given{}..., AnyField{}}; })
        return fieldCount<T, Given..., AnyField>();
    else
        return sizeof...(Given);
}

// Names a member of `Family` (the build fails when it has no such member).
#define FIELD(Family, name) (static_cast<void>(&Family::name), QStringLiteral(#name))

// FIELDS(Family, a, b, ...) is FIELD(Family, a), FIELD(Family, b), ...
#define LIFETIME_PARENS ()
#define LIFETIME_EXPAND(...) LIFETIME_EXPAND3(LIFETIME_EXPAND3(LIFETIME_EXPAND3(LIFETIME_EXPAND3(__VA_ARGS__))))
#define LIFETIME_EXPAND3(...) LIFETIME_EXPAND2(LIFETIME_EXPAND2(LIFETIME_EXPAND2(LIFETIME_EXPAND2(__VA_ARGS__))))
#define LIFETIME_EXPAND2(...) LIFETIME_EXPAND1(LIFETIME_EXPAND1(LIFETIME_EXPAND1(LIFETIME_EXPAND1(__VA_ARGS__))))
#define LIFETIME_EXPAND1(...) __VA_ARGS__
#define FIELDS(Family, ...) __VA_OPT__(LIFETIME_EXPAND(LIFETIME_FIELDS(Family, __VA_ARGS__)))
#define LIFETIME_FIELDS(Family, name, ...) FIELD(Family, name) __VA_OPT__(, LIFETIME_FIELDS_AGAIN LIFETIME_PARENS(Family, __VA_ARGS__))
#define LIFETIME_FIELDS_AGAIN() LIFETIME_FIELDS

// One row of the table below: a long-lived family and the fields it is known to hold.
#define LONG_LIVED(Family, ...) LongLivedFamily{#Family, fieldCount<Family>(), {FIELDS(Family, __VA_ARGS__)}}

struct LongLivedFamily
{
    const char *family;
    std::size_t fields;  // counted from the type
    QStringList listed;  // the fields this test knows of, each with its reason in the header
};

std::ostream &operator<<(std::ostream &out, const LongLivedFamily &f) { return out << f.family; }

class LongLivedFields : public ::testing::TestWithParam<LongLivedFamily>
{
};

// A field added to a long-lived family without being listed here fails: whoever adds it must
// say (in the header) why it outlives the sale, and list it here.
TEST_P(LongLivedFields, AreExactlyTheListedOnes)
{
    EXPECT_EQ(GetParam().fields, std::size_t(GetParam().listed.size())) << GetParam().listed.join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    SaleState, LongLivedFields,
    ::testing::Values(
        LONG_LIVED(HandlerGuards, boDigitacaoAux1, boBalcaoAux3, boCancCupomAux1, boProcessando, boVenderAux1,
                   boImprimindoCompCred),
        LONG_LIVED(TillSession, boBalcaoAux2, boAtivarAux1, stCancCupomAux3, stNrCupomReservado, pagerRangeFullTold),
        LONG_LIVED(TableSeats, inNrPessoas, inExtratoAux1, inPosicaoGrid),
        LONG_LIVED(ScreenNavigation, inPaginaGrupo, inPaginaProduto, stBalcaoAux1, boLeituraQrCode, boConsultaPreco),
        LONG_LIVED(ExchangeInForce, boTrocaMercadoria, doRecebAux1),
        LONG_LIVED(HostArguments, stNRVENDAREST, stNrComandaExib, stCdClienteVenda, stNRMESA, stNRCOMANDA,
                   stCDVENDEDOR, stModoVenda, stCdConsumidorVenda, stIDRETBALLOJA, stRetornoVenda),
        LONG_LIVED(OperatorRights, stCDOPERADOR, stNMOPERADOR, stCdVendedorOperador, stAcessoConsultaPreco,
                   stAcessoPesqProduto, stAcessoCancItemGen, stAcessoObsProduto, stAcessoCancCupom,
                   stAcessoProdCombinado, stAcessoMultiplicador, inCTCONSULTAPRECO, inCTPESQPRODUTO, inCTCANCITEMGEN,
                   inCTOBSPRODUTO, inCTCANCCUPOM, inCTPRODCOMBINADO, inCTMULTIPLICADOR, inCTTROCAOPERADOR,
                   inCTABRIRGAVETA),
        LONG_LIVED(StartupResults, stCancCupomAux4, stCancCupomAux5, stCancCupomAux6, stCancCupomAux7,
                   boExibeVisualiza, stMD5ARQUIVOTXT, stCDATIVACAOSAT, dtDATAMOVIMENTO, boConfTipoRece,
                   dtMovimentoFiscal, stRecebAux7, stInicializaAux1, stRecebAux20, stIDLEITURAQRCODE, dtAberturaMesa,
                   stTipoVendaAux1, stRecebAux2, stInicializaAux3, stImpPesagem, stCupomAux1),
        LONG_LIVED(ClubPetroLink, stTokenApiClubPetro, UrlRaizAPIClubPetro, stClubPetroOnline),
        // The families themselves: a family added beside these outlives the sale unlisted.
        LONG_LIVED(TillRecord, busy, host, rights, startup, till, table, screen, exchange, clubPetro)),
    [](const ::testing::TestParamInfo<LongLivedFamily> &info) { return std::string(info.param.family); });

// The till's parameters are one family owned by the parameter file: each member is a column.
TEST(SaleStateLifetime, EveryParameterMemberIsAColumnOfTheParameterFile)
{
    std::size_t parameterMembers = 0;
    for (const ParameterColumn &column : parameterColumns()) {
        std::visit([&parameterMembers](auto member) {
            if constexpr (requires(Parameters p) { p.*member; })
                ++parameterMembers;
        }, column.member);
    }
    EXPECT_EQ(parameterMembers, fieldCount<Parameters>());
}

// The state is the per-sale record, the long-lived families and the parameters: nothing else.
TEST(SaleStateLifetime, TheStateIsTheSaleTheTillAndTheParameters)
{
    EXPECT_EQ(fieldCount<SaleRecord>(), 12u);
    EXPECT_EQ(sizeof(SaleState), sizeof(SaleRecord) + sizeof(TillRecord) + sizeof(const Parameters *) + sizeof(Parameters));
}

struct EndCase
{
    const char *name;
    std::function<void(SaleState &)> during;  // what the sale left behind
    std::function<void(const SaleState &)> after;
};

std::ostream &operator<<(std::ostream &out, const EndCase &c) { return out << c.name; }

class SaleEnd : public ::testing::TestWithParam<EndCase>
{
};

TEST_P(SaleEnd, LeavesTheNextSaleFresh)
{
    SaleState state;
    state.editParams().stCDCLIENTE = QStringLiteral("000001");
    state.editParams().stCDCCUSCLIE = QStringLiteral("CC01");
    state.host.stModoVenda = QString(SaleMode::Counter);
    GetParam().during(state);

    state.endSale();

    GetParam().after(state);
}

INSTANTIATE_TEST_SUITE_P(
    SaleState, SaleEnd,
    ::testing::Values(
        EndCase{"ClientConsumerAndBuyerOfTheSale",
                [](SaleState &s) {
                    s.host.stCdClienteVenda = QStringLiteral("000002");
                    s.host.stCdConsumidorVenda = QStringLiteral("000101");
                    s.consumer.stCDCONSUMIDOR = QStringLiteral("000101");
                    s.consumer.stNrInscrConsVenda = QStringLiteral("12345678909");
                    s.fiscal.stCpfCnpjNota = QStringLiteral("12345678909");
                    s.fiscal.stNomeNota = QStringLiteral("Estranho");
                    s.consumer.stCartaoAux1 = QStringLiteral("CC09");
                },
                [](const SaleState &s) {
                    EXPECT_EQ(s.host.stCdClienteVenda, QStringLiteral("000001"));
                    EXPECT_TRUE(s.host.stCdConsumidorVenda.isEmpty());
                    EXPECT_TRUE(s.consumer.stCDCONSUMIDOR.isEmpty());
                    EXPECT_TRUE(s.consumer.stNrInscrConsVenda.isEmpty());
                    EXPECT_TRUE(s.fiscal.stCpfCnpjNota.isEmpty());
                    EXPECT_TRUE(s.fiscal.stNomeNota.isEmpty());
                    EXPECT_EQ(s.consumer.stCartaoAux1, QStringLiteral("CC01"));
                }},
        EndCase{"RefillMarkAndQrCodeMode",
                [](SaleState &s) {
                    s.road.stAddProdAux3 = QStringLiteral("S");
                    s.flags.boInicializaAux1 = true;
                },
                [](const SaleState &s) {
                    EXPECT_TRUE(s.road.stAddProdAux3.isEmpty());
                    EXPECT_FALSE(s.flags.boInicializaAux1);
                }},
        // The next customer's product buttons must not consult the programme with this one's
        // document, nor take this one's segment; the till keeps only its link to the programme.
        EndCase{"TheFuelLoyaltyCustomerGoesTheProgrammesLinkStays",
                [](SaleState &s) {
                    s.clubPetroCustomer.stCpfClubPetro = QStringLiteral("12345678909");
                    s.clubPetroCustomer.stSenhaClubPetro = QStringLiteral("4321");
                    s.clubPetroCustomer.stGrupoConsClubPetro = QStringLiteral("OURO");
                    s.clubPetroCustomer.stIDTIPORESGATE = QStringLiteral("O");
                    s.clubPetroCustomer.doSaldoRest = 80.0;
                    s.clubPetro.stTokenApiClubPetro = QStringLiteral("token");
                    s.clubPetro.UrlRaizAPIClubPetro = QStringLiteral("http://127.0.0.1/sale");
                    s.clubPetro.stClubPetroOnline = QStringLiteral("N");
                },
                [](const SaleState &s) {
                    EXPECT_TRUE(s.clubPetroCustomer.stCpfClubPetro.isEmpty());
                    EXPECT_TRUE(s.clubPetroCustomer.stSenhaClubPetro.isEmpty());
                    EXPECT_TRUE(s.clubPetroCustomer.stGrupoConsClubPetro.isEmpty());
                    EXPECT_EQ(s.clubPetroCustomer.stIDTIPORESGATE, QStringLiteral("N"));
                    EXPECT_EQ(s.clubPetroCustomer.doSaldoRest, 0.0);
                    EXPECT_EQ(s.clubPetro.stTokenApiClubPetro, QStringLiteral("token"));
                    EXPECT_EQ(s.clubPetro.UrlRaizAPIClubPetro, QStringLiteral("http://127.0.0.1/sale"));
                    EXPECT_EQ(s.clubPetro.stClubPetroOnline, QStringLiteral("N"));
                }},
        EndCase{"AuthoriserOfTheSalesAccessCheck",
                [](SaleState &s) { s.access.stRetAcesso = QStringLiteral("0099"); },
                [](const SaleState &s) { EXPECT_TRUE(s.access.stRetAcesso.isEmpty()); }},
        EndCase{"GuardsOfAHandlerStillRunningStayWithIt",
                [](SaleState &s) {
                    s.busy.boDigitacaoAux1 = true;
                    s.busy.boProcessando = true;
                    s.flags.boRecebendo = true;
                },
                [](const SaleState &s) {
                    EXPECT_TRUE(s.busy.boDigitacaoAux1);
                    EXPECT_TRUE(s.busy.boProcessando);
                    EXPECT_FALSE(s.flags.boRecebendo);
                }},
        EndCase{"WhatOutlivesTheSaleStays",
                [](SaleState &s) {
                    s.till.stNrCupomReservado = QStringLiteral("000123");
                    s.till.stCancCupomAux3 = QStringLiteral("DB");
                    s.exchange.boTrocaMercadoria = true;
                    s.exchange.doRecebAux1 = 15.0;
                    s.screen.stBalcaoAux1 = QStringLiteral("03");
                    s.host.stRetornoVenda = QStringLiteral("VENDA_MESA");
                },
                [](const SaleState &s) {
                    EXPECT_EQ(s.till.stNrCupomReservado, QStringLiteral("000123"));
                    EXPECT_EQ(s.till.stCancCupomAux3, QStringLiteral("DB"));
                    EXPECT_TRUE(s.exchange.boTrocaMercadoria);
                    EXPECT_EQ(s.exchange.doRecebAux1, 15.0);
                    EXPECT_EQ(s.screen.stBalcaoAux1, QStringLiteral("03"));
                    EXPECT_EQ(s.host.stRetornoVenda, QStringLiteral("VENDA_MESA"));
                }},
        EndCase{"PersonsAndSeatsGoBackToOneOutsideATable",
                [](SaleState &s) {
                    s.table.inNrPessoas = 4;
                    s.table.inExtratoAux1 = 4;
                },
                [](const SaleState &s) {
                    EXPECT_EQ(s.table.inNrPessoas, 1);
                    EXPECT_EQ(s.table.inExtratoAux1, 1);
                }},
        EndCase{"ATableKeepsItsPersonsAndSeats",
                [](SaleState &s) {
                    s.host.stModoVenda = QString(SaleMode::Table);
                    s.table.inNrPessoas = 4;
                    s.table.inExtratoAux1 = 4;
                },
                [](const SaleState &s) {
                    EXPECT_EQ(s.table.inNrPessoas, 4);
                    EXPECT_EQ(s.table.inExtratoAux1, 4);
                }}),
    [](const ::testing::TestParamInfo<EndCase> &info) { return std::string(info.param.name); });

// A new host call starts from nothing the last call's sale left, its guards included.
TEST(SaleStateLifetime, ACallBeginsWithAFreshSaleAndNoGuard)
{
    SaleState state;
    state.editParams().stCDCCUSCLIE = QStringLiteral("CC01");
    state.busy.boDigitacaoAux1 = true;
    state.busy.boImprimindoCompCred = true;
    state.totals.doTotalVenda = 22.90;

    state.beginSale();

    EXPECT_FALSE(state.busy.boDigitacaoAux1);
    EXPECT_FALSE(state.busy.boImprimindoCompCred);
    EXPECT_EQ(state.totals.doTotalVenda, 0.0);
    EXPECT_EQ(state.consumer.stCartaoAux1, QStringLiteral("CC01"));
}

} // namespace
