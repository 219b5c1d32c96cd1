#include "srv_lookups_fiscal.h"

#include "srv_lookups_common.h"

using namespace LookupsDetail;

namespace {

const Statement adqBuscaDadosReducao{"adqBuscaDadosReducao",
    "SELECT NRREDREDZ, NRREINIREDZ, VRVENBRUREDZ, VRGTREDZ, DTREDUCAOZ FROM REDUCAOZ "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND DTREDUCAOZ IS NOT NULL "
    "ORDER BY DTREDUCAOZ DESC NULLS LAST"};
const Statement adqUltVendaSat{"adqUltVendaSat",
    "SELECT NRNOTAFISCALCE, NRACESSONFCE, NRSEQVENDA, CDCAIXA, ENDVENDAROUTER FROM VENDA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRNOTAFISCALCE = :P_NRNOTAFISCALCE "
    "ORDER BY DTVENDA DESC NULLS LAST"};
const Statement adqSituVendaSat{"adqSituVendaSat",
    "SELECT IDSITUVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND NRNOTAFISCALCE = :P_NRNOTAFISCALCE ORDER BY DTVENDA DESC NULLS LAST"};
// Only a movement that carries a control number answers; a cash movement of the same sale does not.
const Statement adqRetornaTefCappta{"adqRetornaTefCappta",
    "SELECT M.NRCONTROLTEF FROM VENDA V JOIN MOVCAIXA M ON M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA "
    "AND M.NRSEQVENDA = V.NRSEQVENDA "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.NRCUPOMFIS = :P_NRCUPOMFIS "
    "AND V.DTENTRVENDA >= :P_DIA AND V.DTENTRVENDA < :P_DIASEGUINTE AND COALESCE(M.NRCONTROLTEF, '') <> '' "
    "ORDER BY M.NRSEQUMOVI"};

Params saleNote(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRNOTAFISCALCE", NRNOTA}};
}

} // namespace

namespace Srv_Kal51000 {

Variant getBuscaDadosReducao(const QString &CDFILIAL, const QString &CDCAIXA, QString &NRREDREDZ,
                             QString &NRREINIREDZ, double &VRVENBRUREDZ, double &VRGTREDZ, QDateTime &DTREDUCAOZ)
{
    NRREDREDZ.clear();
    NRREINIREDZ.clear();
    VRVENBRUREDZ = 0;
    VRGTREDZ = 0;
    DTREDUCAOZ = QDateTime();
    const Variant answer = ServerCall().packet(adqBuscaDadosReducao, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}});
    if (answer.isFailure() || answer.packet().isEmpty())
        return answer.isFailure() ? answer : Variant();
    const DataPacket &latest = answer.packet();
    NRREDREDZ = latest.value(0, "NRREDREDZ").toString();
    NRREINIREDZ = latest.value(0, "NRREINIREDZ").toString();
    VRVENBRUREDZ = latest.value(0, "VRVENBRUREDZ").toDouble();
    VRGTREDZ = latest.value(0, "VRGTREDZ").toDouble();
    DTREDUCAOZ = latest.value(0, "DTREDUCAOZ").toDateTime();
    return Variant();
}

Variant getUltVendaSat(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA)
{
    return ServerCall().packet(adqUltVendaSat, saleNote(CDFILIAL, CDCAIXA, NRNOTA));
}

bool getSituVendaSat(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTA)
{
    const Variant situation = ServerCall(ServerCall::Session::Probe)
                                  .value(adqSituVendaSat, saleNote(CDFILIAL, CDCAIXA, NRNOTA), "IDSITUVENDA");
    return !situation.isFailure() && situation.toString() == QLatin1String("C");
}

Variant getRetornaTefCappta(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                            const QDateTime &DTENTRVENDA)
{
    const Params params = Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRCUPOMFIS", NRCUPOMFIS}}
                          + dayRange(DTENTRVENDA.date());
    const Variant control = ServerCall().value(adqRetornaTefCappta, params, "NRCONTROLTEF");
    return control.isFailure() ? control : Variant(control.toString());
}

} // namespace Srv_Kal51000
