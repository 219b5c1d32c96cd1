#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"

#include <runtime/clock.h>

namespace {

using namespace ConsumerAccounts;

// Whole blocks of points earn the discount; points without a validity date do not expire. A
// campaign with no points per block earns no discount (rather than a division by zero).
const Statement adqDescVendaFid{"adqDescVendaFid",
    "SELECT P.CDCAMPANHA, A.VRPONTOGERADESC, A.VRDESCVENDA, C.NMCONSUMIDOR, SUM(P.VRSALDOCONS) AS VRSALDOCONS, "
    "COALESCE(CAST(SUM(P.VRSALDOCONS) / NULLIF(A.VRPONTOGERADESC, 0) AS INTEGER) * A.VRDESCVENDA, 0) AS VRDESCONTO "
    "FROM MOVPONTOCONS P JOIN CAMPANHA A ON A.CDCAMPANHA = P.CDCAMPANHA "
    "JOIN CONSUMIDOR C ON C.CDCLIENTE = P.CDCLIENTE AND C.CDCONSUMIDOR = P.CDCONSUMIDOR "
    "WHERE P.CDCLIENTE = :P_CDCLIENTE AND P.CDCONSUMIDOR = :P_CDCONSUMIDOR AND A.IDCAMPANHA = 'E' "
    "AND (P.DTVALIDAPONTO >= :P_HOJE OR P.DTVALIDAPONTO IS NULL) "
    "GROUP BY P.CDCAMPANHA, A.VRPONTOGERADESC, A.VRDESCVENDA, C.NMCONSUMIDOR",
    {.sqlite = {},
     .postgresql = "SELECT P.CDCAMPANHA, A.VRPONTOGERADESC, A.VRDESCVENDA, C.NMCONSUMIDOR, "
                   "SUM(P.VRSALDOCONS) AS VRSALDOCONS, "
                   "COALESCE(TRUNC(SUM(P.VRSALDOCONS) / NULLIF(A.VRPONTOGERADESC, 0)) * A.VRDESCVENDA, 0) AS VRDESCONTO "
                   "FROM MOVPONTOCONS P JOIN CAMPANHA A ON A.CDCAMPANHA = P.CDCAMPANHA "
                   "JOIN CONSUMIDOR C ON C.CDCLIENTE = P.CDCLIENTE AND C.CDCONSUMIDOR = P.CDCONSUMIDOR "
                   "WHERE P.CDCLIENTE = :P_CDCLIENTE AND P.CDCONSUMIDOR = :P_CDCONSUMIDOR AND A.IDCAMPANHA = 'E' "
                   "AND (P.DTVALIDAPONTO >= :P_HOJE OR P.DTVALIDAPONTO IS NULL) "
                   "GROUP BY P.CDCAMPANHA, A.VRPONTOGERADESC, A.VRDESCVENDA, C.NMCONSUMIDOR"}};
const Statement adqCreditoPessoalNota{"adqCreditoPessoalNota",
    "SELECT V.NRSEQVENDA FROM VENDA V WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA "
    "AND V.DTABERTUR = :P_DTABERTUR AND V.NRNOTAFISCALCE = :P_NRCUPOM AND V.IDSITUVENDA = 'O' "
    "AND V.IDTPEMISVEND IN ('N', 'S') AND EXISTS (SELECT 1 FROM EXTRATOCONS E WHERE E.CDFILIAL = V.CDFILIAL "
    "AND E.CDCAIXA = V.CDCAIXA AND E.NRSEQVENDA = V.NRSEQVENDA)"};
const Statement adqUltimoCupomDia{"adqUltimoCupomDia",
    "SELECT V.NRSEQVENDA, V.IDSITUVENDA, V.IDTPEMISVEND, (SELECT COUNT(*) FROM EXTRATOCONS E "
    "WHERE E.CDFILIAL = V.CDFILIAL AND E.CDCAIXA = V.CDCAIXA AND E.NRSEQVENDA = V.NRSEQVENDA) AS QTEXTRATO "
    "FROM VENDA V WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.DTABERTUR = :P_DTABERTUR "
    "ORDER BY V.NRCUPOMFIS DESC NULLS LAST LIMIT 1"};
const Statement adqIdIntResgSaldo{"adqIdIntResgSaldo",
    "SELECT IDINTRESGSALDO FROM TIPORECE WHERE CDTIPORECE = :P_CDTIPORECE"};
const Statement adqCNPJEmpresa{"adqCNPJEmpresa",
    "SELECT E.NRINSJUREMPR FROM FILIAL F JOIN EMPRESA E ON E.CDEMPRESA = F.CDEMPRESA WHERE F.CDFILIAL = :P_CDFILIAL"};
const Statement adqCNPJFil{"adqCNPJFil", "SELECT NRINSJURFILI FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"};

// A text lookup whose failure stays a failure.
Variant textOrFailure(const Statement &statement, const Params &params, const char *column)
{
    const Variant found = ServerCall().value(statement, params, QString::fromLatin1(column));
    if (found.isFailure())
        return found;
    return Variant(found.isBlank() ? QString() : found.toString());
}

} // namespace

namespace Srv_Kal51000 {

Variant getDescVendaFid(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqDescVendaFid, {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR},
                                                 {"P_HOJE", dayStart(Clock::now().date())}});
}

Variant getCreditoPessoal(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOM,
                          const QDateTime &DTABERTUR)
{
    ServerCall call;
    const Params desk{{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_DTABERTUR", DTABERTUR}};
    if (!NRCUPOM.trimmed().isEmpty()) {
        const Variant found = call.packet(adqCreditoPessoalNota, desk + Params{{"P_NRCUPOM", NRCUPOM}});
        return found.isFailure() ? found : Variant(!found.packet().isEmpty());
    }
    const Variant last = call.packet(adqUltimoCupomDia, desk);
    if (last.isFailure())
        return last;
    const DataPacket &sale = last.packet();
    if (sale.isEmpty())
        return Variant(false);
    const QString emission = sale.value(0, "IDTPEMISVEND").toString().trimmed();
    return Variant(sale.value(0, "IDSITUVENDA").toString() == QLatin1String("O")
                   && (emission.isEmpty() || emission == QLatin1String("E")) && sale.value(0, "QTEXTRATO").toInt() > 0);
}

Variant getIdIntResgSaldo(const QString &CDTIPORECE)
{
    return textOrFailure(adqIdIntResgSaldo, {{"P_CDTIPORECE", CDTIPORECE}}, "IDINTRESGSALDO");
}

Variant getCNPJEmpresa(const QString &CDFILIAL)
{
    return textOrFailure(adqCNPJEmpresa, {{"P_CDFILIAL", CDFILIAL}}, "NRINSJUREMPR");
}

Variant getCNPJFil(const QString &CDFILIAL)
{
    return textOrFailure(adqCNPJFil, {{"P_CDFILIAL", CDFILIAL}}, "NRINSJURFILI");
}

} // namespace Srv_Kal51000
