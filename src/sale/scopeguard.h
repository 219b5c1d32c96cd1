#pragma once

#include <utility>

// Runs a clean-up on every way out of a scope: return, refusal (the silent abort) or failure.
// The one way the sale handlers clear what they set for the length of a step.
template <class F>
class OnExit
{
public:
    explicit OnExit(F cleanUp) : m_cleanUp(std::move(cleanUp)) {}
    ~OnExit() { m_cleanUp(); }
    OnExit(const OnExit &) = delete;
    OnExit &operator=(const OnExit &) = delete;

private:
    F m_cleanUp;
};

// A busy flag of the sale form (boRecebendo, boDigitacaoAux1, ...): set for the life of the
// guard and cleared on every way out, so a refused or failed handler never leaves the screen
// believing it is still busy.
class BusyFlag
{
public:
    explicit BusyFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = false; }
    BusyFlag(const BusyFlag &) = delete;
    BusyFlag &operator=(const BusyFlag &) = delete;

private:
    bool &m_flag;
};
