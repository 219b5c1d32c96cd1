#pragma once

#include <QString>

// The host's own log: one line on standard error per event ("vendacons-host: ..."), so a
// person running the program, and a script run, see what the host packages were asked.
namespace HostLog {

void write(const QString &text);

} // namespace HostLog
