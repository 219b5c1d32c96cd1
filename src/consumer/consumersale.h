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

// Consumer accounts, limits, loyalty and partner integrations: what the sale form's shell,
// start-up and item registration ask of them.
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

    // ---- what item registration asks of the consumer accounts -------------------------------
    // Each does the least its contract asks; a check that cannot tell answers that the item
    // fits, so an ordinary sale is never blocked by it.

    // Loads the consumer's balance data; leaves stRecebAux6 and stPedidoAux6 as they are.
    void preparaVarPreVDSaldo();
    // Fills the balance and spending figures the next limit check reads; does nothing yet.
    void Sald_Gast_Cons(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                        const QString &NMCONSUMIDOR, const QString &CDFAMILISALD, const QString &Extra);
    // Limit checks: true when the item fits; on false the check has shown its own message.
    // They answer true for now.
    bool Valida_Parametros_Debito_Consumidor(const QString &Qtde, const QString &Preco,
                                             const QString &PrecoCliente, const QString &Desconto,
                                             const QString &Acrescimo, const QString &Flag);
    bool Valida_Parametros_Credito_Pessoal(const QString &CDFAMILISALD, const QString &Qtde,
                                           const QString &Preco, const QString &PrecoCliente,
                                           const QString &Desconto, const QString &Acrescimo,
                                           const QString &Flag, const QString &IDPROMOCAO);
    // Daily service limits; answer true for now.
    bool Valida_Produtos_Servico(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Qtde,
                                 const QString &Preco, const QString &PrecoCliente, ClientDataSet &cdsItems);
    bool Valida_QtdeDia_Credito_Pessoal(const QString &CDFAMILISALD, const QString &CDPRODUTO,
                                        const QString &Qtde, ClientDataSet &cdsItems);
    // The family-balance log of a personal-credit sale; goes to the process log.
    void LogFamSaldo(const QString &Text);
    // Adds the value to the family's row (inserting it), or takes it off and deletes the row
    // once it is worth 0 or less (rounded to cents). Creates the dataset when it is closed.
    void addFamiliaSaldo(ClientDataSet &cdsFamiliaSaldo, const QString &CDFAMILISALD, double Value,
                         bool Add);
    // Receipt writer of the compact layouts "4", "6" and "8": one counted row per sale line.
    void LinhaEx3(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                  const QString &Preco, const QString &PrecoCliente, bool ComObs, const QString &Lugar,
                  const QString &Unidade, double Desconto, double Acrescimo, const QString &Obs);

    // Seams of the product entry: the counter loyalty treatment of a line (may change
    // doVrDescontoItem) and the minimum consumption check of a consumer-debit sale (refuses
    // through Abort). Neither changes nor refuses anything yet.
    void FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                          const QString &Desconto);
    void VerifVrMinConsumoProd(const QString &CDPRODUTO);

private:
    SaleContext &m_context;
};

// Server functions of the consumer accounts that the settlement end reads, as one replaceable
// table; each default is the server layer's function. Tests replace members through
// ScopedConsumerServer.
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

    // Consumer register rows (NMCONSUMIDOR, NRCPFRESPCON, IDTPVENDACONS) of a consumer the
    // branch may sell to; the till's switches IDEXCONSATFIL and IDEXCONSATGER both "S": active only.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER)>
        getCadConsumidor;
    // Balance per family of the branch (CDFAMILISALD, NMFAMILISALD, VRSALDCONFAM).
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)>
        getConsSaldFam;
    // The consumer's spending of the day in the packet's last family.
    std::function<Variant(const DayRequest &)> getGastoDia;
    // The daily consumption limit of the packet's last family (0: none); a failure "ERRO_3 ..."
    // when the family is closed to the consumer.
    std::function<Variant(const DayRequest &)> getLimitConsDiario;
    // Records the buyer's CPF with the consumer (the twelve texts of setGravaConsumidor).
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
