#pragma once

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

#include <functional>

// The server functions the settlement Parts built so far call, as one replaceable table: by
// default the server layer's own (Srv_Kal51000); tests replace members. Also the random
// source of the pager numbers, so a test can choose the draws.
struct SettlementServer
{
    SettlementServer(); // every member holds the server layer's function

    // Order pager numbers.
    std::function<Variant(const QString &CDFILIAL, const QDateTime &date)> getSenhaCupom;
    std::function<QString(const QString &CDFILIAL, const QString &number, const QString &CDCAIXA,
                          const QDateTime &date)>
        getSenhaUtil; // non-empty: the number is in use today
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)>
        getSenhaRandonExist; // True: the number exists
    std::function<Variant(const QString &CDFILIAL, const QString &date)> ReiniciaSenhaCupom;

    // A random integer from 0 to bound - 1.
    std::function<int(int bound)> random;
};

// The process's table; tests replace members through ScopedSettlementServer.
SettlementServer &settlementServer();

class ScopedSettlementServer
{
public:
    explicit ScopedSettlementServer(SettlementServer replacement);
    ~ScopedSettlementServer();
    ScopedSettlementServer(const ScopedSettlementServer &) = delete;
    ScopedSettlementServer &operator=(const ScopedSettlementServer &) = delete;

    SettlementServer &table() { return settlementServer(); }

private:
    SettlementServer m_previous;
};
