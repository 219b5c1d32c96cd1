#include "lookups_cases_test.h"

#include <server/servercall.h>
#include <server/srv_lookups_products.h>

using namespace LookupsTest;
using namespace Srv_Kal51000;

namespace {

const QStringList products{
    "INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO, NMPRODIMPFIS, CDARVPROD, CDNVPRODUTO, IDSOLLOCIMP, CDCLASFISC, "
    "CDREGRAFISPDV, SGUNIDADE) VALUES ('1001', 'Suco de laranja', 'SUCO LARANJA', '010101', '3', 'S', '21069090', "
    "'R1', 'UN')",
    "INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, SGUNIDADE) "
    "VALUES ('1002', 'Pão de queijo', '010102', '3', 'UN')",
    "INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO) VALUES ('01', 'Bebidas', '01', '1')",
};

QStringList with(QStringList base, const QStringList &more)
{
    base.append(more);
    return base;
}

const QStringList priceLists{
    "INSERT INTO PARAVEND (CDFILIAL, CDTABEPREC) VALUES ('01', 'T1')",
    "INSERT INTO TABEVEND (CDTABEPREC, NMTABEPREC) VALUES ('T1', 'Balcão')",
    "INSERT INTO ITEMPRECO (CDTABEPREC, CDPRODUTO, DTINIVALPREC, DTFINVALPREC, VRPRECITEM) "
    "VALUES ('T1', '1001', '2026-03-04 09:00:00', NULL, 7.5)",
    // Priced from tomorrow only: not offered today.
    "INSERT INTO ITEMPRECO (CDTABEPREC, CDPRODUTO, DTINIVALPREC, DTFINVALPREC, VRPRECITEM) "
    "VALUES ('T1', '1002', '2026-03-05 00:00:00', NULL, 5)",
    "INSERT INTO FILITABGER (CDFILIAL, CDTABEPREGER) VALUES ('01', 'G1')",
    "INSERT INTO TABEVENDGER (CDTABEPREGER, NMTABEPREGER) VALUES ('G1', 'Geral')",
    "INSERT INTO ITEMPRECOGER (CDTABEPREGER, CDPRODUTO, DTINIVALPREC, DTFINVALPREC, VRPRECITEM) "
    "VALUES ('G1', '1001', '2026-01-01 00:00:00', '2026-03-04 00:00:00', 7)",
    // The group level is never offered, even when priced.
    "INSERT INTO ITEMPRECOGER (CDTABEPREGER, CDPRODUTO, DTINIVALPREC, DTFINVALPREC, VRPRECITEM) "
    "VALUES ('G1', '01', '2026-01-01 00:00:00', NULL, 1)",
};

const QStringList dayPrices{
    "INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, DTFINVALPREC, "
    "IDUTILDESCDIA) VALUES ('01', '1001', '4', 'T', '2026-03-01 00:00:00', '2026-03-31 00:00:00', 'N')",
    "INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, DTFINVALPREC, "
    "IDUTILDESCDIA) VALUES ('01', '1001', '4', '005', '2026-03-04 00:00:00', '2026-03-04 00:00:00', 'S')",
    "INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, DTFINVALPREC, "
    "IDUTILDESCDIA) VALUES ('01', '1001', '4', '007', '2026-02-01 00:00:00', '2026-03-03 00:00:00', 'S')",
    "INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, DTFINVALPREC, "
    "IDUTILDESCDIA) VALUES ('01', '1001', '5', '005', '2026-03-01 00:00:00', '2026-03-31 00:00:00', 'X')",
};

// Coupons of product 1001: reusable of branch 01 and of every branch, single-use unused and
// used, one of branch 02 only, and one of another product.
const QStringList coupons{
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('LOJA01', 'P', 10, 'N')",
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('GERAL', 'V', 2, 'N')",
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('UNICO', 'V', 3, 'S')",
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('USADO', 'V', 3, 'S')",
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('LOJA02', 'V', 1, 'N')",
    "INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('OUTRO', 'V', 1, 'N')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('LOJA01', '1001')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('GERAL', '1001')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('UNICO', '1001')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('USADO', '1001')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('LOJA02', '1001')",
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) VALUES ('OUTRO', '1002')",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('LOJA01', '01')",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('LOJA02', '02')",
    "INSERT INTO USOCUPOMDESCQUB (CDCUPOMDESCQUB, CDFILIAL, CDCAIXA, NRSEQVENDA) VALUES ('USADO', '01', '001', '9')",
};

