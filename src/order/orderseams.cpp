// Routines of other roads that item registration calls, each doing the least its contract asks
// until its road fills it in (the road replaces the definition here with its own).
#include "orderentry.h"

// The tax validation road checks the product's tax rows and fiscal data; until then every
// product passes, with no printer rate.
ItemTax OrderEntry::ValidaImpostoProduto(const QString &)
{
    return {};
}

// The fiscal receipt road opens the receipt and sells the item on the printer; until then the
// item counts as sold and the registration adds the line. It never moves the line counter:
// only AddProduto gives out numbers.
FiscalItemSale OrderEntry::VendeItemImpFiscal(const PreenchePedidoArgs &, const QString &, const QString &,
                                               const ItemTax &)
{
    return FiscalItemSale::Sold;
}

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
