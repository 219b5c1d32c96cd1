#include "srv_lookups_partners.h"

#include "srv_lookups_common.h"

using namespace LookupsDetail;

namespace {

const Statement adqDadosAme{"adqDadosAme",
    "SELECT DSLOGINAME, DSSENHAAME, VRCASHBACK, DSLOGINAMEHOM, DSSENHAAMEHOM, IDAMBIENTEAME, "
    "'' AS DSURLRAIZ, '' AS DSLOGIN, '' AS DSSENHA, DSURLSERVAME FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};
const Statement adqMovCaixaAME{"adqMovCaixaAME",
    "SELECT M.IDTRANSAME, M.NRSEQUMOVI, M.VRMOVIVEND, M.IDTRANSAMECAPT FROM MOVCAIXA M "
    "JOIN TIPORECE T ON T.CDTIPORECE = M.CDTIPORECE "
    "WHERE M.CDFILIAL = :P_CDFILIAL AND M.CDCAIXA = :P_CDCAIXA AND M.NRSEQVENDA = :P_NRSEQVENDA "
    "AND M.DTABERCAIX = :P_DTABERCAIX AND T.IDTIPORECE = 'I' ORDER BY M.NRSEQUMOVI"};
// The store's settings stand even before the general parameter row exists.
const Statement adqDadosGCOM{"adqDadosGCOM",
    "SELECT L.IDUTLINTEGCOM, L.CDBRANDIDGCOM, L.CDURLGCOM, G.IDTOKENAPIGCOM FROM LOJA L "
    "LEFT JOIN GERPARAMGERAL G ON 1 = 1 WHERE L.CDFILIAL = :P_CDFILIAL AND L.CDLOJA = :P_CDLOJA"};
const Statement adqVendaGCOM{"adqVendaGCOM",
    "SELECT NRINSJURIEST, NRNOTAFISCALCE, NRCOMANDAEXT, NRTELGCOM FROM VENDA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA"};
const Statement adqConvPonto{"adqConvPonto",
    "SELECT VRCONVPONTO FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};

} // namespace

namespace Srv_Kal51000 {

Variant getDadosAme(const QString &CDFILIAL)
{
    const Variant answer = ServerCall().packet(adqDadosAme, {{"P_CDFILIAL", CDFILIAL}});
    // The caller writes the chosen environment's address and login into these.
    return widenTextFields(answer, {QStringLiteral("DSURLRAIZ"), QStringLiteral("DSLOGIN"), QStringLiteral("DSSENHA")},
                           255);
}

Variant getMovCaixaAME(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                       const QDateTime &DTABERCAIX)
{
    return ServerCall().packet(adqMovCaixaAME, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
                                                {"P_NRSEQVENDA", NRSEQVENDA}, {"P_DTABERCAIX", DTABERCAIX}});
}

Variant getDadosGCOM(const QString &CDFILIAL, const QString &CDLOJA)
{
    return ServerCall().packet(adqDadosGCOM, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}});
}

Variant getVendaGCOM(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)
{
    return ServerCall().packet(adqVendaGCOM,
        {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRSEQVENDA", NRSEQVENDA}});
}

Variant getConversao(const QString &CDFILIAL)
{
    const Variant value = ServerCall().value(adqConvPonto, {{"P_CDFILIAL", CDFILIAL}}, "VRCONVPONTO");
    return value.isFailure() ? value : Variant(value.toDouble());
}

} // namespace Srv_Kal51000
