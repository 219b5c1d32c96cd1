#pragma once

#include <vendacons_export.h>

#include <QDateTime>

#include <functional>

// The one source of "now" and the one way to wait. Tests install their own so that nothing
// depends on the wall clock and nothing really sleeps.
namespace Clock VENDACONS_EXPORT {

QDateTime now();
void sleep(int milliseconds);

// Replaces the clock or the sleeper; an empty function restores the real one.
void setNow(std::function<QDateTime()> now);
void setSleeper(std::function<void(int)> sleeper);

} // namespace Clock
