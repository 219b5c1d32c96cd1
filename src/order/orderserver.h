#pragma once

#include <runtime/variant.h>

#include <QString>

#include <functional>

class ClientDataSet;

// The server functions item registration, the sale rows and the order sending call, as one replaceable table: by
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

    // Packet of the promotion components recorded for the branch and desk (settlement tags the
    // sale's rows with them); the failure otherwise.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getPromoCombAux;

    // ---- order sending -----------------------------------------------------------------------
    // Whether the table may take an order (False for a table being settled or closed).
    std::function<bool(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA)> getValidaMesa;
    // Packet of VRACRCOMANDA, the tab's surcharge.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                          const QString &NRVENDAREST)>
        getAcresMesa;
    // Sets (never adds to) the tab's surcharge. Empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                          const QString &NRVENDAREST, double value)>
        setGravaAcrescimo;
    // Writes the order: empty on success, a price code, or the failure (nothing written).
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                          const QString &NRCOMANDA, const QString &NRVENDAREST, const Variant &itens,
                          const Variant &itPromoComb, const QString &CDCONSUMIDOR, const QString &CDCAIXA,
                          const QString &CDVENDEDOR, const QString &CDSENHAPED, const Variant &obsItens,
                          const Variant &obsItensEst, const QString &modoVenda)>
        getGeraPedido;
    // Records the lines given up during the sale. Empty, or the failure (nothing written).
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRVENDAREST,
                          ClientDataSet &itens)>
        setGeraDesistencia;
    // Packet with NMCONSUMIDOR of the sale's consumer.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER)>
        getCadConsumidor;
    // The consumer described on a delivery ("DLV_") or reserved ("RES_") tab; empty otherwise.
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST,
                          const QString &NRCOMANDA)>
        getDsConsumidor;

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
