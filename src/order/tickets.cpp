// Production tickets and the print parameter record: filled in by the ticket road.
#include "orderentry.h"

void OrderEntry::ImprimeProducao(const TicketContext &)
{
}

void OrderEntry::PreencheParamImpCupNF(const QString &, const QString &, const QString &,
                                       const QString &, double)
{
}
