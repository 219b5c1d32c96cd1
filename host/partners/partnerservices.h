#pragma once

#include <outside/pkg_hrk00002.h>
#include <runtime/datapacket.h>

#include <QString>

// The host's 4ALL and UDS cashback routines, over HTTP to the partner's address (the protocol
// is in host/README.md). An unreachable partner, an HTTP error or an answer that is not the
// protocol's JSON is no answer (`answered` false): the screen then says it could not connect.
namespace PartnerServices {

Fid4AllAnswer IntegracaoFid4All(const Fid4AllRequest &request);
UdsAnswer IntegracaoFidUds(const UdsRequest &request);

// The cashback of a saved sale, posted to the partner the sale consulted: once per sale, keyed
// by branch, desk and sale (the partner applies a key once). Nothing is posted for a sale
// without a cashback value. A failure goes to the host log; the sale stays saved.
void postCashbackUses(const QString &cdFilial, const QString &cdCaixa, const QString &nrSeqVenda,
                      const DataPacket &saleRows);

// The address each partner was last consulted at (the till's parameter): where the use goes.
QString &lastAddress(const QString &partner);

} // namespace PartnerServices
