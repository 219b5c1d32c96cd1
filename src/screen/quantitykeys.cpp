// The quantity keys and the price consultation switch.
#include "quantitykeys_p.h"

#include "screenshell.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QWidget>

#include <cmath>

namespace {

// The panel stays off while a key runs, and comes back unless the printer is in error.
class PanelOff
{
public:
    explicit PanelOff(SaleContext &context) : m_context(context) { enable(false); }
    ~PanelOff() { enable(m_enableAlways || !m_context.state().params.boBOERROIMPRESSORA); }
    PanelOff(const PanelOff &) = delete;
    PanelOff &operator=(const PanelOff &) = delete;
    void enableAlways() { m_enableAlways = true; }

private:
    void enable(bool on)
    {
        if (QWidget *panel = m_context.widget(FormName::panBalcao))
            panel->setEnabled(on);
    }
    SaleContext &m_context;
    bool m_enableAlways = false;
};

} // namespace

void ScreenShell::spbQtde2Click(QObject *)
{
    QuantityKeys(m_context).spbQtde2Click();
}

void ScreenShell::spbQtdeClick(QObject *)
{
    QuantityKeys(m_context).spbQtdeClick();
}

void ScreenShell::spbConsultaPrecoClick(QObject *)
{
    QuantityKeys(m_context).spbConsultaPrecoClick();
}

// An on-screen key types the character of its tag, as the keyboard would.
void ScreenShell::sbt1Click(QObject *Sender)
{
    if (!Sender)
        return;
    QChar key(Sender->property("Tag").toInt());
    FormKeyPress(Sender, key);
}

bool QuantityKeys::drawerClosed()
{
    return m_context.shell().VerificaEstadoGaveta(m_context.state().params.stIDTIPOGAVETA);
}

bool QuantityKeys::collectorRefused()
{
    const SaleState &state = m_context.state();
    if (state.host.stModoVenda != SaleMode::Counter || state.params.stIDCOLETOR != QLatin1String("C"))
        return false;
    m_context.message(m_context.Msg(QStringLiteral("Ope_Col")), Ravuvozozod::Error);
    return true;
}

// Nothing of these keys is logged or recorded: who allowed them is no sale's authoriser.
bool QuantityKeys::accessGranted(int actionCode)
{
    const SaleState &state = m_context.state();
    return m_context.services().VerificaAcesso({actionCode, state.rights.stCDOPERADOR}).allowed;
}

void QuantityKeys::spbQtde2Click()
{
    PanelOff panel(m_context);
    if (!drawerClosed()) {
        panel.enableAlways();
        return;
    }
    if (collectorRefused() || !accessGranted(m_context.state().rights.inCTMULTIPLICADOR))
        return;
    m_context.state().totals.doQuantidade = 2.0;
    m_context.setCaption(FormName::lblProduto, QStringLiteral("2x"));
}

void QuantityKeys::spbQtdeClick()
{
    PanelOff panel(m_context);
    if (!drawerClosed()) {
        panel.enableAlways();
        return;
    }
    SaleState &state = m_context.state();
    if (collectorRefused() || !accessGranted(state.rights.inCTMULTIPLICADOR))
        return;
    KeypadRequest request;
    request.title = m_context.Msg(QStringLiteral("venda"));
    request.prompt = m_context.Msg(QStringLiteral("Inf_Quant"));
    request.emptyMessage = m_context.Msg(QStringLiteral("Qtde_Deve"));
    request.maxLength = 10;
    request.option1 = 0;
    request.option2 = 1;
    request.option3 = 0;
    request.defaultText = QString();
    request.lastFlag = state.flags.boCupomAberto;
    const KeypadAnswer typed = m_context.services().TecladoNumerico(request);
    if (!typed.confirmed)
        return;
    const QString refusal = refusalOf(typed.value, state.params.inIDTIPOIMPFIS);
    if (!refusal.isEmpty()) {
        m_context.message(m_context.Msg(refusal), Ravuvozozod::Error);
        return;
    }
    applyTypedQuantity(typed.value);
}

QString QuantityKeys::refusalOf(const QString &typed, int printerModel)
{
    bool ok = false;
    const double value = PtBr::StrToFloat(typed.trimmed(), &ok);
    // The keypad should hand back digits only; anything else is refused before it can reach
    // the next item's quantity.
    if (!ok || !std::isfinite(value))
        return QStringLiteral("Valor_Nao_Numerico");
    const QString integerPart = QString::number(qint64(std::trunc(value)));
    const int digits = integerPart.size() - (integerPart.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (printerModel == 9 && digits > 2)
        return QStringLiteral("Qtde_Dev1");
    if (printerModel != 9 && digits > 4)
        return QStringLiteral("Qtde_Dev2");
    const int comma = typed.indexOf(QLatin1Char(','));
    const QString decimals = comma < 0 ? QString() : typed.mid(comma + 1).trimmed();
    if (decimals.size() > 3)
        return QStringLiteral("Frac_Dev");
    return QString();
}

void QuantityKeys::applyTypedQuantity(const QString &typed)
{
    SaleState &state = m_context.state();
    state.flags.boAddProdAux2 = true;
    const double value = PtBr::StrToFloat(typed.trimmed());
    // Zero or less keeps the preset quantity.
    if (value > 0)
        state.totals.doQuantidade = value;
    m_context.setCaption(FormName::lblProduto, PtBr::FloatToStr(state.totals.doQuantidade) + QLatin1Char('x'));
    state.flags.boBalcaoAux1 = true;
}

void QuantityKeys::followFlag()
{
    if (QAbstractButton *button = m_context.button(FormName::spbConsultaPreco))
        button->setChecked(m_context.state().screen.boConsultaPreco);
}

void QuantityKeys::spbConsultaPrecoClick()
{
    PanelOff panel(m_context);
    SaleState &state = m_context.state();
    if (!drawerClosed()) {
        panel.enableAlways();
        followFlag();
        return;
    }
    if (!state.screen.boConsultaPreco && !accessGranted(state.rights.inCTCONSULTAPRECO)) {
        followFlag();
        m_context.shell().Atualiza_Display(QString(), false);
        return;
    }
    if (state.flags.boVendaDebito) {
        followFlag();
        m_context.message(m_context.Msg(QStringLiteral("OPE_VEND_INI")), Ravuvozozod::Error);
        return;
    }
    setConsultation(!state.screen.boConsultaPreco);
}

void QuantityKeys::setConsultation(bool on)
{
    SaleState &state = m_context.state();
    state.screen.boConsultaPreco = on;
    const bool printerError = state.params.boBOERROIMPRESSORA;
    for (QLatin1StringView name : {FormName::spbQtde2, FormName::spbQtde}) {
        if (QAbstractButton *key = m_context.button(name))
            key->setEnabled(!on && !printerError);
    }
    state.totals.doQuantidade = 1.0;
    followFlag();
    const bool searchRight = m_context.services().ControleAcess({state.rights.inCTPESQPRODUTO, state.rights.stCDOPERADOR})
                             != QLatin1String("N");
    QAbstractButton *search = m_context.button(FormName::spbPesquisa);
    if (on) {
        m_context.setCaption(FormName::lblProduto, m_context.Msg(QStringLiteral("Cons_Preco")));
        if (search)
            search->setEnabled(searchRight);
        m_context.shell().Atualiza_Display(m_context.Msg(QStringLiteral("ConsPreco")), true);
        return;
    }
    m_context.setCaption(FormName::lblProduto, QString());
    if (search)
        search->setEnabled(searchRight && !printerError);
}
