#include "srv_tabs.h"

#include "servercall.h"

#include <runtime/clock.h>

#include <QDebug>

namespace {

const Statement adqValidaMesa{"adqValidaMesa",
    "SELECT IDSTMESAAUX FROM MESA WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA AND NRMESA = :P_NRMESA"};

const Statement adqLugarMesa{"adqLugarMesa",
    "SELECT DISTINCT IDSTLUGARMESA FROM ITCOMANDAVEN WHERE CDFILIAL = :P_CDFILIAL "
    "AND NRVENDAREST = :P_NRVENDAREST AND NRLUGARMESA = :P_NRLUGARMESA AND IDSTLUGARMESA <> 'O'"};

const Statement adqNrPesMesa{"adqNrPesMesa", "SELECT NRMAXPESMES FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};

const Statement adqDtHrAberMesa{"adqDtHrAberMesa",
    "SELECT DTHRABERMESA FROM VENDAREST WHERE NRVENDAREST = :P_NRVENDAREST AND CDFILIAL = :P_CDFILIAL"};

const Statement adqOcorPed{"adqOcorPed",
    "SELECT DISTINCT O.CDGRPOCOR, O.CDOCORR, O.CDTIPRISCO, O.DSOCORR, P.CDPRODUTO, O.IDCONTROLAOBS "
    "FROM LOJA L JOIN OCORRENCIA O ON O.CDGRPOCOR = L.CDGRPOCORPED "
    "JOIN PRODOCORRE P ON P.CDGRPOCOR = O.CDGRPOCOR AND P.CDOCORR = O.CDOCORR "
    "WHERE L.CDFILIAL = :P_CDFILIAL AND L.CDLOJA = :P_CDLOJA AND P.CDPRODUTO = :P_CDPRODUTO "
    "ORDER BY O.CDOCORR"};

} // namespace

namespace Srv_Kal51000 {

bool getValidaMesa(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRMESA)
{
    ServerCall call;
    const Variant state = call.value(adqValidaMesa, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_NRMESA", NRMESA}},
                                     "IDSTMESAAUX");
    if (state.isFailure()) {
        qWarning().noquote() << "getValidaMesa:" << state.failureText();
        return false;
    }
    const QString text = state.toString().trimmed();
    return text != QLatin1String("S") && text != QLatin1String("D") && text != QLatin1String("R");
}

bool verificaIDSTLUGARMESA(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRLUGARMESA)
{
    return ServerCall().exists(adqLugarMesa,
                               {{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST}, {"P_NRLUGARMESA", NRLUGARMESA}},
                               {.found = false, .missing = true, .failed = false});
}

Variant getNrPesMesa(const QString &CDFILIAL)
{
    return ServerCall().packet(adqNrPesMesa, {{"P_CDFILIAL", CDFILIAL}});
}

// The caller adds the all-you-can-eat time limit to this and refuses items past it: the zero
// date of an unknown sale would refuse every item, so an unknown opening time is "now".
Variant GetDtHrAberMesa(const QString &CDFILIAL, const QString &NRVENDAREST)
{
    const Variant opened = ServerCall().value(adqDtHrAberMesa, {{"P_NRVENDAREST", NRVENDAREST}, {"P_CDFILIAL", CDFILIAL}},
                                              "DTHRABERMESA");
    if (opened.isFailure())
        qWarning().noquote() << "GetDtHrAberMesa:" << opened.failureText();
    bool ok = false;
    const QDateTime time = opened.isFailure() ? QDateTime() : opened.toDateTime(&ok);
    return ok && time.isValid() ? Variant(time) : Variant(Clock::now());
}

Variant getOcorPed(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqOcorPed, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_CDPRODUTO", CDPRODUTO}});
}

} // namespace Srv_Kal51000
