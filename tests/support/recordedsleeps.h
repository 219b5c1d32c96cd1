#pragma once

#include <QList>

// Every pause asked of Clock::sleep or Clock::wait since the running test began, in
// milliseconds and in order. The test program installs the recorder as the default sleeper
// before any test runs and empties it as each test starts, so no test ever really sleeps; a
// test that checks a pause reads it here. A test may still install a sleeper of its own:
// Clock::setSleeper({}) puts the recorder back.
namespace RecordedSleeps {

void install();
const QList<int> &all();
void clear();

} // namespace RecordedSleeps
