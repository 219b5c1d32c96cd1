// The actions of the sale screen on an open sale, driven through the form's buttons and
// handlers: quantity keys, observations, the receipt double-click, the ways out, the
// functions menu, activation and the small actions.
#include <support/saleformfixture.h>

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/sitepaths.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>

#include <stdexcept>

namespace {

DataPacket packet(const QStringList &columns, const QList<QStringList> &rows)
{
    ClientDataSet dataset;
    for (const QString &column : columns)
        dataset.FieldDefs().Add(column, FieldType::String, 20);
    dataset.CreateDataSet();
    for (const QStringList &row : rows) {
        dataset.Append();
        for (int i = 0; i < columns.size(); ++i)
            dataset.FieldByName(columns[i]).SetAsString(row.value(i));
        dataset.Post();
    }
    return dataset.Data();
}

QStringList column(ClientDataSet &dataset, const char *name)
{
    QStringList values;
    for (dataset.First(); !dataset.Eof(); dataset.Next())
        values.append(dataset.FieldByName(QString::fromLatin1(name)).AsString());
    return values;
}

} // namespace

class ScreenActions : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        ServerSeams table = ServerSeams::current();
        table.lookupsTills.getDsOcorr = [](const QString &group, const QString &code) { return QStringLiteral("OCORRENCIA %1/%2").arg(group, code); };
        table.tabs.setValidaPedido = [this](const QString &b, const QString &s, const QString &t, const QString &l) {
            validaPedido.append(QStringList{b, s, t, l}.join(QLatin1Char('|')));
            return Variant();
        };
        server = std::make_unique<ScopedTable<ServerSeams>>(table);
        host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("SUPERVISOR")});
        host->setDefault(&Pkg_Hrk00002::ControleAcess, QStringLiteral("S"));
        host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
        state().host.stModoVenda = QStringLiteral("B");
        state().editParams().stCDFILIAL = QStringLiteral("1");
        state().editParams().stCDLOJA = QStringLiteral("1");
    }
    void TearDown() override
    {
        server.reset();
        SaleFormTest::TearDown();
    }

    ScreenShell &shell() { return context().shell(); }
    QString caption(QLatin1StringView name) { return form->findChild<QLabel *>(name)->text(); }
    QWidget *control(QLatin1StringView name) { return form->findChild<QWidget *>(name); }

    // A sale line; `parent` makes it a line added under another.
    void addLine(const QString &nrSeq, const QString &product, const QString &parent = QString(),
                 const QString &combo = QString())
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Active())
            items.CreateDataSet();
        items.Append();
        items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(product);
        items.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QStringLiteral("PRODUTO ") + product);
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsFloat(1);
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(10);
        for (const char *zero : {"VRDESCCOMVEN", "VRACRCOMVEN", "VRUNITVENDCL"})
            items.FieldByName(QString::fromLatin1(zero)).SetAsFloat(0);
        items.FieldByName(QStringLiteral("SOMA")).SetAsFloat(10);
        items.FieldByName(QStringLiteral("NRSEQPRODPAI")).SetAsString(parent);
        items.FieldByName(QStringLiteral("NRSEQPRODCOM")).SetAsString(combo);
        items.Post();
    }
    // Selects the receipt row of the line (an empty number: a history row).
    void selectReceiptRow(const QString &nrSeq)
    {
        ClientDataSet &rows = data().cdsExtratoTemp;
        if (!rows.Active())
            rows.CreateDataSet();
        rows.EmptyDataSet();
        rows.Append();
        rows.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        rows.Post();
    }
    void obsRow(const QString &nrSeq, const QString &product, const QString &occurrence, const QString &added)
    {
        ClientDataSet &rows = data().cdsObsItens;
        if (!rows.Active())
            rows.CreateDataSet();
        rows.Append();
        rows.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        rows.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(product);
        rows.FieldByName(QStringLiteral("CDGRPOCOR")).SetAsString(QStringLiteral("01"));
        rows.FieldByName(QStringLiteral("CDOCORR")).SetAsString(occurrence);
        rows.FieldByName(QStringLiteral("CDPRODOBS")).SetAsString(added);
        rows.Post();
    }
    QString lineText(const QString &nrSeq, const char *column)
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Locate(QStringLiteral("NRSEQ"), nrSeq))
            return QStringLiteral("<no line %1>").arg(nrSeq);
        return items.FieldByName(QString::fromLatin1(column)).AsString();
    }
    static ObservationAnswer observation(const QString &text, const QString &minutes, const QStringList &occurrences,
                                         bool replace, const QList<QStringList> &control = {})
    {
        ObservationAnswer answer;
        answer.text = text;
        answer.holdMinutes = Variant(minutes);
        answer.cdGrupoOcorr = Variant(QStringLiteral("01"));
        QList<QStringList> rows;
        for (const QString &code : occurrences)
            rows.append({code});
        answer.occurrences = packet({QStringLiteral("CDOCORR")}, rows);
        answer.controlData = packet({QStringLiteral("CDOCORR"), QStringLiteral("IDCONTROLAOBS"), QStringLiteral("CDPRODUTO")}, control);
        answer.replace = replace;
        return answer;
    }
    void clickEnabled(QLatin1StringView name)
    {
        auto *button = form->findChild<QAbstractButton *>(name);
        button->setEnabled(true);
        button->click();
    }

    std::unique_ptr<ScopedTable<ServerSeams>> server;
    QStringList validaPedido;
};

