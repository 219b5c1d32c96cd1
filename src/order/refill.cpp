// Refills of a seat at a table or tab: a refill-controlled product ordered again for the same
// seat is a free refill line, counted on the ordinary line that was paid for.
#include "itemkinds_p.h"

#include "orderentry.h"
#include "salemoney.h"

#include <sale/saledatasets.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <runtime/ptbr.h>

#include <QDebug>
#include <QLabel>

#include <exception>

void OrderEntry::ControlaRefil(const QString &CDPRODUTO)
{
    RefillControl(m_context, *m_pendingRefill).decide(CDPRODUTO);
}

void RefillControl::decide(const QString &CDPRODUTO)
{
    m_context.state().road.stAddProdAux3.clear();
    m_pending = PendingRefill{};
    if (!controlled(CDPRODUTO))
        return;
    if (unsentOrdinaryLine(CDPRODUTO) || orderedOrdinaryLine(CDPRODUTO)) {
        m_pending.CDPRODUTO = CDPRODUTO;
        m_context.state().road.stAddProdAux3 = QStringLiteral("S");
    }
}

bool RefillControl::controlled(const QString &CDPRODUTO) const
{
    ClientDataSet &products = m_context.data().cdsProdutos;
    return products.Active()
           && products.Locate(QStringLiteral("CDPRODUTO;IDCONTROLAREFIL"),
                              Variant(QList<Variant>{CDPRODUTO, QStringLiteral("S")}), loCaseInsensitive);
}

// The seat the screen shows, as the line being registered will carry it.
QString RefillControl::seat() const
{
    const QLabel *seat = m_context.label(FormName::stPosicao);
    return Consiste::Ajusta(seat ? seat->text() : QString(), 2);
}

// The ordinary line of the seat still in the unsent sale.
bool RefillControl::unsentOrdinaryLine(const QString &CDPRODUTO)
{
    ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active()
        || !items.Locate(QStringLiteral("CDPRODUTO;NRLUGARMESA;IDPRODREFIL"),
                         Variant(QList<Variant>{CDPRODUTO, seat(), QStringLiteral("N")}), loCaseInsensitive))
        return false;
    m_pending.localNRSEQ = items.FieldByName(QStringLiteral("NRSEQ")).AsString();
    return true;
}

// The first ordinary live line of the seat already sent to the tab.
bool RefillControl::orderedOrdinaryLine(const QString &CDPRODUTO)
{
    const SaleState &state = m_context.state();
    const QString context = QStringList{state.params.stCDFILIAL, state.host.stNRVENDAREST, state.host.stNRCOMANDA,
                                        CDPRODUTO, seat()}
                                .join(QLatin1Char('-'));
    const Variant lines = m_context.checkedValue(
        m_context.server().tabs.getProdRefil(state.params.stCDFILIAL, state.host.stNRVENDAREST, state.host.stNRCOMANDA,
                                   CDPRODUTO, seat()),
        QStringLiteral("getProdRefil"), context);
    if (!lines.isPacket() || lines.packet().rows.isEmpty())
        return false;
    ClientDataSet cdsProdRefil{QStringLiteral("cdsProdRefil")};
    if (!cdsProdRefil.SetData(lines.packet()) || cdsProdRefil.IsEmpty())
        return false;
    cdsProdRefil.First();
    m_pending.NRPRODCOMVEN = cdsProdRefil.FieldByName(QStringLiteral("NRPRODCOMVEN")).AsString();
    return true;
}

// Counted here rather than when the entry was marked: a refused or abandoned entry must not
// leave the paid line (or the base's) with a refill that was never served.
void RefillControl::settle(const PendingRefill &taken, bool registered, const PreenchePedidoArgs &item)
{
    if (!taken.pending() || !registered || taken.CDPRODUTO.compare(item.CDPRODUTO, Qt::CaseInsensitive) != 0)
        return;
    try {
        const double quantity = SaleMoney::number(item.QTPRODCOMVEN);
        const SaleState &state = m_context.state();
        if (!taken.localNRSEQ.isEmpty()) {
            ClientDataSet &items = m_context.data().cdsItems;
            const auto mark = items.GetBookmark();
            if (items.Locate(QStringLiteral("NRSEQ"), taken.localNRSEQ)) {
                items.Edit();
                Field count = items.FieldByName(QStringLiteral("QTITEMREFIL"));
                count.SetAsFloat(count.AsFloat() + quantity);
                items.Post();
            }
            items.GotoBookmark(mark);
            return;
        }
        const QString context = QStringList{state.params.stCDFILIAL, state.host.stNRVENDAREST,
                                            state.host.stNRCOMANDA, taken.NRPRODCOMVEN, PtBr::FloatToStr(quantity)}
                                    .join(QLatin1Char('-'));
        m_context.checkedValue(m_context.server().tabs.setProdRefil(state.params.stCDFILIAL, state.host.stNRVENDAREST,
                                                          state.host.stNRCOMANDA, taken.NRPRODCOMVEN, quantity),
                               QStringLiteral("setProdRefil"), context);
    } catch (const std::exception &error) {
        qWarning().noquote() << "refill count:" << error.what();
    }
}
