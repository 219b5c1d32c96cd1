#include "startupserver.h"

namespace {

template <class... Args>
std::function<Variant(Args...)> missing(const char *name)
{
    const QString routine = QString::fromLatin1(name);
    return [routine](Args...) { return StartupServer::notInstalled(routine); };
}

} // namespace

StartupServer::StartupServer()
    : getDadosCRMBONUS(missing<const QString &, const QString &>("getDadosCRMBONUS")),
      getVisualizaTelPed(missing<const QString &, const QString &>("getVisualizaTelPed")),
      getConfigCaixa(missing<const QString &, const QString &>("getConfigCaixa")),
      getConsumidorDLV(missing<const QString &, const QString &>("getConsumidorDLV")),
      getSenhaPed(missing<const QString &, const QString &, const QString &>("getSenhaPed")),
      GetDtHrAberMesa(missing<const QString &, const QString &>("GetDtHrAberMesa")),
      setPromoCombAux(missing<const QString &, const QString &>("setPromoCombAux")),
      getIDUTCUPOMDESC(missing<>("getIDUTCUPOMDESC")),
      getCampanha(missing<const QString &>("getCampanha")),
      getImpBackup(missing<const QString &, const QString &>("getImpBackup")),
      getDadosResgSaldo(missing<const QString &>("getDadosResgSaldo")),
      getImpPesagem(missing<const QString &, const QString &>("getImpPesagem"))
{
}

Variant StartupServer::notInstalled(const QString &name)
{
    return Variant::failure(QStringLiteral("função do servidor não instalada: %1").arg(name));
}

StartupServer &startupServer()
{
    static StartupServer table;
    return table;
}

ScopedStartupServer::ScopedStartupServer(StartupServer replacement)
    : m_previous(startupServer())
{
    startupServer() = std::move(replacement);
}

ScopedStartupServer::~ScopedStartupServer()
{
    startupServer() = std::move(m_previous);
}
