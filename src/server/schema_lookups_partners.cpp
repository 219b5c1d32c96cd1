#include "schema.h"

namespace {

using namespace Schema;

// Z reductions, cash movements and partner settings read by the fiscal and partner lookups.
const Area lookupsPartners{
    {"REDUCAOZ",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), dateTime("DTREDUCAOZ"), text("NRREDREDZ", 20),
      text("NRREINIREDZ", 20), number("VRVENBRUREDZ"), number("VRGTREDZ")},
     {}},
    {"MOVCAIXA",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUMOVI", 20),
      dateTime("DTABERCAIX"), text("CDTIPORECE", 20), number("VRMOVIVEND"), text("NRCONTROLTEF", 60),
      text("IDTRANSAME", 100), text("IDTRANSAMECAPT", 100)},
     {}},
    {"LOJA",
     {text("CDFILIAL", 20), text("CDLOJA", 20), text("IDUTLINTEGCOM", 1), text("CDBRANDIDGCOM", 3),
      text("CDURLGCOM", 250), text("IDCRMBONUS", 1), text("CDURLCRMBONUS", 255), text("CDAUTHCRMBONUS", 255),
      text("CDCODECRMBONUS", 100)},
     {"CDFILIAL", "CDLOJA"}},
    {"GERPARAMGERAL", {text("IDTOKENAPIGCOM", 250)}, {}},
};

} // namespace
