#include "buyerserver.h"

#include <runtime/datapacket.h>
#include <server/srv_startup_lookups.h>

#include <utility>

namespace {

// The name of the consumer in the register's answer; empty when there is none.
Variant consumerName(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    const Variant answer = Srv_Kal51000::getConsumidorDLV(CDCLIENTE, CDCONSUMIDOR);
    if (!answer.isPacket() || answer.packet().rows.isEmpty())
        return Variant(QString());
    return answer.packet().value(0, "NMCONSUMIDOR");
}

} // namespace

// The server layer answers the consumer by client and consumer whatever its situation; the
// branch and the active-consumer switches do not narrow it yet.
BuyerServer::BuyerServer()
    : getCadConsumidor([](const QString &, const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &,
                          const QString &) { return Srv_Kal51000::getConsumidorDLV(CDCLIENTE, CDCONSUMIDOR); }),
      getNomeCons(&consumerName)
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
