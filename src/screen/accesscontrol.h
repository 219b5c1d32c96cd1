#pragma once

#include <runtime/variant.h>

#include <functional>

// The server question the button access control asks on every run: whether a receipt type
// "E" (credit charge on a card) is registered. A replaceable table like the start-up's: the
// server layer's function by default; tests replace it.
struct AccessServer
{
    AccessServer(); // the server layer's function
    std::function<Variant()> getCartaoCHART;
};

// The process's table.
AccessServer &accessServer();

// Installs a table for the life of the scope and puts the previous one back afterwards.
class ScopedAccessServer
{
public:
    explicit ScopedAccessServer(AccessServer replacement);
    ~ScopedAccessServer();
    ScopedAccessServer(const ScopedAccessServer &) = delete;
    ScopedAccessServer &operator=(const ScopedAccessServer &) = delete;

private:
    AccessServer m_previous;
};
