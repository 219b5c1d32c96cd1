#include "startupserver.h"

#include <server/srv_lookups_products.h>
#include <server/srv_consumers.h>
#include <server/srv_lookups_products.h>
#include <server/srv_lookups_tills.h>
#include <server/srv_loyalty.h>
#include <server/srv_startup_lookups.h>
#include <server/srv_tabs.h>

// The real server functions. Those of the field-text and check forms answer plain texts or
// Booleans; they travel here as values.
StartupServer::StartupServer()
    : getDadosCRMBONUS(&Srv_Kal51000::getDadosCRMBONUS),
      getVisualizaTelPed(&Srv_Kal51000::getVisualizaTelPed),
      getConfigCaixa([](const QString &CDFILIAL, const QString &CDCAIXA) {
          return Variant(Srv_Kal51000::getConfigCaixa(CDFILIAL, CDCAIXA));
      }),
      getConsumidorDLV(&Srv_Kal51000::getConsumidorDLV),
      getSenhaPed([](const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST) {
          return Variant(Srv_Kal51000::getSenhaPed(CDFILIAL, NRCOMANDA, NRVENDAREST));
      }),
      GetDtHrAberMesa(&Srv_Kal51000::GetDtHrAberMesa),
      setPromoCombAux(&Srv_Kal51000::setPromoCombAux),
      getIDUTCUPOMDESC([] { return Variant(Srv_Kal51000::getIDUTCUPOMDESC()); }),
      getCampanha([](const QString &CDFILIAL) { return Variant(Srv_Kal51000::getCampanha(CDFILIAL)); }),
      getImpBackup(&Srv_Kal51000::getImpBackup),
      getDadosResgSaldo(&Srv_Kal51000::getDadosResgSaldo),
      getImpPesagem([](const QString &CDFILIAL, const QString &CDCAIXA) {
          return Variant(Srv_Kal51000::getImpPesagem(CDFILIAL, CDCAIXA));
      }),
      getOcorPed(&Srv_Kal51000::getOcorPed),
      getDsOcorr(&Srv_Kal51000::getDsOcorr),
      getCuponsValidos(&Srv_Kal51000::getCuponsValidos),
      // The screen passes the tab before the store; the server takes the store third.
      setValidaPedido([](const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                         const QString &CDLOJA) {
          return Srv_Kal51000::setValidaPedido(CDFILIAL, NRVENDAREST, CDLOJA, NRCOMANDA);
      }),
      getNrPesMesa(&Srv_Kal51000::getNrPesMesa),
      getEmailCons([](const QString &CDCLIENTE, const QString &CDCONSUMIDOR) {
          return Variant(Srv_Kal51000::getEmailCons(CDCLIENTE, CDCONSUMIDOR));
      })
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
