// Routines item registration calls that do nothing on this till: the automatic tab's
// confirmation panel.
#include "orderentry.h"

// Shows no automatic-tab confirmation.
void OrderEntry::MsgComandaAuto()
{
}

// Lists no earlier orders: the receipt shows the lines of this order only.
void OrderEntry::PreencheHistorico(const QString &)
{
}

// Sells no automatic tab product.
void OrderEntry::VendaComandaAuto()
{
}

// Shows no take-away dialog: every line stays as it was registered.
void OrderEntry::ProdParaViagem(const QString &)
{
}
