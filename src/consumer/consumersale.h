#pragma once

class QObject;
class QString;
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
