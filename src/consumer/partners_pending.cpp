// The partner calls of cancelled sales that did not complete, sent again away from the
// cancellation that kept them: at start-up, and between sales. Each partner applies a call's id
// once (AME its refund id, GCOM the sale's CNPJ and fiscal number), so a call whose first answer
// was lost is answered as it was and pays or cancels nothing a second time.
#include "consumersale.h"
#include "partners_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

#include <QScopeGuard>

using namespace PartnerClients;

namespace {

enum class Pass { All, Due };

// One pass over the kept calls. The first call a partner leaves unanswered ends the sending:
// the calls after it stay kept untried, and every call still kept is marked tried, so the next
// pass between sales waits a while.
void resendKept(SaleContext &context, Pass pass)
{
    // A wait runs the clock's ticks: the pass they would start must not run inside this one.
    static bool running = false;
    if (running)
        return;
    running = true;
    const auto finished = qScopeGuard([] { running = false; });
    QStringList done, refused;
    bool silent = false;
    for (const PendingCall &call : pendingCalls()) {
        if (pass == Pass::Due && !dueForRetry(call))
            continue;
        if (silent) {
            markTried(call);
            continue;
        }
        auto text = [&call](const char *name) { return call.values.value(QString::fromLatin1(name)).toString(); };
        QString answered;
        PartnerCall::Outcome outcome = PartnerCall::Outcome::Pending;
        if (call.partner == QLatin1String("AME")) {
            outcome = AmeRefund(context).resend(call.values, answered, silent);
        } else if (call.partner == QLatin1String("GCOM")) {
            GcomCancellation gcom(context);
            outcome = gcom.cancel(text("CDFILIAL"), text("CDLOJA"), text("CDCAIXA"), text("NRSEQVENDA"), answered);
            silent = gcom.unanswered();
        }
        if (outcome == PartnerCall::Outcome::Pending) {
            markTried(call); // still kept; the operator was told when it was kept
            continue;
        }
        dropPending(call);
        if (outcome == PartnerCall::Outcome::Done)
            done << call.key;
        else
            refused << QStringLiteral("%1 (%2)").arg(call.key, answered);
    }
    QStringList lines;
    if (!done.isEmpty())
        lines << QStringLiteral("Confirmado agora: %1.").arg(done.join(QStringLiteral("; ")));
    if (!refused.isEmpty())
        lines << QStringLiteral("Recusado pelo parceiro, resolva com ele: %1.").arg(refused.join(QStringLiteral("; ")));
    if (!lines.isEmpty())
        context.message(lines.join(QStringLiteral("\r\n")), 3);
}

} // namespace

void ConsumerSale::retryPartnerCalls()
{
    resendKept(m_context, Pass::All);
}

void ConsumerSale::retryPartnerCallsBetweenSales()
{
    const SaleState &state = m_context.state();
    const ClientDataSet &items = m_context.data().cdsItems;
    if (state.flags.boCupomAberto || state.flags.boRecebendo || state.busy.boCancCupomAux1
        || (items.Active() && !items.IsEmpty()))
        return;
    resendKept(m_context, Pass::Due);
}
