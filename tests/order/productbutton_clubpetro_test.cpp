#include "productbuttonfixture.h"

#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>

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
        state().clubPetro.stCpfClubPetro = cpf;
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

TEST_F(ClubPetroButton, WithoutACpfTheProgrammeIsNotAsked)
{
    pressWithCpf(QString());
    EXPECT_TRUE(partners.requests(Partner::ClubPetro).isEmpty());
    EXPECT_EQ(registered.size(), 1);
}

} // namespace
