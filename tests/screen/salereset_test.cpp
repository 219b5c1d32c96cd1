#include "screenfixture.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <order/recoveryfiles.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <runtime/cdsfile.h>

#include <QDir>
#include <QFile>
#include <QLabel>

#include <stdexcept>

class SaleReset : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ServerSeams chart = ServerSeams::current();
        chart.lookupsTills.getCartaoCHART = [] { return Variant(false); };
        m_chart = std::make_unique<ScopedTable<ServerSeams>>(std::move(chart));
        m_form = std::make_unique<TfrmVendaCons>();
        state().host.stModoVenda = QStringLiteral("B");
        state().editParams().stDSDIRCAD = QStringLiteral("Dados\\");
        QDir(site()).mkpath(QStringLiteral("Dados"));
    }
    void TearDown() override
    {
        m_form.reset();
        m_chart.reset();
        ScreenTest::TearDown();
    }

    SaleState &state() { return m_form->state(); }
    SaleDatasets &data() { return m_form->datasets(); }
    ScreenShell &shell() { return m_form->context().shell(); }
    QString caption(const char *name) { return m_form->findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    QString recoveryFile(const QString &name) { return sitePath(QStringLiteral("Dados/") + name); }

    void addLine(ClientDataSet &dataset, const QString &nrSeq)
    {
        if (!dataset.Active()) {
            ASSERT_TRUE(dataset.CreateDataSet());
        }
        dataset.Append();
        dataset.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        ASSERT_TRUE(dataset.Post());
    }

    void withPrinter() { state().editParams().boUTILIZAIMPFIS = true; }

    std::unique_ptr<ScopedTable<ServerSeams>> m_chart;
    std::unique_ptr<TfrmVendaCons> m_form;
};

// ---- emptying the sale -----------------------------------------------------------------------

TEST_F(SaleReset, CounterResetEmptiesTheSaleAndItsCancelledLines)
{
    addLine(data().cdsItems, QStringLiteral("001"));
    addLine(data().cdsItensCancelados, QStringLiteral("002"));
    ASSERT_TRUE(data().cdsObsItens.SetData(textPacket({"NRSEQ"}, {{"001"}})));
    shell().LimpaCDS();
    EXPECT_TRUE(data().cdsItems.Active());
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(data().cdsItensCancelados.IsEmpty());
    EXPECT_TRUE(data().cdsObsItens.IsEmpty());
    // A dataset never opened is left closed, without an error.
    EXPECT_FALSE(data().cdsObsItensEst.Active());
    EXPECT_EQ(serverCalls, QStringList{"setPromoCombAux"});
}

TEST_F(SaleReset, TableResetKeepsTheCancelledLinesOfTheOrder)
{
    state().host.stModoVenda = QStringLiteral("M");
    addLine(data().cdsItems, QStringLiteral("001"));
    addLine(data().cdsItensCancelados, QStringLiteral("002"));
    shell().LimpaCDS();
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_EQ(data().cdsItensCancelados.RecordCount(), 1);
}

TEST_F(SaleReset, FailedPromotionCleanUpIsReportedAfterTheDatasetsAreEmpty)
{
    server->table().lookupsProducts.setPromoCombAux = [](const QString &, const QString &) {
        return Variant::failure(QStringLiteral("tabela bloqueada"));
    };
    addLine(data().cdsItems, QStringLiteral("001"));
    shell().LimpaCDS();
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).text, QStringLiteral("tabela bloqueada"));
    EXPECT_TRUE(messages->calls().at(0).detail.contains(QStringLiteral("setPromoCombAux")));
}

// ---- the sale variables ----------------------------------------------------------------------

struct PersonsCase
{
    const char *name;
    const char *mode;
    int persons;
};

void PrintTo(const PersonsCase &row, std::ostream *out)
{
    *out << row.name;
}


class PersonsAndSeats : public SaleReset, public ::testing::WithParamInterface<PersonsCase>
{
};

TEST_P(PersonsAndSeats, OnlyATableKeepsItsPersonsAndSeats)
{
    state().host.stModoVenda = QString::fromLatin1(GetParam().mode);
    state().counters.inNrPessoas = 4;
    state().counters.inExtratoAux1 = 4;
    shell().LimpaVariaveis();
    EXPECT_EQ(state().counters.inNrPessoas, GetParam().persons);
    EXPECT_EQ(state().counters.inExtratoAux1, GetParam().persons);
    EXPECT_EQ(caption("lblNrPes"), QString::number(GetParam().persons));
}

