#include "srv_loyalty.h"

#include "servercall.h"
#include "srv_orders.h"

#include <outside/consiste.h>

#include <runtime/clock.h>

namespace {

// A use is a reservation while its sale is still open.
const QString openSale = QStringLiteral("9999999");

const Statement adqProdPromoFidelidade{"adqProdPromoFidelidade",
    "SELECT P.CDPRODUTO, P.NRSEQPRODCAMP FROM PRODCAMPANHA P "
    "JOIN CAMPANHA C ON C.CDCAMPANHA = P.CDCAMPANHA JOIN FILICAMPANHA F ON F.CDCAMPANHA = C.CDCAMPANHA "
    "WHERE F.CDFILIAL = :P_CDFILIAL AND P.CDPRODUTO = :P_CDPRODUTO AND C.IDCAMPANHA = 'C' "
    "ORDER BY P.CDCAMPANHA, P.NRSEQPRODCAMP"};
const Statement adqMovFidelidade{"adqMovFidelidade",
    "SELECT B.CDCAMPANHA, B.NRSEQPRODCAMP, B.NRSEQBENEFICIO, B.IDTPBENEFICIO, C.DTINIVIGCAMP, C.DTFIMVIGCAMP, "
    "B.QTBENEFICIOCAMP, B.NRDIASVALBENECAMP, B.VRBENEFICIO, B.IDTPATIVABENEFICIO FROM BENEFICIOCAMP B "
    "JOIN PRODCAMPANHA P ON P.CDCAMPANHA = B.CDCAMPANHA AND P.NRSEQPRODCAMP = B.NRSEQPRODCAMP "
    "JOIN CAMPANHA C ON C.CDCAMPANHA = B.CDCAMPANHA JOIN FILICAMPANHA F ON F.CDCAMPANHA = C.CDCAMPANHA "
    "WHERE F.CDFILIAL = :P_CDFILIAL AND B.NRSEQPRODCAMP = :P_NRSEQPRODCAMP AND P.CDPRODUTO = :P_CDPRODUTO "
    "AND C.IDCAMPANHA = 'C' ORDER BY B.CDCAMPANHA, B.NRSEQBENEFICIO"};
const Statement acmInsMovBeneficioCtr{"acmInsMovBeneficioCtr",
    "INSERT INTO MOVBENEFICIOCTR (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, "
    "IDTPDESBENECONS, QTDEBENEFICIO, VRDESBENECONS, DTINIVALBENECONS, DTFIMVALBENECONS, IDIMPTMOVCTR) "
    "VALUES (:CDCLIENTE, :CDCONSUMIDOR, :CDCAMPANHA, :NRSEQPRODCAMP, :NRSEQBENEFICIO, :IDTPDESBENECONS, "
    ":QTDEBENEFICIO, :VRDESBENECONS, :DTINIVALBENECONS, :DTFIMVALBENECONS, 'I')"};
const Statement adqCadBeneficio{"adqCadBeneficio",
    "SELECT 1 AS EXISTE FROM MOVBENEFICIOCTR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqMovBeneFidelidade{"adqMovBeneFidelidade",
    "SELECT M.QTDEBENEFICIO FROM MOVBENEFICIOCTR M JOIN PRODBENECAMP P ON P.CDCAMPANHA = M.CDCAMPANHA "
    "AND P.NRSEQPRODCAMP = M.NRSEQPRODCAMP AND P.NRSEQBENECAMP = M.NRSEQBENEFICIO "
    "WHERE M.CDCLIENTE = :P_CDCLIENTE AND M.CDCONSUMIDOR = :P_CDCONSUMIDOR AND P.CDPRODUTO = :P_CDPRODUTO "
    "ORDER BY M.QTDEBENEFICIO DESC NULLS LAST"};
const Statement adqValProdBeneficio{"adqValProdBeneficio",
    "SELECT 1 AS EXISTE FROM PRODBENECAMP WHERE CDCAMPANHA = :P_CDCAMPANHA AND NRSEQPRODCAMP = :P_NRSEQPRODCAMP "
    "AND NRSEQBENECAMP = :P_NRSEQBENECAMP AND CDPRODUTO = :P_CDPRODUTO"};
// Valid today: the validity's first day is not after today and its last day not before.
const Statement adqListaBeneficio{"adqListaBeneficio",
    "SELECT M.QTDEBENEFICIO, M.CDCAMPANHA, M.IDTPDESBENECONS, M.VRDESBENECONS, M.NRSEQPRODCAMP, "
    "M.NRSEQBENEFICIO, C.CDIDCONSUMID FROM MOVBENEFICIOCTR M "
    "JOIN CONSUMIDOR C ON C.CDCLIENTE = M.CDCLIENTE AND C.CDCONSUMIDOR = M.CDCONSUMIDOR "
    "WHERE M.CDCLIENTE = :P_CDCLIENTE AND M.CDCONSUMIDOR = :P_CDCONSUMIDOR AND M.QTDEBENEFICIO >= 1 "
    "AND M.DTINIVALBENECONS < :P_AMANHA AND M.DTFIMVALBENECONS >= :P_HOJE "
    "ORDER BY M.CDCAMPANHA, M.NRSEQPRODCAMP, M.NRSEQBENEFICIO"};

// Takes a use only while one is left: the check and the decrement are one statement, so two
// tills can never both take the last use.
const Statement acmTiraUsoBeneficio{"acmTiraUsoBeneficio",
    "UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO - 1, IDIMPTMOVCTR = 'I' "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR AND CDCAMPANHA = :CDCAMPANHA "
    "AND NRSEQPRODCAMP = :NRSEQPRODCAMP AND NRSEQBENEFICIO = :NRSEQBENEFICIO AND QTDEBENEFICIO >= 1"};
const Statement acmInsMovBeneficioCons{"acmInsMovBeneficioCons",
    "INSERT INTO MOVBENEFICIOCONS (NRSEQBENECONS, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, CDCLIENTE, "
    "CDCONSUMIDOR, DTUTBENECONS, IDIMPTMOV, CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND) VALUES (:NRSEQBENECONS, "
    ":CDCAMPANHA, :NRSEQPRODCAMP, :NRSEQBENEFICIO, :CDCLIENTE, :CDCONSUMIDOR, :DTUTBENECONS, 'I', :CDFILIAL, "
    ":CDCAIXA, :NRSEQVENDA, :NRSEQUITVEND)"};

const Statement acmVendaBeneficio{"acmVendaBeneficio",
    "UPDATE MOVBENEFICIOCONS SET NRSEQVENDA = :NRSEQVENDA "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDAABERTA"};
const Statement adqUsosVenda{"adqUsosVenda",
    "SELECT NRSEQBENECONS, NRSEQUITVEND, NRSEQBENEFICIO, CDCLIENTE, CDCONSUMIDOR FROM MOVBENEFICIOCONS "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA ORDER BY NRSEQBENECONS"};
const Statement adqItemCupom{"adqItemCupom",
    "SELECT NRSEQUITVEND FROM ITEMVENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND NRSEQVENDA = :P_NRSEQVENDA AND NRORDITCUPFIS = :P_NRORDITCUPFIS"};
const Statement acmUsoItemVenda{"acmUsoItemVenda",
    "UPDATE MOVBENEFICIOCONS SET NRSEQUITVEND = :NRSEQUITVEND WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA "
    "AND NRSEQVENDA = :NRSEQVENDA AND NRSEQBENECONS = :NRSEQBENECONS"};
const Statement adqItemCupomCancelado{"adqItemCupomCancelado",
    "SELECT NRSEQITVENDC FROM ITVENDACAN WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND NRSEQVENDA = :P_NRSEQVENDA AND NRORDITCUPFISCA = :P_NRORDITCUPFISCA"};
// The use of a cancelled line still holds the line's receipt order when no sold item took
// it; the cancelled item's own number is matched as well.
const Statement acmApagaUsoCancelado{"acmApagaUsoCancelado",
    "DELETE FROM MOVBENEFICIOCONS WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA "
    "AND NRSEQBENECONS = :NRSEQBENECONS AND (NRSEQUITVEND = :NRSEQUITVEND OR NRSEQUITVEND = :NRSEQUITVENDORIG)"};
const Statement acmDevolveUsoBeneficio{"acmDevolveUsoBeneficio",
    "UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO + 1 "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR AND NRSEQBENEFICIO = :NRSEQBENEFICIO"};

const Statement adqReservaItem{"adqReservaItem",
    "SELECT NRSEQBENECONS, CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO FROM MOVBENEFICIOCONS "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA "
    "AND NRSEQUITVEND = :P_NRSEQUITVEND ORDER BY NRSEQBENECONS"};
const Statement acmApagaReservaItem{"acmApagaReservaItem",
    "DELETE FROM MOVBENEFICIOCONS WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA "
    "AND NRSEQBENECONS = :NRSEQBENECONS"};
const Statement acmDevolveReservaItem{"acmDevolveReservaItem",
    "UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO + 1, IDIMPTMOVCTR = 'I' "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR AND CDCAMPANHA = :CDCAMPANHA "
    "AND NRSEQPRODCAMP = :NRSEQPRODCAMP AND NRSEQBENEFICIO = :NRSEQBENEFICIO"};

const Statement acmApagaReservas{"acmApagaReservas",
    "DELETE FROM MOVBENEFICIOCONS WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR "
    "AND CDCAMPANHA = :CDCAMPANHA AND NRSEQPRODCAMP = :NRSEQPRODCAMP AND NRSEQBENEFICIO = :NRSEQBENEFICIO "
    "AND NRSEQVENDA = :NRSEQVENDA"};
const Statement acmDevolveReservas{"acmDevolveReservas",
    "UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO + :QTDEBENEFICIO "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR AND CDCAMPANHA = :CDCAMPANHA "
    "AND NRSEQPRODCAMP = :NRSEQPRODCAMP AND NRSEQBENEFICIO = :NRSEQBENEFICIO"};

Params benefitKey(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                  const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO)
{
    return {{"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR}, {"CDCAMPANHA", CDCAMPANHA},
            {"NRSEQPRODCAMP", NRSEQPRODCAMP}, {"NRSEQBENEFICIO", NRSEQBENEFICIO}};
}

struct Use
{
    QString NRSEQBENECONS;
    QString NRSEQUITVEND;
    QString NRSEQBENEFICIO;
    QString CDCLIENTE;
    QString CDCONSUMIDOR;
};

// Binds one use to the sale item of its receipt order; a use of an item cancelled before the
// sale was saved is deleted and given back (only when it was indeed deleted, so a use is
// never both kept and returned).
Variant bindUse(ServerCall &call, const Params &sale, const Use &use)
{
    const QString order = Consiste::Ajusta(use.NRSEQUITVEND, 5);
    Params lookup;
    for (const Param &p : sale)
        lookup.append({QStringLiteral("P_") + p.name, p.value});
    QString itemNumber = use.NRSEQUITVEND;
    const Variant item = call.value(adqItemCupom, lookup + Params{{"P_NRORDITCUPFIS", order}}, "NRSEQUITVEND");
    if (item.isFailure())
        return item;
    if (!item.isBlank()) {
        itemNumber = item.toString();
        const Variant bound = call.write(acmUsoItemVenda, sale + Params{{"NRSEQUITVEND", itemNumber},
                                                                         {"NRSEQBENECONS", use.NRSEQBENECONS}});
        if (bound.isFailure())
            return bound;
    }
    const Variant cancelled = call.value(adqItemCupomCancelado, lookup + Params{{"P_NRORDITCUPFISCA", order}},
                                         "NRSEQITVENDC");
    if (cancelled.isFailure() || cancelled.isBlank())
        return cancelled.isFailure() ? cancelled : Variant();
    const Variant deleted = call.write(acmApagaUsoCancelado, sale + Params{{"NRSEQBENECONS", use.NRSEQBENECONS},
                                                                            {"NRSEQUITVEND", cancelled.toString()},
                                                                            {"NRSEQUITVENDORIG", itemNumber}});
    if (deleted.isFailure() || call.rowsAffected() <= 0)
        return deleted;
    return call.write(acmDevolveUsoBeneficio, {{"CDCLIENTE", use.CDCLIENTE}, {"CDCONSUMIDOR", use.CDCONSUMIDOR},
                                               {"NRSEQBENEFICIO", use.NRSEQBENEFICIO}});
}

QList<Use> usesOf(const DataPacket &packet)
{
    QList<Use> uses;
    for (int row = 0; row < packet.rows.size(); ++row) {
        uses.append({packet.value(row, "NRSEQBENECONS").toString(), packet.value(row, "NRSEQUITVEND").toString(),
                     packet.value(row, "NRSEQBENEFICIO").toString(), packet.value(row, "CDCLIENTE").toString(),
                     packet.value(row, "CDCONSUMIDOR").toString()});
    }
    return uses;
}

} // namespace

namespace Srv_Kal51000 {

Variant getProdPromoFidelidade(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqProdPromoFidelidade, {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}});
}

Variant getCamposPromoFidelidade(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    return getProdPromoFidelidade(CDFILIAL, CDPRODUTO);
}

Variant getMovFidelidade(const QString &CDFILIAL, const QString &NRSEQPRODCAMP, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqMovFidelidade, {{"P_CDFILIAL", CDFILIAL}, {"P_NRSEQPRODCAMP", NRSEQPRODCAMP},
                                                  {"P_CDPRODUTO", CDPRODUTO}});
}

Variant setMovFidelidade(const QString &, const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                         const QString &NRSEQBENEFICIO, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                         const QString &IDTPDESBENECONS, const QDateTime &DTINIVALBENECONS,
                         const QDateTime &DTFIMVALBENECONS, double VRDESBENECONS, int QTDEBENEFICIO)
{
    return ServerCall().write(acmInsMovBeneficioCtr,
                              benefitKey(CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO) + Params{
                                  {"IDTPDESBENECONS", IDTPDESBENECONS}, {"QTDEBENEFICIO", QTDEBENEFICIO},
                                  {"VRDESBENECONS", VRDESBENECONS}, {"DTINIVALBENECONS", DTINIVALBENECONS},
                                  {"DTFIMVALBENECONS", DTFIMVALBENECONS}});
}

bool getCadBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().exists(adqCadBeneficio, {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}},
                               {.found = false, .missing = true, .failed = false});
}

