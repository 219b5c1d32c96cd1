#pragma once

#include <outside/pkg_hrk00002.h>

#include <QDate>

// Host services over the base that the start-up and item roads call.
namespace SaleServices {

// "average-count" of the store's sales of the day (the cash desk's opening day, else today):
// the average of the payments per sale with a decimal comma and two decimals, a hyphen and
// the number of sales ("23,45-12"); "0-0" when there is none. Cancelled sales
// (IDSITUVENDA "C") do not count.
TextAnswer CalcTicketMedio(const TicketAverageRequest &request);
// No cash limits on the demo till: never stops the first item.
Variant Vd_VrMinMaxSangria(const CashLimitRequest &request);
// Approximate taxes of the sale for the consumer's receipt (the IBPT estimate): element 0
// federal, 1 imported federal (always 0 here), 2 state, as texts with a decimal comma, over
// the value of the sale's rows at the demo rates 13,45% and 18,00%.
TaxEstimateAnswer CalculoIcmsDFederal(const TaxEstimateRequest &request, ClientDataSet &cdsVenda);
// The product's NCM (PRODUTO.CDCLASFISC) and CEST (PRODUTO.CDCEST).
FiscalCodeAnswer getProdCodCestNcm(const FiscalCodeRequest &request);

} // namespace SaleServices
