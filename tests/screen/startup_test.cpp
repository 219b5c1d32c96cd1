#include "screenfixture.h"

#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/screens.h>
#include <screen/startup.h>
#include <screen/tfrmvendacons.h>
#include <screen/tfrmvisualiza.h>
#include <screen/vendacons.h>

#include <runtime/cdsfile.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

QString caption(TfrmVendaCons &form, const char *label)
{
    return form.findChild<QLabel *>(QString::fromLatin1(label))->text();
}

QWidget *control(TfrmVendaCons &form, const char *name)
{
    return form.findChild<QWidget *>(QString::fromLatin1(name));
}

} // namespace

// ---- files ---------------------------------------------------------------------------------

TEST_F(ScreenTest, MissingParameterFileStopsTheCallNamingTheFile)
{
    QFile::remove(sitePath(QStringLiteral("PARAMETROSQUB.CDS")));
    const Variant ret = call(QStringLiteral("B"));
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QStringLiteral("PARAMETROSQUB.CDS")));
    // Nothing was asked of the server with empty branch and desk codes.
    EXPECT_TRUE(serverCalls.isEmpty());

    writeParameters(parameters);
    const Variant next = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_EQ(form().state().params.stCDFILIAL, QStringLiteral("0001"));
}

struct BrokenFile
{
    const char *name;
    const char *path;
};

class BrokenFiles : public ScreenTest, public ::testing::WithParamInterface<BrokenFile>
{
};

TEST_P(BrokenFiles, CorruptFileStopsTheCallNamingTheFile)
{
    writeBytes(QString::fromLatin1(GetParam().path), "<DATAPACKET><METADATA>cortado");
    const Variant ret = call(QStringLiteral("B"));
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QFileInfo(QString::fromLatin1(GetParam().path)).fileName()))
        << messages->calls().at(0).text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenFiles,
                         ::testing::Values(BrokenFile{"Parameters", "PARAMETROSQUB.CDS"},
                                           BrokenFile{"Cadastre", "Dados/Cadastros/Produtos.cds"},
                                           BrokenFile{"Operator", "Dados/Cadastros/ControleAcess.cds"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScreenTest, ParameterFileWithoutAColumnIsRefused)
{
    writeFile(QStringLiteral("PARAMETROSQUB.CDS"), {"CDFILIAL", "CDCAIXA"}, {{"0001", "003"}});
    const Variant ret = call(QStringLiteral("B"));
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QStringLiteral("CDLOJA")));
}

TEST_F(ScreenTest, MissingCadastreFilesAreSkippedSilently)
{
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_NE(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_EQ(messages->count(), 0);
    EXPECT_FALSE(form().datasets().cdsProdutos.Active());
}

TEST_F(ScreenTest, MissingOperatorFileOnFirstCallStopsNamingTheFile)
{
    QFile::remove(sitePath(QStringLiteral("Dados/Cadastros/ControleAcess.cds")));
    const Variant ret = call(QStringLiteral("B"));
    EXPECT_EQ(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QStringLiteral("ControleAcess.cds")));
}

