// The reset of the screen to a free till after a sale, and the recovery files of the open
// counter sale.
#include "salereset_p.h"

#include "screenshell.h"
#include "tfrmvisualiza.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <order/orderentry.h>
#include <order/recoveryfiles.h>

#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>

#include <initializer_list>

namespace {

// The datasets of the sale that every mode empties once the receipt and item lines are empty.
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
    SaleReset(m_context).LimpaCDS();
}

void ScreenShell::LimpaVariaveis()
{
    SaleReset(m_context).LimpaVariaveis();
}

void ScreenShell::RestauraCaixa()
{
    SaleReset(m_context).RestauraCaixa();
}

void ScreenShell::ControleCdsVenda_Diretorio(const QString &Mode)
{
    SaleReset(m_context).ControleCdsVenda_Diretorio(Mode);
}

void ScreenShell::ApagaCdsVenda_CdsItensCancelados()
{
    SaleReset(m_context).ApagaCdsVenda_CdsItensCancelados();
}

void SaleReset::LimpaCDS()
{
    emptySaleDatasets();
    const Parameters &p = m_context.state().params;
    // The datasets are already empty when a failure of the server is reported here.
    m_context.checkedValue(m_context.server().lookupsProducts.setPromoCombAux(p.stCDFILIAL, p.stCDCAIXA),
                           QStringLiteral("setPromoCombAux"), p.stCDFILIAL + QLatin1Char('-') + p.stCDCAIXA);
}

void SaleReset::emptySaleDatasets()
{
    SaleDatasets &data = m_context.data();
    emptyIfOpen(&data.cdsExtratoTemp);
    emptyIfOpen(&data.cdsItems);
    // Tables, tabs and deliveries keep the given-up lines until the order is sent.
    if (m_context.state().host.stModoVenda == SaleMode::Counter)
        emptyIfOpen(&data.cdsItensCancelados);
    for (const char *name : saleDatasets)
        emptyIfOpen(data.byName(QString::fromLatin1(name)));
    if (TfrmVisualiza *display = m_context.display())
        emptyIfOpen(&display->cdsExtratoVisualiza);
}

void SaleReset::LimpaVariaveis()
{
    resetSaleKinds();
    resetTotalsAndCounters();
    resetConsumerTexts();
    resetDocumentTexts();
    showFreeTill();
}

// The kind of the sale (debit, personal credit, cash, card) and the busy flags of settling
// and of the QR-code entry; the card button is released.
void SaleReset::resetSaleKinds()
{
    SaleState &s = m_context.state();
    SaleFlags &f = s.flags;
    f.boVendaDebito = f.boCreditoPessoal = f.boVendaVista = f.boModoCartao = f.boRecebendo = false;
    s.consumer.boCartaoAux2 = false;
    if (QAbstractButton *badge = m_context.button(FormName::spbCartao)) {
        if (badge->isCheckable())
            badge->setChecked(false);
        badge->setDown(false);
    }
    f.boInicializaAux1 = false;
}

// Totals, persons and seats, the receipt-type filter, the last line number and the seller.
void SaleReset::resetTotalsAndCounters()
{
    SaleState &s = m_context.state();
    SaleTotals &t = s.totals;
    zero({&t.doTotalVenda, &t.doExtratoAux1, &t.doVrAcrComanda, &t.doProdCombAux2, &t.doVrAcrescimoItem,
          &s.figures.doSaldoCons, &t.doVrTxServico, &t.doProdCombAux1, &t.doVrDescontoItem});
    // A table keeps its persons and seats until the table is closed.
    SaleCounters &c = s.counters;
    if (s.host.stModoVenda != SaleMode::Table) {
        c.inNrPessoas = qMin(c.inNrPessoas, 1);
        c.inExtratoAux1 = qMin(c.inExtratoAux1, 1);
    }
    m_context.setCaption(FormName::lblNrPes, QString::number(c.inNrPessoas));
    m_context.data().cdsConfTipoRece.SetFiltered(false);
    s.road.stNRSEQ.clear();
    s.host.stCDVENDEDOR.clear();
}

// The consumer, the buyer named on the document and the product road's texts; the sale goes
// back to the site's own client and cost centre.
void SaleReset::resetConsumerTexts()
{
    SaleState &s = m_context.state();
    ConsumerState &c = s.consumer;
    FiscalTexts &f = s.fiscal;
    clear({&c.stCDCONSUMIDOR, &c.stNmConsumidor, &c.stRecebAux6, &c.stDebitoConsAux1, &c.stVRMESUBCONS,
           &c.stVRMAXDEBCONS, &c.stCredPessoalAux1, &c.stCredPessoalAux2, &c.stRecebAux8, &c.stCartaoAux2,
           &c.stNrInscrConsVenda, &c.stNrCracha, &c.stCDTIPOCONS, &f.stQrCodeAux1, &f.stNRCONTCUPOMFISC,
           &c.stCDSERVFILI, &f.stCpfCnpjNota, &f.stNomeNota, &f.stEnderecoNota, &s.road.stAddProdAux1,
           &s.road.stAddProdAux2});
    s.host.stCdClienteVenda = s.params.stCDCLIENTE;
    c.stCartaoAux1 = s.params.stCDCCUSCLIE;
    clear({&c.stInicializaAux2, &f.stPedidoAux1, &f.stRecebAux5, &f.stNRINSJURCLIE, &f.stPedidoAux2,
           &s.host.stCdConsumidorVenda});
}

