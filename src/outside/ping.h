#pragma once

#include <QString>

#include <functional>

// ICMP echo to a host (the network-printer check). Linux lets a process send echo requests
// through an unprivileged "ping" socket when net.ipv4.ping_group_range admits its group, or
// through a raw socket when it runs as root; when neither is allowed, the system's ping
// program (which holds the capability) is asked instead, and that is logged once.
namespace Ping {

struct Result
{
    bool replied = false; // an echo reply with data came back in time
    QString error;        // why no request could be sent ("" when one was sent)
};

// Sends one echo request to `host` (name or IPv4 address) and waits at most `timeoutMs`.
Result echo(const QString &host, int timeoutMs);

// Replaces echo() (tests script the answers); an empty function restores the real one.
void setEcho(std::function<Result(const QString &host, int timeoutMs)> echo);

} // namespace Ping
