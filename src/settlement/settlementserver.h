#pragma once

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

#include <functional>

// The server functions the settlement calls, as one replaceable table: by default the server
// layer's own (Srv_Kal51000); tests replace members. Also the random source of the pager
// numbers, so a test can choose the draws.
struct SettlementServer
{
    SettlementServer(); // every member holds the server layer's function

    // The data module's test connection: empty when the base answered, else its error text.
    std::function<QString()> serverProbe;

    // Order pager numbers.
    std::function<Variant(const QString &CDFILIAL, const QDateTime &date)> getSenhaCupom;
    std::function<QString(const QString &CDFILIAL, const QString &number, const QString &CDCAIXA,
                          const QDateTime &date)>
        getSenhaUtil; // non-empty: the number is in use today
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        getSenhaRandonExist; // True: the number exists
    std::function<Variant(const QString &CDFILIAL, const QString &date)> ReiniciaSenhaCupom;

    // Document numbers of the ordinary sale.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &prefix,
                          const QString &rangeStart, const QString &rangeEnd)>
        getPrxVendaColombia; // "CUPINV" when the range is used up
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSERIENFCE,
                          const QString &IDTPAMBNFCE, bool voiding)>
        setNumeroNFCe;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &kind)> setNrVendaNFisc;

    // Loyalty of the sale.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getProdPromoFidelidade;
    std::function<bool(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getCadBeneficio;
    std::function<Variant(const QString &CDFILIAL, const QString &NRSEQPRODCAMP, const QString &CDPRODUTO)>
        getMovFidelidade;
    std::function<Variant(const QString &unusedCode, const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                          const QString &NRSEQBENEFICIO, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDTPDESBENECONS, const QDateTime &DTINIVALBENECONS,
                          const QDateTime &DTFIMVALBENECONS, double VRDESBENECONS, int QTDEBENEFICIO)>
        setMovFidelidade;
    std::function<Variant(const QString &NRSEQVENDA, const QString &CDFILIAL, const QString &CDCAIXA)>
        setVendaBeneficioBalcao;

    // The kitchen display's orders of a sale that is cancelled.
    std::function<Variant(const Variant &sale, const QString &CDCAIXA, const QString &CDFILIAL,
                          const QString &NRSEQVENDA, bool satTill)>
        CancelaPedidoKDS;

    // The buyer's CPF into the consumer register (kind "2": only the CPF of a consumer whose
    // register lets the till change it). True, or the failure.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &NRCPF,
                          const QString &STPROCESSAMENTO, const QString &kind)>
        setGravaConsumidor;

    // A random integer from 0 to bound - 1.
    std::function<int(int bound)> random;
};

// The process's table; tests replace members through ScopedSettlementServer.
SettlementServer &settlementServer();

class ScopedSettlementServer
{
public:
    explicit ScopedSettlementServer(SettlementServer replacement);
    ~ScopedSettlementServer();
    ScopedSettlementServer(const ScopedSettlementServer &) = delete;
    ScopedSettlementServer &operator=(const ScopedSettlementServer &) = delete;

    SettlementServer &table() { return settlementServer(); }

private:
    SettlementServer m_previous;
};