// The order, settlement and document texts, loyalty and cashback figures and the discount
// coupon of the finished sale.
void SaleReset::resetDocumentTexts()
{
    SaleState &s = m_context.state();
    ConsumerState &c = s.consumer;
    FiscalTexts &f = s.fiscal;
    SettlementTexts &st = s.settlement;
    s.counters.inInicializaAux4 = 1;
    s.loyalty.doFidelidadeAux1 = 0.0;
    s.loyalty.pendingBenefitLine = 0;
    s.loyalty.pointsDiscountApplied = false;
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

// The screen and the pole display of a free till: zero totals, no product or consumer, the
// counter's message, the first footer and the standard logo.
void SaleReset::showFreeTill()
{
    showTotals();
    for (QLatin1StringView name : {FormName::lblProduto, FormName::lblCracha, FormName::lblNmCons, FormName::lblSerieD})
        m_context.setCaption(name, QString());
    ScreenShell &shell = m_context.shell();
    if (m_context.state().host.stModoVenda == SaleMode::Counter)
        shell.Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Balcao")));
    shell.RestauraRodape(QStringLiteral("1"), QString());
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    showStandardLogo();
}

void SaleReset::showTotals()
{
    const SaleState &s = m_context.state();
    const QString total = PtBr::FormatFloat(QStringLiteral("#,##0.00"), s.totals.doTotalVenda);
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), s.totals.doExtratoAux1);
    m_context.setCaption(FormName::lblVrTotal, total);
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + total);
    m_context.setCaption(FormName::lblQtdeTotal, quantity);
    m_context.setCaption(FormName::lblQtdeTotal2, quantity);
    if (TfrmVisualiza *display = m_context.display()) {
        if (QLabel *label = display->findChild<QLabel *>(DisplayName::lblVrTotal))
            label->setText(total);
        if (QLabel *label = display->findChild<QLabel *>(DisplayName::lblPeso))
            label->setText(QStringLiteral("0"));
    }
}

void SaleReset::showStandardLogo()
{
    QLabel *logo = m_context.label(FormName::imgLogo);
    QLabel *standard = m_context.label(FormName::imgLogoPadrao);
    if (logo && standard) {
        logo->setScaledContents(false);
        logo->setPixmap(standard->pixmap());
    }
}

void SaleReset::RestauraCaixa()
{
    m_context.state().flags.boCupomAberto = false;
    LimpaCDS();
    LimpaVariaveis();
    m_context.shell().ControleAcessoBotoes();
    m_context.shell().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
}

// Both files follow the datasets; a file that cannot be written raises its error to the caller.
void SaleReset::ControleCdsVenda_Diretorio(const QString &Mode)
{
    if (Mode != SaleMode::Counter)
        return;
    saveOrRemoveSaleFile();
    saveOrRemoveCancelledFile();
}

void SaleReset::saveOrRemoveSaleFile()
{
    SaleDatasets &data = m_context.data();
    const QString &folder = m_context.state().params.stDSDIRCAD;
    if (data.cdsItems.IsEmpty()) {
        if (QFile::exists(RecoveryFiles::path(folder, RecoveryFiles::Venda))) {
            if (ClientDataSet *rows = data.byName(QStringLiteral("cdsVenda")))
                rows->Close();
            RecoveryFiles::remove(folder, RecoveryFiles::Venda);
        }
    } else {
        RecoveryFiles::save(data.cdsItems, folder, RecoveryFiles::Venda);
    }
}

// A written file of cancelled items also shows the exchange credit left over.
void SaleReset::saveOrRemoveCancelledFile()
{
    SaleState &s = m_context.state();
    SaleDatasets &data = m_context.data();
    const QString &folder = s.params.stDSDIRCAD;
    if (data.cdsItensCancelados.IsEmpty()) {
        RecoveryFiles::remove(folder, RecoveryFiles::ItensCancelados);
        return;
    }
    RecoveryFiles::save(data.cdsItensCancelados, folder, RecoveryFiles::ItensCancelados);
    // The exchange credit left over: from the sale total itself, never read back from a caption.
    m_context.setCaption(FormName::lblValSaldDisp,
        PtBr::FormatFloat(QStringLiteral("0.00"), s.totals.doRecebAux1 - Money::Trunc2(s.totals.doTotalVenda)));
}

void SaleReset::ApagaCdsVenda_CdsItensCancelados()
{
    const Parameters &p = m_context.state().params;
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::Venda);
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::ItensCancelados);
}
