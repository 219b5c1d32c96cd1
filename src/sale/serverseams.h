#pragma once

#include <outside/pkg_hrk0000_common.h>
#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class ClientDataSet;

// The server functions the sale calls, one replaceable table per server area (as the server
// layer's srv_<area>.h files are cut). Every member holds the server layer's function by
// default; tests replace members for the length of a scope with ScopedTable<T>
// (outside/pkg_hrk0000_common.h), for one area (`ScopedTable<Seam::Tabs>`) or for the whole set
// (`ScopedTable<ServerSeams>`). The sale reaches them through its context:
// `m_context.server().tabs.getValidaMesa(...)`.
//
// Answers follow the server-call convention (a data packet, a value, or a failure) and go
// through SaleContext::checkAnswer. Nothing here throws.
namespace Seam {

// The failure a member answers while the server layer has no such function.
Variant notInstalled(const QString &name);

struct Access
{
    Access();
    static Access &current();
    void fillMissing();

    // Logs the operator's access; empty, or the failure.
    std::function<Variant(const QString &CDOPERADOR)> setLogAcesso;
    // The data module's test connection: empty when the base answered, else its error text.
    std::function<QString()> serverProbe;
};

struct Counters
{
    Counters();
    static Counters &current();
    void fillMissing();

    // The next document number of the range; "CUPINV" when the range is used up.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &prefix,
                          const QString &rangeStart, const QString &rangeEnd)>
        getPrxVendaColombia;
    // Records the first receipt number of the fiscal day; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                          const QDateTime &dtMovimentoFiscal)>
        setGravaCupomInicial;
    // The next electronic receipt number of the series; the failure when none was taken.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSERIENFCE,
                          const QString &IDTPAMBNFCE, bool voiding)>
        setNumeroNFCe;
    // The next non-fiscal sale number of the kind; the failure when none was taken.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &kind)> setNrVendaNFisc;
};

struct Kds
{
    Kds();
    static Kds &current();
    void fillMissing();

    // Cancels the kitchen display's orders of a sale that is cancelled; empty, or the failure.
    std::function<Variant(const Variant &sale, const QString &CDCAIXA, const QString &CDFILIAL,
                          const QString &NRSEQVENDA, bool satTill)>
        CancelaPedidoKDS;
};

struct LookupsProducts
{
    LookupsProducts();
    static LookupsProducts &current();
    void fillMissing();

    // IDSOLLOCIMP of the product; a failure's text starts with "E".
    std::function<Variant(const QString &CDPRODUTO)> getVerificaImpVariavel;
    // The promotion group of the product in the combination; empty or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &CDPRODPROMOCAO)>
        getCdGruPromoc;
    // The balance kind of the product for the consumer type; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDTIPOCONS, const QString &CDPRODUTO)>
        getTipoSaldoProd;
    // The product of a keyboard shortcut; an empty packet when there is none, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCONFTELA, const QString &code)>
        getCodigoAtalho;
    // The product of a bar code; an empty packet when there is none, or the failure.
    std::function<Variant(const QString &code)> getCodigoBarra;
    // The search list of the branch's products; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL)> getProdPesq;
    // The server layer has no such function yet: the default answers a failure, and the search
    // then takes the family its list row carries.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCdFamiliSald;
    // The service-fee product of the shop; empty when none or on failure.
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA)> getProdTxServ;
    // The grouped products of the tab; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)>
        getAgrupProd;
    // The day price of the weekday ("S" or not); empty on failure.
    std::function<QString(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &TIPOCONS,
                          const QString &DIASEMAN)>
        getIDUTILDESCDIA;
    // The product's electronic receipt data; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getValidProdNFCe;
    // The product's fiscal rule of the till; a packet, or the failure.
    std::function<Variant(const QString &CDPRODUTO)> getRegraFisPdv;
    // Prepares the combination promotions of the desk; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> setPromoCombAux;
};

struct LookupsTills
{
    LookupsTills();
    static LookupsTills &current();
    void fillMissing();

    // DSOCORR of the occurrence; empty when none or on failure.
    std::function<QString(const QString &CDGRPOCOR, const QString &CDOCORR)> getDsOcorr;
    // The QR printing of the desk and product ("S" or not); empty on failure.
    std::function<QString(const QString &CDCAIXA, const QString &CDFILIAL, const QString &CDPRODUTO)>
        getIDIMPQRTOPDATA;
    // Whether a receipt type "E" (credit charge on a card) is registered; True/False, or the failure.
    std::function<Variant()> getCartaoCHART;
    // The order screen settings of the desk; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getVisualizaTelPed;
    // The desk's configuration text; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getConfigCaixa;
    // Whether discount coupons are used; the value, or the failure.
    std::function<Variant()> getIDUTCUPOMDESC;
    // The desk's backup printer; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpBackup;
    // The desk's weighing printer; the value, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpPesagem;
    // Non-empty: the pager number is in use today.
    std::function<QString(const QString &CDFILIAL, const QString &number, const QString &CDCAIXA,
                          const QDateTime &date)>
        getSenhaUtil;
};

struct Loyalty
{
    Loyalty();
    static Loyalty &current();
    void fillMissing();

