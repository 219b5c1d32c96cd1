// Button access control and the device checks the handlers make before they act.
#include "accesscontrol_p.h"

#include "screenshell.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <server/srv_lookups_tills.h>

#include <QDebug>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <initializer_list>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

bool oneOf(const QString &value, std::initializer_list<const char *> codes)
{
    for (const char *code : codes) {
        if (value == QLatin1String(code))
            return true;
    }
    return false;
}

// Only "N" denies a right; an empty or any other answer grants it.
bool granted(const QString &right)
{
    return !isNo(right);
}

// The layouts that carry the consumer-card buttons.
bool cardLayout(const QString &layout)
{
    return oneOf(layout, {"3", "5", "6", "8", "9", "A"});
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The controls of the function-button area, by name; a control the form lacks is logged once
// per run and skipped.
class Buttons
{
public:
    explicit Buttons(SaleContext &context) : m_context(context) {}

    void enable(QLatin1StringView name, bool on) const
    {
        if (QWidget *control = find(name))
            control->setEnabled(on);
    }
    void show(QLatin1StringView name, bool on) const
    {
        if (QWidget *control = find(name))
            control->setVisible(on);
    }
    // Visible := the control's own Enabled.
    void showAsEnabled(QLatin1StringView name) const
    {
        if (QWidget *control = find(name))
            control->setVisible(control->isEnabled());
    }
    void enableAndShow(QLatin1StringView name, bool on) const
    {
        enable(name, on);
        show(name, on);
    }

private:
    QWidget *find(QLatin1StringView name) const
    {
        QWidget *control = m_context.widget(name);
        static QSet<QString> reported;
        if (!control && !reported.contains(QString(name))) {
            reported.insert(QString(name));
            qWarning() << "sale form has no control" << name;
        }
        return control;
    }

    SaleContext &m_context;
};

} // namespace

void ScreenShell::ControleAcessoBotoes()
{
    ButtonAccess(m_context).ControleAcessoBotoes();
}

void ScreenShell::DesabilitaBotoes()
{
    ButtonAccess(m_context).DesabilitaBotoes();
}

void ScreenShell::ControlaBotoes(bool Enable)
{
    ButtonAccess(m_context).ControlaBotoes(Enable);
}

void ScreenShell::ControlaBotoes_Grupo(bool Enable)
{
    ButtonAccess(m_context).ControlaBotoes_Grupo(Enable);
}

void ScreenShell::dtsItemsDataChange(QObject *, const QString &FieldName)
{
    ButtonAccess(m_context).dtsItemsDataChange(FieldName);
}

bool ScreenShell::VerificaImpressoraOk(bool Flag)
{
    return DeviceChecks(m_context).VerificaImpressoraOk(Flag);
}

bool ScreenShell::VerificaEstadoGaveta(const QString &DrawerType)
{
    return DeviceChecks(m_context).VerificaEstadoGaveta(DrawerType);
}

void ScreenShell::Atualiza_Display(const QString &Text, bool WithDate)
{
    DeviceChecks(m_context).Atualiza_Display(Text, WithDate);
}

// The rules in their order; a later rule may override an earlier one (getCartaoCHART).
void ButtonAccess::ControleAcessoBotoes()
{
    Buttons(m_context).enable(FormName::panBalcao, !m_context.state().params.boBOERROIMPRESSORA);
    saleModeButtons();
    itemButtons();
    consumerButtons();
    creditPurchaseButtons();
    settlementButtons();
    showPrinterError(m_context.state().params.boBOERROIMPRESSORA);
}

