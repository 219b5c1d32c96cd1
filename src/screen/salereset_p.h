#pragma once

// Private to the screen subsystem: the reset of the screen to a free till and the recovery
// files of the open counter sale.

class QString;
class SaleContext;

class SaleReset
{
public:
    explicit SaleReset(SaleContext &context) : m_context(context) {}

    void LimpaCDS();
    void LimpaVariaveis();
    void RestauraCaixa();
    void ControleCdsVenda_Diretorio(const QString &Mode);
    void ApagaCdsVenda_CdsItensCancelados();

private:
    void emptySaleDatasets();
    void showFreeTill();
    void showTotals();
    void showStandardLogo();
    void saveOrRemoveSaleFile();
    void saveOrRemoveCancelledFile();

    SaleContext &m_context;
};
