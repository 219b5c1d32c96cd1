#pragma once

#include <runtime/variant.h>

#include <QString>

#include <functional>

// The server functions item registration and the sale rows call, as one replaceable table: by
// default the server layer's own (Srv_Kal51000); tests replace members. Results follow the
// server-call convention (a data packet, a value, or a failure) and go through MensagemMetodo.
struct OrderServer
{
    OrderServer(); // every member holds the server layer's function

    // IDSOLLOCIMP of the product; a failure's text starts with "E".
    std::function<Variant(const QString &CDPRODUTO)> getVerificaImpVariavel;
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO,
                          const QString &CDPRODPROMOCAO)>
        getCdGruPromoc;
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)>
        getOcorPed;
    std::function<Variant(const QString &CDFILIAL, const QString &CDTIPOCONS, const QString &CDPRODUTO)>
        getTipoSaldoProd;
    // DSOCORR of the occurrence; empty when none or on failure.
    std::function<QString(const QString &CDGRPOCOR, const QString &CDOCORR)> getDsOcorr;
    // Quantity of the product already sold to the consumer today.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO)>
        getProdBasVenDia;

    // The failure a member answers while it is not wired.
    static Variant notInstalled(const QString &name);
};

// The process's table. Tests replace members through ScopedOrderServer.
OrderServer &orderServer();

// Installs a table for the life of the scope and puts the previous one back afterwards.
class ScopedOrderServer
{
public:
    explicit ScopedOrderServer(OrderServer replacement);
    ~ScopedOrderServer();
    ScopedOrderServer(const ScopedOrderServer &) = delete;
    ScopedOrderServer &operator=(const ScopedOrderServer &) = delete;

    OrderServer &table() { return orderServer(); }

private:
    OrderServer m_previous;
};