const QStringList promotionGroups{
    "INSERT INTO GRUPROMOCPRFIL (CDFILIAL, CDPRODPROMOCAO, CDGRUPROMOC) VALUES ('01', '9000', 'GF')",
    "INSERT INTO PRODGRUPROMOC (CDFILIAL, CDPRODPROMOCAO, CDGRUPROMOC, CDPRODUTO) VALUES ('01', '9000', 'GF', '1001')",
    "INSERT INTO GRUPROMOCPROD (CDPRODPROMOCAO, CDGRUPROMOC, CDPRODUTO) VALUES ('9000', 'GG', '1001')",
    "INSERT INTO GRUPROMOCPROD (CDPRODPROMOCAO, CDGRUPROMOC, CDPRODUTO) VALUES ('9000', 'GG', '1002')",
};

const QStringList stockControl{
    "INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO, IDCNTRESTOQ) VALUES ('01', '1001', 'S')",
    "INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO, IDCNTRESTOQ) VALUES ('01', '1002', NULL)",
    "INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO, IDCNTRESTOQ) VALUES ('01', '1003', 'N')",
};

const QList<Case> productCases{
    {"CodigoBarra",
     {"INSERT INTO CDBARRAPROD (CDBARRAPROD, CDPRODUTO) VALUES ('7891000100103', '1001')"},
     [] { return render(getCodigoBarra("7891000100103")); }, "1001", "", "CDBARRAPROD", failure},
    {"CodigoAtalho",
     {"INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDATAPRODITM, CDIDENTBUTON, IDTPBUTTON) "
      "VALUES ('01', 'C1', '12', 'DIN', '5')",
      "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDATAPRODITM, CDIDENTBUTON, IDTPBUTTON) "
      "VALUES ('02', 'C1', '12', '1002', '1')",
      "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDATAPRODITM, CDIDENTBUTON, IDTPBUTTON) "
      "VALUES ('01', 'C1', '12', '1001', '1')"},
     [] { return render(getCodigoAtalho("01", "C1", "12")); }, "1001", "", "ITMENUCONFTE", failure},
    {"ProdPesqOffersTopLevelPricedTodayOnce",
     with(products, priceLists),
     [] { return renderColumns(getProdPesq("01"), {"CDPRODUTO", "NMPRODUTO", "CDFAMILISALD", "SGUNIDADE"}); },
     "1001|SUCO LARANJA||UN", "", "ITEMPRECO", failure},
    {"ProdPesqFromGeneralTableOnly",
     with(products, {"INSERT INTO FILITABGER (CDFILIAL, CDTABEPREGER) VALUES ('01', 'G1')",
                     "INSERT INTO TABEVENDGER (CDTABEPREGER) VALUES ('G1')",
                     "INSERT INTO ITEMPRECOGER (CDTABEPREGER, CDPRODUTO, DTINIVALPREC, DTFINVALPREC) "
                     "VALUES ('G1', '1002', '2026-03-04 23:00:00', '2026-03-04 00:00:00')"}),
     [] { return renderColumns(getProdPesq("01"), {"CDPRODUTO", "NMPRODUTO"}); },
     "1002|Pão de queijo", "", "ITEMPRECOGER", failure},
    {"ProdPesqSegmentBranchOffersItsSegmentOnly",
     with(products, {"INSERT INTO FILIAL (CDFILIAL, CDSEGMERC) VALUES ('01', 'S1')",
                     "INSERT INTO PRODUTOSEG (CDSEGMERC, CDPRODUTO) VALUES ('S1', '1002')",
                     "INSERT INTO FILITABGER (CDFILIAL, CDTABEPREGER) VALUES ('01', 'G1')",
                     "INSERT INTO TABEVENDGER (CDTABEPREGER) VALUES ('G1')",
                     "INSERT INTO ITEMPRECOGER (CDTABEPREGER, CDPRODUTO, DTINIVALPREC) "
                     "VALUES ('G1', '1001', '2026-01-01 00:00:00')",
                     "INSERT INTO ITEMPRECOGER (CDTABEPREGER, CDPRODUTO, DTINIVALPREC) "
                     "VALUES ('G1', '1002', '2026-01-01 00:00:00')"}),
     [] { return renderColumns(getProdPesq("01"), {"CDPRODUTO"}); }, "1002", "", "PRODUTOSEG", failure},
    {"VerificaImpVariavel", products, [] { return render(getVerificaImpVariavel("1001")); }, "S", "", "PRODUTO",
     failureWithE},
    {"ProdCodNCM", products, [] { return render(getProdCodNCM("1001")); }, "21069090", "", "PRODUTO", failure},
    {"ProdutoPai",
     with(products, {"INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO) "
                     "VALUES ('01', '001', '77', '002', '1002')"}),
     [] { return render(getProdutoPai("01", "001", "77", "002")); }, "1002|Pão de queijo", "", "ITEMVENDA", failure},
    {"AgrupProdHighestGroupOfTheTab",
     {"INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRSEQPRODCOM) "
      "VALUES ('01', 'V1', 'C9', '000001', '001')",
      "INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRSEQPRODCOM) "
      "VALUES ('01', 'V1', 'C9', '000002', '004')",
      "INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRSEQPRODCOM) "
      "VALUES ('01', 'V1', 'C9', '000003', '')",
      "INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRSEQPRODCOM) "
      "VALUES ('01', 'V1', 'C8', '000004', '009')"},
     [] { return render(getAgrupProd("01", "C9", "V1")); }, "004", "0", "ITCOMANDAVEN", failure},
    {"AgrupProdTabWithoutGroups",
     {"INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRSEQPRODCOM) "
      "VALUES ('01', 'V1', 'C9', '000001', NULL)"},
     [] { return render(getAgrupProd("01", "C9", "V1")); }, "0", "0", "ITCOMANDAVEN", failure},
    {"ProdSubsidiado",
     {"INSERT INTO PRODSUBSIFILI (CDFILIAL, CDPRODUTO) VALUES ('01', '1002')",
      "INSERT INTO PRODSUBSIFILI (CDFILIAL, CDPRODUTO) VALUES ('01', '1001')",
      "INSERT INTO PRODSUBSIFILI (CDFILIAL, CDPRODUTO) VALUES ('02', '1003')"},
     [] { return render(getProdSubsidiado("01")); }, "01|1001; 01|1002", "", "PRODSUBSIFILI", failure},
    {"TipoSaldoProd",
     {"INSERT INTO TIPOSALDOPROD (CDFILIAL, CDTIPOCONS, CDPRODUTO, IDTIPOSALDO, HRINICIAL, HRFINAL, IDBLOQPROD) "
      "VALUES ('01', '005', '1001', 'B', '1100', '1400', 'S')"},
     [] { return render(getTipoSaldoProd("01", "005", "1001")); }, "B|1100|1400|S", "", "TIPOSALDOPROD", failure},
    {"ProdTxServ",
     {"INSERT INTO LOJA (CDFILIAL, CDLOJA, CDPRODTAXASERV) VALUES ('01', 'L1', '9999')"},
     [] { return render(getProdTxServ("01", "L1")); }, "9999", "", "LOJA", ""},
    {"IDUTILDESCDIAOwnTypeBeforeAllTypes", dayPrices,
     [] { return render(getIDUTILDESCDIA("01", "1001", "005", "4")); }, "S", "", "ITEMPRECODIA", ""},
    {"IDUTILDESCDIAAllTypesWhenOwnExpired", dayPrices,
     [] { return render(getIDUTILDESCDIA("01", "1001", "007", "4")); }, "N", "", "ITEMPRECODIA", ""},
    {"CdGruPromocBranchGroupFirst", promotionGroups,
     [] { return render(getCdGruPromoc("01", "1001", "9000")); }, "GF", "", "PRODGRUPROMOC", ""},
    {"CdGruPromocGeneralGroupOtherwise", promotionGroups,
     [] { return render(getCdGruPromoc("01", "1002", "9000")); }, "GG", "", "GRUPROMOCPROD", ""},
    {"RegraFisPdv",
     with(products, {"INSERT INTO REGRAFISPDV (CDREGRAFISPDV, CDCSTIBSCBS, CDCLATRIBIBSCBS, VRALIQIBSUF, "
                     "VRALIQIBSMUN, VRALIQCBS) VALUES ('R1', '000', '000001', 0.1, 0.05, 0.9)"}),
     [] { return renderColumns(getRegraFisPdv("1001"), {"CDREGRAFISPDV", "CDCLATRIBIBSCBS", "VRALIQCBS"}); },
     "R1|000001|0,9", "", "REGRAFISPDV", failure},
    {"ValidProdNFCe",
     with(products, {"INSERT INTO FILIAL (CDFILIAL, CDEMPRESA) VALUES ('01', 'E1')",
                     "INSERT INTO PARAMEMPRESA (CDEMPRESA, CDSITUCRT) VALUES ('E1', '3')",
                     "INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDCSTICMS, CDCSTPISCOF, CDCFOPPFIS, VRALIQPIS, "
                     "VRALIQCOFINS, IDTPIMPOSFIS) VALUES ('01', '1001', '00', '01', '5102', 1.65, 7.6, 'T')",
                     "INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDCSTICMS) VALUES ('02', '1002', '00')"}),
     [] { return render(getValidProdNFCe("01", "1001")); },
     "Suco de laranja|1001|E1|3|01|21069090|00|01|5102|1,65|7,6|T", "", "ALIQIMPFIS", failure},
    {"PromoCombAux",
     {"INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODPROMOCAO, CDPRODUTO, VRUNITVEND, QTPRODVEND, "
      "VRDESITVEND, NRSEQPRODCOM) VALUES ('01', '001', '9000', '1001', 7.5, 1, 0.5, '001')",
      "INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODPROMOCAO, CDPRODUTO) VALUES ('01', '002', '9000', '1002')"},
     [] { return render(getPromoCombAux("01", "001")); }, "9000|1001|7,5|1|0,5|001", "", "PROMOCAOCOMBAUX", failure},
    {"CuponsValidosBranchOrEveryBranchSingleUseUnused", coupons,
     [] { return renderColumns(getCuponsValidos("01", "1001"), {"CDCUPOMDESCQUB", "IDTIPODESC", "IDUSOUNICO"}); },
     "GERAL|V|N; LOJA01|P|N; UNICO|V|S", "", "CUPOMDESCQUB", failure},
    {"ControleEstoqueControlled", stockControl, [] { return render(VerificaControleEstoque("01", "1001")); },
     "True", "False", "PRODFILI", failure},
    {"ControleEstoqueEmptyFlagIsControlled", stockControl,
     [] { return render(VerificaControleEstoque("01", "1002")); }, "True", "False", "PRODFILI", failure},
    {"ControleEstoqueNotControlled", stockControl, [] { return render(VerificaControleEstoque("01", "1003")); },
     "False", "False", "PRODFILI", failure},
};

