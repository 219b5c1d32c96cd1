#pragma once

#include <vendacons_export.h>

#include <runtime/messages.h>

#include <outside/qub_movrela_db.h>

#include <QString>

#include <memory>

// The data module of the sale screen: the two database sessions and the one connection-wide
// transaction. Server functions reach it through rdmVendaCons() and run their statements
// through a ServerCall (servercall.h); nothing else touches its sessions.
//
// Transactions have no nesting count: StartTrans joins a transaction already open, and the
// first CommitTrans or RollbackTrans ends it, whoever opened it. Prefer a TransactionScope
// (servercall.h) to calling the three by hand.
//
// Not thread-safe: server functions run on the GUI thread, one at a time.
class VENDACONS_EXPORT TrdmVendaCons
{
public:
    TrdmVendaCons();
    ~TrdmVendaCons();
    TrdmVendaCons(const TrdmVendaCons &) = delete;
    TrdmVendaCons &operator=(const TrdmVendaCons &) = delete;

    // The main session: every statement and the transaction.
    Qub_movrela::DbConnection &adcVendaCons() { return m_adcVendaCons; }
    // The probe: a separate session with a 6-second connect time-out, to learn quickly
    // whether the server answers. Outside the transaction.
    Qub_movrela::DbConnection &adcTesteConexao() { return m_adcTesteConexao; }

    // Sets adcVendaCons connected (the start-up's first step). The first connect of the
    // module also brings the base's schema up to date. False with the error text in
    // `errorText` when it fails.
    bool connect(QString *errorText = nullptr);

    // False (with the reason in lastErrorText()) only when the database refused.
    bool StartTrans();
    bool CommitTrans();
    bool RollbackTrans();
    bool InTransaction() const { return m_adcVendaCons.inTransaction(); }
    // The error text (Qub_movrela::ADOExceptionMessage) of the main session's last failure.
    QString lastErrorText() const;

    // The data module's own message table (the three connection-failure texts).
    static const Lvm_msg::TMessages &msgPadrao() { return Lvm_msg::rdmMsgPadrao(); }

    // ICMP echo to a network printer, 500 ms: True when it answered.
    bool VerificaImpressoraRede(const QString &Host);

    // Runs the schema upgrade on the main session, once per module.
    bool ensureSchema(QString *errorText = nullptr);

private:
    bool connectOnce(QString *errorText);

    Qub_movrela::DbConnection m_adcVendaCons;
    Qub_movrela::DbConnection m_adcTesteConexao;
    bool m_schemaChecked = false;
};

// The process's one data module, made on first use (not yet connected: its first statement
// or connect() connects it).
VENDACONS_EXPORT TrdmVendaCons &rdmVendaCons();
// Replaces the process's data module; tests install a fresh one per test. Null frees it, so
// the next rdmVendaCons() makes a new one.
VENDACONS_EXPORT void setRdmVendaCons(std::unique_ptr<TrdmVendaCons> module);
