#include "creditpurchase.h"

#include <host/dialogs/dialogs.h>
#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>

#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

namespace CreditPurchaseHost {

QString voucherText(const CreditPurchaseVoucherRequest &request)
{
    const auto columns = [](const QString &left, const QString &right) {
        return left + QString(qMax(1, 48 - int(left.size()) - int(right.size())), QLatin1Char(' ')) + right;
    };
    const QString rule(48, QLatin1Char('-'));
    QStringList lines{request.nmFilial, request.dsEndeFili, request.nmMunicipioFili, request.nmCaixa, rule,
                      QStringLiteral("COMPROVANTE DE COMPRA DE CRÉDITO"),
                      columns(PtBr::DateTimeToStr(Clock::now()), QStringLiteral("Nº ") + request.voucherNumber), rule,
                      QStringLiteral("Consumidor: ") + request.nmConsumidor};
    if (!request.familyName.isEmpty())
        lines << QStringLiteral("Família: ") + request.familyName;
    lines << QStringLiteral("Depósito: ") + request.depositNumber << rule;
    const DataPacket &payments = request.payments;
    const int name = payments.fieldIndex(QStringLiteral("NMTIPORECE"));
    const int amount = payments.fieldIndex(QStringLiteral("VRMOVIVEND"));
    double total = 0;
    for (int row = 0; amount >= 0 && row < payments.rows.size(); ++row) {
        const double value = payments.rows.at(row).at(amount).toDouble();
        total += value;
        lines << columns(name >= 0 ? payments.rows.at(row).at(name).toString() : QStringLiteral("Pagamento"),
                         PtBr::FormatCurr(value));
    }
    lines << columns(QStringLiteral("TOTAL DA CARGA"), PtBr::FormatCurr(total)) << rule;
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
