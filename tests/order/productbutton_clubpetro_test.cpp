#include "productbuttonfixture.h"

#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace {

using Behaviour = FakePartners::Behaviour;
using Partner = FakePartners::Partner;

// The fuel-station loyalty step of the product button: a consumer's CPF held by the sale is
// consulted at the programme before the item; the item is sold whatever the programme says.
class ClubPetroButton : public ButtonTest
{
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        ASSERT_TRUE(partners.start());
        setGroups({{"01", "1", "2", "LANCHES", "", "0", "16777215"}});
        setButtons({{"01", "01", "1", "1", "1", "COXINHA", "100"}});
        setPages({"1"}, {{"01", "1", "2"}});
        drawGrid();
        QSettings(site.filePath("Dados/ClubPetro.ini"), QSettings::IniFormat)
            .setValue("token_url", partners.baseUrl(Partner::ClubPetro) + "/token.php");
        ASSERT_TRUE(data().cdsDadosResgSaldo.SetData(texts({"DSIDRESGS", "DSSENHARESGS"}, {{"club-id", "club-secret"}})));
        ServerSeams &table = server->table();
        table.startupLookups.getDadosResgSaldo = [this](const QString &) { return Variant(data().cdsDadosResgSaldo.Data()); };
        table.consumers.getCNPJFil = [](const QString &) { return Variant("12345678000199"); };
        table.consumers.GetTipoConsFiliClubPetro = [](const QString &group) {
            return Variant(texts({"NMGRUPOSEGPETRO", "CDTIPOCONS"}, {{group, "07"}}));
        };
        FakePartners::ClubCustomer customer;
        customer.document = "12345678901";
        FakePartners::ClubCustomer blocked = customer;
        blocked.document = "22222222222";
        blocked.blocked = "1";
        partners.settings().clubCustomers = {customer, blocked};
    }

    void pressWithCpf(const QString &cpf)
    {
        state().clubPetroCustomer.stCpfClubPetro = cpf;
        click(QStringLiteral("tcbBalcao01"));
    }
    void click(const QString &name) { form->findChild<QAbstractButton *>(name)->click(); }

    PartnerWaits waits;
    FakePartners partners;
};

TEST_F(ClubPetroButton, CustomerOfTheProgrammeGetsTheSegmentsConsumerType)
{
    pressWithCpf("12345678901");
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(state().road.stNMGRUPOSEGPETRO, QStringLiteral("OURO"));
    EXPECT_EQ(state().consumer.stCDTIPOCONS, QStringLiteral("07"));
    EXPECT_EQ(messages->count(), 0);
}

TEST_F(ClubPetroButton, BlockedCustomerIsToldWhyAndTheItemIsSold)
{
    pressWithCpf("22222222222");
    EXPECT_EQ(messages->texts(), QStringList({Msg("CLICLUBPET_BLOQ")}));
    EXPECT_EQ(registered.size(), 1);
    EXPECT_TRUE(state().consumer.stCDTIPOCONS.isEmpty());
}

TEST_F(ClubPetroButton, SilentProgrammeIsReportedAndTheItemIsSold)
{
    waits.setBehaviour(partners, Partner::ClubPetro, Behaviour::Silent);
    pressWithCpf("12345678901");
    EXPECT_EQ(messages->texts(), QStringList({Msg("IMPCONAPI_CLUBPETRO")}));
    EXPECT_EQ(registered.size(), 1);
}

// The documents the programme was consulted with, in order.
QStringList consultedDocuments(const FakePartners &partners)
{
    QStringList documents;
    for (const auto &request : partners.requests(Partner::ClubPetro)) {
        const QJsonObject customer = QJsonDocument::fromJson(request.body).object().value("cliente").toObject();
        if (!customer.isEmpty())
            documents.append(customer.value(customer.contains("dni") ? "dni" : "cpf").toString());
    }
    return documents;
}

// A CPF is the customer's: the buttons of the sale that named it consult the programme with
// it, the next customer's buttons do not, whichever way the sale ended.
class ClubPetroNextSale : public ClubPetroButton
{
protected:
    void SetUp() override
    {
        ClubPetroButton::SetUp();
        // The buyer's dialog names the CPF; the payment screen pays in cash; the save stores.
        AdditionalDataAnswer buyer;
        buyer.confirmed = true;
        buyer.document = "12345678901";
        host->setDefault(&Pkg_Hrk00002::CriaInfAdicional, buyer);
        host->handle(&Pkg_Hrk00002::Recebimento, [](const PaymentRequest &request, PaymentDatasets &datasets) {
            ClientDataSet &payments = datasets.cdsMovCaixa;
            payments.Close();
            payments.CreateDataSet();
            payments.Append();
            payments.FieldByName("CDCLIENTE").SetAsString("000001");
            payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
            payments.FieldByName("VRMOVIVEND").SetAsFloat(1.00);
            payments.Post();
            PaymentAnswer answer;
            answer.paid = true;
            answer.documentNumber = request.documentNumber;
            return answer;
        });
        ClosingAnswer stored;
        stored.savedSaleKey = "0000000042";
        host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, stored);
        host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
        ServerSeams &table = server->table();
        table.counters.setNrVendaNFisc = [](const QString &, const QString &, const QString &) {
            return Variant(QString("000123"));
        };
        table.consumers.setGravaConsumidor = [](const QStringList &) { return Variant(QString()); };
        state().host.stCdClienteVenda = "000001";
        state().editParams().stCDCLIENTE = "000001";
        state().editParams().stIDUTLINTFACELE = "N";
        data().cdsItems.CreateDataSet();
    }

    // The line the button sold, on the receipt (the fixture records the registration instead).
    void lineOnTheReceipt()
    {
        ClientDataSet &items = data().cdsItems;
        items.Append();
        items.FieldByName("NRSEQ").SetAsString("001");
        items.FieldByName("CDPRODUTO").SetAsString("100");
        items.FieldByName("NMPRODUTO").SetAsString("COXINHA");
        items.FieldByName("QTPRODCOMVEN").SetAsString("1");
        items.FieldByName("VRPRECCOMVEN").SetAsFloat(1.00);
        items.FieldByName("VRUNITVENDCL").SetAsFloat(1.00);
        items.Post();
        state().totals.doTotalVenda = 1.00;
    }
    void pressEnabled(const char *name)
    {
        QAbstractButton *button = form->findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        button->click();
    }
};

TEST_F(ClubPetroNextSale, TheNextCustomersButtonsConsultNoCpfOfTheSaleBefore)
{
    pressEnabled("spbIncluiCpf");
    ASSERT_EQ(state().clubPetroCustomer.stCpfClubPetro, QStringLiteral("12345678901"));
    click(QStringLiteral("tcbBalcao01"));
    ASSERT_EQ(consultedDocuments(partners), QStringList({"12345678901"}));
    lineOnTheReceipt();

    pressEnabled("spbReceb");
    ASSERT_TRUE(data().cdsItems.IsEmpty()) << messages->texts().join(" | ").toStdString();
    click(QStringLiteral("tcbBalcao01"));

    EXPECT_EQ(registered.size(), 2);
    EXPECT_EQ(consultedDocuments(partners), QStringList({"12345678901"}));
    EXPECT_TRUE(state().consumer.stCDTIPOCONS.isEmpty());
}

TEST_F(ClubPetroButton, WithoutACpfTheProgrammeIsNotAsked)
{
    pressWithCpf(QString());
    EXPECT_TRUE(partners.requests(Partner::ClubPetro).isEmpty());
    EXPECT_EQ(registered.size(), 1);
}

} // namespace
