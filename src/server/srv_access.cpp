#include "srv_access.h"

#include "servercall.h"

#include <runtime/clock.h>

namespace {

const Statement acmInsLogAcesso{"acmInsLogAcesso",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, :DSSISTEMA)"};

} // namespace

namespace Srv_Kal51000 {

Variant setLogAcesso(const QString &CDOPERADOR)
{
    return ServerCall().write(acmInsLogAcesso, {{"CDOPERADOR", CDOPERADOR},
                                                {"DTHRACESSO", Clock::now()},
                                                {"DSSISTEMA", "Zmq"}});
}

} // namespace Srv_Kal51000
