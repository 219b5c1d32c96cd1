#pragma once

#include <QString>

class ClientDataSet;
struct DataPacket;

// The recovery files of an open counter sale: the lines of the sale and the lines cancelled in
// it, each a data-packet file in the folder of parameter DSDIRCAD. Nothing in the sale screen
// reads them back; they are for whoever recovers a till after a crash. A file is written whole
// to a temporary file that replaces the old one only when complete; the lines added after it go
// one record a line to its journal beside it, so a line costs the same however long the sale
// is, and each is on the disk when the call returns.
namespace RecoveryFiles {

inline constexpr const char *Venda = "cdsVenda.cds";                     // cdsItems
inline constexpr const char *ItensCancelados = "cdsItensCancelados.cds"; // cdsItensCancelados
// The folder, beside them, of the cancellation records the base could not take yet; the
// settlement writes them when the base answers again.
inline constexpr const char *PendingRecords = "RegistrosPendentes";

// The file's path: DSDIRCAD (which ends with a separator) followed by the name, mapped onto
// the site the way every Windows-style path is.
QString path(const QString &DSDIRCAD, const char *fileName);

// Writes every row of the dataset to the file, creating the folder when it is missing, and
// starts its journal afresh. Throws std::runtime_error naming the file when it cannot be
// written; the previous file and journal are then left as they were.
void save(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName);

// The row just posted to the dataset (its current row), after a save or appendLast of every
// row before it: one record in the journal. Where the journal does not follow the file (none
// yet, rows added or changed in between, the disk refused the record) the whole file is
// written instead, as save does.
void appendLast(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName);

// The rows on disk: the file with its journal. False with the reason (naming the file) when it
// is missing or damaged; `note` tells of a torn last record left out.
bool load(const QString &DSDIRCAD, const char *fileName, DataPacket *packet, QString *error = nullptr,
          QString *note = nullptr);

// Deletes the file and its journal when they exist. A failed deletion is logged and the file stays.
void remove(const QString &DSDIRCAD, const char *fileName);

} // namespace RecoveryFiles
