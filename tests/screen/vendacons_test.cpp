#include "screenfixture.h"

#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <screen/vendacons.h>

#include <server/trdmvendacons.h>

#include <QAbstractButton>
#include <QFile>
#include <QTimer>

namespace {

void click(TfrmVendaCons &form, const char *button)
{
    form.findChild<QAbstractButton *>(QString::fromLatin1(button))->click();
}

} // namespace

TEST_F(ScreenTest, FirstCallCreatesTheFormAndTranslatesItOnce)
{
    int translations = 0;
    TfrmVendaCons::translator() = [&translations](QWidget *) { ++translations; };
    EXPECT_EQ(VendaConsEntry::frmVendaCons(), nullptr);

    call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });
    TfrmVendaCons *first = VendaConsEntry::frmVendaCons();
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });

    EXPECT_EQ(VendaConsEntry::frmVendaCons(), first);
    EXPECT_EQ(translations, 1);
}

struct ClosingCase
{
    const char *name;
    const char *button;
    const char *keyword;
};

// A till of the main system that sells at the counter, at tables, on tabs and by delivery:
// the mode buttons are enabled on a free till.
class ClosingRoads : public ScreenTest, public ::testing::WithParamInterface<ClosingCase>
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        parameters.insert(QStringLiteral("STSISTEMAPRIN"), QStringLiteral("QUB"));
        writeParameters(parameters);
    }
};

TEST_P(ClosingRoads, ButtonHandsItsKeywordToTheHost)
{
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, GetParam().button); });
    EXPECT_EQ(ret.at(0).toString(), QString::fromLatin1(GetParam().keyword));
}

INSTANTIATE_TEST_SUITE_P(Buttons, ClosingRoads,
                         ::testing::Values(ClosingCase{"Leave", "lblSair", "FECHA_SISTEMA"},
                                           ClosingCase{"Table", "spbMenuMesa", "VENDA_MESA"},
                                           ClosingCase{"Tab", "spbComanda", "VENDA_COMANDA"},
                                           ClosingCase{"Delivery", "spbDelivery", "VENDA_DELIVERY"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScreenTest, ModalRunEndsWhenAClosingRoadClosesTheForm)
{
    parameters.insert(QStringLiteral("STSISTEMAPRIN"), QStringLiteral("QUB"));
    writeParameters(parameters);
    VendaConsEntry::setModalRunner({});
    QList<Variant> params(10, Variant(QString()));
    params[6] = Variant(QStringLiteral("B"));
    Variant ret = Variant::array(1);
    // The form exists once the first call made it; close it from the running modal loop.
    QTimer::singleShot(0, [] {
        if (TfrmVendaCons *form = VendaConsEntry::frmVendaCons())
            click(*form, "spbMenuMesa");
    });
    VendaCons(params, ret);
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("VENDA_MESA"));
    EXPECT_FALSE(VendaConsEntry::frmVendaCons()->isVisible());
}

TEST_F(ScreenTest, AClosingWithoutKeywordHandsBackThePreviousOne)
{
    parameters.insert(QStringLiteral("STSISTEMAPRIN"), QStringLiteral("QUB"));
    writeParameters(parameters);
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "spbMenuMesa"); });
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("VENDA_MESA"));
}

TEST_F(ScreenTest, FailingStartUpAnswersErroSistemaAndTheNextCallTriesAgain)
{
    int attempts = 0;
    server->table().startupLookups.getDadosCRMBONUS = [&attempts](const QString &, const QString &) {
        return ++attempts == 1 ? Variant::failure(QStringLiteral("DBNETLIB: servidor fora do ar"))
                               : Variant(textPacket({"IDCRMBONUS"}, {{"N"}}));
    };
    const Variant failed = call(QStringLiteral("B"));
    ASSERT_EQ(failed.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).kind, 3);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QStringLiteral("servidor fora do ar")));

    const Variant retried = call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });
    EXPECT_EQ(retried.at(0).toString(), QStringLiteral("FECHA_SISTEMA"));
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(serverCalls.contains(QStringLiteral("getConfigCaixa")));
}

