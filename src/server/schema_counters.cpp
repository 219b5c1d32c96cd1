#include "schema.h"

namespace {

using namespace Schema;

// Running numbers and first-of-the-day markers; the key holds texts such as
// "NFCEPRIM_" + branch + series + "-" + date + "_AMB" + environment, longer than 16.
const Area counters{
    {"NOVOCODIGO", {text("CDCONTADOR", 100), text("NRSEQUENCIAL", 20)}, {"CDCONTADOR"}},
    // A pager number taken for a sale of the branch on a day: the key lets one till have it,
    // however many draw it at the same moment.
    {"SENHAPEDRESERVA", {text("CDFILIAL", 20), text("DTSENHAPED", 10), text("CDSENHAPED", 20), text("CDCAIXA", 20)},
     {"CDFILIAL", "DTSENHAPED", "CDSENHAPED"}},
};

} // namespace
