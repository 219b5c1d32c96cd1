#include "srv_salecancel.h"

namespace Srv_Kal51000 {

namespace {
Variant notBuilt(const char *name)
{
    return Variant::failure(QStringLiteral("%1: não disponível neste servidor.").arg(QLatin1String(name)));
}
} // namespace

Variant getVendaNFisc(const SaleCancelRequest &)
{
    return notBuilt("getVendaNFisc");
}

Variant getItemsCancelados(const QString &, const QString &, const QString &)
{
    return notBuilt("getItemsCancelados");
}

Variant getItemsCanceladosEst(const QString &, const QString &, const QString &)
{
    return notBuilt("getItemsCanceladosEst");
}

Variant getVendaCanNFCe(const QString &, const QString &, const QString &, const QDateTime &)
{
    return notBuilt("getVendaCanNFCe");
}

Variant getObrigaObsCan(const QString &, const QString &)
{
    return notBuilt("getObrigaObsCan");
}

Variant getIDDTEMISCANC(const QString &)
{
    return notBuilt("getIDDTEMISCANC");
}

} // namespace Srv_Kal51000
