// Persons, manual invoice, production message, loyalty dialog, take-away, and the texts the
// settlement asks before it saves the sale.
#include "smallactions_p.h"

#include "screenshell.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <order/orderentry.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <QAbstractButton>
#include <QWidget>

namespace {

// The keypad is asked again after a refused zero; a person who keeps confirming zero is
// still let go after this many tries.
constexpr int maxZeroAnswers = 20;
constexpr int observationLength = 100;

bool isWholeNumber(const QString &text, qint64 &value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok;
}

} // namespace

// ---- persons ------------------------------------------------------------------------------

void ScreenShell::spbNrPessoasClick(QObject *)
{
    PersonsKeypad(m_context).spbNrPessoasClick();
}

void PersonsKeypad::spbNrPessoasClick()
{
    SaleState &state = m_context.state();
    if (state.host.stModoVenda == SaleMode::Counter && state.params.stIDCOLETOR == QLatin1String("C")) {
        m_context.message(m_context.Msg(QStringLiteral("Ope_Col")), Ravuvozozod::Error);
        Abort();
    }
    const QString typed = askUntilNotZero();
    if (!typed.isEmpty()) {
        const QString refusal = refusalOf(typed, branchMaximum());
        if (refusal == QLatin1String("NrPessoas_Maior")) {
            m_context.message(m_context.Msg(refusal), Ravuvozozod::Information);
        } else if (!refusal.isEmpty()) {
            m_context.message(m_context.Msg(refusal), Ravuvozozod::Error);
        } else {
            state.table.inNrPessoas = int(typed.trimmed().toLongLong());
            m_context.setCaption(FormName::lblNrPes, QString::number(state.table.inNrPessoas));
        }
    }
    double total = 0;
    m_context.order().PreencheVenda(total);
}

// Only a confirmed value counts: a left keypad answers nothing, whatever it still holds.
QString PersonsKeypad::askUntilNotZero()
{
    SaleState &state = m_context.state();
    for (int asked = 0; asked < maxZeroAnswers; ++asked) {
        KeypadRequest request;
        request.title = m_context.Msg(QStringLiteral("venda"));
        request.prompt = m_context.Msg(QStringLiteral("Inf_Numero"));
        request.emptyMessage = m_context.Msg(QStringLiteral("Numero_Deve"));
        request.maxLength = 10;
        request.option2 = 1;
        request.lastFlag = state.flags.boCupomAberto;
        const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
        if (!answer.confirmed)
            return QString();
        qint64 value = 0;
        if (isWholeNumber(answer.value, value) && value == 0) {
            m_context.message(m_context.Msg(QStringLiteral("NrPessoas_Zero")), Ravuvozozod::Error);
            continue;
        }
        return answer.value.trimmed();
    }
    return QString();
}

QString PersonsKeypad::refusalOf(const QString &typed, int maximum)
{
    qint64 value = 0;
    // A keypad text that is no whole number changes nothing.
    if (!isWholeNumber(typed, value) || value < 0)
        return QStringLiteral("Valor_Nao_Numerico");
    if (maximum > 0 && maximum < value)
        return QStringLiteral("NrPessoas_Maior");
    if (typed.trimmed().size() > 3)
        return QStringLiteral("NrPessoas>999");
    return QString();
}

int PersonsKeypad::branchMaximum()
{
    const QString branch = m_context.state().params.stCDFILIAL;
    const Variant packet = m_context.checkedValue(m_context.server().tabs.getNrPesMesa(branch), QStringLiteral("getNrPesMesa"), branch);
    if (!packet.isPacket())
        return 0;
    ClientDataSet maximum(QStringLiteral("cdsNrPesMesa"));
    if (!maximum.SetData(packet.packet()) || maximum.IsEmpty())
        return 0;
    return int(maximum.FieldByName(QStringLiteral("NRMAXPESMES")).AsString().trimmed().toLongLong());
}

// ---- manual invoice -----------------------------------------------------------------------

void ScreenShell::spbVendaManuClick(QObject *)
{
    ManualInvoice(m_context).spbVendaManuClick();
}

void ManualInvoice::spbVendaManuClick()
{
    SettlementTexts &texts = m_context.state().settlement;
    texts.stNrOrdemVnd.clear();
    KeypadRequest request;
    request.value = texts.stNotaManualAux1;
    request.title = m_context.Msg(QStringLiteral("VENDA_MANU"));
    request.prompt = m_context.Msg(QStringLiteral("VENDA_MANU2"));
    request.emptyMessage = m_context.Msg(QStringLiteral("VENDA_MANU3"));
    request.maxLength = 20;
    const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
    if (!answer.confirmed) {
        m_context.setCaption(FormName::lblSerieD, QString());
        return;
    }
    texts.stNotaManualAux1 = answer.value;
    texts.stNrOrdemVnd = answer.value;
    m_context.setCaption(FormName::lblSerieD, QStringLiteral("Nr.ordem : ") + answer.value);
}

