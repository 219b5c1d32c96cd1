#include "processlauncher.h"

#include <QProcess>

namespace {

std::function<bool(const QString &, const QStringList &)> &override()
{
    static std::function<bool(const QString &, const QStringList &)> function;
    return function;
}

} // namespace

namespace ProcessLauncher {

bool startDetached(const QString &program, const QStringList &arguments)
{
    if (override())
        return override()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void setLauncher(std::function<bool(const QString &, const QStringList &)> launcher)
{
    override() = std::move(launcher);
}

} // namespace ProcessLauncher
