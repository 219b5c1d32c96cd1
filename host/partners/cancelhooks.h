#pragma once

#include <outside/pkg_hrk00002.h>

// The host's hooks that a cancelled sale's partners hear from: online loyalty, gift voucher,
// core banking, Vimo and FixeCRM. Each posts JSON to the till's configured address plus its
// path (host/README.md). An unreachable partner, an HTTP error or an answer that is not the
// protocol's JSON object is no answer (`answered` false); element 0 is the partner's verdict
// (True = done; the online loyalty's message text).
namespace CancelHooks {

PartnerAnswer FidelidadeOnline(const OnlineLoyaltyNotice &notice);
PartnerAnswer ValePresente(const GiftVoucherNotice &notice);
PartnerAnswer CoreBancario(const CoreBankingNotice &notice);
PartnerAnswer FidelidadeVimo(const VimoNotice &notice);
PartnerAnswer FixeCRM(const FixeCrmNotice &notice);

} // namespace CancelHooks
