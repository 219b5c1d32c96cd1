#pragma once

#include "orderentry.h"

#include <QString>

#include <functional>
#include <optional>

class ClientDataSet;
class SaleContext;
struct Parameters;

// The building blocks of the production tickets, apart from OrderEntry so each can be tested alone:
// which printers a product's ticket goes to, and the walk that writes cdsImprimePedido.
namespace Tickets {

// The till's own printers, the defaults of every ticket (parameter copies).
struct TillPrinters
{
    QString primaryPort, primaryModel;     // stCDPORTIMPNF1, stIDTIPOIMPNF1
    QString secondaryPort, secondaryModel; // stCDPORTAIMPNF5, stIDTIPOIMPNF5
    QString pullPort, pullModel;           // stCDPORTIMPNF2, stIDTIPOIMPNF2
    QString primarySequence;               // stNRSEQIMPRLOJA1
    QString secondarySequence;             // stNRSEQIMPRLOJA2
    QString pullSequence;                  // stNRSEQIMPRLOJA5

    static TillPrinters of(const Parameters &params);
};

// The printers of one ticket, as the ticket record names them, and the models the promotion
// header looks at.
struct PrinterChoice
{
    QString CDARVPROD, CDPRODUTO, IDIMPRODUVEZ;
    QString CDPORIMPPROD, IDMODEIMPRES;   // primary
    QString CDPORIMPPROD2, IDMODEIMPRES2; // secondary
    QString PORTAPUXA, MODELOPUXA;        // pull printer
    QString DSENDPORTA, DSENDPORTA2, DSENDPORTAPUXA; // addresses of printers with a backup

    QString storeModel, storeModel2, roomModel; // MODELOPROD, MODELOPROD2, the room's model
};

// Chooses the printers of a product's ticket from the store printer rows (cdsPortaProd), the
// room printer rows (cdsProdAmbiente) and the backup map (cdsImpBackup). Moves the cursors of
// those datasets; changes nothing else.
class PrinterLookup
{
public:
    PrinterLookup(ClientDataSet &stores, ClientDataSet &rooms, ClientDataSet &backups,
                  TillPrinters till, QString room);

    // Nothing when the product has no store row for `store`: such a product gets no ticket.
    std::optional<PrinterChoice> choose(const QString &store, const QString &product);
    bool hasStoreRow(const QString &store, const QString &product);

private:
    struct RoomPrinter
    {
        QString sequence, model, port;
    };
    RoomPrinter roomPrinter(const QString &product);
    QString backupAddress(const QString &sequence);

    ClientDataSet &m_stores;
    ClientDataSet &m_rooms;
    ClientDataSet &m_backups;
    TillPrinters m_till;
    QString m_room;
};

// Rebuilds cdsImprimePedido from the lines of cdsItems: header and component tickets of
// promotions, one parent ticket per combined-product group, and the line tickets. Each
// ticket is inserted at the cursor and numbered down from 999.
class TicketBuilder
{
public:
    TicketBuilder(SaleContext &context, const OrderEntry::TicketContext &ticketContext);
    void build();

private:
    struct Line;
    struct Values;

    void walkLine(const Line &line);
    void promotionTickets(const Line &line);
    void headerTicket(const Line &line);
    void componentTickets(const Line &line);
    void writeComponents(const Line &line, ClientDataSet &components);
    void parentTicket(const Line &line);
    void lineTicket(const Line &line);
    bool isPromotionLine(const Line &line) const;
    bool isCombinedLine(const Line &line);
    QString headerObservation(const Line &line) const;
    void write(const Line &line, const PrinterChoice &printers, const Values &values);
    void writeSaleFields(ClientDataSet &tickets);
    void writeItemFields(ClientDataSet &tickets, const Line &line, const Values &values);
    void writePrinterFields(ClientDataSet &tickets, const PrinterChoice &printers, bool withPullPrinter);

    SaleContext &m_context;
    const OrderEntry::TicketContext &m_ticketContext;
    PrinterLookup m_printers;
    int m_number = 1000;
    int m_component = 1;
};

} // namespace Tickets

namespace Tickets {

// The print calls after the walk: at the counter the receipt (with the card steps), and the
// tickets alone when the till prints them itself. Failures are logged and never reach the
// order operation.
class TicketPrinting
{
public:
    TicketPrinting(SaleContext &context, OrderEntry &order, const OrderEntry::TicketContext &ticketContext);
    void print();

private:
    double totalPaid();
    void stopFailoverTimer();
    bool counterReceiptWanted() const;
    bool cardReceipt() const;
    bool ticketsAloneWanted() const;
    void documentReceipt(const Variant &tickets, double paid);
    void ticketsAlone(double paid);
    void plainReceipt(double paid);
    void record(const QString &kind, double paid);
    void dispatch(const QString &kind, const Variant &tickets, const Variant &sale, const Variant &taxes);
    void guarded(const char *what, const std::function<void()> &step);

    SaleContext &m_context;
    OrderEntry &m_order;
    const OrderEntry::TicketContext &m_ticketContext;
};

} // namespace Tickets
