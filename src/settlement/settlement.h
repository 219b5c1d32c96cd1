#pragma once

#include <QMutex>

class QObject;
class SaleContext;

// Settlement, fiscal documents, cancellation and the production-printer failover. This class
// holds what the sale form's shell and start-up call; the settlement roads grow it.
class Settlement
{
public:
    explicit Settlement(SaleContext &context);
    Settlement(const Settlement &) = delete;
    Settlement &operator=(const Settlement &) = delete;

    void spbRecebClick(QObject *Sender);
    void spbCancelaCupomClick(QObject *Sender);
    void spbIncluiCpfClick(QObject *Sender);
    void btnCancelaQrCodeClick(QObject *Sender);

    // Fills the buyer of the fiscal document (stCpfCnpjNota, stNomeNota, stEnderecoNota) for
    // the item being registered; the buyer identification road fills it in, and until then the
    // buyer fields stay as they are.
    void SolicitaCpf();

    // The failover watchdog (timImpressoraBackup, 30000 ms): switches its timer off; the
    // failover worker that re-prints stuck tickets comes with the failover road.
    void timImpressoraBackupTimer(QObject *Sender);

    // The lock the failover worker holds for its whole run. Made once per process and never
    // replaced, so a worker still running keeps a valid lock across host calls.
    static QMutex &cs();

private:
    SaleContext &m_context;
};
