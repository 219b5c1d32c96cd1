#include "orderentry.h"

#include "itemkinds_p.h"
#include "productentry_index.h"
#include "receiptlist_p.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/consiste.h>

namespace {

// Settlement's check of the current waiter row: its branch and desk, else its operator's.
bool waiterBelongsHere(SaleContext &context)
{
    const Parameters &params = context.state().params;
    ClientDataSet &garcom = context.data().cdsGarcom;
    const QString branch = garcom.FieldByName(QStringLiteral("CDFILIAL")).AsString();
    const QString desk = garcom.FieldByName(QStringLiteral("CDCAIXA")).AsString();
    auto refuse = [&context](const char *key) {
        context.message(context.Msg(QString::fromLatin1(key)), 3);
        return false;
    };
    if (!branch.isEmpty() && branch != params.stCDFILIAL)
        return refuse("Vend_N_Filial");
    if (!desk.isEmpty() && desk != params.stCDCAIXA)
        return refuse("Vend_N_Caixa");
    if (!branch.isEmpty())
        return true;
    const QString waiterOperator = garcom.FieldByName(QStringLiteral("CDOPERADOR")).AsString();
    ClientDataSet &operators = context.data().cdsOperador;
    if (!operators.Active() || !operators.Locate(QStringLiteral("CDOPERADOR"), waiterOperator))
        return refuse("Gar_N_Assoc");
    ClientDataSet &branches = context.data().cdsFiliOper;
    if (!branches.Active()
        || !branches.Locate(QStringLiteral("CDOPERADOR;CDFILIAL"),
                            Variant(QList<Variant>{waiterOperator, params.stCDFILIAL})))
        return refuse("Ope_N_Assoc");
    return true;
}

} // namespace

OrderEntry::OrderEntry(SaleContext &context)
    : m_context(context), m_receiptShown(std::make_unique<ReceiptShown>()),
      m_pendingRefill(std::make_unique<PendingRefill>())
{
}

OrderEntry::~OrderEntry() = default;

bool OrderEntry::ValidaGarcom(QString &WaiterName, const QString &Code, const QString &CheckKind)
{
    SaleState &state = m_context.state();
    if (Code.isEmpty()) {
        state.host.stCDVENDEDOR.clear();
        return true;
    }
    ClientDataSet &garcom = m_context.data().cdsGarcom;
    if (!garcom.Active() || garcom.IsEmpty())
        return false;
    const bool byWaiter = garcom.Locate(QStringLiteral("CDVENDEDOR"), Consiste::Ajusta(Code, 4));
    if (!byWaiter && !garcom.Locate(QStringLiteral("CDOPERADOR"), Consiste::Ajusta(Code, 12))) {
        m_context.message(m_context.Msg(QStringLiteral("GAR_N_CAD")), 3);
        return false;
    }
    if (CheckKind == QLatin1String("1") && !waiterBelongsHere(m_context))
        return false;
    WaiterName = garcom.FieldByName(QStringLiteral("NMFANVEN")).AsString();
    // An operator code typed at the waiter prompt becomes the waiter's own code.
    if (!byWaiter)
        state.host.stCDVENDEDOR = garcom.FieldByName(QStringLiteral("CDVENDEDOR")).AsString();
    return true;
}
