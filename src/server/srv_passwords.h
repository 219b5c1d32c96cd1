#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

class TrdmVendaCons;

// Order passwords: the number called out when an order is ready. The sequential ones come
// from the branch's daily counter of the next-number service (NOVOCODIGO, key "VENDADIA" +
// branch + short date); the random ones are checked against the passwords already in use.
namespace Srv_Kal51000 {

// The next password of the branch's counter for `date`, as text; Variant::failure when the
// next-number service fails.
VENDACONS_EXPORT Variant getSenhaCupom(const QString &CDFILIAL, const QDateTime &date);
// Boolean: True when the password is taken today in the branch, by a sale of any of its cash
// desks or by an item of one of its open restaurant sales; Variant::failure on a failure.
// CDCAIXA is kept for the callers; uniqueness holds across the branch.
VENDACONS_EXPORT Variant getSenhaRandonExist(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSENHAPED);
// Restarts the branch's counter for the day `date` ("dd/mm/yyyy"): the next getSenhaCupom of
// that day answers 1. Empty (also when the counter did not exist), or the failure. Works on
// the next-number service's session: it never commits or rolls back the caller's transaction.
VENDACONS_EXPORT Variant ReiniciaSenhaCupom(const QString &CDFILIAL, const QString &date);
// Takes the password for a sale of desk CDCAIXA today, in one step with the check of
// getSenhaRandonExist: Boolean True when it is now the desk's (free, or already taken by this
// desk for a sale it did not save), False when a sale or another desk has it; the failure.
// Two tills taking one number at once: one gets it.
VENDACONS_EXPORT Variant setSenhaPedReserva(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSENHAPED);
// Integer: how many passwords from `lowest` to `highest` (written five wide) the branch still
// has free today, counted in one query; the failure.
VENDACONS_EXPORT Variant getSenhaPedLivres(const QString &CDFILIAL, int lowest, int highest);

} // namespace Srv_Kal51000

namespace PagerReservation {

// setSenhaPedReserva on the sessions of `module` (each till has its own).
VENDACONS_EXPORT Variant take(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA,
                              const QString &CDSENHAPED);

} // namespace PagerReservation