// The ways into the other sale modes: tables, tabs, manual sale and delivery.
void ButtonAccess::saleModeButtons()
{
    const Buttons b(m_context);
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const QString &mode = s.host.stModoVenda;
    const QString &mainSystem = p.stSTSISTEMAPRIN;
    const int model = p.inIDTIPOIMPFIS;
    const bool ok = !p.boBOERROIMPRESSORA;
    const bool noReceipt = !s.flags.boCupomAberto;

    b.enable(FormName::spbMenuMesa,
        oneOf(mainSystem, {"RES", "QUB"}) && noReceipt && !oneOf(mode, {"C", "D"}) && model != PrinterModel::BuyerAtOpening26
            && ok);
    b.enable(FormName::spbComanda,
        oneOf(mainSystem, {"CMD", "QUB"}) && noReceipt && !oneOf(mode, {"M", "D"}) && model != PrinterModel::BuyerAtOpening26
            && ok);
    b.showAsEnabled(FormName::spbMenuMesa);
    b.showAsEnabled(FormName::spbComanda);
    b.enableAndShow(
        FormName::spbVendaManu, !oneOf(mode, {"M", "C"}) && noReceipt && ok && !oneOf(p.stSGESTADOFILI, {"ES", "PB", "BA"}));
    b.enableAndShow(FormName::spbDelivery,
        oneOf(mainSystem, {"DEZ", "QUB"}) && noReceipt && mode != SaleMode::Table && model != PrinterModel::BuyerAtOpening26
            && ok);
}

// The item keys: combined products, functions, quantity, price consultation, search,
// cancellation, observations, persons, take-away and the production message.
void ButtonAccess::itemButtons()
{
    const Buttons b(m_context);
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const OperatorRights &r = s.rights;
    const QString &mode = s.host.stModoVenda;
    const int model = p.inIDTIPOIMPFIS;
    const bool ok = !p.boBOERROIMPRESSORA;
    const bool noReceipt = !s.flags.boCupomAberto;
    const bool counter = mode == SaleMode::Counter;
    b.enable(FormName::spbProdCombinado, granted(r.stAcessoProdCombinado) && ok);
    b.enable(FormName::spbFuncoes, p.stIDCOLETOR != QLatin1String("C"));
    const bool quantityKeys = !s.screen.boConsultaPreco && ok && granted(r.stAcessoMultiplicador);
    b.enable(FormName::spbQtde2, quantityKeys);
    b.enable(FormName::spbQtde, quantityKeys);
    b.enable(FormName::spbConsultaPreco, granted(r.stAcessoConsultaPreco));
    b.enable(FormName::spbPesquisa, granted(r.stAcessoPesqProduto) && ok);
    b.enable(FormName::spbCancProd, granted(r.stAcessoCancItemGen) && ok);
    b.enable(FormName::spbObs, granted(r.stAcessoObsProduto) && ok);
    b.enable(FormName::spbCancelaCupom,
        granted(r.stAcessoCancCupom) && model != PrinterModel::BuyerAtOpening26 && PrinterModel::sellsItemByItem(model) && ok
            && counter);
    b.enable(FormName::spbNrPessoas, !noReceipt && ok && counter);
    b.enableAndShow(FormName::spbParaViagem, !noReceipt && ok && isYes(p.stIDCTRLPEDVIAGEM) && oneOf(mode, {"B", "M"}));
    if (oneOf(mode, {"M", "C"}))
        b.show(FormName::spbImprimeMensagem, true);
}

// Cashback, promotion consultation and the consumer-card layouts.
void ButtonAccess::consumerButtons()
{
    const Buttons b(m_context);
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const bool ok = !p.boBOERROIMPRESSORA;
    const bool noReceipt = !s.flags.boCupomAberto;
    const bool counter = s.host.stModoVenda == SaleMode::Counter;
    const bool cards = cardLayout(p.stIdTpTelaVe);
    const bool cashback = !noReceipt && ok && counter && s.flags.boCreditoPessoal;
    b.enableAndShow(FormName::spbCashback, cashback && isYes(p.stIDUTILFID4ALL));
    b.enableAndShow(FormName::spbCashbackUDS, cashback && isYes(p.stIDUTILFIDUDS));
    b.enableAndShow(FormName::spbConsultaPromo, !noReceipt && ok && isYes(p.stIDUTILINTEPROMO) && counter);
    b.show(FormName::spbCartao, cards);
    b.enable(FormName::spbCartao, counter && cards && ok);
}

