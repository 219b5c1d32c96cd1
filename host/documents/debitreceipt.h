#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QString>
#include <QStringList>

// The stand-in host's consumer-debit receipt: the voucher of a payroll debit sale, on the
// simulated fiscal printer's tape or on the till's non-fiscal printer 1.
namespace DebitReceiptHost {

// What a consumer-debit receipt says on every printer: the company, the consumer, the pager,
// the debit, the subsidy and, unless the till prints no balance on its receipts
// (IDIMPSALDOCUPOM "2"), the balance left after the sale; then the observation and the
// consumer's signature line. 48 columns.
struct DebitReceipt
{
    QString receiptName; // the means' printer text; empty: "DÉBITO"
    double value = 0;
    QString consumer;
    QString consumerName;
    QString clientName;
    QString pager;
    double balance = 0;
    double subsidy = 0;
    QString observation;
    QString idImpSaldoCupom;
};
QStringList receiptLines(const DebitReceipt &receipt);
QString receiptTitle();

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
// The receipt's whole text on non-fiscal printer 1: the branch's heading, then the receipt.
QString nonFiscalText(const DebitVoucherNonFiscalRequest &request, const Booked &booked);
// The receipt of the fiscal printer's voucher.
DebitReceipt fiscalReceipt(const DebitVoucherRequest &request, const Booked &booked);

// On non-fiscal printer 1 (Dados/ImpressoraNaoFiscal/<port>.txt or its CUPS queue).
HostResult Comp_DebitoCons_Bematech_NaoFiscal(const DebitVoucherNonFiscalRequest &request);

} // namespace DebitReceiptHost
