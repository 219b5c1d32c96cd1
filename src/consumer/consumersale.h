#pragma once

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class ClientDataSet;
class QObject;
class SaleContext;

// Consumer accounts, limits, loyalty and partner integrations. This class holds what the sale
// form's shell and start-up call; the consumer roads grow it.
class ConsumerSale
{
public:
    explicit ConsumerSale(SaleContext &context);
    ConsumerSale(const ConsumerSale &) = delete;
    ConsumerSale &operator=(const ConsumerSale &) = delete;

    // Resets the fuel-station loyalty state of the sale and takes over the buyer's document
    // already held for the sale (CPF/CNPJ, else the foreign id) as the loyalty CPF.
    void inicializaVarClubPetro();

    // Click handlers of the consumer buttons.
    void spbCompraCredClick(QObject *Sender);
    void spbCartaoClick(QObject *Sender);
    void spbCredPessoalClick(QObject *Sender);
    void spbVendaVisClick(QObject *Sender);
    void spbVendaDebClick(QObject *Sender);
    void spbCancEscolheClick(QObject *Sender);
    void spbCadConsClick(QObject *Sender);
    void spbCashbackClick(QObject *Sender);
    void spbCashbackUDSClick(QObject *Sender);
    void spbConsultaPromoClick(QObject *Sender);
    void btnEnterFidClick(QObject *Sender);
    void btnSairFidClick(QObject *Sender);

    // ---- what item registration asks of the consumer roads ----------------------------------
    // Each does the least its contract asks until its road fills it in; a check that cannot
    // yet tell answers that the item fits, so an ordinary sale is never blocked by it.

    // Loads the consumer's balance data; leaves stRecebAux6 and stPedidoAux6 as they are (the
    // balance road fills it in).
    void preparaVarPreVDSaldo();
    // Fills the balance and spending figures the next limit check reads (the balance road).
    void Sald_Gast_Cons(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                        const QString &NMCONSUMIDOR, const QString &CDFAMILISALD, const QString &Extra);
    // Limit checks: true when the item fits; on false the check has shown its own message
    // (the limit validation road fills these in).
    bool Valida_Parametros_Debito_Consumidor(const QString &Qtde, const QString &Preco,
                                             const QString &PrecoCliente, const QString &Desconto,
                                             const QString &Acrescimo, const QString &Flag);
    bool Valida_Parametros_Credito_Pessoal(const QString &CDFAMILISALD, const QString &Qtde,
                                           const QString &Preco, const QString &PrecoCliente,
                                           const QString &Desconto, const QString &Acrescimo,
                                           const QString &Flag, const QString &IDPROMOCAO);
    // The daily service limits road fills this in.
    bool Valida_Produtos_Servico(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Qtde,
                                 const QString &Preco, const QString &PrecoCliente, ClientDataSet &cdsItems);
    bool Valida_QtdeDia_Credito_Pessoal(const QString &CDFAMILISALD, const QString &CDPRODUTO,
                                        const QString &Qtde, ClientDataSet &cdsItems);
    // The family-balance log of a personal-credit sale (the statement road writes the file).
    void LogFamSaldo(const QString &Text);
    // Adds the value to the family's row (inserting it), or takes it off and deletes the row
    // once it is worth 0 or less (rounded to cents). Creates the dataset when it is closed.
    void addFamiliaSaldo(ClientDataSet &cdsFamiliaSaldo, const QString &CDFAMILISALD, double Value,
                         bool Add);
    // Receipt writer of the compact layouts "4", "6" and "8": one counted row per sale line
    // (the statement road gives it its own layout).
    void LinhaEx3(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                  const QString &Preco, const QString &PrecoCliente, bool ComObs, const QString &Lugar,
                  const QString &Unidade, double Desconto, double Acrescimo, const QString &Obs);

    // Seams of the product entry, filled in by the loyalty and consumer-limit roads: the
    // counter loyalty treatment of a line (may change doVrDescontoItem) and the minimum
    // consumption check of a consumer-debit sale (refuses through Abort).
    void FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                          const QString &Desconto);
    void VerifVrMinConsumoProd(const QString &CDPRODUTO);

private:
    SaleContext &m_context;
};

// Server functions of the consumer accounts that the settlement end reads and the server layer
// does not offer yet, as one replaceable table. Each default does the least a caller can rely
// on; the consumer roads replace them with the server layer's own. Tests replace members
// through ScopedConsumerServer.
struct ConsumerServer
{
    ConsumerServer();

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

    // Consumer register rows (NMCONSUMIDOR, NRCPFRESPCON, IDTPVENDACONS): the server's consumer
    // lookup by client and consumer.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)>
        getCadConsumidor;
    // Balance per family (CDFAMILISALD, VRSALDCONFAM); filled in by the balance road, until then
    // an empty answer (no balances).
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)>
        getConsSaldFam;
    // The consumer's spending of the day; filled in by the family consumption road, until then
    // a failure, so no balance is taken on figures nobody read.
    std::function<Variant(const DayRequest &)> getGastoDia;
    // The daily consumption limit (0: none); filled in like getGastoDia, a failure until then.
    std::function<Variant(const DayRequest &)> getLimitConsDiario;
    // Records the buyer's CPF with the consumer (twelve texts); filled in by the consumer
    // register road, until then nothing is recorded and the call is logged.
    std::function<Variant(const QStringList &values)> setGravaConsumidor;
};

// The process's table.
ConsumerServer &consumerServer();

class ScopedConsumerServer
{
public:
    explicit ScopedConsumerServer(ConsumerServer replacement);
    ~ScopedConsumerServer();
    ScopedConsumerServer(const ScopedConsumerServer &) = delete;
    ScopedConsumerServer &operator=(const ScopedConsumerServer &) = delete;

    ConsumerServer &table() { return consumerServer(); }

private:
    ConsumerServer m_previous;
};
