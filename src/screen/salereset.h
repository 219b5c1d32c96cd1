#pragma once

#include <QString>

struct Parameters;

// The recovery files of an open counter sale with a fiscal printer: the sale's lines and its
// cancelled lines, as data-packet files in the folder of the parameter DSDIRCAD (which ends
// with a path separator; the name is appended directly). The item road writes cdsVenda.cds
// after each added line; the sale reset brings both in line and deletes them.
namespace RecoveryFiles {

inline const QString cdsVenda = QStringLiteral("cdsVenda.cds");
inline const QString cdsItensCancelados = QStringLiteral("cdsItensCancelados.cds");

// The path on this machine of one of the two files, for the parameters in force.
QString path(const Parameters &params, const QString &fileName);

} // namespace RecoveryFiles
