#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "resultvalues.h"
#include "servercall.h"
#include "statement.h"
#include "trdmvendacons.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clock.h>
#include <runtime/money.h>

namespace {

using namespace ConsumerAccounts;

const Statement adqSaldoConsDeb{"adqSaldoConsDeb",
    "SELECT VRSALDOCONS, VRSALDPECONS FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "ORDER BY DTMOVCLI DESC NULLS LAST, NRSEQMOVCLI DESC LIMIT 1"};
const Statement adqSaldoCred{"adqSaldoCred",
    "SELECT S.CDCLIENTE, S.CDCONSUMIDOR, S.CDFAMILISALD, S.VRSALDCONFAM FROM SALDOCONS S "
    "JOIN FAMILIASALDO F ON F.CDFAMILISALD = S.CDFAMILISALD "
    "WHERE S.CDCLIENTE = :P_CDCLIENTE AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR AND S.CDFAMILISALD = :P_CDFAMILISALD"};
const Statement adqConsSaldFam{"adqConsSaldFam",
    "SELECT FF.CDFAMILISALD, F.NMFAMILISALD, COALESCE(S.VRSALDCONFAM, 0) AS VRSALDCONFAM FROM FAMSALDOFILI FF "
    "JOIN FAMILIASALDO F ON F.CDFAMILISALD = FF.CDFAMILISALD "
    "LEFT JOIN SALDOCONS S ON S.CDFAMILISALD = FF.CDFAMILISALD AND S.CDCLIENTE = :P_CDCLIENTE "
    "AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR WHERE FF.CDFILIAL = :P_CDFILIAL ORDER BY FF.CDFAMILISALD"};
const Statement adqMinDtMovExtCons{"adqMinDtMovExtCons",
    "SELECT MIN(DTMOVEXTCONS) AS DTMOVEXTCONS FROM EXTRATOCONS "
    "WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqSaldoConsBonus{"adqSaldoConsBonus",
    "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND CDFAMILISALD = :P_CDFAMILISALD"};
#define ITEM_VALUE "COALESCE(I.QTPRODVEND, 0) * COALESCE(I.VRUNITVEND, 0) + COALESCE(I.VRACRITVEND, 0) - COALESCE(I.VRDESITVEND, 0)"
const Statement adqVrSaldConsumi{"adqVrSaldConsumi",
    "SELECT C.VRLIMDEBCONS, C.VRMAXDEBCONS, "
    "(SELECT COALESCE(SUM(" ITEM_VALUE "), 0) FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL "
    "AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA WHERE V.CDFILIAL = :P_CDFILIAL "
    "AND V.CDCLIENTE = C.CDCLIENTE AND V.CDCONSUMIDOR = C.CDCONSUMIDOR AND V.IDSITUVENDA = 'O' "
    "AND V.DTENTRVENDA >= :P_DIA AND V.DTENTRVENDA < :P_DIASEGUINTE) AS VALCONSUMDIA, "
    "(SELECT COALESCE(SUM(" ITEM_VALUE "), 0) FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL "
    "AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA WHERE V.CDFILIAL = :P_CDFILIAL "
    "AND V.CDCLIENTE = C.CDCLIENTE AND V.CDCONSUMIDOR = C.CDCONSUMIDOR AND V.IDSITUVENDA = 'O' "
    "AND V.DTENTRVENDA >= :P_INICIOMES AND V.DTENTRVENDA < :P_DIASEGUINTE) AS VALCONSUMMES "
    "FROM CONSUMIDOR C WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND C.CDIDCONSUMID = :P_CDIDCONSUMID AND C.IDSITCONSUMI = '1'"};
const Statement adqSaldoExcedente{"adqSaldoExcedente",
    "SELECT C.NMCONSUMIDOR, COALESCE((SELECT SUM(M.VRMOVCLI) FROM MOVICLIE M WHERE M.CDCLIENTE = C.CDCLIENTE "
    "AND M.CDCONSUMIDOR = C.CDCONSUMIDOR AND M.IDTIPMOCVLI = 'D' AND M.NRSEQVENDA IS NOT NULL "
    "AND M.DTMOVIMCLIE > :P_DATA), 0) - COALESCE(C.VRMESUBCONS, 0) AS TOTAL FROM CONSUMIDOR C "
    "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqVrSubsBasicoCons{"adqVrSubsBasicoCons",
    "SELECT COALESCE(SUM(S.VRMOVCLI), 0) AS VRSUBSBASICODIA FROM MOVICLIE S WHERE S.IDTIPMOCVLI = 'D' "
    "AND COALESCE(S.CDCONSUMIDOR, '') = '' AND S.DTMOVIMCLIE >= :P_HOJE AND S.DTMOVIMCLIE < :P_AMANHA "
    "AND EXISTS (SELECT 1 FROM MOVICLIE M WHERE M.CDFILIAL = S.CDFILIAL AND M.CDCAIXA = S.CDCAIXA "
    "AND M.NRSEQVENDA = S.NRSEQVENDA AND M.CDCLIENTE = :P_CDCLIENTE AND M.CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND M.IDTIPMOCVLI = 'D' AND M.DTMOVIMCLIE >= :P_HOJE AND M.DTMOVIMCLIE < :P_AMANHA)"};
const Statement adqVrSubsBasico{"adqVrSubsBasico",
    "SELECT VRSUBSBASICO FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqGtTotConsSaldExtra{"adqGtTotConsSaldExtra",
    "SELECT COALESCE((SELECT SUM(M.VRMOVCLI) FROM MOVICLIE M WHERE M.CDCLIENTE = C.CDCLIENTE "
    "AND M.CDCONSUMIDOR = C.CDCONSUMIDOR AND M.IDTIPMOCVLI = 'D' AND M.DTMOVIMCLIE > :P_DATA), 0) AS TOTAL "
    "FROM CONSUMIDOR C WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqOrdFam{"adqOrdFam",
    "SELECT CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM, VRCONSDIAFAM FROM FAMSALDOFILI "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDFAMILISALD = :P_CDFAMILISALD"};
const Statement adqSupOrdemFamilia{"adqSupOrdemFamilia",
    "SELECT :P_CDCLIENTE AS CDCLIENTE, :P_CDCONSUMIDOR AS CDCONSUMIDOR, FF.CDFAMILISALD, FF.NRORDAPRSALD, "
    "F.NMFAMILISALD, S.VRSALDCONFAM, FF.IDSALDNEGFAM FROM FAMSALDOFILI FF "
    "JOIN FAMILIASALDO F ON F.CDFAMILISALD = FF.CDFAMILISALD "
    "LEFT JOIN SALDOCONS S ON S.CDFAMILISALD = FF.CDFAMILISALD AND S.CDCLIENTE = :P_CDCLIENTE "
    "AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR WHERE FF.CDFILIAL = :P_CDFILIAL AND FF.NRORDAPRSALD <= "
    "(SELECT O.NRORDAPRSALD FROM FAMSALDOFILI O WHERE O.CDFILIAL = :P_CDFILIAL AND O.CDFAMILISALD = :P_CDFAMILISALD) "
    "ORDER BY FF.NRORDAPRSALD NULLS FIRST, FF.CDFAMILISALD",
    {.sqlite = {},
     .postgresql = "SELECT CAST(:P_CDCLIENTE AS VARCHAR(20)) AS CDCLIENTE, CAST(:P_CDCONSUMIDOR AS VARCHAR(20)) "
                   "AS CDCONSUMIDOR, FF.CDFAMILISALD, FF.NRORDAPRSALD, "
                   "F.NMFAMILISALD, S.VRSALDCONFAM, FF.IDSALDNEGFAM FROM FAMSALDOFILI FF "
                   "JOIN FAMILIASALDO F ON F.CDFAMILISALD = FF.CDFAMILISALD "
                   "LEFT JOIN SALDOCONS S ON S.CDFAMILISALD = FF.CDFAMILISALD AND S.CDCLIENTE = :P_CDCLIENTE "
                   "AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR WHERE FF.CDFILIAL = :P_CDFILIAL AND FF.NRORDAPRSALD <= "
                   "(SELECT O.NRORDAPRSALD FROM FAMSALDOFILI O WHERE O.CDFILIAL = :P_CDFILIAL "
                   "AND O.CDFAMILISALD = :P_CDFAMILISALD) ORDER BY FF.NRORDAPRSALD NULLS FIRST, FF.CDFAMILISALD"}};
const Statement adqConsumoFamilia{"adqConsumoFamilia",
    "SELECT COALESCE((SELECT SUM(VRMOVEXTCONS) FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND CDFAMILISALD = :P_CDFAMILISALD AND CDFILIAL = :P_CDFILIAL "
    "AND IDTPMOVEXT = 'V' AND DTMOVEXTCONS >= :P_HOJE AND DTMOVEXTCONS < :P_AMANHA), 0) - "
    "COALESCE((SELECT SUM(VRMOVEXTCONS) FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND CDFAMILISALD = :P_CDFAMILISALD AND CDFILIAL = :P_CDFILIAL "
    "AND IDTPMOVEXT = 'C' AND COALESCE(NRSEQVENDA, '') <> '' AND DTMOVEXTCONS >= :P_HOJE "
    "AND DTMOVEXTCONS < :P_AMANHA), 0) AS VRDIARIOFAM"};
const Statement adqFamiliasFilial{"adqFamiliasFilial",
    "SELECT CDFAMILISALD FROM FAMSALDOFILI WHERE CDFILIAL = :P_CDFILIAL ORDER BY CDFAMILISALD"};
const Statement adqMoviClieEvolucao{"adqMoviClieEvolucao",
    "SELECT NRSEQMOVCLI, VRMOVCLI, IDTIPMOCVLI, VRSALDOCONS FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND DTMOVCLI >= :P_DATA ORDER BY DTMOVCLI NULLS FIRST, NRSEQMOVCLI"};
const Statement adqMoviClieAbertura{"adqMoviClieAbertura",
    "SELECT VRSALDOCONS FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND DTMOVCLI < :P_DATA ORDER BY DTMOVCLI DESC NULLS LAST, NRSEQMOVCLI DESC LIMIT 1"};
const Statement acmUpdSaldoMoviClie{"acmUpdSaldoMoviClie",
    "UPDATE MOVICLIE SET VRSALDOCONS = :VRSALDOCONS, CDOPERADOR = :CDOPERADOR WHERE CDCLIENTE = :CDCLIENTE "
    "AND CDCONSUMIDOR = :CDCONSUMIDOR AND NRSEQMOVCLI = :NRSEQMOVCLI"};

Params consumer(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}};
}

Params today()
{
    const QDateTime start = dayStart(Clock::now().date());
    return {{"P_HOJE", start}, {"P_AMANHA", start.addDays(1)}};
}

// Each debit movement carries the consumer's balance after it: a sale's debit ("D") lowers it,
// any other movement gives its amount back.
bool rollForwardDebit(Session &session, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                      const QString &CDOPERADOR, const QDateTime &start)
{
    const Params key = consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_DATA", start}};
    DataPacket opening, moves;
    if (!session.packet(adqMoviClieAbertura, key, opening) || !session.packet(adqMoviClieEvolucao, key, moves))
        return false;
    double balance = opening.isEmpty() ? 0.0 : money(opening.value(0, "VRSALDOCONS"));
    for (int row = 0; row < moves.rows.size(); ++row) {
        const double amount = money(moves.value(row, "VRMOVCLI"));
        const QString kind = moves.value(row, "IDTIPMOCVLI").toString();
        // A movement of a cancelled sale ("X") no longer counts.
        const double change = kind == QLatin1String("D") ? -amount : kind == QLatin1String("X") ? 0.0 : amount;
        balance = Money::RoundDec(balance + change, 2);
        if (Money::RoundDec(money(moves.value(row, "VRSALDOCONS")), 2) == balance
            && isSet(moves.value(row, "VRSALDOCONS")))
            continue;
        if (!session.run(acmUpdSaldoMoviClie, {{"VRSALDOCONS", balance}, {"CDOPERADOR", CDOPERADOR},
                                               {"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR},
                                               {"NRSEQMOVCLI", moves.value(row, "NRSEQMOVCLI")}}))
            return false;
    }
    return true;
}

// Runs `work` on the data module's session inside the open transaction, or in one of its own.
template<typename Work>
Variant inTransaction(Work work)
{
    ServerCall call;
    TransactionScope transaction(call);
    if (!call.module().InTransaction())
        return Variant::failure(call.module().lastErrorText());
    Session session(call.session());
    if (!work(session))
        return session.failure(); // the scope rolls back
    return transaction.commit();
}

} // namespace

namespace Srv_Kal51000 {

Variant getSaldoCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqSaldoConsDeb, consumer(CDCLIENTE, CDCONSUMIDOR));
}

