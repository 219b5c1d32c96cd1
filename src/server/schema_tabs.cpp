#include "schema.h"

namespace {

using namespace Schema;

// Restaurant sales, their tabs and items as the tab and table services read them; the order
// writing registers the same tables with the columns it writes.
const Area tabs{
    {"VENDAREST",
     {text("CDFILIAL", 20), text("CDLOJA", 20), text("NRVENDAREST", 20), text("NRMESA", 20), text("CDVENDEDOR", 20),
      integer("NRPESMESAVEN"), text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), integer("NRPOSICAOMESA"),
      dateTime("DTHRABERMESA"), dateTime("DTHRFECHMESA")},
     {}},
    {"COMANDAVEN",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("CDLOJA", 20),
      text("DSCOMANDA", 60), text("IDSTCOMANDA", 1), number("VRDESCOMANDA"), number("VRCOMISVENDE"),
      number("VRACRCOMANDA")},
     {"CDFILIAL", "NRVENDAREST", "NRCOMANDA"}},
    {"ITCOMANDAVEN",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("NRPRODCOMVEN", 20),
      text("CDPRODUTO", 20), number("QTPRODCOMVEN", 15, 3), number("VRPRECCOMVEN"), text("IDSTPRCOMVEN", 1),
      number("VRDESCCOMVEN"), text("NRLUGARMESA", 10), dateTime("DTHRINCOMVEN"), text("IDCOBTXSERV", 1),
      text("NRMESADSCOMORIT", 20), text("TXPRODCOMVEN", 2000), number("VRPRECCLCOMVEN"), text("IDSTLUGARMESA", 1),
      number("QTITEMREFIL", 15, 3), text("IDPRODREFIL", 1), text("CDSENHAPED", 20)},
     {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "NRPRODCOMVEN"}},
    // Lines given up before the order was sent; the sequence runs per cash desk and sale.
    {"ITCOMANDAVENDES",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRVENDAREST", 20), text("NRSEQITCOMVENDES", 10),
      number("QTPRODITCOMVENDES", 15, 3), text("CDPRODUTO", 20), text("DSOBSCANITE", 255), text("CDSUPERVISOR", 20),
      number("VRPRECCOMVEN"), number("VRDESCCOMVEN"), number("VRACRCOMVEN")},
     {"CDFILIAL", "CDCAIXA", "NRVENDAREST", "NRSEQITCOMVENDES"}},
    {"MESA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("NRMESA", 20), text("IDSTMESAAUX", 1)}, {}},
    // Joined tables: a table's junction number (MESAJUNCAO) and the tables of that junction
    // (JUNCAOMESA).
    {"MESAJUNCAO", {text("CDFILIAL", 20), text("CDLOJA", 20), text("NRMESA", 20), text("NRJUNMESA", 20)}, {}},
    {"JUNCAOMESA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("NRJUNMESA", 20), text("NRMESA", 20)}, {}},
    {"VENDEDOR", {text("CDVENDEDOR", 20), text("NMFANVEN", 60)}, {}},
    {"PRODUTO", {text("CDPRODUTO", 20), text("NMPRODUTO", 100), text("NMPRODIMPFIS", 60), text("CDARVPROD", 30)},
     {"CDPRODUTO"}},
    {"CONSUMIDOR", {text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), text("NMCONSUMIDOR", 60)},
     {"CDCLIENTE", "CDCONSUMIDOR"}},
    // Options of products: the store's order option group and the options linked to a product.
    {"LOJA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("CDGRPOCORPED", 20)}, {"CDFILIAL", "CDLOJA"}},
    {"GRUPOCOR", {text("CDGRPOCOR", 20), text("NMGRPOCOR", 60)}, {}},
    {"OCORRENCIA",
     {text("CDGRPOCOR", 20), text("CDOCORR", 20), text("DSOCORR", 100), text("CDTIPRISCO", 20),
      text("IDCONTROLAOBS", 1)},
     {"CDGRPOCOR", "CDOCORR"}},
    {"PRODOCORRE", {text("CDPRODUTO", 20), text("CDGRPOCOR", 20), text("CDOCORR", 20)}, {}},
};

} // namespace
