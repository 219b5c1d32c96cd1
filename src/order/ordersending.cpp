// The order operation: the order of a table, tab or delivery sale leaves the screen.
#include "ordersending.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <settlement/settlement.h>

#include <QDebug>
#include <QDialog>
#include <QTimer>

#include <utility>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

const QString table = QStringLiteral("M");
const QString tab = QStringLiteral("C");
const QString delivery = QStringLiteral("D");

// The order write's answers the operator can act on, in the order they are compared; any
// other non-empty answer is a connection or database failure.
struct OrderRefusal
{
    const char *result;
    const char *messageKey;
};

constexpr OrderRefusal orderRefusals[] = {
    {"PRECNCAD", "Preco_deve"}, {"TABENCAD", "TabePrec"},   {"DTCLI", "VigenciaCli"},
    {"DTPAR", "VigenciaPar"},   {"DTLOJ", "VigenciaLoj"},   {"PRECZERO", "Preco_Zero"},
    {"FORAHORA", "prod_fora_hora"},
};

TicketStep &ticketStep()
{
    static TicketStep step = [](OrderEntry &order, const OrderEntry::TicketContext &context) {
        order.ImprimeProducao(context);
    };
    return step;
}

QString joined(std::initializer_list<QString> values)
{
    return QStringList(values).join(QLatin1Char('-'));
}

} // namespace

const TicketStep &orderTicketStep()
{
    return ticketStep();
}

ScopedTicketStep::ScopedTicketStep(TicketStep step)
    : m_previous(std::exchange(ticketStep(), std::move(step)))
{
}

ScopedTicketStep::~ScopedTicketStep()
{
    ticketStep() = std::move(m_previous);
}

bool OrderEntry::VendeProduto(const QString &NrSeqVenda, const QString &VendaRealizada,
                              const QString &NrNaoFiscal)
{
    TicketContext texts;
    texts.NrSeqVenda = NrSeqVenda;
    texts.VendaRealizada = VendaRealizada;
    texts.NrNaoFiscal = NrNaoFiscal;
    return OrderSending(m_context, texts).run();
}

OrderSending::OrderSending(SaleContext &context, const OrderEntry::TicketContext &texts)
    : m_context(context), m_state(context.state()), m_items(context.data().cdsItems), m_texts(texts)
{
}

bool OrderSending::run()
{
    QDialog &form = m_context.form();
    form.raise();
    form.activateWindow();
    ensureOrderPassword(); // outside the guard: its failure reaches the caller
    return sendWithinGuard();
}

void OrderSending::ensureOrderPassword()
{
    QString &password = m_state.settlement.stSenhaPedido;
    if (password.isEmpty())
        password = m_context.settlement().GeraSenhaCupom(m_state.params.stIDSENHACUP, m_state.params.inNRMINSENHAAL);
}

