#pragma once

#include <QString>

class QObject;
class SaleContext;

// Order entry: the road of one product to the open sale, orders and tickets. This class holds
// what the sale form's shell and start-up call; the item road grows it.
class OrderEntry
{
public:
    explicit OrderEntry(SaleContext &context);
    OrderEntry(const OrderEntry &) = delete;
    OrderEntry &operator=(const OrderEntry &) = delete;

    // The waiter of `Code` (adjusted to 4, else taken as an operator code adjusted to 12) in
    // the waiter copy; its name goes into `WaiterName`. An empty code clears stCDVENDEDOR and
    // is accepted. False when the copy is empty or holds no such waiter ("GAR_N_CAD").
    bool ValidaGarcom(QString &WaiterName, const QString &Code, const QString &CheckKind);

    // Fills the receipt grid with the bill of the open table or tab of the call. At the counter
    // it leaves one person and no table or tab numbers.
    void PreencheExtrato();

    // Click handlers of the buttons order entry answers.
    void spbPesquisaClick(QObject *Sender);
    void spbProdCombinadoClick(QObject *Sender);

private:
    SaleContext &m_context;
};
