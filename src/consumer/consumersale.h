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
    void btnCimaFidClick(QObject *Sender);
    void btnBaixoFidClick(QObject *Sender);

    // The consumer's points as a discount on the whole sale, once per sale (settlement).
    void DescontoVendaFidelidade();
    // After an item's registration: a benefit use reserved for an item that did not register
    // goes back to the consumer.
    void settlePendingBenefit();

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

    // Seams of the product entry: the counter benefit of a line (may change doVrDescontoItem
    // and reserve a use of the benefit) and the minimum consumption check of a consumer-debit
    // sale (refuses through Abort; refuses nothing yet).
    void FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                          const QString &Desconto);
    void VerifVrMinConsumoProd(const QString &CDPRODUTO);

private:
    void closeBenefitList();

    SaleContext &m_context;
};

