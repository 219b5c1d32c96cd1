#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QString>

// The stand-in host's consumer-debit receipt: the voucher of a payroll debit sale, on the
// simulated fiscal printer's tape or on the till's non-fiscal printer 1.
namespace DebitReceiptHost {

// The receipt's text: the consumer, the debit, the subsidy and the balance left.
QString receiptText(const QString &receiptName, double value, const QString &consumer, const QString &consumerName,
                    const QString &clientName, const QString &pager, double balance, double subsidy,
                    const QString &observation);

// On the simulated fiscal printer: refused while a fiscal coupon is open.
HostResult Comp_DebitoCons(const DebitVoucherRequest &request);
// On non-fiscal printer 1 (Dados/ImpressoraNaoFiscal/<port>.txt or its CUPS queue).
HostResult Comp_DebitoCons_Bematech_NaoFiscal(const DebitVoucherNonFiscalRequest &request);

} // namespace DebitReceiptHost
