#pragma once

#include <vendacons_export.h>

#include <QString>
#include <QStringList>

#include <functional>

// Starts another program and leaves it running on its own (the stock program started on the
// first receipt of the day). Tests replace the launcher to record what would be started; the
// stand-in host replaces it to play the stock program, which a till of this system does not have.
namespace ProcessLauncher {

// Starts `program` detached with `arguments`; false when it could not be started.
VENDACONS_EXPORT bool startDetached(const QString &program, const QStringList &arguments);

// Replaces startDetached(); an empty function restores the real one.
VENDACONS_EXPORT void setLauncher(std::function<bool(const QString &program, const QStringList &arguments)> launcher);

} // namespace ProcessLauncher