INSTANTIATE_TEST_SUITE_P(Modes, PersonsAndSeats,
                         ::testing::Values(PersonsCase{"Counter", "B", 1}, PersonsCase{"Tab", "C", 1},
                                           PersonsCase{"Delivery", "D", 1}, PersonsCase{"Table", "M", 4}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SaleReset, FreeTillAfterTheSaleVariables)
{
    state().editParams().boDISPLAYOK = true;
    state().editParams().stCDCLIENTE = QStringLiteral("000099");
    state().editParams().stCDCCUSCLIE = QStringLiteral("CC01");
    SaleState &s = state();
    s.flags.boCreditoPessoal = s.flags.boVendaDebito = s.flags.boRecebendo = true;
    s.totals.doTotalVenda = 12.5;
    s.totals.doExtratoAux1 = 3;
    s.road.stNRSEQ = QStringLiteral("003");
    s.host.stCDVENDEDOR = QStringLiteral("0007");
    s.host.stCdClienteVenda = QStringLiteral("000123");
    s.host.stCdConsumidorVenda = QStringLiteral("42");
    s.consumer.stCDCONSUMIDOR = QStringLiteral("42");
    s.fiscal.stQrCodeAux1 = QStringLiteral("000321");
    s.fiscal.stCpfCnpjNota = QStringLiteral("12345678909");
    s.loyalty.doVrCupomDesc = 2.0;
    s.loyalty.stCDCUPOMDESCQUB = QStringLiteral("PROMO10");
    s.consumer.stRecebAux4 = QStringLiteral("S");
    s.settlement.stRecebAux3 = QStringLiteral("000012");
    s.settlement.stRecebAux16 = QStringLiteral("900000001");
    s.settlement.stRecebAux17 = QStringLiteral("CFe35240312345678000195590009000000011234567890");
    s.settlement.stRecebAux18 = QStringLiteral("35240312345678000195590009000000011234567890|20240305143015|48.90||abc=");
    s.settlement.stRecebAux23 = QStringLiteral("AUTORIZADA");
    m_form->findChild<QLabel *>(QStringLiteral("lblProduto"))->setText(QStringLiteral("2x -SUCO"));

    shell().LimpaVariaveis();

    // The electronic document of the sale just finished does not reach the next one.
    EXPECT_EQ(QStringList({s.settlement.stRecebAux3, s.settlement.stRecebAux16, s.settlement.stRecebAux17,
                           s.settlement.stRecebAux18, s.settlement.stRecebAux23}),
              QStringList({"", "", "", "", ""}));

    EXPECT_FALSE(s.flags.boCreditoPessoal || s.flags.boVendaDebito || s.flags.boRecebendo);
    EXPECT_EQ(s.totals.doTotalVenda, 0.0);
    EXPECT_TRUE(s.road.stNRSEQ.isEmpty());
    EXPECT_TRUE(s.host.stCDVENDEDOR.isEmpty());
    EXPECT_EQ(s.host.stCdClienteVenda, QStringLiteral("000099"));
    EXPECT_EQ(s.consumer.stCartaoAux1, QStringLiteral("CC01"));
    EXPECT_TRUE(s.host.stCdConsumidorVenda.isEmpty());
    EXPECT_TRUE(s.consumer.stCDCONSUMIDOR.isEmpty());
    EXPECT_TRUE(s.fiscal.stQrCodeAux1.isEmpty());
    EXPECT_TRUE(s.fiscal.stCpfCnpjNota.isEmpty());
    EXPECT_EQ(s.loyalty.doVrCupomDesc, 0.0);
    EXPECT_TRUE(s.loyalty.stCDCUPOMDESCQUB.isEmpty());
    EXPECT_EQ(s.consumer.stRecebAux4, QStringLiteral("N"));
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("0,00"));
    EXPECT_EQ(caption("lblTotVenda"), QStringLiteral("R$0,00"));
    EXPECT_EQ(caption("lblQtdeTotal"), QStringLiteral("0,000"));
    EXPECT_TRUE(caption("lblProduto").isEmpty());
    EXPECT_EQ(caption("lblMensagemCaixa"), QStringLiteral("CAIXA LIVRE"));
    const auto display = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    ASSERT_EQ(display.size(), 2);
    EXPECT_EQ(display.at(0).text, QStringLiteral("CAIXA LIVRE"));
}

TEST_F(SaleReset, TableResetLeavesTheCashierLine)
{
    state().host.stModoVenda = QStringLiteral("M");
    m_form->findChild<QLabel *>(QStringLiteral("lblMensagemCaixa"))->setText(QStringLiteral("MESA 12"));
    shell().LimpaVariaveis();
    EXPECT_EQ(caption("lblMensagemCaixa"), QStringLiteral("MESA 12"));
}

TEST_F(SaleReset, DroppedSaleClosesTheReceiptAndOpensTheButtons)
{
    state().editParams().stSTSISTEMAPRIN = QStringLiteral("QUB");
    state().flags.boCupomAberto = true;
    addLine(data().cdsItems, QStringLiteral("001"));
    shell().ControleAcessoBotoes();
    ASSERT_FALSE(m_form->findChild<QWidget *>(QStringLiteral("spbMenuMesa"))->isEnabled());
    shell().RestauraCaixa();
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(m_form->findChild<QWidget *>(QStringLiteral("spbMenuMesa"))->isEnabled());
    EXPECT_TRUE(m_form->findChild<QWidget *>(QStringLiteral("lblSair"))->isEnabled());
}

