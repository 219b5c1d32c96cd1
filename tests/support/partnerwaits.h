#pragma once

// How long a test's HTTP calls wait for the fake partner server. A partner that answers gets
// as long as a loaded machine needs: the first call of a process loads Qt's network stack, and
// with two suites on one machine that alone took longer than a short wait. Only a silent
// partner, whose wait nothing but the time-out can end, is waited for briefly, so its tests
// stay quick. Set a partner's behaviour through this class and the wait follows it.

#include <host/partners/fakepartners.h>
#include <outside/qub_requisicaohttp.h>

#include <optional>

class PartnerWaits
{
public:
    static constexpr int AnsweringMs = 30000;
    static constexpr int SilentMs = 300;

    explicit PartnerWaits(qint64 maxAnswerBytes = 256 * 1024) : m_maxAnswerBytes(maxAnswerBytes)
    {
        waitFor(FakePartners::Behaviour::Answer);
    }

    void setBehaviour(FakePartners &partners, FakePartners::Partner partner, FakePartners::Behaviour behaviour)
    {
        partners.setBehaviour(partner, behaviour);
        waitFor(behaviour);
    }

    void setBehaviourForAll(FakePartners &partners, FakePartners::Behaviour behaviour)
    {
        partners.setBehaviourForAll(behaviour);
        waitFor(behaviour);
    }

private:
    void waitFor(FakePartners::Behaviour behaviour)
    {
        const int wait = behaviour == FakePartners::Behaviour::Silent ? SilentMs : AnsweringMs;
        m_limits.reset();
        m_limits.emplace(Qub_requisicaohttp::HttpLimits{wait, m_maxAnswerBytes});
    }

    qint64 m_maxAnswerBytes;
    std::optional<Qub_requisicaohttp::ScopedHttpLimits> m_limits;
};
