#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QDate>
#include <QDateTime>
#include <QString>

// The simulated fiscal authorities of the stand-in host: the NFC-e authority that the sale
// save asks for an authorisation, and the SAT device that transmits a CF-e. Each issues a
// document number and an access key and keeps the document as XML in the day's folder of the
// site ("Dados/XML_NFCe_Sat/<branch>-<desk>-<yyyy-MM-dd>/", the start-up's stRecebAux2).
//
// The site file "Dados/Autoridade.txt" makes them misbehave on purpose: a line "NFCE=RECUSA"
// or "SAT=TEMPO" (one authority), or a single word for both. Words: "ACEITA" (default),
// "RECUSA" (the document is rejected), "TEMPO" (no answer: a time-out, answered at once, the
// host never waits). A line "SERIE=n" gives the NFC-e series (default "1").
namespace Authorities {

enum class Behaviour { Accept, Refuse, TimeOut };

// How the authority named "NFCE" or "SAT" behaves now (the file is read at every call).
Behaviour behaviourOf(const QString &authority);

// The day's folder of electronic documents on this site, with a trailing slash.
QString dayFolder(const QString &cdFilial, const QString &cdCaixa, const QDate &day);

// The 44-digit access key: state, year and month, CNPJ, model, series, number, emission kind,
// a code and the modulo-11 check digit.
QString accessKey(const QString &sgEstado, const QDate &date, const QString &cnpj, const QString &model,
                  const QString &series, const QString &number, const QString &code);
int checkDigit(const QString &digits);

// One NFC-e to authorise: the sale as stored and the rows of its items.
struct NfceDocument
{
    QString cdFilial;
    QString cdCaixa;
    QString number;
    QString series;
    QString environment;  // IDAMBTRABNFCE
    QString sgEstado;
    QString buyerDocument;
    double total = 0;
    DataPacket items;     // cdsVenda: CDPRODUTO, NMPRODUTO, QTPRODCOMVEN, VRPRECCOMVEN, VRDESCCOMVEN
    DataPacket payments;  // cdsMovCaixa: IDTIPORECE, VRMOVIVEND (what stays paid), VRTROCO (its change)
    QDateTime issuedAt;
};

struct NfceResult
{
    enum class Status { Authorised, Contingency, Refused };
    Status status = Status::Refused;
    QString accessKey;
    QString qrText;
    QString protocol;
    QString message;      // the authority's words (the rejection, or the time-out)
    QString xmlFile;      // where the document was kept
};

// The fiscal code of a means of payment (tPag of the NFC-e, cMP of the CF-e) for a receipt
// kind (IDTIPORECE): "01" cash, "03" credit card, "04" debit card, "05" the store's own
// credit (the badge's personal credit and consumer debit), "11" meal voucher, "17" PIX,
// "18" digital wallet, "99" any other.
QString paymentCode(const QString &idTipoRece);

// The documents as the authorities keep them: the authorised (or contingency) NFC-e, and the
// CF-e the SAT signs (its items and payments as NfceDocument's, `tax` the approximate tax
// text). Each payment is written with what the customer handed over (the amount that stays
// paid plus its change), and the change of the sale after them.
QString nfceXml(const NfceDocument &document, const QString &key, const QString &protocol, bool contingency);
QString cfeXml(const QString &key, const QString &serial, const QString &number, const QDateTime &issuedAt,
               const QString &buyer, const DataPacket &items, const DataPacket &payments, double total,
               const QString &tax);

// Asks the authority; an authorised document and one issued in contingency (time-out) are
// kept in the day's folder; a refused one is not kept.
NfceResult authoriseNfce(const NfceDocument &document);

// The host routines.
SatAnswer SATOnline(const SatTransmitRequest &request);
// The QR-code sale's SAT road: the sale's XML ("VENDA" only), then its transmission.
TextAnswer GeraArqXmlSat(const SatXmlRequest &request);
SatAnswer EmitirVenda(const SatEmitRequest &request);
Variant AtualizaVendaSat(const SatUpdateRequest &request);
TextAnswer getNumeroSerieNFCe(const NfceSeriesRequest &request);
TextAnswer getDataEmissNFCe();

} // namespace Authorities