    // The buy-and-win campaigns of the product; a packet, or the failure.
    std::function<Variant(const QString &CDPRODUTO)> getCampCompGanhe;
    // The campaign's rows from `start`; a packet, or the failure.
    std::function<Variant(const QString &CDCAMPANHA, const QDateTime &start)> getBrCampCompGanhe;
    // The product's loyalty campaigns; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getProdPromoFidelidade;
    // The branch's campaign; the value, or the failure.
    std::function<Variant(const QString &CDFILIAL)> getCampanha;
    // True when the consumer has no benefit at all; False when there is one, or on failure.
    std::function<bool(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getCadBeneficio;
    // The loyalty movement of the campaign product; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRSEQPRODCAMP, const QString &CDPRODUTO)>
        getMovFidelidade;
    // Records a loyalty movement; empty, or the failure (nothing written).
    std::function<Variant(const QString &unusedCode, const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                          const QString &NRSEQBENEFICIO, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDTPDESBENECONS, const QDateTime &DTINIVALBENECONS,
                          const QDateTime &DTFIMVALBENECONS, double VRDESBENECONS, int QTDEBENEFICIO)>
        setMovFidelidade;
    // Marks the counter sale's benefits as used; empty, or the failure.
    std::function<Variant(const QString &NRSEQVENDA, const QString &CDFILIAL, const QString &CDCAIXA)>
        setVendaBeneficioBalcao;
};

struct Orders
{
    Orders();
    static Orders &current();
    void fillMissing();

    // Writes the order: empty on success, a price code, or the failure (nothing written).
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                          const QString &NRCOMANDA, const QString &NRVENDAREST, const Variant &itens,
                          const Variant &itPromoComb, const QString &CDCONSUMIDOR, const QString &CDCAIXA,
                          const QString &CDVENDEDOR, const QString &CDSENHAPED, const Variant &obsItens,
                          const Variant &obsItensEst, const QString &modoVenda)>
        getGeraPedido;
};

struct Passwords
{
    Passwords();
    static Passwords &current();
    void fillMissing();

    // The next pager number of the day; the value, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QDateTime &date)> getSenhaCupom;
    // True: the number exists.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        getSenhaRandonExist;
    // Starts the day's pager numbers again; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &date)> ReiniciaSenhaCupom;
    // The random source of the pager numbers: an integer from 0 to bound - 1.
    std::function<int(int bound)> random;
};

struct StartupLookups
{
    StartupLookups();
    static StartupLookups &current();
    void fillMissing();

    // The CRM bonus settings of the shop; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA)> getDadosCRMBONUS;
    // The balance redemption settings of the branch; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL)> getDadosResgSaldo;
    // The delivery consumer (NMCONSUMIDOR, ...); a packet, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getConsumidorDLV;
};

struct Tabs
{
    Tabs();
    static Tabs &current();
    void fillMissing();

    // The occurrences the product asks for on the shop's orders; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)> getOcorPed;
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
    // Records the lines given up during the sale. Empty, or the failure (nothing written).
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRVENDAREST,
                          ClientDataSet &itens)>
        setGeraDesistencia;
    // The consumer described on a delivery ("DLV_") or reserved ("RES_") tab; empty otherwise.
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST,
                          const QString &NRCOMANDA)>
        getDsConsumidor;
    // Whether the seat is free of blocking items; False on a failure.
    std::function<bool(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &seat)>
        verificaIDSTLUGARMESA;
    // The tab's pager number; the value, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)>
        getSenhaPed;
    // When the table's sale was opened; the value, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST)> GetDtHrAberMesa;
};

// The consumer register and consumer accounts.
struct Consumers
{
    Consumers();
    static Consumers &current();
    void fillMissing();

    // The branch, cash desk, client, desk opening, family packet and consumer the day's
    // figures are asked for.
    struct DayRequest
    {
        QString CDFILIAL;
        QString CDCAIXA;
        QString CDCLIENTE;
        QDateTime DTABERCAIX;
        DataPacket cdsFamiliaSaldo;
        QString CDCONSUMIDOR;
    };

    // The consumer register rows of the consumer (NMCONSUMIDOR, NRCPFRESPCON, IDTPVENDACONS,
    // ...) as a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER)>
        getCadConsumidor;
    // The name of the active consumer; empty when there is none.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getNomeCons;
    // Quantity of the product already sold to the consumer today.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO)>
        getProdBasVenDia;
    // Balance per family (CDFAMILISALD, VRSALDCONFAM); an empty answer (no balances) for now.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)>
        getConsSaldFam;
    // The consumer's spending of the day; a failure for now, so no balance is taken on
    // figures nobody read.
    std::function<Variant(const DayRequest &)> getGastoDia;
    // The daily consumption limit (0: none); a failure for now, as getGastoDia.
    std::function<Variant(const DayRequest &)> getLimitConsDiario;
    // Records a consumer (twelve texts: client, name, consumer, badge, ..., CPF, ...,
    // STPROCESSAMENTO, kind); empty, or the failure. For now nothing is recorded and the call
    // is logged.
    std::function<Variant(const QStringList &values)> setGravaConsumidor;
};

} // namespace Seam

// The whole set. `current()` is the process's set; each area's `current()` is its member here.
struct ServerSeams
{
    static ServerSeams &current();
    void fillMissing();

    Seam::Access access;
    Seam::Counters counters;
    Seam::Kds kds;
    Seam::LookupsProducts lookupsProducts;
    Seam::LookupsTills lookupsTills;
    Seam::Loyalty loyalty;
    Seam::Orders orders;
    Seam::Passwords passwords;
    Seam::StartupLookups startupLookups;
    Seam::Tabs tabs;
    Seam::Consumers consumers;
};
