// The keyboard map: keys press their buttons only when those are enabled, the sale-kind
// choice steers which keys work, and Enter, Esc, F4 and F12 carry their own logic.
#include <order/entryfixture.h>

namespace {

class KeyboardMap : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        setProducts({{"100", "COXINHA", "1.1"}});
        ServerSeams::current().lookupsProducts.getProdPesq = [](const QString &) { return Variant(DataPacket{}); };
    }
};

TEST_F(KeyboardMap, AKeyWhoseButtonIsDisabledDoesNothing)
{
    button("spbPesquisa")->setEnabled(false);
    press(Qt::Key_F6);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 0);
    button("spbPesquisa")->setEnabled(true);
    press(Qt::Key_F6);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 1);
}

TEST_F(KeyboardMap, AKeyDoesNothingWhileTheSaleKindChoiceIsOnScreen)
{
    state().flags.boTipoVendaSelecionado = true;
    press(Qt::Key_F6);
    press(Qt::Key_M, QString(), Qt::AltModifier);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 0);
    EXPECT_EQ(state().host.stRetornoVenda, QString());
}

TEST_F(KeyboardMap, AltLettersPressTheirButtons)
{
    press(Qt::Key_M, QString(), Qt::AltModifier);
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("VENDA_MESA"));
    state().host.stRetornoVenda.clear();
    button("spbComanda")->setEnabled(false);
    press(Qt::Key_C, QString(), Qt::AltModifier);
    EXPECT_EQ(state().host.stRetornoVenda, QString());
    // Alt with Shift is not Alt.
    press(Qt::Key_D, QString(), Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(state().host.stRetornoVenda, QString());
}

TEST_F(KeyboardMap, F5TogglesThePriceConsultation)
{
    press(Qt::Key_F5);
    EXPECT_TRUE(state().screen.boConsultaPreco);
    press(Qt::Key_F5);
    EXPECT_FALSE(state().screen.boConsultaPreco);
}

// Price consultation is the key's mode, not the sale's: a sale dropped while it is on (a credit
// purchase whose consumer search is cancelled) leaves the key down over a mode still on, so the
// next code typed is priced where the cashier asked for a price, never sold.
TEST_F(KeyboardMap, PriceConsultationStaysOnWithItsKeyWhenASaleIsDroppedUnderIt)
{
    ServerSeams::current().lookupsTills.getCartaoCHART = [] { return Variant(false); };
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, ConsumerSearchAnswer{});
    press(Qt::Key_F5);
    ASSERT_TRUE(button("spbConsultaPreco")->isChecked());
    button("spbCompraCred")->setEnabled(true);
    button("spbCompraCred")->click();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::PesqConsumidor), 1);

    EXPECT_TRUE(button("spbConsultaPreco")->isChecked());
    EXPECT_TRUE(state().screen.boConsultaPreco);
    enter(QStringLiteral("100"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaConsultaProd), 1);
    press(Qt::Key_F5);
    EXPECT_FALSE(button("spbConsultaPreco")->isChecked());
    EXPECT_FALSE(state().screen.boConsultaPreco);
}

TEST_F(KeyboardMap, BackspaceAndDeleteEditTheBuffer)
{
    type(QStringLiteral("123"));
    press(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(caption("lblBuffer"), QStringLiteral("12"));
    press(Qt::Key_Delete);
    EXPECT_EQ(caption("lblBuffer"), QString());
    press(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(caption("lblBuffer"), QString());
}

TEST_F(KeyboardMap, EnterWithACodeSellsIt)
{
    enter(QStringLiteral("100"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered.last().CDPRODUTO, QStringLiteral("100"));
}

TEST_F(KeyboardMap, EscLeavesOnlyWithoutAnOpenReceipt)
{
    state().flags.boCupomAberto = true;
    press(Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_EQ(state().host.stRetornoVenda, QString());
    state().flags.boCupomAberto = false;
    press(Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_EQ(state().host.stRetornoVenda, QStringLiteral("FECHA_SISTEMA"));
}

TEST_F(KeyboardMap, F1OpensTheFiscalReportsOnlyWithNoReceiptOpen)
{
    state().flags.boCupomAberto = true;
    press(Qt::Key_F1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::RelFiscais), 0);
    state().flags.boCupomAberto = false;
    press(Qt::Key_F1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::RelFiscais), 1);
}

// ---- F4: operator change -------------------------------------------------------------------

TEST_F(KeyboardMap, F4WithAReceiptOpenDoesNothing)
{
    state().flags.boCupomAberto = true;
    press(Qt::Key_F4);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 0);
}

TEST_F(KeyboardMap, F4RefusedByTheParameterAfterTheAccessCheck)
{
    state().editParams().stIdPerTrocaOp = QStringLiteral("N");
    press(Qt::Key_F4);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 1);
    EXPECT_EQ(lastMessage(), QStringLiteral("Parametrização não permite realizar troca de operador."));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::TrocaOperadorCaixa), 0);
}

