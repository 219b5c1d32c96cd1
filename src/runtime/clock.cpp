#include "clock.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace {

std::function<QDateTime()> &nowFunction()
{
    static std::function<QDateTime()> function;
    return function;
}

std::function<void(int)> &defaultSleeperFunction()
{
    static std::function<void(int)> function;
    return function;
}

std::function<void(int)> &sleeperFunction()
{
    static std::function<void(int)> function;
    return function;
}

} // namespace

namespace Clock {

QDateTime now()
{
    return nowFunction() ? nowFunction()() : QDateTime::currentDateTime();
}

void sleep(int milliseconds)
{
    if (sleeperFunction())
        sleeperFunction()(milliseconds);
    else if (milliseconds > 0)
        QThread::msleep(milliseconds);
}

void wait(int milliseconds)
{
    if (sleeperFunction()) {
        sleeperFunction()(milliseconds);
        return;
    }
    if (milliseconds <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void setNow(std::function<QDateTime()> now)
{
    nowFunction() = std::move(now);
}

void setSleeper(std::function<void(int)> sleeper)
{
    sleeperFunction() = sleeper ? std::move(sleeper) : defaultSleeperFunction();
}

void setDefaultSleeper(std::function<void(int)> sleeper)
{
    defaultSleeperFunction() = std::move(sleeper);
    sleeperFunction() = defaultSleeperFunction();
}

} // namespace Clock
