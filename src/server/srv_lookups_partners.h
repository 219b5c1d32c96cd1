#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Settings and sale data read for partner integrations (AME wallet, GCOM cashback, points
// conversion). Every answer is a data packet or value, or Variant::failure(error text); none
// starts, commits or rolls back the shared transaction. The packets may carry credentials:
// callers must not log them.
namespace Srv_Kal51000 {

// The branch's wallet settings, plus DSURLRAIZ, DSLOGIN and DSSENHA left empty for the
// caller to fill.
VENDACONS_EXPORT Variant getDadosAme(const QString &CDFILIAL);
// The sale's cash movements paid with a wallet payment type (IDTIPORECE "I").
VENDACONS_EXPORT Variant getMovCaixaAME(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                                        const QDateTime &DTABERCAIX);
// The store's GCOM settings with the installation's API token.
VENDACONS_EXPORT Variant getDadosGCOM(const QString &CDFILIAL, const QString &CDLOJA);
VENDACONS_EXPORT Variant getVendaGCOM(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA);
// VRCONVPONTO of the branch as a number, 0 when empty or unknown.
VENDACONS_EXPORT Variant getConversao(const QString &CDFILIAL);

} // namespace Srv_Kal51000
