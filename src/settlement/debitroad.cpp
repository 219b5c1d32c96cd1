// Settling a sale on the badge consumer's debit (payroll), whole or with other payments.
#include "settlebutton_p.h"

void SettleButton::consumerDebitRoad()
{
    refuseRoad(QStringLiteral("débito do consumidor"));
}
