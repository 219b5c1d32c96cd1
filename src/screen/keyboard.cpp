// The keyboard map of the sale screen: single keys and Alt combinations become the screen's
// actions, each under the conditions its button has. Typed characters go to the key buffer
// in FormKeyPress; Enter reads that buffer.
#include "keyboard_p.h"

#include "screenshell.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include "tfrmvendacons.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <settlement/settlement.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/sitepaths.h>

#include <QAbstractButton>
#include <QFileInfo>
#include <QLabel>
#include <QWidget>
#include <sale/codes.h>

#include <functional>

namespace {

// The button's own Enabled property (a disabled parent panel does not count).
bool enabled(SaleContext &context, const char *name)
{
    const QAbstractButton *button = context.button(QString::fromLatin1(name));
    return button && !button->testAttribute(Qt::WA_ForceDisabled);
}

bool visible(SaleContext &context, const char *name)
{
    const QWidget *widget = context.widget(QString::fromLatin1(name));
    return widget && !widget->isHidden();
}

QString buffer(SaleContext &context)
{
    const QLabel *label = context.label(QStringLiteral("lblBuffer"));
    return label ? label->text() : QString();
}

bool exactly(Qt::KeyboardModifiers shift, Qt::KeyboardModifier modifier)
{
    const Qt::KeyboardModifiers held = shift & (Qt::ShiftModifier | Qt::ControlModifier
                                                | Qt::AltModifier | Qt::MetaModifier);
    return held == Qt::KeyboardModifiers(modifier);
}

using Click = std::function<void(SaleContext &)>;

// A function key that presses its button: only when the button is enabled and the sale-kind
// choice is not on screen.
struct ButtonKey
{
    int key;
    const char *button;
    bool swallowed;
    Click click;
};

const QList<ButtonKey> &buttonKeys()
{
    static const QList<ButtonKey> keys = {
        {Qt::Key_F2, "spbQtde2", true, [](SaleContext &c) { c.shell().spbQtde2Click(c.button(QStringLiteral("spbQtde2"))); }},
        {Qt::Key_F3, "spbQtde", true, [](SaleContext &c) { c.shell().spbQtdeClick(c.button(QStringLiteral("spbQtde"))); }},
        {Qt::Key_F5, "spbConsultaPreco", true, [](SaleContext &c) {
             QAbstractButton *button = c.button(QStringLiteral("spbConsultaPreco"));
             button->setChecked(!button->isChecked());
             c.shell().spbConsultaPrecoClick(button);
         }},
        {Qt::Key_F6, "spbPesquisa", true, [](SaleContext &c) { c.order().spbPesquisaClick(c.button(QStringLiteral("spbPesquisa"))); }},
        {Qt::Key_F7, "spbCancelaCupom", true, [](SaleContext &c) { c.settlement().spbCancelaCupomClick(c.button(QStringLiteral("spbCancelaCupom"))); }},
        {Qt::Key_F8, "spbCancProd", false, [](SaleContext &c) { c.shell().spbCancProdClick(c.button(QStringLiteral("spbCancProd"))); }},
        {Qt::Key_F9, "spbFuncoes", false, [](SaleContext &c) { c.shell().spbFuncoesClick(c.button(QStringLiteral("spbFuncoes"))); }},
        {Qt::Key_F10, "spbObs", false, [](SaleContext &c) { c.shell().spbObsClick(c.button(QStringLiteral("spbObs"))); }},
        {Qt::Key_F11, "spbProdCombinado", false, [](SaleContext &c) { c.order().spbProdCombinadoClick(c.button(QStringLiteral("spbProdCombinado"))); }},
    };
    return keys;
}

// An Alt combination: its button enabled, and the sale-kind choice on screen (the four
// choice buttons) or not (all others).
struct AltKey
{
    int key;
    const char *button;
    bool withChoice;
    Click click;
};

template <class Handler>
Click consumerClick(Handler handler, const char *name)
{
    return [handler, name](SaleContext &c) { (c.consumer().*handler)(c.button(QString::fromLatin1(name))); };
}

template <class Handler>
Click shellClick(Handler handler, const char *name)
{
    return [handler, name](SaleContext &c) { (c.shell().*handler)(c.button(QString::fromLatin1(name))); };
}

const QList<AltKey> &altKeysBeforeSwallow()
{
    static const QList<AltKey> keys = {
        {Qt::Key_C, "spbComanda", false, shellClick(&ScreenShell::spbComandaClick, "spbComanda")},
        {Qt::Key_E, "spbCompraCred", false, consumerClick(&ConsumerSale::spbCompraCredClick, "spbCompraCred")},
        {Qt::Key_M, "spbMenuMesa", false, shellClick(&ScreenShell::spbMenuMesaClick, "spbMenuMesa")},
        {Qt::Key_P, "spbCartao", false, consumerClick(&ConsumerSale::spbCartaoClick, "spbCartao")},
        {Qt::Key_R, "spbCredPessoal", true, consumerClick(&ConsumerSale::spbCredPessoalClick, "spbCredPessoal")},
        {Qt::Key_S, "spbVendaVis", true, consumerClick(&ConsumerSale::spbVendaVisClick, "spbVendaVis")},
        {Qt::Key_V, "spbVendaDeb", true, consumerClick(&ConsumerSale::spbVendaDebClick, "spbVendaDeb")},
        {Qt::Key_T, "spbCancEscolhe", true, consumerClick(&ConsumerSale::spbCancEscolheClick, "spbCancEscolhe")},
        {Qt::Key_D, "spbDelivery", false, shellClick(&ScreenShell::spbDeliveryClick, "spbDelivery")},
        {Qt::Key_O, "spbCadCons", false, consumerClick(&ConsumerSale::spbCadConsClick, "spbCadCons")},
        {Qt::Key_A, "spbNrPessoas", false, shellClick(&ScreenShell::spbNrPessoasClick, "spbNrPessoas")},
    };
    return keys;
}

const QList<AltKey> &altKeysAfterSwallow()
{
    static const QList<AltKey> keys = {
        {Qt::Key_F, "spbIncluiCpf", false, [](SaleContext &c) { c.settlement().spbIncluiCpfClick(c.button(QStringLiteral("spbIncluiCpf"))); }},
        {Qt::Key_G, "spbParaViagem", false, shellClick(&ScreenShell::spbParaViagemClick, "spbParaViagem")},
        {Qt::Key_H, "spbCashback", false, consumerClick(&ConsumerSale::spbCashbackClick, "spbCashback")},
        {Qt::Key_I, "spbCashbackUDS", false, consumerClick(&ConsumerSale::spbCashbackUDSClick, "spbCashbackUDS")},
        {Qt::Key_J, "spbConsultaPromo", false, consumerClick(&ConsumerSale::spbConsultaPromoClick, "spbConsultaPromo")},
    };
    return keys;
}

void runAltKeys(SaleContext &context, const QList<AltKey> &keys, int key, bool choice)
{
    for (const AltKey &alt : keys) {
        if (alt.key == key && enabled(context, alt.button) && alt.withChoice == choice)
            alt.click(context);
    }
}

constexpr int KeyBufferSize = 20;

bool neverBuffered(QChar key)
{
    return key == QChar(27) || key == QChar(8) || key == QChar(13) || key == QLatin1Char('+')
           || key == QLatin1Char('-');
}

} // namespace

