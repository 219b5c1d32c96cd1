#include "tablesales.h"

#include "hostdatabase.h"

#include <outside/consiste.h>
#include <outside/qub_proximocodigo.h>

namespace TableSales {

namespace {

const char *findByTable =
    "SELECT V.NRVENDAREST, C.NRCOMANDA, C.DSCOMANDA FROM VENDAREST V JOIN COMANDAVEN C "
    "ON C.CDFILIAL = V.CDFILIAL AND C.NRVENDAREST = V.NRVENDAREST "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA AND V.NRMESA = :P_NRMESA "
    "AND V.DTHRFECHMESA IS NULL AND COALESCE(C.IDSTCOMANDA, ' ') <> '4' ORDER BY V.DTHRABERMESA, C.NRCOMANDA";
const char *findByTab =
    "SELECT V.NRVENDAREST, C.NRCOMANDA, C.DSCOMANDA FROM VENDAREST V JOIN COMANDAVEN C "
    "ON C.CDFILIAL = V.CDFILIAL AND C.NRVENDAREST = V.NRVENDAREST "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA AND C.DSCOMANDA = :P_DSCOMANDA "
    "AND V.DTHRFECHMESA IS NULL AND COALESCE(C.IDSTCOMANDA, ' ') <> '4' ORDER BY V.DTHRABERMESA, C.NRCOMANDA";
const char *insertSale =
    "INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, NRMESA, CDCLIENTE, NRPESMESAVEN, DTHRABERMESA) "
    "VALUES (:P_CDFILIAL, :P_CDLOJA, :P_NRVENDAREST, :P_NRMESA, :P_CDCLIENTE, 1, :P_DTHRABERMESA)";
const char *insertTab =
    "INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA, IDSTCOMANDA, VRDESCOMANDA, "
    "VRCOMISVENDE, VRACRCOMANDA) VALUES (:P_CDFILIAL, :P_NRVENDAREST, :P_NRCOMANDA, :P_CDLOJA, :P_DSCOMANDA, "
    "'1', 0, 0, 0)";

bool isTable(const Place &place)
{
    return place.mode == QLatin1String("M");
}

OpenSale failed(const QString &text)
{
    OpenSale sale;
    sale.error = text;
    return sale;
}

// The sale and tab numbers come from the shared next-number service, so that tills sharing a
// base never open two sales under one number.
OpenSale drawNumbers(const Place &place, OpenSale sale)
{
    Qub_proximocodigo::TdtmQubProxCodigo service;
    const Qub_proximocodigo::NextNumber saleNumber = service.draw(QStringLiteral("VENDAREST") + place.CDFILIAL);
    if (!saleNumber.ok())
        return failed(saleNumber.error());
    const Qub_proximocodigo::NextNumber tabNumber = service.draw(QStringLiteral("COMANDAVEN") + place.CDFILIAL);
    if (!tabNumber.ok())
        return failed(tabNumber.error());
    sale.NRVENDAREST = saleNumber.text();
    sale.NRCOMANDA = tabNumber.text();
    return sale;
}

// The sale and its tab stand or fall together.
QString insert(const Place &place, const OpenSale &sale, const QDateTime &now)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    if (!db.begin())
        return Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
    const Qub_movrela::Params saleRow{
        {QStringLiteral("P_CDFILIAL"), place.CDFILIAL}, {QStringLiteral("P_CDLOJA"), place.CDLOJA},
        {QStringLiteral("P_NRVENDAREST"), sale.NRVENDAREST},
        {QStringLiteral("P_NRMESA"), sale.NRMESA.isEmpty() ? Variant::null() : Variant(sale.NRMESA)},
        {QStringLiteral("P_CDCLIENTE"), place.CDCLIENTE}, {QStringLiteral("P_DTHRABERMESA"), now}};
    const Qub_movrela::Params tabRow{
        {QStringLiteral("P_CDFILIAL"), place.CDFILIAL}, {QStringLiteral("P_NRVENDAREST"), sale.NRVENDAREST},
        {QStringLiteral("P_NRCOMANDA"), sale.NRCOMANDA}, {QStringLiteral("P_CDLOJA"), place.CDLOJA},
        {QStringLiteral("P_DSCOMANDA"), sale.DSCOMANDA}};
    if (!db.execute(QStringLiteral("host insVendaRest"), QString::fromLatin1(insertSale), saleRow)
        || !db.execute(QStringLiteral("host insComandaVen"), QString::fromLatin1(insertTab), tabRow) || !db.commit()) {
        const QString error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        db.rollback();
        return error;
    }
    return QString();
}

} // namespace

QString tabText(const QString &mode, const QString &number)
{
    return mode == QLatin1String("D") ? QStringLiteral("DLV_") + number : number;
}

OpenSale findOrOpen(const Place &place, const QDateTime &now)
{
    if (place.number.trimmed().isEmpty())
        return failed(QStringLiteral("número da mesa ou comanda vazio"));
    OpenSale sale;
    // The screen pads the table to four digits; the sale is kept under the same text.
    sale.NRMESA = isTable(place) ? Consiste::Ajusta(place.number.trimmed(), 4) : QString();
    // A table's tab carries the label the sale screen looks the table's tabs up by ("PKR_").
    sale.DSCOMANDA = isTable(place) ? QStringLiteral("PKR_") + sale.NRMESA : tabText(place.mode, place.number.trimmed());
    Qub_movrela::Params key{{QStringLiteral("P_CDFILIAL"), place.CDFILIAL}, {QStringLiteral("P_CDLOJA"), place.CDLOJA}};
    key.append(isTable(place) ? Qub_movrela::Param{QStringLiteral("P_NRMESA"), sale.NRMESA}
                              : Qub_movrela::Param{QStringLiteral("P_DSCOMANDA"), sale.DSCOMANDA});
    const HostDatabase::Rows found = HostDatabase::query(QStringLiteral("host openSale"),
                                                         QString::fromLatin1(isTable(place) ? findByTable : findByTab), key);
    if (!found.ok())
        return failed(found.error);
    if (!found.rows.isEmpty()) {
        sale.NRVENDAREST = found.rows.first().value(0).toString();
        sale.NRCOMANDA = found.rows.first().value(1).toString();
        return sale;
    }
    sale = drawNumbers(place, sale);
    if (!sale.ok())
        return sale;
    if (const QString error = insert(place, sale, now); !error.isEmpty())
        return failed(error);
    sale.opened = true;
    return sale;
}

} // namespace TableSales
