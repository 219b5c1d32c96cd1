#include "tablesales.h"

#include "hostdatabase.h"

#include <outside/consiste.h>
#include <outside/qub_proximocodigo.h>

#include <QDebug>

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

// The place's row in ABERTURAVENDAREST, made when missing and then written, so that this
// transaction holds its row lock until it ends: a second till opening the same place waits
// here, and then reads the sale the first one opened. (A SQLite transaction holds the base's
// one write lock from its start, which serialises the same steps.)
const char *createPlaceLock =
    "INSERT INTO ABERTURAVENDAREST (CDFILIAL, CDLOJA, DSLOCAL, DTHRULTABER) "
    "VALUES (:P_CDFILIAL, :P_CDLOJA, :P_DSLOCAL, :P_DTHRULTABER) ON CONFLICT (CDFILIAL, CDLOJA, DSLOCAL) DO NOTHING";
const char *takePlaceLock =
    "UPDATE ABERTURAVENDAREST SET DTHRULTABER = :P_DTHRULTABER "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA AND DSLOCAL = :P_DSLOCAL";

QString errorOf(Qub_movrela::DbConnection &db)
{
    return Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
}

Qub_movrela::Params findKey(const Place &place, const OpenSale &sale)
{
    Qub_movrela::Params key{{QStringLiteral("P_CDFILIAL"), place.CDFILIAL}, {QStringLiteral("P_CDLOJA"), place.CDLOJA}};
    key.append(isTable(place) ? Qub_movrela::Param{QStringLiteral("P_NRMESA"), sale.NRMESA}
                              : Qub_movrela::Param{QStringLiteral("P_DSCOMANDA"), sale.DSCOMANDA});
    return key;
}

// The open sale of the place on `db`: true with its numbers in `sale` when there is one.
bool findOpen(Qub_movrela::DbConnection &db, const Place &place, OpenSale &sale, QString *error)
{
    Qub_movrela::QueryRows found;
    if (!db.execute(QStringLiteral("host openSale"), QString::fromLatin1(isTable(place) ? findByTable : findByTab),
                    findKey(place, sale), &found)) {
        *error = errorOf(db);
        return false;
    }
    if (found.rows.isEmpty())
        return false;
    sale.NRVENDAREST = found.rows.first().value(0).toString();
    sale.NRCOMANDA = found.rows.first().value(1).toString();
    return true;
}

bool lockPlace(Qub_movrela::DbConnection &db, const Place &place, const OpenSale &sale, const QDateTime &now)
{
    const Qub_movrela::Params key{
        {QStringLiteral("P_CDFILIAL"), place.CDFILIAL}, {QStringLiteral("P_CDLOJA"), place.CDLOJA},
        {QStringLiteral("P_DSLOCAL"), (isTable(place) ? QStringLiteral("M:") + sale.NRMESA : QStringLiteral("C:") + sale.DSCOMANDA)},
        {QStringLiteral("P_DTHRULTABER"), now}};
    return db.execute(QStringLiteral("host lockPlace"), QString::fromLatin1(createPlaceLock), key)
        && db.execute(QStringLiteral("host lockPlace"), QString::fromLatin1(takePlaceLock), key);
}

QString insert(Qub_movrela::DbConnection &db, const Place &place, const OpenSale &sale, const QDateTime &now)
{
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
        || !db.execute(QStringLiteral("host insComandaVen"), QString::fromLatin1(insertTab), tabRow))
        return errorOf(db);
    return QString();
}

// Finding the open sale and opening one when there is none are one step under the place's
// lock, and the sale and its tab stand or fall together.
OpenSale findOrOpenLocked(const Place &place, OpenSale sale, const QDateTime &now)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    if (!db.begin())
        return failed(errorOf(db));
    QString error;
    if (!lockPlace(db, place, sale, now)) {
        error = errorOf(db);
        db.rollback();
        return failed(error);
    }
    const bool found = findOpen(db, place, sale, &error);
    if (!found && error.isEmpty()) {
        sale = drawNumbers(place, sale);
        error = sale.ok() ? insert(db, place, sale, now) : sale.error;
    }
    if (!error.isEmpty()) {
        db.rollback();
        return failed(error);
    }
    if (!db.commit())
        return failed(errorOf(db));
    sale.opened = !found;
    return sale;
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
    // Most calls find the sale already open, without taking any lock.
    QString error;
    if (findOpen(HostDatabase::session(), place, sale, &error))
        return sale;
    if (!error.isEmpty())
        return failed(error);
    const OpenSale opened = findOrOpenLocked(place, sale, now);
    // The server ended the session half-way (a restart at rush hour): the transaction went
    // with it whole, or its commit went through unanswered. Made once more on a fresh
    // session, the step opens the sale, or finds the one that commit opened: never two.
    if (opened.ok() || !HostDatabase::session().lastError().lost)
        return opened;
    qInfo().noquote() << "TableSales: the server ended the session while the sale of" << place.number
                      << "was opened; opening it again on a fresh one";
    return findOrOpenLocked(place, sale, now);
}

} // namespace TableSales
