#pragma once

#include <Qt>
#include <QString>

class ClientDataSet;
class CustomerMonitor;
class QLabel;
class QObject;

// What the sale roads (order, settlement, consumer) ask of the screen that shows the sale:
// the cashier line, the buttons, the receipt lines and footer, the reset of a finished sale
// and its recovery files. The screen implements it; the roads know only this, so they never
// depend on how the screen is built.
class SaleShell
{
public:
    SaleShell(const SaleShell &) = delete;
    SaleShell &operator=(const SaleShell &) = delete;

    // The cashier's message line.
    virtual void Mensagem_Caixa(const QString &text) = 0;

    // Buttons: the enabled and visible state of every function button from the rights, the
    // mode and the sale; the disabling while a receipt is cancelled; the 36 product and 12
    // group buttons.
    virtual void ControleAcessoBotoes() = 0;
    virtual void DesabilitaBotoes() = 0;
    virtual void ControlaBotoes(bool Enable) = 0;
    virtual void ControlaBotoes_Grupo(bool Enable) = 0;
    // Draws product page of group button `Group` on the touch grid.
    virtual void MontaConfigProduto(bool First, const QString &Group) = 0;

    // Devices: true when the fiscal printer is in error and the caller must stop; false when
    // the cash drawer is open; a text on the customer pole display.
    virtual bool VerificaImpressoraOk(bool Flag) = 0;
    virtual bool VerificaEstadoGaveta(const QString &DrawerType) = 0;
    virtual void Atualiza_Display(const QString &Text, bool WithDate) = 0;
    // The customer display on the second monitor while it is in use, else null.
    virtual CustomerMonitor *customerDisplay() = 0;

    // The end of a sale: the datasets emptied, the variables reset, the open sale dropped,
    // the recovery files kept in line or deleted.
    virtual void LimpaCDS() = 0;
    virtual void LimpaVariaveis() = 0;
    virtual void RestauraCaixa() = 0;
    virtual void ControleCdsVenda_Diretorio(const QString &Mode) = 0;
    virtual void ApagaCdsVenda_CdsItensCancelados() = 0;

    // Receipt lines and footer.
    virtual void Linha(const QString &text) = 0;
    virtual void LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Obs,
                          const QString &Qtde, const QString &Preco, const QString &PrecoCliente) = 0;
    virtual void LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente,
                          const QString &NrSeq, bool ComObs, const QString &Lugar, const QString &Unidade,
                          double Desconto, double Acrescimo, const QString &Obs) = 0;
    virtual void RestauraRodape(const QString &Modo, const QString &Texto) = 0;

    // The next sale at the counter (layouts "3" and "8" start the badge sale).
    virtual void ChamaClick_BotaoVendaConsumidor(const QString &ScreenType) = 0;

    // Texts asked before the sale is saved: the end-of-sale observation, the consumer's e-mail.
    virtual void GetObsFinVen() = 0;
    virtual void relacionaEmailVenda() = 0;

    // Screen actions a road triggers as the cashier would: a key, the observation button,
    // the closing of the screen.
    virtual void FormKeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift) = 0;
    virtual void spbObsClick(QObject *Sender) = 0;
    virtual void Close() = 0;

protected:
    SaleShell() = default;
    ~SaleShell() = default;
};

// The customer display on the till's second monitor, as the sale roads write it.
class CustomerMonitor
{
public:
    CustomerMonitor(const CustomerMonitor &) = delete;
    CustomerMonitor &operator=(const CustomerMonitor &) = delete;

    // The receipt lines shown to the customer.
    virtual ClientDataSet &lines() = 0;
    // A label of the display by name (lblVrTotal, lblPeso, ...); null when there is none.
    virtual QLabel *label(const QString &name) const = 0;

protected:
    CustomerMonitor() = default;
    ~CustomerMonitor() = default;
};
