#include "schema.h"

namespace {

using namespace Schema;

// Running numbers and first-of-the-day markers; the key holds texts such as
// "NFCEPRIM_" + branch + series + "-" + date + "_AMB" + environment, longer than 16.
const Area counters{
    {"NOVOCODIGO", {text("CDCONTADOR", 100), text("NRSEQUENCIAL", 20)}, {"CDCONTADOR"}},
};

} // namespace
