#pragma once

#include <runtime/variant.h>

#include <QString>

#include <functional>

// The consumer-register lookups the buyer of an item asks the server for, as one replaceable
// table; tests replace its members. The defaults ask the server's consumer lookup by client
// and consumer.
struct BuyerServer
{
    BuyerServer();

    // The consumer register rows of the consumer (NMCONSUMIDOR, NRCPFRESPCON, ...) as a packet.
    std::function<Variant(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                          const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER)>
        getCadConsumidor;
    // The name of the active consumer; empty when there is none.
    std::function<Variant(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)> getNomeCons;
};

BuyerServer &buyerServer();

class ScopedBuyerServer
{
public:
    explicit ScopedBuyerServer(BuyerServer replacement);
    ~ScopedBuyerServer();
    ScopedBuyerServer(const ScopedBuyerServer &) = delete;
    ScopedBuyerServer &operator=(const ScopedBuyerServer &) = delete;

private:
    BuyerServer m_previous;
};
