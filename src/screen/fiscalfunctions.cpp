// The fiscal functions menu and the next consumer sale.
#include "fiscalfunctions_p.h"

#include "rights.h"
#include "screenshell.h"
#include "startup.h"
#include "tfrmvendacons.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <consumer/consumersale.h>
#include <outside/criptografa.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/sitepaths.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <settlement/settlement.h>

#include <QAbstractButton>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

void ScreenShell::spbFuncoesClick(QObject *)
{
    FiscalFunctions(m_context).spbFuncoesClick();
}

void ScreenShell::ChamaClick_BotaoVendaConsumidor(const QString &ScreenType)
{
    NextConsumerSale(m_context).ChamaClick_BotaoVendaConsumidor(ScreenType);
}

void FiscalFunctions::spbFuncoesClick()
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    BusyFlag busy(state.busy.boCancCupomAux1);
    QWidget *panel = m_context.widget(FormName::panBalcao);
    // The panel and the exchange state follow on every way out that passed the checks, also
    // when the menu closed the screen.
    bool checked = false;
    OnExit afterMenu([this, panel, &checked] {
        if (!checked)
            return;
        if (panel)
            panel->setEnabled(!m_context.state().params.boBOERROIMPRESSORA);
        followReturnedItems();
    });
    if (!mayOpenMenu())
        return;
    checked = true;
    m_context.shell().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_FECH")), true);
    const bool back = m_context.services().CriaFuncoesFiscais({state.flags.boCupomAberto, state.host.stModoVenda},
                                                              m_context.data().cdsProdutos);
    if (!back) {
        state.host.stRetornoVenda = QStringLiteral("FECHA_SISTEMA");
        saleForm(m_context).Close();
        return;
    }
    backToSale();
}

bool FiscalFunctions::mayOpenMenu()
{
    SaleState &state = m_context.state();
    const Parameters &p = state.params;
    if (state.busy.boImprimindoCompCred) {
        if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
            credit->setDown(false);
        m_context.message(m_context.Msg(QStringLiteral("OPE_COMP_CRED")), Ravuvozozod::Error);
        return false;
    }
    if (p.boUTILIZAIMPFIS && !p.boBOERROIMPRESSORA
        && !m_context.devices().VerificaData(DateCheckRequest{p.stIDESQUEMA, p.stDATAIMP, QString(), 1}).ok)
        return false;
    QWidget *panel = m_context.widget(FormName::panBalcao);
    if (panel)
        panel->setEnabled(false);
    if (!m_context.shell().VerificaEstadoGaveta(p.stIDTIPOGAVETA)) {
        if (panel)
            panel->setEnabled(true);
        return false;
    }
    return true;
}

void FiscalFunctions::backToSale()
{
    SaleState &state = m_context.state();
    ScreenShell &shell = m_context.shell();
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    reloadOperator();
    shell.RestauraRodape(QStringLiteral("1"), QString());
    shell.ControleAcessoBotoes();
    ClientDataSet &waiters = m_context.data().cdsGarcom;
    QString &waiter = state.rights.stCdVendedorOperador;
    if (state.host.stModoVenda != SaleMode::Delivery && waiters.Active()
        && waiters.Locate(QStringLiteral("CDOPERADOR"), state.rights.stCDOPERADOR))
        waiter = waiters.FieldByName(QStringLiteral("CDVENDEDOR")).AsString();
    else
        waiter.clear();
    if (state.host.stModoVenda == SaleMode::Counter && !state.flags.boCupomAberto && !state.params.boBOERROIMPRESSORA)
        shell.ApagaCdsVenda_CdsItensCancelados();
    reloadBusinessDate();
    reloadSatActivation();
}

