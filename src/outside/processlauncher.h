#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts another program and leaves it running on its own (the stock program started on the
// first receipt of the day). Tests replace the launcher to record what would be started.
namespace ProcessLauncher {

// Starts `program` detached with `arguments`; false when it could not be started.
bool startDetached(const QString &program, const QStringList &arguments);

// Replaces startDetached(); an empty function restores the real one.
void setLauncher(std::function<bool(const QString &program, const QStringList &arguments)> launcher);

} // namespace ProcessLauncher
