#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"

#include <runtime/clock.h>
#include <runtime/money.h>

namespace {

using namespace ConsumerAccounts;

#define ITEM_VALUE "COALESCE(I.QTPRODVEND, 0) * COALESCE(I.VRUNITVEND, 0) + COALESCE(I.VRACRITVEND, 0) - COALESCE(I.VRDESITVEND, 0)"
#define SALES_OF_TODAY                                                                                           \
    "FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA " \
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCLIENTE = :P_CDCLIENTE AND V.CDCONSUMIDOR = :P_CDCONSUMIDOR "          \
    "AND V.IDSITUVENDA = 'O' AND V.DTENTRVENDA >= :P_HOJE AND V.DTENTRVENDA < :P_AMANHA "

const Statement adqProdVenDiaServ{"adqProdVenDiaServ",
    "SELECT COALESCE(SUM(I.QTPRODVEND), 0) AS QTPRODVEND " SALES_OF_TODAY
    "AND I.CDPRODUTO = :P_CDPRODUTO AND V.CDSERVFILI = :P_CDSERVFILI"};
const Statement adqGtDiaServ{"adqGtDiaServ",
    "SELECT COALESCE(SUM(" ITEM_VALUE "), 0) AS VALCONSUM " SALES_OF_TODAY "AND V.CDSERVFILI = :P_CDSERVFILI"};
const Statement adqProdBasVenDia{"adqProdBasVenDia",
    "SELECT COALESCE(SUM(I.QTPRODVEND), 0) AS QTPRODVEND " SALES_OF_TODAY "AND I.CDPRODUTO = :P_CDPRODUTO"};
const Statement adqProdDiaRal{"adqProdDiaRal",
    "SELECT QTCONSDIARAL, IDBLOQDIARAL FROM PRODRALIMENT WHERE CDFILIAL = :P_CDFILIAL AND CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND CDFAMILISALD = :P_CDFAMILISALD AND CDPRODUTO = :P_CDPRODUTO"};
const Statement adqProdDiaFam{"adqProdDiaFam",
    "SELECT QTCONSDIAFAM FROM FAMSALDOPROD WHERE CDFILIAL = :P_CDFILIAL AND CDFAMILISALD = :P_CDFAMILISALD "
    "AND CDPRODUTO = :P_CDPRODUTO"};
const Statement adqTipoConsFili{"adqTipoConsFili",
    "SELECT IDRECEBEBONUS, VRCARGACREDITO, VRBONUSCREDITO, VRSALDCONSBONUS, IDPERIODOBONUS, CDTIPORECE, QTRECARGASMES, "
    "VRSALDOBASICO, VRSALDOEXTRA FROM TIPOCONSFILI WHERE CDFILIAL = :P_CDFILIAL AND CDTIPOCONS = :P_CDTIPOCONS"};
const Statement adqNmTipoCons{"adqNmTipoCons", "SELECT NMTIPOCONS FROM TIPOCONS WHERE CDTIPOCONS = :P_CDTIPOCONS"};
const Statement adqTipoConsFiliClubPetro{"adqTipoConsFiliClubPetro",
    "SELECT CDTIPOCONS, IDRECEBEBONUS, VRCARGACREDITO, VRBONUSCREDITO, VRSALDCONSBONUS, IDPERIODOBONUS, CDTIPORECE, "
    "NMGRUPOSEGPETRO, IDSALDOMINDESC, VRSALDOMINDESC FROM TIPOCONSFILI WHERE NMGRUPOSEGPETRO = :P_NMGRUPOSEGPETRO"};
const Statement adqTipoConsLoja{"adqTipoConsLoja",
    "SELECT T.VRMAXCONSDIAC, T.VRMAXCONSDIAD, T.VRMAXCONSMESC, T.VRMAXCONSMESD, T.VRMAXCONSMENSAL FROM TIPOCONSLOJA T "
    "JOIN CONSUMIDOR C ON C.CDTIPOCONS = T.CDTIPOCONS WHERE C.CDCLIENTE = :P_CDCLIENTE "
    "AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR AND T.CDFILIAL = :P_CDFILIAL AND T.CDLOJA = :P_CDLOJA"};
const Statement adqLimiteCons{"adqLimiteCons",
    "SELECT VRMAXDEBCONS, VRMESUBCONS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND IDSITCONSUMI = '1'"};
const Statement adqVerifProdConsumi{"adqVerifProdConsumi",
    "SELECT 1 AS ACHOU FROM VENDA V WHERE V.CDCLIENTE = :P_CDCLIENTE AND V.CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND V.IDSITUVENDA = 'O' AND V.DTENTRVENDA >= :P_HOJE AND V.DTENTRVENDA < :P_AMANHA "
    "AND EXISTS (SELECT 1 FROM ITEMVENDA I WHERE I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
    "AND I.NRSEQVENDA = V.NRSEQVENDA AND I.CDPRODUTO = :P_CDPRODUTO) "
    "AND EXISTS (SELECT 1 FROM MOVICLIE M WHERE M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA "
    "AND M.NRSEQVENDA = V.NRSEQVENDA AND M.IDTIPMOCVLI = 'D' AND M.DTMOVIMCLIE >= :P_HOJE AND M.DTMOVIMCLIE < :P_AMANHA)"};
const Statement adqCdFamiliSald{"adqCdFamiliSald",
    "SELECT CDFAMILISALD FROM FAMSALDOPROD WHERE CDFILIAL = :P_CDFILIAL AND CDPRODUTO = :P_CDPRODUTO ORDER BY CDFAMILISALD"};
const Statement adqCargaCredito{"adqCargaCredito",
    "SELECT COUNT(DISTINCT E.NRDEPOSICONS) AS QTCARGAS, MAX(E.DTMOVEXTCONS) AS DTMOVEXTCONS FROM EXTRATOCONS E "
    "WHERE E.CDCLIENTE = :P_CDCLIENTE AND E.CDCONSUMIDOR = :P_CDCONSUMIDOR AND E.CDFAMILISALD = :P_CDFAMILISALD "
    "AND E.IDTPMOVEXT = 'C' AND COALESCE(E.NRSEQVENDA, '') = '' AND E.DTMOVEXTCONS >= :P_INICIO "
    "AND E.DTMOVEXTCONS < :P_FIM AND NOT EXISTS (SELECT 1 FROM EXTRATOCONS D WHERE D.CDCLIENTE = E.CDCLIENTE "
    "AND D.CDCONSUMIDOR = E.CDCONSUMIDOR AND D.CDFAMILISALD = E.CDFAMILISALD AND D.IDTPMOVEXT = 'D' "
    "AND D.NRDEPOSICONS = E.NRDEPOSICONS)"};
const Statement adqBeneficioLimite{"adqBeneficioLimite",
    "SELECT QTDMAXDIACOMPRA, QTDMAXDIASUBSEQ FROM BENEFICIOQUB WHERE NRSEQBENEFICIO = :P_NRSEQBENEFICIO"};
// Uses of today on a grant whose validity starts today (first day) or earlier (later days).
const Statement adqUsosBeneficioDia{"adqUsosBeneficioDia",
    "SELECT COUNT(*) AS QTUSOS FROM MOVBENEFICIOCONS U JOIN MOVBENEFICIOCTR G ON G.CDCLIENTE = U.CDCLIENTE "
    "AND G.CDCONSUMIDOR = U.CDCONSUMIDOR AND G.CDCAMPANHA = U.CDCAMPANHA AND G.NRSEQBENEFICIO = U.NRSEQBENEFICIO "
    "WHERE U.CDCLIENTE = :P_CDCLIENTE AND U.CDCONSUMIDOR = :P_CDCONSUMIDOR AND U.CDCAMPANHA = :P_CDCAMPANHA "
    "AND U.NRSEQBENEFICIO = :P_NRSEQBENEFICIO AND U.DTUTBENECONS >= :P_HOJE AND U.DTUTBENECONS < :P_AMANHA "
    "AND G.DTINIVALBENECONS >= :P_HOJE AND G.DTINIVALBENECONS < :P_AMANHA"};
const Statement adqUsosBeneficioSubseq{"adqUsosBeneficioSubseq",
    "SELECT COUNT(*) AS QTUSOS FROM MOVBENEFICIOCONS U JOIN MOVBENEFICIOCTR G ON G.CDCLIENTE = U.CDCLIENTE "
    "AND G.CDCONSUMIDOR = U.CDCONSUMIDOR AND G.CDCAMPANHA = U.CDCAMPANHA AND G.NRSEQBENEFICIO = U.NRSEQBENEFICIO "
    "WHERE U.CDCLIENTE = :P_CDCLIENTE AND U.CDCONSUMIDOR = :P_CDCONSUMIDOR AND U.CDCAMPANHA = :P_CDCAMPANHA "
    "AND U.NRSEQBENEFICIO = :P_NRSEQBENEFICIO AND U.DTUTBENECONS >= :P_HOJE AND U.DTUTBENECONS < :P_AMANHA "
    "AND G.DTINIVALBENECONS < :P_HOJE"};

Params consumer(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}};
}