// ---- F2, F3, F5 ------------------------------------------------------------------------------

struct TypedQuantityCase
{
    const char *name;
    const char *typed;
    int printerModel;
    double quantity;     // the preset quantity afterwards
    const char *caption; // lblProduto
    const char *message; // the refusal shown, or empty
};

class QuantityKey : public ScreenActions, public ::testing::WithParamInterface<TypedQuantityCase>
{
};

TEST_P(QuantityKey, TypedQuantityIsPresetOrRefusedWithItsMessage)
{
    const TypedQuantityCase c = GetParam();
    state().editParams().inIDTIPOIMPFIS = c.printerModel;
    form->findChild<QLabel *>(FormName::lblProduto)->setText(QStringLiteral("antes"));
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, QString::fromUtf8(c.typed)});
    clickEnabled(FormName::spbQtde);
    EXPECT_DOUBLE_EQ(state().totals.doQuantidade, c.quantity);
    EXPECT_EQ(caption(FormName::lblProduto), QString::fromUtf8(c.caption));
    const QString message = QString::fromUtf8(c.message);
    EXPECT_EQ(messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    EXPECT_EQ(state().flags.boBalcaoAux1, message.isEmpty());
    EXPECT_TRUE(control(FormName::panBalcao)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    F3, QuantityKey,
    ::testing::Values(
        TypedQuantityCase{"BelowOneHundredOnModelNine", "99,999", 9, 99.999, "99,999x", ""},
        TypedQuantityCase{"OneHundredOnModelNine", "100", 9, 1, "antes", "Quantidade informada deve ser menor que 100."},
        TypedQuantityCase{"HalfBelowTenThousand", "9999,5", 1, 9999.5, "9999,5x", ""},
        TypedQuantityCase{"TenThousand", "10000", 1, 1, "antes", "Quantidade informada deve ser menor que 10000."},
        TypedQuantityCase{"FourDecimals", "1,2345", 1, 1, "antes", "Quantidade de casas decimais deve ser menor ou igual a 3."},
        TypedQuantityCase{"ThreeDecimals", "1,250", 1, 1.25, "1,25x", ""},
        TypedQuantityCase{"ZeroKeepsThePreset", "0", 1, 1, "1x", ""},
        TypedQuantityCase{"NotANumber", "1a", 1, 1, "antes", "Operação bloqueada. O valor digitado não é um número."}),
    [](const ::testing::TestParamInfo<TypedQuantityCase> &info) { return std::string(info.param.name); });

TEST_F(ScreenActions, F2AlwaysShowsTwoTimes)
{
    state().totals.doQuantidade = 3.5;
    clickEnabled(FormName::spbQtde2);
    EXPECT_DOUBLE_EQ(state().totals.doQuantidade, 2.0);
    EXPECT_EQ(caption(FormName::lblProduto), QStringLiteral("2x"));
}

TEST_F(ScreenActions, RefusedConsultationLeavesTheToggleUpAsTheFlagSays)
{
    host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{false, QString()});
    clickEnabled(FormName::spbConsultaPreco);
    EXPECT_FALSE(state().screen.boConsultaPreco);
    EXPECT_FALSE(form->findChild<QAbstractButton *>(FormName::spbConsultaPreco)->isChecked());
}

