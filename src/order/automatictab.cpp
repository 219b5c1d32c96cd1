// The automatic tab sale: a one-product order point that enters its product, confirms it on a
// panel and sends the order by itself.
#include "orderentry.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace {

constexpr int PanelMs = 3000;

// Swallows the operator's input to the sale form while the confirmation panel is up, so that
// nothing is typed or clicked into a sale that is about to be sent.
class InputOff : public QObject
{
public:
    InputOff(QWidget &form, QObject *parent) : QObject(parent), m_form(&form) { qApp->installEventFilter(this); }
    ~InputOff() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Shortcut:
            break;
        default:
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget && m_form && (widget == m_form || m_form->isAncestorOf(widget));
    }

private:
    QPointer<QWidget> m_form;
};

// Halves go to the even neighbour, as the panel's centring asks.
int centred(int outer, int inner)
{
    return int(std::nearbyint(outer / 2.0 - inner / 2.0));
}

} // namespace

void OrderEntry::VendaComandaAuto()
{
    const SaleState &state = m_context.state();
    m_context.setCaption(FormName::lblBuffer, state.params.stCDPRODCMDAUTO);
    int key = Qt::Key_Return;
    m_context.screen().FormKeyDown(&m_context.form(), key, Qt::AltModifier);
}

void OrderEntry::MsgComandaAuto()
{
    SaleShell &shell = m_context.screen();
    shell.ControlaBotoes(false);
    shell.ControlaBotoes_Grupo(false);
    for (QLatin1StringView name : {FormName::spbVender, FormName::pnlBotoes}) {
        if (QWidget *control = m_context.widget(name))
            control->setEnabled(false);
    }
    QWidget *panel = m_context.widget(FormName::panMsgComanda);
    QTimer *tick = m_context.form().findChild<QTimer *>(FormName::timComandaAuto);
    if (!panel) {
        if (tick)
            tick->start();
        return;
    }
    QDialog &form = m_context.form();
    panel->move(centred(form.width(), panel->width()), centred(form.height(), panel->height()));
    panel->raise();
    panel->show();
    // The panel stays three seconds without holding the event loop; the tick is armed only
    // when it hides, so the first one comes a full interval later.
    auto *hide = new QTimer(panel);
    hide->setObjectName(QStringLiteral("panMsgComandaTimer"));
    hide->setSingleShot(true);
    hide->setInterval(PanelMs);
    auto *input = new InputOff(form, hide);
    QObject::connect(hide, &QTimer::timeout, panel, [panel, hide, input, tick] {
        delete input;
        panel->hide();
        hide->deleteLater();
        if (tick)
            tick->start();
    });
    hide->start();
}

void OrderEntry::timComandaAutoTimer(QObject *Sender)
{
    SaleState &state = m_context.state();
    const ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active() || items.IsEmpty())
        return;
    if (auto *tick = qobject_cast<QTimer *>(Sender))
        tick->stop();
    else if (QTimer *own = m_context.form().findChild<QTimer *>(FormName::timComandaAuto))
        own->stop();
    TrimAppMemorySize();
    const bool written = VendeProduto(QString(), QString(), QString());
    SaleShell &shell = m_context.screen();
    shell.Atualiza_Display(QString(), false);
    shell.ControlaBotoes(true);
    shell.ControlaBotoes_Grupo(true);
    for (QLatin1StringView name : {FormName::spbVender, FormName::pnlBotoes}) {
        if (QWidget *control = m_context.widget(name))
            control->setEnabled(true);
    }
    // An order that was not written stays on screen with its lines (the failure has been
    // shown); the order button sends it once the cause is gone.
    if (!written)
        return;
    state.host.stRetornoVenda = QStringLiteral("VENDA_COMANDA");
    m_context.screen().Close();
}

void OrderEntry::TrimAppMemorySize()
{
}
