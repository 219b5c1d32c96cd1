#pragma once

#include <vendacons_export.h>

#include "datapacket.h"

#include <QByteArray>
#include <QString>

// The file form of a data packet (".cds" files): the XML data-packet layout
//   <DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname=".." fieldtype=".." WIDTH=".."/>
//   </FIELDS><PARAMS/></METADATA><ROWDATA><ROW CDPRODUTO="0101" .../></ROWDATA></DATAPACKET>
// in UTF-8. Field types: "string" (WIDTH), "fixed" (WIDTH), "bin.hex" SUBTYPE="Text" (memo),
// "i4", "r8", "r8" SUBTYPE="Money" (currency), "boolean", "dateTime". A null value is an
// absent attribute; numbers use a decimal point; dates are written "20240131T13:45:10000"
// (milliseconds last). Control characters, which XML cannot carry, are escaped with U+E000.
//
// Every function answers false with a reason that names the file (when there is one) and
// leaves its output untouched on failure; nothing here throws.
namespace CdsFile VENDACONS_EXPORT {

bool write(const DataPacket &packet, QByteArray *xml, QString *error = nullptr);
bool read(const QByteArray &xml, DataPacket *packet, QString *error = nullptr);

// Writes to a temporary file renamed over the old one only when complete, so a crash or a
// full disk never leaves half a file. The folder must exist.
bool save(const QString &fileName, const DataPacket &packet, QString *error = nullptr);
// A missing, unreadable, truncated or corrupt file is refused as a whole.
bool load(const QString &fileName, DataPacket *packet, QString *error = nullptr);

} // namespace CdsFile
