#include <support/fakehost.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

// One default routine called on fresh tables: whether it claimed success, and its text.
struct DefaultOutcome
{
    bool succeeded = true;
    QString failure;
};

struct DefaultCase
{
    const char *name;
    std::function<DefaultOutcome(Pkg_Hrk00002 &, Pkg_Hrk00001 &)> call;
    bool namesRoutine = true; // the answer carries "serviço não instalado: <routine>"
};

void PrintTo(const DefaultCase &row, std::ostream *out)
{
    *out << row.name;
}

DefaultOutcome outcome(const HostResult &result)
{
    return {result.ok, result.failure};
}

const DefaultCase defaultCases[] = {
    {"TecladoNumerico", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.TecladoNumerico(KeypadRequest{.value = "7"});
         return DefaultOutcome{a.confirmed, {}};
     }, false},
    {"VerificaAcesso", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return DefaultOutcome{s.VerificaAcesso({}).allowed, {}};
     }, false},
    {"ControleAcess", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return DefaultOutcome{s.ControleAcess({}) != "N", {}};
     }, false},
    {"CriaInfAdicional", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.CriaInfAdicional({});
         return DefaultOutcome{a.confirmed || !a.document.isEmpty() || !a.code.isEmpty(), {}};
     }, false},
    {"Observacao", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return DefaultOutcome{s.Observacao({}).text != "erro", {}};
     }, false},
    {"CriaConfirmaBio", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.CriaConfirmaBio({"001"});
         return DefaultOutcome{a.done || !a.cdConsumidor.isEmpty(), {}};
     }, false},
    {"ChamaFuncaoRetornaPreco", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.ChamaFuncaoRetornaPreco({});
         return DefaultOutcome{!a.text.isEmpty(), a.failure};
     }},
    {"SATOnline", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.SATOnline({});
         return DefaultOutcome{a.accepted, a.answer.value("mensagem")};
     }},
    {"AtualizaVendaSat", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const Variant v = s.AtualizaVendaSat({});
         return DefaultOutcome{!v.isFailure(), v.failureText()};
     }},
    {"Vd_VrMinMaxSangria", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const Variant v = s.Vd_VrMinMaxSangria({});
         return DefaultOutcome{!v.isFailure(), v.failureText()};
     }},
    {"IncluiVendaCan", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const Variant v = s.IncluiVendaCan({}).result;
         return DefaultOutcome{!v.isFailure(), v.failureText()};
     }},
    {"DisparaImpressaoNaoFiscal", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return outcome(s.DisparaImpressaoNaoFiscal({}));
     }},
    {"LogControleAcess", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return outcome(s.LogControleAcess({}));
     }},
    {"getDataEmissNFCe", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.getDataEmissNFCe();
         return DefaultOutcome{a.ok, a.failure};
     }},
    {"MoviclieCentral", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         return DefaultOutcome{s.MoviclieCentral({}).answered, {}};
     }, false},
    {"IntegracaoPromo", [](Pkg_Hrk00002 &s, Pkg_Hrk00001 &) {
         const auto a = s.IntegracaoPromo({});
         return DefaultOutcome{a.answered, a.failure};
     }},
    {"AbreCupom", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.AbreCupom({});
         return DefaultOutcome{a.ok, a.failure};
     }},
    {"VendaItem", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.VendaItem({});
         return DefaultOutcome{a.ok, a.failure};
     }},
    {"FechaCupom", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.FechaCupom({});
         return DefaultOutcome{a.ok, a.failure};
     }},
    {"BuscaPeso", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.BuscaPeso({});
         // a positive weight would sell an item nobody weighed
         return DefaultOutcome{a.ok || a.weight >= 0, a.failure};
     }},
    {"Abre_Gaveta_Imp", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         return outcome(d.Abre_Gaveta_Imp({}));
     }},
    {"LimpaDisplay", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) { return outcome(d.LimpaDisplay()); }},
    {"Cancela_Cupom_Imp", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.Cancela_Cupom_Imp({});
         return DefaultOutcome{a.ok, a.failure};
     }},
    {"DigitaCpfPinpad", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.DigitaCpfPinpad({});
         return DefaultOutcome{a.returnCode == 0, a.failure};
     }},
    {"CancelarVenda", [](Pkg_Hrk00002 &, Pkg_Hrk00001 &d) {
         const auto a = d.CancelarVenda({});
         return DefaultOutcome{a.accepted, a.failure};
     }},
};

class HostDefaults : public ::testing::TestWithParam<DefaultCase>
{
};

TEST_P(HostDefaults, AnswerFailureOrCancelWithoutThrowing)
{
    Pkg_Hrk00002 services;
    Pkg_Hrk00001 devices;
    DefaultOutcome result;
    ASSERT_NO_THROW(result = GetParam().call(services, devices));
    EXPECT_FALSE(result.succeeded);
    if (GetParam().namesRoutine) {
        EXPECT_EQ(result.failure,
                  QStringLiteral("serviço não instalado: %1").arg(GetParam().name));
    }
}

