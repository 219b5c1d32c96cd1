#include "qub_proximocodigo.h"

#include <runtime/clock.h>

#include <QDebug>

namespace Qub_proximocodigo {

namespace {

using Qub_movrela::DbConnection;
using Qub_movrela::QueryRows;

// The value is read as a number (blank counts as 0) and written back at least as wide as it
// was, zero-filled, so a counter stored "00000000000000001000" stays twenty characters.
const QString sqliteIncrement = QStringLiteral(
    "UPDATE NOVOCODIGO SET NRSEQUENCIAL = printf('%0*d', "
    "max(length(trim(NRSEQUENCIAL)), length(CAST(trim(NRSEQUENCIAL) AS INTEGER) + :P_QTDE)), "
    "CAST(trim(NRSEQUENCIAL) AS INTEGER) + :P_QTDE) "
    "WHERE CDCONTADOR = :P_CDCONTADOR RETURNING NRSEQUENCIAL");

const QString postgresIncrement = QStringLiteral(
    "UPDATE NOVOCODIGO SET NRSEQUENCIAL = LPAD(CAST(CAST(COALESCE(NULLIF(TRIM(NRSEQUENCIAL), ''), '0') AS BIGINT) + :P_QTDE AS VARCHAR), "
    "GREATEST(LENGTH(TRIM(NRSEQUENCIAL)), LENGTH(CAST(CAST(COALESCE(NULLIF(TRIM(NRSEQUENCIAL), ''), '0') AS BIGINT) + :P_QTDE AS VARCHAR))), '0') "
    "WHERE CDCONTADOR = :P_CDCONTADOR RETURNING NRSEQUENCIAL");

const QString createCounter = QStringLiteral(
    "INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES (:P_CDCONTADOR, '0') "
    "ON CONFLICT (CDCONTADOR) DO NOTHING");

// Busy answers wait a little and try again; SQLite's own busy time-out already waited.
constexpr int attempts = 20;

} // namespace

NextNumber NextNumber::number(qint64 value)
{
    NextNumber n;
    n.m_ok = true;
    n.m_value = value;
    return n;
}

NextNumber NextNumber::failure(const QString &text)
{
    NextNumber n;
    n.m_error = text.isEmpty() ? QStringLiteral("falha sem texto ao gerar número") : text;
    return n;
}

qint64 NextNumber::value() const
{
    if (!m_ok)
        qCritical() << "NextNumber: value of a failed draw read:" << m_error;
    return m_ok ? m_value : 0;
}

QString NextNumber::text() const
{
    if (!m_ok)
        qCritical() << "NextNumber: text of a failed draw read:" << m_error;
    return m_ok ? QString::number(m_value) : QString();
}

Variant NextNumber::answer() const
{
    return m_ok ? Variant(QString::number(m_value)) : Variant::failure(m_error);
}

QString keyDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

TdtmQubProxCodigo::TdtmQubProxCodigo()
    : m_connection(QStringLiteral("adcProxCodigo"))
{
}

// SQLite has one writer per file: while this thread's data module holds the file's
// transaction open, a second session would wait for a lock that is never released, so the
// draw runs inside that transaction (a rollback then gives the number back; it is still
// never handed out twice).
DbConnection &TdtmQubProxCodigo::sessionFor()
{
    const Geralqub::ConnectionSettings settings = m_connection.settings();
    if (settings.kind == DatabaseKind::SQLite) {
        if (DbConnection *holder = DbConnection::openSqliteTransactionOn(settings.database))
            return *holder;
    }
    return m_connection;
}

NextNumber TdtmQubProxCodigo::draw(const QString &key, int count)
{
    if (count < 1)
        return NextNumber::failure(QStringLiteral("quantidade de números inválida: %1").arg(count));
    const Qub_movrela::Params params{{QStringLiteral("P_CDCONTADOR"), key}, {QStringLiteral("P_QTDE"), count}};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        DbConnection &session = sessionFor();
        const QString increment = session.kind() == DatabaseKind::SQLite ? sqliteIncrement : postgresIncrement;
        QueryRows rows;
        bool ok = session.execute(QStringLiteral("prxIncrementa"), increment, params, &rows);
        if (ok && !rows.rows.isEmpty()) {
            bool digits = false;
            const qint64 last = rows.rows.first().first().toString().trimmed().toLongLong(&digits);
            if (!digits)
                return NextNumber::failure(QStringLiteral("contador %1 não é um número").arg(key));
            return NextNumber::number(last - count + 1);
        }
        if (ok)
            ok = session.execute(QStringLiteral("prxCria"), createCounter, {{QStringLiteral("P_CDCONTADOR"), key}});
        if (ok)
            continue;
        if (!session.lastError().retryable())
            return NextNumber::failure(Qub_movrela::ADOExceptionMessage(session.lastError(), session, QString()));
        Clock::sleep(5 * (attempt + 1));
    }
    return NextNumber::failure(Qub_movrela::ADOExceptionMessage(m_connection.lastError(), m_connection, QString()));
}

NextNumber TdtmQubProxCodigo::PrxVendaColombia(const QString &cdFilial, const QString &cdCaixa, const QString &prefix)
{
    return draw(QStringLiteral("VENDACOLOMBIA") + cdFilial + cdCaixa + prefix);
}

NextNumber TdtmQubProxCodigo::PrxVendaDia(const QString &cdFilial, const QDateTime &date)
{
    return draw(QStringLiteral("VENDADIA") + cdFilial + keyDate(date.date()));
}

NextNumber TdtmQubProxCodigo::PrxVendaConsumidor(const QString &cdFilial, const QString &cdCaixa)
{
    return draw(QStringLiteral("PRXVENDACONSUMIDOR") + cdFilial + cdCaixa);
}

NextNumber TdtmQubProxCodigo::PrxVendaVista(const QString &cdFilial, const QString &cdCaixa)
{
    return draw(QStringLiteral("PRXVENDAVISTA") + cdFilial + cdCaixa);
}

NextNumber TdtmQubProxCodigo::PrxNumeroNFCe(const QString &cdFilial, const QString &cdSerieNFCe, const QString &idTpAmbNFCe)
{
    return draw(QStringLiteral("PRXNFCE") + cdFilial + cdSerieNFCe + QStringLiteral("_AMB") + idTpAmbNFCe);
}

NextNumber TdtmQubProxCodigo::PrxDocNFiscEcf(const QString &nrSerieEcf)
{
    return draw(QStringLiteral("PRXDOCNFISCECF") + nrSerieEcf);
}

NextNumber TdtmQubProxCodigo::PrxItComandaVen(const QString &cdFilial)
{
    return draw(QStringLiteral("PRXITCOMANDAVEN") + cdFilial);
}

NextNumber TdtmQubProxCodigo::PrxMovFidelidade(const QString &code, int count)
{
    return draw(QStringLiteral("PRXMOVFIDELIDADE") + code, count);
}

NextNumber TdtmQubProxCodigo::PrxMovCaixa(const QString &cdFilial, const QString &cdCaixa, const QDateTime &dtAberCaix, int count)
{
    const QString opened = keyDate(dtAberCaix.date()) + dtAberCaix.time().toString(QStringLiteral(" hh:mm:ss"));
    return draw(QStringLiteral("PRXMOVCAIXA") + cdFilial + cdCaixa + opened, count);
}

NextNumber TdtmQubProxCodigo::PrxItemComanda(const QString &cdFilial, const QString &nrComanda, int count)
{
    return draw(QStringLiteral("PRXITEMCOMANDA") + cdFilial + nrComanda, count);
}

} // namespace Qub_proximocodigo
