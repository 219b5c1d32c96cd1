// Routines of other roads that item registration calls, each doing the least its contract asks
// until its road fills it in (the road replaces the definition here with its own).
#include "orderentry.h"

// The refill and observation items road registers the observation product as a line.
void OrderEntry::AdicionaItemObs(double, double, double, const QString &, const QString &, const QString &,
                                 const QString &, const QString &, const QString &)
{
}

// The promotions road copies the promotion's observations onto the new line.
void OrderEntry::TrataObsPromo(const QString &)
{
}

// The automatic tab road shows its confirmation panel.
void OrderEntry::MsgComandaAuto()
{
}
