#include "settlementserver.h"

#include <server/srv_lookups_tills.h>
#include <server/srv_passwords.h>

#include <QRandomGenerator>

SettlementServer::SettlementServer()
    : getSenhaCupom(Srv_Kal51000::getSenhaCupom),
      getSenhaUtil(Srv_Kal51000::getSenhaUtil),
      getSenhaRandonExist(Srv_Kal51000::getSenhaRandonExist),
      ReiniciaSenhaCupom(Srv_Kal51000::ReiniciaSenhaCupom),
      random([](int bound) { return bound <= 0 ? 0 : int(QRandomGenerator::global()->bounded(bound)); })
{
}

SettlementServer &settlementServer()
{
    static SettlementServer table;
    return table;
}

ScopedSettlementServer::ScopedSettlementServer(SettlementServer replacement) : m_previous(settlementServer())
{
    settlementServer() = std::move(replacement);
}

ScopedSettlementServer::~ScopedSettlementServer()
{
    settlementServer() = std::move(m_previous);
}
