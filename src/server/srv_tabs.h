#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

class ClientDataSet;

// Tab and table services of an open restaurant sale (VENDAREST) and its tabs (COMANDAVEN),
// besides the order writing. Packets and values answer Variant::failure(error text) when the
// database fails; a lookup that finds nothing answers an empty packet, never a failure. The
// few functions with another failure answer say so below.
namespace Srv_Kal51000 {

// --- tabs (srv_tabs.cpp) ---

// Packet: VRACRCOMANDA of the tab.
VENDACONS_EXPORT Variant getAcresMesa(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                                      const QString &NRVENDAREST);
// Sets the tab's surcharge to `value` (the caller adds the lines' surcharges). Empty, or the failure.
VENDACONS_EXPORT Variant setGravaAcrescimo(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                                           const QString &NRVENDAREST, double value);
// Packet of one row: VRACRCOMANDA = the summed surcharge (0 when none) of the open tabs with at
// least one live item of the table and of every table joined with it, each tab once.
VENDACONS_EXPORT Variant getAcrescimo(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA);
// Packet: the reserved ("RES_") and pre-booked ("PKR_") open tabs of the table and of the
// tables joined with it, by sale and tab. The fourth argument is not used.
VENDACONS_EXPORT Variant getBuscaComandas(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA,
                                          const QString &unused = QString());
// Packet: the header of the open tab with that number (same columns as getBuscaComandas).
VENDACONS_EXPORT Variant getDadosComanda(const QString &CDFILIAL, const QString &NRCOMANDA);
// Packet: the live items (status neither '6' nor '7') of the tabs listed in `tabs`
// ("_12_13_", "12,13"); a tab matches only as a whole number.
VENDACONS_EXPORT Variant getBuscaItComanda(const QString &CDFILIAL, const QString &tabs);
// Packet: the sale with its tabs and its consumer.
VENDACONS_EXPORT Variant getPedido(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST);
// The order password of the tab; "" when there is none, and "" (logged) on a failure.
VENDACONS_EXPORT QString getSenhaPed(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST);
// Adds `quantity` (negative to undo) to the item's refill count, a null count counting as 0.
// Empty, or the failure.
VENDACONS_EXPORT Variant setProdRefil(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                                      const QString &NRPRODCOMVEN, double quantity);
// Packet: NRPRODCOMVEN of the tab's ordinary (not refill) live items of the product and seat.
VENDACONS_EXPORT Variant getProdRefil(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                                      const QString &CDPRODUTO, const QString &NRLUGARMESA);
// Discards an order opened but never given an item: the tab when it has no item, then the
// open sale of the store when none of its tabs is left and it has no item. Never deletes a
// tab or sale that holds items. Empty, or the failure (the screen ignores it; it is logged).
VENDACONS_EXPORT Variant setValidaPedido(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &CDLOJA,
                                         const QString &NRCOMANDA);

// --- lines given up (srv_tabs_giveup.cpp) ---

// Records every row of `itens` (the screen's given-up lines: QTPRODCOMVEN, CDPRODUTO,
// DSOBSCANITE, CDSUPERVISOR, VRPRECCOMVEN, VRDESCCOMVEN, VRACRCOMVEN) in ITCOMANDAVENDES,
// numbered on from the highest sequence of the cash desk and sale, all in one transaction.
// Empty, or the failure (then nothing is written). The dataset's cursor is kept.
VENDACONS_EXPORT Variant setGeraDesistencia(const QString &CDFILIAL, const QString &CDCAIXA,
                                            const QString &NRVENDAREST, ClientDataSet &itens);

// --- tables (srv_tabs_tables.cpp) ---

// Whether the table may take an order: False for a table in state "S", "D" or "R", and on a
// failure; True otherwise, also for a table that is not registered.
VENDACONS_EXPORT bool getValidaMesa(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA);
// Whether the seat is free of blocking items (state other than 'O'); False on a failure.
VENDACONS_EXPORT bool verificaIDSTLUGARMESA(const QString &CDFILIAL, const QString &NRVENDAREST,
                                            const QString &NRLUGARMESA);
// Packet: NRMAXPESMES of the branch.
VENDACONS_EXPORT Variant getNrPesMesa(const QString &CDFILIAL);
// The opening time of the sale. A sale that is not found, or has no opening time, answers the
// present time (the time limit of an all-you-can-eat table then counts from now, instead of
// refusing every item); so does a failure, which is logged.
VENDACONS_EXPORT Variant GetDtHrAberMesa(const QString &CDFILIAL, const QString &NRVENDAREST);
// Packet: the options of the store's order option group linked to the product, by CDOCORR.
VENDACONS_EXPORT Variant getOcorPed(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO);

} // namespace Srv_Kal51000
