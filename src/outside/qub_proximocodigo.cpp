#include "qub_proximocodigo.h"

#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QDebug>

namespace Qub_proximocodigo {

namespace {

using Qub_movrela::DbConnection;
using Qub_movrela::QueryRows;

// The value is read as a number (blank counts as 0), raised to the floor the ledger keeps
// (below), advanced, and written back at least as wide as it was, zero-filled, so a counter
// stored "00000000000000001000" stays twenty characters.
const QString sqliteIncrement = QStringLiteral(
    "UPDATE NOVOCODIGO SET NRSEQUENCIAL = printf('%0*d', "
    "max(length(trim(NRSEQUENCIAL)), length(max(CAST(trim(NRSEQUENCIAL) AS INTEGER), :P_PISO) + :P_QTDE)), "
    "max(CAST(trim(NRSEQUENCIAL) AS INTEGER), :P_PISO) + :P_QTDE) "
    "WHERE CDCONTADOR = :P_CDCONTADOR RETURNING NRSEQUENCIAL");

const QString postgresIncrement = QStringLiteral(
    "UPDATE NOVOCODIGO SET NRSEQUENCIAL = LPAD(CAST(GREATEST(CAST(COALESCE(NULLIF(TRIM(NRSEQUENCIAL), ''), '0') AS BIGINT), :P_PISO) + :P_QTDE AS VARCHAR), "
    "GREATEST(LENGTH(TRIM(NRSEQUENCIAL)), LENGTH(CAST(GREATEST(CAST(COALESCE(NULLIF(TRIM(NRSEQUENCIAL), ''), '0') AS BIGINT), :P_PISO) + :P_QTDE AS VARCHAR))), '0') "
    "WHERE CDCONTADOR = :P_CDCONTADOR RETURNING NRSEQUENCIAL");

const QString createCounter = QStringLiteral(
    "INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES (:P_CDCONTADOR, '0') "
    "ON CONFLICT (CDCONTADOR) DO NOTHING");
const QString storeCounter = QStringLiteral(
    "UPDATE NOVOCODIGO SET NRSEQUENCIAL = :P_NRSEQUENCIAL WHERE CDCONTADOR = :P_CDCONTADOR");
const QString deleteCounter = QStringLiteral("DELETE FROM NOVOCODIGO WHERE CDCONTADOR = :P_CDCONTADOR");

// The ledger of a SQLite base: a file of its own beside the base, so that it commits while
// this till's data module holds the base's only write lock. It keeps, per counter, the last
// number handed out by a draw made inside such a transaction; every draw starts above it, so
// a rollback of that transaction (or a crash before its commit) never gives the number again.
const QString ledgerTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS NUMEROENTREGUE (CDCONTADOR VARCHAR(100) NOT NULL PRIMARY KEY, "
    "NRULTIMO BIGINT NOT NULL)");
const QString ledgerRead = QStringLiteral("SELECT NRULTIMO FROM NUMEROENTREGUE WHERE CDCONTADOR = :P_CDCONTADOR");
const QString ledgerRecord = QStringLiteral(
    "INSERT INTO NUMEROENTREGUE (CDCONTADOR, NRULTIMO) VALUES (:P_CDCONTADOR, :P_NRULTIMO) "
    "ON CONFLICT (CDCONTADOR) DO UPDATE SET NRULTIMO = max(NRULTIMO, excluded.NRULTIMO)");
// Once the base itself holds a number at least as high, the entry has done its work.
const QString ledgerSettle = QStringLiteral(
    "DELETE FROM NUMEROENTREGUE WHERE CDCONTADOR = :P_CDCONTADOR AND NRULTIMO <= :P_NRULTIMO");
const QString ledgerStore = QStringLiteral(
    "UPDATE NUMEROENTREGUE SET NRULTIMO = :P_NRULTIMO WHERE CDCONTADOR = :P_CDCONTADOR");
const QString ledgerForget = QStringLiteral("DELETE FROM NUMEROENTREGUE WHERE CDCONTADOR = :P_CDCONTADOR");

QString ledgerFile(const QString &database)
{
    return database + QStringLiteral("-numeros");
}

// Busy answers wait a little and try again; SQLite's own busy time-out already waited.
constexpr int attempts = 20;

NextNumber failureOf(const DbConnection &session)
{
    return NextNumber::failure(Qub_movrela::ADOExceptionMessage(session.lastError(), session, QString()));
}

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
    return PtBr::DateToStr(date); // the machine's short date, as the keys were always written
}

struct TdtmQubProxCodigo::Sessions
{
    DbConnection base{QStringLiteral("adcProxCodigo")};
    DbConnection ledger{QStringLiteral("adcProxCodigoLedger")};
    bool ledgerReady = false;
};

thread_local std::unique_ptr<TdtmQubProxCodigo::Sessions> idleSessions;

TdtmQubProxCodigo::TdtmQubProxCodigo()
    : m_sessions(idleSessions ? std::move(idleSessions) : std::make_unique<Sessions>())
{
}

TdtmQubProxCodigo::~TdtmQubProxCodigo()
{
    if (m_sessions->base.isOpen() && !m_sessions->base.inTransaction())
        idleSessions = std::move(m_sessions);
}

void releaseIdleSession()
{
    idleSessions.reset();
}

DbConnection &TdtmQubProxCodigo::connection()
{
    return m_sessions->base;
}

// SQLite has one writer per file: while this thread holds a transaction open on the file, a
// second session would wait for a lock that is never released, so the counter row is written
// inside that transaction and the ledger keeps the number safe from its rollback.
DbConnection *TdtmQubProxCodigo::transactionHolder()
{
    m_sessions->base.closeIfStale();
    const Geralqub::ConnectionSettings settings = m_sessions->base.settings();
    if (settings.kind != DatabaseKind::SQLite)
        return nullptr;
    return DbConnection::openSqliteTransactionOn(settings.database);
}

DbConnection *TdtmQubProxCodigo::ledger()
{
    const Geralqub::ConnectionSettings settings = m_sessions->base.settings();
    if (settings.kind != DatabaseKind::SQLite)
        return nullptr;
    DbConnection &ledger = m_sessions->ledger;
    const QString wanted = Geralqub::sqliteConnectionString(ledgerFile(settings.database));
    if (ledger.settings().database != ledgerFile(settings.database) || !ledger.isOpen()) {
        ledger.close();
        ledger.useConnectionString(wanted);
        m_sessions->ledgerReady = false;
    }
    if (!m_sessions->ledgerReady)
        m_sessions->ledgerReady = ledger.execute(QStringLiteral("prxLivro"), ledgerTable, {});
    return &ledger;
}

// Advances the row of `key` on `session` from at least `floor`: the last number reserved, or
// 0 with the session's error.
qint64 TdtmQubProxCodigo::advance(DbConnection &session, const QString &key, int count, qint64 floor, QString *error)
{
    const Qub_movrela::Params params{{QStringLiteral("P_CDCONTADOR"), key}, {QStringLiteral("P_QTDE"), count},
                                     {QStringLiteral("P_PISO"), floor}};
    const QString increment = session.kind() == DatabaseKind::SQLite ? sqliteIncrement : postgresIncrement;
    for (int pass = 0; pass < 2; ++pass) {
        QueryRows rows;
        if (!session.execute(QStringLiteral("prxIncrementa"), increment, params, &rows))
            return 0;
        if (!rows.rows.isEmpty()) {
            bool digits = false;
            const qint64 last = rows.rows.first().first().toString().trimmed().toLongLong(&digits);
            if (!digits)
                *error = QStringLiteral("contador %1 não é um número").arg(key);
            return digits ? last : 0;
        }
        if (!session.execute(QStringLiteral("prxCria"), createCounter, {{QStringLiteral("P_CDCONTADOR"), key}}))
            return 0;
    }
    *error = QStringLiteral("contador %1 não pôde ser criado").arg(key);
    return 0;
}

// The last number the ledger of `key` holds (0: none), or -1 with the ledger's error.
static qint64 ledgerFloor(DbConnection &ledger, const QString &key)
{
    QueryRows rows;
    if (!ledger.execute(QStringLiteral("prxLivroLe"), ledgerRead, {{QStringLiteral("P_CDCONTADOR"), key}}, &rows))
        return -1;
    return rows.rows.isEmpty() ? 0 : rows.rows.first().first().toLongLong();
}

NextNumber TdtmQubProxCodigo::drawOnce(const QString &key, int count, bool *retry)
{
    *retry = false;
    QString error;
    DbConnection *ledgerSession = ledger();
    const auto ledgerFailure = [&] {
        *retry = ledgerSession->lastError().retryable();
        return failureOf(*ledgerSession);
    };
    if (ledgerSession && !m_sessions->ledgerReady)
        return ledgerFailure();
    if (DbConnection *holder = transactionHolder()) {
        const qint64 floor = ledgerFloor(*ledgerSession, key);
        if (floor < 0)
            return ledgerFailure();
        const qint64 last = advance(*holder, key, count, floor, &error);
        if (!error.isEmpty())
            return NextNumber::failure(error);
        if (last == 0)
            return failureOf(*holder);
        // Only a number the ledger holds may leave here: the holder may still roll back. (A
        // draw tried again after a busy ledger advances once more: a gap, never a duplicate.)
        if (!ledgerSession->execute(QStringLiteral("prxLivroGrava"), ledgerRecord,
                                    {{QStringLiteral("P_CDCONTADOR"), key}, {QStringLiteral("P_NRULTIMO"), last}}))
            return ledgerFailure();
        return NextNumber::number(last - count + 1);
    }
    DbConnection &session = m_sessions->base;
    // On SQLite the ledger is read under the base's write lock, so no draw inside another
    // session's transaction can slip in between.
    if (ledgerSession && !session.begin()) {
        *retry = session.lastError().retryable();
        return failureOf(session);
    }
    const qint64 floor = ledgerSession ? ledgerFloor(*ledgerSession, key) : 0;
    if (floor < 0) {
        session.rollback();
        return ledgerFailure();
    }
    const qint64 last = advance(session, key, count, floor, &error);
    if (last == 0 || !error.isEmpty()) {
        const NextNumber failed = error.isEmpty() ? failureOf(session) : NextNumber::failure(error);
        *retry = error.isEmpty() && session.lastError().retryable();
        session.rollback();
        return failed;
    }
    if (ledgerSession) {
        if (!session.commit()) {
            *retry = session.lastError().retryable();
            return failureOf(session);
        }
    }
    if (floor > 0) {
        ledgerSession->execute(QStringLiteral("prxLivroAcerta"), ledgerSettle,
                               {{QStringLiteral("P_CDCONTADOR"), key}, {QStringLiteral("P_NRULTIMO"), last}});
    }
    return NextNumber::number(last - count + 1);
}

NextNumber TdtmQubProxCodigo::draw(const QString &key, int count)
{
    if (count < 1)
        return NextNumber::failure(QStringLiteral("quantidade de números inválida: %1").arg(count));
    bool reconnected = false;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        bool retry = false;
        const NextNumber n = drawOnce(key, count, &retry);
        if (n.ok())
            return n;
        // The server ended the session before or during the draw (a session kept from an
        // earlier request, a kill or restart while it ran, or while it connected): the draw is
        // made again on a fresh session, at once the first time, then after a pause, as long
        // as the attempts last. The row's UPDATE either ran whole or not at all, so a repeated
        // draw can leave a gap, never a duplicate. A server that refuses to connect is not
        // waited for.
        const bool lost = m_sessions->base.lastError().lost && !m_sessions->base.inTransaction();
        if (!retry && !lost)
            return n;
        if (lost && !reconnected) {
            reconnected = true;
            continue;
        }
        Clock::sleep(5 * (attempt + 1));
    }
    return failureOf(m_sessions->base);
}

