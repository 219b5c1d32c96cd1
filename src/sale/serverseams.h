#pragma once

#include <outside/pkg_hrk0000_common.h>
#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class ClientDataSet;
namespace Srv_Kal51000 {
struct CreditPurchaseWrite;
struct SaleCancelRequest;
}

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

    // One access-log row for the operator, now; empty, or the failure.
    std::function<Variant(const QString &CDOPERADOR)> setLogAcesso;
    // The data module's test connection: empty when the base answered, else its error text.
    std::function<QString()> serverProbe;
};

struct Counters
{
    Counters();
    static Counters &current();
    void fillMissing();

    // The next receipt number of the range; "CUPINV" when the range is used up, or the failure.
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
    // The product behind a shortcut code of the screen configuration; empty when none, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCONFTELA, const QString &code)>
        getCodigoAtalho;
    // The product of a bar code; empty when the code is not registered, or the failure.
    std::function<Variant(const QString &code)> getCodigoBarra;
    // The search list of the branch's products; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL)> getProdPesq;
    // The store's service-fee product; empty when none or on failure.
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA)> getProdTxServ;
    // The highest NRSEQPRODCOM of the tab's order lines as text, "0" when it has none; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)>
        getAgrupProd;
    // IDUTILDESCDIA of the product's day-price row for the weekday ("S" or not); empty when none or on failure.
    std::function<QString(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &TIPOCONS,
                          const QString &DIASEMAN)>
        getIDUTILDESCDIA;
    // The product's tax rows for the branch; an empty packet when it has none, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getValidProdNFCe;
    // The product's fiscal rule of the till; a packet, or the failure.
    std::function<Variant(const QString &CDPRODUTO)> getRegraFisPdv;
    // Deletes the desk's rows of the combination promotions' scratch table; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> setPromoCombAux;
    // Packet of the product's discount coupons usable at the branch; the failure otherwise.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCuponsValidos;
    // Packet of the promotion components recorded for the branch and desk (settlement tags the
    // sale's rows with them); the failure otherwise.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getPromoCombAux;
    // CDCLASFISC of the product; empty for an unknown product, or the failure.
    std::function<Variant(const QString &CDPRODUTO)> getProdCodNCM;
    // The branch's subsidised products (a packet), or the failure.
    std::function<Variant(const QString &CDFILIAL)> getProdSubsidiado;
    // The product (CDPRODUTO, NMPRODUTO) of a sale item; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                          const QString &NRSEQUITVEND)>
        getProdutoPai;
};

struct LookupsTills
{
    LookupsTills();
    static LookupsTills &current();
    void fillMissing();

    // DSOCORR of the occurrence; empty when none or on failure.
    std::function<QString(const QString &CDGRPOCOR, const QString &CDOCORR)> getDsOcorr;
    // "S" when both the product and the desk print the QR code at the top; empty otherwise or on failure.
    std::function<QString(const QString &CDCAIXA, const QString &CDFILIAL, const QString &CDPRODUTO)>
        getIDIMPQRTOPDATA;
    // True when a receipt type "E" (credit charge on a card) is registered; False when none is
    // or on failure.
    std::function<Variant()> getCartaoCHART;
    // True when the desk shows the order screen (IDVISTELPED "S"), else False; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getVisualizaTelPed;
    // IDLEITURAQRCODE of the desk; empty for an unknown desk, "N" on failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getConfigCaixa;
    // IDUTCUPOMDESC of the general parameters; the error text on failure.
    std::function<Variant()> getIDUTCUPOMDESC;
    // One row per printer of the desk that has a backup printer; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpBackup;
    // IDIMPPESAGEM of the desk; "N" when empty, unknown or on failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getImpPesagem;
    // Non-empty: the pager number is in use today.
    std::function<QString(const QString &CDFILIAL, const QString &number, const QString &CDCAIXA,
                          const QDateTime &date)>
        getSenhaUtil;
    // IDBLOQSALDFS of the consumer: "S" when the daily balance may not be used at weekends; the
    // error text on failure.
    std::function<QString(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getBloqFimSemana;
    // The desk's generic payment type; empty when it has none, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getRecebGenerico;
    // Whether a QR-code sale of today already holds the branch, restaurant sale and tab: True
    // taken, False free, or the failure (which must stop the sale).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA)>
        getVendaQRCode;
    // The day's claim on a QR-code sale: True this desk holds it, False another desk does, or
    // the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDCAIXA)>
        setReservaQRCode;
    // Gives up this desk's claim after an attempt that sold nothing; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDCAIXA)>
        setLiberaQRCode;
    // Port CDPORTAIMPR and model IDMODEIMPRES of the product's first / second production
    // printer of the store; an empty packet when it has none, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)> getImprLoja;
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)> getImprLoja2;
};

