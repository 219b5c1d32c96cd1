#pragma once

#include <outside/pkg_hrk00002_printing.h>

#include <QString>
#include <QStringList>

// The stand-in host's personal-credit vouchers and the returned items of a merchandise
// exchange.
namespace CreditVouchers {

// The personal-credit voucher: the company, the consumer, the pager, the sale's items, the
// credit spent, the sale's total and the company's part when it has one; then, unless the till
// prints no balance on its receipts (IDIMPSALDOCUPOM "2"), the consumer's balance in each
// family: after the sale when the sale's family consumption came (the NFC-e/SAT form), else as
// it stood before the sale. 48 columns, without the printer's heading.
QStringList voucherLines(const CreditVoucherRequest &request);
QString voucherTitle();
// The voucher on non-fiscal printer 3, headed by its title and the moment.
QString nonFiscalVoucherText(const CreditVoucherRequest &request);

// Imp_CompVenCred on the simulated fiscal printer (a non-fiscal voucher on its tape) and
// ImpCompVenCredNFCeSAT on non-fiscal printer 3.
HostResult Imp_CompVenCred(const CreditVoucherRequest &request);
HostResult ImpCompVenCredNFCeSAT(const CreditVoucherRequest &request);

// The functions menu's returned items: `values` holds the returned lines' values ("10,004
// 5,003"); the file ITENSDEVOLVIDOS.CDS is written into the site's cadastre folder. Empty when
// written, else the failure.
QString writeReturnedItems(const QString &values);

} // namespace CreditVouchers
