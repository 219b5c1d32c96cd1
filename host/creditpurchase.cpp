#include "creditpurchase.h"

#include "dialogs.h"
#include "hostdatabase.h"
#include "hostlog.h"
#include "nonfiscal.h"

#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

namespace CreditPurchaseHost {

ConsumerSearchAnswer PesqConsumidor(const ConsumerSearchRequest &request, ClientDataSet &)
{
    ConsumerSearchAnswer answer;
    KeypadRequest keypad;
    keypad.title = request.prompt;
    keypad.prompt = QStringLiteral("Passe o crachá");
    keypad.maxLength = 25;
    const KeypadAnswer badge = Dialogs::TecladoNumerico(keypad);
    if (!badge.confirmed || badge.value.trimmed().isEmpty())
        return answer;
    const HostDatabase::Rows found = HostDatabase::query(
        QStringLiteral("hostPesqConsumidor"),
        QStringLiteral("SELECT CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, CDTIPOCONS, CDCCUSCLIE, IDVERSALDCON, "
                       "IDTPVENDACONS, NRCPFRESPCON FROM CONSUMIDOR WHERE CDIDCONSUMID = :P_CRACHA AND IDSITCONSUMI = '1' "
                       "ORDER BY CDCLIENTE, CDCONSUMIDOR"),
        {{QStringLiteral("P_CRACHA"), badge.value.trimmed()}});
    if (!found.ok() || found.rows.isEmpty()) {
        const QString text = found.ok() ? QStringLiteral("Crachá %1 não encontrado.").arg(badge.value.trimmed())
                                        : found.error;
        HostLog::write(QStringLiteral("pesquisa de consumidor: ") + text);
        Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                              QString(), 0);
        return answer;
    }
    const QList<QVariant> &row = found.rows.first();
    answer.found = true;
    answer.stCdClienteVenda = row.at(0).toString();
    answer.stCDCONSUMIDOR = row.at(1).toString();
    answer.stNmConsumidor = row.at(2).toString();
    answer.stCDTIPOCONS = row.at(3).toString();
    answer.stCartaoAux1 = row.at(4).toString();
    answer.stRecebAux6 = row.at(5).toString();
    answer.stCartaoAux2 = row.at(6).toString();
    answer.stNrInscrConsVenda = row.at(7).toString();
    answer.stNrCracha = badge.value.trimmed();
    HostLog::write(QStringLiteral("pesquisa de consumidor: crachá %1, %2").arg(answer.stNrCracha, answer.stNmConsumidor));
    return answer;
}

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
