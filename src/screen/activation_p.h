#pragma once

// Private to the screen subsystem: the work of the first activation of each screen start.

class SaleContext;

// Runs once per start of the screen (boAtivarAux1), never again when the form regains the
// focus from a dialog. A failure of any step is shown and ends the activation; the screen
// stays open.
class FormActivation
{
public:
    explicit FormActivation(SaleContext &context) : m_context(context) {}

    void FormActivate();

private:
    void warnPrinterNotStarted();
    void showSeatControls();
    void startTheSale();

    SaleContext &m_context;
};
