#include "vendacons_export.h"

// The package's build, by name: a loader can ask it to tell which package it holds without
// calling into the sale.
extern "C" VENDACONS_EXPORT const char *VendaConsPackageVersion()
{
    return "VendaCons 0.1";
}
