#pragma once

#include <vendacons_export.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// The credit purchase at the cash desk: a consumer buys prepaid credit for one balance family
// and pays it with the till's tenders; or a partner card is recharged (the family marker
// "RECARGATARVOLENS"), which writes cash movements only.
namespace Srv_Kal51000 {

// The family code (and name) of a partner-card recharge.
inline const QString RecargaTarvolens = QStringLiteral("RECARGATARVOLENS");

struct CreditPurchaseWrite
{
    // The till's cash movements of the purchase, one row per tender (cdsMovCaixa).
    DataPacket movements;
    QString CDFILIAL;
    QString CDCAIXA;
    QString CDCLIENTE;
    QString CDCONSUMIDOR;
    QString CDFAMILISALD; // or RecargaTarvolens
    QString NRDEPOSICONS; // ties the lines of one load together
    QString NRCOO;        // the voucher's COO: a DOCNFISCECF row per tender when not blank
    QString NRGNF;
    QString NRSERIEIMP;
    QString IDEXTCONSONLINE;
    QString CDURLWSEXTCONS;
    QString IDEXTCONSCENTRAL;
    QDateTime DTABERCAIX;
    QDateTime DTMOVIMENTO;
    // What the voucher prints beside the movements, kept with the load until it is finished
    // (setCargaConcluida): a till stopped before the voucher prints it at its next start.
    QString NMCONSUMIDOR;
    QString NMFAMILISALD;
    QString NRCUPOMCARGA;    // the voucher number
    double VRSALDCREDFAM = 0; // the family balance the voucher shows
    QString DSCOMPRACREDTEF; // the payment screen's card receipt mark (stCompraCredAux2)
};

// Writes one credit purchase in one transaction under the consumer's lock: per tender the cash
// movement (MOVCAIXA), the statement credit "C" (EXTRATOCONS, carrying the balance after it)
// and, with a COO, the non-fiscal document (DOCNFISCECF); then the family's SALDOCONS. Answers
// True once committed, also when the online send or the roll-forward that follow fail (they
// are logged); True without writing again when this deposit number is already written (a
// retry after an answer that was lost). A failure (nothing written) otherwise, naming the
// missing column or the empty family. `NRSEQECFDOCNF` takes the last document number drawn.
// The same transaction keeps the load as not finished (CARGAPENDCONS) until
// setCargaConcluida; a recharge keeps one as well (its voucher is due all the same).
VENDACONS_EXPORT Variant setGravaCompCred(const CreditPurchaseWrite &purchase, QString &NRSEQECFDOCNF);

// The loads of the desk written but not finished, oldest first: a packet with the columns of
// CARGAPENDCONS (empty when none), or the failure.
VENDACONS_EXPORT Variant getCargasPendentes(const QString &CDFILIAL, const QString &CDCAIXA);
// The cash movements one load wrote, in order, as the voucher reads them (NMTIPORECE,
// VRMOVIVEND, CDTIPORECE, IDTIPOMOVIVE, CDNSUHOSTTEF); a packet, or the failure.
VENDACONS_EXPORT Variant getMovCaixaCarga(const QString &CDFILIAL, const QString &CDCAIXA, const QDateTime &DTABERCAIX,
                                          const QString &NRDEPOSICONS);
// The load's voucher and card confirmation are done: it is no longer kept as not finished.
// Empty, or the failure.
VENDACONS_EXPORT Variant setCargaConcluida(const QString &CDFILIAL, const QString &CDCAIXA,
                                           const QString &NRDEPOSICONS);

// The deposit number of the next load: "yymmdd" of `day` and the day's load counter in four
// digits, ten characters, never handed out twice (also with several tills on one base).
VENDACONS_EXPORT Variant getPrxDepositoCons(const QDate &day);

// One credit load to cancel: the desk's opening it was taken in, its deposit number, and the
// till's switches for the online statement and the central balances.
struct CreditLoadCancel
{
    QString CDFILIAL;
    QString CDCAIXA;
    QDateTime DTABERCAIX;
    QString NRDEPOSICONS;
    QString IDEXTCONSONLINE;
    QString CDURLWSEXTCONS;
    QString IDEXTCONSCENTRAL;
};

// The loads of the desk's opening that still stand (no debit line with their deposit number),
// newest first: NRDEPOSICONS, CDCLIENTE, CDCONSUMIDOR, CDIDCONSUMID, NMCONSUMIDOR,
// CDFAMILISALD, NMFAMILISALD, VRCARGA, DTMOVEXTCONS. A failure when the base fails.
VENDACONS_EXPORT Variant getCargasCaixa(const QString &CDFILIAL, const QString &CDCAIXA, const QDateTime &DTABERCAIX);

// Cancels one load in one transaction under the consumer's lock: a debit "D" line with the
// load's deposit number for each of its credit lines, the family's SALDOCONS less the load, and
// the load's cash movements marked cancelled (IDTIPOMOVIVE "C"). Refused, with nothing written,
// when the load is not of this desk's opening, is cancelled already, or the family's balance
// no longer holds it (the credit was spent); with the online switch, also when the statement
// server cannot be reached. True once committed (the online send and the central refresh
// that follow are logged, and the cashier is told of a send left pending), or the failure.
VENDACONS_EXPORT Variant setCancelaCompCred(const CreditLoadCancel &load);

// Appends "<date time> - <text>" to this month's LogCompraCredMMYY.txt in the program's
// folder. Never fails the caller: a file that cannot be written is reported once per process.
VENDACONS_EXPORT void LogCompraCred(const QString &text);

} // namespace Srv_Kal51000
