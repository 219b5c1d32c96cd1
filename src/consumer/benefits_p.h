#pragma once

#include <QString>

class SaleContext;
class ClientDataSet;

// The counter benefit of one item about to be registered (FidelidadeBalcao): offers the
// consumer's benefits, checks the chosen one's daily limits, reserves one use of it and sets
// the item's unit discount. Private to the consumer subsystem.
class CounterBenefits
{
public:
    struct Item
    {
        QString CDCLIENTE;
        QString CDCONSUMIDOR;
        QString CDPRODUTO;
        QString NMPRODUTO;
        QString Preco;
        QString Desconto;
    };

    explicit CounterBenefits(SaleContext &context);

    void run(const Item &item);

    // The use reserved for an item that then did not register goes back to the consumer;
    // once the item has registered the reservation stays (settlement binds it to the sale).
    void settlePending();

    // Keys of the list's current row, kept after every move of the list.
    static void afterScroll(SaleContext &context);
    // "Percentual" for a percent benefit, "Valor" otherwise.
    static QString discountKindText(const QString &IDTPDESBENECONS);

private:
    bool offered(const Item &item);
    bool chooseFromList(const Item &item);
    bool productAccepted(const Item &item);
    bool withinDailyLimits(const Item &item);
    bool reserveUse();
    double unitDiscount(double price) const;
    void showList(bool shown);

    SaleContext &m_context;
};