INSTANTIATE_TEST_SUITE_P(Routines, HostDefaults, ::testing::ValuesIn(defaultCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HostDefaults, EveryMemberOfAFreshTableIsSet)
{
    const Pkg_Hrk00002 services;
    const Pkg_Hrk00001 devices;
#define EXPECT_SET(name) EXPECT_TRUE(static_cast<bool>(services.name)) << #name;
    PKG_HRK00002_ROUTINES(EXPECT_SET)
#undef EXPECT_SET
#define EXPECT_SET(name) EXPECT_TRUE(static_cast<bool>(devices.name)) << #name;
    PKG_HRK00001_ROUTINES(EXPECT_SET)
#undef EXPECT_SET
    EXPECT_EQ(Pkg_Hrk00002::routineNames().size(), 67);
    EXPECT_EQ(Pkg_Hrk00001::routineNames().size(), 25);
}

TEST(HostDefaults, AnInstalledTableWithEmptyMembersGetsTheDefaults)
{
    Pkg_Hrk00002 partial;
    partial.TecladoNumerico = nullptr;
    partial.ImprimePadrao = {};
    ScopedHostServices scope(std::move(partial));
    EXPECT_NO_THROW(hostServices().TecladoNumerico({}));
    EXPECT_EQ(hostServices().ImprimePadrao({}).failure, "serviço não instalado: ImprimePadrao");
}

TEST(FakeHost, RecordsCallsOfBothPackagesInOrder)
{
    FakeHost host;
    hostServices().VerificaAcesso({.actionCode = 12, .cdOperador = "0001"});
    hostDevices().LimpaDisplay();
    hostDevices().DisplayEnviaTexto({.text = "CAIXA LIVRE", .line = 1, .column = 1, .value4 = 1});
    hostServices().TecladoNumerico({.title = "Venda de Produto", .maxLength = 10});

    EXPECT_EQ(host.routines(), QStringList({"VerificaAcesso", "LimpaDisplay", "DisplayEnviaTexto",
                                            "TecladoNumerico"}));
    EXPECT_EQ(host.last(&Pkg_Hrk00002::VerificaAcesso), (AccessRequest{12, "0001"}));
    EXPECT_EQ(host.last(&Pkg_Hrk00001::DisplayEnviaTexto).text, "CAIXA LIVRE");
    EXPECT_EQ(host.last(&Pkg_Hrk00002::TecladoNumerico).maxLength, 10);
    EXPECT_EQ(host.count(&Pkg_Hrk00001::LimpaDisplay), 1);
    EXPECT_EQ(host.count(&Pkg_Hrk00001::BuscaPeso), 0);
}

TEST(FakeHost, AnswersFromTheQueueThenTheStandingAnswerThenTheDefault)
{
    FakeHost host;
    host.script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "3"});
    host.script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "4,5"});
    EXPECT_EQ(hostServices().TecladoNumerico({}), (KeypadAnswer{true, "3"}));
    EXPECT_EQ(hostServices().TecladoNumerico({}), (KeypadAnswer{true, "4,5"}));
    EXPECT_EQ(hostServices().TecladoNumerico({}), KeypadAnswer{}); // cancelled, as without host

    host.setDefault(&Pkg_Hrk00001::BuscaPeso, ScaleAnswer{true, 0.350, {}});
    host.script(&Pkg_Hrk00001::BuscaPeso, ScaleAnswer{true, 0, {}});
    EXPECT_EQ(hostDevices().BuscaPeso({}).weight, 0);
    EXPECT_EQ(hostDevices().BuscaPeso({}).weight, 0.350);
    EXPECT_EQ(hostDevices().BuscaPeso({}).weight, 0.350);

    host.script(&Pkg_Hrk00002::ControleAcess, "S");
    EXPECT_EQ(hostServices().ControleAcess({}), "S");
    EXPECT_EQ(hostServices().ControleAcess({}), "N");
}

TEST(FakeHost, AHandlerSeesTheRequestAndIsStillRecorded)
{
    FakeHost host;
    host.handle(&Pkg_Hrk00002::VerificaAcesso, [](const AccessRequest &request) {
        return AccessAnswer{request.actionCode == 7, "SUPERVISOR"};
    });
    EXPECT_TRUE(hostServices().VerificaAcesso({.actionCode = 7}).allowed);
    EXPECT_FALSE(hostServices().VerificaAcesso({.actionCode = 8}).allowed);
    EXPECT_EQ(host.requests(&Pkg_Hrk00002::VerificaAcesso).size(), 2);
}

TEST(FakeHost, RestoresThePreviousTablesWhenItEnds)
{
    Pkg_Hrk00002 installed;
    installed.ControleAcess = [](const RightRequest &) { return QStringLiteral("S"); };
    ScopedHostServices scope(std::move(installed));
    {
        FakeHost host;
        EXPECT_EQ(hostServices().ControleAcess({}), "N");
        {
            FakeHost inner;
            inner.setDefault(&Pkg_Hrk00002::ControleAcess, "X");
            EXPECT_EQ(hostServices().ControleAcess({}), "X");
            EXPECT_EQ(host.calls().size(), 1); // the inner fake's call is not the outer's
        }
        EXPECT_EQ(hostServices().ControleAcess({}), "N");
        EXPECT_EQ(host.calls().size(), 2);
    }
    EXPECT_EQ(hostServices().ControleAcess({}), "S");
}

