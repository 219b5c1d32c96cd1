#include "srv_lookups_products.h"

#include "srv_lookups_common.h"

using namespace LookupsDetail;

namespace {

const Statement adqCodigoBarra{"adqCodigoBarra",
    "SELECT CDPRODUTO FROM CDBARRAPROD WHERE CDBARRAPROD = :P_CDBARRAPROD"};
const Statement adqCodigoAtalho{"adqCodigoAtalho",
    "SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA "
    "AND CDATAPRODITM = :P_CDATAPRODITM AND IDTPBUTTON = '1'"};

// One query for what were four united selects (branch table or general tables, branch with or
// without a market segment): a product priced in both lists is offered once.
const Statement adqPesqProd{"adqPesqProd",
    "SELECT P.CDPRODUTO, P.CDARVPROD, "
    "CASE WHEN COALESCE(P.NMPRODIMPFIS, '') <> '' THEN P.NMPRODIMPFIS ELSE P.NMPRODUTO END AS NMPRODUTO, "
    "P.CDBARPRODUTO, P.IDPESAPROD, P.QTTARAPROD, '' AS CDFAMILISALD, P.SGUNIDADE, P.IDTIPOCOMPPROD, "
    "P.IDIMPPRODUTO, P.DTINIVGPROMOC, P.DTFINVGPROMOC "
    "FROM PRODUTO P LEFT JOIN FILIAL F ON F.CDFILIAL = :P_CDFILIAL "
    "WHERE P.CDNVPRODUTO = (SELECT MAX(N.CDNVPRODUTO) FROM PRODUTO N) "
    "AND (EXISTS (SELECT 1 FROM PARAVEND V "
    "  JOIN TABEVEND T ON T.CDTABEPREC = V.CDTABEPREC "
    "  JOIN ITEMPRECO I ON I.CDTABEPREC = T.CDTABEPREC "
    "  WHERE V.CDFILIAL = :P_CDFILIAL AND I.CDPRODUTO = P.CDPRODUTO "
    "  AND I.DTINIVALPREC < :P_DIASEGUINTE AND (I.DTFINVALPREC IS NULL OR I.DTFINVALPREC >= :P_DIA)) "
    " OR EXISTS (SELECT 1 FROM FILITABGER G "
    "  JOIN TABEVENDGER T ON T.CDTABEPREGER = G.CDTABEPREGER "
    "  JOIN ITEMPRECOGER I ON I.CDTABEPREGER = T.CDTABEPREGER "
    "  WHERE G.CDFILIAL = :P_CDFILIAL AND I.CDPRODUTO = P.CDPRODUTO "
    "  AND I.DTINIVALPREC < :P_DIASEGUINTE AND (I.DTFINVALPREC IS NULL OR I.DTFINVALPREC >= :P_DIA))) "
    "AND (COALESCE(F.CDSEGMERC, '') = '' OR EXISTS (SELECT 1 FROM PRODUTOSEG S "
    "  WHERE S.CDSEGMERC = F.CDSEGMERC AND S.CDPRODUTO = P.CDPRODUTO)) "
    "ORDER BY P.CDPRODUTO"};

// The coupons of the product usable at the branch: reusable ones of the branch or of no branch,
// and single-use ones of the branch or of no branch that were never used. The validity dates
// travel with the rows; the sale screen judges them against its own clock.
const Statement adqCuponsValidos{"adqCuponsValidos",
    "SELECT C.CDCUPOMDESCQUB, C.IDTIPODESC, C.VRDESCCUPOM, C.DTINIVIGENCIA, C.DTFIMVIGENCIA, C.IDUSOUNICO "
    "FROM CUPOMDESCQUB C JOIN PRODCUPOMDESC P ON P.CDCUPOMDESCQUB = C.CDCUPOMDESCQUB "
    "WHERE P.CDPRODUTO = :P_CDPRODUTO "
    "AND (EXISTS (SELECT 1 FROM FILIALCUPOMDESC F WHERE F.CDCUPOMDESCQUB = C.CDCUPOMDESCQUB "
    "  AND F.CDFILIAL = :P_CDFILIAL) "
    " OR NOT EXISTS (SELECT 1 FROM FILIALCUPOMDESC F WHERE F.CDCUPOMDESCQUB = C.CDCUPOMDESCQUB)) "
    "AND (COALESCE(C.IDUSOUNICO, 'N') <> 'S' "
    " OR NOT EXISTS (SELECT 1 FROM USOCUPOMDESCQUB U WHERE U.CDCUPOMDESCQUB = C.CDCUPOMDESCQUB)) "
    "ORDER BY C.CDCUPOMDESCQUB"};

const Statement adqVerifImpVar{"adqVerifImpVar",
    "SELECT IDSOLLOCIMP FROM PRODUTO WHERE CDPRODUTO = :P_CDPRODUTO"};
const Statement adqProdCodNCM{"adqProdCodNCM",
    "SELECT CDCLASFISC FROM PRODUTO WHERE CDPRODUTO = :P_CDPRODUTO"};
const Statement adqProdutoPai{"adqProdutoPai",
    "SELECT I.CDPRODUTO, P.NMPRODUTO FROM ITEMVENDA I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
    "WHERE I.CDFILIAL = :P_CDFILIAL AND I.CDCAIXA = :P_CDCAIXA AND I.NRSEQVENDA = :P_NRSEQVENDA "
    "AND I.NRSEQUITVEND = :P_NRSEQUITVEND"};
const Statement adqAgrupProd{"adqAgrupProd",
    "SELECT COALESCE(MAX(NULLIF(NRSEQPRODCOM, '')), '0') AS NRSEQPRODCOM FROM ITCOMANDAVEN "
    "WHERE CDFILIAL = :P_CDFILIAL AND NRCOMANDA = :P_NRCOMANDA AND NRVENDAREST = :P_NRVENDAREST"};
const Statement adqProdSubsidiado{"adqProdSubsidiado",
    "SELECT CDFILIAL, CDPRODUTO FROM PRODSUBSIFILI WHERE CDFILIAL = :P_CDFILIAL ORDER BY CDPRODUTO"};
const Statement adqTipoSaldoProd{"adqTipoSaldoProd",
    "SELECT IDTIPOSALDO, HRINICIAL, HRFINAL, IDBLOQPROD FROM TIPOSALDOPROD "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDTIPOCONS = :P_CDTIPOCONS AND CDPRODUTO = :P_CDPRODUTO"};
const Statement adqProdTxServ{"adqProdTxServ",
    "SELECT CDPRODTAXASERV FROM LOJA WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA"};
// The consumer type's own row wins over the row for all types.
const Statement adqIDUTILDESCDIA{"adqIDUTILDESCDIA",
    "SELECT IDUTILDESCDIA FROM ITEMPRECODIA WHERE CDFILIAL = :P_CDFILIAL AND CDPRODUTO = :P_CDPRODUTO "
    "AND NRDIASEMANPR = :P_NRDIASEMANPR AND (CDTIPOCONSPD = :P_CDTIPOCONSPD OR CDTIPOCONSPD = 'T') "
    "AND DTINIVALPREC < :P_DIASEGUINTE AND (DTFINVALPREC IS NULL OR DTFINVALPREC >= :P_DIA) "
    "ORDER BY CASE WHEN CDTIPOCONSPD = 'T' THEN 1 ELSE 0 END"};
const Statement adqCdGruPromocFilial{"adqCdGruPromocFilial",
    "SELECT G.CDGRUPROMOC FROM PRODGRUPROMOC G JOIN GRUPROMOCPRFIL F ON F.CDFILIAL = G.CDFILIAL "
    "AND F.CDPRODPROMOCAO = G.CDPRODPROMOCAO AND F.CDGRUPROMOC = G.CDGRUPROMOC "
    "WHERE G.CDFILIAL = :P_CDFILIAL AND G.CDPRODUTO = :P_CDPRODUTO AND G.CDPRODPROMOCAO = :P_CDPRODPROMOCAO "
    "ORDER BY G.CDGRUPROMOC"};
const Statement adqCdGruPromocGeral{"adqCdGruPromocGeral",
    "SELECT CDGRUPROMOC FROM GRUPROMOCPROD WHERE CDPRODUTO = :P_CDPRODUTO AND CDPRODPROMOCAO = :P_CDPRODPROMOCAO "
    "ORDER BY CDGRUPROMOC"};
const Statement adqRegraFisPdv{"adqRegraFisPdv",
    "SELECT R.CDREGRAFISPDV, R.CDCSTIBSCBS, R.CDCLATRIBIBSCBS, R.VRALIQIBSUF, R.VRALIQIBSMUN, R.VRALIQCBS "
    "FROM PRODUTO P JOIN REGRAFISPDV R ON R.CDREGRAFISPDV = P.CDREGRAFISPDV WHERE P.CDPRODUTO = :P_CDPRODUTO"};
const Statement adqValidProdNFCe{"adqValidProdNFCe",
    "SELECT P.NMPRODUTO, P.CDPRODUTO, F.CDEMPRESA, E.CDSITUCRT, A.CDFILIAL, P.CDCLASFISC, A.CDCSTICMS, "
    "A.CDCSTPISCOF, A.CDCFOPPFIS, A.VRALIQPIS, A.VRALIQCOFINS, A.IDTPIMPOSFIS "
    "FROM ALIQIMPFIS A JOIN PRODUTO P ON P.CDPRODUTO = A.CDPRODUTO "
    "JOIN FILIAL F ON F.CDFILIAL = A.CDFILIAL LEFT JOIN PARAMEMPRESA E ON E.CDEMPRESA = F.CDEMPRESA "
    "WHERE A.CDFILIAL = :P_CDFILIAL AND A.CDPRODUTO = :P_CDPRODUTO"};
const Statement adqPromoCombAux{"adqPromoCombAux",
    "SELECT CDPRODPROMOCAO, CDPRODUTO, VRUNITVEND, QTPRODVEND, VRDESITVEND, NRSEQPRODCOM FROM PROMOCAOCOMBAUX "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};
const Statement acmDelPromoCombAux{"acmDelPromoCombAux",
    "DELETE FROM PROMOCAOCOMBAUX WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA"};
const Statement adqVerificaProdFili{"adqVerificaProdFili",
    "SELECT CDPRODUTO FROM PRODFILI WHERE CDFILIAL = :P_CDFILIAL AND CDPRODUTO = :P_CDPRODUTO "
    "AND COALESCE(IDCNTRESTOQ, '') IN ('S', '')"};

const TextOnFailure emptyText = TextOnFailure::answer(QString());

} // namespace

namespace Srv_Kal51000 {

Variant getCodigoBarra(const QString &CDBARRAPROD)
{
    return ServerCall().value(adqCodigoBarra, {{"P_CDBARRAPROD", CDBARRAPROD}}, "CDPRODUTO");
}

Variant getCodigoAtalho(const QString &CDFILIAL, const QString &NRCONFTELA, const QString &CDATAPRODITM)
{
    return ServerCall().value(adqCodigoAtalho,
        {{"P_CDFILIAL", CDFILIAL}, {"P_NRCONFTELA", NRCONFTELA}, {"P_CDATAPRODITM", CDATAPRODITM}}, "CDIDENTBUTON");
}

Variant getProdPesq(const QString &CDFILIAL)
{
    const Variant answer = ServerCall().packet(adqPesqProd, Params{{"P_CDFILIAL", CDFILIAL}} + todayRange());
    // The search dialog's caller fills the family afterwards.
    return widenTextFields(answer, {QStringLiteral("CDFAMILISALD")}, 20);
}

Variant getVerificaImpVariavel(const QString &CDPRODUTO)
{
    const Variant answer = ServerCall().value(adqVerifImpVar, {{"P_CDPRODUTO", CDPRODUTO}}, "IDSOLLOCIMP");
    // Callers tell a failure by its leading "E".
    return answer.isFailure() ? Variant::failure(QLatin1Char('E') + answer.failureText()) : answer;
}

// A failed read answers the failure, never its error text in place of a fiscal class.
Variant getProdCodNCM(const QString &CDPRODUTO)
{
    return ServerCall().value(adqProdCodNCM, {{"P_CDPRODUTO", CDPRODUTO}}, "CDCLASFISC");
}

Variant getProdutoPai(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                      const QString &NRSEQUITVEND)
{
    return ServerCall().packet(adqProdutoPai, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
                                               {"P_NRSEQVENDA", NRSEQVENDA}, {"P_NRSEQUITVEND", NRSEQUITVEND}});
}

Variant getAgrupProd(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)
{
    return ServerCall().value(adqAgrupProd,
        {{"P_CDFILIAL", CDFILIAL}, {"P_NRCOMANDA", NRCOMANDA}, {"P_NRVENDAREST", NRVENDAREST}}, "NRSEQPRODCOM");
}

// A read never ends the caller's transaction, even when it fails.
Variant getProdSubsidiado(const QString &CDFILIAL)
{
    return ServerCall().packet(adqProdSubsidiado, {{"P_CDFILIAL", CDFILIAL}});
}

Variant getTipoSaldoProd(const QString &CDFILIAL, const QString &CDTIPOCONS, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqTipoSaldoProd,
        {{"P_CDFILIAL", CDFILIAL}, {"P_CDTIPOCONS", CDTIPOCONS}, {"P_CDPRODUTO", CDPRODUTO}});
}