TEST_F(ScreenTest, MissingOperatorFileLaterKeepsTheOperatorAndSaysSo)
{
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    QFile::remove(sitePath(QStringLiteral("Dados/Cadastros/ControleAcess.cds")));
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_NE(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_EQ(form().state().rights.stCDOPERADOR, QStringLiteral("000000000007"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).kind, 0);
    EXPECT_TRUE(messages->calls().at(0).text.contains(QStringLiteral("ControleAcess.cds")));
}

// ---- rights --------------------------------------------------------------------------------

TEST_F(ScreenTest, RightsAreAskedForTheOperatorOfTheCall)
{
    host->handle(&Pkg_Hrk00002::ControleAcess, [](const RightRequest &request) {
        return request.actionCode == 11 && request.cdOperador == QLatin1String("000000000009")
                   ? QStringLiteral("N") : QStringLiteral("S");
    });
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    const auto first = host->requests(&Pkg_Hrk00002::ControleAcess);
    ASSERT_EQ(first.size(), 7);
    QList<int> codes;
    for (const RightRequest &request : first) {
        EXPECT_EQ(request.cdOperador, QStringLiteral("000000000007"));
        codes << request.actionCode;
    }
    EXPECT_EQ(codes, QList<int>({11, 12, 13, 14, 15, 16, 17}));

    writeOperator(QStringLiteral("000000000009"), QStringLiteral("JOAO"));
    bool priceEnabled = true;
    call(QStringLiteral("B"), [&priceEnabled](TfrmVendaCons &form) {
        form.show();
        priceEnabled = form.findChild<QAbstractButton *>(QStringLiteral("spbConsultaPreco"))->isEnabled();
        form.Close();
    });
    EXPECT_EQ(host->last(&Pkg_Hrk00002::ControleAcess).cdOperador, QStringLiteral("000000000009"));
    EXPECT_EQ(form().state().rights.stAcessoConsultaPreco, QStringLiteral("N"));
    EXPECT_FALSE(priceEnabled);
}

// ---- once per process ----------------------------------------------------------------------

TEST_F(ScreenTest, SecondCallSkipsTheOncePerProcessPhase)
{
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    serverCalls.clear();
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    for (const char *once : {"getDadosCRMBONUS", "getVisualizaTelPed", "getConfigCaixa"})
        EXPECT_FALSE(serverCalls.contains(QString::fromLatin1(once))) << once;
    EXPECT_TRUE(serverCalls.contains(QStringLiteral("getImpPesagem")));
}

TEST_F(ScreenTest, FailedOncePerProcessPhaseRunsWholeOnTheNextCall)
{
    writeBytes(QStringLiteral("Dados/Cadastros/Produtos.cds"), "<DATAPACKET><METADATA>cortado");
    EXPECT_EQ(call(QStringLiteral("B")).at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_TRUE(form().datasets().cdsParametrosQub.IsEmpty());

    QFile::remove(sitePath(QStringLiteral("Dados/Cadastros/Produtos.cds")));
    serverCalls.clear();
    const Variant next = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_NE(next.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_TRUE(serverCalls.contains(QStringLiteral("getConfigCaixa")));
    EXPECT_FALSE(form().datasets().cdsParametrosQub.IsEmpty());
}

TEST_F(ScreenTest, CrmBonusSettingsAndQrSwitchAreKept)
{
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    const StartupResults &results = form().state().startup;
    EXPECT_EQ(results.stCancCupomAux4, QStringLiteral("S"));
    EXPECT_EQ(results.stCancCupomAux5, QStringLiteral("https://crm.example"));
    EXPECT_EQ(results.stCancCupomAux7, QStringLiteral("code"));
    EXPECT_EQ(results.stIDLEITURAQRCODE, QStringLiteral("N"));
}

TEST_F(ScreenTest, SmallScreenPutsTheWindowEdgesBeyondTheScreen)
{
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 640, 480)}; });
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_EQ(form().size(), QSize(800, 600));
    EXPECT_EQ(form().pos(), QPoint(-80, -60));
}

TEST_F(ScreenTest, CustomerDisplayOnlyWithASecondMonitor)
{
    server->table().lookupsTills.getVisualizaTelPed = [](const QString &, const QString &) { return Variant(true); };
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_FALSE(form().state().startup.boExibeVisualiza);
    EXPECT_EQ(frmVisualiza(), nullptr);

    VendaConsEntry::reset();
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}; });
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_TRUE(form().state().startup.boExibeVisualiza);
    ASSERT_NE(frmVisualiza(), nullptr);
    EXPECT_TRUE(frmVisualiza()->isVisible());
    EXPECT_EQ(frmVisualiza()->geometry(), QRect(2048, 128, 1024, 768));
}

struct ReceiptTypeCase
{
    const char *name;
    const char *type;
    bool found;
};

class ReceiptTypes : public ScreenTest, public ::testing::WithParamInterface<ReceiptTypeCase>
{
};

