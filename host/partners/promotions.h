#pragma once

#include <outside/pkg_hrk00002.h>

// The host's promotions integration (IntegracaoPromo): every operation is one JSON POST to the
// service address the till's parameters give (CDURLINTEPROMO); the protocol is in README.md.
// A service that refuses the connection, answers an HTTP error, does not answer within the
// time-out, or answers something other than the protocol's JSON gives `answered` false and
// the reason in `failure`; nothing is thrown.
namespace Promotions {

PromoAnswer IntegracaoPromo(const PromoRequest &request);

// How long one exchange may take (15 s by default); tests shorten it.
void setTimeoutMs(int milliseconds);
int timeoutMs();

// The largest answer read (1 MiB): a bigger body counts as garbage.
inline constexpr qint64 MaxAnswerBytes = 1 << 20;

// The address "demo" names the demo promotions service the host runs on 127.0.0.1 (started
// on first use); any other address is used as it stands.
QString resolvedUrl(const QString &url);

} // namespace Promotions
