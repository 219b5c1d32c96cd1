#include "schema.h"

namespace {

using namespace Schema;

// Branch, till and sale parameters.
const Area branch{
    {"FILIAL", {text("CDFILIAL", 20), text("NMFILIAL", 60), text("NRINSJURFILI", 20), text("CDEMPRESA", 20),
                text("IDENDEMISFIL", 1)},
     {"CDFILIAL"}},
    {"CAIXA", {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NMCAIXA", 60), text("IDLEITURAQRCODE", 1),
               text("IDVISTELPED", 1), text("IDIMPPESAGEM", 1), text("NRCONFTELA", 20), text("IDIMPQRTOPDATA", 1),
               text("NRSEQIMPRLOJA1", 20), text("NRSEQIMPRLOJA1BK", 20), text("NRSEQIMPRLOJA2", 20),
               text("NRSEQIMPRLOJA2BK", 20), text("NRSEQIMPRLOJA5", 20), text("NRSEQIMPRLOJA5BK", 20)},
     {"CDFILIAL", "CDCAIXA"}},
    {"PARAVEND", {text("CDFILIAL", 20), text("CDCLIENTE", 20), text("CDTABEPREC", 20), number("NRMAXPESMES", 15, 3),
                  number("VRCONVPONTO"), text("IDDTEMISCANC", 1), text("DSIDRESGS", 100), text("DSSENHARESGS", 100),
                  text("DSLOGINAME", 100), text("DSSENHAAME", 100), number("VRCASHBACK"), text("DSLOGINAMEHOM", 100),
                  text("DSSENHAAMEHOM", 100), text("IDAMBIENTEAME", 1), text("DSURLSERVAME", 255),
                  text("IDAMBTRABNFCE", 1), text("NRCERTDIGNFCE", 100), text("CDURLWSNFC", 255),
                  text("CDVERSAOXMLNFCE", 10), integer("NRTIMEOUTNFCE"), text("CDVERSAOQRCNFCE", 10),
                  text("IDCANCEXTNFCE", 1)},
     {"CDFILIAL"}},
};

} // namespace