// The credit purchase: by the layout and the printer, or whenever a card receipt type exists.
void ButtonAccess::creditPurchaseButtons()
{
    const Buttons b(m_context);
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const int model = p.inIDTIPOIMPFIS;
    const bool ok = !p.boBOERROIMPRESSORA;
    const bool counter = s.host.stModoVenda == SaleMode::Counter;
    const bool cards = cardLayout(p.stIdTpTelaVe);
    b.show(FormName::spbCompraCred, cards);
    const bool creditPurchasePrinter = !p.boUTILIZAIMPFIS || PrinterModel::receiptAtClose(model)
                                       || !p.stSTTOTCOMPCRED.isEmpty();
    b.enable(FormName::spbCompraCred, s.startup.boConfTipoRece && ok && counter && creditPurchasePrinter && cards);
    // This check passes the fixed text "002" where the others pass the site's scheme, so it
    // does not go through the context's checker.
    Variant chart;
    Ravuvozozod::MensagemMetodo(m_context.server().lookupsTills.getCartaoCHART(), true, 0, QStringLiteral("getCartaoCHART"),
                                QStringLiteral("Cli_Kal51000"), QString(), QStringLiteral("002"), chart);
    bool isBoolean = false;
    if (chart.toBool(&isBoolean) && isBoolean)
        b.enableAndShow(FormName::spbCompraCred, true);
}

// Buyer identification, settling, leaving, consumer registration, debit sale and QR code.
void ButtonAccess::settlementButtons()
{
    const Buttons b(m_context);
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const QString &mainSystem = p.stSTSISTEMAPRIN;
    const int model = p.inIDTIPOIMPFIS;
    const bool ok = !p.boBOERROIMPRESSORA;
    const bool noReceipt = !s.flags.boCupomAberto;
    const bool counter = s.host.stModoVenda == SaleMode::Counter;
    b.enable(FormName::spbIncluiCpf, counter && !PrinterModel::receiptAtClose(model) && (!p.boUTILIZAIMPFIS || noReceipt) && ok);
    const ClientDataSet &opening = m_context.data().cdsValidaAbertura;
    b.enable(FormName::spbReceb, p.stIDCOLETOR != QLatin1String("C") && opening.Active() && !opening.IsEmpty() && ok);
    // The operator can always leave a consultation-only screen.
    b.enable(FormName::lblSair, noReceipt || !ok);
    b.enable(FormName::spbCadCons,
        oneOf(mainSystem, {"POS", "QUB", "RES", "CMD"}) && noReceipt && counter && model != PrinterModel::BuyerAtOpening26 && ok
            && isYes(p.stIDPERCADCONSFCXA));
    b.enable(FormName::spbVendaDeb, !s.flags.boVendaDebito && counter);
    b.enableAndShow(FormName::spbLerQrCode, isYes(s.startup.stIDLEITURAQRCODE) && noReceipt);
}

void ButtonAccess::showPrinterError(bool inError)
{
    QWidget *panel = m_context.widget(FormName::panErroImpressora);
    QWidget *grid = m_context.widget(FormName::panBalcao);
    if (panel && inError) {
        if (grid)
            panel->move(grid->x(), grid->y());
        panel->raise();
    }
    if (panel)
        panel->setVisible(inError);
    ControlaBotoes(!inError);
    ControlaBotoes_Grupo(!inError);
}

void ButtonAccess::DesabilitaBotoes()
{
    const SaleState &s = m_context.state();
    const Buttons b(m_context);
    for (QLatin1StringView name : {FormName::spbReceb, FormName::spbCancProd, FormName::spbObs, FormName::spbCancelaCupom,
             FormName::spbProdCombinado, FormName::spbFuncoes})
        b.enable(name, false);
    const bool quantityKeys = !s.screen.boConsultaPreco && !s.params.boBOERROIMPRESSORA;
    b.enable(FormName::spbQtde, quantityKeys);
    b.enable(FormName::spbQtde2, quantityKeys);
    for (QLatin1StringView name : {FormName::spbPesquisa, FormName::spbConsultaPreco})
        b.enable(name, false);
    b.enableAndShow(FormName::spbMenuMesa, false);
    b.enableAndShow(FormName::spbComanda, false);
}

void ButtonAccess::ControlaBotoes(bool Enable)
{
    enableNumbered("tcbBalcao", 36, Enable);
}

void ButtonAccess::ControlaBotoes_Grupo(bool Enable)
{
    enableNumbered("tcbGrupo", 12, Enable);
}