TEST_F(KeyboardMap, F4ChangesTheOperatorAndAsksTheRightsAgain)
{
    state().editParams().stIdPerTrocaOp = QStringLiteral("S");
    host->setDefault(&Pkg_Hrk00002::TrocaOperadorCaixa, OperatorChangeAnswer{true, QStringLiteral("JOAO")});
    host->setDefault(&Pkg_Hrk00002::ControleAcess, QStringLiteral("N"));
    press(Qt::Key_F4);
    EXPECT_EQ(state().rights.stNMOPERADOR, QStringLiteral("JOAO"));
    // No operator file on this site: the rights are not asked.
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ControleAcess), 0);
}

// A key pressed between sales: who authorised it is not the next sale's authoriser.
TEST_F(KeyboardMap, TheAuthoriserOfAnOperatorChangeDoesNotReachTheNextSale)
{
    state().editParams().stIdPerTrocaOp = QStringLiteral("S");
    host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("0005")});
    host->setDefault(&Pkg_Hrk00002::TrocaOperadorCaixa, OperatorChangeAnswer{true, QStringLiteral("JOAO")});
    press(Qt::Key_F4);
    ASSERT_EQ(host->count(&Pkg_Hrk00002::TrocaOperadorCaixa), 1);
    EXPECT_EQ(state().access.stRetAcesso, QString());
}

// Keys pressed between sales record nothing of who allowed them: the multiplier (F2) and a
// price consultation on and off (F5) leave no authoriser to the next customer's sale.
TEST_F(KeyboardMap, TheAuthoriserOfAQuantityKeyOrAPriceConsultationDoesNotReachTheNextSale)
{
    host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("0005")});
    press(Qt::Key_F2);
    EXPECT_EQ(state().totals.doQuantidade, 2.0);
    press(Qt::Key_F5);
    ASSERT_TRUE(state().screen.boConsultaPreco);
    press(Qt::Key_F5);
    EXPECT_FALSE(state().screen.boConsultaPreco);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::VerificaAcesso), 2);
    EXPECT_EQ(state().access.stRetAcesso, QString());
}

// ---- F12: cash drawer ----------------------------------------------------------------------

TEST_F(KeyboardMap, F12WithoutADrawerSaysSo)
{
    press(Qt::Key_F12);
    EXPECT_EQ(lastMessage(), QStringLiteral("Não há gaveta parametrizada no Zmq"));
    EXPECT_EQ(messages->calls().last().kind, 0);
}

TEST_F(KeyboardMap, F12OpensTheDrawerAndLogsIt)
{
    state().editParams().stIDTIPOGAVETA = QStringLiteral("1");
    state().editParams().stIDTIPOIMPNF3 = QStringLiteral("5");
    state().editParams().stCDPORTIMPNF3 = QStringLiteral("COM3");
    host->setDefault(&Pkg_Hrk00002::AbreGaveta, HostResult::done());
    press(Qt::Key_F12);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AbreGaveta).cdPortImpNf, QStringLiteral("COM3"));
    const AccessLogRequest log = host->last(&Pkg_Hrk00002::LogControleAcess);
    EXPECT_EQ(log.action, QStringLiteral("ABR_GAV"));
    EXPECT_EQ(log.description, QStringLiteral("Abrir gaveta."));
    EXPECT_EQ(log.text, QStringLiteral("Abrir gaveta."));
}

TEST_F(KeyboardMap, F12LogsItsOwnAuthoriserAndLeavesNoneToTheNextSale)
{
    state().editParams().stIDTIPOGAVETA = QStringLiteral("1");
    state().editParams().stIDTIPOIMPNF3 = QStringLiteral("5");
    host->setDefault(&Pkg_Hrk00002::AbreGaveta, HostResult::done());
    host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("0005")});
    press(Qt::Key_F12);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).stRetAcesso, QStringLiteral("0005"));
    EXPECT_EQ(state().access.stRetAcesso, QString());
}

TEST_F(KeyboardMap, F12LogsNothingWhenTheDrawerDidNotOpen)
{
    state().editParams().stIDTIPOGAVETA = QStringLiteral("1");
    host->setDefault(&Pkg_Hrk00002::AbreGaveta, HostResult{false, QStringLiteral("porta fechada")});
    press(Qt::Key_F12);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AbreGaveta), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_EQ(messages->count(), 0);
}

TEST_F(KeyboardMap, F12WithAFiscalPrinterWhoseDrawerFailsLogsNothing)
{
    state().editParams().stIDTIPOGAVETA = QStringLiteral("1");
    state().editParams().boUTILIZAIMPFIS = true;
    host->setDefault(&Pkg_Hrk00001::Abre_Gaveta_Imp, HostResult{false, {}});
    press(Qt::Key_F12);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Abre_Gaveta_Imp), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
}

} // namespace
