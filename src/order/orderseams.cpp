// Routines item registration calls that do nothing on this till: the automatic tab's
// confirmation panel.
#include "orderentry.h"

// Shows no automatic-tab confirmation.
void OrderEntry::MsgComandaAuto()
{
}
