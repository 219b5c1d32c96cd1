#pragma once

#include <runtime/variant.h>

#include <QString>

#include <functional>

// The server functions the sale form's start-up calls, as one replaceable table. The server
// layer's functions (Srv_Kal51000) are wired in here by the package once they exist; a member
// left as it is answers a failure "função do servidor não instalada: <name>", so a missing
// wiring stops start-up with a clear message instead of selling on made-up values.
//
// Results follow the server-call convention: a data packet, a value, or a failure.
struct StartupServer
{
    StartupServer(); // every member holds its "not installed" default

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
