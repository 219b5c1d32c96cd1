#include "srv_consumers_p.h"

#include "resultvalues.h"

#include <runtime/clock.h>
#include <runtime/money.h>

namespace {

using namespace ConsumerAccounts;

const Statement qrySeqMovExtr{"qrySeqMovExtr",
    "SELECT MAX(NRSEQMOVEXT) AS NRSEQMOVEXT FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND CDFAMILISALD = :P_CDFAMILISALD AND DTMOVEXTCONS = :P_DTMOVEXTCONS"};
const Statement adqExtratoAbertura{"adqExtratoAbertura",
    "SELECT VRSALDCONEXT FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND CDFAMILISALD = :P_CDFAMILISALD AND DTMOVEXTCONS < :P_DATA ORDER BY DTMOVEXTCONS DESC, NRSEQMOVEXT DESC LIMIT 1"};
const Statement adqExtratoEvolucao{"adqExtratoEvolucao",
    "SELECT DTMOVEXTCONS, NRSEQMOVEXT, IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT FROM EXTRATOCONS "
    "WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND CDFAMILISALD = :P_CDFAMILISALD "
    "AND DTMOVEXTCONS >= :P_DATA ORDER BY DTMOVEXTCONS, NRSEQMOVEXT"};
const Statement acmUpdSaldoExtrato{"acmUpdSaldoExtrato",
    "UPDATE EXTRATOCONS SET VRSALDCONEXT = :VRSALDCONEXT WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR "
    "AND CDFAMILISALD = :CDFAMILISALD AND DTMOVEXTCONS = :DTMOVEXTCONS AND NRSEQMOVEXT = :NRSEQMOVEXT"};
const Statement adqSaldoFamilia{"adqSaldoFamilia",
    "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND CDFAMILISALD = :P_CDFAMILISALD"};
const Statement acmUpdSaldoCons{"acmUpdSaldoCons",
    "UPDATE SALDOCONS SET VRSALDCONFAM = :VRSALDCONFAM WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR "
    "AND CDFAMILISALD = :CDFAMILISALD"};
const Statement acmInsSaldoCons{"acmInsSaldoCons",
    "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) "
    "VALUES (:CDCLIENTE, :CDCONSUMIDOR, :CDFAMILISALD, :VRSALDCONFAM)"};

Params familyKey(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD)
{
    return {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}, {"P_CDFAMILISALD", CDFAMILISALD}};
}

} // namespace

