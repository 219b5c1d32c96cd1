#include "srv_tabs.h"

#include "servercall.h"
#include "srv_tabs_list.h"

#include <QDebug>

namespace {

// The tables of the junction that holds :P_NRMESA, the table itself included.
#define TABLE_OR_JUNCTION                                                                        \
    "(V.NRMESA = :P_NRMESA OR V.NRMESA IN (SELECT J.NRMESA FROM MESAJUNCAO M "                   \
    "JOIN JUNCAOMESA J ON J.CDFILIAL = M.CDFILIAL AND J.CDLOJA = M.CDLOJA AND J.NRJUNMESA = M.NRJUNMESA " \
    "WHERE M.CDFILIAL = :P_CDFILIAL AND M.CDLOJA = :P_CDLOJA AND M.NRMESA = :P_NRMESA))"

// Open tabs of open sales; a tab in status '4' is left out of every look-up. The waiter is
// joined outside, so a tab whose waiter is not registered is still shown.
#define OPEN_TABS                                                                                \
    "FROM COMANDAVEN C "                                                                         \
    "JOIN VENDAREST V ON V.CDFILIAL = C.CDFILIAL AND V.NRVENDAREST = C.NRVENDAREST "             \
    "LEFT JOIN VENDEDOR D ON D.CDVENDEDOR = V.CDVENDEDOR "                                       \
    "WHERE C.CDFILIAL = :P_CDFILIAL AND V.DTHRFECHMESA IS NULL AND COALESCE(C.IDSTCOMANDA, '') <> '4' "

#define TAB_COLUMNS                                                                              \
    "SELECT DISTINCT C.NRVENDAREST, C.NRCOMANDA, C.DSCOMANDA, C.IDSTCOMANDA, C.VRDESCOMANDA, "   \
    "C.VRCOMISVENDE, C.VRACRCOMANDA, V.NRPESMESAVEN, V.CDVENDEDOR, D.NMFANVEN, V.CDCLIENTE, "    \
    "V.NRPOSICAOMESA "

const Statement adqAcresMesa{"adqAcresMesa",
    "SELECT VRACRCOMANDA FROM COMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA "
    "AND NRCOMANDA = :P_NRCOMANDA AND NRVENDAREST = :P_NRVENDAREST"};

const Statement acmGravaAcrescimo{"acmGravaAcrescimo",
    "UPDATE COMANDAVEN SET VRACRCOMANDA = :VRACRCOMANDA WHERE CDFILIAL = :CDFILIAL AND CDLOJA = :CDLOJA "
    "AND NRCOMANDA = :NRCOMANDA AND NRVENDAREST = :NRVENDAREST"};

// Each tab once, whatever the number of its items or of the tables that lead to it.
const Statement adqAcrescimo{"adqAcrescimo",
    "SELECT COALESCE(SUM(T.VRACRCOMANDA), 0) AS VRACRCOMANDA FROM ("
    "SELECT DISTINCT C.CDFILIAL, C.NRVENDAREST, C.NRCOMANDA, C.VRACRCOMANDA " OPEN_TABS
    "AND V.CDLOJA = :P_CDLOJA AND " TABLE_OR_JUNCTION " "
    "AND EXISTS (SELECT 1 FROM ITCOMANDAVEN I WHERE I.CDFILIAL = C.CDFILIAL AND I.NRVENDAREST = C.NRVENDAREST "
    "AND I.NRCOMANDA = C.NRCOMANDA AND COALESCE(I.IDSTPRCOMVEN, '') <> '6')) T"};

const Statement adqBuscaComandas{"adqBuscaComandas",
    TAB_COLUMNS OPEN_TABS
    "AND V.CDLOJA = :P_CDLOJA AND " TABLE_OR_JUNCTION " AND SUBSTR(C.DSCOMANDA, 1, 4) IN ('PKR_', 'RES_') "
    "ORDER BY C.NRVENDAREST, C.NRCOMANDA"};

const Statement adqDadosComanda{"adqDadosComanda",
    TAB_COLUMNS OPEN_TABS "AND C.NRCOMANDA = :P_NRCOMANDA ORDER BY C.NRVENDAREST, C.NRCOMANDA"};

// Tabs are matched as whole numbers against the bound list ",12,13,". The product is joined
// outside: an item whose product is missing still counts on the bill.
#define IT_COMANDA(CONTAINS)                                                                     \
    "SELECT I.NRPRODCOMVEN, I.QTPRODCOMVEN, I.VRPRECCOMVEN, I.IDSTPRCOMVEN, I.VRDESCCOMVEN, P.CDARVPROD, " \
    "COALESCE(NULLIF(P.NMPRODIMPFIS, ''), P.NMPRODUTO) AS NMPRODUTO, I.CDPRODUTO, I.DTHRINCOMVEN, "  \
    "I.IDCOBTXSERV, I.NRLUGARMESA, I.NRMESADSCOMORIT, I.TXPRODCOMVEN, "                         \
    "COALESCE(I.VRPRECCLCOMVEN, 0) AS VRPRECCLCOMVEN "                                           \
    "FROM ITCOMANDAVEN I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "                      \
    "WHERE I.CDFILIAL = :P_CDFILIAL AND " CONTAINS "(:P_NRCOMANDAS, ',' || TRIM(I.NRCOMANDA) || ',') > 0 " \
    "AND COALESCE(I.IDSTPRCOMVEN, '') NOT IN ('6', '7') ORDER BY I.NRCOMANDA, I.NRPRODCOMVEN"

const Statement adqItComanda{"adqItComanda", IT_COMANDA("instr"), {.sqlite = {}, .postgresql = IT_COMANDA("strpos")}};

const Statement adqPedido{"adqPedido",
    "SELECT V.NRVENDAREST, V.DTHRABERMESA, C.NRCOMANDA, V.CDCONSUMIDOR, S.NMCONSUMIDOR, V.CDCLIENTE "
    "FROM VENDAREST V JOIN COMANDAVEN C ON C.CDFILIAL = V.CDFILIAL AND C.NRVENDAREST = V.NRVENDAREST "
    "LEFT JOIN CONSUMIDOR S ON S.CDCONSUMIDOR = V.CDCONSUMIDOR AND S.CDCLIENTE = V.CDCLIENTE "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA AND V.NRVENDAREST = :P_NRVENDAREST "
    "ORDER BY C.NRCOMANDA"};

// The first item of the tab that carries a password.
const Statement adqSenhaPed{"adqSenhaPed",
    "SELECT CDSENHAPED FROM ITCOMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND COALESCE(CDSENHAPED, '') <> '' ORDER BY NRPRODCOMVEN"};

const Statement acmProdRefil{"acmProdRefil",
    "UPDATE ITCOMANDAVEN SET QTITEMREFIL = COALESCE(QTITEMREFIL, 0) + :QTITEMREFIL "
    "WHERE CDFILIAL = :CDFILIAL AND NRVENDAREST = :NRVENDAREST AND NRCOMANDA = :NRCOMANDA "
    "AND NRPRODCOMVEN = :NRPRODCOMVEN"};

const Statement adqProdRefil{"adqProdRefil",
    "SELECT NRPRODCOMVEN FROM ITCOMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND CDPRODUTO = :P_CDPRODUTO AND NRLUGARMESA = :P_NRLUGARMESA "
    "AND IDPRODREFIL = 'N' AND COALESCE(IDSTPRCOMVEN, '') NOT IN ('6', '7') ORDER BY NRPRODCOMVEN"};

// Each delete tests its own condition in the same statement, so an item written by another
// till between the two never leaves its tab or sale deleted. Only open sales of the store.
const Statement acmApagaComandaVazia{"acmApagaComandaVazia",
    "DELETE FROM COMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA "
    "AND NOT EXISTS (SELECT 1 FROM ITCOMANDAVEN I WHERE I.CDFILIAL = :P_CDFILIAL "
    "AND I.NRVENDAREST = :P_NRVENDAREST AND I.NRCOMANDA = :P_NRCOMANDA) "
    "AND EXISTS (SELECT 1 FROM VENDAREST V WHERE V.CDFILIAL = :P_CDFILIAL AND V.NRVENDAREST = :P_NRVENDAREST "
    "AND V.CDLOJA = :P_CDLOJA AND V.DTHRFECHMESA IS NULL)"};

const Statement acmApagaVendaVazia{"acmApagaVendaVazia",
    "DELETE FROM VENDAREST WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND CDLOJA = :P_CDLOJA AND DTHRFECHMESA IS NULL "
    "AND NOT EXISTS (SELECT 1 FROM ITCOMANDAVEN I WHERE I.CDFILIAL = :P_CDFILIAL AND I.NRVENDAREST = :P_NRVENDAREST) "
    "AND NOT EXISTS (SELECT 1 FROM COMANDAVEN C WHERE C.CDFILIAL = :P_CDFILIAL AND C.NRVENDAREST = :P_NRVENDAREST)"};

Params tabKey(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA, const QString &NRVENDAREST)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_NRCOMANDA", NRCOMANDA}, {"P_NRVENDAREST", NRVENDAREST}};
}

