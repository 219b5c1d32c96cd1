// Which printers a production ticket goes to: the store row of the product, else the room's
// printer, else the till's own printers; and the address of each printer that has a backup.
#include "tickets.h"

#include <sale/salestate_parameters.h>

#include <runtime/clientdataset.h>

#include <utility>

namespace Tickets {

namespace {

// A column the lookup file may lack reads as empty text.
QString textOf(const ClientDataSet &dataset, const char *field)
{
    return dataset.FindField(QString::fromLatin1(field)).AsString();
}

QString orElse(const QString &value, const QString &fallback)
{
    return value.isEmpty() ? fallback : value;
}

bool locate(ClientDataSet &dataset, const QString &fields, const QList<Variant> &keys,
            LocateOptions options)
{
    return dataset.Active() && dataset.Locate(fields, Variant(keys), options);
}

} // namespace

TillPrinters TillPrinters::of(const Parameters &params)
{
    TillPrinters till;
    till.primaryPort = params.stCDPORTIMPNF1;
    till.primaryModel = params.stIDTIPOIMPNF1;
    till.secondaryPort = params.stCDPORTAIMPNF5;
    till.secondaryModel = params.stIDTIPOIMPNF5;
    till.pullPort = params.stCDPORTIMPNF2;
    till.pullModel = params.stIDTIPOIMPNF2;
    till.primarySequence = params.stNRSEQIMPRLOJA1;
    till.secondarySequence = params.stNRSEQIMPRLOJA2;
    till.pullSequence = params.stNRSEQIMPRLOJA5;
    return till;
}

PrinterLookup::PrinterLookup(ClientDataSet &stores, ClientDataSet &rooms, ClientDataSet &backups,
                             TillPrinters till, QString room)
    : m_stores(stores)
    , m_rooms(rooms)
    , m_backups(backups)
    , m_till(std::move(till))
    , m_room(std::move(room))
{
}

bool PrinterLookup::hasStoreRow(const QString &store, const QString &product)
{
    return locate(m_stores, QStringLiteral("CDLOJA;CDPRODUTO"), {store, product}, loCaseInsensitive);
}

std::optional<PrinterChoice> PrinterLookup::choose(const QString &store, const QString &product)
{
    if (!hasStoreRow(store, product))
        return std::nullopt;
    const RoomPrinter room = roomPrinter(product);
    const ClientDataSet &row = m_stores;
    PrinterChoice choice;
    choice.CDARVPROD = textOf(row, "CDARVPROD");
    choice.CDPRODUTO = textOf(row, "CDPRODUTO");
    choice.IDIMPRODUVEZ = textOf(row, "IDIMPRODUVEZ");
    choice.storeModel = textOf(row, "MODELOPROD");
    choice.storeModel2 = textOf(row, "MODELOPROD2");
    choice.roomModel = room.model;

    choice.CDPORIMPPROD = orElse(orElse(textOf(row, "CDPORIMPPROD"), room.port), m_till.primaryPort);
    choice.IDMODEIMPRES = orElse(orElse(choice.storeModel, room.model), m_till.primaryModel);
    choice.CDPORIMPPROD2 = orElse(textOf(row, "CDPORIMPPROD2"), m_till.secondaryPort);
    choice.IDMODEIMPRES2 = orElse(choice.storeModel2, m_till.secondaryModel);
    // The till's second sequence set means its pull printer serves every product.
    const bool tillPull = !m_till.secondarySequence.isEmpty();
    choice.PORTAPUXA = tillPull ? m_till.pullPort : textOf(row, "PORTAPUXA");
    choice.MODELOPUXA = tillPull ? m_till.pullModel : textOf(row, "MODELOPUXA");

    // The sequences pair as the till's parameters do (printer 2 with the secondary, 5 with
    // the pull printer), although the defaults of the ports pair the other way round.
    const QString primary = orElse(orElse(textOf(row, "NRSEQIMPRPROD"), room.sequence), m_till.primarySequence);
    const QString secondary = orElse(textOf(row, "NRSEQIMPRPROD2"), m_till.secondarySequence);
    const QString pull = orElse(textOf(row, "NRSEQIMPRPUXA"), m_till.pullSequence);
    choice.DSENDPORTA = backupAddress(primary);
    choice.DSENDPORTA2 = backupAddress(secondary);
    choice.DSENDPORTAPUXA = backupAddress(pull);
    return choice;
}

PrinterLookup::RoomPrinter PrinterLookup::roomPrinter(const QString &product)
{
    if (!locate(m_rooms, QStringLiteral("CDPRODUTO;CDAMBIENTE"), {product, m_room}, loCaseInsensitive))
        return {};
    return {textOf(m_rooms, "NRSEQIMPRLOJA"), textOf(m_rooms, "IDMODEIMPRES"), textOf(m_rooms, "CDPORTAIMPR")};
}

// An empty sequence names no printer, so it never takes the address of a map row whose
// sequence is blank.
QString PrinterLookup::backupAddress(const QString &sequence)
{
    if (sequence.isEmpty() || !locate(m_backups, QStringLiteral("NRSEQIMPRLOJA"), {sequence}, {}))
        return QString();
    return textOf(m_backups, "DSENDPORTA");
}

} // namespace Tickets
