#include "orderserver.h"

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
      // The server layer has no count of today's basic products yet; until it has, the check
      // reports the missing function and lets the item through.
      getProdBasVenDia([](const QString &, const QString &, const QString &, const QString &) {
          return notInstalled(QStringLiteral("getProdBasVenDia"));
      }),
      getPromoCombAux(&Srv_Kal51000::getPromoCombAux),
      getValidaMesa(&Srv_Kal51000::getValidaMesa),
      getAcresMesa(&Srv_Kal51000::getAcresMesa),
      setGravaAcrescimo(&Srv_Kal51000::setGravaAcrescimo),
      getGeraPedido(&Srv_Kal51000::getGeraPedido),
      setGeraDesistencia(&Srv_Kal51000::setGeraDesistencia),
      // The server layer answers the consumer's name by client and consumer whatever its
      // situation; the branch and the active-consumer switches do not narrow it yet.
      getCadConsumidor([](const QString &, const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &,
                          const QString &) { return Srv_Kal51000::getConsumidorDLV(CDCLIENTE, CDCONSUMIDOR); }),
      // No server function describes a delivery or reserved tab's consumer yet: the name found
      // from the consumer register or the first line stays.
      getDsConsumidor([](const QString &, const QString &, const QString &, const QString &) { return QString(); })
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
