#include "startup_p.h"

#include "screenshell.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <QLabel>
#include <QWidget>
#include <sale/codes.h>

namespace {

bool compact(const QString &screenType)
{
    return screenType == QLatin1String("4") || screenType == QLatin1String("6")
           || screenType == QLatin1String("8");
}

} // namespace

void StartupLayout::layOut()
{
    if (compact(m_context.state().params.stIdTpTelaVe))
        compactLayout();
    else
        touchLayout();
}

// The receipt takes the middle of the screen; no touch grid.
void StartupLayout::compactLayout()
{
    SaleContext &c = m_context;
    compactConsumerLines();
    compactReceipt();
    modeControls();
    c.setVisible(FormName::panBalcao, false);
    c.setVisible(FormName::lblMenu, false);
    c.shell().LimpaMenuProduto();
    for (QLatin1StringView name :
        {FormName::lblVrTotal, FormName::lblQtdeTotal, FormName::lblQtde, FormName::lblValor, FormName::bdsPrecoFundo})
        c.setVisible(name, false);
}

// The badge and consumer lines above the receipt, with the total and quantity beside them.
void StartupLayout::compactConsumerLines()
{
    SaleContext &c = m_context;
    QWidget *badge = c.widget(FormName::lblCracha);
    QWidget *consumer = c.widget(FormName::lblNmCons);
    badge->move(211, 110);
    consumer->move(211, 80);
    for (QLatin1StringView name : {FormName::lblTotVenda, FormName::lblValor2})
        c.widget(name)->move(c.widget(name)->x(), badge->y());
    for (QLatin1StringView name : {FormName::lblQtdeTotal2, FormName::lblQtde2})
        c.widget(name)->move(c.widget(name)->x(), consumer->y());
    for (QWidget *label : {badge, consumer}) {
        label->setGeometry(211, label->y(), 452, label->height());
        c.setCaption(label->objectName(), QString());
        static_cast<QLabel *>(label)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    consumer->show();
}

// The receipt grid, its page buttons and the seat label sized to the tray.
void StartupLayout::compactReceipt()
{
    SaleContext &c = m_context;
    QWidget *tray = c.widget(FormName::panFundoBandeja);
    QWidget *coupon = c.widget(FormName::panCupom);
    QWidget *grid = c.widget(FormName::dbgCupom);
    tray->show();
    tray->resize(659, 400);
    coupon->resize(tray->width() - 15, tray->height() - 60);
    grid->resize(coupon->width() + 16, coupon->height() + 16);

    QWidget *clock = c.widget(FormName::lblDataHora);
    clock->move(250, clock->y());
    for (QLatin1StringView name : {FormName::lblTotVenda, FormName::lblQtdeTotal2, FormName::lblQtde2, FormName::lblValor2})
        c.setVisible(name, true);
    for (QLatin1StringView name : {FormName::lblNrPessoas, FormName::lblNrPes})
        c.setVisible(name, false);
    for (QLatin1StringView name : {FormName::spbGridBaixo, FormName::spbGridAcima}) {
        QWidget *button = c.widget(name);
        button->move(button->x(), coupon->height() + 23);
    }
    QWidget *position = c.widget(FormName::stPosicao);
    position->move(position->x(), coupon->height() + 28);
}

void StartupLayout::touchLayout()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    c.setVisible(FormName::panFundoBandeja, true);
    modeControls();
    for (QLatin1StringView name : {FormName::lblTotVenda, FormName::lblQtdeTotal2, FormName::lblQtde2, FormName::lblValor2})
        c.setVisible(name, false);
    c.setVisible(FormName::lblMenu, true);
    c.shell().LimpaMenuProduto();
    c.setVisible(FormName::lblCracha, false);
    c.setVisible(FormName::lblNmCons, false);
    c.shell().MontaConfigGrupo(true);
    c.data().cdsConfigGrupo.First();
    state.screen.stBalcaoAux1 = QStringLiteral("01");
    c.shell().MontaConfigProduto(true, QStringLiteral("01"));
}

// Settle at the counter, send the order in the other modes; the badge and consumer labels say
// which tab or table the call is for.
void StartupLayout::modeControls()
{
    SaleContext &c = m_context;
    const HostArguments &host = c.state().host;
    const bool counter = host.stModoVenda == SaleMode::Counter;
    c.setVisible(FormName::spbReceb, counter);
    c.setVisible(FormName::spbVender, !counter);
    if (counter) {
        c.setVisible(FormName::lblCracha, true);
        return;
    }
    const QString waiter = c.Msg(QStringLiteral("Garcom")) + QLatin1Char(' ') + host.stCDVENDEDOR;
    if (host.stModoVenda == SaleMode::Tab) {
        c.setVisible(FormName::lblCracha, true);
        c.setCaption(FormName::lblCracha, c.Msg(QStringLiteral("NrComanda")) + QLatin1Char(' ') + host.stNrComandaExib);
        c.setCaption(FormName::lblNmCons, waiter);
        return;
    }
    c.setVisible(FormName::lblCracha, false);
    c.setCaption(
        FormName::lblNmCons, c.Msg(QStringLiteral("Mesa")) + QLatin1Char(' ') + host.stNRMESA + QStringLiteral(" - ") + waiter);
}
