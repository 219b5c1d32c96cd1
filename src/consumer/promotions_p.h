#pragma once

#include <QList>
#include <QString>

class SaleContext;

// The promotions consultation of a counter sale (spbConsultaPromoClick): the cart goes to the
// promotions service through the host, the operator picks one promotion, and its prices and
// products are applied to the sale. Private to the consumer subsystem.
class PromotionConsultation
{
public:
    explicit PromotionConsultation(SaleContext &context);

    void run();

    // Keeps every promotion answered with the sale as offered ("N") and stamps every line of
    // the sale with the customer's CPF and the cart's order identifier.
    void setPromoComanda(const QString &Cpf, const QString &IdPedido);
    // The service's errors, one "ERRO-code:text" and a carriage return each; Default when
    // there is none.
    QString ErrosPromocoes(const QString &Default) const;
    // Registers the current row of cdsProdutosInt as a sale item; false when the product could
    // not be resolved (the lookup has told the operator) or the registration added no line.
    bool setProdPromocao();

private:
    // One product row of the chosen promotion, checked before anything changes.
    struct Change
    {
        int row = 0;            // record number in cdsProdutosInt
        QString CDPRODUTO;
        double price = 0;
        double quantity = 0;
        bool lineFound = false; // the row points at a line of the sale with this product
        bool add = false;       // no such line and the row asks for the product to be added
    };

    bool alreadyUsed();
    bool exchange(const QString &cpf, const QString &code, QString &orderId);
    bool chooseOffered(QString &chosen);
    bool gatherChanges(const QString &chosen, QList<Change> &changes);
    bool productResolves(const QString &code);
    bool apply(const QList<Change> &changes);
    void recomputeFamilies();
    void markApplied(const QString &chosen);
    void clearFilters();

    SaleContext &m_context;
};
