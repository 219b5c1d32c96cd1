#include "fakemessages.h"

FakeMessages::FakeMessages() : m_previous(Ravuvozozod::services().showMessage)
{
    Ravuvozozod::services().showMessage = [this](const Ravuvozozod::MessageRequest &request) {
        return answer(request);
    };
}

FakeMessages::~FakeMessages()
{
    Ravuvozozod::services().showMessage = m_previous;
}

void FakeMessages::script(const QList<bool> &answers)
{
    m_script = answers;
}

void FakeMessages::answerAlways(bool answer)
{
    m_hasFixedAnswer = true;
    m_fixedAnswer = answer;
}

QStringList FakeMessages::texts() const
{
    QStringList list;
    for (const Call &call : m_calls)
        list << call.text;
    return list;
}

bool FakeMessages::answer(const Ravuvozozod::MessageRequest &request)
{
    bool reply = false;
    if (request.question) {
        if (!m_script.isEmpty())
            reply = m_script.takeFirst();
        else if (m_hasFixedAnswer)
            reply = m_fixedAnswer;
        else
            reply = request.defaultAnswer.trimmed().toUpper() == QLatin1String("S");
    }
    m_calls.append({request.text, request.detail, request.kind, request.defaultAnswer,
                    request.scheme, request.question, reply});
    return reply;
}