struct Loyalty
{
    Loyalty();
    static Loyalty &current();
    void fillMissing();

    // Buy-and-win campaigns valid today that count the product; a packet, or the failure.
    std::function<Variant(const QString &CDPRODUTO)> getCampCompGanhe;
    // The prizes of a buy-and-win campaign period; a packet, or the failure.
    std::function<Variant(const QString &CDCAMPANHA, const QDateTime &start)> getBrCampCompGanhe;
    // CDPRODUTO, NRSEQPRODCAMP of the product in the branch's loyalty campaigns; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getProdPromoFidelidade;
    // True when the branch takes part in a benefit campaign (IDCAMPANHA neither "E" nor "C"),
    // else False; or the failure, which stops start-up.
    std::function<Variant(const QString &CDFILIAL)> getCampanha;
    // True when the consumer has no benefit at all; False when there is one, or on failure.
    std::function<bool(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getCadBeneficio;
    // The benefits of a campaign product in the branch's loyalty campaigns; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRSEQPRODCAMP, const QString &CDPRODUTO)>
        getMovFidelidade;
    // Grants a benefit to a consumer; empty, or the failure (nothing written).
    std::function<Variant(const QString &unusedCode, const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                          const QString &NRSEQBENEFICIO, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDTPDESBENECONS, const QDateTime &DTINIVALBENECONS,
                          const QDateTime &DTFIMVALBENECONS, double VRDESBENECONS, int QTDEBENEFICIO)>
        setMovFidelidade;
    // Binds the desk's reserved benefit uses to the saved sale; empty, or the failure (all or nothing).
    std::function<Variant(const QString &NRSEQVENDA, const QString &CDFILIAL, const QString &CDCAIXA)>
        setVendaBeneficioBalcao;
    // True when the consumer's benefit that applies to the product has a use left; False also on failure.
    std::function<bool(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDPRODUTO)>
        getMovBeneFidelidade;
    // True when the benefit applies to the product; False also on failure.
    std::function<bool(const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP, const QString &NRSEQBENECAMP,
                       const QString &CDPRODUTO)>
        getValProdBeneficio;
    // The consumer's benefits usable today (packet), or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getListaBeneficio;
    // Reserves one use for the open sale's line (twelve texts, the callers' positions); empty,
    // or the failure (nothing reserved, also when no use is left).
    std::function<Variant(const QStringList &values)> setMovBeneficio;
    // Gives back the reservation of the open sale's line at the desk; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQUITVEND)>
        setDevolveBeneficioItem;
    // Gives back the consumer's reserved uses of the named benefit; empty, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                          const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO)>
        setApagaBeneficio;
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

    // The next pager number of the branch for the day, as text; the failure when the numbering fails.
    std::function<Variant(const QString &CDFILIAL, const QDateTime &date)> getSenhaCupom;
    // True: the number exists.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        getSenhaRandonExist;
    // Restarts the branch's pager numbers of the day; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &date)> ReiniciaSenhaCupom;
    // True: the number is now the desk's for today (checked and taken in one step); False:
    // another sale or desk has it.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        setSenhaPedReserva;
    // How many numbers of the range the branch still has free today.
    std::function<Variant(const QString &CDFILIAL, int lowest, int highest)> getSenhaPedLivres;
    // The random source of the pager numbers: an integer from 0 to bound - 1.
    std::function<int(int bound)> random;
};

struct StartupLookups
{
    StartupLookups();
    static StartupLookups &current();
    void fillMissing();