void ScreenShell::FormKeyDown(QObject *, int &Key, Qt::KeyboardModifiers Shift)
{
    KeyboardMap(m_context).FormKeyDown(Key, Shift);
}

void ScreenShell::FormKeyPress(QObject *, QChar &Key)
{
    KeyboardMap(m_context).FormKeyPress(Key);
}

void KeyboardMap::FormKeyPress(QChar &Key)
{
    SaleState &state = m_context.state();
    if (state.flags.boRecebendo || state.flags.boInicializaAux1)
        return;
    QLabel *buffer = m_context.label(QStringLiteral("lblBuffer"));
    if (!buffer)
        return;
    if (buffer->text().size() >= KeyBufferSize) {
        Key = QChar();
        return;
    }
    // Other control characters (Tab, ...) are no part of a product code either.
    if (neverBuffered(Key) || Key < QLatin1Char(' '))
        return;
    buffer->setText(buffer->text() + Key);
    if (!state.flags.boConsultaPreco)
        m_context.setCaption(QStringLiteral("lblProduto"), QString());
}

void KeyboardMap::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    c.order().zeraVariaveisCupomDesc();
    const bool choice = state.flags.boTipoVendaSelecionado;
    const bool keypad = Shift.testFlag(Qt::KeypadModifier);
    const int key = Key;
    switch (key) {
    case Qt::Key_F4:
        Key = 0;
        changeOperator();
        break;
    case Qt::Key_Backspace:
        if (choice)
            return;
        backspaceKey();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (choice)
            return;
        enterKey();
        break;
    case Qt::Key_Escape:
        escapeKey();
        break;
    case Qt::Key_Delete:
        if (choice)
            return;
        c.setCaption(QStringLiteral("lblBuffer"), QString());
        c.form().update();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        if (keypad)
            Key = 0;
        break;
    case Qt::Key_F1:
        if (!state.flags.boCupomAberto)
            c.services().RelFiscais();
        break;
    case Qt::Key_F12:
        if (!openDrawer())
            return;
        break;
    default:
        functionKey(key, Key, choice);
        break;
    }
    keyCombinations(key, Key, Shift);
}

