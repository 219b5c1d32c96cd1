// Roads and routines the settle button reaches that this till does not offer. Such a road
// refuses the settlement after a clear message: nothing is paid, numbered or saved, and the
// sale stays on the screen.
#include "settlebutton_p.h"

#include <outside/ravuvozozod.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <order/orderentry.h>

void SettleButton::refuseRoad(const QString &roadName)
{
    const QString text = QStringLiteral("O recebimento por %1 ainda não está disponível neste caixa. "
                                        "A venda continua aberta.")
                             .arg(roadName);
    m_context.message(text, Ravuvozozod::Error);
    m_context.state().flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
}

// The sale rows, just rebuilt, are tagged with the promotion components recorded for the desk.
void SettleButton::combinedPromotions()
{
    m_context.order().Vd_PromocaoComb();
}
