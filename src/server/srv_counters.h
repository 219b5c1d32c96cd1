#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Document numbers: the Colombian receipt range, the first-of-the-day markers kept in
// NOVOCODIGO, and the numbers drawn from the next-number service. Every function answers a
// Variant: the number as text, or Variant::failure with the error text (a caller tests
// isFailure(); nothing here throws).
namespace Srv_Kal51000 {

// The next receipt number of the Colombian numbering, or "CUPINV" when it would fall outside
// [rangeStart, rangeEnd]. Never answers a number outside the range.
VENDACONS_EXPORT Variant getPrxVendaColombia(const QString &CDFILIAL, const QString &CDCAIXA, const QString &prefix,
                                             const QString &rangeStart, const QString &rangeEnd);
// Records the first fiscal receipt of `date` once and then starts the stock program.
// Empty, or the failure. A receipt number "ERRO" stands for the next one of VENDA.
VENDACONS_EXPORT Variant setGravaCupomInicial(const QString &CDFILIAL, const QString &CDCAIXA,
                                              const QString &receiptNumber, const QDateTime &date);
// The next non-fiscal sale number: a consumer sale for kind "C", else a cash sale (and the
// first cash sale of the day is recorded).
VENDACONS_EXPORT Variant setNrVendaNFisc(const QString &CDFILIAL, const QString &CDCAIXA, const QString &kind);
VENDACONS_EXPORT Variant getPrxVendaConsumidor(const QString &CDFILIAL, const QString &CDCAIXA);
VENDACONS_EXPORT Variant getPrxVendaVista(const QString &CDFILIAL, const QString &CDCAIXA);
VENDACONS_EXPORT Variant getNumeroNFCe(const QString &CDFILIAL, const QString &CDSERIENFCE, const QString &IDTPAMBNFCE);
// The next NFC-e number; records the first of the day, and files the number for voiding
// (INUTILIZANFCE, status "P") when `voiding` is true.
VENDACONS_EXPORT Variant setNumeroNFCe(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSERIENFCE,
                                       const QString &IDTPAMBNFCE, bool voiding);

} // namespace Srv_Kal51000