namespace ConsumerAccounts {

// The consumer's spending the limits are measured by: read by the till before an item and again
// by the save under the consumer's lock.
const Statement adqGastConsDeb{"adqGastConsDeb",
    "SELECT COALESCE(SUM(VRMOVCLI), 0) AS VALCONSUM FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND IDTIPMOCVLI = 'D' AND DTMOVIMCLIE >= :P_HOJE AND DTMOVIMCLIE < :P_AMANHA"};
const Statement adqGastConsCred{"adqGastConsCred",
    "SELECT COALESCE(SUM(VRMOVEXTCONS), 0) AS VALCONSUM FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND IDTPMOVEXT = 'V' AND DTMOVEXTCONS >= :P_HOJE AND DTMOVEXTCONS < :P_AMANHA"};
const Statement adqGtTotConsLoja{"adqGtTotConsLoja",
    "SELECT COALESCE(SUM(M.VRMOVCLI), 0) AS VRCONSUMO FROM MOVICLIE M JOIN VENDA V ON V.CDFILIAL = M.CDFILIAL "
    "AND V.CDCAIXA = M.CDCAIXA AND V.NRSEQVENDA = M.NRSEQVENDA WHERE M.CDCLIENTE = :P_CDCLIENTE "
    "AND M.CDCONSUMIDOR = :P_CDCONSUMIDOR AND V.IDSITUVENDA = 'O' AND V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA "
    "AND M.DTMOVIMCLIE >= :P_INICIO AND M.DTMOVIMCLIE < :P_FIM"};
const Statement adqGtTotCredLoja{"adqGtTotCredLoja",
    "SELECT COALESCE(SUM(E.VRMOVEXTCONS), 0) AS VRCONSUMO FROM EXTRATOCONS E JOIN VENDA V ON V.CDFILIAL = E.CDFILIAL "
    "AND V.CDCAIXA = E.CDCAIXA AND V.NRSEQVENDA = E.NRSEQVENDA WHERE E.CDCLIENTE = :P_CDCLIENTE "
    "AND E.CDCONSUMIDOR = :P_CDCONSUMIDOR AND V.IDSITUVENDA = 'O' AND V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA "
    "AND E.DTMOVEXTCONS >= :P_INICIO AND E.DTMOVEXTCONS < :P_FIM"};
const Statement adqGastoConsMes{"adqGastoConsMes",
    "SELECT COALESCE(SUM(VRMOVCLI), 0) AS VRGASTOCONSMES FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND IDTIPMOCVLI = 'D' AND DTMOVIMCLIE >= :P_INICIO AND DTMOVIMCLIE < :P_FIM"};

bool Session::run(const Statement &statement, const Params &params, Qub_movrela::QueryRows *rows)
{
    Qub_movrela::QueryRows local;
    Qub_movrela::QueryRows *target = rows ? rows : &local;
    m_rowsAffected = -1;
    if (!m_connection.execute(statement.name(), statement.text(m_connection.kind()), params, target)) {
        m_error = Qub_movrela::ADOExceptionMessage(m_connection.lastError(), m_connection, QString());
        return false;
    }
    m_rowsAffected = target->rowsAffected;
    return true;
}

bool Session::packet(const Statement &statement, const Params &params, DataPacket &out)
{
    Qub_movrela::QueryRows rows;
    if (!run(statement, params, &rows))
        return false;
    out = ResultValues::toPacket(rows);
    return true;
}

QDateTime dayStart(const QDate &day)
{
    return QDateTime(day, QTime(0, 0));
}

QDateTime lineStamp()
{
    const QDateTime now = Clock::now();
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
}

bool addsToBalance(const QString &IDTPMOVEXT)
{
    return IDTPMOVEXT == QLatin1String("C") || IDTPMOVEXT == QLatin1String("F");
}

double signedAmount(const QString &IDTPMOVEXT, double amount)
{
    return addsToBalance(IDTPMOVEXT) ? amount : -amount;
}

bool nextStatementSequence(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                           const QString &CDFAMILISALD, const QDateTime &stamp, QString &sequence)
{
    DataPacket rows;
    if (!session.packet(qrySeqMovExtr, familyKey(CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD) + Params{{"P_DTMOVEXTCONS", stamp}},
                        rows))
        return false;
    const qint64 last = rows.isEmpty() ? 0 : rows.value(0, "NRSEQMOVEXT").toString().trimmed().toLongLong();
    sequence = QString::number(last + 1).rightJustified(3, QLatin1Char('0'));
    return true;
}

bool rollForwardFamily(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                       const QString &CDFAMILISALD, const QDateTime &start)
{
    const Params key = familyKey(CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD);
    DataPacket opening, lines, stored;
    // Without a start (a consumer with no statement) every line counts from a zero opening.
    const QDateTime from = start.isValid() ? start : dayStart(QDate(1900, 1, 1));
    Params fromStart = key;
    fromStart.append({QStringLiteral("P_DATA"), from});
    if (!session.packet(adqExtratoAbertura, fromStart, opening) || !session.packet(adqExtratoEvolucao, fromStart, lines))
        return false;
    if (lines.isEmpty() && opening.isEmpty())
        return true; // nothing to carry: a balance kept without lines stays as it is
    double balance = opening.isEmpty() ? 0.0 : Money::RoundDec(money(opening.value(0, "VRSALDCONEXT")), 2);
    for (int row = 0; row < lines.rows.size(); ++row) {
        const QString kind = lines.value(row, "IDTPMOVEXT").toString();
        balance = Money::RoundDec(balance + signedAmount(kind, money(lines.value(row, "VRMOVEXTCONS"))), 2);
        const Variant carried = lines.value(row, "VRSALDCONEXT");
        if (isSet(carried) && Money::RoundDec(money(carried), 2) == balance)
            continue;
        if (!session.run(acmUpdSaldoExtrato,
                         {{"VRSALDCONEXT", balance}, {"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR},
                          {"CDFAMILISALD", CDFAMILISALD}, {"DTMOVEXTCONS", lines.value(row, "DTMOVEXTCONS")},
                          {"NRSEQMOVEXT", lines.value(row, "NRSEQMOVEXT")}}))
            return false;
    }
    if (!session.packet(adqSaldoFamilia, key, stored))
        return false;
    if (!stored.isEmpty() && Money::RoundDec(money(stored.value(0, "VRSALDCONFAM")), 2) == balance)
        return true;
    return storeFamilyBalance(session, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, balance);
}

bool storeFamilyBalance(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                        const QString &CDFAMILISALD, double balance)
{
    const Params values{{"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR}, {"CDFAMILISALD", CDFAMILISALD},
                        {"VRSALDCONFAM", Money::RoundDec(balance, 2)}};
    if (!session.run(acmUpdSaldoCons, values))
        return false;
    return session.rowsAffected() > 0 || session.run(acmInsSaldoCons, values);
}

QString missingColumn(const DataPacket &packet, const QStringList &columns)
{
    if (packet.isEmpty())
        return {};
    for (const QString &column : columns) {
        if (packet.fieldIndex(column) < 0)
            return column;
    }
    return {};
}

double money(const Variant &value)
{
    return value.isBlank() ? 0.0 : value.toDouble();
}

bool isSet(const Variant &value)
{
    return !value.isBlank() && !value.toString().trimmed().isEmpty();
}

} // namespace ConsumerAccounts