    // The store's CRM bonus settings; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA)> getDadosCRMBONUS;
    // The branch's balance-redemption credentials; a packet, or the failure. Never log the packet.
    std::function<Variant(const QString &CDFILIAL)> getDadosResgSaldo;
    // The delivery consumer (NMCONSUMIDOR, ...); a packet, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getConsumidorDLV;
};

struct Tabs
{
    Tabs();
    static Tabs &current();
    void fillMissing();

    // The options of the store's order option group linked to the product; a packet, or the failure.
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
    // Whether the seat is free of blocking items; False on a failure.
    std::function<bool(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &seat)>
        verificaIDSTLUGARMESA;
    // The tab's order password; empty when there is none, and empty (logged) on a failure.
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)>
        getSenhaPed;
    // The opening time of the sale; the present time when it is not found or on failure (logged).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST)> GetDtHrAberMesa;
    // Refills: packet of NRPRODCOMVEN of the tab's ordinary live lines of product and seat;
    // setProdRefil adds the quantity to one line's count (empty, or the failure).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDPRODUTO, const QString &NRLUGARMESA)>
        getProdRefil;
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &NRPRODCOMVEN, double quantity)>
        setProdRefil;
    // Discards an order header that holds no item; empty, or the failure (ignored by callers).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDLOJA)>
        setValidaPedido;
    // Packet of NRMAXPESMES; the failure as a failure.
    std::function<Variant(const QString &CDFILIAL)> getNrPesMesa;
    // Packets of the tabs already open and their items, for the bill and the order history:
    // the open tabs of the table and the tables joined with it; the open tab of that number;
    // the live items of the tabs in the list ("_12_15_"); the summed surcharge of the table's
    // tabs with items. Each answers the failure as a failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA,
                          const QString &unused)>
        getBuscaComandas;
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA)> getDadosComanda;
    std::function<Variant(const QString &CDFILIAL, const QString &tabs)> getBuscaItComanda;
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA)> getAcrescimo;
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
    // Balance per family of the branch (CDFAMILISALD, NMFAMILISALD, VRSALDCONFAM), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)>
        getConsSaldFam;
    // The consumer's spending of the day in the packet's last family, or the failure.
    std::function<Variant(const DayRequest &)> getGastoDia;
    // The daily consumption limit of the packet's last family (0: none); a failure "ERRO_3 ..."
    // when the family is closed to the consumer.
    std::function<Variant(const DayRequest &)> getLimitConsDiario;
    // Records a consumer (twelve texts: client, name, consumer, badge, ..., CPF, ...,
    // STPROCESSAMENTO, kind; kind "2" changes only the CPF); True, or the failure.
    std::function<Variant(const QStringList &values)> setGravaConsumidor;
    // The product's balance family; empty when it has none, or the failure (the search then
    // takes the family its list row carries).
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCdFamiliSald;
    // The consumer described on a delivery ("DLV_") or reserved ("RES_") tab; empty otherwise.
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST,
                          const QString &NRCOMANDA)>
        getDsConsumidor;
    // The consumer's stored e-mail; empty when none or on failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getEmailCons;
    // The consumer limits. [0] the family's rule, [1] the families up to it in approval order,
    // [2] its consumption today; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDFAMILISALD, const QString &CDCLIENTE,
                          const QString &CDCONSUMIDOR, const QString &IDEXTCONSCENTRAL)>
        getOrdemFamilia;
    // The consumer type's maxima at the store (a packet, empty when none), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                          const QString &CDCONSUMIDOR)>
        getTipoConsLoja;
    // "QTDE_OK", "QTDE_NOT_CONS", "PROD_NOT_CONS", "QTDE_NOT_FAM", "PROD_NOT_FAM", or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDFAMILISALD, const QString &CDPRODUTO, double quantity,
                          const Variant &items)>
        getQtdeProdDia;
    // Quantity of the product the consumer took today in the service, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &CDSERVFILI)>
        getProdVenDiaServ;
    // Value the consumer spent today in the service, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDSERVFILI)>
        getGtDiaServ;
    // The consumer's debit consumption of the product today (a packet, empty when none), or
    // the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDPRODUTO)>
        getVerifProdConsumi;
    // The consumer type's row at the branch (the bonus columns); a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDTIPOCONS)> GetTipoConsFili;
    // The family's balance as text ("0" without a row), or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD)>
        GetSaldoConsBonus;
    // The date of the period's last load ("" when none; `count` the loads), or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD,
                          const QDateTime &first, const QDateTime &last, int &count)>
        GetCargaCredito;
    // DTMOVEXTCONS: the consumer's earliest statement date, as a packet; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getMinDtMovExtCons;
    // Rolls the family balances forward from `start`; empty, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFILIAL,
                          const QDateTime &start)>
        EvoluiSaldo;
    // Writes a credit purchase; True once written, or the failure (nothing written).
    std::function<Variant(const Srv_Kal51000::CreditPurchaseWrite &purchase, QString &NRSEQECFDOCNF)>
        setGravaCompCred;
    // The deposit number of the next load (ten characters), or the failure.
    std::function<Variant(const QDate &day)> getPrxDepositoCons;
    // The desk's loads written but not finished (voucher, card confirmation), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA)> getCargasPendentes;
    // The cash movements of one load, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QDateTime &DTABERCAIX,
                          const QString &NRDEPOSICONS)>
        getMovCaixaCarga;
    // The load is finished; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRDEPOSICONS)>
        setCargaConcluida;
    // The branch's CNPJ (NRINSJURFILI); empty for an unknown branch, or the failure.
    std::function<Variant(const QString &CDFILIAL)> getCNPJFil;
    // The consumer types of a fuel-station loyalty segment (NMGRUPOSEGPETRO, CDTIPOCONS), or
    // the failure.
    std::function<Variant(const QString &NMGRUPOSEGPETRO)> GetTipoConsFiliClubPetro;

    // ---- the badge sale's figures (badge consumer sale) ----
    // Today's spending: kind "1" the debit movements, any other the statement sales; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &kind)> getGastCons;
    // Spending in the branch and store, period "D" today or "M" this month; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                          const QString &CDCONSUMIDOR, const QString &kind, const QString &period)>
        getGastConsLoja;
    // Debit spending within the month; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &first,
                          const QDateTime &last)>
        getGastoConsMes;
    // Packet: VRSALDOCONS of the latest debit movement; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getSaldoCons;
    // Packet: the consumer's balance row of the family; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD)>
        getSaldoCred;
    // The company subsidy spent today on the consumer's sales / the subsidy granted; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getVrSubsBasicoCons;
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getVrSubsBasico;
    // The name of the consumer type; "" when none or on failure.
    std::function<QString(const QString &CDTIPOCONS)> GetNmTipoCons;
    // Debit spending after the payroll period's start (0 when none); or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &start)>
        getGtTotConsSaldExtra;
    // Packet: the consumer joined with its type for the balance check before the sale; or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getDadosPreVDSaldo;
    // IDCADCONFLIBCON of the active consumer ("" when not found); or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getConsumidor;
    // Whether the receipt's sale used personal credit (Boolean); or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOM,
                          const QDateTime &DTABERTUR)>
        getCreditoPessoal;
    // Roll-forwards of the debit and credit balances from a date; empty, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDOPERADOR, const QDateTime &start)>
        setAtualizaDebCons;
    // The daily limits of a benefit: an array [first day allows, later day allows, first-day
    // limit, later-day limit], or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                          const QString &NRSEQBENEFICIO)>
        getValLimiteBene;
    // The consumer's points discount per points campaign (packet), or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getDescVendaFid;
    // The consumer's data (NRCPFRESPCON, NMCONSUMIDOR, CDCCUSCLIE, ...); a packet, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getDadosConsumidor;
    // The consumer's debit figures of the month up to the sale date (a packet), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDIDCONSUMID,
                          const QString &CDCONSUMIDOR, const QDateTime &monthStart, const QDateTime &saleDate)>
        getVrSaldConsumi;
    // The consumer's debit spending since the date, as a number, or the failure.
    std::function<Variant(const QString &unused, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QDateTime &date)>
        getSaldoExcedente;
    // The consumer's limits (VRMAXDEBCONS, VRMESUBCONS) as a packet, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getLimiteCons;
    // The personal-credit sale's balance validation: the loans between balance families that
    // cover the family values (a packet), or the failure ("ERRO_1".."ERRO_5" coded).
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                          const QString &CDCONSUMIDOR, const QString &IDPERCOMVENCPDC, const QString &IDEXTCONSONLINE,
                          const QString &CDURLWSEXTCONS, const QString &IDEXTCONSCENTRAL, const Variant &families,
                          const QDateTime &DTABERCAIX)>
        setValidaSaldoCons;
};