QString getProdTxServ(const QString &CDFILIAL, const QString &CDLOJA)
{
    return ServerCall().fieldText(adqProdTxServ, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}}, "CDPRODTAXASERV",
                                  emptyText);
}

QString getIDUTILDESCDIA(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &TIPOCONS,
                         const QString &DIASEMAN)
{
    const Params params{{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}, {"P_NRDIASEMANPR", DIASEMAN},
                        {"P_CDTIPOCONSPD", TIPOCONS}};
    return ServerCall().fieldText(adqIDUTILDESCDIA, params + todayRange(), "IDUTILDESCDIA", emptyText);
}

QString getCdGruPromoc(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &CDPRODPROMOCAO)
{
    ServerCall call;
    const Variant branch = call.value(adqCdGruPromocFilial,
        {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}, {"P_CDPRODPROMOCAO", CDPRODPROMOCAO}}, "CDGRUPROMOC");
    if (branch.isFailure())
        return QString();
    if (!branch.isBlank())
        return branch.toString();
    return call.fieldText(adqCdGruPromocGeral, {{"P_CDPRODUTO", CDPRODUTO}, {"P_CDPRODPROMOCAO", CDPRODPROMOCAO}},
                          "CDGRUPROMOC", emptyText);
}

Variant getRegraFisPdv(const QString &CDPRODUTO)
{
    return ServerCall().packet(adqRegraFisPdv, {{"P_CDPRODUTO", CDPRODUTO}});
}

Variant getValidProdNFCe(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqValidProdNFCe, {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}});
}

Variant getCuponsValidos(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqCuponsValidos, {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}});
}

Variant getPromoCombAux(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().packet(adqPromoCombAux, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}});
}

Variant setPromoCombAux(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().write(acmDelPromoCombAux, {{"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}});
}

// The old answer on a failure was True after a dialog, so a failed read passed for "controlled".
Variant VerificaControleEstoque(const QString &CDFILIAL, const QString &CDPRODUTO)
{
    const Variant row = ServerCall().value(adqVerificaProdFili, {{"P_CDFILIAL", CDFILIAL}, {"P_CDPRODUTO", CDPRODUTO}},
                                           "CDPRODUTO");
    return row.isFailure() ? row : Variant(!row.isEmpty());
}

} // namespace Srv_Kal51000