Params tableKey(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_NRMESA", NRMESA}};
}

} // namespace

namespace Srv_Kal51000 {

Variant getAcresMesa(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                     const QString &NRVENDAREST)
{
    return ServerCall().packet(adqAcresMesa, tabKey(CDFILIAL, CDLOJA, NRCOMANDA, NRVENDAREST));
}

Variant setGravaAcrescimo(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRCOMANDA,
                          const QString &NRVENDAREST, double value)
{
    return ServerCall().write(acmGravaAcrescimo, {{"VRACRCOMANDA", value}, {"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA},
                                                  {"NRCOMANDA", NRCOMANDA}, {"NRVENDAREST", NRVENDAREST}});
}

Variant getAcrescimo(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA)
{
    return ServerCall().packet(adqAcrescimo, tableKey(CDFILIAL, CDLOJA, NRMESA));
}

Variant getBuscaComandas(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA, const QString &)
{
    return ServerCall().packet(adqBuscaComandas, tableKey(CDFILIAL, CDLOJA, NRMESA));
}

Variant getDadosComanda(const QString &CDFILIAL, const QString &NRCOMANDA)
{
    return ServerCall().packet(adqDadosComanda, {{"P_CDFILIAL", CDFILIAL}, {"P_NRCOMANDA", NRCOMANDA}});
}

Variant getBuscaItComanda(const QString &CDFILIAL, const QString &tabs)
{
    return ServerCall().packet(adqItComanda, {{"P_CDFILIAL", CDFILIAL}, {"P_NRCOMANDAS", TabList::parameter(tabs)}});
}

Variant getPedido(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST)
{
    return ServerCall().packet(adqPedido, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_NRVENDAREST", NRVENDAREST}});
}

QString getSenhaPed(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)
{
    ServerCall call;
    const QString password = call.fieldText(adqSenhaPed, {{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST},
                                                          {"P_NRCOMANDA", NRCOMANDA}},
                                            "CDSENHAPED", TextOnFailure::answer(QString()));
    if (!call.lastErrorText().isEmpty())
        qWarning().noquote() << "getSenhaPed:" << call.lastErrorText();
    return password;
}

Variant setProdRefil(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                     const QString &NRPRODCOMVEN, double quantity)
{
    return ServerCall().write(acmProdRefil, {{"QTITEMREFIL", quantity}, {"CDFILIAL", CDFILIAL},
                                             {"NRVENDAREST", NRVENDAREST}, {"NRCOMANDA", NRCOMANDA},
                                             {"NRPRODCOMVEN", NRPRODCOMVEN}});
}

Variant getProdRefil(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                     const QString &CDPRODUTO, const QString &NRLUGARMESA)
{
    return ServerCall().packet(adqProdRefil, {{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST},
                                              {"P_NRCOMANDA", NRCOMANDA}, {"P_CDPRODUTO", CDPRODUTO},
                                              {"P_NRLUGARMESA", NRLUGARMESA}});
}

Variant setValidaPedido(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &CDLOJA,
                        const QString &NRCOMANDA)
{
    ServerCall call;
    Variant result = call.write(acmApagaComandaVazia, tabKey(CDFILIAL, CDLOJA, NRCOMANDA, NRVENDAREST));
    if (!result.isFailure())
        result = call.write(acmApagaVendaVazia, {{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST},
                                                 {"P_CDLOJA", CDLOJA}});
    if (result.isFailure())
        qWarning().noquote() << "setValidaPedido:" << result.failureText();
    return result;
}

} // namespace Srv_Kal51000
