// The partner calls of cancelled sales that did not complete, sent again. Each partner applies
// a call's id once (AME its refund id, GCOM the sale's CNPJ and fiscal number), so a call whose
// first answer was lost is answered as it was and pays or cancels nothing a second time.
#include "consumersale.h"
#include "partners_p.h"

#include <sale/salecontext.h>

using namespace PartnerClients;

void ConsumerSale::retryPartnerCalls()
{
    QStringList done, refused;
    for (const PendingCall &call : pendingCalls()) {
        auto text = [&call](const char *name) { return call.values.value(QString::fromLatin1(name)).toString(); };
        QString answered;
        PartnerCall::Outcome outcome = PartnerCall::Outcome::Pending;
        if (call.partner == QLatin1String("AME"))
            outcome = AmeRefund(m_context).resend(call.values, answered);
        else if (call.partner == QLatin1String("GCOM"))
            outcome = GcomCancellation(m_context).cancel(text("CDFILIAL"), text("CDLOJA"), text("CDCAIXA"),
                                                         text("NRSEQVENDA"), answered);
        if (outcome == PartnerCall::Outcome::Pending)
            continue; // still kept; the operator was told when it was kept
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
        m_context.message(lines.join(QStringLiteral("\r\n")), 3);
}
