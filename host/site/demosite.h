#pragma once

#include <sale/tillfiles.h>

#include <runtime/datapacket.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The demo site: a counter desk of a company canteen ("Refeitório Central" of branch "0001",
// store "01", desk "001" unless told otherwise, operator "0001") with the simulated fiscal
// printer, scale, drawer and pole display, and a base with its menu, price tables, waiters,
// client companies and badge consumers. `vendacons-host --init-site DIR [--desk NNN]` writes
// it; against a base that already holds the demo branch (several tills on one PostgreSQL
// base) it adds only the desk's own row and writes the till's folder.
namespace DemoSite {

inline const QString CDFILIAL = QStringLiteral("0001");
inline const QString CDLOJA = QStringLiteral("01");
inline const QString CDCAIXA = QStringLiteral("001");
inline const QString CDOPERADOR = QStringLiteral("0001");
inline const QString NMOPERADOR = QStringLiteral("MARIA APARECIDA SOUZA");
inline const QString CDCLIENTE = QStringLiteral("000001"); // default client of counter sales
// The item kinds of the menu: the iced tea refilled free at a table seat, and the promotion
// combo of a sandwich and a drink (product 11001, not on the touch grid).
inline const QString RefillDrink = QStringLiteral("07006");
inline const QString PromotionCombo = QStringLiteral("11001");
// The key of the enciphered values of the site's files (Criptografa), the one the start-up
// deciphers them with.
constexpr int CipherKey = TillFiles::CipherKey;

struct Report
{
    QStringList files;        // written, relative to the site
    QStringList tableRows;    // "TABLE: n rows"
    QStringList skipped;      // tables or columns the base's schema does not have
    QString error;            // empty when the site was written
    bool joinedBase = false;  // the base held the demo branch already: only the desk was added
    bool ok() const { return error.isEmpty(); }
};

// The fiscal document of the demo desk: the simulated fiscal printer (the default), NFC-e or SAT.
enum class Till { FiscalPrinter, Nfce, Sat, NonFiscal };
// "ecf", "nfce", "sat" or "nf" (no fiscal document: non-fiscal receipts only); empty when the
// text names none.
std::optional<Till> tillNamed(const QString &name);

// Where the partners' stand-ins of the site serve (Dados/Parceiros.ini) unless told otherwise:
// a person running the demo can point a browser at it. Tests and scripts pick a free one.
constexpr quint16 DefaultPartnersPort = 18480;
// "http://127.0.0.1:<port>/<path>", a partner's address in the site's files and base.
QString partnersUrl(quint16 port, const QString &path);

// Writes the whole site of desk `desk` into `folder` (created when missing). Refuses a folder
// that already holds a parameter file, so a site is never overwritten. Sets the process's
// site folder to `folder` and creates the base through the data module's schema: the site's
// own SQLite file, or the base VENDACONS_DB names, which Dados/Conexao.txt then keeps. The
// site's partners serve on 127.0.0.1:`partnersPort`. A base that holds the demo branch
// already gets only the desk's row (refused when the desk is there). `desk` is taken as
// deskCode makes it. On a failure nothing is
// left: neither the rows of this run nor a file or folder it made.
Report write(const QString &folder, const QDateTime &now, Till till = Till::FiscalPrinter,
             quint16 partnersPort = DefaultPartnersPort, const QString &desk = CDCAIXA);
// Whether `desk` can be a desk number: one to twenty digits.
bool isDeskNumber(const QString &desk);
// The desk code of a typed desk number: padded with zeros to the width of the demo's codes
// ("6" is desk "006"), as every file and row of the till writes it; a longer one stays.
QString deskCode(const QString &typed);

// The pieces, for the tests.
DataPacket parameterPacket(const QString &folder, const QDateTime &now, Till till = Till::FiscalPrinter,
                           quint16 partnersPort = DefaultPartnersPort, const QString &desk = CDCAIXA);
DataPacket identificationPacket();
struct CadastreFile
{
    QString name; // file name under Dados/Cadastros
    DataPacket packet;
};
QList<CadastreFile> cadastreFiles(const QDateTime &now, const QString &desk = CDCAIXA);
// Writes the menu, tables, people and balances into the base of the current site, with the
// desk `desk`, in one transaction; tables and columns the schema lacks are skipped and listed.
bool writeBase(const QDateTime &now, Report &report, quint16 partnersPort = DefaultPartnersPort,
               const QString &desk = CDCAIXA);
// The desk's own row, for a till added to a base that holds the demo branch already. Refused
// when the desk is there already.
bool writeDesk(const QString &desk, Report &report);
// Whether the base of the current site holds the demo branch (false with `error` set when
// it cannot be read).
bool baseHoldsBranch(QString *error);
// The products whose cancelled receipt sends a cancellation ticket to the kitchen.
bool writeCancellationTickets(Report &report);
// The personal-credit voucher switched on and the exchange's receipt type added to the written
// site (demosite_credit.cpp).
bool writeCreditAndExchange(const QString &folder, Report &report);

// The production printer of a menu group: the kitchen makes the plates, grills, pasta and
// snacks, the bar the drinks and juices, and each is the other's backup printer. An empty
// port for what is served at the counter.
struct ProductionPrinter
{
    QString port;           // also its spooler address (Dados/ImpressoraNaoFiscal/<port>.txt)
    QString sequence;       // NRSEQIMPRLOJA
    QString backupSequence; // the sequence of its backup printer
};
ProductionPrinter productionPrinterOf(const QString &group);

// A packet under construction: fields first, then rows in field order.
class PacketBuilder
{
public:
    PacketBuilder &text(const QString &name, int size);
    PacketBuilder &integer(const QString &name);
    PacketBuilder &number(const QString &name);
    PacketBuilder &dateTime(const QString &name);
    PacketBuilder &row(const QList<Variant> &values);
    const DataPacket &packet() const { return m_packet; }

private:
    DataPacket m_packet;
};

} // namespace DemoSite