class ProductLookups : public Cases {};

TEST_P(ProductLookups, MissingFoundFailed)
{
    runCase();
}

LOOKUP_CASES(ProductLookups, productCases);

const Statement testLookupsInsLog{"testLookupsInsLog",
    "INSERT INTO LOGACESSO (CDOPERADOR, DSSISTEMA) VALUES (:CDOPERADOR, :DSSISTEMA)"};

class ProductWrites : public DatabaseTest {};

TEST_P(ProductWrites, PromoCombAuxDeletesOnlyTheDesksRows)
{
    exec("INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODUTO) VALUES ('01', '001', '1001')");
    exec("INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODUTO) VALUES ('01', '001', '1002')");
    exec("INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODUTO) VALUES ('01', '002', '1001')");
    exec("INSERT INTO PROMOCAOCOMBAUX (CDFILIAL, CDCAIXA, CDPRODUTO) VALUES ('02', '001', '1001')");
    EXPECT_EQ(setPromoCombAux("01", "001"), Variant());
    EXPECT_EQ(rows("SELECT CDFILIAL, CDCAIXA FROM PROMOCAOCOMBAUX ORDER BY CDFILIAL").size(), 2);
    exec("DROP TABLE PROMOCAOCOMBAUX");
    const Variant failed = setPromoCombAux("01", "001");
    EXPECT_TRUE(failed.isFailure() && failed.failureText().contains("PROMOCAOCOMBAUX", Qt::CaseInsensitive))
        << describe(failed).toStdString();
}

