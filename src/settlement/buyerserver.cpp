#include "buyerserver.h"

#include <utility>

namespace {

Variant notAvailable(const char *function)
{
    return Variant::failure(QStringLiteral("Função do servidor não disponível: %1").arg(QLatin1String(function)));
}

} // namespace

BuyerServer::BuyerServer()
    : getCadConsumidor([](const QString &, const QString &, const QString &, const QString &, const QString &) {
          return notAvailable("getCadConsumidor");
      }),
      getNomeCons([](const QString &, const QString &) { return notAvailable("getNomeCons"); })
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
