// The keyboard map of the sale screen: single keys and Alt combinations become the screen's
// actions, each under the conditions its button has. Typed characters go to the key buffer
// in FormKeyPress; Enter reads that buffer.
#include "keyboard_p.h"

#include "screenshell.h"

#include "tfrmvendacons.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

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
bool enabled(SaleContext &context, QLatin1StringView name)
{
    const QAbstractButton *button = context.button(name);
    return button && !button->testAttribute(Qt::WA_ForceDisabled);
}

bool visible(SaleContext &context, QLatin1StringView name)
{
    const QWidget *widget = context.widget(name);
    return widget && !widget->isHidden();
}

QString buffer(SaleContext &context)
{
    const QLabel *label = context.label(FormName::lblBuffer);
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
    QLatin1StringView button;
    bool swallowed;
    Click click;
};

const QList<ButtonKey> &buttonKeys()
{
    static const QList<ButtonKey> keys = {
        {Qt::Key_F2, FormName::spbQtde2, true, [](SaleContext &c) { c.shell().spbQtde2Click(c.button(FormName::spbQtde2)); }},
        {Qt::Key_F3, FormName::spbQtde, true, [](SaleContext &c) { c.shell().spbQtdeClick(c.button(FormName::spbQtde)); }},
        {Qt::Key_F5, FormName::spbConsultaPreco, true,
            [](SaleContext &c) {
                QAbstractButton *button = c.button(FormName::spbConsultaPreco);
                button->setChecked(!button->isChecked());
                c.shell().spbConsultaPrecoClick(button);
            }},
        {Qt::Key_F6, FormName::spbPesquisa, true,
            [](SaleContext &c) { c.order().spbPesquisaClick(c.button(FormName::spbPesquisa)); }},
        {Qt::Key_F7, FormName::spbCancelaCupom, true,
            [](SaleContext &c) { c.settlement().spbCancelaCupomClick(c.button(FormName::spbCancelaCupom)); }},
        {Qt::Key_F8, FormName::spbCancProd, false,
            [](SaleContext &c) { c.shell().spbCancProdClick(c.button(FormName::spbCancProd)); }},
        {Qt::Key_F9, FormName::spbFuncoes, false,
            [](SaleContext &c) { c.shell().spbFuncoesClick(c.button(FormName::spbFuncoes)); }},
        {Qt::Key_F10, FormName::spbObs, false, [](SaleContext &c) { c.shell().spbObsClick(c.button(FormName::spbObs)); }},
        {Qt::Key_F11, FormName::spbProdCombinado, false,
            [](SaleContext &c) { c.order().spbProdCombinadoClick(c.button(FormName::spbProdCombinado)); }},
    };
    return keys;
}

// An Alt combination: its button enabled, and the sale-kind choice on screen (the four
// choice buttons) or not (all others).
struct AltKey
{
    int key;
    QLatin1StringView button;
    bool withChoice;
    Click click;
};

template <class Handler> Click consumerClick(Handler handler, QLatin1StringView name)
{
    return [handler, name](SaleContext &c) { (c.consumer().*handler)(c.button(name)); };
}

template <class Handler> Click shellClick(Handler handler, QLatin1StringView name)
{
    return [handler, name](SaleContext &c) { (c.shell().*handler)(c.button(name)); };
}

const QList<AltKey> &altKeysBeforeSwallow()
{
    static const QList<AltKey> keys = {
        {Qt::Key_C, FormName::spbComanda, false, shellClick(&ScreenShell::spbComandaClick, FormName::spbComanda)},
        {Qt::Key_E, FormName::spbCompraCred, false, consumerClick(&ConsumerSale::spbCompraCredClick, FormName::spbCompraCred)},
        {Qt::Key_M, FormName::spbMenuMesa, false, shellClick(&ScreenShell::spbMenuMesaClick, FormName::spbMenuMesa)},
        {Qt::Key_P, FormName::spbCartao, false, consumerClick(&ConsumerSale::spbCartaoClick, FormName::spbCartao)},
        {Qt::Key_R, FormName::spbCredPessoal, true, consumerClick(&ConsumerSale::spbCredPessoalClick, FormName::spbCredPessoal)},
        {Qt::Key_S, FormName::spbVendaVis, true, consumerClick(&ConsumerSale::spbVendaVisClick, FormName::spbVendaVis)},
        {Qt::Key_V, FormName::spbVendaDeb, true, consumerClick(&ConsumerSale::spbVendaDebClick, FormName::spbVendaDeb)},
        {Qt::Key_T, FormName::spbCancEscolhe, true, consumerClick(&ConsumerSale::spbCancEscolheClick, FormName::spbCancEscolhe)},
        {Qt::Key_D, FormName::spbDelivery, false, shellClick(&ScreenShell::spbDeliveryClick, FormName::spbDelivery)},
        {Qt::Key_O, FormName::spbCadCons, false, consumerClick(&ConsumerSale::spbCadConsClick, FormName::spbCadCons)},
        {Qt::Key_A, FormName::spbNrPessoas, false, shellClick(&ScreenShell::spbNrPessoasClick, FormName::spbNrPessoas)},
    };
    return keys;
}

