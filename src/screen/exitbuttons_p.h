#pragma once

// Private to the screen subsystem: the buttons that leave the sale screen for another mode,
// and the exit button.

#include <QString>

class SaleContext;

// Table, tab and delivery buttons switch to the host's screen of that mode without sending
// anything; the exit button leaves the system after a question. Every way out blanks the
// pole display; an empty delivery order left behind is discarded.
class ExitButtons
{
public:
    explicit ExitButtons(SaleContext &context) : m_context(context) {}

    void spbMenuMesaClick();
    void spbComandaClick();
    void spbDeliveryClick();
    void lblSairClick();

private:
    bool creditVoucherPrinting();
    void zeroCustomerDisplayTotal();
    void discardEmptyDeliveryOrder();
    void leave(const QString &keyword);

    SaleContext &m_context;
};