Params today()
{
    const QDateTime start = dayStart(Clock::now().date());
    return {{"P_HOJE", start}, {"P_AMANHA", start.addDays(1)}};
}

// The window [first day, day after last) of whole days.
Params days(const QDate &first, const QDate &last)
{
    return {{"P_INICIO", dayStart(first)}, {"P_FIM", dayStart(last).addDays(1)}};
}

// Sunday 1 .. Saturday 7, the positions of a weekday mask.
int maskPosition(const QDate &day)
{
    return day.dayOfWeek() % 7 + 1;
}

bool appliesToday(const QString &mask)
{
    const QString days = mask.trimmed().isEmpty() ? QStringLiteral("SSSSSSS") : mask;
    const int position = maskPosition(Clock::now().date());
    return days.size() >= position && days.at(position - 1) == QLatin1Char('S');
}

// The verdict of one rule: an empty limit lets any quantity through, a zero one closes the product.
QString verdict(const Variant &limit, double total, const char *closed, const char *exceeded)
{
    if (!isSet(limit))
        return QStringLiteral("QTDE_OK");
    const double allowed = Money::RoundDec(money(limit), 2);
    if (allowed <= 0)
        return QString::fromLatin1(closed);
    return allowed >= Money::RoundDec(total, 2) ? QStringLiteral("QTDE_OK") : QString::fromLatin1(exceeded);
}

