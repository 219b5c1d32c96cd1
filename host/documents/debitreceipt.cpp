#include "debitreceipt.h"

#include <host/devices/fiscalprinter.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>

#include <server/srv_consumers_posting.h>

#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QFile>
#include <QTextStream>

namespace DebitReceiptHost {

QString receiptText(const QString &receiptName, double value, const QString &consumer, const QString &consumerName,
                    const QString &clientName, const QString &pager, double balance, double subsidy,
                    const QString &observation)
{
    const auto columns = [](const QString &left, const QString &right) {
        return left + QString(qMax(1, 48 - int(left.size()) - int(right.size())), QLatin1Char(' ')) + right;
    };
    const QString rule(48, QLatin1Char('-'));
    QStringList lines{rule, QStringLiteral("COMPROVANTE DE VENDA DÉBITO CONSUMIDOR"), PtBr::DateTimeToStr(Clock::now()),
                      rule, QStringLiteral("Empresa: ") + clientName,
                      QStringLiteral("Consumidor: ") + consumer + QLatin1Char(' ') + consumerName};
    if (!pager.isEmpty())
        lines << QStringLiteral("Senha: ") + pager;
    lines << rule << columns(receiptName.isEmpty() ? QStringLiteral("DÉBITO") : receiptName, PtBr::FormatCurr(value))
          << columns(QStringLiteral("Subsídio"), PtBr::FormatCurr(subsidy))
          << columns(QStringLiteral("Saldo"), PtBr::FormatCurr(balance));
    if (!observation.isEmpty())
        lines << observation;
    lines << rule << QString() << QStringLiteral("Assinatura: ______________________________") << QString();
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
    QFile tape(printer.tapePath(Clock::now().date()));
    if (!tape.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        HostResult result;
        result.failure = QStringLiteral("Não foi possível escrever a fita ") + tape.fileName();
        return result;
    }
    const Booked booked = bookedBySave(request.cdCliente, request.cdConsumidor, request.vrMoviVend, request.doSaldoCons,
                                       request.subsidy);
    QTextStream out(&tape);
    out << receiptText(request.dsImpFiscal, request.vrMoviVend, request.cdConsumidor, request.nmConsumidor,
                       request.nmFantClie, request.stSenhaPedido, booked.balanceAfter, booked.subsidy,
                       request.observation)
        << '\n';
    return HostResult::done();
}

HostResult Comp_DebitoCons_Bematech_NaoFiscal(const DebitVoucherNonFiscalRequest &request)
{
    QString text = request.cdFilial + QLatin1Char(' ') + request.nmRazSocFili + QLatin1Char('\n') + request.dsEndeFili
        + QLatin1Char('\n') + request.nmCaixa + QStringLiteral("  Nº ") + request.stRecebAux9 + QLatin1Char('\n');
    const Booked booked = bookedBySave(request.cdCliente, request.cdConsumidor, request.vrMoviVend, request.doSaldoCons,
                                       request.subsidy);
    text += receiptText(request.dsImpFiscal, request.vrMoviVend, request.cdConsumidor, request.nmConsumidor,
                        request.nmFantClie, request.stSenhaPedido, booked.balanceAfter, booked.subsidy, QString());
    return NonFiscal::printText(request.cdPortImpNf1, QStringLiteral("VendaCons DEBITO"), text);
}

} // namespace DebitReceiptHost
