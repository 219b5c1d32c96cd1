#include "schema.h"

namespace {

using namespace Schema;

// Order items of a restaurant sale (table, tab or delivery), their options, the parts of
// combined products and the running total of the sale.
const Table itComandaVen{
    "ITCOMANDAVEN",
    {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("NRPRODCOMVEN", 20),
     text("CDPRODUTO", 20), number("QTPRODCOMVEN", 15, 3), number("VRPRECCOMVEN"), text("TXPRODCOMVEN", 2000),
     text("IDSTPRCOMVEN", 1), number("VRDESCCOMVEN"), text("NRLUGARMESA", 10), dateTime("DTHRINCOMVEN"),
     text("CDLOJA", 20), text("NRSEQPRODCOM", 3), number("VRACRCOMVEN"), text("NRSEQPRODCUP", 20),
     text("CDCAIXACOLETOR", 20), text("CDPRODPROMOCAO", 20), number("VRPRECCLCOMVEN"), text("CDVENDEDOR", 20),
     text("CDSENHAPED", 20), integer("NRATRAPRODCOVE"), text("DSOBSPEDDIGCMD", 2000), number("QTITEMREFIL", 15, 3),
     text("IDPRODREFIL", 1), text("IDORIGEMVENDA", 10), text("NMCONSVEND", 100), text("NRINSCRCONS", 20),
     text("CDCUPOMDESCQUB", 30), text("CDCAMPCOMPGANHE", 20), dateTime("DTINIVGCAMPCG"), text("IDIMPPRGRPROMO", 1),
     text("IDOBSERVACAOAD", 1), text("NRSEQPRODPAI", 20), text("CDGRUPROMOC", 20)},
    {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "NRPRODCOMVEN"}};

const Table itComandaEst{
    "ITCOMANDAEST",
    {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("NRPRODCOMVEN", 20),
     text("CDPRODUTO", 20), number("QTPROCOMEST", 15, 3), number("VRPRECCOMEST"), number("VRDESITCOMEST"),
     text("TXPRODCOMVENEST", 2000), text("DSOBSPEDDIGEST", 2000), integer("NRATRAPRODCOES"), number("VRACRITCOMEST"),
     text("IDIMPPRGRPROMO", 1), text("NRSEQITVENDAEST", 20), integer("NRSEQCOMB"), text("CDGRUPROMOC", 20)},
    {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "NRPRODCOMVEN", "CDPRODUTO"}};

const Area orders{
    itComandaVen,
    itComandaEst,
    {"OBSITCOMANDAVEN",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("NRPRODCOMVEN", 20),
      text("CDGRPOCOR", 20), text("CDOCORR", 20)},
     {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "NRPRODCOMVEN", "CDGRPOCOR", "CDOCORR"}},
    {"OBSITCOMANDAEST",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("NRPRODCOMVEN", 20),
      text("CDPRODUTO", 20), text("CDGRPOCOR", 20), text("CDOCORR", 20)},
     {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "NRPRODCOMVEN", "CDPRODUTO", "CDGRPOCOR", "CDOCORR"}},
    // One total per restaurant sale of a branch, so two tills adding to it meet on one row.
    {"REGISTROMESA",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), dateTime("DTHRABERTURA"), text("IDSITUACAO", 1),
      number("VRTOTAL")},
     {"CDFILIAL", "NRVENDAREST"}},
    {"VENDAREST", {text("CDFILIAL", 20), text("CDLOJA", 20), text("NRVENDAREST", 20), dateTime("DTHRABERMESA")}, {}},
    {"LOJA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("IDCONTROPROD", 1)}, {"CDFILIAL", "CDLOJA"}},
    {"PRODLOJA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("CDPRODUTO", 20), text("CDSETOR", 20)}, {}},
    {"PRODUTO",
     {text("CDPRODUTO", 20), text("NMPRODUTO", 100), text("CDARVPROD", 30), text("IDTIPOCOMPPROD", 1),
      text("IDIMPPRODUTO", 1)},
     {}},
};

} // namespace