TEST_F(ScreenActions, ConsultationOnAndOffResetsTheQuantityAndFollowsTheFlag)
{
    state().totals.doQuantidade = 2;
    clickEnabled(FormName::spbConsultaPreco);
    EXPECT_TRUE(state().screen.boConsultaPreco);
    EXPECT_TRUE(form->findChild<QAbstractButton *>(FormName::spbConsultaPreco)->isChecked());
    EXPECT_FALSE(control(FormName::spbQtde)->isEnabled());
    EXPECT_EQ(caption(FormName::lblProduto), QStringLiteral("Consulta de Preço"));
    // Switching off asks no right.
    host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{false, QString()});
    clickEnabled(FormName::spbConsultaPreco);
    EXPECT_FALSE(state().screen.boConsultaPreco);
    EXPECT_FALSE(form->findChild<QAbstractButton *>(FormName::spbConsultaPreco)->isChecked());
    EXPECT_TRUE(control(FormName::spbQtde)->isEnabled());
    EXPECT_DOUBLE_EQ(state().totals.doQuantidade, 1.0);
}

// ---- F10 ---------------------------------------------------------------------------------------

TEST_F(ScreenActions, ObservationWithoutALineSaysSelectAProduct)
{
    clickEnabled(FormName::spbObs);
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Operação bloqueada. Selecione um produto.")});
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 0);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(ScreenActions, ReplaceDropsTheEarlierRowsAndTheirProductLines)
{
    addLine("001", "100");
    addLine("002", "900", "001");
    addLine("003", "200");
    obsRow("001", "100", "02", "900");
    selectReceiptRow("001");
    host->script(&Pkg_Hrk00002::Observacao, observation("Sem sal", "", {"05", "05"}, true));
    clickEnabled(FormName::spbObs);
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList({"001", "003"}));
    ClientDataSet &rows = data().cdsObsItens;
    EXPECT_EQ(column(rows, "CDOCORR"), QStringList{"05"}) << "the same occurrence chosen twice is one row";
    EXPECT_EQ(column(rows, "DSOCORR"), QStringList{"OCORRENCIA 01/05"});
    EXPECT_EQ(lineText("001", "STOBSPEDIDO"), QStringLiteral("Sem sal"));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
    const AccessLogRequest log = host->last(&Pkg_Hrk00002::LogControleAcess);
    EXPECT_EQ(log.action, QStringLiteral("OBS_PED"));
}

struct HoldTimeCase
{
    const char *name;
    const char *text;
    const char *minutes;
    const char *written;
};

class HoldTime : public ScreenActions, public ::testing::WithParamInterface<HoldTimeCase>
{
};

TEST_P(HoldTime, ObservationTextAndHoldTimeAreWrittenTogether)
{
    const HoldTimeCase c = GetParam();
    addLine("001", "100");
    selectReceiptRow("001");
    host->script(&Pkg_Hrk00002::Observacao, observation(QString::fromUtf8(c.text), QString::fromUtf8(c.minutes), {}, false));
    clickEnabled(FormName::spbObs);
    EXPECT_EQ(lineText("001", "STOBSPEDIDO"), QString::fromUtf8(c.written));
}

