// The on-screen receipt of the open sale: its text lines, rebuilt from cdsItems, and the totals.
#include "orderentry.h"

#include "salemoney.h"

#include <screen/saledatasets.h>
#include <screen/salecontext.h>
#include <screen/salestate.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>
#include <screen/tfrmvisualiza.h>

#include <consumer/consumersale.h>

#include <runtime/ptbr.h>

namespace {

bool compactLayout(const QString &layout)
{
    return layout == QLatin1String("4") || layout == QLatin1String("6") || layout == QLatin1String("8");
}

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("#,##0.00"), value);
}

} // namespace

void OrderEntry::AtualizaExtrato()
{
    SaleState &state = m_context.state();
    SaleTotals &totals = state.totals;
    totals.doTotalVenda = 0.0;
    totals.doExtratoAux1 = 0.0;
    totals.doVrTxServico = 0.0;
    m_context.data().cdsExtratoTemp.Close();
    if (TfrmVisualiza *display = m_context.display())
        display->cdsExtratoVisualiza.Close();

    ClientDataSet &items = m_context.data().cdsItems;
    const bool compact = compactLayout(state.params.stIdTpTelaVe);
    auto text = [&items](const char *field) { return items.FieldByName(QString::fromLatin1(field)).AsString(); };
    auto value = [&items](const char *field) { return items.FieldByName(QString::fromLatin1(field)).AsFloat(); };
    if (items.Active()) {
        for (items.First(); !items.Eof(); items.Next()) {
            totals.doVrAcrescimoItem = value("VRACRCOMVEN");
            totals.doVrDescontoItem = value("VRDESCCOMVEN");
            totals.doVrTxServico += value("VRTXSERVICO");
            const QString obs = text("STOBSPEDIDO");
            if (compact) {
                m_context.consumer().LinhaEx3(text("CDARVPROD"), text("NMPRODUTO"), text("NRSEQ"),
                                              text("QTPRODCOMVEN"), text("VRPRECCOMVEN"), text("VRUNITVENDCL"),
                                              !obs.isEmpty(), text("NRLUGARMESA"), text("SGUNIDADE"),
                                              totals.doVrDescontoItem, totals.doVrAcrescimoItem, obs);
            } else {
                ScreenShell &shell = m_context.shell();
                shell.LinhaEx1(text("CDARVPROD"), text("NMPRODUTO"), text("NRSEQ"), obs, text("QTPRODCOMVEN"),
                               text("VRPRECCOMVEN"), text("VRUNITVENDCL"));
                shell.LinhaEx2(text("QTPRODCOMVEN"), text("VRPRECCOMVEN"), text("VRUNITVENDCL"), text("NRSEQ"),
                               !obs.isEmpty(), text("NRLUGARMESA"), text("SGUNIDADE"), totals.doVrDescontoItem,
                               totals.doVrAcrescimoItem, obs);
            }
            totals.doExtratoAux1 += SaleMoney::number(text("QTPRODCOMVEN"));
        }
    }
    showTotals();
    totals.doQuantidade = 1.0;
    totals.doVrDescontoItem = 0.0;
    totals.doVrAcrescimoItem = 0.0;
}

// The exchange balance is worked out from the total itself, never from its caption read back.
void OrderEntry::showTotals()
{
    const SaleTotals &totals = m_context.state().totals;
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), totals.doExtratoAux1);
    m_context.setCaption(QStringLiteral("lblTotVenda"),
                         QString::fromLatin1(PtBr::CurrencyString) + money(totals.doTotalVenda));
    m_context.setCaption(QStringLiteral("lblQtdeTotal"), quantity);
    m_context.setCaption(QStringLiteral("lblQtdeTotal2"), quantity);
    m_context.setCaption(QStringLiteral("lblValSaldDisp"),
                         PtBr::FormatFloat(QStringLiteral("0.00"), totals.doRecebAux1 - totals.doTotalVenda));
    m_context.setCaption(QStringLiteral("lblVrTotal"), money(totals.doTotalVenda));
}

void OrderEntry::CalculaTotal(double Total)
{
    m_context.setCaption(QStringLiteral("lblVrTotal"), money(Total));
    m_context.setCaption(QStringLiteral("lblTotVenda"), QString::fromLatin1(PtBr::CurrencyString) + money(Total));
    m_context.form().update();
}
