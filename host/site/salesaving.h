#pragma once

#include <outside/pkg_hrk00002.h>

#include <functional>

// The host's sale save and the records of cancelled sales, over the site's base.
//
// SetConcluiFechamento writes the sale in one transaction: the header (VENDA), one ITEMVENDA
// row per row of cdsVenda with its tax data, one MOVCAIXA row per payment of cdsMovCaixa and
// one ITVENDACAN row per cancelled line (cdsVendaCancelada, else cdsItensCancelados). The sale
// key is a ten-digit NRSEQVENDA of the branch and cash desk. On an NFC-e till (header value 39
// "N") the NFC-e is authorised before the commit: a refusal leaves nothing saved; a time-out
// saves the sale in contingency and answers "CONTIGENCIA_SP"; a refusal answers the authority's
// words in `failure` and "REJEITADA" as the NFC-e status, so the cashier is told who refused.
// Any failure rolls the whole sale back and answers its text in `failure` (a row the base
// refused in words, with the base's reason; the technical text goes to the log). A session the server
// ends during the save costs nothing: the save is made once more, whole, on a fresh session
// (with the NFC-e authorisation it already holds), after looking whether a COMMIT whose answer
// was lost stored it. The cancelled-sale records below follow the same rule.
namespace SaleSaving {

ClosingAnswer SetConcluiFechamento(const ClosingHeader &header, ClosingDatasets &datasets);

// A sale that was never stored, recorded as cancelled (IDSITUVENDA "C") with its rows; the
// answer's result and sale sequence are the new sale key.
CancellationAnswer IncluiVendaCan(const CancelledSaleRecord &record);
// The same record for a sale the till was stopped in, found at the next start: the record
// keeps the till's opening (dtAberCaix) as the sale's, where IncluiVendaCan has only the day.
CancellationAnswer recordInterruptedSale(const CancelledSaleRecord &record, const QDateTime &dtAberCaix);
// A stored sale (by key, else by its coupon number) marked cancelled with its payments; the
// answer's sale sequence is the sale's key. An empty key is refused.
CancellationAnswer AlteraVendaCan(const CancelledStatusChange &change);

// Value of one sale row: quantity x price, less its discount, plus its surcharges, truncated.
double lineValue(const DataPacket &cdsVenda, int row);
// What the sale comes to: its rows plus the service charge of the sale (first row).
double saleTotal(const DataPacket &cdsVenda);

// Test seam: asked after each row the save writes ("VENDA", "ITEMVENDA 1", "MOVCAIXA 1",
// "ITVENDACAN 1", "NFCE"); a non-empty answer fails the save there as a database failure
// would. Asked "COMMIT" once the commit was answered, a non-empty answer stands for that answer
// lost on its way back. Empty function: no injected failures.
using FailurePoint = std::function<QString(const QString &step)>;
void setFailurePoint(FailurePoint point);

} // namespace SaleSaving
