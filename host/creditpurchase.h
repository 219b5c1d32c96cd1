#pragma once

#include <outside/pkg_hrk00002.h>

class ClientDataSet;

// The stand-in host's part of the credit purchase: the badge search that names the consumer
// and the voucher of a till that issues electronic documents.
namespace CreditPurchaseHost {

// The badge typed on the numeric keypad (in a script, a queued keypad answer), looked up among
// the active consumers of the base by their badge code (CDIDCONSUMID). Not found: the operator
// is told and nothing is chosen.
ConsumerSearchAnswer PesqConsumidor(const ConsumerSearchRequest &request, ClientDataSet &cdsCliente);

// The personal-credit voucher on the non-fiscal printer 3 (Dados/ImpressoraNaoFiscal/<port>.txt).
HostResult Imp_Compr_Cred(const CreditPurchaseVoucherRequest &request);

// The voucher's text.
QString voucherText(const CreditPurchaseVoucherRequest &request);

} // namespace CreditPurchaseHost
