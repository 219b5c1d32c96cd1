// The receipt cancellation's press: the entry guards, the operator's right and note, the route
// of the till's document, and the common end that always follows.
#include "receiptcancel_p.h"

#include "pendingrecords_p.h"
#include "settlement.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QAbstractButton>

#include <exception>

ReceiptCancel::ReceiptCancel(SaleContext &context) : m_context(context) {}

void ReceiptCancel::press()
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    state.busy.boCancCupomAux1 = true;
    try {
        run();
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        m_context.message(QString::fromUtf8(failure.what()), Ravuvozozod::Error);
    }
    commonEnd();
}

void ReceiptCancel::run()
{
    if (!guardsPass())
        return;
    m_context.screen().DesabilitaBotoes();
    // A cancellation kept while the base was away is written first: the sale it cancelled is
    // then no longer open, and is not cancelled a second time.
    PendingRecords(m_context).write();
    // Partner calls kept by earlier cancellations are not sent here: a stalled partner would
    // hold every press for each of them. They go at start-up and between sales.
    chooseRoute();
    if (m_values.cancelled)
        afterRoute();
}

bool ReceiptCancel::guardsPass()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    SaleShell &shell = m_context.screen();
    if (shell.VerificaImpressoraOk(true))
        return false;
    if (state.screen.boConsultaPreco)
        stop(m_context.Msg(QStringLiteral("Prod_N_Vend")));
    if (!shell.VerificaEstadoGaveta(params.stIDTIPOGAVETA))
        return false;
    if (state.busy.boImprimindoCompCred) {
        if (QAbstractButton *button = m_context.button(FormName::spbCompraCred))
            button->setDown(false);
        stop(m_context.Msg(QStringLiteral("OPE_COMP_CRED")));
    }
    const AccessAnswer access = m_context.services().VerificaAcesso({state.rights.inCTCANCCUPOM, state.rights.stCDOPERADOR});
    m_values.authoriser = access.stRetAcesso;
    if (!access.allowed)
        return false;
    return noteGiven();
}

// The note is asked only where the till asks for it; the server then says whether one is due.
bool ReceiptCancel::noteGiven()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (!isYes(params.stIDSOLOBSCANCUP))
        return true;
    ObservationRequest request;
    request.value0 = QStringLiteral("S");
    request.value1 = QStringLiteral("C");
    request.boCupomAberto = state.flags.boCupomAberto;
    request.valueCount = 9;
    const ObservationAnswer answer = m_context.services().Observacao(request);
    m_values.note = answer.text == QLatin1String("erro") ? QString() : answer.text;
    m_values.noteSecondValue = answer.holdMinutes.toString();
    const Variant required = m_context.checkedValue(m_context.server().cancellation.getObrigaObsCan(params.stCDFILIAL, params.stCDLOJA),
                                                    QStringLiteral("getObrigaObsCan"),
                                                    params.stCDFILIAL + QLatin1Char('-') + params.stCDLOJA);
    return !(isYes(required.toString()) && m_values.note.trimmed().isEmpty());
}

void ReceiptCancel::chooseRoute()
{
    const Parameters &params = m_context.state().params;
    if (params.boUTILIZAIMPFIS)
        fiscalPrinterRoute();
    else if (params.boSISTEMAQUBSAT)
        satRoute();
    else
        plainRoute();
}

bool ReceiptCancel::openCounterSale() const
{
    const SaleState &state = m_context.state();
    return state.flags.boCupomAberto && state.host.stModoVenda == QLatin1String("B");
}

bool ReceiptCancel::question(const QString &text) const
{
    return Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Question, QString(),
                                 m_context.state().params.stIDESQUEMA, 0);
}

void ReceiptCancel::stop(const QString &text) const
{
    m_context.message(text, Ravuvozozod::Error);
    Abort();
}

// Always, after a stop or a failure too. The sale screen is cleared only when a route got as
// far as naming what it cancels.
void ReceiptCancel::commonEnd()
{
    SaleState &state = m_context.state();
    SaleShell &shell = m_context.screen();
    Pkg_Hrk00002 &services = m_context.services();
    services.DesativaProcesso();
    try {
        if (m_values.cancelled) {
            services.DesativaProcesso();
            m_context.settlement().Limpa_TrocaMercadoria();
            shell.LimpaVariaveis();
            shell.LimpaCDS();
            shell.ControleCdsVenda_Diretorio(state.host.stModoVenda);
        }
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        m_context.message(QString::fromUtf8(failure.what()), Ravuvozozod::Error);
    }
    state.flags.boBalcaoAux1 = false;
    state.busy.boCancCupomAux1 = false;
    shell.ControleAcessoBotoes();
    const SaleFlags &flags = state.flags;
    const QAbstractButton *badge = m_context.button(FormName::spbCartao);
    const QString screen = state.params.stIdTpTelaVe;
    if (m_context.data().cdsItems.IsEmpty() && (screen.startsWith(QLatin1Char('3')) || screen.startsWith(QLatin1Char('8')))
        && badge && badge->isEnabled() && !flags.boVendaDebito && !flags.boCupomAberto && !flags.boCreditoPessoal
        && !flags.boVendaVista)
        m_context.dispatch([this] { m_context.consumer().spbCartaoClick(m_context.button(FormName::spbCartao)); });
}

void Settlement::spbCancelaCupomClick(QObject *)
{
    ReceiptCancel(m_context).press();
}
