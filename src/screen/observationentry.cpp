// The observations of a sale line and of a combined product's group.
#include "observationentry_p.h"

#include "lineaction_p.h"
#include "screenshell.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>

#include <QAbstractButton>
#include <QDebug>
#include <QWidget>

namespace {

const QString none = QStringLiteral("erro");

QString seq(ClientDataSet &dataset)
{
    return dataset.FieldByName(QStringLiteral("NRSEQ")).AsString();
}

} // namespace

void ScreenShell::spbObsClick(QObject *)
{
    ObservationEntry(m_context).spbObsClick();
}

ObservationEntry::ObservationEntry(SaleContext &context) : m_context(context) {}

QString ObservationEntry::itemText(const char *column) const
{
    return m_context.data().cdsItems.FieldByName(QString::fromLatin1(column)).AsString();
}

bool ObservationEntry::hasText() const
{
    return !m_run.text.isEmpty() && m_run.text != none;
}

void ObservationEntry::spbObsClick()
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    // The busy flag and the panel come back on every way out, also when an observation
    // product fails half-way: a flag left set would leave F8 to F11 dead for the rest of the
    // sale.
    BusyFlag busy(state.busy.boCancCupomAux1);
    CounterPanelHeld panel(m_context);
    refuseWhileCreditVoucherPrints(m_context);
    panel.take();
    if (!m_context.shell().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        Abort();
    const AccessAnswer access = m_context.services().VerificaAcesso({state.rights.inCTOBSPRODUTO, state.rights.stCDOPERADOR});
    m_run.authoriser = access.stRetAcesso;
    if (!access.allowed)
        return;
    if (state.host.stModoVenda == SaleMode::Counter && state.params.stIDCOLETOR == QLatin1String("C")) {
        m_context.message(m_context.Msg(QStringLiteral("Ope_Col")), Ravuvozozod::Error);
        Abort();
    }
    if (!lineChosen())
        return;
    SaleDatasets &data = m_context.data();
    data.cdsItPromoCombAux.CopyFrom(data.cdsItPromoComb);
    const bool asked = state.flags.boObsAux1 ? askGroup() : (askLine(), true);
    if (asked) {
        if (!m_run.answer.holdMinutes.toString().isEmpty()) {
            data.cdsItems.Edit();
            data.cdsItems.FieldByName(QStringLiteral("NRATRAPROD")).SetAsString(m_run.answer.holdMinutes.toString());
            data.cdsItems.Post();
        }
        if (hasText() || !itemText("NRATRAPROD").isEmpty())
            writeObservation();
    }
    refreshReceipt();
}

bool ObservationEntry::lineChosen()
{
    SaleDatasets &data = m_context.data();
    if (!data.cdsItems.Active() || data.cdsItems.IsEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        return false;
    }
    if (m_context.state().flags.boAddProdAux1)
        return true;
    // The line selected on the receipt; a row that is no sale line (history, blank) selects
    // none.
    const QString selected = data.cdsExtratoTemp.Active() ? seq(data.cdsExtratoTemp) : QString();
    return !selected.isEmpty() && data.cdsItems.Locate(QStringLiteral("NRSEQ"), selected);
}

ObservationAnswer ObservationEntry::ask(const ObservationRequest &request)
{
    m_context.state().results.vaRetorno = Variant::array(10);
    ObservationAnswer answer = m_context.services().Observacao(request);
    m_run.answer = answer;
    m_run.text = answer.text;
    return answer;
}

bool ObservationEntry::currentLineIsChild() const
{
    return itemText("NRSEQPRODCOM").isEmpty() && !itemText("NRSEQPRODPAI").isEmpty();
}

bool ObservationEntry::askGroup()
{
    SaleState &state = m_context.state();
    ClientDataSet &items = m_context.data().cdsItems;
    ObservationRequest request;
    request.value0 = QStringLiteral("N");
    request.value1 = QStringLiteral("P");
    request.caption = QStringLiteral("Informe a Observação do Grupo");
    request.boCupomAberto = state.flags.boCupomAberto;
    // The group's text belongs on the combined product's parent part.
    const bool child = currentLineIsChild();
    if (child && !items.Locate(QStringLiteral("NRSEQ"), itemText("NRSEQPRODPAI")))
        return false;
    state.flags.boObsAux1 = false;
    ask(request);
    if (!hasText())
        return true;
    if (!child && m_run.answer.replace)
        clearLine();
    m_run.text = itemText("STOBSPEDIDO") + QStringLiteral("Obs Comb:") + m_run.text;
    return true;
}