// Whether a benefit limit allows one more use: [allowed, refusing limit as text].
std::pair<bool, QString> benefitLimit(ServerCall &call, const Statement &uses, const Params &params, const Variant &max,
                                      QString *failure)
{
    if (!isSet(max))
        return {true, QString()};
    const Variant count = call.value(uses, params, "QTUSOS");
    if (count.isFailure()) {
        *failure = count.failureText();
        return {false, QString()};
    }
    if (count.toInt() >= max.toInt())
        return {false, max.toString()};
    return {true, QString()};
}

} // namespace

namespace Srv_Kal51000 {

Variant getProdVenDiaServ(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &CDPRODUTO, const QString &CDSERVFILI)
{
    return ServerCall().value(adqProdVenDiaServ, consumer(CDCLIENTE, CDCONSUMIDOR) + today()
        + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}, {"P_CDSERVFILI", CDSERVFILI}}, "QTPRODVEND");
}

Variant getGtDiaServ(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                     const QString &CDSERVFILI)
{
    return ServerCall().value(adqGtDiaServ, consumer(CDCLIENTE, CDCONSUMIDOR) + today()
        + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDSERVFILI", CDSERVFILI}}, "VALCONSUM");
}

Variant getProdBasVenDia(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                         const QString &CDPRODUTO)
{
    return ServerCall().value(adqProdBasVenDia, consumer(CDCLIENTE, CDCONSUMIDOR) + today()
        + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}}, "QTPRODVEND");
}

Variant getQtdeProdDia(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                       const QString &CDFAMILISALD, const QString &CDPRODUTO, double quantity, const Variant &items)
{
    ServerCall call;
    const Params key = consumer(CDCLIENTE, CDCONSUMIDOR)
        + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDFAMILISALD", CDFAMILISALD}, {"P_CDPRODUTO", CDPRODUTO}};
    const Variant consumerRules = call.packet(adqProdDiaRal, key);
    if (consumerRules.isFailure())
        return consumerRules;
    const Variant familyRule = call.packet(adqProdDiaFam, key.mid(2));
    if (familyRule.isFailure())
        return familyRule;
    const Variant sold = getProdBasVenDia(CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDPRODUTO);
    if (sold.isFailure())
        return sold;
    double inSale = 0;
    const DataPacket &lines = items.packet();
    for (int row = 0; row < lines.rows.size(); ++row) {
        if (lines.value(row, "CDPRODUTO").toString() == CDPRODUTO)
            inSale += money(lines.value(row, "QTPRODCOMVEN"));
    }
    const double total = money(sold) + quantity + inSale;
    const DataPacket &rules = consumerRules.packet();
    for (int row = 0; row < rules.rows.size(); ++row) {
        if (appliesToday(rules.value(row, "IDBLOQDIARAL").toString()))
            return Variant(verdict(rules.value(row, "QTCONSDIARAL"), total, "PROD_NOT_CONS", "QTDE_NOT_CONS"));
    }
    if (familyRule.packet().isEmpty())
        return Variant(QStringLiteral("QTDE_OK"));
    return Variant(verdict(familyRule.packet().value(0, "QTCONSDIAFAM"), total, "PROD_NOT_FAM", "QTDE_NOT_FAM"));
}