Variant getSaldoCred(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD)
{
    return ServerCall().packet(adqSaldoCred, consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_CDFAMILISALD", CDFAMILISALD}});
}

Variant getConsSaldFam(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqConsSaldFam, consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_CDFILIAL", CDFILIAL}});
}

Variant getMinDtMovExtCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqMinDtMovExtCons, consumer(CDCLIENTE, CDCONSUMIDOR));
}

Variant getGastCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &kind)
{
    const Statement &statement = kind == QLatin1String("1") ? adqGastConsDeb : adqGastConsCred;
    return ServerCall().value(statement, consumer(CDCLIENTE, CDCONSUMIDOR) + today(), "VALCONSUM");
}

Variant GetSaldoConsBonus(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD)
{
    const Variant balance = ServerCall().value(adqSaldoConsBonus, consumer(CDCLIENTE, CDCONSUMIDOR)
                                                   + Params{{"P_CDFAMILISALD", CDFAMILISALD}}, "VRSALDCONFAM");
    if (balance.isFailure())
        return balance;
    return Variant(isSet(balance) ? balance.toString() : QStringLiteral("0"));
}

Variant getVrSaldConsumi(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDIDCONSUMID,
                         const QString &CDCONSUMIDOR, const QDateTime &monthStart, const QDateTime &saleDate)
{
    const QDateTime day = dayStart(saleDate.date());
    return ServerCall().packet(adqVrSaldConsumi, consumer(CDCLIENTE, CDCONSUMIDOR)
        + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDIDCONSUMID", CDIDCONSUMID}, {"P_DIA", day},
                 {"P_DIASEGUINTE", day.addDays(1)}, {"P_INICIOMES", dayStart(monthStart.date())}});
}

