#include "scriptedanswers.h"

#include <QHash>
#include <QList>

namespace ScriptedAnswers {

namespace {

struct Queues
{
    QHash<int, QList<Answer>> answers;
    bool unattended = false;
};

Queues &queues()
{
    static Queues q;
    return q;
}

const QList<std::pair<Kind, const char *>> &names()
{
    static const QList<std::pair<Kind, const char *>> list{
        {Kind::Keypad, "keypad"}, {Kind::Search, "search"}, {Kind::YesNo, "yesno"}, {Kind::Scale, "scale"},
        {Kind::Observation, "observation"}, {Kind::Functions, "functions"}, {Kind::Message, "message"},
        {Kind::Email, "email"},
        {Kind::Combined, "combined"}, {Kind::Promotion, "promotion"},
        {Kind::Coupon, "coupon"}, {Kind::Badge, "badge"},
        {Kind::CancelItem, "cancelitem"}, {Kind::Reports, "reports"}, {Kind::BuyerData, "buyerdata"},
        {Kind::Biometric, "biometric"}, {Kind::Consumer, "consumer"}};
    return list;
}

} // namespace

void push(Kind kind, const Answer &answer)
{
    queues().answers[int(kind)].append(answer);
}

std::optional<Answer> take(Kind kind)
{
    QList<Answer> &queue = queues().answers[int(kind)];
    if (queue.isEmpty())
        return std::nullopt;
    return queue.takeFirst();
}

int pending(Kind kind)
{
    return int(queues().answers.value(int(kind)).size());
}

void clear()
{
    queues().answers.clear();
}

void setUnattended(bool unattended)
{
    queues().unattended = unattended;
}

bool unattended()
{
    return queues().unattended;
}

QString kindName(Kind kind)
{
    for (const auto &[k, name] : names()) {
        if (k == kind)
            return QString::fromLatin1(name);
    }
    return QString();
}

std::optional<Kind> kindFromName(const QString &name)
{
    for (const auto &[k, text] : names()) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            return k;
    }
    return std::nullopt;
}

} // namespace ScriptedAnswers