const QList<AltKey> &altKeysAfterSwallow()
{
    static const QList<AltKey> keys = {
        {Qt::Key_F, FormName::spbIncluiCpf, false,
            [](SaleContext &c) { c.settlement().spbIncluiCpfClick(c.button(FormName::spbIncluiCpf)); }},
        {Qt::Key_G, FormName::spbParaViagem, false, shellClick(&ScreenShell::spbParaViagemClick, FormName::spbParaViagem)},
        {Qt::Key_H, FormName::spbCashback, false, consumerClick(&ConsumerSale::spbCashbackClick, FormName::spbCashback)},
        {Qt::Key_I, FormName::spbCashbackUDS, false, consumerClick(&ConsumerSale::spbCashbackUDSClick, FormName::spbCashbackUDS)},
        {Qt::Key_J, FormName::spbConsultaPromo, false,
            consumerClick(&ConsumerSale::spbConsultaPromoClick, FormName::spbConsultaPromo)},
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
    QLabel *buffer = m_context.label(FormName::lblBuffer);
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
    if (!state.screen.boConsultaPreco)
        m_context.setCaption(FormName::lblProduto, QString());
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
        c.setCaption(FormName::lblBuffer, QString());
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
    m_context.setCaption(FormName::lblBuffer, typed.chopped(qMin(1, int(typed.size()))));
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
    if (alt && pressed == Qt::Key_I && visible(c, FormName::spbImprimeMensagem))
        c.shell().spbImprimeMensagemClick(c.button(FormName::spbImprimeMensagem));
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
    if (visible(c, FormName::pnlListaBeneficio)) {
        c.consumer().btnEnterFidClick(c.button(FormName::btnEnterFid));
        return;
    }
    const QString typed = buffer(c);
    if (!typed.isEmpty()) {
        c.order().enterTypedCode(typed);
        return;
    }
    // While an item is on its road (or a settlement runs) Enter settles nothing either.
    if (state.busy.boDigitacaoAux1 || state.flags.boRecebendo)
        return;
    settleOrSend();
}

// The QR-code sale being read: a readable code becomes the sale, any other ends the reading.
void KeyboardMap::qrCodeEnter()
{
    SaleContext &c = m_context;
    const QLabel *qr = c.label(FormName::lblBufferQRCODE);
    const QString sale = c.settlement().FormataQRCode(qr ? qr->text() : QString());
    if (!sale.isEmpty()) {
        c.settlement().GerarVendaQRCode(sale);
        return;
    }
    c.services().DesativaProcesso();
    c.settlement().btnCancelaQrCodeClick(c.button(FormName::btnCancelaQrCode));
}

// An empty buffer settles a counter sale or sends the order of the other modes.
void KeyboardMap::settleOrSend()
{
    SaleContext &c = m_context;
    if (c.state().host.stModoVenda == SaleMode::Counter) {
        if (enabled(c, FormName::spbReceb))
            c.settlement().spbRecebClick(c.button(FormName::spbReceb));
    } else {
        c.shell().spbVenderClick(c.button(FormName::spbVender));
    }
}

void KeyboardMap::escapeKey()
{
    SaleContext &c = m_context;
    const SaleFlags &flags = c.state().flags;
    if (visible(c, FormName::pnlListaBeneficio))
        c.consumer().btnSairFidClick(c.button(FormName::btnSairFid));
    else if (visible(c, FormName::pnlQrCode))
        c.settlement().btnCancelaQrCodeClick(c.button(FormName::btnCancelaQrCode));
    else if (!flags.boCupomAberto && !flags.boTipoVendaSelecionado && enabled(c, FormName::lblSair))
        c.shell().lblSairClick(c.button(FormName::lblSair));
}
