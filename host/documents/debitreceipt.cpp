#include "debitreceipt.h"

#include <host/devices/fiscalprinter.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>

#include <server/srv_consumers_posting.h>

#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace DebitReceiptHost {

namespace {

constexpr int Width = 48;

QString columns(const QString &left, const QString &right)
{
    return NonFiscal::twoColumns(left, right, Width);
}

} // namespace

QString receiptTitle()
{
    return QStringLiteral("COMPROVANTE DE VENDA DÉBITO CONSUMIDOR");
}

QStringList receiptLines(const DebitReceipt &receipt)
{
    const QString rule(Width, QLatin1Char('-'));
    QStringList lines{QStringLiteral("Empresa: ") + receipt.clientName,
                      QStringLiteral("Consumidor: ") + receipt.consumer + QLatin1Char(' ') + receipt.consumerName};
    if (!receipt.pager.isEmpty())
        lines << QStringLiteral("Senha: ") + receipt.pager;
    lines << rule
          << columns(receipt.receiptName.isEmpty() ? QStringLiteral("DÉBITO") : receipt.receiptName,
                     PtBr::FormatCurr(receipt.value))
          << columns(QStringLiteral("Subsídio"), PtBr::FormatCurr(receipt.subsidy));
    if (receipt.idImpSaldoCupom.trimmed() != QLatin1String("2"))
        lines << columns(QStringLiteral("Saldo"), PtBr::FormatCurr(receipt.balance));
    if (!receipt.observation.isEmpty())
        lines << receipt.observation;
    lines << rule << QString() << QStringLiteral("Assinatura: ______________________________");
    return lines;
}

DebitReceipt fiscalReceipt(const DebitVoucherRequest &request, const Booked &booked)
{
    return {request.dsImpFiscal, request.vrMoviVend, request.cdConsumidor, request.nmConsumidor, request.nmFantClie,
            request.stSenhaPedido, booked.balanceAfter, booked.subsidy, request.observation, request.idImpSaldoCupom};
}

QString nonFiscalText(const DebitVoucherNonFiscalRequest &request, const Booked &booked)
{
    const QString rule(Width, QLatin1Char('-'));
    QStringList lines{request.cdFilial + QLatin1Char(' ') + request.nmRazSocFili, request.dsEndeFili,
                      request.nmCaixa + QStringLiteral("  Nº ") + request.stRecebAux9, rule, receiptTitle(),
                      PtBr::DateTimeToStr(Clock::now()), rule};
    lines << receiptLines({request.dsImpFiscal, request.vrMoviVend, request.cdConsumidor, request.nmConsumidor,
                           request.nmFantClie, request.stSenhaPedido, booked.balanceAfter, booked.subsidy, QString(),
                           request.idImpSaldoCupom})
          << QString() << QString();
    return lines.join(QLatin1Char('\n'));
}

Booked bookedBySave(const QString &client, const QString &consumer, double value, double balanceBefore,
                    double subsidyGiven)
{
    const Variant subsidy = Srv_Kal51000::getSubsidioDebito(client, consumer, value);
    if (subsidy.isFailure())
        HostLog::write(QStringLiteral("comprovante de débito: subsídio não lido: ") + subsidy.failureText());
    Booked booked;
    booked.subsidy = subsidy.isFailure() ? subsidyGiven : subsidy.toDouble();
    booked.balanceAfter = Money::RoundDec(balanceBefore - Money::RoundDec(value - booked.subsidy, 2), 2);
    return booked;
}

HostResult Comp_DebitoCons(const DebitVoucherRequest &request)
{
    FiscalPrinter &printer = FiscalPrinter::forSite();
    if (printer.receiptOpen()) {
        HostResult result;
        result.failure = QStringLiteral("Há um cupom fiscal aberto na impressora: o comprovante não foi impresso.");
        HostLog::write(QStringLiteral("impressora fiscal: ") + result.failure);
        return result;
    }
    const Booked booked = bookedBySave(request.cdCliente, request.cdConsumidor, request.vrMoviVend, request.doSaldoCons,
                                       request.subsidy);
    const QString refusal = printer.printVoucher(receiptTitle(), receiptLines(fiscalReceipt(request, booked)));
    return refusal.isEmpty() ? HostResult::done() : HostResult{false, refusal};
}

HostResult Comp_DebitoCons_Bematech_NaoFiscal(const DebitVoucherNonFiscalRequest &request)
{
    const Booked booked = bookedBySave(request.cdCliente, request.cdConsumidor, request.vrMoviVend, request.doSaldoCons,
                                       request.subsidy);
    return NonFiscal::printText(request.cdPortImpNf1, QStringLiteral("VendaCons DEBITO"), nonFiscalText(request, booked));
}

} // namespace DebitReceiptHost
