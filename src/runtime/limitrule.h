#pragma once

#include <runtime/money.h>

// The one rule by which a consumer's limits are compared, on the till before an item or a sale
// and on the server when it validates the balances: both sides are taken to the cent, so a
// sum that carries binary noise is neither let through nor refused by a fraction of a cent.
namespace LimitRule {

// A maximum is broken only when what is spent plus what is asked passes it: equal passes.
inline bool exceeds(double maximum, double total)
{
    return Money::RoundDec(maximum, 2) < Money::RoundDec(total, 2);
}

// A floor or warning level fires only when what remains falls under it: equal passes.
inline bool below(double level, double remaining)
{
    return Money::RoundDec(level, 2) > Money::RoundDec(remaining, 2);
}

// What a maximum still leaves once `spent` is counted, to the cent; below zero when passed.
inline double room(double maximum, double spent)
{
    return Money::RoundDec(Money::RoundDec(maximum, 2) - Money::RoundDec(spent, 2), 2);
}

} // namespace LimitRule
