// Routines item registration calls that do nothing on this till: registering an observation
// product, copying a promotion's observations, the automatic tab's confirmation panel.
#include "orderentry.h"

// Registers no observation product line.
void OrderEntry::AdicionaItemObs(double, double, double, const QString &, const QString &, const QString &,
                                 const QString &, const QString &, const QString &)
{
}

// Copies no promotion observations: the new line keeps none.
void OrderEntry::TrataObsPromo(const QString &)
{
}

// Shows no automatic-tab confirmation.
void OrderEntry::MsgComandaAuto()
{
}
