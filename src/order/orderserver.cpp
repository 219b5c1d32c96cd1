#include "orderserver.h"

#include <server/srv_consumers.h>
#include <server/srv_lookups_products.h>
#include <server/srv_orders.h>
#include <server/srv_startup_lookups.h>
#include <server/srv_lookups_tills.h>
#include <server/srv_tabs.h>

OrderServer::OrderServer()
    : getVerificaImpVariavel(&Srv_Kal51000::getVerificaImpVariavel),
      getCdGruPromoc([](const QString &CDFILIAL, const QString &CDPRODUTO, const QString &CDPRODPROMOCAO) {
          return Variant(Srv_Kal51000::getCdGruPromoc(CDFILIAL, CDPRODUTO, CDPRODPROMOCAO));
      }),
      getOcorPed(&Srv_Kal51000::getOcorPed),
      getTipoSaldoProd(&Srv_Kal51000::getTipoSaldoProd),
      getDsOcorr(&Srv_Kal51000::getDsOcorr),
      getProdBasVenDia(&Srv_Kal51000::getProdBasVenDia),
      getPromoCombAux(&Srv_Kal51000::getPromoCombAux),
      getValidaMesa(&Srv_Kal51000::getValidaMesa),
      getAcresMesa(&Srv_Kal51000::getAcresMesa),
      setGravaAcrescimo(&Srv_Kal51000::setGravaAcrescimo),
      getGeraPedido(&Srv_Kal51000::getGeraPedido),
      setGeraDesistencia(&Srv_Kal51000::setGeraDesistencia),
      getCadConsumidor(&Srv_Kal51000::getCadConsumidor),
      getDsConsumidor(&Srv_Kal51000::getDsConsumidor)
{
}

Variant OrderServer::notInstalled(const QString &name)
{
    return Variant::failure(QStringLiteral("função do servidor não instalada: %1").arg(name));
}

OrderServer &orderServer()
{
    static OrderServer table;
    return table;
}

ScopedOrderServer::ScopedOrderServer(OrderServer replacement)
    : m_previous(orderServer())
{
    orderServer() = std::move(replacement);
}

ScopedOrderServer::~ScopedOrderServer()
{
    orderServer() = std::move(m_previous);
}