Variant getSaldoExcedente(const QString &, const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &date)
{
    return ServerCall().value(adqSaldoExcedente, consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_DATA", date}}, "TOTAL");
}

Variant getVrSubsBasicoCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().value(adqVrSubsBasicoCons, consumer(CDCLIENTE, CDCONSUMIDOR) + today(), "VRSUBSBASICODIA");
}

Variant getVrSubsBasico(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().value(adqVrSubsBasico, consumer(CDCLIENTE, CDCONSUMIDOR), "VRSUBSBASICO");
}

Variant getGtTotConsSaldExtra(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &date)
{
    const Variant total =
        ServerCall().value(adqGtTotConsSaldExtra, consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_DATA", date}}, "TOTAL");
    return total.isEmpty() ? Variant(0.0) : total;
}

Variant getOrdemFamilia(const QString &CDFILIAL, const QString &CDFAMILISALD, const QString &CDCLIENTE,
                        const QString &CDCONSUMIDOR, const QString &IDEXTCONSCENTRAL)
{
    ServerCall call;
    const Params family = consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_CDFILIAL", CDFILIAL}, {"P_CDFAMILISALD", CDFAMILISALD}};
    const Variant rule = call.packet(adqOrdFam, {{"P_CDFILIAL", CDFILIAL}, {"P_CDFAMILISALD", CDFAMILISALD}});
    if (rule.isFailure())
        return rule;
    Variant answer = Variant::array(3);
    answer.setAt(0, rule);
    if (IDEXTCONSCENTRAL == QLatin1String("S")) {
        for (const auto &[index, operation] : {std::pair{1, "CONSULTA_ORDEM_FAMILIA"}, std::pair{2, "CONSUMO_FAM"}}) {
            const StatementAnswer central = hostServices().ExtratoConsCentral(
                {CDFILIAL, {}, {}, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, {}, QString::fromLatin1(operation)});
            if (!central.answered)
                return Variant::failure(QStringLiteral("EXTCONSCENTRAL_ERRO"));
            answer.setAt(index, central.value);
        }
        return answer;
    }
    const Variant candidates = call.packet(adqSupOrdemFamilia, family);
    if (candidates.isFailure())
        return candidates;
    const Variant daily = call.packet(adqConsumoFamilia, family + today());
    if (daily.isFailure())
        return daily;
    answer.setAt(1, candidates);
    answer.setAt(2, daily);
    return answer;
}

Variant setAtualizaDebCons(const QString &, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                           const QString &CDOPERADOR, const QDateTime &start)
{
    return inTransaction([&](Session &session) {
        return rollForwardDebit(session, CDCLIENTE, CDCONSUMIDOR, CDOPERADOR, start);
    });
}

Variant EvoluiSaldo(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFILIAL, const QDateTime &start)
{
    return inTransaction([&](Session &session) {
        DataPacket families;
        if (!session.packet(adqFamiliasFilial, {{"P_CDFILIAL", CDFILIAL}}, families))
            return false;
        for (int row = 0; row < families.rows.size(); ++row) {
            if (!rollForwardFamily(session, CDCLIENTE, CDCONSUMIDOR, families.value(row, "CDFAMILISALD").toString(), start))
                return false;
        }
        return true;
    });
}

} // namespace Srv_Kal51000
