// The settle button's call into the order subsystem for the combined promotions.
#include "settlebutton_p.h"

#include <sale/salecontext.h>

#include <order/orderentry.h>

// The sale rows, just rebuilt, are tagged with the promotion components recorded for the desk.
void SettleButton::combinedPromotions()
{
    m_context.order().Vd_PromocaoComb();
}
