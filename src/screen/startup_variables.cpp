#include "startup_p.h"

#include "screenshell.h"

#include "tfrmvendacons.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <runtime/ptbr.h>
#include <sale/codes.h>

#include <QAbstractButton>

// The call start made the sale fresh (SaleState::beginSale); what is left are the values a
// fresh record cannot know: the consumer of the call, the seat and the product page, the
// start of the activation and the last fiscal movement; and price consultation, which a call
// starts without, its key up.
void SaleVariables::InicializaVariaveis()
{
    SaleState &s = m_context.state();
    s.consumer.stCDCONSUMIDOR = s.host.stCdConsumidorVenda;
    s.till.boAtivarAux1 = false;
    s.till.stCancCupomAux3 = QStringLiteral("VV");
    s.table.inPosicaoGrid = 1;
    s.screen.inPaginaProduto = 1;
    s.screen.boConsultaPreco = false;
    if (QAbstractButton *key = m_context.button(FormName::spbConsultaPreco))
        key->setChecked(false);
    s.keepSeatsOnlyAtTable();
    m_context.setCaption(FormName::lblSerieD, QString());
    showEmptySale();
}

// Persons, an empty key buffer and product, zero totals and the clock.
void SaleVariables::showEmptySale()
{
    const SaleState &s = m_context.state();
    const SaleTotals &totals = s.totals;
    m_context.setCaption(FormName::lblNrPes, QString::number(s.table.inNrPessoas));
    for (QLatin1StringView name :
        {FormName::lblBuffer, FormName::lblBufferQRCODE, FormName::lblProduto, FormName::lblValSaldDisp})
        m_context.setCaption(name, QString());
    const QString total = PtBr::FormatFloat(QStringLiteral("#,##0.00"), totals.doTotalVenda);
    m_context.setCaption(FormName::lblVrTotal, total);
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + total);
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), totals.doExtratoAux1);
    m_context.setCaption(FormName::lblQtdeTotal, quantity);
    m_context.setCaption(FormName::lblQtdeTotal2, quantity);
    saleForm(m_context).timDataHoraTimer();
}
