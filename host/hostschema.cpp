#include "hostschema.h"

#include <server/schema.h>

namespace HostSchema {

namespace {

using namespace Schema;

// Kept in a function so that the static library's registration is never dropped by the
// linker: whoever needs the tables calls registerTables().
void registerArea()
{
    static const Area host{
        // The branch's default price table, a store's table and a client company's table.
        {"PARAVEND", {text("CDFILIAL", 20), text("CDTABEPREC", 20), text("CDCLIENTE", 20)}, {"CDFILIAL"}},
        {"LOJA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("CDTABEPREC", 20)}, {"CDFILIAL", "CDLOJA"}},
        {"CLIENTE", {text("CDCLIENTE", 20), text("NMFANTCLIE", 60), text("CDTABEPREC", 20)}, {"CDCLIENTE"}},
        // A table is in effect between its two dates (an empty bound is open).
        {"TABEVEND",
         {text("CDTABEPREC", 20), text("NMTABEPREC", 60), dateTime("DTINIVIGTABE"), dateTime("DTFINVIGTABE")},
         {"CDTABEPREC"}},
        {"ITEMPRECO",
         {text("CDTABEPREC", 20), text("CDPRODUTO", 20), dateTime("DTINIVALPREC"), dateTime("DTFINVALPREC"),
          number("VRPRECITEM"), text("IDPRECVARIA", 1)},
         {}},
        // The price of a weekday: a discount or a surcharge, by value or percentage.
        {"ITEMPRECODIA",
         {text("CDFILIAL", 20), text("CDPRODUTO", 20), text("NRDIASEMANPR", 1), text("CDTIPOCONSPD", 20),
          dateTime("DTINIVALPREC"), dateTime("DTFINVALPREC"), text("IDUTILDESCDIA", 1), text("IDPERCVALOR", 1),
          text("IDACREDESC", 1), number("VRDESCACREDIA")},
         {}},
        // Blocked products and sale hours per consumer type.
        {"TIPOSALDOPROD",
         {text("CDFILIAL", 20), text("CDTIPOCONS", 20), text("CDPRODUTO", 20), text("HRINICIAL", 4),
          text("HRFINAL", 4), text("IDBLOQPROD", 1)},
         {"CDFILIAL", "CDTIPOCONS", "CDPRODUTO"}},
        // Fiscal classification (NCM) and the CEST code of a product.
        {"PRODUTO", {text("CDPRODUTO", 20), text("CDCLASFISC", 20), text("CDCEST", 10)}, {"CDPRODUTO"}},
        // The day's sales and their payments, for the average ticket.
        {"VENDA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("IDSITUVENDA", 1),
          dateTime("DTENTRVENDA"), text("CDLOJA", 20)},
         {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}},
        {"MOVCAIXA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), number("VRMOVIVEND")},
         {}},
    };
}

} // namespace

void registerTables()
{
    registerArea();
}

} // namespace HostSchema
