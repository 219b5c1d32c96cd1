#include "consumersale.h"

#include "badgesale_p.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>


#include <outside/ravuvozozod.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// The sale-kind chooser: a panel over the function buttons that offers the kinds the
// consumer may use and holds the badge sale until one is stored.

namespace {

// Where the button area's frame lies; the panels are placed from it.
QPoint frameOrigin(SaleContext &context)
{
    if (const QWidget *frame = context.widget(QStringLiteral("bdsBotoes")))
        return frame->pos();
    return QPoint(671, 70);
}

} // namespace

SaleKindChooser::SaleKindChooser(SaleContext &context) : m_context(context)
{
}

void SaleKindChooser::SelecionarTipoVenda(const QString &code)
{
    SaleState &state = m_context.state();
    state.consumer.stTipoVendaCons.clear();
    state.flags.boTipoVendaSelecionado = true;
    if (QWidget *exit = m_context.widget(FormName::lblSair))
        exit->setEnabled(false);
    const bool direct = (code == QLatin1String("1") || code == QLatin1String("2") || code == QLatin1String("3"))
                        && state.startup.stTipoVendaAux1 == QLatin1String("N");
    if (direct) {
        state.consumer.stTipoVendaCons = code;
    } else if (!BadgeSaleRules::allowedKinds(code).valid) {
        // Nothing could be chosen on a panel for this code: the sale goes back at once.
        m_context.message(QStringLiteral("Operação bloqueada. Tipo de venda do consumidor inválido: \"%1\".").arg(code),
                          Ravuvozozod::Error);
        state.consumer.stTipoVendaCons = QStringLiteral("0");
    } else {
        showPanel(code);
    }
    waitForKind();
    SaleShell &shell = m_context.screen();
    shell.ControlaBotoes(true);
    shell.ControlaBotoes_Grupo(true);
    if (QWidget *exit = m_context.widget(FormName::lblSair))
        exit->setEnabled(true);
    state.flags.boTipoVendaSelecionado = false;
}

void SaleKindChooser::showPanel(const QString &code)
{
    const QPoint frame = frameOrigin(m_context);
    if (QWidget *panel = m_context.widget(FormName::panEscolheVenda)) {
        panel->move(frame.x() + 2, frame.y());
        panel->show();
        panel->raise();
    }
    if (QWidget *buttons = m_context.widget(FormName::pnlBotoes)) {
        buttons->move(frame.x() - 7, frame.y() - 3);
        buttons->hide();
    }
    m_context.setVisible(FormName::sbtFidelidade, m_context.state().startup.stTipoVendaAux1 != QLatin1String("N"));
    if (QAbstractButton *settle = m_context.button(FormName::spbReceb))
        settle->setEnabled(false);
    const BadgeSaleRules::AllowedKinds kinds = BadgeSaleRules::allowedKinds(code);
    const std::pair<QLatin1StringView, bool> buttons[] = {
        {FormName::spbVendaDeb, kinds.debit}, {FormName::spbCredPessoal, kinds.credit}, {FormName::spbVendaVis, kinds.cash}};
    for (const auto &[name, enabled] : buttons) {
        if (QAbstractButton *button = m_context.button(name))
            button->setEnabled(enabled);
    }
    m_context.screen().ControlaBotoes(false);
    m_context.screen().ControlaBotoes_Grupo(false);
}

// The operator's clicks, keys and the screen's timers go on being handled while the panel
// waits. A form that goes away while it waits ends the wait as "back".
void SaleKindChooser::waitForKind()
{
    QString &kind = m_context.state().consumer.stTipoVendaCons;
    QPointer<QDialog> form(&m_context.form());
    while (kind.isEmpty()) {
        if (!form || QCoreApplication::closingDown()) {
            kind = QStringLiteral("0");
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
}

void SaleKindChooser::close(const QString &kind)
{
    SaleState &state = m_context.state();
    state.consumer.stTipoVendaCons = kind;
    const QPoint frame = frameOrigin(m_context);
    if (QWidget *panel = m_context.widget(FormName::panEscolheVenda)) {
        panel->move(frame.x() - 7, frame.y() - 3);
        panel->hide();
    }
    if (QWidget *buttons = m_context.widget(FormName::pnlBotoes)) {
        buttons->move(664, 67);
        buttons->show();
    }
    if (kind == QLatin1String("0") && state.params.stIDTIPINFCONS == QLatin1String("A")) {
        if (QAbstractButton *badge = m_context.button(FormName::spbCartao))
            badge->setChecked(false);
        state.flags.boModoCartao = false;
    }
}

void ConsumerSale::SelecionarTipoVenda(const QString &Codigo)
{
    SaleKindChooser(m_context).SelecionarTipoVenda(Codigo);
}

void ConsumerSale::spbVendaDebClick(QObject *)
{
    SaleKindChooser(m_context).close(QStringLiteral("1"));
}

void ConsumerSale::spbCredPessoalClick(QObject *)
{
    SaleKindChooser(m_context).close(QStringLiteral("2"));
}

void ConsumerSale::spbVendaVisClick(QObject *)
{
    SaleKindChooser(m_context).close(QStringLiteral("3"));
}

void ConsumerSale::spbCancEscolheClick(QObject *)
{
    SaleKindChooser(m_context).close(QStringLiteral("0"));
}