bool OrderSending::sendWithinGuard()
{
    try {
        return sendSteps();
    } catch (const EAbort &) {
        // A refusal that has told the operator already.
    } catch (const Consiste::EResultServ &error) {
        m_context.message(error.text(), Ravuvozozod::Error);
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
    return counter() || m_written;
}

bool OrderSending::sendSteps()
{
    if (m_items.Active())
        m_items.First();
    if (!counter()) {
        if (!tableTakesOrders())
            return false;
        const QString result = writeOrder();
        logAccess(m_context.Msg(actionCode()) + actionTarget());
        if (!orderAccepted(result))
            return false;
        m_written = true;
        // Stored only once the order is written: a retry after a failed write reads the tab's
        // surcharge unchanged and so cannot add the lines' surcharge twice.
        storeSurcharge();
        logProducts();
    }
    recordGiveUps();
    if (m_items.Active())
        m_items.First();
    orderTicketStep()(m_context.order(), ticketContext());
    printWeighingReceipt();
    restartFailover();
    return true;
}

// The table's answer counts only in table mode, but the server is asked in every mode.
bool OrderSending::tableTakesOrders()
{
    const bool open = m_context.server().tabs.getValidaMesa(m_state.params.stCDFILIAL, m_state.params.stCDLOJA,
                                                  m_state.host.stNRMESA);
    if (open || m_state.host.stModoVenda != table)
        return true;
    m_context.message(m_context.Msg(QStringLiteral("Mes_Err")), Ravuvozozod::Error);
    return false;
}

QString OrderSending::writeOrder()
{
    const Parameters &p = m_state.params;
    const HostArguments &h = m_state.host;
    SaleDatasets &d = m_context.data();
    if (m_items.Active())
        m_items.First();
    const Variant answer = m_context.server().orders.getGeraPedido(
        p.stCDFILIAL, p.stCDLOJA, h.stCdClienteVenda, h.stNRCOMANDA, h.stNRVENDAREST, Variant(m_items.Data()),
        Variant(d.cdsItPromoComb.Data()), h.stCdConsumidorVenda, p.stCDCAIXA, h.stCDVENDEDOR,
        m_state.settlement.stSenhaPedido, Variant(d.cdsObsItens.Data()), Variant(d.cdsObsItensEst.Data()),
        h.stModoVenda);
    const QString context = joined({p.stCDFILIAL, p.stCDLOJA, h.stCdClienteVenda, h.stNRCOMANDA, h.stNRVENDAREST,
                                    QStringLiteral("cdsItems.Data - cdsItPromoComb.data"), h.stCdConsumidorVenda,
                                    p.stCDCAIXA, h.stCDVENDEDOR});
    const Variant value = checked(answer, false, "getGeraPedido", context);
    if (value.isFailure()) {
        m_writeFailure = value.failureText();
        return m_writeFailure.isEmpty() ? QStringLiteral("?") : m_writeFailure;
    }
    return value.toString();
}

// False, after its message, when the order was not written whole.
bool OrderSending::orderAccepted(const QString &result)
{
    if (result.isEmpty())
        return true;
    for (const OrderRefusal &refusal : orderRefusals) {
        if (result == QLatin1String(refusal.result)) {
            m_context.message(m_context.Msg(QString::fromLatin1(refusal.messageKey)), Ravuvozozod::Error);
            return false;
        }
    }
    m_context.message(failureMessage(m_writeFailure.isEmpty() ? result : m_writeFailure), Ravuvozozod::Error);
    return false;
}

// A base that could not be reached or dropped the session is told in words and sent again
// from the same screen (the next try connects afresh, so nobody needs to restart the till); a
// row the base refused (a missing value, a constraint, a price function that failed) is told
// with the base's words. Nothing of the order is written either way.
QString OrderSending::failureMessage(const QString &failure) const
{
    if (failure.contains(QLatin1String("DBNETLIB"))) {
        qWarning().noquote() << "order not written:" << failure;
        return QStringLiteral("O pedido não foi gravado: a conexão com o servidor de banco de dados falhou.\nNenhum "
                              "item do pedido ficou gravado; a venda continua na tela para ser enviada de novo.");
    }
    return QStringLiteral("O pedido não foi gravado: %1\nNenhum item do pedido ficou gravado; a venda continua na "
                          "tela para ser enviada de novo.")
        .arg(failure);
}

// The tab's surcharge set to what the server holds plus the lines' surcharge, unrounded.
void OrderSending::storeSurcharge()
{
    const Parameters &p = m_state.params;
    const HostArguments &h = m_state.host;
    const QString context = joined({p.stCDFILIAL, p.stCDLOJA, h.stNRCOMANDA, h.stNRVENDAREST});
    ClientDataSet cdsAcresMesa(QStringLiteral("cdsAcresMesa"));
    const Variant packet = checked(m_context.server().tabs.getAcresMesa(p.stCDFILIAL, p.stCDLOJA, h.stNRCOMANDA, h.stNRVENDAREST),
                                   true, "getAcresMesa", context);
    if (packet.isPacket())
        cdsAcresMesa.SetData(packet.packet());
    const double tabSurcharge = cdsAcresMesa.Active() && !cdsAcresMesa.IsEmpty()
                       ? cdsAcresMesa.FieldByName(QStringLiteral("VRACRCOMANDA")).AsFloat()
                       : 0.0;
    const double lines = linesSurcharge();
    const QString writeContext = joined({context, PtBr::FloatToStr(lines), PtBr::FloatToStr(tabSurcharge)});
    checked(m_context.server().tabs.setGravaAcrescimo(p.stCDFILIAL, p.stCDLOJA, h.stNRCOMANDA, h.stNRVENDAREST,
                                            tabSurcharge + lines),
            true, "setGravaAcrescimo", writeContext);
}

// Ordinary lines only: refill lines, and lines with any other mark, carry no surcharge.
double OrderSending::linesSurcharge()
{
    double sum = 0;
    if (!m_items.Active())
        return sum;
    for (m_items.First(); !m_items.Eof(); m_items.Next()) {
        if (isNo(m_items.FieldByName(QStringLiteral("IDPRODREFIL")).AsString()))
            sum += m_items.FieldByName(QStringLiteral("VRACRCOMVEN")).AsFloat();
    }
    return sum;
}

void OrderSending::logAccess(const QString &text)
{
    const HostArguments &h = m_state.host;
    const QString action = actionCode();
    AccessLogRequest entry = m_context.accessLog(action, m_context.Msg(action), text, m_state.access.stRetAcesso);
    entry.nrVendaRest = h.stNRVENDAREST;
    entry.nrComanda = h.stNRCOMANDA;
    entry.nrComandaExib = h.stNrComandaExib;
    entry.nrMesa = h.stNRMESA;
    entry.cdVendedor = h.stCDVENDEDOR;
    entry.lastValue = 0;
    m_context.services().LogControleAcess(entry);
}

QString OrderSending::actionCode() const
{
    const QString &mode = m_state.host.stModoVenda;
    if (mode == table)
        return QStringLiteral("PED_MES");
    return mode == tab ? QStringLiteral("PED_CMD") : QStringLiteral("PED_DLV");
}

QString OrderSending::actionTarget() const
{
    const QString &mode = m_state.host.stModoVenda;
    if (mode == table)
        return QStringLiteral(" para a Mesa: ") + m_state.host.stNRMESA;
    if (mode == tab)
        return QStringLiteral(" para a Comanda: ") + m_state.host.stNrComandaExib;
    return QStringLiteral(" para o Pedido: ") + m_state.host.stNrComandaExib;
}

void OrderSending::logProducts()
{
    QString products;
    if (m_items.Active()) {
        for (m_items.First(); !m_items.Eof(); m_items.Next())
            products += m_items.FieldByName(QStringLiteral("CDPRODUTO")).AsString() + QLatin1Char(';');
    }
    const QString target = m_state.host.stModoVenda == table ? m_state.host.stNRMESA : m_state.host.stNrComandaExib;
    logAccess(m_context.Msg(actionCode()) + target + QStringLiteral(" produtos: ") + products);
}

void OrderSending::recordGiveUps()
{
    ClientDataSet &giveUps = m_context.data().cdsItensCancelados;
    if (!giveUps.Active())
        return;
    if (!giveUps.IsEmpty()) {
        const Parameters &p = m_state.params;
        const QString context = QStringLiteral("stFilialLogin_") + p.stCDFILIAL + QStringLiteral("stcaixaAber")
                                + p.stCDCAIXA + QStringLiteral("stNrVendaRest_") + m_state.host.stNRVENDAREST
                                + QStringLiteral("cdsItensCancelados");
        const Variant answer = checked(
            m_context.server().tabs.setGeraDesistencia(p.stCDFILIAL, p.stCDCAIXA, m_state.host.stNRVENDAREST, giveUps), false,
            "setGeraDesistencia", context);
        // The checker shows nothing for these; the lines are emptied all the same, so the log
        // keeps what was lost.
        if (answer.isFailure())
            qWarning().noquote() << "setGeraDesistencia:" << answer.failureText();
    }
    giveUps.EmptyDataSet();
}

OrderEntry::TicketContext OrderSending::ticketContext()
{
    OrderEntry::TicketContext context = m_texts;
    context.WaiterName = waiterName();
    context.ConsumerName = consumerName();
    context.Room = room();
    if (m_items.Active())
        m_items.First();
    return context;
}

// A sale without a waiter has no name to look up (asking would show "waiter not registered").
QString OrderSending::waiterName()
{
    QString name;
    if (!m_state.host.stCDVENDEDOR.isEmpty())
        m_context.order().ValidaGarcom(name, Consiste::Ajusta(m_state.host.stCDVENDEDOR, 4), QString());
    return name;
}

QString OrderSending::consumerName()
{
    const Parameters &p = m_state.params;
    const HostArguments &h = m_state.host;
    auto firstLineName = [this] {
        if (!m_items.Active() || m_items.IsEmpty())
            return QString();
        m_items.First();
        return m_items.FieldByName(QStringLiteral("NMCONSVEND")).AsString();
    };
    QString name;
    if (!h.stCdConsumidorVenda.isEmpty()) {
        ClientDataSet cdsCadConsumidor(QStringLiteral("cdsCadConsumidor"));
        // The consumer lookup reports in the fixed colour scheme "002", not the site's.
        const QString context = joined({p.stCDFILIAL, h.stCdClienteVenda, h.stCdConsumidorVenda});
        m_state.consumer.stSaldGastAux1 = context;
        Variant packet;
        Ravuvozozod::MensagemMetodo(m_context.server().consumers.getCadConsumidor(p.stCDFILIAL, h.stCdClienteVenda,
                                                                   h.stCdConsumidorVenda, p.stIDEXCONSATFIL,
                                                                   p.stIDEXCONSATGER),
                                    true, 0, QStringLiteral("getCadConsumidor"), QStringLiteral("Cli_Kal51000"),
                                    context, QStringLiteral("002"), packet);
        if (packet.isPacket() && !packet.packet().isEmpty())
            name = packet.packet().value(0, QStringLiteral("NMCONSUMIDOR")).toString();
        else
            name = firstLineName();
    } else {
        name = firstLineName();
    }
    if (h.stNrComandaExib.contains(QLatin1String("DLV_")) || h.stNrComandaExib.contains(QLatin1String("RES_"))) {
        const QString described = m_context.server().consumers.getDsConsumidor(p.stCDFILIAL, p.stCDLOJA, h.stNRVENDAREST, h.stNRCOMANDA);
        if (!described.isEmpty())
            name = described;
    }
    return name;
}

QString OrderSending::room()
{
    ClientDataSet &rooms = m_context.data().cdsMesaSala;
    if (!rooms.Active() || !rooms.Locate(QStringLiteral("NRMESA"), m_state.host.stNRMESA))
        return QString();
    return rooms.FieldByName(QStringLiteral("CDSALA")).AsString();
}

void OrderSending::printWeighingReceipt()
{
    const QString &mode = m_state.host.stModoVenda;
    if (isYes(m_state.startup.stImpPesagem) && (mode == tab || mode == table))
        m_context.order().ComprovantePesagem();
}

// The ticket step switched the failover watchdog off while it printed.
void OrderSending::restartFailover()
{
    ClientDataSet &backups = m_context.data().cdsImpBackup;
    if (backups.Active() && !backups.IsEmpty()) {
        if (auto *timer = m_context.form().findChild<QTimer *>(FormName::timImpressoraBackup))
            timer->start();
    }
    m_state.settlement.stRecebAux15.clear();
}

Variant OrderSending::checked(const Variant &result, bool report, const char *method, const QString &context)
{
    m_state.consumer.stSaldGastAux1 = context;
    Variant value;
    m_context.checkAnswer(result, QString::fromLatin1(method), context, value,
                          report ? SaleContext::Failure::Shown : SaleContext::Failure::Quiet);
    return value;
}

bool OrderSending::counter() const
{
    return m_state.host.stModoVenda != table && m_state.host.stModoVenda != tab
           && m_state.host.stModoVenda != delivery;
}
