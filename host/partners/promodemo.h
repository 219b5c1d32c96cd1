#pragma once

#include <QString>

// The demo promotions service: a small HTTP server on 127.0.0.1 (an ephemeral port) that
// speaks the promotions protocol of README.md, so the demo site's promotions button works
// without any outside service. It offers one promotion on any cart: "Combo refrigerante", a cola
// can added at 3.00. Started on first use, in the host's
// process; it lives as long as the process.
namespace PromoDemo {

// "http://127.0.0.1:<port>/promocoes"; empty when the server could not listen.
QString url();

} // namespace PromoDemo