void ObservationEntry::askLine()
{
    ObservationRequest request;
    request.value0 = QStringLiteral("N");
    request.value1 = QStringLiteral("P");
    request.code = itemText("CDPRODUTO");
    request.caption = itemText("NMPRODUTO");
    request.current = itemText("STOBSPEDIDO");
    request.boCupomAberto = m_context.state().flags.boCupomAberto;
    request.nrAtraProd = itemText("NRATRAPROD");
    ask(request);
    if (m_run.answer.replace)
        clearLine();
}

// Replacing drops the line's texts, its occurrence rows and the product lines they added.
void ObservationEntry::clearLine()
{
    ClientDataSet &items = m_context.data().cdsItems;
    const QString nrSeq = itemText("NRSEQ");
    const QString cdProduto = itemText("CDPRODUTO");
    items.Edit();
    for (const char *column : {"STOBSPEDIDO", "STOBSDIGITADA", "NRATRAPROD"})
        items.FieldByName(QString::fromLatin1(column)).SetAsString(QString());
    items.Post();
    removeOccurrenceProducts(nrSeq, cdProduto);
    items.Locate(QStringLiteral("NRSEQ"), nrSeq);
}

void ObservationEntry::removeOccurrenceProducts(const QString &nrSeq, const QString &cdProduto)
{
    ClientDataSet &rows = m_context.data().cdsObsItens;
    ClientDataSet &items = m_context.data().cdsItems;
    if (!rows.Active())
        return;
    while (rows.Locate(QStringLiteral("NRSEQ;CDPRODUTO"), QList<Variant>{nrSeq, cdProduto})) {
        const QString added = rows.FieldByName(QStringLiteral("CDPRODOBS")).AsString();
        while (!added.isEmpty() && items.Locate(QStringLiteral("NRSEQPRODPAI;CDPRODUTO"), QList<Variant>{nrSeq, added}))
            items.Delete();
        rows.Delete();
    }
}

void ObservationEntry::writeObservation()
{
    ClientDataSet &items = m_context.data().cdsItems;
    const QString hold = itemText("NRATRAPROD");
    // "erro" is the dialog's word for no text: a hold time alone prints only the hold.
    QString text = hasText() ? m_run.text : QString();
    if (!hold.isEmpty())
        text = (text + QStringLiteral(" Segura de ") + hold + QStringLiteral(" minutos")).trimmed();
    items.Edit();
    items.FieldByName(QStringLiteral("STOBSPEDIDO")).SetAsString(text);
    items.FieldByName(QStringLiteral("STOBSDIGITADA")).SetAsString(m_run.answer.typed);
    items.Post();
    m_run.text = text;
    updatePromotionComponent();
    addOccurrenceRows();
    logObservation();
    m_context.shell().ControleCdsVenda_Diretorio(m_context.state().host.stModoVenda);
    addObservationProducts();
}

void ObservationEntry::updatePromotionComponent()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &combo = data.cdsItPromoComb;
    if (!combo.Active()
        || !combo.Locate(QStringLiteral("NRSEQ;NRSEQORIG"), QList<Variant>{itemText("NRSEQPRODPAI"), itemText("NRSEQORIG")}))
        return;
    combo.Edit();
    combo.FieldByName(QStringLiteral("TXPRODCOMVENEST")).SetAsString(itemText("STOBSPEDIDO"));
    combo.FieldByName(QStringLiteral("DSOBSPEDDIGEST")).SetAsString(itemText("STOBSDIGITADA"));
    combo.Post();
    data.cdsItPromoCombAux.CopyFrom(combo);
}

