#include "orderentry.h"

#include <screen/saledatasets.h>
#include <screen/salecontext.h>
#include <screen/salestate.h>

#include <outside/consiste.h>

OrderEntry::OrderEntry(SaleContext &context)
    : m_context(context)
{
}

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
    // The branch, desk and operator checks of CheckKind "1" come with the settlement's waiter
    // prompt; start-up and order sending ask only for the name.
    Q_UNUSED(CheckKind);
    WaiterName = garcom.FieldByName(QStringLiteral("NMFANVEN")).AsString();
    return true;
}

// The bill of an open table or tab comes with the order history road; until then the
// counter's values are set and the other modes keep theirs.
void OrderEntry::PreencheExtrato()
{
    SaleState &state = m_context.state();
    if (state.host.stModoVenda != QLatin1String("B"))
        return;
    state.counters.inNrPessoas = 1;
    state.counters.inExtratoAux1 = 1;
    state.host.stNRCOMANDA.clear();
    state.host.stNRVENDAREST.clear();
}

// Product search: filled in by the product search road.
void OrderEntry::spbPesquisaClick(QObject *)
{
}

// Combined products: filled in by the combined products road.
void OrderEntry::spbProdCombinadoClick(QObject *)
{
}
