#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QString>

// The stand-in host's consumer-debit receipt: the voucher of a payroll debit sale, on the
// simulated fiscal printer's tape or on the till's non-fiscal printer 1.
namespace DebitReceiptHost {

// The receipt's text: the consumer, the debit, the subsidy and the balance left after the sale.
QString receiptText(const QString &receiptName, double value, const QString &consumer, const QString &consumerName,
                    const QString &clientName, const QString &pager, double balance, double subsidy,
                    const QString &observation);

// What the sale's save books of a debit of `value`: the company's subsidy of the day first
// (the till's `subsidyGiven` when the base cannot say), the rest on the consumer's account,
// whose balance goes from `balanceBefore` to `balanceAfter`. The voucher is printed before the
// save and shows these.
struct Booked
{
    double subsidy = 0;
    double balanceAfter = 0;
};
Booked bookedBySave(const QString &client, const QString &consumer, double value, double balanceBefore,
                    double subsidyGiven);

// On the simulated fiscal printer: refused while a fiscal coupon is open.
HostResult Comp_DebitoCons(const DebitVoucherRequest &request);
// On non-fiscal printer 1 (Dados/ImpressoraNaoFiscal/<port>.txt or its CUPS queue).
HostResult Comp_DebitoCons_Bematech_NaoFiscal(const DebitVoucherNonFiscalRequest &request);

} // namespace DebitReceiptHost
