#pragma once

#include "qub_movrela_db.h"

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

#include <memory>

// The next-number service: running numbers kept in NOVOCODIGO (CDCONTADOR key, NRSEQUENCIAL
// digits as text), drawn on a session of its own and committed there, so a number once handed
// out stays taken even when the caller's transaction is rolled back. A draw is one atomic
// UPDATE ... RETURNING (a missing row is created race-free first), so tills sharing one base,
// and processes sharing one SQLite file, never get the same number twice.
//
// SQLite has one writer per file: while this thread's data module holds a transaction on the
// base, the counter row can only be written inside it. The number is then also recorded in a
// ledger file beside the base ("<base>-numeros", its own session, committed at once) before it
// is handed out, and every draw starts above the ledger: a rollback or a crash never gives a
// number again.
//
// Example:
//   const NextNumber n = Qub_proximocodigo::TdtmQubProxCodigo().PrxVendaVista(cdFilial, cdCaixa);
//   if (!n.ok())
//       return Variant::failure(n.error());
//   ... n.text() ...
// or, where the answer goes straight back to the caller: `return ....PrxVendaVista(...).answer();`
namespace Qub_proximocodigo {

// The answer of a draw: a number, or why there is none. A failure is never a number: text()
// and value() of a failure are empty / 0 and log the misuse.
class NextNumber
{
public:
    static NextNumber number(qint64 value);
    static NextNumber failure(const QString &text);

    bool ok() const { return m_ok; }
    qint64 value() const;
    QString text() const; // the digits, no leading zeros
    QString error() const { return m_error; }
    // The text of the number, or Variant::failure(error): what a server function answers.
    Variant answer() const;

private:
    bool m_ok = false;
    qint64 m_value = 0;
    QString m_error;
};

// Dates inside counter keys: the short date of the till ("dd/mm/yyyy").
QString keyDate(const QDate &date);

// A service is made per request, as callers do; its session is kept for the next request of
// the same thread (opening a session on a server costs far more than a draw), and dropped
// when the connection string in force changes.
class TdtmQubProxCodigo
{
public:
    TdtmQubProxCodigo();
    ~TdtmQubProxCodigo();
    TdtmQubProxCodigo(const TdtmQubProxCodigo &) = delete;
    TdtmQubProxCodigo &operator=(const TdtmQubProxCodigo &) = delete;

    // Key "VENDACOLOMBIA" + branch + desk + prefix (the row the Colombian range keeps).
    NextNumber PrxVendaColombia(const QString &cdFilial, const QString &cdCaixa, const QString &prefix);
    // Key "VENDADIA" + branch + short date: the order password of the day.
    NextNumber PrxVendaDia(const QString &cdFilial, const QDateTime &date);
    NextNumber PrxVendaConsumidor(const QString &cdFilial, const QString &cdCaixa);
    NextNumber PrxVendaVista(const QString &cdFilial, const QString &cdCaixa);
    NextNumber PrxNumeroNFCe(const QString &cdFilial, const QString &cdSerieNFCe, const QString &idTpAmbNFCe);
    NextNumber PrxDocNFiscEcf(const QString &nrSerieEcf);
    NextNumber PrxItComandaVen(const QString &cdFilial);
    NextNumber PrxMovFidelidade(const QString &code, int count);
    // These two reserve `count` consecutive numbers and answer the first.
    NextNumber PrxMovCaixa(const QString &cdFilial, const QString &cdCaixa, const QDateTime &dtAberCaix, int count);
    NextNumber PrxItemComanda(const QString &cdFilial, const QString &nrComanda, int count);

    // Reserves `count` numbers of the counter `key` (created at 0 when missing) and answers
    // the first. The stored text keeps its width ("0009" becomes "0010").
    NextNumber draw(const QString &key, int count = 1);

    // Sets the counter `key` to `value` (a step undone, a range start) or deletes it (a daily
    // counter restarted): empty, or Variant::failure. Like a draw, outside the caller's
    // transaction where the base allows it.
    Variant store(const QString &key, const QString &value);
    Variant forget(const QString &key);

    // The service's own session on the base.
    Qub_movrela::DbConnection &connection();

    struct Sessions;

private:
    Qub_movrela::DbConnection *transactionHolder();
    Qub_movrela::DbConnection *ledger();
    qint64 advance(Qub_movrela::DbConnection &session, const QString &key, int count, qint64 floor, QString *error);
    NextNumber drawOnce(const QString &key, int count, bool *retry);
    NextNumber change(const QString &key, const QString *value);

    std::unique_ptr<Sessions> m_sessions;
};

// Closes the session kept for this thread's next request (tests, before dropping a base).
void releaseIdleSession();

} // namespace Qub_proximocodigo
