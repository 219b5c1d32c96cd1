// Form activation, the window-focus request and the average-ticket refresh.
#include "activation_p.h"

#include "receiptlines_p.h"
#include "screenshell.h"
#include "tfrmvendacons.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <order/orderentry.h>
#include <outside/consiste.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>

#include <QLabel>
#include <QWidget>

#include <exception>

void ScreenShell::FormActivate(QObject *)
{
    FormActivation(m_context).FormActivate();
}

// The screen asks the window system for the foreground once; it never injects input.
void ScreenShell::FormShow(QObject *)
{
    MouseClick();
}

void ScreenShell::MouseClick()
{
    TfrmVendaCons &form = saleForm(m_context);
    form.raise();
    form.activateWindow();
}

void ScreenShell::timAtuTicketMedTimer(QObject *)
{
    QLabel *average = m_context.label(FormName::lblValTicketMedio);
    if (average && average->isVisible())
        Footer(m_context).showTicketFigures();
}

void FormActivation::FormActivate()
{
    SaleState &state = m_context.state();
    if (state.till.boAtivarAux1)
        return;
    state.till.boAtivarAux1 = true;
    try {
        warnPrinterNotStarted();
        m_context.shell().ControleAcessoBotoes();
        if (QWidget *exit = m_context.widget(FormName::lblSair))
            exit->setEnabled(true);
        showSeatControls();
        startTheSale();
    } catch (const EAbort &) {
    } catch (const Consiste::EResultServ &error) {
        m_context.message(error.text(), Ravuvozozod::Error);
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
}

void FormActivation::warnPrinterNotStarted()
{
    const Parameters &params = m_context.state().params;
    const bool mainSystemChecks = params.stSTSISTEMAPRIN != QLatin1String("RES") && params.stSTSISTEMAPRIN != QLatin1String("CMD");
    if (params.boBOERROIMPRESSORA && params.boUTILIZAIMPFIS && params.stIDCOLETOR != QLatin1String("C") && mainSystemChecks)
        m_context.message(m_context.Msg(QStringLiteral("ERRO_INICIA_IMP")), Ravuvozozod::Error);
}

void FormActivation::showSeatControls()
{
    const SaleState &state = m_context.state();
    const bool seats = isYes(state.params.stIDLUGARMESA) && state.host.stModoVenda == SaleMode::Table;
    for (QLatin1StringView name : {FormName::stPosicao, FormName::spbPosAbaixo, FormName::spbPosAcima})
        m_context.setVisible(name, seats);
}

// At the counter the till is free for the next consumer; in the other modes the orders
// already placed are listed, and a tab of the automatic kind sells its product.
void FormActivation::startTheSale()
{
    SaleState &state = m_context.state();
    ScreenShell &shell = m_context.shell();
    if (state.host.stModoVenda == SaleMode::Counter) {
        shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
        shell.ChamaClick_BotaoVendaConsumidor(state.params.stIdTpTelaVe);
    } else {
        m_context.order().PreencheHistorico(state.host.stNRMESA);
    }
    if (state.host.stModoVenda == SaleMode::Tab && state.params.stIdTpTelaVe == QLatin1String("A")
        && !state.params.stCDPRODCMDAUTO.isEmpty())
        m_context.order().VendaComandaAuto();
}
