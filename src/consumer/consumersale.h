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

    // The consumer's sale data and family balances for the balance check before the sale, with
    // the account letter (stPedidoAux6); shows its own failures.
    void preparaVarPreVDSaldo();
    // Fills the spending and balance figures the next limit check reads from the source the
    // parameters choose; a source that fails raises std::runtime_error with the text to show.
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
    // The family-balance log of a personal-credit sale (dados/LogKal51000); never fails.
    void LogFamSaldo(const QString &Text);
    // Adds the value to the family's row (inserting it), or takes it off and deletes the row
    // once it is worth 0 or less (rounded to cents). Creates the dataset when it is closed.
    void addFamiliaSaldo(ClientDataSet &cdsFamiliaSaldo, const QString &CDFAMILISALD, double Value,
                         bool Add);
    // Receipt writer of the compact layouts "4", "6" and "8": the item row, its observation
    // and a rule.
    void LinhaEx3(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                  const QString &Preco, const QString &PrecoCliente, bool ComObs, const QString &Lugar,
                  const QString &Unidade, double Desconto, double Acrescimo, const QString &Obs);

    // ---- the badge consumer sale (badgesale*.cpp) ----------------------------------------------
    // The sale-kind chooser: shows the kinds the allowed-kinds code permits and returns once
    // stTipoVendaCons holds "1", "2", "3" or "0".
    void SelecionarTipoVenda(const QString &Codigo);
    // True when the consumer may consume; on a refusal the badge sale is reset.
    bool ValidarCadastro();
    // Before a cancellation: reverses a personal-credit sale on the online statement service
    // (empty number: the desk's last receipt); raises std::runtime_error when it cannot.
    void ConectaExtConsOnline(const QString &NrVenda);
    void CarregaFotoConsumidor(const QString &Codigo);
    // The final balance text of a consumer receipt into stRecebAux15 (also answered).
    QString CalcSaldoFinalCredCons(double Movimento, double Saldo, double Venda, const QString &Modo,
                                   const QString &Tipo);
    // Midnight of the first day of the date's month.
    QDateTime PrimeiroDiaMes(const QDateTime &Date);
    // "Sim" for "S", else "Não".
    QString cdsFamSaldoIDPERMCARGACREDGetText(const QString &stored) const;

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