void ButtonAccess::enableNumbered(const char *prefix, int count, bool Enable)
{
    for (int n = 1; n <= count; ++n) {
        if (QWidget *button = m_context.widget(QString::fromLatin1(prefix) + twoDigits(n)))
            button->setEnabled(Enable);
    }
}

// Only whole-row changes (post, delete, scroll, emptying) can change whether the list is
// empty; the field writes of a line being filled are not looked at.
void ButtonAccess::dtsItemsDataChange(const QString &FieldName)
{
    if (!FieldName.isEmpty())
        return;
    if (m_context.data().cdsItems.IsEmpty()) {
        ControleAcessoBotoes();
        return;
    }
    const Buttons b(m_context);
    b.enable(FormName::lblSair, false);
    for (QLatin1StringView name : {FormName::spbMenuMesa, FormName::spbComanda, FormName::spbDelivery})
        b.enableAndShow(name, false);
}

bool DeviceChecks::VerificaImpressoraOk(bool Flag)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    if (!p.boUTILIZAIMPFIS)
        return false;
    if (p.boBOERROIMPRESSORA) {
        m_context.message(m_context.Msg(QStringLiteral("ERRO_INICIA_IMP")), Ravuvozozod::Error);
        return Flag;
    }
    bool result = false;
    if (s.host.stModoVenda == SaleMode::Counter && !s.screen.boConsultaPreco && !printerAnswers()) {
        m_context.message(m_context.Msg(QStringLiteral("ERRO_IMPRESSORA")), Ravuvozozod::Error);
        s.setPrinterInError(true);
        result = Flag;
    }
    ButtonAccess access(m_context);
    access.showPrinterError(p.boBOERROIMPRESSORA);
    access.ControleAcessoBotoes();
    return result;
}

// The printer's date and serial number both check out.
bool DeviceChecks::printerAnswers()
{
    const Parameters &p = m_context.state().params;
    Pkg_Hrk00001 &devices = m_context.devices();
    if (!devices.VerificaData(DateCheckRequest{p.stIDESQUEMA, p.stDATAIMP, 0, 1}).ok)
        return false;
    return devices.VerificaSerialImp(SerialCheckRequest{p.boUTILIZAIMPFIS, p.stDSDIRCAD, p.stIDESQUEMA, p.stNRSERIEIMP})
        .ok;
}

bool DeviceChecks::VerificaEstadoGaveta(const QString &DrawerType)
{
    if (DrawerType.isEmpty() || DrawerType == QLatin1String("0"))
        return true;
    if (!drawerOpen(DrawerType))
        return true;
    m_context.message(m_context.Msg(QStringLiteral("Gaveta_Aberta")), Ravuvozozod::Warning);
    return false;
}

// The printer's state "00" means open for sensor kind "1" and closed for kind "2".
bool DeviceChecks::drawerOpen(const QString &DrawerType)
{
    const Parameters &p = m_context.state().params;
    bool open = false;
    if (p.boUTILIZAIMPFIS && !p.boBOERROIMPRESSORA) {
        const QString state = m_context.devices().Estado_Gaveta_Imp(SchemeRequest{p.stIDESQUEMA}).state;
        const bool zeros = state == QLatin1String("00");
        open = (zeros && DrawerType == QLatin1String("1")) || (!zeros && DrawerType == QLatin1String("2"));
    } else if ((p.boSISTEMAQUBSAT || p.boSISTEMAQUBNFCE) && isYes(p.stIDVERGAVETANFIS)) {
        open = m_context.services().VerificaStatusGaveta(DrawerRequest{p.stIDTIPOIMPNF3, p.stCDPORTIMPNF3}).state == 1;
    }
    return open;
}

void DeviceChecks::Atualiza_Display(const QString &Text, bool WithDate)
{
    if (!m_context.state().params.boDISPLAYOK)
        return;
    Pkg_Hrk00001 &devices = m_context.devices();
    devices.LimpaDisplay();
    if (!Text.isEmpty())
        devices.DisplayEnviaTexto(DisplayTextRequest{Text, 1, 1, 1, 0});
    if (WithDate)
        devices.DisplayEnviaTexto(DisplayTextRequest{PtBr::DateToStr(Clock::now().date()), 2, 5, 0, 0});
}
