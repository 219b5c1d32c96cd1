#include "orderserver.h"

#include <server/srv_lookups_products.h>
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
      })
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
