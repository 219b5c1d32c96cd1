#pragma once

#include <Qt>
#include <QString>

#include <memory>

#include <sale/saleshell.h>

class ClientDataSet;
class DataSource;
class QObject;
class SaleContext;
struct HostCall;

// The sale screen shell: start-up, the cashier line, the enabling of buttons, the key buffer,
// the receipt-line writers and the footer, the touch grid and the ways out of the screen. The
// form routes its events here; other subsystems call these through the sale context. Each
// handler hands its work to the class of its family (ProcessStartup and CallStartup,
// ButtonAccess, DeviceChecks, KeyboardMap, SaleReset, ReceiptLines, Footer, TouchGrid,
// OrderButton), declared in the folder's private headers (*_p.h). The sale roads reach the
// part they need through SaleShell.
class ScreenShell final : public SaleShell
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
    void Mensagem_Caixa(const QString &text) override;

    // ---- button access control and device checks (accesscontrol.cpp) -----------------------
    // Recomputes the enabled and visible state of every function button from the rights, the
    // sale mode, the parameters and the state of the sale; idempotent.
    void ControleAcessoBotoes() override;
    // The receipt cancellation disables the selling buttons while it runs.
    void DesabilitaBotoes() override;
    // Enables or disables the 36 product buttons / the 12 group buttons.
    void ControlaBotoes(bool Enable) override;
    void ControlaBotoes_Grupo(bool Enable) override;
    // Data change of the item list: an empty list recomputes the buttons; a list with lines
    // closes the ways out of the screen and into the other sale modes.
    void dtsItemsDataChange(QObject *Sender, const QString &FieldName);
    // True when the fiscal printer is in error and the caller must stop (then it answers Flag).
    // A failed date or serial check switches the screen into consultation-only mode.
    bool VerificaImpressoraOk(bool Flag) override;
    // False when the cash drawer is open (the operator was told) and the caller must stop.
    bool VerificaEstadoGaveta(const QString &DrawerType) override;
    // Writes a text (and today's date) on the customer pole display, when there is one.
    void Atualiza_Display(const QString &Text, bool WithDate) override;
    CustomerMonitor *customerDisplay() override;

    // ---- sale reset and recovery files (salereset.cpp) --------------------------------------
    // Empties the sale datasets and the desk's promotion work rows on the server.
    void LimpaCDS() override;
    // Resets the sale variables, totals, labels, footer and pole display to a free till.
    void LimpaVariaveis() override;
    // Drops the open sale: receipt closed, datasets and variables reset, buttons recomputed.
    void RestauraCaixa() override;
    // Brings the recovery files of a counter sale with a fiscal printer in line with the item
    // and cancelled-item lists. A file that cannot be written throws (std::runtime_error).
    void ControleCdsVenda_Diretorio(const QString &Mode) override;
    // Deletes both recovery files (fiscal printer in use only); a failed deletion is ignored.
    void ApagaCdsVenda_CdsItensCancelados() override;

    // ---- form events ------------------------------------------------------------------------
    // Asks for the foreground once (MouseClick); no input is injected.
    void FormShow(QObject *Sender);
    // The first activation of each start (activation.cpp): buttons, seat controls, the next
    // consumer sale at the counter or the history of the table or tab. A failure is shown.
    void FormActivate(QObject *Sender);
    // Wins the keyboard back after an outside window: the form asks to be the active window.
    void MouseClick();
    // Refreshes the average ticket and receipt count while they are shown.
    void timAtuTicketMedTimer(QObject *Sender);
    // The keyboard map's entry; setting Key to 0 stops the key (no FormKeyPress follows).
    void FormKeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift) override;
    // The key buffer (lblBuffer). Setting Key to a null character drops it.
    void FormKeyPress(QObject *Sender, QChar &Key);

    // ---- receipt lines and footer (receiptlines.cpp) ----------------------------------------
    void Linha(const QString &text) override;
    void LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq,
                  const QString &Obs, const QString &Qtde, const QString &Preco,
                  const QString &PrecoCliente) override;
    void LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente,
                  const QString &NrSeq, bool ComObs, const QString &Lugar, const QString &Unidade,
                  double Desconto, double Acrescimo, const QString &Obs) override;
    void RestauraRodape(const QString &Modo, const QString &Texto) override;
    // Posting rule of the receipt lines (receiptgrid.cpp): a row with a value adds to the total.
    void cdsExtratoTempBeforePost(ClientDataSet &DataSet);

    // ---- touch grid (touchgrid.cpp) ---------------------------------------------------------
    void LimpaMenuGrupo();
    void LimpaMenuProduto();
    void MontaConfigGrupo(bool First);
    // Draws product page inPaginaProduto of group button `Group` on the current group page.
    // Past the group's last page the page is bounded and nothing is redrawn. A failure is
    // shown and leaves the grid as far as it was drawn. First has no effect.
    void MontaConfigProduto(bool First, const QString &Group) override;
    void tcbGrupo01Click(QObject *Sender);
    // The product buttons' press: order entry's road.
    void tcbBalcao01Click(QObject *Sender);

    // ---- the next sale (fiscalfunctions.cpp) ----------------------------------------------------
    // Layouts "3" and "8" start the badge sale; others may ask the consumer's telephone.
    void ChamaClick_BotaoVendaConsumidor(const QString &ScreenType) override;

    // ---- texts the settlement asks before it saves the sale (smallactions.cpp) ----------------
    // The end-of-sale observation into stDSOBSFINVEN (at most 100 characters; "erro" is none).
    void GetObsFinVen() override;
    // The consumer's e-mail on every cdsVenda row: "U" switch off, "N" no address, "A" one.
    void relacionaEmailVenda() override;
    // The text shown for IDPARAVIAGEM: "Sim" for "S", else "Não".
    QString cdsItemsIDPARAVIAGEMGetText(const QString &stored) const;

    // ---- buttons of the shell ---------------------------------------------------------------
    // Each delegates to the class of its action; refusals show their message and leave the
    // screen as it was.
    void lblSairClick(QObject *Sender);
    void spbMenuMesaClick(QObject *Sender);
    void spbComandaClick(QObject *Sender);
    void spbDeliveryClick(QObject *Sender);
    void spbVenderClick(QObject *Sender);
    void spbCancProdClick(QObject *Sender);
    void spbFuncoesClick(QObject *Sender);
    void spbObsClick(QObject *Sender) override;
    void spbNrPessoasClick(QObject *Sender);
    void spbImprimeMensagemClick(QObject *Sender);
    void spbParaViagemClick(QObject *Sender);
    void spbConsultaPrecoClick(QObject *Sender);
    void spbQtdeClick(QObject *Sender);
    void spbQtde2Click(QObject *Sender);
    void spbVendaManuClick(QObject *Sender);
    void sbtFidelidadeClick(QObject *Sender);
    // An on-screen key: types the character whose code is the Sender's "Tag" property.
    void sbt1Click(QObject *Sender);
    // Double-click on a receipt row (linedoubleclick.cpp); a row that is no sale line does
    // nothing.
    void dbgCupomDblClick(QObject *Sender);
    void spbGridBaixoClick(QObject *Sender);
    void spbGridAcimaClick(QObject *Sender);
    void spbPosAbaixoClick(QObject *Sender);
    void spbPosAcimaClick(QObject *Sender);
    // Ends the sale screen's modal run (the form's closing clean-up runs first).
    void Close() override;

private:
    SaleContext &m_context;
    // dtsItems: follows cdsItems for dtsItemsDataChange.
    std::unique_ptr<DataSource> m_dtsItems;
};
