#include "srv_passwords.h"

#include "servercall.h"
#include "trdmvendacons.h"

#include <outside/qub_proximocodigo.h>

#include <runtime/clock.h>

using Qub_proximocodigo::TdtmQubProxCodigo;

namespace {

// Today is a range of sale dates bound from the till's clock, the same on both kinds.
const Statement adqSenhaRandom{"adqSenhaRandom",
    "SELECT 1 AS IDEXISTE FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDSENHAPED = :P_CDSENHAPED "
    "AND DTENTRVENDA >= :P_DTINICIO AND DTENTRVENDA < :P_DTFIM "
    "UNION ALL "
    "SELECT 1 AS IDEXISTE FROM ITCOMANDAVEN I JOIN VENDAREST V ON V.CDFILIAL = I.CDFILIAL "
    "AND V.NRVENDAREST = I.NRVENDAREST WHERE I.CDFILIAL = :P_CDFILIAL AND I.CDSENHAPED = :P_CDSENHAPED "
    "AND V.DTHRFECHMESA IS NULL"};

// Taking a number: the key of the reservation decides between tills drawing it at once (on
// PostgreSQL the second waits for the first's row, then finds it there).
const Statement acmInsSenhaReserva{"acmInsSenhaReserva",
    "INSERT INTO SENHAPEDRESERVA (CDFILIAL, DTSENHAPED, CDSENHAPED, CDCAIXA) "
    "VALUES (:CDFILIAL, :DTSENHAPED, :CDSENHAPED, :CDCAIXA) "
    "ON CONFLICT (CDFILIAL, DTSENHAPED, CDSENHAPED) DO NOTHING"};
const Statement adqSenhaReserva{"adqSenhaReserva",
    "SELECT CDCAIXA FROM SENHAPEDRESERVA WHERE CDFILIAL = :P_CDFILIAL AND DTSENHAPED = :P_DTSENHAPED "
    "AND CDSENHAPED = :P_CDSENHAPED"};
// The numbers of the range in use today, whatever took them, counted once each.
const Statement adqSenhasUsadas{"adqSenhasUsadas",
    "SELECT COUNT(DISTINCT U.CDSENHAPED) AS TOTAL FROM ("
    "SELECT CDSENHAPED FROM VENDA WHERE CDFILIAL = :P_CDFILIAL "
    "AND DTENTRVENDA >= :P_DTINICIO AND DTENTRVENDA < :P_DTFIM "
    "UNION ALL "
    "SELECT I.CDSENHAPED FROM ITCOMANDAVEN I JOIN VENDAREST V ON V.CDFILIAL = I.CDFILIAL "
    "AND V.NRVENDAREST = I.NRVENDAREST WHERE I.CDFILIAL = :P_CDFILIAL AND V.DTHRFECHMESA IS NULL "
    "UNION ALL "
    "SELECT CDSENHAPED FROM SENHAPEDRESERVA WHERE CDFILIAL = :P_CDFILIAL AND DTSENHAPED = :P_DTSENHAPED"
    ") U WHERE LENGTH(U.CDSENHAPED) = 5 AND U.CDSENHAPED >= :P_MENOR AND U.CDSENHAPED <= :P_MAIOR"};

QString dayKey(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString fiveWide(int number)
{
    return QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
}

Variant usedToday(ServerCall &call, const QString &CDFILIAL, const QString &CDSENHAPED)
{
    const QDateTime dayStart(Clock::now().date(), QTime(0, 0));
    const Variant found = call.value(adqSenhaRandom, {{"P_CDFILIAL", CDFILIAL}, {"P_CDSENHAPED", CDSENHAPED},
                                                      {"P_DTINICIO", dayStart}, {"P_DTFIM", dayStart.addDays(1)}},
                                     "IDEXISTE");
    return found.isFailure() ? found : Variant(!found.isBlank());
}

QDate readDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const char *format : {"dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd"}) {
        const QDate date = QDate::fromString(trimmed, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    return QDate();
}

} // namespace

namespace PagerReservation {

Variant take(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSENHAPED)
{
    ServerCall call(module);
    const Variant used = usedToday(call, CDFILIAL, CDSENHAPED);
    if (used.isFailure() || used.toBool())
        return used.isFailure() ? used : Variant(false);
    const QString day = dayKey(Clock::now().date());
    const Variant taken = call.write(acmInsSenhaReserva, {{"CDFILIAL", CDFILIAL}, {"DTSENHAPED", day},
                                                          {"CDSENHAPED", CDSENHAPED}, {"CDCAIXA", CDCAIXA}});
    if (taken.isFailure())
        return taken;
    if (call.rowsAffected() == 1)
        return Variant(true);
    // Already taken: this desk's own, for a sale it did not save, may serve again.
    const Variant holder = call.value(adqSenhaReserva, {{"P_CDFILIAL", CDFILIAL}, {"P_DTSENHAPED", day},
                                                        {"P_CDSENHAPED", CDSENHAPED}}, "CDCAIXA");
    return holder.isFailure() ? holder : Variant(holder.toString() == CDCAIXA);
}

} // namespace PagerReservation

namespace Srv_Kal51000 {

Variant getSenhaCupom(const QString &CDFILIAL, const QDateTime &date)
{
    return TdtmQubProxCodigo().PrxVendaDia(CDFILIAL, date).answer();
}

Variant getSenhaRandonExist(const QString &CDFILIAL, const QString &, const QString &CDSENHAPED)
{
    ServerCall call;
    return usedToday(call, CDFILIAL, CDSENHAPED);
}

Variant setSenhaPedReserva(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSENHAPED)
{
    return PagerReservation::take(rdmVendaCons(), CDFILIAL, CDCAIXA, CDSENHAPED);
}
 
Variant getSenhaPedLivres(const QString &CDFILIAL, int lowest, int highest)
{
    const QDate today = Clock::now().date();
    const QDateTime dayStart(today, QTime(0, 0));
    const Variant used = ServerCall().value(adqSenhasUsadas, {{"P_CDFILIAL", CDFILIAL}, {"P_DTINICIO", dayStart},
        {"P_DTFIM", dayStart.addDays(1)}, {"P_DTSENHAPED", dayKey(today)}, {"P_MENOR", fiveWide(lowest)},
        {"P_MAIOR", fiveWide(highest)}}, "TOTAL");
    return used.isFailure() ? used : Variant(qMax(0, highest - lowest + 1 - int(used.toInt())));
}

Variant ReiniciaSenhaCupom(const QString &CDFILIAL, const QString &date)
{
    const QDate day = readDate(date);
    if (!day.isValid())
        return Variant::failure(QStringLiteral("ReiniciaSenhaCupom: data inválida \"%1\"").arg(date));
    const QString key = QStringLiteral("VENDADIA") + CDFILIAL + Qub_proximocodigo::keyDate(day);
    // The counter belongs to the next-number service: it deletes it where it draws.
    return TdtmQubProxCodigo().forget(key);
}

} // namespace Srv_Kal51000
