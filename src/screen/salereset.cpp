// The reset of the screen to a free till after a sale, and the recovery files of the open
// counter sale.
#include "saledatasets.h"
#include "salecontext.h"
#include "salestate.h"
#include "screenshell.h"
#include "startupserver.h"
#include "tfrmvisualiza.h"

#include <order/orderentry.h>
#include <order/recoveryfiles.h>

#include <outside/ravuvozozod.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>

#include <initializer_list>

namespace {

// The datasets of the sale that every mode empties after the lines (step 3 of the reset).
const char *const saleDatasets[] = {
    "cdsVenda",       "cdsVendaCancelada", "cdsFamiliaSaldo", "cdsEmprestimoFam",
    "cdsItPromoComb", "cdsMovCaixa",       "cdsFamSaldoComp", "cdsDevolucao",
    "cdsObsItens",    "cdsObsItensEst",    "cdsExtConsFid",   "cdsPromoComanda",
};

// Empties a dataset that is open; one never opened (or that this form does not have yet) is
// left alone.
void emptyIfOpen(ClientDataSet *dataset)
{
    if (dataset && dataset->Active())
        dataset->EmptyDataSet();
}

void clear(std::initializer_list<QString *> texts)
{
    for (QString *text : texts)
        text->clear();
}

void zero(std::initializer_list<double *> values)
{
    for (double *value : values)
        *value = 0.0;
}

} // namespace

void ScreenShell::LimpaCDS()
{
    emptySaleDatasets();
    const Parameters &p = m_context.state().params;
    Variant answer;
    // The datasets are already empty when a failure of the server is reported here.
    Ravuvozozod::MensagemMetodo(m_context.server().setPromoCombAux(p.stCDFILIAL, p.stCDCAIXA), true, 0,
                                QStringLiteral("setPromoCombAux"), QStringLiteral("Cli_Kal51000"),
                                p.stCDFILIAL + QLatin1Char('-') + p.stCDCAIXA, p.stIDESQUEMA, answer);
}

void ScreenShell::emptySaleDatasets()
{
    SaleDatasets &data = m_context.data();
    emptyIfOpen(&data.cdsExtratoTemp);
    emptyIfOpen(&data.cdsItems);
    // Tables, tabs and deliveries keep the given-up lines until the order is sent.
    if (m_context.state().host.stModoVenda == QLatin1String("B"))
        emptyIfOpen(&data.cdsItensCancelados);
    for (const char *name : saleDatasets)
        emptyIfOpen(data.byName(QString::fromLatin1(name)));
    if (TfrmVisualiza *display = m_context.display())
        emptyIfOpen(&display->cdsExtratoVisualiza);
}

void ScreenShell::LimpaVariaveis()
{
    resetSaleFlagsAndTotals();
    resetSaleTexts();
    showFreeTill();
}

// Steps 1 to 8 of the reset: the sale kinds, totals, persons and seats, line counter.
void ScreenShell::resetSaleFlagsAndTotals()
{
    SaleState &s = m_context.state();
    SaleFlags &f = s.flags;
    f.boVendaDebito = f.boCreditoPessoal = f.boVendaVista = f.boModoCartao = f.boRecebendo = false;
    s.consumer.boCartaoAux2 = false;
    if (QAbstractButton *badge = m_context.button(QStringLiteral("spbCartao"))) {
        if (badge->isCheckable())
            badge->setChecked(false);
        badge->setDown(false);
    }
    f.boInicializaAux1 = false;
    SaleTotals &t = s.totals;
    zero({&t.doTotalVenda, &t.doExtratoAux1, &t.doVrAcrComanda, &t.doProdCombAux2, &t.doVrAcrescimoItem,
          &s.figures.doSaldoCons, &t.doVrTxServico, &t.doProdCombAux1, &t.doVrDescontoItem});
    // A table keeps its persons and seats until the table is closed.
    SaleCounters &c = s.counters;
    if (s.host.stModoVenda != QLatin1String("M")) {
        c.inNrPessoas = qMin(c.inNrPessoas, 1);
        c.inExtratoAux1 = qMin(c.inExtratoAux1, 1);
    }
    m_context.setCaption(QStringLiteral("lblNrPes"), QString::number(c.inNrPessoas));
    m_context.data().cdsConfTipoRece.SetFiltered(false);
    s.road.stNRSEQ.clear();
    s.host.stCDVENDEDOR.clear();
}

