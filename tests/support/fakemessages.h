#pragma once

#include <outside/ravuvozozod.h>

#include <QList>
#include <QString>
#include <QStringList>

// Takes over the message window for the life of the object: records every message and answers
// questions from a script, then from the message's own default answer ("S" yes, else no) or a
// fixed answer. Restores the previous window on destruction.
//
//   FakeMessages messages;
//   messages.script({false});           // the first question is answered "Não"
//   ... run the handler ...
//   EXPECT_EQ(messages.texts(), QStringList{"Confirma?"});
class FakeMessages
{
public:
    struct Call
    {
        QString text;
        QString detail;
        int kind = 0;
        QString defaultAnswer;
        QString scheme;
        bool question = false;
        bool answer = false;
    };

    FakeMessages();
    ~FakeMessages();
    FakeMessages(const FakeMessages &) = delete;
    FakeMessages &operator=(const FakeMessages &) = delete;

    // Answers for the next questions, in order; messages that ask nothing take none.
    void script(const QList<bool> &answers);
    // Once the script is used up: answer this to every question (instead of its default).
    void answerAlways(bool answer);

    const QList<Call> &calls() const { return m_calls; }
    QStringList texts() const;
    int count() const { return int(m_calls.size()); }
    void clear() { m_calls.clear(); }

private:
    bool answer(const Ravuvozozod::MessageRequest &request);

    std::function<bool(const Ravuvozozod::MessageRequest &)> m_previous;
    QList<Call> m_calls;
    QList<bool> m_script;
    bool m_hasFixedAnswer = false;
    bool m_fixedAnswer = false;
};
