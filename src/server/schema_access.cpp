#include "schema.h"

namespace {

using namespace Schema;

const Area access{
    {"LOGACESSO", {text("CDOPERADOR", 20), dateTime("DTHRACESSO"), text("DSSISTEMA", 20)}, {}},
};

} // namespace