INSTANTIATE_TEST_SUITE_P(
    F10, HoldTime,
    ::testing::Values(HoldTimeCase{"TextAndHold", "Bem passado", "10", "Bem passado Segura de 10 minutos"},
                      HoldTimeCase{"NoTextButHold", "erro", "10", "Segura de 10 minutos"},
                      HoldTimeCase{"TextOnly", "Sem gelo", "", "Sem gelo"},
                      HoldTimeCase{"NothingWritesNothing", "erro", "", ""}),
    [](const ::testing::TestParamInfo<HoldTimeCase> &info) { return std::string(info.param.name); });

TEST_F(ScreenActions, GroupObservationLandsOnTheParentPart)
{
    addLine("001", "100", QString(), QStringLiteral("001"));
    addLine("002", "300", QStringLiteral("001"));
    ClientDataSet &items = data().cdsItems;
    items.Edit();
    items.FieldByName(QStringLiteral("STOBSPEDIDO")).SetAsString(QStringLiteral("Parte "));
    items.Post();
    items.Locate(QStringLiteral("NRSEQ"), QStringLiteral("001"));
    items.Edit();
    items.FieldByName(QStringLiteral("STOBSPEDIDO")).SetAsString(QStringLiteral("Prato "));
    items.Post();
    items.Locate(QStringLiteral("NRSEQ"), QStringLiteral("002"));
    state().flags.boAddProdAux1 = true;
    state().flags.boObsAux1 = true;
    host->script(&Pkg_Hrk00002::Observacao, observation(QStringLiteral("Para viagem"), "", {}, false));
    shell().spbObsClick(nullptr);
    EXPECT_EQ(lineText("001", "STOBSPEDIDO"), QStringLiteral("Prato Obs Comb:Para viagem"));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Observacao).caption, QStringLiteral("Informe a Observação do Grupo"));
    EXPECT_FALSE(state().flags.boObsAux1);
}

TEST_F(ScreenActions, FailureInsideTheObservationClearsTheBusyFlagAndGivesThePanelBack)
{
    addLine("001", "100");
    selectReceiptRow("001");
    host->handle(&Pkg_Hrk00002::Observacao, [](const ObservationRequest &) -> ObservationAnswer {
        throw std::runtime_error("falha do diálogo");
    });
    EXPECT_THROW(shell().spbObsClick(nullptr), std::runtime_error);
    EXPECT_FALSE(state().busy.boCancCupomAux1) << "F8 to F11 would stay dead";
    EXPECT_TRUE(control(FormName::panBalcao)->isEnabled());
    // The next F10 runs.
    host->handle(&Pkg_Hrk00002::Observacao, [](const ObservationRequest &) { return ObservationAnswer{}; });
    shell().spbObsClick(nullptr);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 2);
}

TEST_F(ScreenActions, BusyObservationIgnoresASecondPress)
{
    addLine("001", "100");
    selectReceiptRow("001");
    state().busy.boCancCupomAux1 = true;
    shell().spbObsClick(nullptr);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 0);
    EXPECT_TRUE(state().busy.boCancCupomAux1) << "the running action keeps its flag";
}

// ---- receipt double-click ------------------------------------------------------------------------

TEST_F(ScreenActions, DoubleClickOnAHistoryRowAttachesNothing)
{
    addLine("001", "100");
    selectReceiptRow(QString());
    int asked = 0;
    ServerSeams table = ServerSeams::current();
    table.tabs.getOcorPed = [&asked](const QString &, const QString &, const QString &) {
        ++asked;
        return Variant(packet({QStringLiteral("CDOCORR")}, {{"01"}}));
    };
    ScopedTable<ServerSeams> scoped(table);
    shell().dbgCupomDblClick(nullptr);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 0);
    // F10 on the same row observes no line either.
    shell().spbObsClick(nullptr);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 0);
}

