#include "buyerserver.h"

#include <server/srv_consumers.h>

#include <utility>

BuyerServer::BuyerServer()
    : getCadConsumidor(&Srv_Kal51000::getCadConsumidor),
      getNomeCons(&Srv_Kal51000::getNomeCons)
{
}

BuyerServer &buyerServer()
{
    static BuyerServer table;
    return table;
}

ScopedBuyerServer::ScopedBuyerServer(BuyerServer replacement)
    : m_previous(std::exchange(buyerServer(), std::move(replacement)))
{
    BuyerServer defaults;
    if (!buyerServer().getCadConsumidor)
        buyerServer().getCadConsumidor = defaults.getCadConsumidor;
    if (!buyerServer().getNomeCons)
        buyerServer().getNomeCons = defaults.getNomeCons;
}

ScopedBuyerServer::~ScopedBuyerServer()
{
    buyerServer() = std::move(m_previous);
}
