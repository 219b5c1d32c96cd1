#pragma once

#include <outside/pkg_hrk00002.h>

class ClientDataSet;

// The stand-in host's part of the credit purchase: the voucher of a till that issues
// electronic documents (the badge search is the consumer dialog's).
namespace CreditPurchaseHost {

// The personal-credit voucher on the non-fiscal printer 3 (Dados/ImpressoraNaoFiscal/<port>.txt).
HostResult Imp_Compr_Cred(const CreditPurchaseVoucherRequest &request);

// The voucher's text.
QString voucherText(const CreditPurchaseVoucherRequest &request);

} // namespace CreditPurchaseHost