// The server restarting as the screen starts: the start-up meets a base that does not answer.
// The till tells the cashier once, in words, waits for the base and opens the screen, instead
// of handing the host "ERRO_SISTEMA" (which stops it).
TEST_F(ScreenTest, AStartUpTheBaseDidNotAnswerWaitsForItAndOpensTheScreen)
{
    int attempts = 0;
    server->table().startupLookups.getDadosCRMBONUS = [&attempts](const QString &, const QString &) {
        return ++attempts == 1 ? Variant::failure(QStringLiteral("[DBNETLIB] O servidor de banco de dados não "
                                                                 "responde (PostgreSQL 127.0.0.1): Connection refused"))
                               : Variant(textPacket({"IDCRMBONUS"}, {{"N"}}));
    };
    // The base answers again at once: the start-up is simply made again, without a word.
    const Variant quiet = call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });
    EXPECT_EQ(quiet.at(0).toString(), QStringLiteral("FECHA_SISTEMA"));
    EXPECT_EQ(attempts, 2);
    for (const auto &shown : messages->calls())
        EXPECT_FALSE(shown.text.contains(QStringLiteral("servidor"))) << shown.text.toStdString();
}

TEST_F(ScreenTest, AStartUpTheBaseKeepsFailingTellsTheCashierOnceInWordsAndOpensOnceItAnswers)
{
    int attempts = 0;
    server->table().startupLookups.getDadosCRMBONUS = [&attempts](const QString &, const QString &) {
        return ++attempts <= 2 ? Variant::failure(QStringLiteral("[DBNETLIB] O servidor de banco de dados não "
                                                                 "responde (PostgreSQL 127.0.0.1): Connection refused"))
                               : Variant(textPacket({"IDCRMBONUS"}, {{"N"}}));
    };
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("FECHA_SISTEMA"));
    EXPECT_EQ(attempts, 3);
    QList<FakeMessages::Call> aboutTheBase;
    for (const auto &shown : messages->calls()) {
        if (shown.text.contains(QStringLiteral("servidor")))
            aboutTheBase << shown;
    }
    ASSERT_EQ(aboutTheBase.size(), 1);
    const QString shown = aboutTheBase.first().text;
    EXPECT_TRUE(shown.contains(QStringLiteral("não responde"))) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("DBNETLIB"))) << shown.toStdString();
    EXPECT_TRUE(aboutTheBase.first().detail.contains(QStringLiteral("Connection refused")));
}

TEST_F(ScreenTest, UnreachableDatabaseAnswersErroSistema)
{
    QFile::remove(sitePath(QStringLiteral("Dados/Conexao.txt")));
    // A base inside a plain file can be neither opened nor created.
    writeBytes(QStringLiteral("Dados/Conexao.txt"),
               "Provider=SQLITE;Database=" + sitePath(QStringLiteral("PARAMETROSQUB.CDS/VendaCons.db")).toUtf8() + "\n");
    setRdmVendaCons(nullptr);
    const Variant ret = call(QStringLiteral("B"));
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(ScreenTest, ArgumentEightHasNoEffect)
{
    auto run = [this](bool flag) {
        VendaConsEntry::setModalRunner([](TfrmVendaCons &form) { click(form, "lblSair"); });
        QList<Variant> params(10, Variant(QString()));
        params[6] = Variant(QStringLiteral("B"));
        params[8] = Variant(flag);
        Variant ret = Variant::array(1);
        VendaCons(params, ret);
        return ret.at(0).toString();
    };
    EXPECT_EQ(run(true), run(false));
    EXPECT_EQ(form().state().host.stModoVenda, QStringLiteral("B"));
}

TEST_F(ScreenTest, StartUpRunsOnTheServerLayerOfAFreshBase)
{
    // The fixture's table goes first: replaced in place, it would come back after this test,
    // its functions still bound to this finished fixture.
    server.reset();
    server = std::make_unique<ScopedTable<ServerSeams>>(ServerSeams());
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { click(form, "lblSair"); });
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("FECHA_SISTEMA"));
    for (const auto &shown : messages->calls())
        EXPECT_FALSE(shown.text.contains(QStringLiteral("não instalada"))) << shown.text.toStdString();
}
