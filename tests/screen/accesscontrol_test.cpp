#include "screenfixture.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <QPushButton>
#include <QWidget>

#include <functional>

namespace {

// Every control the access rules decide on.
const QStringList enabledControls = {
    "panBalcao",      "spbMenuMesa",   "spbComanda",     "spbVendaManu",     "spbDelivery",
    "spbProdCombinado", "spbFuncoes",  "spbQtde2",       "spbQtde",          "spbConsultaPreco",
    "spbPesquisa",    "spbCancProd",   "spbObs",         "spbCancelaCupom",  "spbNrPessoas",
    "spbParaViagem",  "spbCashback",   "spbCashbackUDS", "spbConsultaPromo", "spbCompraCred",
    "spbCartao",      "spbIncluiCpf",  "spbReceb",       "lblSair",          "spbCadCons",
    "spbVendaDeb",    "spbLerQrCode",
};
// The controls whose visibility the rules decide on.
const QStringList visibleControls = {
    "spbMenuMesa",   "spbComanda",       "spbVendaManu",  "spbDelivery",       "spbParaViagem",
    "spbCashback",   "spbCashbackUDS",   "spbConsultaPromo", "spbImprimeMensagem", "spbCompraCred",
    "spbCartao",     "spbLerQrCode",     "panErroImpressora",
};

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class AccessControl : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        m_chart = std::make_unique<ScopedTable<ServerSeams>>(chartServer(false));
        m_form = std::make_unique<TfrmVendaCons>();
        control("spbImprimeMensagem")->hide();
        permissiveTill();
    }
    void TearDown() override
    {
        m_form.reset();
        m_chart.reset();
        ScreenTest::TearDown();
    }

    static ServerSeams chartServer(bool registered)
    {
        ServerSeams table = ServerSeams::current();
        table.lookupsTills.getCartaoCHART = [registered] { return Variant(registered); };
        return table;
    }

    // Every switch on and every right granted, a counter sale without a fiscal printer.
    void permissiveTill()
    {
        SaleState &s = state();
        s.host.stModoVenda = QStringLiteral("B");
        for (QString *right : {&s.rights.stAcessoConsultaPreco, &s.rights.stAcessoPesqProduto,
                               &s.rights.stAcessoCancItemGen, &s.rights.stAcessoObsProduto,
                               &s.rights.stAcessoCancCupom, &s.rights.stAcessoProdCombinado,
                               &s.rights.stAcessoMultiplicador})
            *right = QStringLiteral("S");
        Parameters &p = s.editParams();
        p.stSTSISTEMAPRIN = QStringLiteral("QUB");
        p.stIdTpTelaVe = QStringLiteral("3");
        p.stIDCOLETOR = QStringLiteral("N");
        p.stSGESTADOFILI = QStringLiteral("SP");
        for (QString *flag : {&p.stIDCTRLPEDVIAGEM, &p.stIDUTILFID4ALL, &p.stIDUTILFIDUDS, &p.stIDUTILINTEPROMO,
                              &p.stIDPERCADCONSFCXA})
            *flag = QStringLiteral("S");
        s.startup.stIDLEITURAQRCODE = QStringLiteral("S");
        s.startup.boConfTipoRece = true;
        ClientDataSet &opening = m_form->datasets().cdsValidaAbertura;
        ASSERT_TRUE(opening.SetData(textPacket({"CDFILIAL", "CDCAIXA"}, {{"0001", "003"}})));
    }

    SaleState &state() { return m_form->state(); }
    ScreenShell &shell() { return m_form->context().shell(); }
    QWidget *control(const QString &name) { return m_form->findChild<QWidget *>(name); }

    QStringList enabledOnes()
    {
        QStringList found;
        for (const QString &name : enabledControls) {
            if (control(name)->isEnabled())
                found << name;
        }
        return found;
    }
    QStringList visibleOnes()
    {
        QStringList found;
        for (const QString &name : visibleControls) {
            if (!control(name)->isHidden())
                found << name;
        }
        return found;
    }

    std::unique_ptr<ScopedTable<ServerSeams>> m_chart;
    std::unique_ptr<TfrmVendaCons> m_form;
};

