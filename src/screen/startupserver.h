#pragma once

#include <runtime/variant.h>

#include <QString>

#include <functional>

// The server functions the sale form's start-up calls, as one replaceable table: by default
// the server layer's own (Srv_Kal51000); tests replace members. `notInstalled` is the clear
// failure a replaced table answers for a function it does not provide.
//
// Results follow the server-call convention: a data packet, a value, or a failure.
struct StartupServer
{
    StartupServer(); // every member holds the server layer's function

    // Once per process
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA)> getDadosCRMBONUS;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getVisualizaTelPed;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getConfigCaixa;

    // Every call
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getConsumidorDLV;
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA,
                          const QString &NRVENDAREST)>
        getSenhaPed;
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST)> GetDtHrAberMesa;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> setPromoCombAux;
    std::function<Variant()> getIDUTCUPOMDESC;
    std::function<Variant(const QString &CDFILIAL)> getCampanha;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpBackup;
    std::function<Variant(const QString &CDFILIAL)> getDadosResgSaldo;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpPesagem;

    // Screen actions on the open sale
    // Packet of the product's order options (CDOCORR); the failure as a failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)> getOcorPed;
    // DSOCORR of the occurrence; empty when none or on failure.
    std::function<QString(const QString &CDGRPOCOR, const QString &CDOCORR)> getDsOcorr;
    // Packet of the discount coupons valid for the product. The server layer has no such
    // function yet: the default answers the not-installed failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCuponsValidos;
    // Discards an order header that holds no item; empty, or the failure (ignored by callers).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDLOJA)>
        setValidaPedido;
    // Packet of NRMAXPESMES; the failure as a failure.
    std::function<Variant(const QString &CDFILIAL)> getNrPesMesa;
    // The consumer's stored e-mail; empty when none or on failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getEmailCons;

    // The failure a member answers while it is not wired.
    static Variant notInstalled(const QString &name);
};

// The process's table. The package wires the server layer into it; tests replace members.
StartupServer &startupServer();

// Installs a table for the life of the scope and puts the previous one back afterwards.
class ScopedStartupServer
{
public:
    explicit ScopedStartupServer(StartupServer replacement);
    ~ScopedStartupServer();
    ScopedStartupServer(const ScopedStartupServer &) = delete;
    ScopedStartupServer &operator=(const ScopedStartupServer &) = delete;

    StartupServer &table() { return startupServer(); }

private:
    StartupServer m_previous;
};
