#include "creditpurchase.h"

#include <host/dialogs/dialogs.h>
#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>

#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace CreditPurchaseHost {

namespace {

constexpr int Width = 48;

QString columns(const QString &left, const QString &right)
{
    return NonFiscal::twoColumns(left, right, Width);
}

} // namespace

QStringList loadLines(const QString &consumer, const QString &family, const QString &deposit,
                      const QString &voucherNumber, const DataPacket &payments)
{
    QStringList lines{QStringLiteral("Consumidor: ") + consumer};
    if (!family.isEmpty())
        lines << QStringLiteral("Família: ") + family;
    lines << QStringLiteral("Depósito: ") + deposit;
    if (!voucherNumber.isEmpty())
        lines << QStringLiteral("Comprovante: ") + voucherNumber;
    lines << QString(Width, QLatin1Char('-'));
    const int name = payments.fieldIndex(QStringLiteral("NMTIPORECE"));
    const int amount = payments.fieldIndex(QStringLiteral("VRMOVIVEND"));
    double total = 0;
    for (int row = 0; amount >= 0 && row < payments.rows.size(); ++row) {
        const double value = payments.rows.at(row).at(amount).toDouble();
        total = Money::Trunc2(total + value);
        lines << columns(name >= 0 ? payments.rows.at(row).at(name).toString() : QStringLiteral("Pagamento"),
                         PtBr::FormatCurr(value));
    }
    lines << columns(QStringLiteral("TOTAL DA CARGA"), PtBr::FormatCurr(total));
    return lines;
}

QString voucherText(const CreditPurchaseVoucherRequest &request)
{
    const QString rule(Width, QLatin1Char('-'));
    QStringList lines{request.nmFilial, request.dsEndeFili, request.nmMunicipioFili, request.nmCaixa, rule,
                      QStringLiteral("COMPROVANTE DE COMPRA DE CRÉDITO"),
                      PtBr::DateTimeToStr(request.loadTime.isValid() ? request.loadTime : Clock::now()), rule};
    lines << loadLines(request.nmConsumidor, request.familyName, request.depositNumber, request.voucherNumber,
                       request.payments)
          << rule;
    if (!request.dsObsCupFis.isEmpty())
        lines << request.dsObsCupFis;
    lines << QString();
    return lines.join(QLatin1Char('\n'));
}

HostResult Imp_Compr_Cred(const CreditPurchaseVoucherRequest &request)
{
    return NonFiscal::printText(request.cdPortImpNf3, QStringLiteral("VendaCons COMP"), voucherText(request));
}

} // namespace CreditPurchaseHost
