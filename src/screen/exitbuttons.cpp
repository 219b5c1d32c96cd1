// The table, tab, delivery and exit buttons.
#include "exitbuttons_p.h"

#include "screenshell.h"
#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>

#include <QAbstractButton>
#include <QDebug>
#include <QLabel>

void ScreenShell::lblSairClick(QObject *)
{
    ExitButtons(m_context).lblSairClick();
}

void ScreenShell::spbMenuMesaClick(QObject *)
{
    ExitButtons(m_context).spbMenuMesaClick();
}

void ScreenShell::spbComandaClick(QObject *)
{
    ExitButtons(m_context).spbComandaClick();
}

void ScreenShell::spbDeliveryClick(QObject *)
{
    ExitButtons(m_context).spbDeliveryClick();
}

bool ExitButtons::creditVoucherPrinting()
{
    m_context.data().cdsConfTipoRece.SetFiltered(false);
    if (!m_context.state().busy.boImprimindoCompCred)
        return false;
    if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
        credit->setDown(false);
    m_context.message(m_context.Msg(QStringLiteral("OPE_COMP_CRED")), Ravuvozozod::Error);
    return true;
}

void ExitButtons::zeroCustomerDisplayTotal()
{
    if (TfrmVisualiza *display = m_context.display()) {
        if (auto *total = display->findChild<QLabel *>(DisplayName::lblVrTotal))
            total->setText(QStringLiteral("0,00"));
    }
}

// A delivery order opened and left without an item is not kept.
void ExitButtons::discardEmptyDeliveryOrder()
{
    const SaleState &state = m_context.state();
    if (state.host.stModoVenda != SaleMode::Delivery || state.host.stNRVENDAREST.isEmpty())
        return;
    const Variant answer = m_context.server().tabs.setValidaPedido(state.params.stCDFILIAL, state.host.stNRVENDAREST,
                                                           state.host.stNRCOMANDA, state.params.stCDLOJA);
    if (answer.isFailure())
        qWarning().noquote() << "setValidaPedido:" << answer.toString();
}

void ExitButtons::leave(const QString &keyword)
{
    m_context.state().host.stRetornoVenda = keyword;
    saleForm(m_context).Close();
}

void ExitButtons::spbMenuMesaClick()
{
    if (creditVoucherPrinting())
        return;
    m_context.shell().Atualiza_Display(QString(), false);
    leave(QStringLiteral("VENDA_MESA"));
}

void ExitButtons::spbComandaClick()
{
    if (creditVoucherPrinting())
        return;
    zeroCustomerDisplayTotal();
    m_context.shell().Atualiza_Display(QString(), false);
    leave(QStringLiteral("VENDA_COMANDA"));
}

void ExitButtons::spbDeliveryClick()
{
    if (creditVoucherPrinting())
        return;
    m_context.shell().Atualiza_Display(QString(), false);
    m_context.state().host.stRetornoVenda = QStringLiteral("VENDA_DELIVERY");
    discardEmptyDeliveryOrder();
    saleForm(m_context).Close();
}

void ExitButtons::lblSairClick()
{
    if (!Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Sair")), QString(), QStringLiteral("N"), QStringLiteral("S"),
                               Ravuvozozod::Question, QString(), m_context.state().params.stIDESQUEMA, 0))
        return;
    discardEmptyDeliveryOrder();
    m_context.shell().Atualiza_Display(QString(), false);
    leave(QStringLiteral("FECHA_SISTEMA"));
}