bool getMovBeneFidelidade(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDPRODUTO)
{
    const Variant uses = ServerCall().value(adqMovBeneFidelidade, {{"P_CDCLIENTE", CDCLIENTE},
        {"P_CDCONSUMIDOR", CDCONSUMIDOR}, {"P_CDPRODUTO", CDPRODUTO}}, "QTDEBENEFICIO");
    return !uses.isFailure() && uses.toDouble() > 0;
}

bool getValProdBeneficio(const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP, const QString &NRSEQBENECAMP,
                         const QString &CDPRODUTO)
{
    return ServerCall().exists(adqValProdBeneficio, {{"P_CDCAMPANHA", CDCAMPANHA}, {"P_NRSEQPRODCAMP", NRSEQPRODCAMP},
                                                     {"P_NRSEQBENECAMP", NRSEQBENECAMP}, {"P_CDPRODUTO", CDPRODUTO}});
}

Variant getListaBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    const QDateTime today(Clock::now().date(), QTime(0, 0));
    return ServerCall().packet(adqListaBeneficio, {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR},
                                                   {"P_HOJE", today}, {"P_AMANHA", today.addDays(1)}});
}

Variant PrxFidelidade(const QString &CDFILIAL, int count)
{
    return PrxPedidoQub(CDFILIAL, count);
}

