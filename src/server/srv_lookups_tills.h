#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

class TrdmVendaCons;

// Lookups of tills, printers, receipts and order passwords. Each runs one read of the base
// and never starts, commits or rolls back the shared transaction, except the QR-code claim,
// which writes its own row and commits it. Failure answers as each function states; a Variant
// answer fails with Variant::failure(error text).
namespace Srv_Kal51000 {

// IDLEITURAQRCODE of the desk; "" for an unknown desk; "N" on failure.
VENDACONS_EXPORT QString getConfigCaixa(const QString &CDFILIAL, const QString &CDCAIXA);
// True when the desk's IDVISTELPED is "S", else False; Variant::failure on failure.
VENDACONS_EXPORT Variant getVisualizaTelPed(const QString &CDFILIAL, const QString &CDCAIXA);
// IDIMPPESAGEM of the desk; "N" when empty, unknown or on failure.
VENDACONS_EXPORT QString getImpPesagem(const QString &CDFILIAL, const QString &CDCAIXA);
// The desk's generic payment type (visible payment button of kind "1" without TEF); "" when
// none or on failure.
VENDACONS_EXPORT QString getRecebGenerico(const QString &CDFILIAL, const QString &CDCAIXA);
// True when a payment type of kind "E" (CHART card) is registered; False when none is or on
// failure.
VENDACONS_EXPORT bool getCartaoCHART();
// Port CDPORTAIMPR and model IDMODEIMPRES of the product's first / second production printer.
VENDACONS_EXPORT Variant getImprLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO);
VENDACONS_EXPORT Variant getImprLoja2(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO);
// One row per printer of the desk or of its store's products that has a backup printer.
VENDACONS_EXPORT Variant getImpBackup(const QString &CDFILIAL, const QString &CDCAIXA);
// DSOCORR; "" when none or on failure.
VENDACONS_EXPORT QString getDsOcorr(const QString &CDGRPOCOR, const QString &CDOCORR);
// IDUTCUPOMDESC of the general parameters; the error text on failure.
VENDACONS_EXPORT QString getIDUTCUPOMDESC();
// IDBLOQSALDFS of the consumer; the error text on failure.
VENDACONS_EXPORT QString getBloqFimSemana(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// "S" when both the product and the desk print the QR code at the top; "" otherwise or on failure.
VENDACONS_EXPORT QString getIDIMPQRTOPDATA(const QString &CDCAIXA, const QString &CDFILIAL, const QString &CDPRODUTO);
// The order password when a sale of the desk on the day of DTENTRVENDA already uses it; ""
// when it is free; the error text on failure (any non-empty answer keeps the password from use).
VENDACONS_EXPORT QString getSenhaUtil(const QString &CDFILIAL, const QString &SENHACUPOM, const QString &CDCAIXA,
                                      const QDateTime &DTENTRVENDA);

// Whether a QR-code sale may be recorded: Free when no open sale of today carries the
// branch, restaurant sale and tab; Taken when one does; Failed when the base could not say.
// Only Free lets the sale go on.
struct QrCodeSaleCheck
{
    enum class State { Free, Taken, Failed };
    State state = State::Failed;
    QString errorText; // set when Failed

    bool refuses() const { return state != State::Free; }
};
// The day's claim on a QR-code sale, so that two tills reading one code make one sale: True
// when this desk holds it (now or from an earlier attempt), False when another desk does, or
// the failure. setLiberaQRCode gives up this desk's claim after an attempt that sold nothing:
// empty, or the failure.
VENDACONS_EXPORT Variant setReservaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST,
                                          const QString &NRCOMANDA, const QString &CDCAIXA);
// The same on a till's own data module.
VENDACONS_EXPORT Variant setReservaQRCode(TrdmVendaCons &module, const QString &CDFILIAL, const QString &NRVENDAREST,
                                          const QString &NRCOMANDA, const QString &CDCAIXA);
VENDACONS_EXPORT Variant setLiberaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST,
                                         const QString &NRCOMANDA, const QString &CDCAIXA);
VENDACONS_EXPORT QrCodeSaleCheck getVendaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST,
                                                const QString &NRCOMANDA);

} // namespace Srv_Kal51000