bool FiscalFunctions::reload(const QString &relativePath, ClientDataSet &target)
{
    const QString path = SitePaths::resolve(relativePath);
    if (!QFileInfo(path).isFile())
        return false;
    ClientDataSet read(target.Name());
    QString error;
    if (!read.LoadFromFile(path, &error)) {
        m_context.message(QStringLiteral("Arquivo ilegível: %1 (%2). Os valores anteriores foram mantidos.").arg(path, error),
                          Ravuvozozod::Error);
        return false;
    }
    target.CopyFrom(read);
    return true;
}

void FiscalFunctions::reloadOperator()
{
    ClientDataSet &file = m_context.data().cdsControleAcess;
    if (!reload(QStringLiteral("Dados\\Cadastros\\ControleAcess.cds"), file) || file.IsEmpty())
        return;
    file.First();
    OperatorRights &rights = m_context.state().rights;
    rights.stCDOPERADOR = file.FieldByName(QStringLiteral("CDOPERADOR")).AsString();
    rights.stNMOPERADOR = file.FieldByName(QStringLiteral("NMOPERADOR")).AsString();
    askOperatorRights(m_context);
}

void FiscalFunctions::reloadBusinessDate()
{
    ClientDataSet &file = m_context.data().cdsDataMovimento;
    if (reload(QStringLiteral("Dados\\Cadastros\\DataMovimento.cds"), file) && !file.IsEmpty())
        m_context.state().startup.dtDATAMOVIMENTO = file.FindField(QStringLiteral("DATAMOVIMENTO")).AsDateTime();
}

void FiscalFunctions::reloadSatActivation()
{
    if (!m_context.state().params.boSISTEMAQUBSAT)
        return;
    ClientDataSet &file = m_context.data().cdsValidaAbertura;
    if (reload(QStringLiteral("Dados\\Cadastros\\AberturaCaixa.cds"), file) && !file.IsEmpty())
        m_context.state().startup.stCDATIVACAOSAT = Criptografa::Uncripto(
            file.FindField(QStringLiteral("CDATIVACAOSAT")).AsString(), SaleStartup::CipherKey);
}

// Returned items left by the functions menu in the cadastre folder start an exchange; without
// them any exchange left behind is ended.
void FiscalFunctions::followReturnedItems()
{
    Settlement &settlement = m_context.settlement();
    if (QFileInfo(settlement.returnedItemsPath()).isFile()) {
        m_context.state().exchange.boTrocaMercadoria = true;
        settlement.TrocaProdutos();
        return;
    }
    settlement.Limpa_TrocaMercadoria();
}

void NextConsumerSale::ChamaClick_BotaoVendaConsumidor(const QString &ScreenType)
{
    const QChar kind = ScreenType.isEmpty() ? QChar() : ScreenType.front();
    if (kind == QLatin1Char('3') || kind == QLatin1Char('8'))
        startBadgeSale();
    else
        askTelephone();
}

void NextConsumerSale::startBadgeSale()
{
    const SaleState &state = m_context.state();
    QAbstractButton *badge = m_context.button(FormName::spbCartao);
    const bool printerOk = !state.params.boUTILIZAIMPFIS || !state.params.boBOERROIMPRESSORA;
    if (badge && badge->isEnabled() && !state.flags.boCupomAberto && printerOk)
        m_context.consumer().spbCartaoClick(badge);
}

// Whether the keypad was confirmed or left, the sale goes on the same way.
void NextConsumerSale::askTelephone()
{
    SaleState &state = m_context.state();
    if (state.flags.boCupomAberto || !isYes(state.params.stIDSOLICITATEL))
        return;
    KeypadRequest request;
    request.value = state.road.stAddProdAux1;
    request.title = m_context.Msg(QStringLiteral("Tel_Cons"));
    request.prompt = m_context.Msg(QStringLiteral("Inf_Tel"));
    request.emptyMessage = m_context.Msg(QStringLiteral("Tel_N_Inf"));
    request.maxLength = 13;
    request.lastFlag = false;
    const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
    state.road.stAddProdAux1 = answer.value;
}