void KeyboardMap::backspaceKey()
{
    const QString typed = buffer(m_context);
    m_context.setCaption(QStringLiteral("lblBuffer"), typed.chopped(qMin(1, int(typed.size()))));
}

// A function key that presses its button, when the button is enabled and the sale-kind
// choice is not on screen.
void KeyboardMap::functionKey(int key, int &Key, bool choice)
{
    for (const ButtonKey &button : buttonKeys()) {
        if (button.key != key)
            continue;
        if (button.swallowed)
            Key = 0;
        if (enabled(m_context, button.button) && !choice)
            button.click(m_context);
    }
}

void KeyboardMap::keyCombinations(int pressed, int &Key, Qt::KeyboardModifiers Shift)
{
    SaleContext &c = m_context;
    const bool choice = c.state().flags.boTipoVendaSelecionado;
    const bool alt = exactly(Shift, Qt::AltModifier);
    if (alt)
        runAltKeys(c, altKeysBeforeSwallow(), pressed, choice);
    // The production message goes by its button's visibility, choice or not.
    if (alt && pressed == Qt::Key_I && visible(c, "spbImprimeMensagem"))
        c.shell().spbImprimeMensagemClick(c.button(QStringLiteral("spbImprimeMensagem")));
    const bool ctrl = exactly(Shift, Qt::ControlModifier);
    if ((alt && pressed == Qt::Key_F4) || exactly(Shift, Qt::ShiftModifier) || ctrl
        || pressed == Qt::Key_Delete)
        Key = 0;
    if (alt)
        runAltKeys(c, altKeysAfterSwallow(), pressed, choice);
}

// Enter: the QR-code sale, the benefit list, an empty buffer's action, or a typed code.
void KeyboardMap::enterKey()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    if (state.flags.boInicializaAux1) {
        qrCodeEnter();
        return;
    }
    if (visible(c, "pnlListaBeneficio")) {
        c.consumer().btnEnterFidClick(c.button(QStringLiteral("btnEnterFid")));
        return;
    }
    const QString typed = buffer(c);
    if (!typed.isEmpty()) {
        c.order().enterTypedCode(typed);
        return;
    }
    // While an item is on its road (or a settlement runs) Enter settles nothing either.
    if (state.flags.boDigitacaoAux1 || state.flags.boRecebendo)
        return;
    settleOrSend();
}

// The QR-code sale being read: a readable code becomes the sale, any other ends the reading.
void KeyboardMap::qrCodeEnter()
{
    SaleContext &c = m_context;
    const QLabel *qr = c.label(QStringLiteral("lblBufferQRCODE"));
    const QString sale = c.settlement().FormataQRCode(qr ? qr->text() : QString());
    if (!sale.isEmpty()) {
        c.settlement().GerarVendaQRCode(sale);
        return;
    }
    c.services().DesativaProcesso();
    c.settlement().btnCancelaQrCodeClick(c.button(QStringLiteral("btnCancelaQrCode")));
}

// An empty buffer settles a counter sale or sends the order of the other modes.
void KeyboardMap::settleOrSend()
{
    SaleContext &c = m_context;
    if (c.state().host.stModoVenda == SaleMode::Counter) {
        if (enabled(c, "spbReceb"))
            c.settlement().spbRecebClick(c.button(QStringLiteral("spbReceb")));
    } else {
        c.shell().spbVenderClick(c.button(QStringLiteral("spbVender")));
    }
}

void KeyboardMap::escapeKey()
{
    SaleContext &c = m_context;
    const SaleFlags &flags = c.state().flags;
    if (visible(c, "pnlListaBeneficio"))
        c.consumer().btnSairFidClick(c.button(QStringLiteral("btnSairFid")));
    else if (visible(c, "pnlQrCode"))
        c.settlement().btnCancelaQrCodeClick(c.button(QStringLiteral("btnCancelaQrCode")));
    else if (!flags.boCupomAberto && !flags.boTipoVendaSelecionado && enabled(c, "lblSair"))
        c.shell().lblSairClick(c.button(QStringLiteral("lblSair")));
}
