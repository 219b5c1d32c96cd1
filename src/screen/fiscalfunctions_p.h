#pragma once

// Private to the screen subsystem: the fiscal functions menu (F9) and the preparation of the
// next consumer sale at a free till.

#include <QString>

class ClientDataSet;
class SaleContext;

// Hands the till to the host's fiscal functions menu and, back from it, reloads what the
// menu may have changed (operator, rights, business date, SAT activation); or leaves the
// screen when the menu says so. The busy flag is set for the whole run.
class FiscalFunctions
{
public:
    explicit FiscalFunctions(SaleContext &context) : m_context(context) {}

    void spbFuncoesClick();

private:
    bool mayOpenMenu();
    void backToSale();
    void reloadOperator();
    void reloadBusinessDate();
    void reloadSatActivation();
    void followReturnedItems();
    // Loads a local copy into `target`; a missing file is skipped, a file that cannot be read
    // is named to the operator. Either way the target keeps its former rows: false.
    bool reload(const QString &relativePath, ClientDataSet &target);

    SaleContext &m_context;
};

// The next sale at a free till: the badge sale on the consumer-card layouts, else the
// consumer's telephone when the till asks for it.
class NextConsumerSale
{
public:
    explicit NextConsumerSale(SaleContext &context) : m_context(context) {}

    void ChamaClick_BotaoVendaConsumidor(const QString &ScreenType);

private:
    void startBadgeSale();
    void askTelephone();

    SaleContext &m_context;
};