Variant GetTipoConsFili(const QString &CDFILIAL, const QString &CDTIPOCONS)
{
    return ServerCall().packet(adqTipoConsFili, {{"P_CDFILIAL", CDFILIAL}, {"P_CDTIPOCONS", CDTIPOCONS}});
}

QString GetNmTipoCons(const QString &CDTIPOCONS)
{
    return ServerCall(ServerCall::Session::Probe)
        .fieldText(adqNmTipoCons, {{"P_CDTIPOCONS", CDTIPOCONS}}, "NMTIPOCONS", TextOnFailure::answer(QString()));
}

Variant GetTipoConsFiliClubPetro(const QString &NMGRUPOSEGPETRO)
{
    return ServerCall().packet(adqTipoConsFiliClubPetro, {{"P_NMGRUPOSEGPETRO", NMGRUPOSEGPETRO}});
}

Variant getTipoConsLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                        const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqTipoConsLoja, consumer(CDCLIENTE, CDCONSUMIDOR)
                                                    + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}});
}

Variant getLimiteCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqLimiteCons, consumer(CDCLIENTE, CDCONSUMIDOR));
}

Variant getGastConsLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                        const QString &CDCONSUMIDOR, const QString &kind, const QString &period)
{
    const QDate day = Clock::now().date();
    const QDate first = period == QLatin1String("D") ? day : QDate(day.year(), day.month(), 1);
    const Statement &statement = kind == QLatin1String("1") ? adqGtTotConsLoja : adqGtTotCredLoja;
    return ServerCall().value(statement, consumer(CDCLIENTE, CDCONSUMIDOR) + days(first, day)
                                             + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}},
                              "VRCONSUMO");
}

Variant getGastoConsMes(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &first,
                        const QDateTime &last)
{
    return ServerCall().value(adqGastoConsMes, consumer(CDCLIENTE, CDCONSUMIDOR) + days(first.date(), last.date()),
                              "VRGASTOCONSMES");
}

Variant getVerifProdConsumi(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqVerifProdConsumi,
                               consumer(CDCLIENTE, CDCONSUMIDOR) + today() + Params{{"P_CDPRODUTO", CDPRODUTO}});
}

Variant getCdFamiliSald(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    const Variant family = ServerCall().value(adqCdFamiliSald, {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}},
                                              "CDFAMILISALD");
    if (family.isFailure())
        return family;
    return Variant(family.isBlank() ? QString() : family.toString().trimmed());
}

Variant GetCargaCredito(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD,
                        const QDateTime &first, const QDateTime &last, int &count)
{
    count = 0;
    const Variant loads = ServerCall().packet(adqCargaCredito, consumer(CDCLIENTE, CDCONSUMIDOR)
                                                                   + days(first.date(), last.date())
                                                                   + Params{{"P_CDFAMILISALD", CDFAMILISALD}});
    if (loads.isFailure())
        return loads;
    count = int(loads.packet().value(0, "QTCARGAS").toInt());
    const Variant lastLoad = loads.packet().value(0, "DTMOVEXTCONS");
    if (count == 0 || lastLoad.isBlank())
        return Variant(QString());
    return Variant(lastLoad.toString());
}

Variant getValLimiteBene(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                         const QString &NRSEQBENEFICIO)
{
    ServerCall call;
    const Variant benefit = call.packet(adqBeneficioLimite, {{"P_NRSEQBENEFICIO", NRSEQBENEFICIO}});
    if (benefit.isFailure())
        return benefit;
    const Params params = consumer(CDCLIENTE, CDCONSUMIDOR) + today()
        + Params{{"P_CDCAMPANHA", CDCAMPANHA}, {"P_NRSEQBENEFICIO", NRSEQBENEFICIO}};
    QString failure;
    const auto first = benefitLimit(call, adqUsosBeneficioDia, params, benefit.packet().value(0, "QTDMAXDIACOMPRA"), &failure);
    const auto later = benefitLimit(call, adqUsosBeneficioSubseq, params, benefit.packet().value(0, "QTDMAXDIASUBSEQ"), &failure);
    if (!failure.isEmpty())
        return Variant::failure(failure);
    return Variant(QList<Variant>{first.first, later.first, first.second, later.second});
}

} // namespace Srv_Kal51000