TEST(ScopedTables, RestoreTheDefaultsOnTheWayOut)
{
    {
        Pkg_Hrk00001 devices;
        devices.Abre_Gaveta_Imp = [](const FiscalDrawerRequest &) { return HostResult::done(); };
        ScopedHostDevices scope(std::move(devices));
        EXPECT_TRUE(hostDevices().Abre_Gaveta_Imp({}).ok);
    }
    EXPECT_FALSE(hostDevices().Abre_Gaveta_Imp({}).ok);
}

TEST(NameValueList, ReadsValuesByNameWithoutRegardToCase)
{
    NameValueList answer({"CCCC=0000", "mensagem=Cupom=cancelado", "chaveConsulta=CFe123"});
    EXPECT_EQ(answer.value("cccc"), "0000");
    EXPECT_EQ(answer.value("MENSAGEM"), "Cupom=cancelado"); // the value runs past a second "="
    EXPECT_EQ(answer.value("EEEEE"), "");
    EXPECT_FALSE(answer.contains(""));
    answer.setValue("CCCC", "1210");
    EXPECT_EQ(answer.value("CCCC"), "1210");
    EXPECT_EQ(answer.lines().size(), 3);
}

TEST(Positions, ClosingHeaderKeepsItsFixedValues)
{
    ClosingHeader header;
    header.cdCaixa = "001";
    header.doVrImpostoAprox = 1.25;
    const QList<Variant> values = header.toArray();
    ASSERT_EQ(values.size(), 51);
    EXPECT_EQ(values.at(0), Variant("001"));
    EXPECT_EQ(values.at(11), Variant("POS"));
    EXPECT_EQ(values.at(32), Variant("BAL_QUB"));
    EXPECT_EQ(values.at(41), Variant(1.25));
    EXPECT_EQ(values.at(43), Variant(true));
    EXPECT_EQ(values.at(49), Variant("T"));
    header.valueCount = 46; // the QR-code road with a fiscal printer
    EXPECT_EQ(header.toArray().size(), 46);
}

TEST(Positions, ClosingAnswerReadsTheResultArray)
{
    ClosingAnswer answer;
    answer.points = 12;
    answer.nfceStatus = "CONTIGENCIA_SP";
    const ClosingAnswer back = ClosingAnswer::fromArray(Variant("0000000042"), answer.toArray());
    EXPECT_EQ(back.points, 12);
    EXPECT_EQ(back.nfceStatus, "CONTIGENCIA_SP");
    EXPECT_EQ(back.savedSaleKey, Variant("0000000042"));
    EXPECT_EQ(ClosingAnswer::fromArray(Variant::failure("caiu"), Variant()).failure, "caiu");
}

TEST(Positions, AdditionalDataLayoutsKeepTheirLength)
{
    AdditionalDataRequest coupon{.idEsquema = "002", .value8 = "S", .valueCount = 9};
    const QList<Variant> values = coupon.toArray();
    ASSERT_EQ(values.size(), 9);
    EXPECT_EQ(values.at(AdditionalDataRequest::Scheme), Variant("002"));
    EXPECT_EQ(values.at(AdditionalDataRequest::Value8), Variant("S"));
    const AdditionalDataAnswer typed{.document = "12345678909", .code = "PROMO10"};
    const AdditionalDataAnswer back = AdditionalDataAnswer::fromArray(typed.toArray());
    EXPECT_EQ(back.document, "12345678909");
    EXPECT_EQ(back.code, "PROMO10");
    EXPECT_EQ(AdditionalDataAnswer::fromArray(Variant()).code, ""); // unreadable = empty
}

TEST(Positions, PrinterRecordsKeepTheirShape)
{
    EXPECT_EQ(FiscalCloseRequest{}.toArray().size(), 62);
    EXPECT_EQ(NonFiscalPrintRequest{.kind = "PEDIDO"}.toArray().at(1), Variant("PEDIDO"));
    EXPECT_EQ(PriceRequest{.valueCount = 8}.toArray().size(), 8);
    const PriceRequest withType{.cdTipoCons = "01", .valueCount = 10};
    EXPECT_EQ(withType.toArray().at(9), Variant("01"));

    const CouponOpenAnswer opened{.ok = true, .inTefErro = 0, .cupNr = "000123", .contCupom = "45"};
    EXPECT_EQ(opened.recebeParams("CUPNR"), Variant("000123"));
    EXPECT_EQ(opened.recebeParams("CONTCUPOM"), Variant("45"));
    EXPECT_EQ(opened.recebeParams("INTTEFERRO"), Variant(0));
    EXPECT_TRUE(opened.recebeParams("OUTRA").isEmpty());
}

} // namespace
