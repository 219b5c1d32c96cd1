#include "startup_p.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include "screenshell.h"

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
    c.setVisible(QStringLiteral("panBalcao"), false);
    c.setVisible(QStringLiteral("lblMenu"), false);
    c.shell().LimpaMenuProduto();
    for (const char *name : {"lblVrTotal", "lblQtdeTotal", "lblQtde", "lblValor", "bdsPrecoFundo"})
        c.setVisible(QString::fromLatin1(name), false);
}

// The badge and consumer lines above the receipt, with the total and quantity beside them.
void StartupLayout::compactConsumerLines()
{
    SaleContext &c = m_context;
    QWidget *badge = c.widget(QStringLiteral("lblCracha"));
    QWidget *consumer = c.widget(QStringLiteral("lblNmCons"));
    badge->move(211, 110);
    consumer->move(211, 80);
    for (const char *name : {"lblTotVenda", "lblValor2"})
        c.widget(QString::fromLatin1(name))->move(c.widget(QString::fromLatin1(name))->x(), badge->y());
    for (const char *name : {"lblQtdeTotal2", "lblQtde2"})
        c.widget(QString::fromLatin1(name))->move(c.widget(QString::fromLatin1(name))->x(), consumer->y());
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
    QWidget *tray = c.widget(QStringLiteral("panFundoBandeja"));
    QWidget *coupon = c.widget(QStringLiteral("panCupom"));
    QWidget *grid = c.widget(QStringLiteral("dbgCupom"));
    tray->show();
    tray->resize(659, 400);
    coupon->resize(tray->width() - 15, tray->height() - 60);
    grid->resize(coupon->width() + 16, coupon->height() + 16);

    QWidget *clock = c.widget(QStringLiteral("lblDataHora"));
    clock->move(250, clock->y());
    for (const char *name : {"lblTotVenda", "lblQtdeTotal2", "lblQtde2", "lblValor2"})
        c.setVisible(QString::fromLatin1(name), true);
    for (const char *name : {"lblNrPessoas", "lblNrPes"})
        c.setVisible(QString::fromLatin1(name), false);
    for (const char *name : {"spbGridBaixo", "spbGridAcima"}) {
        QWidget *button = c.widget(QString::fromLatin1(name));
        button->move(button->x(), coupon->height() + 23);
    }
    QWidget *position = c.widget(QStringLiteral("stPosicao"));
    position->move(position->x(), coupon->height() + 28);
}

void StartupLayout::touchLayout()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    c.setVisible(QStringLiteral("panFundoBandeja"), true);
    modeControls();
    for (const char *name : {"lblTotVenda", "lblQtdeTotal2", "lblQtde2", "lblValor2"})
        c.setVisible(QString::fromLatin1(name), false);
    c.setVisible(QStringLiteral("lblMenu"), true);
    c.shell().LimpaMenuProduto();
    c.setVisible(QStringLiteral("lblCracha"), false);
    c.setVisible(QStringLiteral("lblNmCons"), false);
    c.shell().MontaConfigGrupo(true);
    c.data().cdsConfigGrupo.First();
    state.road.stBalcaoAux1 = QStringLiteral("01");
    c.shell().MontaConfigProduto(true, QStringLiteral("01"));
}

// Settle at the counter, send the order in the other modes; the badge and consumer labels say
// which tab or table the call is for.
void StartupLayout::modeControls()
{
    SaleContext &c = m_context;
    const HostArguments &host = c.state().host;
    const bool counter = host.stModoVenda == SaleMode::Counter;
    c.setVisible(QStringLiteral("spbReceb"), counter);
    c.setVisible(QStringLiteral("spbVender"), !counter);
    if (counter) {
        c.setVisible(QStringLiteral("lblCracha"), true);
        return;
    }
    const QString waiter = c.Msg(QStringLiteral("Garcom")) + QLatin1Char(' ') + host.stCDVENDEDOR;
    if (host.stModoVenda == SaleMode::Tab) {
        c.setVisible(QStringLiteral("lblCracha"), true);
        c.setCaption(QStringLiteral("lblCracha"),
                     c.Msg(QStringLiteral("NrComanda")) + QLatin1Char(' ') + host.stNrComandaExib);
        c.setCaption(QStringLiteral("lblNmCons"), waiter);
        return;
    }
    c.setVisible(QStringLiteral("lblCracha"), false);
    c.setCaption(QStringLiteral("lblNmCons"),
                 c.Msg(QStringLiteral("Mesa")) + QLatin1Char(' ') + host.stNRMESA + QStringLiteral(" - ") + waiter);
}
