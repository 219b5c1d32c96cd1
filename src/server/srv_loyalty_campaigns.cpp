#include "srv_loyalty.h"

#include "servercall.h"

#include <outside/consiste.h>

#include <runtime/clock.h>

namespace {

const Statement adqItFidelidade{"adqItFidelidade",
    "SELECT NRSEQUITVEND, DTVENDA, CDPRODUTO, QTPRODVEND, CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRPONTOBRINDE "
    "FROM ITFIDELIDADE WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA "
    "ORDER BY NRSEQUITVEND"};
const Statement adqMaxItFidelidade{"adqMaxItFidelidade",
    "SELECT MAX(CAST(NRSEQUITVEND AS INTEGER)) AS NRSEQUITVEND FROM ITFIDELIDADE "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA"};
const Statement acmInsItFidelidade{"acmInsItFidelidade",
    "INSERT INTO ITFIDELIDADE (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, DTVENDA, CDPRODUTO, QTPRODVEND, "
    "CDCLIENTE, CDCONSUMIDOR, IDTPOPERITFIDEL, IDATUSERVIDOR, CDCAMPANHA, VRPONTOBRINDE, NRSEQUITORIG) "
    "VALUES (:CDFILIAL, :CDCAIXA, :NRSEQVENDA, :NRSEQUITVEND, :DTVENDA, :CDPRODUTO, :QTPRODVEND, :CDCLIENTE, "
    ":CDCONSUMIDOR, 'C', 'N', :CDCAMPANHA, :VRPONTOBRINDE, :NRSEQUITORIG)"};

// IDDIAUTIL: the character of IDDIASEMANA at today's weekday, Sunday being the first.
const Statement adqCampCompGanhe{"adqCampCompGanhe",
    "SELECT C.CDCAMPCOMPGANHE, C.DSCAMPCOMPGANHE, C.QTCOMPGANHE, V.DTINIVGCAMPCG, "
    "SUBSTR(V.IDDIASEMANA, :P_NRDIASEMANA, 1) AS IDDIAUTIL FROM CAMPCOMPGANHE C "
    "JOIN VGCAMPCOMPGANHE V ON V.CDCAMPCOMPGANHE = C.CDCAMPCOMPGANHE "
    "JOIN PRCAMPCOMPGANHE P ON P.CDCAMPCOMPGANHE = C.CDCAMPCOMPGANHE "
    "WHERE P.CDPRODUTO = :P_CDPRODUTO AND V.DTINIVGCAMPCG < :P_AMANHA AND V.DTFIMVGCAMPCG >= :P_HOJE "
    "ORDER BY C.CDCAMPCOMPGANHE, V.DTINIVGCAMPCG"};
const Statement adqBrCampCompGanhe{"adqBrCampCompGanhe",
    "SELECT P.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, P.IDTIPOCOMPPROD, P.IDIMPPRODUTO FROM BRCAMPCOMPGANHE B "
    "JOIN PRODUTO P ON P.CDPRODUTO = B.CDPRODUTO "
    "WHERE B.CDCAMPCOMPGANHE = :P_CDCAMPCOMPGANHE AND B.DTINIVGCAMPCG = :P_DTINIVGCAMPCG ORDER BY P.CDPRODUTO"};
const Statement adqCampanhaFilial{"adqCampanhaFilial",
    "SELECT C.IDCAMPANHA FROM CAMPANHA C JOIN FILICAMPANHA F ON F.CDCAMPANHA = C.CDCAMPANHA "
    "WHERE F.CDFILIAL = :P_CDFILIAL AND C.IDCAMPANHA NOT IN ('E', 'C') ORDER BY C.CDCAMPANHA"};
const Statement adqCampanhaAtiva{"adqCampanhaAtiva",
    "SELECT C.CDCAMPANHA FROM CAMPANHA C JOIN FILICAMPANHA F ON F.CDCAMPANHA = C.CDCAMPANHA "
    "WHERE F.CDFILIAL = :P_CDFILIAL AND C.IDCAMPANHA = 'S' AND C.DTINIVIGCAMP < :P_AMANHA "
    "AND C.DTFIMVIGCAMP >= :P_HOJE ORDER BY C.CDCAMPANHA"};
// IDIMPVENDA is read and set in the same statement: "I" stays, anything else becomes "A".
const Statement acmEnvioFid4ALL{"acmEnvioFid4ALL",
    "UPDATE VENDA SET IDENVIOFID4ALL = :IDENVIOFID4ALL, "
    "IDIMPVENDA = CASE WHEN IDIMPVENDA = 'I' THEN 'I' ELSE 'A' END "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};
const Statement acmEnvioFidUDS{"acmEnvioFidUDS",
    "UPDATE VENDA SET IDENVIOFIDUDS = 'C', IDIMPVENDA = CASE WHEN IDIMPVENDA = 'I' THEN 'I' ELSE 'A' END "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};

Params saleLookup(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRSEQVENDA", NRSEQVENDA}};
}

Params saleKey(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)
{
    return {{"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}, {"NRSEQVENDA", NRSEQVENDA}};
}

Params today()
{
    const QDateTime start(Clock::now().date(), QTime(0, 0));
    return {{"P_HOJE", start}, {"P_AMANHA", start.addDays(1)}};
}

// 1 = Sunday ... 7 = Saturday.
int weekdayPosition(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1;
}

} // namespace

namespace Srv_Kal51000 {

Variant AtualizaPontuacao(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)
{
    ServerCall call;
    const Variant points = call.packet(adqItFidelidade, saleLookup(CDFILIAL, CDCAIXA, NRSEQVENDA));
    if (points.isFailure() || points.packet().isEmpty())
        return points.isFailure() ? points : Variant();
    const Variant highest = call.value(adqMaxItFidelidade, saleLookup(CDFILIAL, CDCAIXA, NRSEQVENDA), "NRSEQUITVEND");
    if (highest.isFailure())
        return highest;
    qint64 next = highest.toInt();
    const DataPacket &rows = points.packet();
    for (int row = 0; row < rows.rows.size(); ++row) {
        ++next;
        const Variant written = call.write(acmInsItFidelidade, saleKey(CDFILIAL, CDCAIXA, NRSEQVENDA) + Params{
            {"NRSEQUITVEND", Consiste::Ajusta(QString::number(next), 3)}, {"DTVENDA", rows.value(row, "DTVENDA")},
            {"CDPRODUTO", rows.value(row, "CDPRODUTO")}, {"QTPRODVEND", rows.value(row, "QTPRODVEND")},
            {"CDCLIENTE", rows.value(row, "CDCLIENTE")}, {"CDCONSUMIDOR", rows.value(row, "CDCONSUMIDOR")},
            {"CDCAMPANHA", rows.value(row, "CDCAMPANHA")}, {"VRPONTOBRINDE", rows.value(row, "VRPONTOBRINDE")},
            {"NRSEQUITORIG", rows.value(row, "NRSEQUITVEND")}});
        if (written.isFailure())
            return written;
    }
    return Variant();
}

Variant getCampCompGanhe(const QString &CDPRODUTO)
{
    return ServerCall().packet(adqCampCompGanhe, today() + Params{
        {"P_CDPRODUTO", CDPRODUTO}, {"P_NRDIASEMANA", weekdayPosition(Clock::now().date())}});
}

Variant getBrCampCompGanhe(const QString &CDCAMPANHA, const QDateTime &DTINIVGCAMP)
{
    return ServerCall().packet(adqBrCampCompGanhe, {{"P_CDCAMPCOMPGANHE", CDCAMPANHA},
                                                    {"P_DTINIVGCAMPCG", DTINIVGCAMP}});
}

bool getCampanha(const QString &CDFILIAL)
{
    const Variant first = ServerCall().value(adqCampanhaFilial, {{"P_CDFILIAL", CDFILIAL}}, "IDCAMPANHA");
    if (first.isFailure())
        return false;
    return first.isEmpty() || first.toString() == QLatin1String("P");
}

Variant getCampanhaFilial(const QString &CDFILIAL)
{
    const Variant first = ServerCall().value(adqCampanhaFilial, {{"P_CDFILIAL", CDFILIAL}}, "IDCAMPANHA");
    if (first.isFailure())
        return first;
    return Variant(!first.isBlank());
}

Variant getCampanha(TrdmVendaCons &module, const QString &CDFILIAL)
{
    const Variant code = ServerCall(module).value(adqCampanhaAtiva, today() + Params{{"P_CDFILIAL", CDFILIAL}},
                                                  "CDCAMPANHA");
    return code.isFailure() ? code : Variant(code.toString());
}

Variant setEnvioFid4ALL(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA,
                        const QString &NRSEQVENDA, bool posted)
{
    return ServerCall(module).write(acmEnvioFid4ALL, saleKey(CDFILIAL, CDCAIXA, NRSEQVENDA) + Params{
        {"IDENVIOFID4ALL", posted ? "N" : "S"}});
}

Variant setEnvioFidUDS(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA,
                       const QString &NRSEQVENDA)
{
    return ServerCall(module).write(acmEnvioFidUDS, saleKey(CDFILIAL, CDCAIXA, NRSEQVENDA));
}

} // namespace Srv_Kal51000
