#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

namespace Srv_Kal51000 {

// One row into LOGACESSO for the operator, now, system "Zmq". Empty, or the failure.
VENDACONS_EXPORT Variant setLogAcesso(const QString &CDOPERADOR);

} // namespace Srv_Kal51000