TEST_F(ScreenActions, DoubleClickOpensTheObservationsOfAProductThatHasThem)
{
    addLine("001", "100");
    selectReceiptRow("001");
    ServerSeams table = ServerSeams::current();
    table.tabs.getOcorPed = [](const QString &, const QString &, const QString &) {
        return Variant(packet({QStringLiteral("CDOCORR")}, {{"01"}}));
    };
    ScopedTable<ServerSeams> scoped(table);
    host->script(&Pkg_Hrk00002::Observacao, observation(QStringLiteral("Sem cebola"), "", {}, false));
    shell().dbgCupomDblClick(nullptr);
    EXPECT_EQ(lineText("001", "STOBSPEDIDO"), QStringLiteral("Sem cebola"));
}

TEST_F(ScreenActions, OccurrenceErrorTextIsReportedAndTakenAsNone)
{
    addLine("001", "100");
    selectReceiptRow("001");
    for (const Variant &answer : {Variant(QStringLiteral("ORA-00942: tabela não existe")), Variant::failure(QStringLiteral("base recusou"))}) {
        ServerSeams table = ServerSeams::current();
        table.tabs.getOcorPed = [answer](const QString &, const QString &, const QString &) { return answer; };
        ScopedTable<ServerSeams> scoped(table);
        messages->clear();
        shell().dbgCupomDblClick(nullptr);
        EXPECT_EQ(host->count(&Pkg_Hrk00002::Observacao), 0) << answer.toString().toStdString();
        ASSERT_EQ(messages->count(), 1) << answer.toString().toStdString();
        EXPECT_TRUE(data().cdsObs.IsEmpty());
    }
}

// ---- ways out ----------------------------------------------------------------------------------

TEST_F(ScreenActions, ExitAsksAndNoStays)
{
    state().host.stRetornoVenda = QStringLiteral("VENDA_MESA");
    messages->script({false});
    shell().lblSairClick(nullptr);
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("VENDA_MESA"));
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Deseja sair do sistema?")});
    messages->script({true});
    shell().lblSairClick(nullptr);
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("FECHA_SISTEMA"));
}

TEST_F(ScreenActions, LeavingADeliveryOrderAsksTheServerToDropItWhenEmpty)
{
    state().host.stModoVenda = QStringLiteral("D");
    state().host.stNRVENDAREST = QStringLiteral("0000000123");
    state().host.stNRCOMANDA = QStringLiteral("DLV_7");
    shell().spbDeliveryClick(nullptr);
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("VENDA_DELIVERY"));
    messages->script({true});
    shell().lblSairClick(nullptr);
    EXPECT_EQ(validaPedido, QStringList(2, QStringLiteral("1|0000000123|DLV_7|1")));
    // Other modes leave the order alone.
    validaPedido.clear();
    state().host.stModoVenda = QStringLiteral("M");
    shell().spbMenuMesaClick(nullptr);
    EXPECT_TRUE(validaPedido.isEmpty());
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("VENDA_MESA"));
}

TEST_F(ScreenActions, ModeButtonsWaitForTheCreditVoucher)
{
    state().busy.boImprimindoCompCred = true;
    state().host.stRetornoVenda.clear();
    for (auto handler : {&ScreenShell::spbMenuMesaClick, &ScreenShell::spbComandaClick, &ScreenShell::spbDeliveryClick})
        (shell().*handler)(nullptr);
    EXPECT_TRUE(state().host.stRetornoVenda.isEmpty());
    EXPECT_EQ(messages->count(), 3);
}

// ---- F9 ----------------------------------------------------------------------------------------