// ---- the rules, one row per situation -------------------------------------------------------

struct AccessCase
{
    const char *name;
    std::function<void(SaleState &)> arrange;
    const char *enabled;
    const char *visible;
};

void PrintTo(const AccessCase &row, std::ostream *out)
{
    *out << row.name;
}


class AccessRules : public AccessControl, public ::testing::WithParamInterface<AccessCase>
{
};

TEST_P(AccessRules, EveryButtonFollowsTheRules)
{
    GetParam().arrange(state());
    shell().ControleAcessoBotoes();
    EXPECT_EQ(enabledOnes(), words(GetParam().enabled));
    EXPECT_EQ(visibleOnes(), words(GetParam().visible));
}

void printer(SaleState &s, int model)
{
    s.editParams().boUTILIZAIMPFIS = true;
    s.editParams().inIDTIPOIMPFIS = model;
}

INSTANTIATE_TEST_SUITE_P(
    Situations, AccessRules,
    ::testing::Values(
        AccessCase{"CounterFreeTillWithoutPrinter", [](SaleState &) {},
                   "panBalcao spbMenuMesa spbComanda spbVendaManu spbDelivery spbProdCombinado spbFuncoes "
                   "spbQtde2 spbQtde spbConsultaPreco spbPesquisa spbCancProd spbObs spbCancelaCupom "
                   "spbCompraCred spbCartao spbIncluiCpf spbReceb lblSair spbCadCons spbVendaDeb spbLerQrCode",
                   "spbMenuMesa spbComanda spbVendaManu spbDelivery spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"CounterReceiptOpenOnPrinterCreditSale",
                   [](SaleState &s) {
                       printer(s, 2);
                       s.flags.boCupomAberto = true;
                       s.flags.boCreditoPessoal = true;
                   },
                   "panBalcao spbProdCombinado spbFuncoes spbQtde2 spbQtde spbConsultaPreco spbPesquisa "
                   "spbCancProd spbObs spbCancelaCupom spbNrPessoas spbParaViagem spbCashback spbCashbackUDS "
                   "spbConsultaPromo spbCartao spbReceb spbVendaDeb",
                   "spbParaViagem spbCashback spbCashbackUDS spbConsultaPromo spbCompraCred spbCartao"},
        AccessCase{"TableMode", [](SaleState &s) { s.host.stModoVenda = QStringLiteral("M"); },
                   "panBalcao spbMenuMesa spbProdCombinado spbFuncoes spbQtde2 spbQtde spbConsultaPreco "
                   "spbPesquisa spbCancProd spbObs spbReceb lblSair spbLerQrCode",
                   "spbMenuMesa spbImprimeMensagem spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"TabModeOfATabSystemInDebitSale",
                   [](SaleState &s) {
                       s.host.stModoVenda = QStringLiteral("C");
                       s.editParams().stSTSISTEMAPRIN = QStringLiteral("CMD");
                       s.flags.boVendaDebito = true;
                   },
                   "panBalcao spbComanda spbProdCombinado spbFuncoes spbQtde2 spbQtde spbConsultaPreco "
                   "spbPesquisa spbCancProd spbObs spbReceb lblSair spbLerQrCode",
                   "spbComanda spbImprimeMensagem spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"PrinterInErrorWithReceiptOpen",
                   [](SaleState &s) {
                       printer(s, 2);
                       s.editParams().boBOERROIMPRESSORA = true;
                       s.flags.boCupomAberto = true;
                   },
                   "spbFuncoes spbConsultaPreco lblSair spbVendaDeb",
                   "spbCompraCred spbCartao panErroImpressora"},
        AccessCase{"EveryRightDenied",
                   [](SaleState &s) {
                       for (QString *right : {&s.rights.stAcessoConsultaPreco, &s.rights.stAcessoPesqProduto,
                                              &s.rights.stAcessoCancItemGen, &s.rights.stAcessoObsProduto,
                                              &s.rights.stAcessoCancCupom, &s.rights.stAcessoProdCombinado,
                                              &s.rights.stAcessoMultiplicador})
                           *right = QStringLiteral("N");
                   },
                   "panBalcao spbMenuMesa spbComanda spbVendaManu spbDelivery spbFuncoes spbCompraCred "
                   "spbCartao spbIncluiCpf spbReceb lblSair spbCadCons spbVendaDeb spbLerQrCode",
                   "spbMenuMesa spbComanda spbVendaManu spbDelivery spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"EmptyRightsGrant",
                   [](SaleState &s) {
                       for (QString *right : {&s.rights.stAcessoConsultaPreco, &s.rights.stAcessoCancCupom,
                                              &s.rights.stAcessoMultiplicador})
                           right->clear();
                   },
                   "panBalcao spbMenuMesa spbComanda spbVendaManu spbDelivery spbProdCombinado spbFuncoes "
                   "spbQtde2 spbQtde spbConsultaPreco spbPesquisa spbCancProd spbObs spbCancelaCupom "
                   "spbCompraCred spbCartao spbIncluiCpf spbReceb lblSair spbCadCons spbVendaDeb spbLerQrCode",
                   "spbMenuMesa spbComanda spbVendaManu spbDelivery spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"PrinterModel26", [](SaleState &s) { printer(s, 26); },
                   "panBalcao spbVendaManu spbProdCombinado spbFuncoes spbQtde2 spbQtde spbConsultaPreco "
                   "spbPesquisa spbCancProd spbObs spbCartao spbIncluiCpf spbReceb lblSair spbVendaDeb "
                   "spbLerQrCode",
                   "spbVendaManu spbCompraCred spbCartao spbLerQrCode"},
        AccessCase{"PrinterModel16OnACollectorInPriceConsultation",
                   [](SaleState &s) {
                       printer(s, 16);
                       s.editParams().stIDCOLETOR = QStringLiteral("C");
                       s.editParams().stIdTpTelaVe = QStringLiteral("1");
                       s.editParams().stSGESTADOFILI = QStringLiteral("ES");
                       s.screen.boConsultaPreco = true;
                   },
                   "panBalcao spbMenuMesa spbComanda spbDelivery spbProdCombinado spbConsultaPreco spbPesquisa "
                   "spbCancProd spbObs lblSair spbCadCons spbVendaDeb spbLerQrCode",
                   "spbMenuMesa spbComanda spbDelivery spbLerQrCode"},
        AccessCase{"PrinterModel30AllowsTheCreditPurchase",
                   [](SaleState &s) {
                       printer(s, 30);
                       s.editParams().stSTSISTEMAPRIN = QStringLiteral("POS");
                   },
                   "panBalcao spbVendaManu spbProdCombinado spbFuncoes spbQtde2 spbQtde spbConsultaPreco "
                   "spbPesquisa spbCancProd spbObs spbCompraCred spbCartao spbReceb lblSair spbCadCons "
                   "spbVendaDeb spbLerQrCode",
                   "spbVendaManu spbCompraCred spbCartao spbLerQrCode"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- single rules ----------------------------------------------------------------------------

TEST_F(AccessControl, RegisteredCardChargeTypeShowsTheCreditPurchaseWhateverTheLayout)
{
    printer(state(), 2);
    state().editParams().stIdTpTelaVe = QStringLiteral("1");
    shell().ControleAcessoBotoes();
    EXPECT_FALSE(control("spbCompraCred")->isEnabled());
    EXPECT_TRUE(control("spbCompraCred")->isHidden());

    ScopedTable<ServerSeams> registered(chartServer(true));
    shell().ControleAcessoBotoes();
    EXPECT_TRUE(control("spbCompraCred")->isEnabled());
    EXPECT_FALSE(control("spbCompraCred")->isHidden());
}

TEST_F(AccessControl, FailedCardChargeQuestionIsReportedAndChangesNothing)
{
    ServerSeams failing = ServerSeams::current();
    failing.lookupsTills.getCartaoCHART = [] { return Variant::failure(QStringLiteral("conexão perdida")); };
    ScopedTable<ServerSeams> scoped(std::move(failing));
    printer(state(), 2);
    shell().ControleAcessoBotoes();
    EXPECT_FALSE(control("spbCompraCred")->isEnabled());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).text, QStringLiteral("conexão perdida"));
    EXPECT_EQ(messages->calls().at(0).scheme, QStringLiteral("002"));
}

TEST_F(AccessControl, UnopenedTillCannotSettle)
{
    m_form->datasets().cdsValidaAbertura.EmptyDataSet();
    shell().ControleAcessoBotoes();
    EXPECT_FALSE(control("spbReceb")->isEnabled());
}

TEST_F(AccessControl, PrinterErrorCoversTheGridAndDisablesTouchButtons)
{
    printer(state(), 2);
    state().editParams().boBOERROIMPRESSORA = true;
    shell().ControleAcessoBotoes();
    EXPECT_EQ(control("panErroImpressora")->pos(), control("panBalcao")->pos());
    EXPECT_FALSE(control("tcbBalcao01")->isEnabled());
    EXPECT_FALSE(control("tcbBalcao36")->isEnabled());
    EXPECT_FALSE(control("tcbGrupo12")->isEnabled());

    state().editParams().boBOERROIMPRESSORA = false;
    shell().ControleAcessoBotoes();
    EXPECT_TRUE(control("panErroImpressora")->isHidden());
    EXPECT_TRUE(control("tcbBalcao36")->isEnabled());
    EXPECT_TRUE(control("tcbGrupo01")->isEnabled());
}

TEST_F(AccessControl, CancellationDisablesTheSellingButtons)
{
    shell().ControleAcessoBotoes();
    shell().DesabilitaBotoes();
    EXPECT_EQ(enabledOnes(), words("panBalcao spbVendaManu spbDelivery spbQtde2 spbQtde spbCompraCred spbCartao "
                                   "spbIncluiCpf lblSair spbCadCons spbVendaDeb spbLerQrCode"));
    EXPECT_TRUE(control("spbMenuMesa")->isHidden());
    EXPECT_TRUE(control("spbComanda")->isHidden());
}

TEST_F(AccessControl, FirstLineClosesTheWaysOutAndAnEmptyListOpensThem)
{
    ClientDataSet &items = m_form->datasets().cdsItems;
    ASSERT_TRUE(items.CreateDataSet());
    shell().ControleAcessoBotoes();
    ASSERT_TRUE(control("spbMenuMesa")->isEnabled());

    items.Append();
    items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(QStringLiteral("001"));
    ASSERT_TRUE(items.Post());
    for (const char *name : {"lblSair", "spbMenuMesa", "spbComanda", "spbDelivery"})
        EXPECT_FALSE(control(QString::fromLatin1(name))->isEnabled()) << name;
    for (const char *name : {"spbMenuMesa", "spbComanda", "spbDelivery"})
        EXPECT_TRUE(control(QString::fromLatin1(name))->isHidden()) << name;

    ASSERT_TRUE(items.Delete());
    for (const char *name : {"lblSair", "spbMenuMesa", "spbComanda", "spbDelivery"})
        EXPECT_TRUE(control(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_FALSE(control("spbDelivery")->isHidden());
}

// ---- the fiscal printer check ----------------------------------------------------------------

TEST_F(AccessControl, NoPrinterNeverChecksAndTouchesNothing)
{
    control("tcbBalcao01")->setEnabled(false);
    EXPECT_FALSE(shell().VerificaImpressoraOk(true));
    EXPECT_TRUE(host->calls().isEmpty());
    EXPECT_EQ(messages->count(), 0);
    EXPECT_FALSE(control("tcbBalcao01")->isEnabled());
}

TEST_F(AccessControl, FailedDateCheckWarnsOnceThenTheScreenStaysInConsultation)
{
    printer(state(), 2);
    host->script(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{false});
    EXPECT_TRUE(shell().VerificaImpressoraOk(true));
    EXPECT_TRUE(state().params.boBOERROIMPRESSORA);
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Ocorreu um erro com a impressora fiscal. Apenas "
                                                            "operações de consulta serão habilitadas.")});
    EXPECT_EQ(messages->calls().at(0).kind, 3);
    EXPECT_FALSE(control("panErroImpressora")->isHidden());
    EXPECT_FALSE(control("panBalcao")->isEnabled());
    EXPECT_EQ(host->count(&Pkg_Hrk00001::VerificaSerialImp), 0);

    messages->clear();
    host->clear();
    EXPECT_TRUE(shell().VerificaImpressoraOk(true));
    EXPECT_FALSE(shell().VerificaImpressoraOk(false));
    EXPECT_EQ(messages->count(), 2);
    EXPECT_TRUE(messages->texts().at(0).startsWith(QStringLiteral("A impressora fiscal não foi inicializada")));
    EXPECT_TRUE(host->calls().isEmpty());
}

