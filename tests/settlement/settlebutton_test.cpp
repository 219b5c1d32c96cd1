#include "settlefixture.h"

#include <outside/consiste.h>
#include <runtime/datapacket.h>

#include <functional>

namespace {

using Kind = RoadEnd::Kind;

DataPacket parameterRow(const QString &showMessage, const QString &message)
{
    DataPacket packet;
    packet.fields = {FieldDef{"IDEXIBEMENSOP", FieldType::String, 1}, FieldDef{"DSMENSOPERLOJA", FieldType::String, 200}};
    packet.rows = {{showMessage, message}};
    return packet;
}

class SettleButtonTest : public SettleTest
{
};

TEST_F(SettleButtonTest, EmptyReceiptDoesNothingVisible)
{
    data().cdsItems.EmptyDataSet();

    settle();

    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(messages->count(), 0);
    EXPECT_FALSE(state().flags.boRecebendo);
}

TEST_F(SettleButtonTest, SecondPressWhileSettlingIsIgnored)
{
    state().flags.boRecebendo = true;

    settle();

    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_TRUE(state().flags.boRecebendo);
}

// Guards of the common start that stop before anything is paid or written.
struct Refusal
{
    const char *name;
    std::function<void(SettleTest &)> arrange;
    const char *messageKey; // the key of the message shown, or its text; "" = silent
};

class SettleRefusalTest : public SettleTest, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(SettleRefusalTest, StopsBeforeThePaymentScreen)
{
    GetParam().arrange(*this);

    settle();

    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetConcluiFechamento), 0);
    EXPECT_TRUE(serverCalls.isEmpty()) << serverCalls.join(", ").toStdString();
    EXPECT_FALSE(state().flags.boRecebendo);
    const QString key = QString::fromLatin1(GetParam().messageKey);
    if (key.isEmpty())
        EXPECT_EQ(messages->count(), 0) << shown().toStdString();
    else
        EXPECT_TRUE(messages->texts().contains(context().Msg(key))) << shown().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Guards, SettleRefusalTest,
    ::testing::Values(
        Refusal{"PriceConsultation", [](SettleTest &t) { t.state().screen.boConsultaPreco = true; }, "Prod_Preco"},
        Refusal{"BiometricOfAnotherConsumer",
                [](SettleTest &t) {
                    t.state().consumer.stRecebAux4 = "S";
                    t.state().consumer.stCDCONSUMIDOR = "C1";
                    t.host->script(&Pkg_Hrk00002::CriaConfirmaBio, BiometricAnswer{true, "C2"});
                },
                "CONFBIO_NAO"},
        Refusal{"OperatorMessageDeclined",
                [](SettleTest &t) {
                    t.data().cdsParametrosQub.SetData(parameterRow("S", "Confira o troco!"));
                    t.messages->script({false});
                },
                "Confira o troco!"},
        Refusal{"WaiterKeypadLeft",
                [](SettleTest &t) {
                    t.state().editParams().stIDINFVENBAL = "S";
                    t.host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, {}});
                },
                ""},
        Refusal{"BuyerMissingAboveTheLimit",
                [](SettleTest &t) {
                    t.state().editParams().boSISTEMAQUBNFCE = true;
                    t.state().editParams().doVROBRIGCPFNOTA = 48.90; // equal to the total: asks
                    t.state().fiscal.stCpfCnpjNota = "12345678909";
                },
                "VlrLimSemCPF"}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST_F(SettleButtonTest, DeclinedOperatorMessageIsSkippedOnTheNextPress)
{
    data().cdsParametrosQub.SetData(parameterRow("S", "Confira o troco!"));
    messages->script({false});
    settle();
    ASSERT_TRUE(state().busy.boProcessando);
    EXPECT_EQ(messages->texts(), QStringList({"Confira o troco!"}));

    messages->clear();
    settle();

    EXPECT_FALSE(messages->texts().contains("Confira o troco!"));
    EXPECT_FALSE(state().busy.boProcessando);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
}

TEST_F(SettleButtonTest, MissingBuyerGoesOntoEveryLineAndTheNextPressSettles)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    state().editParams().doVROBRIGCPFNOTA = 40;
    state().fiscal.stCpfCnpjNota = "12345678909";
    state().fiscal.stNomeNota = "JOSE";

    settle();

    ClientDataSet &items = data().cdsItems;
    for (items.First(); !items.Eof(); items.Next()) {
        EXPECT_EQ(items.FieldByName("NRINSCRCONS").AsString(), "12345678909");
        EXPECT_EQ(items.FieldByName("NMCONSVEND").AsString(), "JOSE");
    }
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);

    state().fiscal.stEnderecoNota = "RUA A, 10";
    settle();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
}