// ---- the recovery files ----------------------------------------------------------------------

TEST_F(SaleReset, RecoveryFilesMirrorTheSaleAndGoWhenItIsEmpty)
{
    withPrinter();
    addLine(data().cdsItems, QStringLiteral("001"));
    addLine(data().cdsItems, QStringLiteral("002"));
    shell().ControleCdsVenda_Diretorio(QStringLiteral("B"));
    DataPacket saved;
    ASSERT_TRUE(CdsFile::load(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda)), &saved));
    EXPECT_EQ(saved.rows.size(), 2);
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));

    data().cdsItems.First();
    ASSERT_TRUE(data().cdsItems.Delete());
    shell().ControleCdsVenda_Diretorio(QStringLiteral("B"));
    ASSERT_TRUE(CdsFile::load(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda)), &saved));
    ASSERT_EQ(saved.rows.size(), 1);
    EXPECT_EQ(saved.value(0, QStringLiteral("NRSEQ")).toString(), QStringLiteral("002"));

    ASSERT_TRUE(data().cdsItems.Delete());
    shell().ControleCdsVenda_Diretorio(QStringLiteral("B"));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda))));
}

TEST_F(SaleReset, CancelledLinesAreSavedWithTheExchangeBalance)
{
    withPrinter();
    addLine(data().cdsItems, QStringLiteral("001"));
    addLine(data().cdsItensCancelados, QStringLiteral("002"));
    state().totals.doRecebAux1 = 20.0;
    state().totals.doTotalVenda = 7.259;
    m_form->findChild<QLabel *>(QStringLiteral("lblValSaldDisp"))->setText(QStringLiteral("antes"));
    shell().ControleCdsVenda_Diretorio(QStringLiteral("B"));
    EXPECT_TRUE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));
    EXPECT_EQ(caption("lblValSaldDisp"), QStringLiteral("12,75"));

    data().cdsItensCancelados.EmptyDataSet();
    m_form->findChild<QLabel *>(QStringLiteral("lblValSaldDisp"))->setText(QStringLiteral("antes"));
    shell().ControleCdsVenda_Diretorio(QStringLiteral("B"));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));
    EXPECT_EQ(caption("lblValSaldDisp"), QStringLiteral("antes"));
}

struct NoRecoveryCase
{
    const char *name;
    bool printer;
    const char *mode;
};

void PrintTo(const NoRecoveryCase &row, std::ostream *out)
{
    *out << row.name;
}


class NoRecoveryFile : public SaleReset, public ::testing::WithParamInterface<NoRecoveryCase>
{
};

TEST_P(NoRecoveryFile, IsEverWritten)
{
    state().editParams().boUTILIZAIMPFIS = GetParam().printer;
    addLine(data().cdsItems, QStringLiteral("001"));
    addLine(data().cdsItensCancelados, QStringLiteral("002"));
    shell().ControleCdsVenda_Diretorio(QString::fromLatin1(GetParam().mode));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda))));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));
}

INSTANTIATE_TEST_SUITE_P(Cases, NoRecoveryFile,
                         ::testing::Values(NoRecoveryCase{"TableWithoutPrinter", false, "M"},
                                           NoRecoveryCase{"TableWithPrinter", true, "M"},
                                           NoRecoveryCase{"TabWithPrinter", true, "C"}),
                         [](const auto &info) { return std::string(info.param.name); });

// Every counter desk keeps the files while a sale is open (a stopped till's sale is found at
// the next start), so an ended sale deletes them with or without a fiscal printer.
TEST_F(SaleReset, EndedSaleDeletesBothFilesOnEveryDesk)
{
    writeFile(QStringLiteral("Dados/cdsVenda.cds"), {"NRSEQ"}, {{"001"}});
    writeFile(QStringLiteral("Dados/cdsItensCancelados.cds"), {"NRSEQ"}, {{"002"}});
    shell().ApagaCdsVenda_CdsItensCancelados();
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda))));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));

    writeFile(QStringLiteral("Dados/cdsVenda.cds"), {"NRSEQ"}, {{"001"}});
    writeFile(QStringLiteral("Dados/cdsItensCancelados.cds"), {"NRSEQ"}, {{"002"}});
    withPrinter();
    shell().ApagaCdsVenda_CdsItensCancelados();
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::Venda))));
    EXPECT_FALSE(QFile::exists(recoveryFile(QString::fromLatin1(RecoveryFiles::ItensCancelados))));
    // Nothing left to delete is no error.
    shell().ApagaCdsVenda_CdsItensCancelados();
}

TEST_F(SaleReset, UnwritableRecoveryFileIsAnErrorOfTheCaller)
{
    withPrinter();
    QDir(site()).mkpath(QStringLiteral("Dados/cdsVenda.cds"));
    addLine(data().cdsItems, QStringLiteral("001"));
    EXPECT_THROW(shell().ControleCdsVenda_Diretorio(QStringLiteral("B")), std::runtime_error);
}