TEST_F(AccessControl, SerialCheckFollowsAGoodDateAndItsFailureIsAPrinterError)
{
    printer(state(), 2);
    state().editParams().stNRSERIEIMP = QStringLiteral("BE0123");
    state().editParams().stDATAIMP = QStringLiteral("05032024");
    host->script(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{true});
    host->script(&Pkg_Hrk00001::VerificaSerialImp, HostResult{false, {}});
    EXPECT_TRUE(shell().VerificaImpressoraOk(true));
    EXPECT_EQ(host->last(&Pkg_Hrk00001::VerificaData).dataImp, QStringLiteral("05032024"));
    EXPECT_EQ(host->last(&Pkg_Hrk00001::VerificaSerialImp).nrSerieImp, QStringLiteral("BE0123"));
    EXPECT_TRUE(state().params.boBOERROIMPRESSORA);
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(AccessControl, GoodPrinterLeavesTheScreenSelling)
{
    printer(state(), 2);
    host->script(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{true});
    host->script(&Pkg_Hrk00001::VerificaSerialImp, HostResult::done());
    EXPECT_FALSE(shell().VerificaImpressoraOk(true));
    EXPECT_FALSE(state().params.boBOERROIMPRESSORA);
    EXPECT_EQ(messages->count(), 0);
    EXPECT_TRUE(control("panBalcao")->isEnabled());
}

TEST_F(AccessControl, TableModeAndPriceConsultationSkipThePrinterQuestions)
{
    printer(state(), 2);
    state().host.stModoVenda = QStringLiteral("M");
    EXPECT_FALSE(shell().VerificaImpressoraOk(true));
    state().host.stModoVenda = QStringLiteral("B");
    state().screen.boConsultaPreco = true;
    EXPECT_FALSE(shell().VerificaImpressoraOk(true));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::VerificaData), 0);
}

