#include "ping.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::function<Ping::Result(const QString &, int)> &override()
{
    static std::function<Ping::Result(const QString &, int)> function;
    return function;
}

bool resolve(const QString &host, sockaddr_in *address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return false;
    *address = *reinterpret_cast<sockaddr_in *>(found->ai_addr);
    freeaddrinfo(found);
    return true;
}

quint16 checksum(const unsigned char *data, size_t length)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (length % 2)
        sum += quint32(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

// Waits for the echo reply of `sequence`; a raw socket also sees the IP header and every
// other ICMP message of the machine, so both are skipped.
bool awaitReply(int fd, bool raw, quint16 sequence, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    unsigned char buffer[1500];
    for (;;) {
        const int left = timeoutMs - int(timer.elapsed());
        pollfd waiting{fd, POLLIN, 0};
        if (left <= 0 || poll(&waiting, 1, left) <= 0)
            return false;
        const ssize_t size = recv(fd, buffer, sizeof buffer, 0);
        if (size <= 0)
            continue;
        size_t offset = raw ? size_t(buffer[0] & 0x0f) * 4 : 0;
        if (size_t(size) < offset + sizeof(icmphdr))
            continue;
        const auto *reply = reinterpret_cast<const icmphdr *>(buffer + offset);
        if (reply->type == ICMP_ECHOREPLY && ntohs(reply->un.echo.sequence) == sequence)
            return size_t(size) > offset + sizeof(icmphdr);
    }
}

bool sendEcho(int fd, const sockaddr_in &address, quint16 sequence)
{
    unsigned char packet[sizeof(icmphdr) + 32] = {};
    auto *header = reinterpret_cast<icmphdr *>(packet);
    header->type = ICMP_ECHO;
    header->un.echo.id = htons(quint16(getpid()));
    header->un.echo.sequence = htons(sequence);
    std::memcpy(packet + sizeof(icmphdr), "VendaCons printer check........", 32);
    header->checksum = htons(checksum(packet, sizeof packet));
    return sendto(fd, packet, sizeof packet, 0, reinterpret_cast<const sockaddr *>(&address), sizeof address) > 0;
}

// Falls back on the system's ping program, which holds the capability we lack.
Ping::Result viaProgram(const QString &host, int timeoutMs)
{
    static bool told = false;
    if (!told) {
        qWarning() << "Ping: ICMP sockets are not allowed for this process; using the system ping program";
        told = true;
    }
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ping"));
    if (program.isEmpty())
        return {false, QStringLiteral("ICMP não permitido e o programa ping não existe")};
    QProcess ping;
    ping.start(program, {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-W"),
                         QString::number(qMax(1, (timeoutMs + 999) / 1000)), host});
    if (!ping.waitForFinished(timeoutMs + 1000)) {
        ping.kill();
        ping.waitForFinished(1000);
        return {false, QString()};
    }
    return {ping.exitStatus() == QProcess::NormalExit && ping.exitCode() == 0, QString()};
}

Ping::Result realEcho(const QString &host, int timeoutMs)
{
    sockaddr_in address{};
    if (!resolve(host, &address))
        return {false, QStringLiteral("endereço desconhecido: %1").arg(host)};
    bool raw = false;
    int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    if (fd < 0) {
        raw = true;
        fd = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    }
    if (fd < 0)
        return viaProgram(host, timeoutMs);
    static quint16 sequence = 0;
    ++sequence;
    const bool replied = sendEcho(fd, address, sequence) && awaitReply(fd, raw, sequence, timeoutMs);
    close(fd);
    return {replied, QString()};
}

} // namespace

namespace Ping {

Result echo(const QString &host, int timeoutMs)
{
    return override() ? override()(host, timeoutMs) : realEcho(host, timeoutMs);
}

void setEcho(std::function<Result(const QString &, int)> echo)
{
    override() = std::move(echo);
}

} // namespace Ping
