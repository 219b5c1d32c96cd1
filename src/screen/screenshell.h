#pragma once

#include <Qt>
#include <QString>

#include <memory>

class ClientDataSet;
class QObject;
class SaleContext;
class SaleStartup;
struct HostCall;

// The sale screen shell: start-up, the cashier line, the enabling of buttons, the key buffer,
// the receipt-line writers and the footer, the touch grid and the closing roads. The form
// routes its events here; other subsystems call these through the sale context.
class ScreenShell
{
public:
    explicit ScreenShell(SaleContext &context);
    ~ScreenShell();
    ScreenShell(const ScreenShell &) = delete;
    ScreenShell &operator=(const ScreenShell &) = delete;

    // ---- start-up (startup*.cpp) ------------------------------------------------------------
    // Prepares the form for one host call. Throws (EStartup or what a step raised) when the
    // call cannot go on; VendaCons then answers "ERRO_SISTEMA".
    void InicializaForm(const HostCall &call);
    // The reset of the sale variables, as start-up and the sale reset run it.
    void InicializaVariaveis();

    // ---- shell services ---------------------------------------------------------------------
    void Mensagem_Caixa(const QString &text);
    // Enables or disables the 36 product buttons / the 12 group buttons.
    void ControlaBotoes(bool Enable);
    void ControlaBotoes_Grupo(bool Enable);
    // Enables the function buttons from the operator's rights and the sale mode.
    void ControleAcessoBotoes();
    // True when the fiscal printer is in error and the operator was told.
    bool VerificaImpressoraOk(bool Report);
    // True when selling may go on as far as the cash drawer is concerned.
    bool VerificaEstadoGaveta(const QString &IDTIPOGAVETA);

    // ---- form events ------------------------------------------------------------------------
    void FormShow(QObject *Sender);
    void FormActivate(QObject *Sender);
    // The keyboard map's entry; setting Key to 0 stops the key (no FormKeyPress follows).
    void FormKeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift);
    // The key buffer (lblBuffer). Setting Key to a null character drops it.
    void FormKeyPress(QObject *Sender, QChar &Key);

    // ---- receipt lines and footer (receiptlines.cpp) ----------------------------------------
    void Linha(const QString &text);
    void LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq,
                  const QString &Obs, const QString &Qtde, const QString &Preco,
                  const QString &PrecoCliente);
    void LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente,
                  const QString &NrSeq, bool ComObs, const QString &Lugar, const QString &Unidade,
                  double Desconto, double Acrescimo, const QString &Obs);
    void RestauraRodape(const QString &Modo, const QString &Texto);
    // Posting rule of the receipt lines (receiptgrid.cpp): a row with a value adds to the total.
    void cdsExtratoTempBeforePost(ClientDataSet &DataSet);

    // ---- touch grid (touchgrid.cpp) ---------------------------------------------------------
    void LimpaMenuGrupo();
    void LimpaMenuProduto();
    void MontaConfigGrupo(bool First);
    void MontaConfigProduto(bool First, const QString &Group);
    void tcbGrupo01Click(QObject *Sender);
    void tcbBalcao01Click(QObject *Sender);

    // ---- buttons of the shell ---------------------------------------------------------------
    void lblSairClick(QObject *Sender);
    void spbMenuMesaClick(QObject *Sender);
    void spbComandaClick(QObject *Sender);
    void spbDeliveryClick(QObject *Sender);
    void spbVenderClick(QObject *Sender);
    void spbCancProdClick(QObject *Sender);
    void spbFuncoesClick(QObject *Sender);
    void spbObsClick(QObject *Sender);
    void spbNrPessoasClick(QObject *Sender);
    void spbImprimeMensagemClick(QObject *Sender);
    void spbParaViagemClick(QObject *Sender);
    void spbConsultaPrecoClick(QObject *Sender);
    void spbQtdeClick(QObject *Sender);
    void spbQtde2Click(QObject *Sender);
    void spbGridBaixoClick(QObject *Sender);
    void spbGridAcimaClick(QObject *Sender);
    void spbPosAbaixoClick(QObject *Sender);
    void spbPosAcimaClick(QObject *Sender);

private:
    // ---- keyboard map (keyboard*.cpp) -------------------------------------------------------
    void keyCombinations(int pressed, int &Key, Qt::KeyboardModifiers Shift);
    void enterKey();
    void escapeKey();
    void changeOperator();
    bool openDrawer();

    // Sets the exit keyword and closes the form, unless a receipt is open.
    void closeWith(const QString &keyword);
    void moveSeat(int step);

    SaleContext &m_context;
    std::unique_ptr<SaleStartup> m_startup;
};
