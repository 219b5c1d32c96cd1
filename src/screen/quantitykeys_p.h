#pragma once

// Private to the screen subsystem: the quantity keys (F2, F3) and price consultation (F5).

#include <QString>

class SaleContext;

// What the next item is sold with: a preset quantity, or a price shown instead of a sale.
// Each press keeps the touch panel off while it runs and gives it back on every way out.
class QuantityKeys
{
public:
    explicit QuantityKeys(SaleContext &context) : m_context(context) {}

    void spbQtde2Click();
    void spbQtdeClick();
    void spbConsultaPrecoClick();

    // The typed quantity's checks, apart from the keypad: empty when accepted, else the key
    // of the refusal ("Qtde_Dev1", "Qtde_Dev2", "Frac_Dev", "Valor_Nao_Numerico").
    static QString refusalOf(const QString &typed, int printerModel);

private:
    bool drawerClosed();
    bool collectorRefused();
    bool accessGranted(int actionCode);
    void applyTypedQuantity(const QString &typed);
    void setConsultation(bool on);
    // Leaves the toggle as the flag says: a refused F5 must not leave the button down while
    // the product roads (reading the flag) still sell, or up while they still only price.
    void followFlag();

    SaleContext &m_context;
};
