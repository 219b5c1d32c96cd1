#include "printerfailover.h"

#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

struct LineFormat
{
    int width;
    QChar mark;
};

// Width in characters and the letter that does not take a column, by backup printer model.
LineFormat formatOf(const QString &model)
{
    static const QHash<QString, LineFormat> formats{
        {"1", {36, 'w'}},  {"2", {42, 'w'}},  {"3", {48, 'w'}},  {"4", {48, 'w'}},  {"5", {42, 'm'}},
        {"6", {42, 'm'}},  {"7", {40, 'w'}},  {"8", {48, 'm'}},  {"9", {40, 'w'}},  {"10", {48, 'm'}},
        {"11", {40, 'm'}}, {"12", {48, 'w'}}, {"13", {40, 'm'}}, {"14", {40, 'm'}}, {"16", {40, 'm'}},
        {"17", {42, 'm'}}, {"18", {47, 'm'}}, {"19", {42, 'm'}}, {"21", {40, 'm'}}, {"22", {64, 'm'}},
        {"23", {60, 'i'}}, {"24", {47, 'm'}}, {"30", {47, 'm'}}, {"32", {47, 'm'}}, {"33", {47, 'm'}},
        {"34", {47, 'm'}}, {"35", {40, 'm'}}, {"36", {56, 'm'}}};
    return formats.value(model, LineFormat{40, 'm'});
}

bool loopback(const in_addr &address)
{
    return (ntohl(address.s_addr) >> 24) == 127;
}

QString dotted(const in_addr &address)
{
    char text[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &address, text, sizeof text) ? QString::fromLatin1(text) : QString();
}

QString resolvedAddress(const QString &host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return QString();
    QString address;
    for (addrinfo *one = found; one && address.isEmpty(); one = one->ai_next) {
        const in_addr ip = reinterpret_cast<sockaddr_in *>(one->ai_addr)->sin_addr;
        if (!loopback(ip))
            address = dotted(ip);
    }
    freeaddrinfo(found);
    return address;
}

QString interfaceAddress()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return QString();
    QString address;
    for (ifaddrs *one = list; one && address.isEmpty(); one = one->ifa_next) {
        if (!one->ifa_addr || one->ifa_addr->sa_family != AF_INET)
            continue;
        const in_addr ip = reinterpret_cast<sockaddr_in *>(one->ifa_addr)->sin_addr;
        if (!loopback(ip))
            address = dotted(ip);
    }
    freeifaddrs(list);
    return address;
}

} // namespace

QString PrinterFailover::FormatLineTextBakup(const QString &line, const QString &model)
{
    if (line.trimmed().isEmpty())
        return line;
    const LineFormat format = formatOf(model);
    QString measured = line;
    measured.remove(format.mark, Qt::CaseSensitive);
    if (measured.size() <= format.width)
        return line;
    const QString first = line.left(format.width);
    QString rest = line.mid(format.width);
    const bool marked = rest.contains(format.mark, Qt::CaseSensitive);
    rest.remove(format.mark, Qt::CaseSensitive);
    if (rest.isEmpty())
        return first;
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    static const QRegularExpression dashes(QStringLiteral("-{2,}"));
    rest.replace(blanks, QStringLiteral(" "));
    rest.replace(dashes, QStringLiteral("-"));
    if (rest == QLatin1String(" ") || rest == QLatin1String("-"))
        rest.clear();
    if (marked)
        rest += format.mark;
    return first + QStringLiteral("\r\n") + rest;
}

void PrinterFailover::LogErroImpNaoFiscal(const QString &text)
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    const QDateTime now = Clock::now();
    const QString year = SitePaths::resolve(QStringLiteral("dados\\LogImp00000NF\\LogImp00000NF")
                                            + now.toString(QStringLiteral("yyyy")));
    if (!QDir().mkpath(year))
        return; // the log must never stop the printing it reports on
    QFile file(QDir(year).filePath(QStringLiteral("LogImp00000NF") + now.toString(QStringLiteral("ddMMyy"))
                                   + QStringLiteral(".txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((PtBr::DateTimeToStr(now) + QStringLiteral(" - ") + text + QLatin1Char('\n')).toUtf8());
}

QString PrinterFailover::GetHost()
{
    char name[65] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return QStringLiteral("127.0.0.1");
    return QString::fromLocal8Bit(name);
}

QString PrinterFailover::GetIpAddress()
{
    // The host name first, as the network knows this machine; then the interfaces, since a
    // Debian hosts file gives the host name 127.0.1.1.
    const QString host = GetHost();
    QString address = resolvedAddress(host);
    if (address.isEmpty())
        address = interfaceAddress();
    return address.isEmpty() ? QStringLiteral("127.0.0.1") : address;
}
