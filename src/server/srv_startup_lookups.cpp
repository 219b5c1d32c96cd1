#include "srv_startup_lookups.h"

#include "servercall.h"

#include <QDebug>

namespace {

const Statement adqDadosCRMBONUS{"adqDadosCRMBONUS",
    "SELECT IDCRMBONUS, CDURLCRMBONUS, CDAUTHCRMBONUS, CDCODECRMBONUS FROM LOJA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA"};
const Statement adqConsumidorDLV{"adqConsumidorDLV",
    "SELECT NMCONSUMIDOR FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqDadosResgSaldo{"adqDadosResgSaldo",
    "SELECT DSIDRESGS, DSSENHARESGS FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};

} // namespace

namespace Srv_Kal51000 {

Variant getDadosCRMBONUS(const QString &CDFILIAL, const QString &CDLOJA)
{
    return ServerCall().packet(adqDadosCRMBONUS, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}});
}

Variant getConsumidorDLV(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    const Variant answer = ServerCall().packet(adqConsumidorDLV, {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}});
    if (!answer.isFailure())
        return answer;
    // The answer stays an empty text as the screen expects, but the failure is not lost.
    qWarning().noquote() << "getConsumidorDLV:" << answer.failureText();
    return Variant(QString());
}

Variant getDadosResgSaldo(const QString &CDFILIAL)
{
    return ServerCall().packet(adqDadosResgSaldo, {{"P_CDFILIAL", CDFILIAL}});
}

} // namespace Srv_Kal51000
