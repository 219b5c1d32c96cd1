#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Lookups of fiscal documents: Z reductions, SAT sales and card transactions. None starts,
// commits or rolls back the shared transaction.
namespace Srv_Kal51000 {

// The desk's latest Z reduction into the five outputs (blank, 0 and an invalid date when the
// desk has none). Empty, or Variant::failure with the error text (outputs then blank).
VENDACONS_EXPORT Variant getBuscaDadosReducao(const QString &CDFILIAL, const QString &CDCAIXA, QString &NRREDREDZ,
                                              QString &NRREINIREDZ, double &VRVENBRUREDZ, double &VRGTREDZ,
                                              QDateTime &DTREDUCAOZ);
// The desk's sales with that note number, newest first.
VENDACONS_EXPORT Variant getUltVendaSat(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA);
// True when the newest such sale is cancelled ("C"); False otherwise or on failure. Runs on
// the probe session, so an unreachable server answers after its short time-out.
VENDACONS_EXPORT bool getSituVendaSat(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA);
// NRCONTROLTEF of the card movement of the desk's receipt NRCUPOMFIS on the day of
// DTENTRVENDA; "" when none; the failure as a failure (an error text must never pass for a
// control number the card terminal is asked to reverse).
VENDACONS_EXPORT Variant getRetornaTefCappta(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                                         const QDateTime &DTENTRVENDA);

} // namespace Srv_Kal51000
