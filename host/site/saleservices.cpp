#include "saleservices.h"

#include "hostdatabase.h"
#include "salesaving.h"

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace SaleServices {

namespace {

constexpr double federalRate = 13.45;
constexpr double stateRate = 18.00;

} // namespace

TaxEstimateAnswer CalculoIcmsDFederal(const TaxEstimateRequest &, ClientDataSet &cdsVenda)
{
    const double value = SaleSaving::saleTotal(cdsVenda.Data());
    TaxEstimateAnswer answer;
    answer.ok = true;
    answer.tax0 = PtBr::FloatToStrFixed(Money::Trunc2(value * federalRate / 100.0), 2);
    answer.tax1 = PtBr::FloatToStrFixed(0, 2);
    answer.tax2 = PtBr::FloatToStrFixed(Money::Trunc2(value * stateRate / 100.0), 2);
    return answer;
}

TextAnswer CalcTicketMedio(const TicketAverageRequest &request)
{
    const QDate day = request.dtAberCaix.isValid() ? request.dtAberCaix.date() : Clock::now().date();
    const Qub_movrela::Params params{{QStringLiteral("P_CDFILIAL"), request.cdFilial},
                                     {QStringLiteral("P_CDLOJA"), request.cdLoja},
                                     {QStringLiteral("P_DIA"), day.startOfDay()},
                                     {QStringLiteral("P_DIASEGUINTE"), day.addDays(1).startOfDay()}};
    const QString sales = QStringLiteral(
        "FROM VENDA V WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA AND V.DTENTRVENDA >= :P_DIA "
        "AND V.DTENTRVENDA < :P_DIASEGUINTE AND COALESCE(V.IDSITUVENDA, 'F') <> 'C'");
    const HostDatabase::Rows count = HostDatabase::query(QStringLiteral("hostTicketQtde"), QStringLiteral("SELECT COUNT(*) ") + sales, params);
    const HostDatabase::Rows total = HostDatabase::query(
        QStringLiteral("hostTicketTotal"),
        QStringLiteral("SELECT SUM(M.VRMOVIVEND) FROM MOVCAIXA M WHERE EXISTS (SELECT 1 ") + sales
            + QStringLiteral(" AND V.CDCAIXA = M.CDCAIXA AND V.NRSEQVENDA = M.NRSEQVENDA AND V.CDFILIAL = M.CDFILIAL)"),
        params);
    TextAnswer answer;
    if (!count.ok() || !total.ok()) {
        answer.failure = count.ok() ? total.error : count.error;
        return answer;
    }
    const qint64 sold = count.rows.isEmpty() ? 0 : count.rows.first().value(0).toLongLong();
    answer.ok = true;
    if (sold <= 0) {
        answer.text = QStringLiteral("0-0");
        return answer;
    }
    const double sum = total.rows.isEmpty() ? 0 : total.rows.first().value(0).toDouble();
    answer.text = PtBr::FloatToStrFixed(Money::RoundDec(sum / double(sold), 2), 2) + QLatin1Char('-') + QString::number(sold);
    return answer;
}

Variant Vd_VrMinMaxSangria(const CashLimitRequest &)
{
    return false;
}

FiscalCodeAnswer getProdCodCestNcm(const FiscalCodeRequest &request)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostCodFiscal"), QStringLiteral("SELECT CDCLASFISC, CDCEST FROM PRODUTO WHERE CDPRODUTO = :P_CDPRODUTO"),
        {{QStringLiteral("P_CDPRODUTO"), request.cdProduto}});
    FiscalCodeAnswer answer;
    if (!rows.ok()) {
        answer.failure = rows.error;
        return answer;
    }
    if (!rows.rows.isEmpty()) {
        answer.classification = rows.rows.first().value(0).toString().trimmed();
        answer.secondCode = rows.rows.first().value(1).toString().trimmed();
    }
    return answer;
}

} // namespace SaleServices
