#pragma once

#include <outside/pkg_hrk00002.h>
#include <outside/spooler.h>

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

// The host's non-fiscal printers. A printer is named by its port: a port "cups:QUEUE" sends a
// raw text job to that CUPS queue; any other port appends the text to the site file
// "Dados/ImpressoraNaoFiscal/<port>.txt" (an empty port is "padrao"), so a person sees every
// receipt and ticket the sale screen printed.
namespace NonFiscal {

// The site's file printers as a spooler (Dados/ImpressoraNaoFiscal, see FileSpooler): a
// printer marked down in its "estado.txt" keeps its jobs queued. The host installs it as the
// process's spooler, so the printer failover watches the queues the host prints into.
std::shared_ptr<FileSpooler> siteSpooler();

// The CUPS queue a port names, or empty when the port is not a queue.
QString queueOf(const QString &port);
// The file a port prints to when it is not a queue.
QString fileOf(const QString &port);
// Prints `text` on the printer of `port` as one job named `documentName`.
HostResult printText(const QString &port, const QString &documentName, const QString &text);

// The stored payments of the receipt's sale (the print record's NRSEQVENDA on this desk):
// NMTIPORECE, VRMOVIVEND, VRTROCO a row; empty when the sale is not stored or not known.
DataPacket salePayments(const NonFiscalPrintRequest &request);
// A sale's receipt on the non-fiscal printer, whichever call prints it: the order sending's
// print record or the electronic receipt routine. Empty texts leave their line out.
struct SaleReceipt
{
    enum class Kind { NonFiscal, Nfce, Sat };
    Kind kind = Kind::NonFiscal;
    QString issuedAt;       // as printed; empty: now
    DataPacket sale;        // cdsVenda: NRSEQ, NMPRODUTO, QTPRODCOMVEN, VRPRECCOMVEN, VRDESCCOMVEN, VRACRCOMVEN
    DataPacket payments;    // NMTIPORECE, VRMOVIVEND (what the sale took), VRTROCO (the change given)
    double paid = 0;        // what was paid, when no payment rows are known
    QString documentNumber; // the non-fiscal number, the NFC-e number or the CF-e number
    QString satSerial;
    QString accessKey;
    QString protocol;
    QString qrText;
    QString taxFederal;     // the approximate taxes, as the sale keeps their texts
    QString taxState;
    QString saleKey;
    QString pager;
    QString buyer;
    QString finalBalance;   // the consumer's final balance text, line breaks kept
};
// The one builder of a sale receipt: header by kind, the items, the total, each means of
// payment with what was handed over (what the sale took plus its change) and the change, then
// the document's own lines.
QString saleReceiptText(const SaleReceipt &receipt);

// A left text and a right text on one line of `width` columns, at least one blank between them:
// the layout of every amount on the host's vouchers and tapes.
QString twoColumns(const QString &left, const QString &right, int width);

// `text` cut into lines of the receipts' 40 columns at blanks (a longer word where it must be).
QStringList wrapped(const QString &text);
// An electronic document's access key as people read it (groups of four digits, without the
// "CFe" prefix), on lines of the receipts' width.
QStringList accessKeyLines(const QString &key);

// The receipt of the order sending's print record (cdsVenda packet, cdsParamImpCupNF): the
// sale's stored payments when given, else the amount paid of the record and its change.
QString receiptText(const NonFiscalPrintRequest &request, const DataPacket &payments = DataPacket());

// What the host knows of its own till for the spool: the desk (PARAMETROSQUB.CDS), the
// sequence of each printer that has a backup (Dados/IMPBACKUP/cdsImpBackup.cds, by address),
// and whether the tickets travelling with a receipt are the kitchen's only copy (IDIMPPEDPROD
// other than "S": no separate order print follows).
struct TillSpool
{
    QString cdCaixa;
    QHash<QString, QString> sequenceOfAddress; // upper-case address -> NRSEQIMPRLOJA
    bool ticketsWithReceipt = true;

    static TillSpool forSite();
    QString sequenceOf(const QString &address) const;
};

// The spool document name of a job of production tickets, as the printer failover recognises
// a job of this till and printer: twelve digits of the moment and "PD", then "_", the
// printer's sequence (or "00000", whose "_00000_" then begins at character 15), "_", the desk,
// "_" and a serial. The name ends in ".txt": the saved copy has the same name.
QString documentName(const QDateTime &when, const QString &printerSequence, const QString &cdCaixa, int serial);

// Every ticket of an order for one production printer, in the order they were written.
struct ProductionJob
{
    QString port;         // the printer's port: "cups:QUEUE", else a file
    QString address;      // its address when it has a backup printer, else empty
    QString documentName;
    QString text;
};
// The jobs of a tickets packet (cdsImprimePedido): a ticket goes to its primary printer, and
// to its secondary and pull printers when they are other printers and the ticket is not marked
// to print once (IDIMPRODUVEZ "S").
QList<ProductionJob> productionJobs(const DataPacket &tickets, const TillSpool &till);
// Saves each job's text as Dados/IMPBACKUP/<documentName>, then prints it. A job whose
// printer cannot be reached is logged and written to that printer's file, so no ticket is
// lost; the answer then names the printers that failed.
HostResult printProductionJobs(const QList<ProductionJob> &jobs);
// The folder of the saved ticket texts.
QString backupFolder();

// The host routines. DisparaImpressaoNaoFiscal prints the receipt on printer 1 of the print
// parameters (stCdPortImpNF1) when the sale rows came, and the tickets as one job per
// production printer with the "PEDIDO" kind, or with a receipt when no such print follows.
HostResult DisparaImpressaoNaoFiscal(const NonFiscalPrintRequest &request);
HostResult ImprimePadrao(const PlainPrintRequest &request);
// The electronic document's receipt (CF-e SAT extract, or the NFC-e receipt when no CF-e number
// came) on printer 1 of the till (CDPORTIMPNF1 of PARAMETROSQUB.CDS).
QString electronicReceiptText(const SatReceiptRequest &request);
HostResult Imp_Extrato_SAT_Ger(const SatReceiptRequest &request);

} // namespace NonFiscal
