#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

// The kitchen display's orders (PEDIDOQUB with items ITPEDIDOQUB), written by the kitchen side
// of the wider system: the sale screen finishes an order when its counter sale is settled and
// withdraws it when the sale is cancelled. Every statement touches the rows of the one order
// (branch and order key or number) and stands by itself: a failure half way leaves what was
// done, and running the call again completes it.
//
// `sale` is the data packet of the screen's sale rows (cdsVenda); only its first row is read.
// A value that is not a packet, or a packet without rows, is refused with a failure.
namespace Srv_Kal51000 {

// Gives the counter order of the sale (key: cash desk, "-", receipt number, and for a SAT till
// the SAT sequence) the password and the consumer's name (NMCONSVEND), and links its items to
// the sale (NRSEQVENDA). Empty, or the failure. An order that is not found is no failure.
VENDACONS_EXPORT Variant FinalizaPedidoKDS(const Variant &sale, const QString &CDCAIXA, const QString &CDSENHAPED,
                                           bool satTill);
// NRPEDIDOQUB of the counter order of that receipt; "" when there is none; the error text on
// a failure.
VENDACONS_EXPORT QString GetNrPedidoQub(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                                        bool satTill);
// Cancels ("C") the items of the sale's orders that the kitchen has not finished: items of
// sectors 'E' and 'M' not in state "X", items of sectors 'P' in neither "X" nor "F". A table
// or tab sale (NRVENDAREST in the packet) finds its orders by the tab numbers of NRCOMANDAVND,
// matched as whole numbers, and the items' sale sequence; a counter sale by the key CDFILIAL +
// CDCAIXA + NRSEQVENDA. Empty, or the failure. `satTill` is not used.
VENDACONS_EXPORT Variant CancelaPedidoKDS(const Variant &sale, const QString &CDCAIXA, const QString &CDFILIAL,
                                          const QString &NRSEQVENDA, bool satTill = false);

} // namespace Srv_Kal51000
