// Settling a sale on the badge consumer's personal credit, whole or with other payments.
#include "settlebutton_p.h"

void SettleButton::personalCreditRoad()
{
    refuseRoad(QStringLiteral("crédito pessoal"));
}
