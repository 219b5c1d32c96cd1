// Settlement end and failure recovery: filled in by the settlement end road.
#include "settlement.h"

void Settlement::resetAfterSettlement(const std::optional<SoldSale> &)
{
}

void Settlement::paymentNotConfirmed(bool, const QString &)
{
}

void Settlement::settlementAborted()
{
}

void Settlement::settlementFailed(const QString &)
{
}
