#pragma once

#include "statement.h"
#include "trdmvendacons.h"

#include <outside/qub_movrela_db.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QString>

// The server-call convention. A server function of Srv_Kal51000 is a free function in
// src/server/srv_<area>.cpp: its statements beside it (statement.h), and a body of a few
// lines that names a statement, binds its parameters and picks one of the five result forms:
//
//   const Statement adqTipoRece{"adqTipoRece",
//       "SELECT IDTIPORECE FROM TIPORECE WHERE CDTIPORECE = :P_CDTIPORECE"};
//
//   Variant getTipoRece(const QString &CDTIPORECE)
//   {
//       return ServerCall().value(adqTipoRece, {{"P_CDTIPORECE", CDTIPORECE}}, "IDTIPORECE");
//   }
//
// Several writes that stand or fall together run in a TransactionScope:
//
//   Variant setGravaX(...)
//   {
//       ServerCall call;
//       TransactionScope transaction(call);
//       if (Variant r = call.write(acmInsA, {...}); r.isFailure())
//           return r;                    // the scope rolls back on the way out
//       if (Variant r = call.write(acmInsB, {...}); r.isFailure())
//           return r;
//       return transaction.commit();     // empty, or the failure after rolling back
//   }
//
// Failures are answers, never exceptions: a Variant form answers Variant::failure(error
// text); the error text is Qub_movrela::ADOExceptionMessage of the database's error with the
// statement's name. A lookup that finds no row is not a failure. When the server has ended
// the session (restart, kill, network cut), the call in flight fails with a "[DBNETLIB]" text
// and lastError().lost, and the next call connects afresh; a transaction open then is lost
// whole (every further statement and the commit fail until it is rolled back).
using Qub_movrela::Param;
using Qub_movrela::Params;

// The failure answer of a field-text lookup, which each function chooses.
class TextOnFailure
{
public:
    static TextOnFailure errorText() { return TextOnFailure(true, QString()); }
    static TextOnFailure answer(const QString &text) { return TextOnFailure(false, text); }

    bool usesErrorText() const { return m_errorText; }
    const QString &text() const { return m_text; }

private:
    TextOnFailure(bool errorText, const QString &text) : m_errorText(errorText), m_text(text) {}
    bool m_errorText;
    QString m_text;
};

// The answers of an existence check: most functions answer True for a row, False for none
// and False on failure; the few others say so, e.g. {.found = false, .missing = true}.
struct CheckAnswers
{
    bool found = true;
    bool missing = false;
    bool failed = false;
};

class ServerCall
{
public:
    enum class Session {
        Main,  // adcVendaCons, inside the transaction when one is open
        Probe, // adcTesteConexao: short connect time-out, outside the transaction
    };

    explicit ServerCall(Session session = Session::Main);
    explicit ServerCall(TrdmVendaCons &module, Session session = Session::Main);
    ServerCall(const ServerCall &) = delete;
    ServerCall &operator=(const ServerCall &) = delete;

    // Data packet: every row and column; Variant::failure on failure.
    Variant packet(const Statement &statement, const Params &params = {});
    // One column of the first row (typed: text, number, date-time or null); empty when there
    // is no row; Variant::failure on failure.
    Variant value(const Statement &statement, const Params &params, const QString &column);
    // One column of the first row as text; "" when there is no row; on failure what
    // `onFailure` says.
    QString fieldText(const Statement &statement, const Params &params, const QString &column,
                      const TextOnFailure &onFailure);
    // Whether the statement answers a row, mapped through `answers`.
    bool exists(const Statement &statement, const Params &params, const CheckAnswers &answers = {});
    // Insert, update or delete: empty on success, Variant::failure on failure.
    Variant write(const Statement &statement, const Params &params);

    // Rows the last write touched (-1 when unknown).
    int rowsAffected() const { return m_rowsAffected; }
    // The error text of the last failure of this call ("" when none).
    const QString &lastErrorText() const { return m_errorText; }
    // The cause of the last failure, e.g. lastError().unreachable().
    const Qub_movrela::DbError &lastError() const { return m_error; }

    TrdmVendaCons &module() { return m_module; }
    Qub_movrela::DbConnection &session();

private:
    friend class TransactionScope;
    bool run(const Statement &statement, const Params &params, Qub_movrela::QueryRows *rows);
    Variant failure();

    TrdmVendaCons &m_module;
    Session m_session;
    Qub_movrela::DbError m_error;
    QString m_errorText;
    QString m_refusal; // set when the call's transaction could not start: nothing runs
    int m_rowsAffected = -1;
};

// Joins the open transaction or starts one, and rolls it back on the way out unless
// commit() was called. Like StartTrans/CommitTrans, there is no nesting: commit() or the
// rollback ends the whole transaction, also one a caller opened.
class TransactionScope
{
public:
    explicit TransactionScope(ServerCall &call);
    ~TransactionScope();
    TransactionScope(const TransactionScope &) = delete;
    TransactionScope &operator=(const TransactionScope &) = delete;

    // Commits: empty, or Variant::failure (the transaction is then rolled back).
    Variant commit();
    // Rolls back now (the destructor then does nothing).
    void rollback();

private:
    ServerCall &m_call;
    bool m_done = false;
};
