#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Cancelling a saved sale and the lookups the cancellation screens read.
namespace Srv_Kal51000 {

// What the till sends to cancel a saved sale: the sale, the cancellation data it records, and
// the till's settings of the statement server and the partner integrations to be told.
struct SaleCancelRequest
{
    QString CDFILIAL;
    QString CDCAIXA;
    // NRNOTAFISCALCE for kinds "NFCe" and "NFCe-Sat", NRVENDAEXT for the others.
    QString number;
    // "NFCe", "NFCe-Sat", "C" (a consumer sale: personal credit or consumer debit), "I" (items of
    // a sale already cancelled, nothing written) or empty (a sale paid otherwise).
    QString kind;
    QString NRACESSOCANC;
    QString CDSUPERVISOR;
    QString DSOBSCANCUP;
    QDateTime DTABERTUR;
    QString DSARQXMLCANCNFCE;
    QString IDEXTCONSONLINE;
    QString CDURLWSEXTCONS;
    QString IDUTILFID4ALL;
    QString CDURLWSFID4ALL;
    QString IDUTILFIDUDS;
    QString CDURLWSFIDUDS;
    QString IDUTILINTEPROMO;
    QString CDURLINTEPROMO;
    QString IDDEBCONSCENTRAL;
    QString IDEXTCONSCENTRAL;
    QString CDURLFIDONLINE;
    QString IDUTILINTVALPRE;
    QString CDURLINTVALPRE;
    QString NRSEGREQVALPRE;
    QString IDUTICOREBANC;
    QString CDURLCOREBANC;
    QString NRTEMPOCOREBANC;
    QString IDUTILINTVIMO;
    QString CDURLINTVIMO;
    QString IDUTILFIXECRM;
    QString CDURLFIXECRM;
    QString IDCRMBONUS;
    QString CDURLCRMBONUS;
    QString CDAUTHCRMBONUS;
    QString CDCODECRMBONUS;
};

// Records the cancellation of a saved sale in one transaction and answers its item rows (a
// packet), or the failure with nothing changed. An empty packet: no open sale of that number
// (none, or already cancelled), nothing changed. Once committed, the central mirrors, the
// online statement export and the partner notifications follow; their failures are logged in
// Dados/logCancVenda and never turn the committed cancellation into a failure.
VENDACONS_EXPORT Variant getVendaNFisc(const SaleCancelRequest &request);

// Tells CRM Bonus that the bonus of a cancelled sale is void: an XML document (company code,
// authorisation, the bonus id's first 9 characters, the NFC-e code) posted to the address plus
// "/cancelBonus". True when the service accepted it; never throws. The log leaves out the
// authorisation value.
VENDACONS_EXPORT bool criaOrdemCRMBONUS(const QString &CDURLCRMBONUS, const QString &CDAUTHCRMBONUS,
                                        const QString &CDCODECRMBONUS, const QString &NRIDBONUSCRM,
                                        const QString &NRNFCECRMBONUS);

// The items of the desk's sale with that number whose products print a cancellation ticket;
// a packet, or the failure.
VENDACONS_EXPORT Variant getItemsCancelados(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number);
// The same for the composition items of the sale.
VENDACONS_EXPORT Variant getItemsCanceladosEst(const QString &CDFILIAL, const QString &CDCAIXA,
                                               const QString &number);
// The open NF-e sale with its NF-e data for cancelling it (one row per item); or the failure.
VENDACONS_EXPORT Variant getVendaCanNFCe(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTAFISCALCE,
                                         const QDateTime &DTABERTUR);
// IDOBRIGAOBSCAN of the store ("S": the cancellation note is mandatory); empty without a row;
// or the failure.
VENDACONS_EXPORT Variant getObrigaObsCan(const QString &CDFILIAL, const QString &CDLOJA);
// IDDTEMISCANC of the branch's sale parameters; empty without a row.
VENDACONS_EXPORT Variant getIDDTEMISCANC(const QString &CDFILIAL);

} // namespace Srv_Kal51000
