#pragma once

#include <outside/pkg_hrk00002_printing.h>

#include <QString>

// The stand-in host's personal-credit vouchers and the returned items of a merchandise
// exchange.
namespace CreditVouchers {

// Imp_CompVenCred on the simulated fiscal printer and ImpCompVenCredNFCeSAT on the non-fiscal
// printer: the voucher is written to the host log (the printers' stand-in).
HostResult Imp_CompVenCred(const CreditVoucherRequest &request);
HostResult ImpCompVenCredNFCeSAT(const CreditVoucherRequest &request);

// The functions menu's returned items: `values` holds the returned lines' values ("10,004
// 5,003"); the file ITENSDEVOLVIDOS.CDS is written into the site's cadastre folder. Empty when
// written, else the failure.
QString writeReturnedItems(const QString &values);

} // namespace CreditVouchers
