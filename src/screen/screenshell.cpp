#include "screenshell.h"

#include "receiptgrid.h"
#include "startup_p.h"
#include "tfrmvendacons.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>

#include <QAbstractButton>
#include <QLabel>
#include <sale/codes.h>

ScreenShell::ScreenShell(SaleContext &context)
    : m_context(context),
      m_dtsItems(std::make_unique<DataSource>(&context.data().cdsItems))
{
    ReceiptGrid::install(context, *this);
    m_dtsItems->OnDataChange = [this](const QString &fieldName) {
        dtsItemsDataChange(nullptr, fieldName);
    };
}

ScreenShell::~ScreenShell() = default;

void ScreenShell::InicializaForm(const HostCall &call)
{
    ProcessStartup process(m_context);
    process.connectDataModule();
    if (m_context.data().cdsParametrosQub.IsEmpty())
        process.run();
    CallStartup(m_context).run(call);
}

void ScreenShell::InicializaVariaveis()
{
    SaleVariables(m_context).InicializaVariaveis();
}

void ScreenShell::Mensagem_Caixa(const QString &text)
{
    m_context.setCaption(FormName::lblMensagemCaixa, text);
}

void ScreenShell::FormShow(QObject *)
{
    TfrmVendaCons &form = saleForm(m_context);
    form.raise();
    form.activateWindow();
}

void ScreenShell::FormActivate(QObject *)
{
    SaleState &state = m_context.state();
    if (state.flags.boAtivarAux1)
        return;
    state.flags.boAtivarAux1 = true;
    const Parameters &params = state.params;
    const bool mainSystemChecks = params.stSTSISTEMAPRIN != QLatin1String("RES")
                                  && params.stSTSISTEMAPRIN != QLatin1String("CMD");
    if (params.boBOERROIMPRESSORA && params.boUTILIZAIMPFIS
        && params.stIDCOLETOR != QLatin1String("C") && mainSystemChecks)
        m_context.message(m_context.Msg(QStringLiteral("ERRO_INICIA_IMP")), 3);
    ControleAcessoBotoes();
    const bool seats = isYes(params.stIDLUGARMESA)
                       && state.host.stModoVenda == SaleMode::Table;
    for (QLatin1StringView name : {FormName::stPosicao, FormName::spbPosAbaixo, FormName::spbPosAcima})
        m_context.setVisible(name, seats);
}

void ScreenShell::closeWith(const QString &keyword)
{
    if (m_context.state().flags.boCupomAberto)
        return;
    m_context.state().host.stRetornoVenda = keyword;
    saleForm(m_context).Close();
}

// The ways out below only set the host's keyword and close the form; with a receipt open they
// do nothing.
void ScreenShell::lblSairClick(QObject *)
{
    closeWith(QStringLiteral("FECHA_SISTEMA"));
}

void ScreenShell::spbMenuMesaClick(QObject *)
{
    closeWith(QStringLiteral("VENDA_MESA"));
}

void ScreenShell::spbComandaClick(QObject *)
{
    closeWith(QStringLiteral("VENDA_COMANDA"));
}

void ScreenShell::spbDeliveryClick(QObject *)
{
    closeWith(QStringLiteral("VENDA_DELIVERY"));
}

// Item cancellation, the functions menu, observations, persons, the production message,
// take-away and the quantity keys do nothing on this screen: their buttons and keys are
// routed here and ignored. The grid's page and seat buttons are in receiptgrid.cpp, the order
// button in orderbutton.cpp.
void ScreenShell::spbCancProdClick(QObject *) {}
void ScreenShell::spbFuncoesClick(QObject *) {}
void ScreenShell::spbObsClick(QObject *) {}
void ScreenShell::spbNrPessoasClick(QObject *) {}
void ScreenShell::spbImprimeMensagemClick(QObject *) {}
void ScreenShell::spbParaViagemClick(QObject *) {}
void ScreenShell::spbQtdeClick(QObject *) {}
void ScreenShell::spbQtde2Click(QObject *) {}

void ScreenShell::spbConsultaPrecoClick(QObject *)
{
    SaleState &state = m_context.state();
    if (QAbstractButton *button = m_context.button(FormName::spbConsultaPreco))
        state.flags.boConsultaPreco = button->isChecked();
}
