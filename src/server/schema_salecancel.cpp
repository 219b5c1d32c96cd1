#include "schema.h"

namespace {

using namespace Schema;

// What the cancellation screens read beyond the sale: the store's cancellation switches, each
// product's cancellation ticket and the NF-e data of a cancellation.
const Area saleCancellation{
    // A cancelled debit still owed to the central base ("P"), or told to it ("S").
    {"VENDA", {text("IDEXPDEBCENT", 1)}, {}},
    {"PRODLOJA",
     {text("CDFILIAL", 20), text("CDLOJA", 20), text("CDPRODUTO", 20), text("CDPORIMPPROD", 20),
      text("IDIMPCANITEM", 1)},
     {}},
    {"LOJA", {text("CDFILIAL", 20), text("CDLOJA", 20), text("IDOBRIGAOBSCAN", 1)}, {"CDFILIAL", "CDLOJA"}},
    // The composition items of a sale's items.
    {"ITEMVENDAEST",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUITVEND", 20),
      text("NRSEQITVENDEST", 20), text("CDPRODUTO", 20), number("QTITVENDAEST", 15, 3)},
     {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND", "NRSEQITVENDEST"}},
    // Where the branch emits its NF-e from: its addresses by kind, the state of its state
    // registration, the states' codes and time zones and their NF-e web services.
    {"ENDEFILI",
     {text("CDFILIAL", 20), text("NRSEQENDEFILI", 10), text("IDTPENDEFILI", 1), text("SGESTADO", 2)},
     {"CDFILIAL", "NRSEQENDEFILI"}},
    {"FILIAL", {text("CDFILIAL", 20), text("IDENDEMISFIL", 1), text("SGESTADOINSCEST", 2)}, {"CDFILIAL"}},
    {"ESTADO", {text("CDPAIS", 10), text("SGESTADO", 2), text("CDESTADOIBGE", 2), text("HRDIFUTCFUSO", 10)}, {}},
    {"WEBSERVICE",
     {text("SGESTADO", 2), text("IDAMBIENTE", 1), text("IDSERVICO", 10), text("WSEVENTONFC", 255)},
     {"SGESTADO", "IDAMBIENTE", "IDSERVICO"}},
};

} // namespace