// Sets or removes a counter on the session that may write it now (see transactionHolder),
// and keeps the ledger in step, so a counter set back on purpose is not raised again by it.
NextNumber TdtmQubProxCodigo::change(const QString &key, const QString *value)
{
    DbConnection *holder = transactionHolder();
    DbConnection &session = holder ? *holder : m_sessions->base;
    const Qub_movrela::Param keyParam{QStringLiteral("P_CDCONTADOR"), key};
    const bool written = value
        ? session.execute(QStringLiteral("prxGrava"), storeCounter, {keyParam, {QStringLiteral("P_NRSEQUENCIAL"), *value}})
        : session.execute(QStringLiteral("acmApagaNovoCodigo"), deleteCounter, {keyParam});
    if (!written)
        return failureOf(session);
    DbConnection *ledgerSession = ledger();
    if (!ledgerSession)
        return NextNumber::number(0);
    const bool kept = m_sessions->ledgerReady
        && (value ? ledgerSession->execute(QStringLiteral("prxLivroGrava"), ledgerStore,
                                           {keyParam, {QStringLiteral("P_NRULTIMO"), value->trimmed().toLongLong()}})
                  : ledgerSession->execute(QStringLiteral("prxLivroApaga"), ledgerForget, {keyParam}));
    return kept ? NextNumber::number(0) : failureOf(*ledgerSession);
}

Variant TdtmQubProxCodigo::store(const QString &key, const QString &value)
{
    const NextNumber done = change(key, &value);
    return done.ok() ? Variant() : Variant::failure(done.error());
}

Variant TdtmQubProxCodigo::forget(const QString &key)
{
    const NextNumber done = change(key, nullptr);
    return done.ok() ? Variant() : Variant::failure(done.error());
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
