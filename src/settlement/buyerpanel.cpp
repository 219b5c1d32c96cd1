// The panel panCPFPinPad: where the buyer's CPF is typed (PinPad, the system's dialog, or not
// at all). While it waits, the screen's selling controls are disabled; other events still run.
#include "settlement.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saleshell.h>

#include <QAbstractButton>
#include <QDialog>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QPushButton>

#include <cmath>

namespace {

// The panel keeps what its waiting loop needs: the choice, the loop, and the state of the
// function keys it took away.
class BuyerPanel : public QFrame
{
public:
    explicit BuyerPanel(QDialog &form) : QFrame(&form)
    {
        setObjectName(FormName::panCPFPinPad);
        setFrameShape(QFrame::Box);
        setLineWidth(2);
        setAutoFillBackground(true);
        setGeometry(175, 0, 525, 125);
        auto *label = new QLabel(QStringLiteral("Deseja informar CPF/CNPJ ?"), this);
        label->setObjectName(FormName::lblCPFPinPad);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(10, 10, 505, 40);
        QFont font = label->font();
        font.setPointSize(14);
        font.setBold(true);
        label->setFont(font);
        hide();
    }

    QPushButton *addChoice(const QString &name, const QString &caption, int left)
    {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setGeometry(left, 62, 160, 50);
        return button;
    }

    QString choice;
    QPointer<QEventLoop> loop;
    QList<QPair<QPointer<QWidget>, bool>> takenKeys;
};

void routeChoice(SaleContext &c, QPushButton *button, void (Settlement::*handler)(QObject *))
{
    QDialog &form = c.form();
    QObject::connect(button, &QPushButton::clicked, &form, [&c, button, handler] {
        c.dispatch([&] { (c.settlement().*handler)(button); });
    });
}

BuyerPanel *panelOf(SaleContext &c)
{
    QDialog &form = c.form();
    if (auto *panel = dynamic_cast<BuyerPanel *>(form.findChild<QFrame *>(FormName::panCPFPinPad)))
        return panel;
    auto *panel = new BuyerPanel(form);
    routeChoice(c, panel->addChoice(FormName::btnCPFPinPad, QStringLiteral("CPF no PinPad"), 10), &Settlement::btnCPFPinPadClick);
    routeChoice(
        c, panel->addChoice(FormName::btnCPFSistema, QStringLiteral("CPF no Sistema"), 182), &Settlement::btnCPFSistemaClick);
    routeChoice(c, panel->addChoice(FormName::btnSairCPF, QStringLiteral(" Não Informar"), 355), &Settlement::btnSairCPFClick);
    return panel;
}

// The button panel: pnlBotoes when the form has one, else the function keys themselves, each
// given back in the state it had (as the keys of a re-enabled panel keep their own).
QList<QWidget *> functionKeys(SaleContext &c)
{
    if (QWidget *panel = c.widget(FormName::pnlBotoes))
        return {panel};
    QList<QWidget *> keys;
    for (QAbstractButton *button : c.form().findChildren<QAbstractButton *>()) {
        const QString name = button->objectName();
        if (name.startsWith(QLatin1String("spb")) && name != FormName::spbReceb)
            keys.append(button);
    }
    return keys;
}

void enableSelling(SaleContext &c, bool enable)
{
    c.screen().ControlaBotoes(enable);
    c.screen().ControlaBotoes_Grupo(enable);
    for (QLatin1StringView name : {FormName::spbReceb, FormName::lblSair}) {
        if (QWidget *widget = c.widget(name))
            widget->setEnabled(enable);
    }
}

void takeControls(SaleContext &c, BuyerPanel &panel)
{
    enableSelling(c, false);
    panel.takenKeys.clear();
    for (QWidget *key : functionKeys(c)) {
        panel.takenKeys.append({key, key->isEnabled() || key->objectName() == FormName::pnlBotoes});
        key->setEnabled(false);
    }
}

void giveControlsBack(SaleContext &c, BuyerPanel &panel)
{
    enableSelling(c, true);
    for (const auto &[key, enabled] : panel.takenKeys) {
        if (key)
            key->setEnabled(enabled);
    }
    panel.takenKeys.clear();
}

void choose(SaleContext &c, const QString &choice)
{
    BuyerPanel *panel = panelOf(c);
    panel->hide();
    giveControlsBack(c, *panel);
    panel->choice = choice;
    if (panel->loop)
        panel->loop->quit();
}

} // namespace

QString Settlement::MensagemCPFPinpad()
{
    QPointer<BuyerPanel> panel = panelOf(m_context);
    panel->choice.clear();
    takeControls(m_context, *panel);
    // Centred on the form's height; a half goes to the even pixel.
    const double top = m_context.form().height() / 2.0 - panel->height() / 2.0;
    panel->move(175, int(std::nearbyint(top)));
    panel->show();
    panel->raise();
    QEventLoop loop;
    QObject::connect(panel.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    panel->loop = &loop;
    if (panel->choice.isEmpty())
        loop.exec();
    if (!panel)
        return QStringLiteral("SAIR");
    panel->loop = nullptr;
    return panel->choice;
}

void Settlement::btnCPFPinPadClick(QObject *)
{
    choose(m_context, QStringLiteral("PINPAD"));
}

void Settlement::btnCPFSistemaClick(QObject *)
{
    choose(m_context, QStringLiteral("SISTEMA"));
}

void Settlement::btnSairCPFClick(QObject *)
{
    choose(m_context, QStringLiteral("SAIR"));
}