TEST_F(ScreenActions, BackFromTheMenuWithAnotherOperatorTakesItsNameAndRights)
{
    state().rights.stCDOPERADOR = QStringLiteral("0001");
    state().rights.stNMOPERADOR = QStringLiteral("MARIA");
    ClientDataSet file(QStringLiteral("cdsControleAcess"));
    file.FieldDefs().Add(QStringLiteral("CDOPERADOR"), FieldType::String, 12);
    file.FieldDefs().Add(QStringLiteral("NMOPERADOR"), FieldType::String, 40);
    file.CreateDataSet();
    file.Append();
    file.FieldByName(QStringLiteral("CDOPERADOR")).SetAsString(QStringLiteral("0002"));
    file.FieldByName(QStringLiteral("NMOPERADOR")).SetAsString(QStringLiteral("JOÃO"));
    file.Post();
    QDir(site.path()).mkpath(QStringLiteral("Dados/Cadastros"));
    ASSERT_TRUE(file.SaveToFile(site.filePath(QStringLiteral("Dados/Cadastros/ControleAcess.cds"))));
    host->setDefault(&Pkg_Hrk00002::ControleAcess, QStringLiteral("N"));
    host->script(&Pkg_Hrk00002::CriaFuncoesFiscais, true);
    shell().spbFuncoesClick(nullptr);
    EXPECT_EQ(state().rights.stCDOPERADOR, QStringLiteral("0002"));
    EXPECT_EQ(state().rights.stNMOPERADOR, QStringLiteral("JOÃO"));
    EXPECT_EQ(state().rights.stAcessoObsProduto, QStringLiteral("N"));
    EXPECT_FALSE(control(FormName::spbObs)->isEnabled()) << "the buttons follow the new rights";
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(ScreenActions, UnreadableOperatorFileIsNamedAndTheOperatorKept)
{
    state().rights.stCDOPERADOR = QStringLiteral("0001");
    QDir(site.path()).mkpath(QStringLiteral("Dados/Cadastros"));
    QFile broken(site.filePath(QStringLiteral("Dados/Cadastros/ControleAcess.cds")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<DATAPACKET quebrado");
    broken.close();
    host->script(&Pkg_Hrk00002::CriaFuncoesFiscais, true);
    shell().spbFuncoesClick(nullptr);
    EXPECT_EQ(state().rights.stCDOPERADOR, QStringLiteral("0001"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QStringLiteral("ControleAcess.cds")));
}

TEST_F(ScreenActions, MenuThatClosesTheTillLeavesWithFechaSistema)
{
    host->script(&Pkg_Hrk00002::CriaFuncoesFiscais, false);
    shell().spbFuncoesClick(nullptr);
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("FECHA_SISTEMA"));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
    EXPECT_TRUE(control(FormName::panBalcao)->isEnabled());
}

TEST_F(ScreenActions, MenuWaitsForTheCreditVoucher)
{
    state().busy.boImprimindoCompCred = true;
    shell().spbFuncoesClick(nullptr);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaFuncoesFiscais), 0);
    EXPECT_EQ(messages->count(), 1);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

// ---- activation --------------------------------------------------------------------------------

TEST_F(ScreenActions, ActivationWorkRunsOncePerStart)
{
    state().editParams().stIdTpTelaVe = QStringLiteral("1");
    state().editParams().stIDSOLICITATEL = QStringLiteral("S");
    state().till.boAtivarAux1 = false;
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, QStringLiteral("27999990000")});
    shell().FormActivate(nullptr);
    shell().FormActivate(nullptr);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::TecladoNumerico), 1);
    EXPECT_EQ(state().road.stAddProdAux1, QStringLiteral("27999990000"));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::TecladoNumerico).title, QStringLiteral("Telefone do Consumidor"));
}

struct AverageTicketCase
{
    const char *name;
    const char *answer;
    const char *average;
    const char *count;
};

class TicketTimer : public ScreenActions, public ::testing::WithParamInterface<AverageTicketCase>
{
};

TEST_P(TicketTimer, AverageTicketPartsThatAreNoNumberKeepTheirLabels)
{
    const AverageTicketCase c = GetParam();
    form->show();
    for (QLatin1StringView name : {FormName::lblValTicketMedio, FormName::lblValQuantCupom}) {
        form->findChild<QLabel *>(name)->setText(QStringLiteral("antes"));
        form->findChild<QLabel *>(name)->show();
    }
    host->script(&Pkg_Hrk00002::CalcTicketMedio, TextAnswer{true, QString::fromUtf8(c.answer)});
    shell().timAtuTicketMedTimer(nullptr);
    EXPECT_EQ(caption(FormName::lblValTicketMedio), QString::fromUtf8(c.average));
    EXPECT_EQ(caption(FormName::lblValQuantCupom), QString::fromUtf8(c.count));
}

