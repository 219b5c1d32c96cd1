// The order button: sends the table, tab or delivery order and hands the host the keyword of
// the screen to open next.
#include "orderbutton_p.h"

#include "screenshell.h"

#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <order/orderentry.h>
#include <outside/consiste.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <QLabel>
#include <sale/codes.h>

namespace {

// The host's screen of each mode the order button leaves for.
QString keywordOf(const QString &mode)
{
    if (mode == SaleMode::Table)
        return QStringLiteral("VENDA_MESA");
    if (mode == SaleMode::Tab)
        return QStringLiteral("VENDA_COMANDA");
    if (mode == SaleMode::Delivery)
        return QStringLiteral("VENDA_DELIVERY");
    return QString();
}

QString parameter(const ClientDataSet &parameters, const char *column)
{
    return parameters.Active() ? parameters.FindField(QString::fromLatin1(column)).AsString() : QString();
}

} // namespace

void ScreenShell::spbVenderClick(QObject *)
{
    OrderButton(m_context).spbVenderClick();
}

void OrderButton::spbVenderClick()
{
    SaleState &state = m_context.state();
    if (!m_context.shell().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        return;
    // A counter sale is settled through the settle button.
    if (state.host.stModoVenda == SaleMode::Counter)
        return;
    const ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active() || items.IsEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        Abort();
    }
    try {
        sendOrderAndLeave();
    } catch (const EAbort &) {
        state.busy.boVenderAux1 = false;
    } catch (const Consiste::EResultServ &error) {
        state.busy.boVenderAux1 = false;
        m_context.message(error.text(), Ravuvozozod::Error);
    } catch (const std::exception &error) {
        state.busy.boVenderAux1 = false;
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
}

void OrderButton::sendOrderAndLeave()
{
    SaleState &state = m_context.state();
    if (!operatorReadStoreMessage())
        Abort();
    if (state.busy.boVenderAux1)
        return;
    const DataPacket parameters = m_context.data().cdsParametrosQub.Data();
    if (!Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Desej_Vend")), QString(), QStringLiteral("N"),
                               QStringLiteral("S"), Ravuvozozod::Question, QString(), state.params.stIDESQUEMA, 0,
                               &parameters))
        return;
    state.busy.boVenderAux1 = true;
    // An order that was not written keeps the sale on screen with its lines and give-ups, and
    // hands back no keyword, so that the operator can send it again.
    if (!m_context.order().VendeProduto(QString(), QString(), QString())) {
        state.busy.boVenderAux1 = false;
        return;
    }
    ClientDataSet &giveUps = m_context.data().cdsItensCancelados;
    if (giveUps.Active())
        giveUps.EmptyDataSet();
    leaveAfterOrder();
}

// The store's message to the operator, when the till shows one: declining it ends this press,
// and the next press goes on without it.
bool OrderButton::operatorReadStoreMessage()
{
    SaleState &state = m_context.state();
    const ClientDataSet &parameters = m_context.data().cdsParametrosQub;
    if (!isYes(parameter(parameters, "IDEXIBEMENSOP")))
        return true;
    if (!state.busy.boProcessando
        && !Ravuvozozod::Mensagem(parameter(parameters, "DSMENSOPERLOJA"), QString(), QStringLiteral("N"),
                                  QStringLiteral("S"), Ravuvozozod::Information, QString(),
                                  state.params.stIDESQUEMA, 0)) {
        state.busy.boProcessando = true;
        state.flags.boRecebendo = false;
        return false;
    }
    state.busy.boProcessando = false;
    return true;
}

void OrderButton::leaveAfterOrder()
{
    SaleState &state = m_context.state();
    const QString keyword = keywordOf(state.host.stModoVenda);
    if (!keyword.isEmpty()) {
        state.host.stRetornoVenda = keyword;
        state.settlement.stSenhaPedido.clear();
        if (state.host.stModoVenda == SaleMode::Tab) {
            if (TfrmVisualiza *display = m_context.display()) {
                if (auto *label = display->findChild<QLabel *>(DisplayName::lblVrTotal))
                    label->setText(QStringLiteral("0,00"));
            }
        }
        saleForm(m_context).Close();
    }
    m_context.shell().Atualiza_Display(QString(), false);
}
