#pragma once

#include "servercall.h"
#include "statement.h"

#include <outside/qub_movrela_db.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Shared by the consumer-account files of the server layer; not part of its interface.
namespace ConsumerAccounts {

// Runs catalogue statements on one session (the data module's, or the host's inside its save)
// and keeps the first failure's text.
class Session
{
public:
    explicit Session(Qub_movrela::DbConnection &connection) : m_connection(connection) {}

    bool run(const Statement &statement, const Params &params, Qub_movrela::QueryRows *rows = nullptr);
    // The rows as a packet; false (with error()) on failure.
    bool packet(const Statement &statement, const Params &params, DataPacket &out);
    int rowsAffected() const { return m_rowsAffected; }
    const QString &error() const { return m_error; }
    Variant failure() const { return Variant::failure(m_error); }
    DatabaseKind kind() const { return m_connection.kind(); }

private:
    Qub_movrela::DbConnection &m_connection;
    QString m_error;
    int m_rowsAffected = -1;
};

// The consumer's spending as the limits measure it (parameters P_CDCLIENTE, P_CDCONSUMIDOR and
// the period): today's debit and personal credit (P_HOJE, P_AMANHA), at one store (P_CDFILIAL,
// P_CDLOJA, P_INICIO, P_FIM), and the month's debit (P_INICIO, P_FIM).
extern const Statement adqGastConsDeb;
extern const Statement adqGastConsCred;
extern const Statement adqGtTotConsLoja;
extern const Statement adqGtTotCredLoja;
extern const Statement adqGastoConsMes;

// Midnight of `day`, and the stamp of a statement line (whole seconds: the stamp is part of
// the line's key and goes through the database as text).
QDateTime dayStart(const QDate &day);
QDateTime lineStamp();

// "C" and "F" add to a family's balance; "V", "D" and "E" take off.
bool addsToBalance(const QString &IDTPMOVEXT);
double signedAmount(const QString &IDTPMOVEXT, double amount);

// The next statement sequence of the family at `stamp`: 1 + the largest, three digits.
bool nextStatementSequence(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                           const QString &CDFAMILISALD, const QDateTime &stamp, QString &sequence);

// Recomputes the carried balance of every statement line of the family from `start` on and the
// family's SALDOCONS; lines that already agree are left alone.
bool rollForwardFamily(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                       const QString &CDFAMILISALD, const QDateTime &start);
// Writes the family's balance (updates the row, or inserts it).
bool storeFamilyBalance(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                        const QString &CDFAMILISALD, double balance);

// The first of `columns` a packet with rows lacks ("" when it has them all): a packet that
// lost a column must be refused, not read as zeros.
QString missingColumn(const DataPacket &packet, const QStringList &columns);

// The money of a column: numbers, texts with a decimal comma or point, blank as 0.
double money(const Variant &value);
// Whether the column holds a value (not null, not an empty text).
bool isSet(const Variant &value);

} // namespace ConsumerAccounts
