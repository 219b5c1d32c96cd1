#pragma once

#include "pkg_hrk0000_common.h"

// Requests and answers of the host's consumer-balance services and partner hooks (package
// Pkg_Hrk00002). The statement services answer True when the service was reached; the
// figure or data packet is element 0 of their result array (element 1 for the central debit
// base's "PROD_CONSUMI" and "SALDO_EXCEDE").

// ExtratoConsOnline (dataset, branch, client, consumer, family, date text, service address,
// operation, var result). The dataset is `cdsVazio` for the queries and carries the lines
// for "CARGA_CRED" and "VENDA_CANC".
struct OnlineStatementRequest
{
    QString cdFilial{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString cdFamiliSald{};
    QString dateText{};
    QString url{};       // CDURLWSEXTCONS
    QString operation{}; // "CONSULTA_SALDO", "CONSULTA_CONSUMO", "CONSULTA_CONSUMO_FAMILIA",
                       // "CONSULTA_ORDEM_FAMILIA", "CARGA_CRED", "VENDA_CANC"
    QString cdCaixa{};   // "VENDA_CANC": the desk and the receipt whose sale is reversed
    QString nrVenda{};
    bool operator==(const OnlineStatementRequest &) const = default;
};

// ExtratoConsCentral (branch, "", "", client, consumer, family, date text, operation, var
// result).
struct CentralStatementRequest
{
    QString cdFilial{};
    QString reserved2{}; // always empty in the callers
    QString reserved3{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString cdFamiliSald{};
    QString dateText{};  // "SEQUENCIAL_EXTRATO" passes the stamp's date
    QString operation{}; // "CONSULTA_SALDO_TODOS", "CONSULTA_SALDO_FAM", "CONSULTA_SALDO",
                       // "CONSULTA_CONSUMO", "SALDO_BONUS", "CONSULTA_CONSUMO_FAMILIA",
                       // "CONSULTA_ORDEM_FAMILIA", "CONSUMO_FAM", "SEQUENCIAL_EXTRATO"
    bool operator==(const CentralStatementRequest &) const = default;
};

// MoviclieCentral ("V", branch, store, client, consumer, date text, product or "", operation,
// var result).
struct CentralMovementRequest
{
    QString kind = "V";
    QString cdFilial{};
    QString cdLoja{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString dateText{};
    QString cdProduto{};
    QString operation{}; // "CONSULTA_CONSUMO", "CONSUMO_LOJA_DIA", "CONSUMO_LOJA_MES",
                       // "CONSUMO_MES", "CONSULTA_SALDO", "SUBSIDIO_BASICO_EMP",
                       // "CONSUMO_SALDO_EXTRA", "PROD_CONSUMI", "SALDO_EXCEDE"
    bool operator==(const CentralMovementRequest &) const = default;
};

struct StatementAnswer
{
    bool answered = false; // False: the service could not be reached
    Variant value{};         // element 0: a figure or a data packet
    Variant value1{};        // element 1: "PROD_CONSUMI" packet, "SALDO_EXCEDE" spending
    bool operator==(const StatementAnswer &) const = default;
};

// AtuSaldoExtCons (branch, client, consumer): refreshes the central credit balances.
struct ConsumerKey
{
    QString cdFilial{};
    QString cdCliente{};
    QString cdConsumidor{};
    bool operator==(const ConsumerKey &) const = default;
};

// AtuSaldoDebCons (branch, client, consumer, operator, start date).
struct DebitBalanceRefreshRequest
{
    QString cdFilial{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString cdOperador{};
    QDateTime startDate{};
    bool operator==(const DebitBalanceRefreshRequest &) const = default;
};

// UpdMoviclieCentral: mirrors a debit-movement change on the central base.
struct CentralMovementUpdate
{
    QString cdFilial{};
    QString cdCaixa{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString nrSeqVenda{};
    QString nrSeqMovCli{};
    QString operation{}; // "UPD_ULT_MOVICLIE" or "UPD_SALDO_MOVICLIE"
    double value = 0;  // the new balance
    bool operator==(const CentralMovementUpdate &) const = default;
};

// CargaCreditoBonus: loads of a family in a period on the central base.
struct BonusLoadRequest
{
    QString cdFilial{};
    QString cdCliente{};
    QString cdConsumidor{};
    QString cdFamiliSald{};
    QDateTime firstDay{};
    QDateTime lastDay{};
    bool operator==(const BonusLoadRequest &) const = default;
};

struct BonusLoadAnswer
{
    bool answered = false;
    int count = 0;
    QString lastLoadDate{}; // empty when no load counts
    bool operator==(const BonusLoadAnswer &) const = default;
};

// IntegracaoFid4All: "CONSULTA" (6 values), "VALIDA_PROMOCODE" (10) and, from the server's
// sale cancellation, "VENDA_CANC" (6: url, "", branch, cash desk, sale).
struct Fid4AllRequest
{
    QString operation{};    // 0
    QString url{};          // 1: CDURLWSFID4ALL
    QString cpf{};          // 2
    QString cdFilial{};     // 3 (VENDA_CANC)
    QString cdCaixa{};      // 4 (VENDA_CANC)
    QString nrSeqVenda{};   // 5 (VENDA_CANC)
    QString promoCode{};    // 6 (VALIDA_PROMOCODE, upper case)
    QString nrInsJurFili{}; // 7
    QString totalText{};    // 8: the total as shown
    DataPacket items{};     // 9: cdsItems
    int valueCount = 6;
    bool operator==(const Fid4AllRequest &) const = default;
};

struct Fid4AllAnswer
{
    bool answered = false; // False: the partner was unreachable
    QString failure{};       // the host raised
    bool refused = false;  // element 0 (VENDA_CANC reads it as "sent")
    QString message{};       // 1
    QString name{};          // 2
    double balance = 0;    // 3
    DataPacket promotions{}; // 4: CDPROMOCAO, DSPROMOCAO, DTVALPROMO, DSTIPPROMO, VRPROMOCAO
    bool operator==(const Fid4AllAnswer &) const = default;
};

// IntegracaoFidUds: "CONSULTA" and "VENDA_CANC", 12 values.
struct UdsRequest
{
    QString operation{};  // 0
    QString url{};        // 1: CDURLWSFIDUDS
    QString cpf{};        // 2
    QString cdFilial{};   // 3
    QString cdCaixa{};    // 4 (VENDA_CANC)
    QString nrSeqVenda{}; // 5 (VENDA_CANC)
    QString value6{}, value7{};
    double total = 0;   // 8: doTotalVenda (VENDA_CANC: 0)
    QString origin{};     // 9: stRecebAux7
    QString cdCliente{};  // 10
    QString cdTipoCons{}; // 11
    bool operator==(const UdsRequest &) const = default;
};

struct UdsAnswer
{
    bool answered = false;
    QString failure{};
    bool error = false;   // 0
    QString message{};      // 1: when not empty it replaces every later UDS message
    QString name{};         // 2
    double balance = 0;   // 3
    bool blocked = false; // 4
    bool operator==(const UdsAnswer &) const = default;
};

// IntegracaoPromo: "ENVIO_CARRINHO", "CONSULTA_CARRINHO", "ABANDONA_CARRINHO", 12 values.
struct PromoRequest
{
    QString operation{};  // 0
    QString url{};        // 1: CDURLINTEPROMO
    QString cpf{};        // 2
    QString origin{};     // 3: "BAL" when sending
    Variant when = 0;   // 4: now (send) or 0
    Variant items{};      // 5: cdsItems packet (send) or null
    QString orderId{};    // 6: IDPEDINTEPROMO
    QString cdFilial{};   // 7
    QString cdCaixa{};    // 8 (abandon)
    QString nrSeqVenda{}; // 9 (abandon)
    QString cdLoja{};     // 10
    QString promoCode{};  // 11
    bool operator==(const PromoRequest &) const = default;
};

// Send: [0] error, [1] order id, [2] errors. Consult: [0] error, [1] promotions, [2] products,
// [3] errors.
struct PromoAnswer
{
    bool answered = false;
    QString failure{};
    bool error = false;
    QString orderId{};
    DataPacket promotions{}; // IDPROMOCAO, NMPROMOCAO, DSPROMOCAO, IDTPPROMOCAO, ...
    DataPacket products{};   // IDPROMOCAO, CDPRODUTO, QTPRODCOMVEN, VRPRECCOMVEN, NRPRODCOMVEN, INCLUIDO
    DataPacket errors{};     // CDERRO, DSERROCONS
    bool operator==(const PromoAnswer &) const = default;
};

// The cancellation notices that the server's sale cancellation sends to the other partners;
// only element 0 of their answers is read.

// FidelidadeOnline: "CANCELA_SALDO", 10 values.
struct OnlineLoyaltyNotice
{
    QString operation = "CANCELA_SALDO";
    QString url{}; // CDURLFIDONLINE
    QString cdCliente{};
    QString cdConsumidor{};
    QString value4{}, value5{};
    QString cdFilial{};
    QString cdCaixa{};
    QString nrSeqVenda{};
    QDateTime dtAbertur{};
    bool operator==(const OnlineLoyaltyNotice &) const = default;
};

// ValePresente: "CANC-RESGATE" with "POST", then again with "GET" (13 values).
struct GiftVoucherNotice
{
    QString operation = "CANC-RESGATE";
    QString method = "POST";
    QString url{};     // CDURLINTVALPRE
    QString timeout{}; // NRSEGREQVALPRE
    QString cdFilial{};
    QString cdLoja{};
    QString cdCaixa{};
    QString idReqValPre{};
    QString nrComandaVnd{};
    Variant value9 = Variant::null();
    Variant value10 = Variant::null();
    int value11 = 0;
    int value12 = 0;
    bool operator==(const GiftVoucherNotice &) const = default;
};

// CoreBancario: "CANC-RESGATE", "POST" (10 values), at most two attempts.
struct CoreBankingNotice
{
    QString operation = "CANC-RESGATE";
    QString method = "POST";
    QString url{};     // CDURLCOREBANC
    QString timeout{}; // NRTEMPOCOREBANC
    QString nrCpfCoreBanc{};
    QString idReqCoreBanc{};
    QString cdFilial{};
    QString cdLoja{};
    QString cdCaixa{};
    QString nrSeqVenda{};
    bool operator==(const CoreBankingNotice &) const = default;
};

// FidelidadeVimo: "CANC_CUPOM" (10 values).
struct VimoNotice
{
    QString operation = "CANC_CUPOM";
    QString url{}; // CDURLINTVIMO
    QString cdFilial{};
    QString cdCaixa{};
    QString vrTotVimo{}; // as text
    QString value5{}, value6{};
    QString idCupomVimo{};
    QString nrTelVimo{};
    QString nrSeqVenda{};
    bool operator==(const VimoNotice &) const = default;
};

// FixeCRM: "CANCELAR_TRANS" (10 values).
struct FixeCrmNotice
{
    QString operation = "CANCELAR_TRANS";
    QString url{}; // CDURLFIXECRM
    QString cdFilial{};
    QString cdCaixa{};
    QString vrResgFixeCrm{}; // as text
    QString nrCpfFixeCrm{};
    QString value6{}, value7{};
    QString cdLoja{};
    QString nrSeqVenda{};
    bool operator==(const FixeCrmNotice &) const = default;
};

struct PartnerAnswer
{
    bool answered = false;
    QString failure{}; // the host raised
    Variant value{};   // element 0
    bool operator==(const PartnerAnswer &) const = default;
};
