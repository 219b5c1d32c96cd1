#pragma once

#include <QString>

class ClientDataSet;

// The recovery files of an open counter sale with a fiscal printer: the lines of the sale and
// the lines cancelled in it, each a whole data-packet file in the folder of parameter
// DSDIRCAD. Nothing in the sale screen reads them back; they are for whoever recovers a till
// after a crash, so a write never leaves half a file: the packet goes to a temporary file
// that replaces the old one only when complete.
namespace RecoveryFiles {

inline constexpr const char *Venda = "cdsVenda.cds";                     // cdsItems
inline constexpr const char *ItensCancelados = "cdsItensCancelados.cds"; // cdsItensCancelados
// The folder, beside them, of the cancellation records the base could not take yet; the
// settlement writes them when the base answers again.
inline constexpr const char *PendingRecords = "RegistrosPendentes";

// The file's path: DSDIRCAD (which ends with a separator) followed by the name, mapped onto
// the site the way every Windows-style path is.
QString path(const QString &DSDIRCAD, const char *fileName);

// Writes every row of the dataset to the file, creating the folder when it is missing.
// Throws std::runtime_error naming the file when it cannot be written; the previous file is
// then left whole.
void save(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName);

// Deletes the file when it exists. A failed deletion is logged and the file stays.
void remove(const QString &DSDIRCAD, const char *fileName);

} // namespace RecoveryFiles