Variant setMovBeneficio(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCAMPANHA,
                        const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO, const QString &CDCLIENTE,
                        const QString &CDCONSUMIDOR, const QString &, const QString &, const QString &,
                        const QString &, const QString &NRSEQUITVEND)
{
    // The number is drawn (and checked) before anything is written.
    const Variant number = PrxPedidoQub(CDFILIAL, 1);
    if (number.isFailure())
        return number;
    const Params key = benefitKey(CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO);
    ServerCall call;
    TransactionScope transaction(call);
    if (Variant r = call.write(acmTiraUsoBeneficio, key); r.isFailure())
        return r;
    if (call.rowsAffected() != 1)
        return Variant::failure(QStringLiteral("Benefício sem uso disponível: %1/%2/%3")
                                    .arg(CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO));
    if (Variant r = call.write(acmInsMovBeneficioCons, key + Params{{"NRSEQBENECONS", number},
            {"DTUTBENECONS", Clock::now()}, {"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA},
            {"NRSEQVENDA", openSale}, {"NRSEQUITVEND", NRSEQUITVEND}}); r.isFailure())
        return r;
    return transaction.commit();
}

Variant setVendaBeneficioBalcao(const QString &NRSEQVENDA, const QString &CDFILIAL, const QString &CDCAIXA)
{
    const Params sale{{"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}, {"NRSEQVENDA", NRSEQVENDA}};
    ServerCall call;
    // One transaction for both steps, so a failure never leaves uses half bound.
    TransactionScope transaction(call);
    if (Variant r = call.write(acmVendaBeneficio, sale + Params{{"NRSEQVENDAABERTA", openSale}}); r.isFailure())
        return r;
    const Variant uses = call.packet(adqUsosVenda, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
                                                    {"P_NRSEQVENDA", NRSEQVENDA}});
    if (uses.isFailure())
        return uses;
    for (const Use &use : usesOf(uses.packet())) {
        if (Variant r = bindUse(call, sale, use); r.isFailure())
            return r;
    }
    return transaction.commit();
}

Variant setDevolveBeneficioItem(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQUITVEND)
{
    ServerCall call;
    TransactionScope transaction(call);
    const Variant uses = call.packet(adqReservaItem, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
        {"P_NRSEQVENDA", openSale}, {"P_NRSEQUITVEND", NRSEQUITVEND}});
    if (uses.isFailure())
        return uses;
    const DataPacket &rows = uses.packet();
    auto field = [&rows](int row, const char *name) { return rows.value(row, QString::fromLatin1(name)).toString(); };
    // Only the latest reservation of the line goes back: the one taken for the item that
    // did not register.
    if (rows.rows.isEmpty())
        return transaction.commit();
    const int last = int(rows.rows.size()) - 1;
    const Params sale{{"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}, {"NRSEQVENDA", openSale}};
    if (Variant r = call.write(acmApagaReservaItem, sale + Params{{"NRSEQBENECONS", field(last, "NRSEQBENECONS")}});
        r.isFailure())
        return r;
    if (call.rowsAffected() == 1) {
        const Params key = benefitKey(field(last, "CDCLIENTE"), field(last, "CDCONSUMIDOR"), field(last, "CDCAMPANHA"),
                                      field(last, "NRSEQPRODCAMP"), field(last, "NRSEQBENEFICIO"));
        if (Variant r = call.write(acmDevolveReservaItem, key); r.isFailure())
            return r;
    }
    return transaction.commit();
}

Variant setApagaBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                          const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO)
{
    const Params key = benefitKey(CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO);
    ServerCall call;
    TransactionScope transaction(call);
    // Only the named benefit's reservations go, and exactly as many uses come back.
    if (Variant r = call.write(acmApagaReservas, key + Params{{"NRSEQVENDA", openSale}}); r.isFailure())
        return r;
    const int returned = qMax(0, call.rowsAffected());
    if (returned > 0) {
        if (Variant r = call.write(acmDevolveReservas, key + Params{{"QTDEBENEFICIO", returned}}); r.isFailure())
            return r;
    }
    return transaction.commit();
}

} // namespace Srv_Kal51000