// When the buyer rule does not apply the settlement goes on to the payment screen.
struct NoBuyerCase
{
    const char *name;
    std::function<void(SaleState &)> arrange;
};

class BuyerRuleOffTest : public SettleTest, public ::testing::WithParamInterface<NoBuyerCase>
{
};

TEST_P(BuyerRuleOffTest, NeverAsksForTheBuyer)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    state().editParams().doVROBRIGCPFNOTA = 10;
    GetParam().arrange(state());

    settle();

    EXPECT_FALSE(messages->texts().contains(context().Msg("VlrLimSemCPF")));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuyerRuleOffTest,
    ::testing::Values(NoBuyerCase{"LimitZero", [](SaleState &s) { s.editParams().doVROBRIGCPFNOTA = 0; }},
                      NoBuyerCase{"TotalBelowTheLimit", [](SaleState &s) { s.totals.doTotalVenda = 9.99; }},
                      NoBuyerCase{"CollectorDesk", [](SaleState &s) { s.editParams().stIDCOLETOR = "C"; }},
                      NoBuyerCase{"TableMode", [](SaleState &s) { s.host.stModoVenda = "M"; }},
                      NoBuyerCase{"NoElectronicDocument", [](SaleState &s) { s.editParams().boSISTEMAQUBNFCE = false; }}),
    [](const ::testing::TestParamInfo<NoBuyerCase> &info) { return std::string(info.param.name); });

// The road chosen by the sale's flags; a road this till does not offer refuses with a message.
struct RoadCase
{
    const char *name;
    std::function<void(SaleState &)> arrange;
    const char *refusalWord; // "" = the ordinary sale
};

class RoadChoiceTest : public SettleTest, public ::testing::WithParamInterface<RoadCase>
{
};

TEST_P(RoadChoiceTest, FirstMatchingFlagChoosesTheRoad)
{
    GetParam().arrange(state());

    settle();

    const QString word = QString::fromUtf8(GetParam().refusalWord);
    if (word.isEmpty()) {
        EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 1);
        EXPECT_TRUE(sold());
        return;
    }
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_TRUE(shown().contains(word)) << shown().toStdString();
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, RoadChoiceTest,
    ::testing::Values(RoadCase{"Ordinary", [](SaleState &) {}, ""},
                      RoadCase{"PersonalCreditFirst",
                               [](SaleState &s) {
                                   s.flags.boCreditoPessoal = true;
                                   s.flags.boVendaDebito = true;
                               },
                               "crédito pessoal"},
                      // The debit road of a till without a consumer-debit receipt type stops at its payment row.
                      RoadCase{"ConsumerDebit", [](SaleState &s) { s.flags.boVendaDebito = true; }, "recebimento \"A\""},
                      RoadCase{"Exchange", [](SaleState &s) { s.exchange.boTrocaMercadoria = true; }, "troca"}),
    [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

TEST_F(SettleButtonTest, OperatorsWaiterGoesOntoTheSaleRows)
{
    state().rights.stCdVendedorOperador = "5";
    const DataPacket &saved = savedSaleRows();

    settle();

    ASSERT_EQ(saved.rows.size(), 3);
    EXPECT_EQ(saved.value(0, "CDVENDEDOR").toString(), Consiste::Ajusta("5", 4));
}

TEST_F(SettleButtonTest, AnOperatorWithoutAWaiterSettlesWithoutAWaiterMessage)
{
    state().rights.stCdVendedorOperador.clear();

    settle();

    EXPECT_TRUE(sold()) << shown().toStdString();
    EXPECT_FALSE(messages->texts().contains(context().Msg("GAR_N_CAD")));
}

TEST_F(SettleButtonTest, FiscalPrinterFaultStopsTheSettlement)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{false, {}, {}});

    settle();

    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_TRUE(messages->texts().contains(context().Msg("ERRO_IMPRESSORA")));
}

TEST_F(SettleButtonTest, ConsumerNameAskedGoesOntoEveryLine)
{
    state().editParams().stIDSOLDIGCONS = "S";
    AdditionalDataAnswer typed;
    typed.name = "ANA";
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed);
    const DataPacket &saved = savedSaleRows();

    settle();

    EXPECT_EQ(host->last(&Pkg_Hrk00002::CriaInfAdicional).askConsumerName, "S");
    ASSERT_FALSE(saved.rows.isEmpty());
    EXPECT_EQ(saved.value(0, "NMCONSVEND").toString(), "ANA");
}

} // namespace