INSTANTIATE_TEST_SUITE_P(
    Footer, TicketTimer,
    ::testing::Values(AverageTicketCase{"AverageAndCount", "12,5-7", "R$ 12,50", "7,000"},
                      AverageTicketCase{"NoHyphenIsTheCount", "9", "antes", "9,000"},
                      AverageTicketCase{"NotNumbers", "abc-xyz", "antes", "antes"}),
    [](const ::testing::TestParamInfo<AverageTicketCase> &info) { return std::string(info.param.name); });

// ---- small actions -----------------------------------------------------------------------------

struct PersonsKeypadCase
{
    const char *name;
    QList<KeypadAnswer> answers;
    int persons;
    QStringList messages;
};

class Persons : public ScreenActions, public ::testing::WithParamInterface<PersonsKeypadCase>
{
};

TEST_P(Persons, PersonsKeypadTakesOnlyAConfirmedNumber)
{
    const PersonsKeypadCase c = GetParam();
    state().table.inNrPessoas = 2;
    ServerSeams table = ServerSeams::current();
    table.tabs.getNrPesMesa = [](const QString &) { return Variant(packet({QStringLiteral("NRMAXPESMES")}, {{"20"}})); };
    ScopedTable<ServerSeams> scoped(table);
    for (const KeypadAnswer &answer : c.answers)
        host->script(&Pkg_Hrk00002::TecladoNumerico, answer);
    shell().spbNrPessoasClick(nullptr);
    EXPECT_EQ(state().table.inNrPessoas, c.persons);
    EXPECT_EQ(messages->texts(), c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    AltA, Persons,
    ::testing::Values(
        PersonsKeypadCase{"Accepted", {{true, "4"}}, 4, {}},
        PersonsKeypadCase{"ZeroAskedAgain", {{true, "0"}, {true, "3"}}, 3, {"O número de pessoas não pode ser igual a zero."}},
        PersonsKeypadCase{"CancelledAfterZeroKeepsThePersons", {{true, "0"}, {false, "0"}}, 2,
                    {"O número de pessoas não pode ser igual a zero."}},
        PersonsKeypadCase{"OverTheBranchMaximum", {{true, "21"}}, 2,
                    {"Número máximo de pessoas ultrapassou o limite máximo parametrizado."}},
        PersonsKeypadCase{"NotANumber", {{true, "4x"}}, 2, {"Operação bloqueada. O valor digitado não é um número."}}),
    [](const ::testing::TestParamInfo<PersonsKeypadCase> &info) { return std::string(info.param.name); });

TEST_F(ScreenActions, CancelledManualInvoiceRemovesTheEarlierNumber)
{
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, QStringLiteral("4711")});
    clickEnabled(FormName::spbVendaManu);
    EXPECT_EQ(state().settlement.stNrOrdemVnd, QStringLiteral("4711"));
    EXPECT_EQ(caption(FormName::lblSerieD), QStringLiteral("Nr.ordem : 4711"));
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, QString()});
    clickEnabled(FormName::spbVendaManu);
    EXPECT_TRUE(state().settlement.stNrOrdemVnd.isEmpty());
    EXPECT_TRUE(caption(FormName::lblSerieD).isEmpty());
}

