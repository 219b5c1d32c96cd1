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

// A file that grows one row at a time: beside the file, its journal ("<file>.jnl") takes each
// row added after the file was written as one record, appended and flushed to the disk on its
// own, so the 500th row costs what the first did. The journal names the file it follows (a
// digest of its bytes and the fields), so a journal left from an earlier file is never
// applied to a newer one; writing the whole file again starts an empty journal.
QString journalName(const QString &fileName);
// Writes the whole packet as save() does (same answers), then starts an empty journal after
// it. A journal that cannot be started is deleted; the next appendRow then answers false.
bool saveJournaled(const QString &fileName, const DataPacket &packet, QString *error = nullptr);
// Appends row `index` of a packet with these fields to the file's journal, flushed to the
// disk. Answers false, with file and journal as they were, when the journal does not follow
// the file as it is now (none, the file written since, other fields, or `index` is not the
// next row) or the disk refuses the record: the caller then writes the whole packet.
bool appendRow(const QString &fileName, const QList<FieldDef> &fields, int index, const QList<Variant> &row,
               QString *error = nullptr);
// The file with the rows of its journal. A journal of an earlier file is left aside, and so is
// a torn last record (the process stopped in the middle of appending it); `note` then says
// which. A file refused by load(), or a journal damaged anywhere but at its end, is refused
// with a reason that names it: no row is dropped without a word.
bool loadJournaled(const QString &fileName, DataPacket *packet, QString *error = nullptr, QString *note = nullptr);
// Deletes the journal, then the file (either may be missing); false, naming it, when one stays.
bool removeJournaled(const QString &fileName, QString *error = nullptr);

} // namespace CdsFile
