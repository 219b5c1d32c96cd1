#include "vendacons_export.h"

// The host checks this before it calls anything else, so a stale or foreign library is
// refused with a clear message instead of a crash.
extern "C" VENDACONS_EXPORT const char *VendaConsPackageVersion()
{
    return "VendaCons 0.1";
}
