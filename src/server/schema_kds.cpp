#include "schema.h"

namespace {

using namespace Schema;

// Kitchen display orders: written by the kitchen side of the wider system; the sale screen
// finishes and cancels them.
const Area kds{
    {"PEDIDOQUB",
     {text("CDFILIAL", 20), text("NRPEDIDOQUB", 20), text("DSPEDIDOQUB", 60), text("NRCOMANDA", 20),
      text("CDSENHAPED", 20), text("NMCONSUMIDOR", 100)},
     {"CDFILIAL", "NRPEDIDOQUB"}},
    {"ITPEDIDOQUB",
     {text("CDFILIAL", 20), text("NRPEDIDOQUB", 20), text("NRITPEDIDOQUB", 20), text("CDSETOR", 20),
      text("NRSEQVENDA", 20), text("IDSITITPEDQUB", 1)},
     {"CDFILIAL", "NRPEDIDOQUB", "NRITPEDIDOQUB"}},
    // Production sectors: 'E', 'M' or 'P'.
    {"SETOR", {text("CDSETOR", 20), text("IDTIPOSETOR", 1)}, {}},
};

} // namespace