TEST_F(ScreenActions, EndOfSaleObservationIsCutToOneHundredAndErroIsNone)
{
    state().editParams().stIDSOLOBSFINVEN = QStringLiteral("S");
    const QString hundred(100, QLatin1Char('a'));
    for (const auto &[answer, kept] : QList<std::pair<QString, QString>>{
             {hundred, hundred}, {hundred + QLatin1Char('b'), hundred}, {QStringLiteral("erro"), QString()}}) {
        ObservationAnswer typed;
        typed.text = answer;
        host->script(&Pkg_Hrk00002::Observacao, typed);
        shell().GetObsFinVen();
        EXPECT_EQ(state().settlement.stDSOBSFINVEN, kept);
    }
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Observacao).code, QStringLiteral("IDSOLOBSFINVEN"));
}

struct SaleEmailCase
{
    const char *name;
    const char *sendsEmail;
    const char *typed;
    const char *stored;
    const char *situation;
};

class SaleEmail : public ScreenActions, public ::testing::WithParamInterface<SaleEmailCase>
{
};

TEST_P(SaleEmail, EverySaleRowCarriesTheEmailAndItsSituation)
{
    const SaleEmailCase c = GetParam();
    state().editParams().stIDENVCUPOMEMAIL = QString::fromLatin1(c.sendsEmail);
    ServerSeams table = ServerSeams::current();
    table.consumers.getEmailCons = [](const QString &, const QString &) { return Variant(QStringLiteral("cadastro@exemplo.com")); };
    ScopedTable<ServerSeams> scoped(table);
    AdditionalDataAnswer typed;
    typed.email = QString::fromLatin1(c.typed);
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed);
    ClientDataSet &rows = data().cdsVenda;
    if (!rows.Active())
        rows.CreateDataSet();
    for (int i = 0; i < 2; ++i) {
        rows.Append();
        rows.Post();
    }
    shell().relacionaEmailVenda();
    EXPECT_EQ(column(rows, "IDSITENVCUPOM"), QStringList(2, QString::fromLatin1(c.situation)));
    EXPECT_EQ(column(rows, "DSEMAILENVCUPOM"), QStringList(2, QString::fromLatin1(c.stored)));
    if (QLatin1String(c.sendsEmail) == QLatin1String("S")) {
        EXPECT_EQ(host->last(&Pkg_Hrk00002::CriaInfAdicional).email, QStringLiteral("cadastro@exemplo.com"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Email, SaleEmail,
    ::testing::Values(SaleEmailCase{"SwitchOff", "N", "", "", "U"}, SaleEmailCase{"NoAddress", "S", "  ", "", "N"},
                      SaleEmailCase{"Address", "S", " cliente@exemplo.com ", "cliente@exemplo.com", "A"}),
    [](const ::testing::TestParamInfo<SaleEmailCase> &info) { return std::string(info.param.name); });

TEST_F(ScreenActions, ProductionMessageFailureIsShown)
{
    state().host.stNRMESA = QStringLiteral("0007");
    host->script(&Pkg_Hrk00002::CriaMensagemProducao, HostResult{false, QStringLiteral("impressora COZINHA sem papel")});
    shell().spbImprimeMensagemClick(nullptr);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::CriaMensagemProducao).nrMesa, QStringLiteral("0007"));
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("impressora COZINHA sem papel")});
}

TEST_F(ScreenActions, TakeAwayColumnShowsSimOrNao)
{
    EXPECT_EQ(shell().cdsItemsIDPARAVIAGEMGetText(QStringLiteral("S")), QStringLiteral("Sim"));
    EXPECT_EQ(shell().cdsItemsIDPARAVIAGEMGetText(QStringLiteral("N")), QStringLiteral("Não"));
}

TEST_F(ScreenActions, RefusedPersonsMaximumIsShownAndMeansNoMaximum)
{
    ServerSeams table = ServerSeams::current();
    table.tabs.getNrPesMesa = [](const QString &) { return Variant::failure(QStringLiteral("base fora do ar")); };
    ScopedTable<ServerSeams> scoped(table);
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, QStringLiteral("12")});
    shell().spbNrPessoasClick(nullptr);
    EXPECT_EQ(state().table.inNrPessoas, 12);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QStringLiteral("base fora do ar"))) << messages->texts().first().toStdString();
}
