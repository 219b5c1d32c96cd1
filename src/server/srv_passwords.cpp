#include "srv_passwords.h"

#include "servercall.h"

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

namespace Srv_Kal51000 {

Variant getSenhaCupom(const QString &CDFILIAL, const QDateTime &date)
{
    return TdtmQubProxCodigo().PrxVendaDia(CDFILIAL, date).answer();
}

Variant getSenhaRandonExist(const QString &CDFILIAL, const QString &, const QString &CDSENHAPED)
{
    const QDateTime dayStart(Clock::now().date(), QTime(0, 0));
    const Variant found = ServerCall().value(adqSenhaRandom, {{"P_CDFILIAL", CDFILIAL}, {"P_CDSENHAPED", CDSENHAPED},
                                                              {"P_DTINICIO", dayStart}, {"P_DTFIM", dayStart.addDays(1)}},
                                             "IDEXISTE");
    return found.isFailure() ? found : Variant(!found.isBlank());
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