// Steps 12 to 23 and 28: the consumer, buyer, receipt and coupon texts of the sale.
void ScreenShell::resetSaleTexts()
{
    SaleState &s = m_context.state();
    ConsumerState &c = s.consumer;
    FiscalTexts &f = s.fiscal;
    SettlementTexts &st = s.settlement;
    clear({&c.stCDCONSUMIDOR, &c.stNmConsumidor, &c.stRecebAux6, &c.stDebitoConsAux1, &c.stVRMESUBCONS,
           &c.stVRMAXDEBCONS, &c.stCredPessoalAux1, &c.stCredPessoalAux2, &c.stRecebAux8, &c.stCartaoAux2,
           &c.stNrInscrConsVenda, &c.stNrCracha, &c.stCDTIPOCONS, &f.stQrCodeAux1, &f.stNRCONTCUPOMFISC,
           &c.stCDSERVFILI, &f.stCpfCnpjNota, &f.stNomeNota, &f.stEnderecoNota, &s.road.stAddProdAux1,
           &s.road.stAddProdAux2});
    s.host.stCdClienteVenda = s.params.stCDCLIENTE;
    c.stCartaoAux1 = s.params.stCDCCUSCLIE;
    clear({&c.stInicializaAux2, &f.stPedidoAux1, &f.stRecebAux5, &f.stNRINSJURCLIE, &f.stPedidoAux2,
           &s.host.stCdConsumidorVenda});
    s.counters.inInicializaAux4 = 1;
    s.loyalty.doFidelidadeAux1 = 0.0;
    clear({&st.stRecebAux12, &st.stRecebAux13, &st.stRecebAux14, &st.stNrOrdemVnd, &st.stCompraCredAux2,
           &st.stVendeProdAux1, &f.stIdEstrangeiroNota});
    // The finished sale's electronic document (CF-e number, SAT serial, key, QR text, NFC-e
    // status) was printed with it; the next sale must not print or store it again.
    clear({&st.stRecebAux3, &st.stRecebAux16, &st.stRecebAux17, &st.stRecebAux18, &st.stRecebAux23});
    c.stRecebAux4 = QStringLiteral("N");
    zero({&s.loyalty.doCashbackAux1, &s.loyalty.doCashbackAux2, &s.loyalty.doCashbackUDSAux1});
    c.boCartaoAux1 = false;
    m_context.order().zeraVariaveisCupomDesc();
    emptyIfOpen(&m_context.data().cdsCupomDescVenda);
}

// Steps 9 to 11, 18 and 24 to 27: what the screen and the pole display show.
void ScreenShell::showFreeTill()
{
    const SaleState &s = m_context.state();
    const QString total = PtBr::FormatFloat(QStringLiteral("#,##0.00"), s.totals.doTotalVenda);
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), s.totals.doExtratoAux1);
    m_context.setCaption(QStringLiteral("lblVrTotal"), total);
    m_context.setCaption(QStringLiteral("lblTotVenda"), QString::fromLatin1(PtBr::CurrencyString) + total);
    m_context.setCaption(QStringLiteral("lblQtdeTotal"), quantity);
    m_context.setCaption(QStringLiteral("lblQtdeTotal2"), quantity);
    if (TfrmVisualiza *display = m_context.display()) {
        if (QLabel *label = display->findChild<QLabel *>(QStringLiteral("lblVrTotal")))
            label->setText(total);
        if (QLabel *label = display->findChild<QLabel *>(QStringLiteral("lblPeso")))
            label->setText(QStringLiteral("0"));
    }
    for (const char *name : {"lblProduto", "lblCracha", "lblNmCons", "lblSerieD"})
        m_context.setCaption(QString::fromLatin1(name), QString());
    if (s.host.stModoVenda == QLatin1String("B"))
        Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Balcao")));
    RestauraRodape(QStringLiteral("1"), QString());
    Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    QLabel *logo = m_context.label(QStringLiteral("imgLogo"));
    QLabel *standard = m_context.label(QStringLiteral("imgLogoPadrao"));
    if (logo && standard) {
        logo->setScaledContents(false);
        logo->setPixmap(standard->pixmap());
    }
}

void ScreenShell::RestauraCaixa()
{
    m_context.state().flags.boCupomAberto = false;
    LimpaCDS();
    LimpaVariaveis();
    ControleAcessoBotoes();
    Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
}

// Both files follow the datasets; a file that cannot be written raises its error to the caller.
void ScreenShell::ControleCdsVenda_Diretorio(const QString &Mode)
{
    SaleState &s = m_context.state();
    if (Mode != QLatin1String("B") || !s.params.boUTILIZAIMPFIS)
        return;
    SaleDatasets &data = m_context.data();
    const QString &folder = s.params.stDSDIRCAD;
    if (data.cdsItems.IsEmpty()) {
        if (QFile::exists(RecoveryFiles::path(folder, RecoveryFiles::Venda))) {
            if (ClientDataSet *rows = data.byName(QStringLiteral("cdsVenda")))
                rows->Close();
            RecoveryFiles::remove(folder, RecoveryFiles::Venda);
        }
    } else {
        RecoveryFiles::save(data.cdsItems, folder, RecoveryFiles::Venda);
    }
    if (data.cdsItensCancelados.IsEmpty()) {
        RecoveryFiles::remove(folder, RecoveryFiles::ItensCancelados);
        return;
    }
    RecoveryFiles::save(data.cdsItensCancelados, folder, RecoveryFiles::ItensCancelados);
    // The exchange credit left over: from the sale total itself, never read back from a caption.
    m_context.setCaption(QStringLiteral("lblValSaldDisp"),
                         PtBr::FormatFloat(QStringLiteral("0.00"), s.totals.doRecebAux1 - Money::Trunc2(s.totals.doTotalVenda)));
}

void ScreenShell::ApagaCdsVenda_CdsItensCancelados()
{
    const Parameters &p = m_context.state().params;
    if (!p.boUTILIZAIMPFIS)
        return;
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::Venda);
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::ItensCancelados);
}
