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

#include <order/recoveryfiles.h>

#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>

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

// The sale's fields go whole with the sale (SaleState::endSale); what is left is the screen's
// part: the badge button, the receipt-type filter, the coupons of the sale and the free till.
void SaleReset::LimpaVariaveis()
{
    SaleState &s = m_context.state();
    s.endSale();
    if (QAbstractButton *badge = m_context.button(FormName::spbCartao)) {
        if (badge->isCheckable())
            badge->setChecked(false);
        badge->setDown(false);
    }
    m_context.setCaption(FormName::lblNrPes, QString::number(s.table.inNrPessoas));
    m_context.data().cdsConfTipoRece.SetFiltered(false);
    emptyIfOpen(&m_context.data().cdsCupomDescVenda);
    showFreeTill();
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
        PtBr::FormatFloat(QStringLiteral("0.00"), s.exchange.doRecebAux1 - Money::Trunc2(s.totals.doTotalVenda)));
}

void SaleReset::ApagaCdsVenda_CdsItensCancelados()
{
    const Parameters &p = m_context.state().params;
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::Venda);
    RecoveryFiles::remove(p.stDSDIRCAD, RecoveryFiles::ItensCancelados);
}