void ObservationEntry::addOccurrenceRows()
{
    ClientDataSet &rows = m_context.data().cdsObsItens;
    m_run.cdsOcorrencia.SetData(m_run.answer.occurrences);
    m_run.cdsControlaObs.SetData(m_run.answer.controlData);
    if (!rows.Active() || !m_run.cdsOcorrencia.Active())
        return;
    const QString nrSeq = itemText("NRSEQ");
    const QString cdProduto = itemText("CDPRODUTO");
    const QString group = m_run.answer.cdGrupoOcorr.toString();
    for (m_run.cdsOcorrencia.First(); !m_run.cdsOcorrencia.Eof(); m_run.cdsOcorrencia.Next()) {
        const QString occurrence = m_run.cdsOcorrencia.FieldByName(QStringLiteral("CDOCORR")).AsString();
        if (rows.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR"),
                        QList<Variant>{nrSeq, cdProduto, group, occurrence}))
            continue;
        rows.Append();
        rows.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        rows.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(cdProduto);
        rows.FieldByName(QStringLiteral("CDGRPOCOR")).SetAsString(group);
        rows.FieldByName(QStringLiteral("CDOCORR")).SetAsString(occurrence);
        rows.FieldByName(QStringLiteral("DSOCORR")).SetAsString(m_context.server().lookupsTills.getDsOcorr(group, occurrence));
        rows.FieldByName(QStringLiteral("NRCOMANDA")).SetAsString(QString());
        rows.FieldByName(QStringLiteral("CDPRODOBS")).SetAsString(occurrenceProduct(occurrence));
        rows.Post();
    }
}

// The product an occurrence adds, when its control row marks one ("A").
QString ObservationEntry::occurrenceProduct(const QString &cdOcorr)
{
    ClientDataSet &control = m_run.cdsControlaObs;
    if (!control.Active() || !control.Locate(QStringLiteral("CDOCORR"), cdOcorr))
        return QString();
    if (control.FieldByName(QStringLiteral("IDCONTROLAOBS")).AsString() != QLatin1String("A"))
        return QString();
    return control.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
}

void ObservationEntry::logObservation()
{
    const SaleState &state = m_context.state();
    const QString description = m_context.Msg(QStringLiteral("Mot_Obs_Ped")) + QLatin1Char(' ') + itemText("CDPRODUTO")
                                + QStringLiteral(" - ") + itemText("NMPRODUTO") + QStringLiteral(" / ")
                                + m_context.Msg(QStringLiteral("Mot_Obs")) + QLatin1Char(' ') + m_run.text;
    AccessLogRequest log =
        m_context.accessLog(QStringLiteral("OBS_PED"), m_context.Msg(QStringLiteral("Mot_Obs_Ped1")), description,
                            m_run.authoriser);
    log.nrVendaRest = state.host.stNRVENDAREST;
    log.nrComanda = state.host.stNRCOMANDA;
    log.nrComandaExib = state.host.stNrComandaExib;
    log.nrMesa = state.host.stNRMESA;
    log.cdVendedor = state.host.stCDVENDEDOR;
    const HostResult logged = m_context.services().LogControleAcess(log);
    if (!logged.ok)
        qWarning().noquote() << "LogControleAcess OBS_PED:" << logged.failure;
}

// Each occurrence that carries a product sells it as a line under the observed one.
void ObservationEntry::addObservationProducts()
{
    SaleState &state = m_context.state();
    ClientDataSet &items = m_context.data().cdsItems;
    ClientDataSet &control = m_run.cdsControlaObs;
    state.road.stPedidoAux4 = itemText("NRSEQ");
    state.road.stPedidoAux5 = QStringLiteral("S");
    OnExit handOverCleared([&state] {
        state.road.stPedidoAux4.clear();
        state.road.stPedidoAux5.clear();
    });
    if (!control.Active())
        return;
    const Bookmark observed = items.GetBookmark();
    for (control.First(); !control.Eof(); control.Next()) {
        const QString product = control.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
        if (control.FieldByName(QStringLiteral("IDCONTROLAOBS")).AsString() != QLatin1String("A") || product.isEmpty())
            continue;
        items.GotoBookmark(observed);
        m_context.setCaption(FormName::lblBuffer, product);
        state.road.stPedidoAux3 = state.params.stIDSOLOBSPED;
        state.setAskOrderNotes(QStringLiteral("N"));
        OnExit restored([this, &state] {
            m_context.setCaption(FormName::lblBuffer, QString());
            state.setAskOrderNotes(state.road.stPedidoAux3);
        });
        if (state.flags.boCreditoPessoal)
            m_context.consumer().LogFamSaldo(QStringLiteral("adicionar produto obs: ") + itemText("CDPRODUTO")
                                             + QStringLiteral(" - ") + itemText("NMPRODUTO"));
        m_context.order().AdicionaItemObs(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat(), 0, 0, QString(),
                                          QString(), QString(), QStringLiteral("N"), QString(), QString());
    }
}

void ObservationEntry::refreshReceipt()
{
    SaleDatasets &data = m_context.data();
    m_context.order().AtualizaExtrato();
    data.cdsItPromoComb.CopyFrom(data.cdsItPromoCombAux);
}