// ---- the cash drawer -------------------------------------------------------------------------

struct DrawerCase
{
    const char *name;
    const char *kind;
    const char *printerState;
    bool allowed;
    int printerQuestions;
};

void PrintTo(const DrawerCase &row, std::ostream *out)
{
    *out << row.name;
}


class DrawerCheck : public AccessControl, public ::testing::WithParamInterface<DrawerCase>
{
};

TEST_P(DrawerCheck, PrinterStateIsReadAgainstTheDrawerKind)
{
    printer(state(), 2);
    host->setDefault(&Pkg_Hrk00001::Estado_Gaveta_Imp,
                     DrawerStateAnswer{true, QString::fromLatin1(GetParam().printerState), {}});
    EXPECT_EQ(shell().VerificaEstadoGaveta(QString::fromLatin1(GetParam().kind)), GetParam().allowed);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Estado_Gaveta_Imp), GetParam().printerQuestions);
    if (GetParam().allowed) {
        EXPECT_EQ(messages->count(), 0);
    } else {
        ASSERT_EQ(messages->count(), 1);
        EXPECT_EQ(messages->calls().at(0).text, QStringLiteral("Operação não permitida com a gaveta aberta."));
        EXPECT_EQ(messages->calls().at(0).kind, 2);
        EXPECT_EQ(messages->calls().at(0).defaultAnswer, QStringLiteral("N"));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawerCheck,
                         ::testing::Values(DrawerCase{"Kind1ZerosIsOpen", "1", "00", false, 1},
                                           DrawerCase{"Kind1OtherIsClosed", "1", "01", true, 1},
                                           DrawerCase{"Kind2ZerosIsClosed", "2", "00", true, 1},
                                           DrawerCase{"Kind2OtherIsOpen", "2", "01", false, 1},
                                           DrawerCase{"OtherKindNeverOpen", "3", "00", true, 1},
                                           DrawerCase{"Kind0NoCheck", "0", "00", true, 0},
                                           DrawerCase{"EmptyKindNoCheck", "", "00", true, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AccessControl, WithoutPrinterTheNonFiscalPrinterTellsTheDrawer)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    state().editParams().stIDVERGAVETANFIS = QStringLiteral("S");
    state().editParams().stIDTIPOIMPNF3 = QStringLiteral("7");
    state().editParams().stCDPORTIMPNF3 = QStringLiteral("USB1");
    host->script(&Pkg_Hrk00002::VerificaStatusGaveta, DrawerStatusAnswer{1, {}});
    EXPECT_FALSE(shell().VerificaEstadoGaveta(QStringLiteral("1")));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::VerificaStatusGaveta), (DrawerRequest{"7", "USB1"}));

    host->script(&Pkg_Hrk00002::VerificaStatusGaveta, DrawerStatusAnswer{0, {}});
    EXPECT_TRUE(shell().VerificaEstadoGaveta(QStringLiteral("1")));

    state().editParams().stIDVERGAVETANFIS = QStringLiteral("N");
    EXPECT_TRUE(shell().VerificaEstadoGaveta(QStringLiteral("1")));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaStatusGaveta), 2);
}

// ---- the pole display ------------------------------------------------------------------------

TEST_F(AccessControl, PoleDisplayShowsTextAndDate)
{
    state().editParams().boDISPLAYOK = true;
    shell().Atualiza_Display(QStringLiteral("CAIXA LIVRE"), true);
    EXPECT_EQ(host->routines(), QStringList({"LimpaDisplay", "DisplayEnviaTexto", "DisplayEnviaTexto"}));
    const auto lines = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    EXPECT_EQ(lines.at(0), (DisplayTextRequest{"CAIXA LIVRE", 1, 1, 1, 0}));
    EXPECT_EQ(lines.at(1), (DisplayTextRequest{"05/03/2024", 2, 5, 0, 0}));
}

TEST_F(AccessControl, EmptyDisplayTextOnlyClears)
{
    state().editParams().boDISPLAYOK = true;
    shell().Atualiza_Display(QString(), false);
    EXPECT_EQ(host->routines(), QStringList{"LimpaDisplay"});
}

TEST_F(AccessControl, NoDisplayNoCall)
{
    shell().Atualiza_Display(QStringLiteral("CAIXA LIVRE"), true);
    EXPECT_TRUE(host->calls().isEmpty());
}