// A failed lookup leaves the caller's transaction open: the caller decides what becomes of it.
TEST_P(ProductWrites, FailedLookupNeverEndsTheCallersTransaction)
{
    exec("DROP TABLE PRODSUBSIFILI");
    TrdmVendaCons &module = rdmVendaCons();
    ServerCall call;
    ASSERT_TRUE(module.StartTrans());
    ASSERT_EQ(call.write(testLookupsInsLog, {{"CDOPERADOR", "7"}, {"DSSISTEMA", "Zmq"}}), Variant());
    EXPECT_TRUE(getProdSubsidiado("01").isFailure());
    EXPECT_TRUE(module.InTransaction());
    module.RollbackTrans();
    EXPECT_EQ(rows("SELECT CDOPERADOR FROM LOGACESSO").size(), 0);
}

TEST_P(ProductWrites, SuccessfulLookupInsideATransactionKeepsItsWork)
{
    TrdmVendaCons &module = rdmVendaCons();
    ServerCall call;
    ASSERT_TRUE(module.StartTrans());
    ASSERT_EQ(call.write(testLookupsInsLog, {{"CDOPERADOR", "7"}, {"DSSISTEMA", "Zmq"}}), Variant());
    EXPECT_TRUE(getProdSubsidiado("01").isPacket());
    EXPECT_TRUE(module.InTransaction());
    EXPECT_TRUE(module.CommitTrans());
    EXPECT_EQ(rows("SELECT CDOPERADOR FROM LOGACESSO").size(), 1);
}

TEST_P(ProductWrites, ProdPesqFamilyColumnIsWideEnoughToFill)
{
    const Variant answer = getProdPesq("01");
    ASSERT_TRUE(answer.isPacket()) << describe(answer).toStdString();
    const DataPacket &packet = answer.packet();
    ASSERT_GE(packet.fieldIndex("CDFAMILISALD"), 0);
    EXPECT_EQ(packet.fields.at(packet.fieldIndex("CDFAMILISALD")).size, 20);
}

VENDACONS_DATABASE_KINDS(ProductWrites);

} // namespace
