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

// What a partner did with its part of a sale's cancellation.
struct PartnerCall
{
    enum class Outcome {
        Done,    // done, or nothing to do
        Refused, // the partner answered and refused: nothing changed there, nothing is kept
        Pending, // not known: kept on the till with its id and sent again
    };
    Outcome outcome = Outcome::Done;
    QString text; // what the operator was told
    // The partner left a call unanswered until its time-out: the cancellation waits no more on
    // partners, and keeps its other partner calls to send later.
    bool unanswered = false;
};

// Consumer accounts, limits, loyalty and partner integrations: what the sale form's shell,
// start-up and item registration ask of them.
class ConsumerSale
{
public:
    explicit ConsumerSale(SaleContext &context);
    ConsumerSale(const ConsumerSale &) = delete;
    ConsumerSale &operator=(const ConsumerSale &) = delete;

    // Resets the fuel-station loyalty state of the sale and takes over the consumer's
    // registration number (else the buyer's foreign id) as the loyalty document.
    void inicializaVarClubPetro();

    // ---- partner clients (partners_*.cpp) ------------------------------------------------------
    // Refunds every AME wallet payment of the sale; never raises; tells the operator the outcome
    // once: REQESTAMEOK when every payment was refunded; else what AME answered, and whether a
    // refund was refused (Refused: nothing is kept, the sale must not be cancelled yet) or did
    // not complete (Pending: kept on the till with its refund id and sent again by
    // retryPartnerCalls). A sale without wallet payments sends, writes and shows nothing. A
    // refund done is remembered on the till and not sent again when the cancellation is pressed
    // again; once AME leaves a call unanswered, the sale's other refunds are kept without
    // waiting again. `onRefusal` is added to the message of a refusal (what became of the sale).
    PartnerCall EstornoAME(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                           const QDateTime &DTABERTUR, const QString &onRefusal = QString());
    // Cancels the sale's GCOM cashback at the platform (cdsDadosGCOM loaded by the caller). True
    // when cancelled or when there was nothing to cancel.
    bool CancelaCashBackGCOM(const QString &Endpoint, const QString &CDFILIAL, const QString &CDCAIXA,
                             const QString &NRSEQVENDA);
    // The cancellation roads' use of it: loads cdsDadosGCOM for the store and, when the store
    // uses GCOM, sends the cancellation once, within the request's time-out. A cancellation
    // that did not complete is kept pending with the sale's key (the platform cancels a sale
    // once) and the operator is told once, with what the platform answered. `send` false (a
    // partner of this cancellation already left the till waiting): kept at once, not sent.
    PartnerCall cancelGcomCashback(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCAIXA,
                                   const QString &NRSEQVENDA, bool send = true);
    // Sends again the partner calls kept pending on this till, oldest first, away from any
    // cancellation: at start-up every one, between sales those not tried in the last minutes.
    // One that completes (or that the partner refuses for good) leaves the queue and the
    // operator is told. The first call a partner leaves unanswered ends the pass: the others
    // stay kept, so a pass holds the till for one time-out at most.
    void retryPartnerCalls();
    // Between sales (no sale on the screen): the kept calls that are due, as above.
    void retryPartnerCallsBetweenSales();
    // ClubPetro client. Failures leave stMensagemClubPetro (for the operator) and
    // stMensagemClubPetroAux (for the log) in the sale's ClubPetroCustomer.
    bool buscaTokenResgate(const QString &CDFILIAL);
    bool buscaDadosConsClubPetro(const QString &Token, const QString &Documento, const QString &Tipo);
    bool resgatePontoClubPetro(const QString &Token, double Pontos, const QDateTime &Momento);
    void logClubPetro(const QString &Text, const QString &SeparatorOnly, const QString &WithDetail);
    void desalocaVariaveisClubPetro();
    // The site's setting of the programme's token endpoint; empty when none is set.
    static QString clubPetroTokenUrl();

    // Click handlers of the consumer buttons.
    void spbCompraCredClick(QObject *Sender);
    // At start-up: the credit loads of this desk that were written but whose voucher and card
    // confirmation the till stopped before are told to the operator and finished, never
    // written again.
    void finishInterruptedLoads();
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

    // The consumer's sale data and family balances for the balance check before the sale, with
    // the account letter (stPedidoAux6); shows its own failures.
    void preparaVarPreVDSaldo();
    // Fills the spending and balance figures the next limit check reads from the source the
    // parameters choose; a source that fails raises std::runtime_error with the text to show.
    void Sald_Gast_Cons(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                        const QString &NMCONSUMIDOR, const QString &CDFAMILISALD, const QString &Extra);
    // Limit checks of an item (Flag "N") or of a sale row at settlement (Flag "S"): true when
    // it fits; on false the check has shown its own message. The credit check's last argument
    // is the item's combination mark: "N" checks the balance floor against the combination's
    // price and ends the whole entry (Abort) when it is refused.
    bool Valida_Parametros_Debito_Consumidor(const QString &Qtde, const QString &Preco,
                                             const QString &PrecoCliente, const QString &Desconto,
                                             const QString &Acrescimo, const QString &Flag);
    bool Valida_Parametros_Credito_Pessoal(const QString &CDFAMILISALD, const QString &Qtde,
                                           const QString &Preco, const QString &PrecoCliente,
                                           const QString &Desconto, const QString &Acrescimo,
                                           const QString &Flag, const QString &IDPROMOCAO);
    // Daily service limits of a new item under the service in force; writes stCDSERVFILI.
    bool Valida_Produtos_Servico(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Qtde,
                                 const QString &Preco, const QString &PrecoCliente, ClientDataSet &cdsItems);
    // The service limits of one product about to be sold or loaded, on packets of the sale's
    // lines, the consumer-type service rows and the service rows.
    bool Servico_Consu_Qtde(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                            const QString &CDTIPOCONS, const QString &CDPRODUTO, const QString &NMPRODUTO,
                            double Quantidade, double ValorUnitario, const DataPacket &Itens,
                            const DataPacket &ProdServTCon, const DataPacket &ProdServ);
    // The server's word on the product's daily quantity for a personal-credit consumer; a
    // failed call refuses the item with the server's message.
    bool Valida_QtdeDia_Credito_Pessoal(const QString &CDFAMILISALD, const QString &CDPRODUTO,
                                        const QString &Qtde, ClientDataSet &cdsItems);
    // The subsidy split of the current cdsVenda row at settlement: the consumer's own basic
    // subsidy, or the consumer type's basic and extra balances. Each updates its running totals
    // in the sale's figures and hands back the one it grew in Total.
    void VerifVrSubsBasico(double &Total);
    void VerifVrSubsBasicExtra(double &Total);
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

    // Seams of the product entry: the counter benefit of a line (may change doVrDescontoItem
    // and reserve a use of the benefit) and the minimum consumption of a consumer-debit sale,
    // which may raise doQuantidade (a failed central query ends the entry, Abort).
    void FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                          const QString &Desconto);
    void VerifVrMinConsumoProd(const QString &CDPRODUTO);

private:
    bool acceptClubPetroCustomer(const QString &answer, const QString &Documento, const QString &detail);
    void failClubPetroRedemption();
    void closeBenefitList();

    SaleContext &m_context;
};

