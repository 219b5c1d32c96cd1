#pragma once

// Private to the screen subsystem: the enabling of the sale screen's buttons and the device
// checks the handlers make before they act.

class QObject;
class QString;
class SaleContext;

// Recomputes the enabled and visible state of the function buttons; a later rule may
// override an earlier one.
class ButtonAccess
{
public:
    explicit ButtonAccess(SaleContext &context) : m_context(context) {}

    void ControleAcessoBotoes();
    void DesabilitaBotoes();
    void ControlaBotoes(bool Enable);
    void ControlaBotoes_Grupo(bool Enable);
    void dtsItemsDataChange(const QString &FieldName);
    // The printer-error panel over the product grid, and the touch buttons under it.
    void showPrinterError(bool inError);

private:
    void saleModeButtons();
    void itemButtons();
    void consumerButtons();
    void creditPurchaseButtons();
    void settlementButtons();
    void enableNumbered(const char *prefix, int count, bool Enable);

    SaleContext &m_context;
};

// The fiscal printer, the cash drawer and the pole display, checked or written before a
// handler acts.
class DeviceChecks
{
public:
    explicit DeviceChecks(SaleContext &context) : m_context(context) {}

    bool VerificaImpressoraOk(bool Flag);
    bool VerificaEstadoGaveta(const QString &DrawerType);
    void Atualiza_Display(const QString &Text, bool WithDate);

private:
    bool printerAnswers();
    bool drawerOpen(const QString &DrawerType);

    SaleContext &m_context;
};
