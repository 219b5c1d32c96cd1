#pragma once

// Private to the screen subsystem: what the counter's line actions (observations, item
// cancellation) share for the length of one action.

#include <QPointer>
#include <QWidget>

class SaleContext;

// The counter panel (panBalcao) taken off while an action runs and given back on every way
// out, enabled unless the printer is in error. take() turns it off; a refusal before that
// leaves it as the printer's state says.
class CounterPanelHeld
{
public:
    explicit CounterPanelHeld(SaleContext &context);
    ~CounterPanelHeld();
    CounterPanelHeld(const CounterPanelHeld &) = delete;
    CounterPanelHeld &operator=(const CounterPanelHeld &) = delete;

    void take();

private:
    SaleContext &m_context;
    QPointer<QWidget> m_panel;
};

// While the credit-purchase voucher prints, no line may change: the message, then the
// silent abort.
void refuseWhileCreditVoucherPrints(SaleContext &context);