// ---- production message, loyalty, take-away ---------------------------------------------------

void ScreenShell::spbImprimeMensagemClick(QObject *)
{
    const HostArguments &host = m_context.state().host;
    const HostResult printed = m_context.services().CriaMensagemProducao(
        {host.stNRMESA, host.stNRVENDAREST, host.stNRCOMANDA, host.stNrComandaExib});
    if (!printed.ok && !printed.failure.isEmpty())
        m_context.message(printed.failure, Ravuvozozod::Error);
}

void ScreenShell::sbtFidelidadeClick(QObject *)
{
    LoyaltyDialog(m_context).sbtFidelidadeClick();
}

void LoyaltyDialog::sbtFidelidadeClick()
{
    SaleState &state = m_context.state();
    const ConsumerState &consumer = state.consumer;
    m_context.services().CriaFidelidade({consumer.stCDCONSUMIDOR, consumer.stNmConsumidor, consumer.stNrInscrConsVenda,
                                         consumer.stCompraCredAux1, state.host.stCdClienteVenda});
    state.consumer.stTipoVendaCons = QStringLiteral("0");
    if (QWidget *chooser = m_context.widget(FormName::panEscolheVenda)) {
        if (QWidget *frame = m_context.widget(QStringLiteral("bdsBotoes")))
            chooser->move(frame->x() - 7, frame->y() - 3);
        chooser->hide();
    }
    if (QWidget *buttons = m_context.widget(FormName::pnlBotoes)) {
        buttons->move(664, 67);
        buttons->show();
    }
    if (state.params.stIDTIPINFCONS == QLatin1String("A")) {
        if (QAbstractButton *badge = m_context.button(FormName::spbCartao))
            badge->setChecked(false);
        state.flags.boModoCartao = false;
    }
}

void ScreenShell::spbParaViagemClick(QObject *)
{
    m_context.order().ProdParaViagem(m_context.state().host.stModoVenda);
}

QString ScreenShell::cdsItemsIDPARAVIAGEMGetText(const QString &stored) const
{
    return m_context.Msg(stored == QLatin1String("S") ? QStringLiteral("Sim") : QStringLiteral("Não"));
}

// ---- texts asked before the sale is saved ---------------------------------------------------

void ScreenShell::GetObsFinVen()
{
    SaleClosingTexts(m_context).GetObsFinVen();
}

void ScreenShell::relacionaEmailVenda()
{
    SaleClosingTexts(m_context).relacionaEmailVenda();
}

void SaleClosingTexts::GetObsFinVen()
{
    SaleState &state = m_context.state();
    if (!isYes(state.params.stIDSOLOBSFINVEN))
        return;
    state.settlement.stDSOBSFINVEN.clear();
    state.results.vaRetorno = Variant::array(10);
    ObservationRequest request;
    request.value0 = QStringLiteral("N");
    request.value1 = QStringLiteral("P");
    request.code = QStringLiteral("IDSOLOBSFINVEN");
    request.caption = QStringLiteral("Informe a observação da Venda");
    request.boCupomAberto = true;
    request.valueCount = 9;
    const ObservationAnswer answer = m_context.services().Observacao(request);
    const QString text = answer.text == QLatin1String("erro") ? QString() : answer.text;
    state.settlement.stDSOBSFINVEN = text.left(observationLength);
}

void SaleClosingTexts::relacionaEmailVenda()
{
    SaleState &state = m_context.state();
    if (!isYes(state.params.stIDENVCUPOMEMAIL)) {
        markSaleRows(state.settlement.stDSEMAILENVCUPOM, QStringLiteral("U"));
        return;
    }
    const Variant stored = m_context.server().consumers.getEmailCons(state.host.stCdClienteVenda, state.consumer.stCDCONSUMIDOR);
    state.settlement.stDSEMAILENVCUPOM = askEmail(stored.isFailure() ? QString() : stored.toString());
    const QString email = state.settlement.stDSEMAILENVCUPOM.trimmed();
    markSaleRows(email, email.isEmpty() ? QStringLiteral("N") : QStringLiteral("A"));
}

QString SaleClosingTexts::askEmail(const QString &stored)
{
    SaleState &state = m_context.state();
    state.results.vaRetorno = Variant::array(10);
    AdditionalDataRequest request;
    request.idEsquema = state.params.stIDESQUEMA;
    request.askEmail = QStringLiteral("S");
    request.email = stored;
    request.value13 = QStringLiteral("S");
    request.valueCount = 14;
    return m_context.services().CriaInfAdicional(request).email;
}

void SaleClosingTexts::markSaleRows(const QString &email, const QString &situation)
{
    ClientDataSet &rows = m_context.data().cdsVenda;
    if (!rows.Active())
        return;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("DSEMAILENVCUPOM")).SetAsString(email);
        rows.FieldByName(QStringLiteral("IDSITENVCUPOM")).SetAsString(situation);
        rows.Post();
    }
    rows.First();
}
