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
        // One row per table or tab ever opened in the store: tills that open the same place
        // at once take its row lock in turn, so the second finds the sale the first opened.
        {"ABERTURAVENDAREST",
         {text("CDFILIAL", 20), text("CDLOJA", 20), text("DSLOCAL", 60), dateTime("DTHRULTABER")},
         {"CDFILIAL", "CDLOJA", "DSLOCAL"}},
    };
}

// What the host's sale save writes: the sale header, its items with their taxes, its payments
// and the lines cancelled while it was open (the server reads the same tables to cancel it).
void registerSaleSaving()
{
    static const Area saving{
        {"VENDA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), number("VRTOTVENDA"),
          number("VRIMPOSTOAPROX"), text("CDOPERADOR", 20), text("CDEMPRESA", 20), text("NRSERIEIMP", 30),
          text("DSENDEVENDA", 60), text("NRORDEMVND", 50), memo("DSQRCODEVENDA"), text("CDSENHAPED", 20),
          dateTime("DTMOVIMENTO")},
         {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}},
        {"ITEMVENDA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUITVEND", 20),
          text("CDPRODUTO", 20), text("NMPRODUTO", 100), text("CDARVPROD", 30), number("QTPRODCOMVEN", 15, 3),
          number("VRPRECCOMVEN"), number("VRUNITVENDCL"), number("VRDESCCOMVEN"), number("VRACRCOMVEN"),
          number("ACRESITEM"), text("CDIMPOSTO", 4), number("VRPEALIMPFIS"), text("IDTPIMPOSFIS", 2),
          text("CDLOJA", 20), text("NRLUGARMESA", 10), text("CDVENDEDOR", 20), text("SGUNIDADE", 10),
          text("CDCLASFISC", 20), text("CDCUPOMDESCQUB", 10), text("CDPRODPROMOCAO", 20),
          text("NRSEQPRODCOMIT", 3), text("IDPARAVIAGEM", 1), text("IDORIGEMVENDA", 10)},
         {}},
        {"MOVCAIXA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUMOVI", 20),
          dateTime("DTABERCAIX"), text("CDTIPORECE", 20), number("VRMOVIVEND"), text("IDTIPOMOVIVE", 1),
          text("NMTIPORECE", 60), text("IDTIPORECE", 1), dateTime("DTHRINCMOV"), text("CDCLIENTE", 20),
          text("CDCONSUMIDOR", 20), text("CDCCUSCLIE", 20), dateTime("DTMOVIMCAIXA"), text("CDBANCARTCR", 20),
          text("QTPARCRECEB", 5), number("VRTROCO"),
          // The host NSU of the card transaction that paid the sale elsewhere (a QR-code sale);
          // an older base gets it empty on its next connect.
          text("CDNSUHOSTTEF", 50)},
         {}},
        {"ITVENDACAN",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQITVENDC", 20),
          text("CDPRODUTO", 20), text("NMPRODUTO", 100), number("QTPRODCOMVEN", 15, 3), number("VRPRECCOMVEN"),
          number("VRDESCCOMVEN"), text("CDIMPOSTO", 4), number("VRPEALIMPFIS"), text("CDOPERCANC", 20)},
         {}},
        // The promotions the promotions service offered for the sale ("N") and the one it
        // applied ("S"), with the cart's order identifier on the header.
        {"PROMOCOMANDA",
         {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("IDPROMOCOM", 37),
          text("NMPROMOCOM", 100), text("DSPROMOCOM", 256), text("IDTPPROMOCOM", 1), text("IDTPDESCPROMO", 1),
          number("VRDESCPROMO"), number("VRVENDAPROMO"), text("IDUTPROMOCOM", 1)},
         {}},
    };
}

} // namespace

void registerTables()
{
    registerArea();
    registerSaleSaving();
}

} // namespace HostSchema