TEST_P(ReceiptTypes, OnlyTypeNineExactlyCounts)
{
    writeFile(QStringLiteral("Dados/Cadastros/ConfTipoRece.cds"), {"CDTIPORECE", "IDTIPORECE"},
              {{"1", "1"}, {"2", QString::fromLatin1(GetParam().type)}});
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_EQ(form().state().startup.boConfTipoRece, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Types, ReceiptTypes,
                         ::testing::Values(ReceiptTypeCase{"Nine", "9", true},
                                           ReceiptTypeCase{"ZeroNine", "09", false},
                                           ReceiptTypeCase{"Other", "4", false}),
                         [](const auto &info) { return std::string(info.param.name); });

struct VariantCase
{
    const char *name;
    const char *nfce;
    const char *sat;
    const char *layout;
    const char *kind;
};

class DocumentVariants : public ScreenTest, public ::testing::WithParamInterface<VariantCase>
{
};

TEST_P(DocumentVariants, ElectronicReceiptChoosesTheTicketLayout)
{
    parameters.insert(QStringLiteral("SISTEMAQUBNFCE"), QString::fromLatin1(GetParam().nfce));
    parameters.insert(QStringLiteral("SISTEMAQUBSAT"), QString::fromLatin1(GetParam().sat));
    writeParameters(parameters);
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    const StartupResults &results = form().state().startup;
    EXPECT_EQ(results.stRecebAux7, QStringLiteral("BAL_QUB"));
    EXPECT_EQ(results.stInicializaAux1, QString::fromLatin1(GetParam().layout));
    EXPECT_EQ(results.stRecebAux20, QString::fromLatin1(GetParam().kind));
}

INSTANTIATE_TEST_SUITE_P(Variants, DocumentVariants,
                         ::testing::Values(VariantCase{"Both", "S", "S", "VENDA_NFCe", "N"},
                                           VariantCase{"Sat", "N", "S", "EXTRATO_SAT", "S"},
                                           VariantCase{"Neither", "N", "N", "CUPOM_PEDIDO", "E"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- every call ----------------------------------------------------------------------------

TEST_F(ScreenTest, CounterCallAfterATableCallStartsClean)
{
    call(QStringLiteral("M"), [](TfrmVendaCons &form) { form.Close(); },
         {"123", "45", "000050", "7", "88", "12", "M", "", "", ""});
    EXPECT_EQ(form().state().host.stNRMESA, QStringLiteral("0007"));
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); },
         {"123", "45", "000050", "7", "88", "12", "B", "", "", ""});
    const HostArguments &host = form().state().host;
    EXPECT_EQ(host.stNRVENDAREST, QString());
    EXPECT_EQ(host.stNRMESA, QString());
    EXPECT_EQ(host.stNRCOMANDA, QString());
    EXPECT_EQ(host.stCDVENDEDOR, QString());
    EXPECT_EQ(host.stCdClienteVenda, QStringLiteral("000099"));
    EXPECT_EQ(caption(form(), "lblMensagemCaixa"), QStringLiteral("CAIXA LIVRE"));
    EXPECT_TRUE(control(form(), "spbReceb")->isVisibleTo(&form()));
    EXPECT_FALSE(control(form(), "spbVender")->isVisibleTo(&form()));
}

TEST_F(ScreenTest, TableCallTakesTheOperatorsWaiterAndShowsTheFooter)
{
    writeFile(QStringLiteral("Dados/Cadastros/Garcom.cds"), {"CDVENDEDOR", "NMFANVEN", "CDOPERADOR"},
              {{"0031", "CARLOS", "000000000007"}});
    call(QStringLiteral("M"), [](TfrmVendaCons &form) { form.Close(); },
         {"123", "45", "000050", "7", "88", "", "M", "", "", ""});
    EXPECT_EQ(form().state().host.stCDVENDEDOR, QStringLiteral("0031"));
    EXPECT_EQ(caption(form(), "lblMensagemCaixa"), QStringLiteral("VENDA MESA"));
    EXPECT_EQ(caption(form(), "lblRodape"),
              QStringLiteral("Mesa 0007 - Garçom 0031-CARLOS - Cliente 000050-"));
    EXPECT_EQ(form().state().startup.dtAberturaMesa, QDateTime(QDate(2024, 3, 5), QTime(12, 0)));
}

TEST_F(ScreenTest, TableCallWithoutAnyWaiterLeavesTheWaiterEmpty)
{
    call(QStringLiteral("M"), [](TfrmVendaCons &form) { form.Close(); },
         {"123", "45", "000050", "7", "88", "", "M", "", "", ""});
    EXPECT_EQ(form().state().host.stCDVENDEDOR, QString());
    EXPECT_EQ(messages->count(), 0);
}

// The order's password is the order's own: every call asks the server for the password of the
// order it was given, so a call never shows the password of the order before it.
TEST_F(ScreenTest, DeliveryCallNamesTheConsumerAndTakesItsOrdersPassword)
{
    writeFile(QStringLiteral("Dados/Cadastros/Garcom.cds"), {"CDVENDEDOR", "NMFANVEN", "CDOPERADOR"},
              {{"0031", "CARLOS", "000000000007"}});
    call(QStringLiteral("D"), [](TfrmVendaCons &form) { form.Close(); },
         {"500", "77", "000050", "", "900", "", "D", "4455", "", ""});
    EXPECT_EQ(form().state().rights.stCdVendedorOperador, QString());
    EXPECT_EQ(caption(form(), "lblMensagemCaixa"), QStringLiteral("VENDA DELIVERY"));
    EXPECT_TRUE(caption(form(), "lblRodape").endsWith(QStringLiteral(" 4455-JOSE DA SILVA")));
    EXPECT_EQ(form().state().settlement.stSenhaPedido, QStringLiteral("42"));

    serverCalls.clear();
    call(QStringLiteral("D"), [](TfrmVendaCons &form) { form.Close(); },
         {"500", "77", "000050", "", "900", "", "D", "4455", "", ""});
    EXPECT_TRUE(serverCalls.contains(QStringLiteral("getSenhaPed")));
    EXPECT_EQ(form().state().settlement.stSenhaPedido, QStringLiteral("42"));
}

// The people of a table are those of its open tabs, read at every call (this table has none),
// not what the previous call left; a counter call is one person.
TEST_F(ScreenTest, TableTakesItsPersonsFromItsOpenTabsAndACounterCallResetsThem)
{
    const QStringList table = {"123", "45", "000050", "7", "88", "", "M", "", "", ""};
    call(QStringLiteral("M"), [](TfrmVendaCons &form) {
        form.state().table.inNrPessoas = 4;
        form.Close();
    }, table);
    call(QStringLiteral("M"), [](TfrmVendaCons &form) { form.Close(); }, table);
    EXPECT_EQ(form().state().table.inNrPessoas, 0);
    EXPECT_EQ(caption(form(), "lblNrPes"), QStringLiteral("0"));
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_EQ(form().state().table.inNrPessoas, 1);
}

struct ClosedDeskCase
{
    const char *name;
    const char *collector;
    const char *printerError;
    bool opened;
    bool warned;
};

class ClosedDesk : public ScreenTest, public ::testing::WithParamInterface<ClosedDeskCase>
{
};

TEST_P(ClosedDesk, WarnsOnlyAnOpenableDeskWithoutOpeningRecord)
{
    parameters.insert(QStringLiteral("IDCOLETOR"), QString::fromLatin1(GetParam().collector));
    parameters.insert(QStringLiteral("BOERROIMPRESSORA"), QString::fromLatin1(GetParam().printerError));
    writeParameters(parameters);
    writeFile(QStringLiteral("Dados/Cadastros/AberturaCaixa.cds"), {"CDFILIAL", "CDCAIXA"},
              GetParam().opened ? QList<QStringList>{{"0001", "003"}} : QList<QStringList>{});
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_NE(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    const QStringList expected = GetParam().warned ? QStringList{QStringLiteral("O caixa 003 não está aberto.")}
                                                   : QStringList{};
    EXPECT_EQ(messages->texts(), expected);
}

INSTANTIATE_TEST_SUITE_P(Desks, ClosedDesk,
                         ::testing::Values(ClosedDeskCase{"Open", "N", "N", true, false},
                                           ClosedDeskCase{"Closed", "N", "N", false, true},
                                           ClosedDeskCase{"Collector", "C", "N", false, false},
                                           ClosedDeskCase{"PrinterInError", "N", "S", false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScreenTest, CompactLayoutSixSizesTheReceipt)
{
    parameters.insert(QStringLiteral("IdTpTelaVe"), QStringLiteral("6"));
    writeParameters(parameters);
    call(QStringLiteral("C"), [](TfrmVendaCons &form) { form.Close(); },
         {"123", "45", "000050", "", "88", "0031", "C", "", "", ""});
    TfrmVendaCons &f = form();
    EXPECT_EQ(control(f, "panFundoBandeja")->size(), QSize(659, 400));
    EXPECT_EQ(control(f, "panCupom")->size(), QSize(644, 340));
    EXPECT_EQ(control(f, "dbgCupom")->size(), QSize(660, 356));
    EXPECT_EQ(control(f, "spbGridBaixo")->y(), 363);
    EXPECT_EQ(control(f, "spbGridAcima")->y(), 363);
    EXPECT_EQ(control(f, "stPosicao")->y(), 368);
    EXPECT_EQ(control(f, "lblCracha")->geometry(), QRect(211, 110, 452, control(f, "lblCracha")->height()));
    EXPECT_EQ(control(f, "lblDataHora")->x(), 250);
    EXPECT_FALSE(control(f, "panBalcao")->isVisibleTo(&f));
    EXPECT_TRUE(control(f, "lblTotVenda")->isVisibleTo(&f));
    EXPECT_EQ(caption(f, "lblCracha"), QStringLiteral("Comanda nº 45"));
    EXPECT_EQ(caption(f, "lblNmCons"), QStringLiteral("Garçom 0031"));
    EXPECT_TRUE(control(f, "spbVender")->isVisibleTo(&f));
}

TEST_F(ScreenTest, TouchLayoutShowsTheGridAndStartsAtGroupOne)
{
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    TfrmVendaCons &f = form();
    EXPECT_TRUE(control(f, "panBalcao")->isVisibleTo(&f));
    EXPECT_TRUE(control(f, "lblMenu")->isVisibleTo(&f));
    EXPECT_FALSE(control(f, "lblTotVenda")->isVisibleTo(&f));
    EXPECT_EQ(f.state().screen.stBalcaoAux1, QStringLiteral("01"));
    EXPECT_EQ(control(f, "tcbGrupo04")->geometry(), QRect(560, 78, 100, 39));
    EXPECT_EQ(control(f, "tcbBalcao08")->geometry(), QRect(80, 55, 72, 52));
}

// ---- printer failover ----------------------------------------------------------------------

TEST_F(ScreenTest, BackupPrintersSaveTheMapPurgeOldTicketsAndStartTheWatchdog)
{
    server->table().lookupsTills.getImpBackup = [](const QString &, const QString &) {
        return Variant(textPacket({"CDPORTAIMPR", "CDPORTABACKUP"}, {{"LPT1", "\\\\srv\\cozinha2"}}));
    };
    QDir().mkpath(sitePath(QStringLiteral("Dados/IMPBACKUP/cozinha")));
    const QString old = sitePath(QStringLiteral("Dados/IMPBACKUP/cozinha/ticket1.txt"));
    const QString fresh = sitePath(QStringLiteral("Dados/IMPBACKUP/cozinha/ticket2.txt"));
    for (const QString &path : {old, fresh}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("PEDIDO");
    }
    QFile ticket(old);
    ASSERT_TRUE(ticket.open(QIODevice::ReadWrite));
    ticket.setFileTime(QDateTime(QDate(2024, 3, 4), QTime(8, 0)), QFileDevice::FileModificationTime);
    ticket.close();
    QFile today(fresh);
    ASSERT_TRUE(today.open(QIODevice::ReadWrite));
    today.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(8, 0)), QFileDevice::FileModificationTime);
    today.close();

    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });

    DataPacket saved;
    ASSERT_TRUE(CdsFile::load(sitePath(QStringLiteral("Dados/IMPBACKUP/cdsImpBackup.cds")), &saved));
    EXPECT_EQ(saved.rows.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(fresh));
    QTimer *watchdog = form().findChild<QTimer *>(QStringLiteral("timImpressoraBackup"));
    EXPECT_TRUE(watchdog->isActive());
    EXPECT_EQ(watchdog->interval(), 30000);
}

