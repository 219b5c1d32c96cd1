#pragma once

#include <vendacons_export.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QList>

// What the sale screen expects of the till's local files, for whoever writes them (the
// stand-in host's demo site): the layout of the parameter file and the key of the values the
// files keep enciphered.
namespace TillFiles {

// The key of the values the local files store enciphered (Criptografa): the SAT activation
// code of AberturaCaixa.cds and the checksum of LUMBERA.CDS.
inline constexpr int CipherKey = 51000;

// One column of the parameter file (PARAMETROSQUB.CDS): its field, and the value it holds when
// nothing is set ("" for texts, "N" for flags, 0 for numbers, null for dates).
struct ParameterColumn
{
    FieldDef field;
    Variant empty;
};

// The parameter file's columns in file order, as the start-up reads them.
VENDACONS_EXPORT QList<ParameterColumn> parameterColumns();

} // namespace TillFiles
