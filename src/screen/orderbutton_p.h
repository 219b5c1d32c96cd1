#pragma once

// Private to the screen subsystem: the order button of tables, tabs and deliveries.

class SaleContext;

// Sends the open order and hands the host the keyword of the screen to open next. A refusal
// or failure while sending clears boVenderAux1, so the next press can send again.
class OrderButton
{
public:
    explicit OrderButton(SaleContext &context) : m_context(context) {}

    void spbVenderClick();

private:
    void sendOrderAndLeave();
    bool operatorReadStoreMessage();
    void leaveAfterOrder();

    SaleContext &m_context;
};
