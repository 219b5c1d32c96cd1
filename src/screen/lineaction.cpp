#include "lineaction_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>
#include <runtime/abort.h>

#include <QAbstractButton>

CounterPanelHeld::CounterPanelHeld(SaleContext &context)
    : m_context(context), m_panel(context.widget(FormName::panBalcao))
{
}

CounterPanelHeld::~CounterPanelHeld()
{
    if (m_panel)
        m_panel->setEnabled(!m_context.state().params.boBOERROIMPRESSORA);
}

void CounterPanelHeld::take()
{
    if (m_panel)
        m_panel->setEnabled(false);
}

void refuseWhileCreditVoucherPrints(SaleContext &context)
{
    if (!context.state().busy.boImprimindoCompCred)
        return;
    if (QAbstractButton *credit = context.button(FormName::spbCompraCred))
        credit->setDown(false);
    context.message(context.Msg(QStringLiteral("OPE_COMP_CRED")), Ravuvozozod::Error);
    Abort();
}
