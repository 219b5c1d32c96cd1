#include "recordedsleeps.h"

#include <runtime/clock.h>

namespace {

QList<int> &recorded()
{
    static QList<int> pauses;
    return pauses;
}

} // namespace

namespace RecordedSleeps {

void install()
{
    Clock::setDefaultSleeper([](int milliseconds) { recorded().append(milliseconds); });
}

const QList<int> &all()
{
    return recorded();
}

void clear()
{
    recorded().clear();
}

} // namespace RecordedSleeps