// The partners' settings and the sale data their clients send (AME wallet, GCOM cashback).
// The packets carry credentials: nothing may log them.
struct Partners
{
    Partners();
    static Partners &current();
    void fillMissing();

    // The branch's wallet settings (one PARAVEND row), or the failure.
    std::function<Variant(const QString &CDFILIAL)> getDadosAme;
    // The sale's wallet payments (IDTRANSAME, NRSEQUMOVI, VRMOVIVEND, IDTRANSAMECAPT), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                          const QDateTime &DTABERTUR)>
        getMovCaixaAME;
    // The store's GCOM settings (IDUTLINTEGCOM, CDBRANDIDGCOM, CDURLGCOM, IDTOKENAPIGCOM), or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA)> getDadosGCOM;
    // The sale's GCOM data (NRINSJURIEST, NRNOTAFISCALCE, NRCOMANDAEXT, NRTELGCOM); an empty
    // packet for an unknown sale, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)> getVendaGCOM;
};

// The fiscal documents the till issued (SAT sales, card movements of a coupon).
struct LookupsFiscal
{
    LookupsFiscal();
    static LookupsFiscal &current();
    void fillMissing();

    // The desk's SAT sales with that note number, newest first; a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA)> getUltVendaSat;
    // True when the newest SAT sale with that note number is cancelled; False otherwise or on failure.
    std::function<bool(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA)> getSituVendaSat;
    // NRCONTROLTEF of the card movement of the desk's receipt that day; empty when none, or
    // the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                          const QDateTime &DTENTRVENDA)>
        getRetornaTefCappta;
};

// Cancelling a saved sale and the lookups of the cancellation screens.
struct Cancellation
{
    Cancellation();
    static Cancellation &current();
    void fillMissing();

    // Records the cancellation of a saved sale; its item rows (a packet), or the failure.
    std::function<Variant(const Srv_Kal51000::SaleCancelRequest &request)> getVendaNFisc;
    // Items of the sale with that number that print a cancellation ticket (and of its
    // compositions); a packet, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)> getItemsCancelados;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        getItemsCanceladosEst;
    // The open NF-e sale with its NF-e data, or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTAFISCALCE,
                          const QDateTime &DTABERTUR)>
        getVendaCanNFCe;
    // "S" when the store makes the cancellation note mandatory; or the failure.
    std::function<Variant(const QString &CDFILIAL, const QString &CDLOJA)> getObrigaObsCan;
    std::function<Variant(const QString &CDFILIAL)> getIDDTEMISCANC;
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
    Seam::Partners partners;
    Seam::Cancellation cancellation;
    Seam::LookupsFiscal lookupsFiscal;
};
