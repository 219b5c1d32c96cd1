#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

// Settings the sale screen loads at start-up into its client datasets. None starts, commits
// or rolls back the shared transaction.
namespace Srv_Kal51000 {

// The store's CRM Bonus settings: IDCRMBONUS, CDURLCRMBONUS, CDAUTHCRMBONUS, CDCODECRMBONUS;
// Variant::failure(error text) on failure.
VENDACONS_EXPORT Variant getDadosCRMBONUS(const QString &CDFILIAL, const QString &CDLOJA);
// NMCONSUMIDOR of the consumer whatever its situation; an empty text on failure (the name is
// only shown on the delivery sale).
VENDACONS_EXPORT Variant getConsumidorDLV(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// The branch's balance-redemption credentials DSIDRESGS and DSSENHARESGS;
// Variant::failure(error text) on failure. Never log the packet.
VENDACONS_EXPORT Variant getDadosResgSaldo(const QString &CDFILIAL);

} // namespace Srv_Kal51000
