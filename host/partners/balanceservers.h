#pragma once

#include <outside/pkg_hrk00002.h>

class FakePartners;

// The consumer-balance services of a till whose credit statement is online (IDEXTCONSONLINE)
// or whose balances live on a central base (IDEXTCONSCENTRAL, IDDEBCONSCENTRAL). Each routine
// is a JSON POST over HTTP: the online statement to the till's CDURLWSEXTCONS, the central base
// to the address of Dados/Parceiros.ini ([central] endereco). A service that does not answer,
// answers an HTTP error or a body that is no answer reads as "not reached" (`answered` false),
// which the sale reports as the server's failure.
//
// The demo host serves both beside the screen as endpoints of its fake partner server
// ("/extrato", "/central"), answering from the site's own base through the server layer's
// consumer functions: the same figures the till reads when both switches are off.
namespace BalanceServers {

StatementAnswer ExtratoConsOnline(const OnlineStatementRequest &request, ClientDataSet &dataset);
StatementAnswer ExtratoConsCentral(const CentralStatementRequest &request);
StatementAnswer MoviclieCentral(const CentralMovementRequest &request);
HostResult AtuSaldoExtCons(const ConsumerKey &request);
HostResult AtuSaldoDebCons(const DebitBalanceRefreshRequest &request);
HostResult UpdMoviclieCentral(const CentralMovementUpdate &request);
BonusLoadAnswer CargaCreditoBonus(const BonusLoadRequest &request);

// The central base's address the site names ("" when none).
QString centralAddress();

// Installs the two servers' handlers on the demo's fake partner server.
void serve(FakePartners &partners);

} // namespace BalanceServers
