#include "srv_salecancel.h"
#include "srv_salecancel_p.h"

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace SaleCancellation {

void logCancel(const QString &text)
{
    const QDateTime now = Clock::now();
    const QString path = SitePaths::resolve(QStringLiteral("Dados\\logCancVenda\\logCancVenda_%1.txt")
                                                .arg(now.toString(QStringLiteral("yyyyMMdd"))));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        qWarning().noquote() << "logCancVenda: cannot write" << path << file.errorString();
        return;
    }
    QTextStream out(&file);
    out << now.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) << " - " << text << '\n';
}

QString pointMoney(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace SaleCancellation

namespace Srv_Kal51000 {

Variant getVendaNFisc(const SaleCancelRequest &request)
{
    using namespace SaleCancellation;
    DataPacket items;
    Outcome outcome;
    const QString what = QStringLiteral("filial %1, caixa %2, documento %3, tipo \"%4\"")
                             .arg(request.CDFILIAL, request.CDCAIXA, request.number, request.kind);
    const Variant written = writeCancellation(request, items, outcome);
    if (written.isFailure()) {
        logCancel(QStringLiteral("cancelamento não gravado (%1): %2").arg(what, written.failureText()));
        return written;
    }
    if (!outcome.cancelled) {
        if (request.kind != QLatin1String("I"))
            logCancel(QStringLiteral("nenhuma venda aberta encontrada: ") + what);
        return Variant(items);
    }
    logCancel(QStringLiteral("venda %1 cancelada: %2").arg(outcome.sale.NRSEQVENDA, what));
    // The cancellation stands from here on: what follows is logged, never answered as a failure.
    afterCommit(request, outcome);
    notifyPartners(request, outcome);
    return Variant(items);
}

} // namespace Srv_Kal51000
