// Production tickets of an order and the prints that go with them.
#include "tickets.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <QDebug>
#include <QDialog>
#include <QTimer>

#include <exception>
#include <sale/codes.h>

void OrderEntry::ImprimeProducao(const TicketContext &Context)
{
    Tickets::TicketBuilder(m_context, Context).build();
    Tickets::TicketPrinting(m_context, *this, Context).print();
}

namespace Tickets {

namespace {


Variant packetOf(const ClientDataSet &dataset)
{
    return dataset.Active() ? Variant(dataset.Data()) : Variant();
}

} // namespace

TicketPrinting::TicketPrinting(SaleContext &context, OrderEntry &order,
                               const OrderEntry::TicketContext &ticketContext)
    : m_context(context)
    , m_order(order)
    , m_ticketContext(ticketContext)
{
}

void TicketPrinting::print()
{
    const double paid = totalPaid();
    m_context.state().results.vaRetorno = Variant::array(10);
    stopFailoverTimer();
    const SaleState &state = m_context.state();
    const ClientDataSet &tickets = m_context.data().cdsImprimePedido;
    const bool counter = state.host.stModoVenda == SaleMode::Counter;
    if (!tickets.IsEmpty()) {
        // Each print in its own guard: a receipt that fails must not keep the kitchen from
        // its tickets.
        if (counter && !state.params.boUTILIZAIMPFIS && counterReceiptWanted())
            guarded("counter receipt", [&] { documentReceipt(packetOf(tickets), paid); });
        if (ticketsAloneWanted())
            guarded("production tickets", [&] { ticketsAlone(paid); });
        return;
    }
    if (!counter || state.params.boUTILIZAIMPFIS)
        return;
    if (state.params.boSISTEMAQUBNFCE || state.params.boSISTEMAQUBSAT) {
        if (counterReceiptWanted())
            guarded("electronic receipt", [&] { documentReceipt(Variant(), paid); });
    } else {
        guarded("receipt", [&] { plainReceipt(paid); });
    }
}

// What the counter's payments brought in: entries and card transactions.
double TicketPrinting::totalPaid()
{
    if (m_context.state().host.stModoVenda != QLatin1String("B"))
        return 0;
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (!payments.Active())
        return 0;
    payments.SetFilter([](const ClientDataSet &row) {
        const QString kind = row.FieldByName(QStringLiteral("IDTIPOMOVIVE")).AsString();
        return kind == QLatin1String("E") || kind == QLatin1String("T");
    });
    payments.SetFiltered(true);
    double total = 0;
    for (payments.First(); !payments.Eof(); payments.Next())
        total += payments.FieldByName(QStringLiteral("VRMOVIVEND")).AsFloat();
    payments.SetFiltered(false);
    payments.SetFilter({});
    return total;
}

// The failover worker must not re-route jobs while the order's tickets are being handed to
// the spooler; the order operation switches it on again at its end.
void TicketPrinting::stopFailoverTimer()
{
    if (QTimer *timer = m_context.form().findChild<QTimer *>(FormName::timImpressoraBackup))
        timer->stop();
}

// The payment screen prints its own receipt when it confirmed, unless the till asks for ours.
bool TicketPrinting::counterReceiptWanted() const
{
    const SaleState &state = m_context.state();
    return !isYes(state.settlement.stConfRecebimento) || isYes(state.params.stIDIMPCUPMEI);
}

bool TicketPrinting::cardReceipt() const
{
    const SaleState &state = m_context.state();
    return !state.settlement.stCompraCredAux2.isEmpty() && state.params.stIDUTILTEF == QLatin1String("T");
}

bool TicketPrinting::ticketsAloneWanted() const
{
    const SaleState &state = m_context.state();
    return isYes(state.params.stIDIMPPEDPROD) && !state.host.stNrComandaExib.startsWith(QLatin1String("ENC"));
}

// The till's own document kind (electronic receipt, SAT extract or plain), with the card
// transaction confirmed before it and its receipt a second after.
void TicketPrinting::documentReceipt(const Variant &tickets, double paid)
{
    const SaleState &state = m_context.state();
    const bool card = cardReceipt();
    if (card) {
        const HostResult confirmed = m_context.devices().FinalizaTransTef({true});
        if (!confirmed.ok)
            qWarning().noquote() << "card transaction not confirmed:" << confirmed.failure;
    }
    const QString kind = state.startup.stInicializaAux1;
    record(kind, paid);
    dispatch(kind, tickets, packetOf(m_context.data().cdsVenda), packetOf(m_context.data().cdsImpImposto));
    if (!card)
        return;
    // The printer finishes the receipt before the card receipt follows it; a sale without a
    // card receipt does not wait, and the wait keeps the window painting.
    Clock::wait(1000);
    TefReceiptRequest request;
    request.value2 = false;
    request.inQrCodeAux1 = state.fiscal.inQrCodeAux1;
    request.idTipoImpFis = state.params.inIDTIPOIMPFIS;
    request.idImprCupTefRed = state.params.stIDIMPRCUPTEFRED;
    request.fiscalFlag = QStringLiteral("N");
    request.port = state.params.stCDPORTIMPNF3;
    request.value8 = 0;
    request.value9 = 0;
    request.value10 = 0;
    request.paymentRows = m_context.data().cdsMovCaixa.RecordCount();
    request.idImprTef = state.params.stIDIMPRTEF;
    const HostResult printed = m_context.devices().ImprimeCupomTef(request, m_context.data().cdsUltTef);
    if (!printed.ok)
        qWarning().noquote() << "card receipt not printed:" << printed.failure;
}

void TicketPrinting::ticketsAlone(double paid)
{
    record(QStringLiteral("PEDIDO"), paid);
    m_context.state().results.vaRetorno = Variant::array(10);
    dispatch(QStringLiteral("PEDIDO"), packetOf(m_context.data().cdsImprimePedido), Variant(), Variant());
}

void TicketPrinting::plainReceipt(double paid)
{
    record(QStringLiteral("CUPOM"), paid);
    dispatch(QStringLiteral("CUPOM"), Variant(), packetOf(m_context.data().cdsVenda),
             packetOf(m_context.data().cdsImpImposto));
}

void TicketPrinting::record(const QString &kind, double paid)
{
    m_order.PreencheParamImpCupNF(kind, m_ticketContext.NrNaoFiscal, m_ticketContext.VendaRealizada,
                                  m_ticketContext.NrSeqVenda, paid);
}

void TicketPrinting::dispatch(const QString &kind, const Variant &tickets, const Variant &sale, const Variant &taxes)
{
    NonFiscalPrintRequest request;
    request.flag = false;
    request.kind = kind;
    request.tickets = tickets;
    request.sale = sale;
    request.taxes = taxes;
    request.parameters = m_context.data().cdsParamImpCupNF.Data();
    request.stVendeProdAux1 = m_context.state().settlement.stVendeProdAux1;
    const HostResult printed = m_context.services().DisparaImpressaoNaoFiscal(request);
    // The order is sent either way; what did not print is at least in the log.
    if (!printed.ok)
        qWarning().noquote() << "non-fiscal print" << kind << "failed:" << printed.failure;
}

void TicketPrinting::guarded(const char *what, const std::function<void()> &step)
{
    try {
        step();
    } catch (const EAbort &) {
        qWarning() << what << "not printed: abandoned";
    } catch (const std::exception &error) {
        qWarning() << what << "not printed:" << error.what();
    }
}

} // namespace Tickets
