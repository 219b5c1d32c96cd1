#pragma once

#include <vendacons_export.h>

#include <QDateTime>

#include <functional>

// The one source of "now" and the one way to wait. Tests install their own so that nothing
// depends on the wall clock and nothing really sleeps.
namespace Clock VENDACONS_EXPORT {

QDateTime now();
void sleep(int milliseconds);
// Waits without freezing the window: the event loop keeps painting but takes no user input
// meanwhile. An installed sleeper stands in for it as for sleep.
void wait(int milliseconds);

// Replaces the clock or the sleeper; an empty function restores the default one.
void setNow(std::function<QDateTime()> now);
void setSleeper(std::function<void(int)> sleeper);
// Installs the sleeper that an empty setSleeper restores (the real one unless replaced here).
// The tests make it one that records and returns at once, so no test ever really sleeps.
void setDefaultSleeper(std::function<void(int)> sleeper);

} // namespace Clock
