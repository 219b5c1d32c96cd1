#pragma once

#include <outside/pkg_hrk00002.h>

#include <QStringList>

class ClientDataSet;

// The stand-in host's part of the credit purchase: the voucher of a till that issues
// electronic documents (the badge search is the consumer dialog's).
namespace CreditPurchaseHost {

// The personal-credit voucher on the non-fiscal printer 3 (Dados/ImpressoraNaoFiscal/<port>.txt).
HostResult Imp_Compr_Cred(const CreditPurchaseVoucherRequest &request);

// The voucher's text.
QString voucherText(const CreditPurchaseVoucherRequest &request);

// What a credit-load voucher says on every printer (the fiscal printer's voucher and the
// non-fiscal one): the consumer, the family credited, the deposit, the voucher's number when
// it has one, each tender and the load's total, on 48 columns.
QStringList loadLines(const QString &consumer, const QString &family, const QString &deposit,
                      const QString &voucherNumber, const DataPacket &payments);

} // namespace CreditPurchaseHost
