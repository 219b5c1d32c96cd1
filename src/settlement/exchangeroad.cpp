// Merchandise exchange: the returned items' credit pays the new sale, whole or in part.
#include "settlebutton_p.h"

#include <settlement/settlement.h>

void SettleButton::exchangeRoad()
{
    refuseRoad(QStringLiteral("troca de mercadoria"));
}

void Settlement::Limpa_TrocaMercadoria() {}