TEST_F(ScreenTest, FailedBackupPrinterLookupDoesNotStopTheSale)
{
    server->table().lookupsTills.getImpBackup = [](const QString &, const QString &) {
        return Variant::failure(QStringLiteral("tabela ausente"));
    };
    const Variant ret = call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); });
    EXPECT_NE(ret.at(0).toString(), QStringLiteral("ERRO_SISTEMA"));
    EXPECT_EQ(messages->count(), 0);
    EXPECT_FALSE(form().findChild<QTimer *>(QStringLiteral("timImpressoraBackup"))->isActive());
}

TEST_F(ScreenTest, SaleVariablesStartFreshOnEveryCall)
{
    call(QStringLiteral("B"), [](TfrmVendaCons &form) {
        SaleState &state = form.state();
        state.totals.doTotalVenda = 55.0;
        state.flags.boCupomAberto = true;
        state.fiscal.stCpfCnpjNota = QStringLiteral("12345678909");
        state.flags.boCupomAberto = false;
        form.Close();
    }, {"", "", "", "", "", "", "B", "7788", "", ""});
    const SaleState &state = form().state();
    call(QStringLiteral("B"), [](TfrmVendaCons &form) { form.Close(); }, {"", "", "", "", "", "", "B", "7788", "", ""});
    EXPECT_EQ(state.totals.doTotalVenda, 0.0);
    EXPECT_EQ(state.fiscal.stCpfCnpjNota, QString());
    EXPECT_EQ(state.consumer.stCDCONSUMIDOR, QStringLiteral("7788"));
    EXPECT_EQ(state.till.stCancCupomAux3, QStringLiteral("VV"));
    EXPECT_EQ(caption(form(), "lblVrTotal"), QStringLiteral("0,00"));
    EXPECT_EQ(caption(form(), "lblDataHora"), QStringLiteral("05/03/2024 14:30:15"));
    EXPECT_EQ(state.startup.stRecebAux2,
              QDir(site()).filePath(QStringLiteral("Dados/XML_NFCe_Sat/0001-003-2024-03-05/")));
}
